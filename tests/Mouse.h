#pragma once
// The real mouse for window tests: tool tips check where the cursor is, so
// messages alone do not show them.
#include <windows.h>
#include <functional>

// Moves the cursor off every window, then onto the middle of window.
inline void MoveMouseOnto(HWND window) {
    ::SetCursorPos(0, 0);
    RECT box = {};
    ::GetWindowRect(window, &box);
    ::Sleep(50);
    ::SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
}

// Runs the messages waiting for this thread.
inline void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Runs this thread's messages until done() or the time is up; the last answer of done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds) return false;
        Pump();
        ::Sleep(20);
    }
    return true;
}
