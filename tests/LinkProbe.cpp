// Opened by the hyperlink tests in place of a browser: notes its command line
// in linkprobe.log beside itself and ends.
#include <windows.h>
#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char path[MAX_PATH + 1] = {0};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::string log(path);
    log = log.substr(0, log.find_last_of('\\') + 1) + "linkprobe.log";
    if (FILE* file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "opened [%s]\n", commandLine ? commandLine : "");
        std::fclose(file);
    }
    return 0;
}
