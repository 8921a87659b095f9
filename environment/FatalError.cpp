// The routines that stop or break into the process: the machine's side of the catalogue.
#include "environment/Messages.h"
#include <windows.h>

namespace {
FatalSink fatalSink = nullptr;
}  // namespace

void SetFatalSink(FatalSink sink) { fatalSink = sink; }

void LibraryAssert() {
    if (!g_silenceAssertions && ::IsDebuggerPresent()) ::DebugBreak();
}

void FatalError(StrPP text) {
    LibraryAssert();
    const StrPP box = "<<Fatal Error>> " + text + ". . .Exiting.";
    const char* caption = "<<Fatal Error>>";
    if (fatalSink)
        fatalSink(box, caption);
    else
        ::MessageBoxA(nullptr, box, caption, MB_OK | MB_TASKMODAL);
    ::ExitProcess(0);
}

void Warn(StrPP) {
    if (!g_silenceWarnings && !g_silenceAssertions && ::IsDebuggerPresent()) ::DebugBreak();
}
