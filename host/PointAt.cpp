// For pictures of the setup window: finds a window by its title, clicks one of
// its buttons and rests the mouse on one of its controls.
//   point-at "<window title>" <button id or 0> <control id>
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i) {
        window = ::FindWindowA(nullptr, argv[1]);
        if (!window) ::Sleep(100);
    }
    if (!window) return 1;
    if (const int button = std::atoi(argv[2])) ::SendMessageA(::GetDlgItem(window, button), BM_CLICK, 0, 0);
    HWND control = ::GetDlgItem(window, std::atoi(argv[3]));
    RECT box = {};
    if (!control || !::GetWindowRect(control, &box)) return 1;
    ::SetCursorPos(0, 0);
    ::Sleep(200);
    ::SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    return 0;
}
