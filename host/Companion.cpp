// Stand-in for the companion program: it lives until "QTX2CAM Shutdown" is set.
// Beside itself it keeps qtx2cam.log, one line per start and per end, so that
// whoever installed it can see it run and stop.
#include "foundation/Owners.h"
#include <windows.h>
#include <cstdio>
#include <string>

namespace {
void Log(const char* what) {
    char path[MAX_PATH + 16] = {0};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::string log(path);
    log = log.substr(0, log.find_last_of('\\') + 1) + "qtx2cam.log";
    if (FILE* file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "%s %lu\n", what, static_cast<unsigned long>(::GetCurrentProcessId()));
        std::fclose(file);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const DWORD waited = [] {
        ScopedHandle shutdown(::CreateEventA(nullptr, FALSE, FALSE, "QTX2CAM Shutdown"));
        if (!shutdown) return WAIT_FAILED;
        Log("started");
        // Bounded so that a companion nobody stops does not outlive a test run by long.
        return ::WaitForSingleObject(shutdown.Get(), 10 * 60 * 1000);
    }();
    if (waited == WAIT_FAILED) return 1;
    Log(waited == WAIT_OBJECT_0 ? "stopped" : "timed-out");
    return 0;
}
