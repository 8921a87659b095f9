// Another program that has a file open and shares it with no one, as an editor or
// a running Mastercam may: hold-file <file> <seconds>. It writes "<file>.held"
// once the file is open, and removes it when it lets go.
#include "foundation/Owners.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hold-file <file> <seconds>\n");
        return 2;
    }
    ScopedHandle held(::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!held) {
        std::fprintf(stderr, "cannot open %s (error %lu)\n", argv[1], ::GetLastError());
        return 1;
    }
    const std::string marker = std::string(argv[1]) + ".held";
    ScopedHandle(::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ::Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    ::DeleteFileA(marker.c_str());
    return 0;
}
