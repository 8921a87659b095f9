// Stand-in for the companion program: it lives until "QTX2CAM Shutdown" is set.
// It owns the mutex "QTX2CAM Running" for its whole life, which tells the
// installer that it runs (so that no second one is started) and when it has ended;
// a second copy ends at once. The shutdown event is manual-reset, so a request to
// end made before it waits is not lost. Beside itself it keeps qtx2cam.log, one
// line per start and per end, so that whoever installed it can see it run and stop.
#include "foundation/Owners.h"
#include <windows.h>
#include <cstdio>
#include <string>

namespace {
// A copy that comes while another holds the mutex waits this long before it gives way.
const DWORD kOtherCopyWait = 2000;
// Bounded so that a companion nobody stops does not outlive a test run by long.
const DWORD kLongestLife = 10 * 60 * 1000;

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
    // A name held by an object of another kind is no stop signal: refuse to run.
    ScopedHandle shutdown(::CreateEventA(nullptr, TRUE, FALSE, "QTX2CAM Shutdown"));
    if (!shutdown) return 1;
    ScopedHandle running(::CreateMutexA(nullptr, FALSE, "QTX2CAM Running"));
    if (!running) return 1;
    const DWORD owned = ::WaitForSingleObject(running.Get(), kOtherCopyWait);
    if (owned == WAIT_TIMEOUT) return 0;  // another copy runs
    if (owned != WAIT_OBJECT_0 && owned != WAIT_ABANDONED) return 1;
    Log("started");
    const DWORD waited = ::WaitForSingleObject(shutdown.Get(), kLongestLife);
    Log(waited == WAIT_OBJECT_0 ? "stopped" : "timed-out");
    // The mutex is not released: the system lets go of it only as the process ends, so
    // that whoever waits for it knows the process is gone.
    return waited == WAIT_OBJECT_0 ? 0 : 1;
}
