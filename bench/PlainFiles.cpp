// The plain program the installer is measured against: it reads, or copies with
// CopyFileA, every configuration file of a folder, and nothing else.
//   plain-files read|copy <folder>
#include "foundation/Owners.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "copy") != 0)) {
        std::fprintf(stderr, "usage: plain-files read|copy <folder>\n");
        return 2;
    }
    const bool copy = std::strcmp(argv[1], "copy") == 0;
    const std::string folder = std::string(argv[2]) + "\\";
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA((folder + "*.cfg").c_str(), &found));
    if (!search) return 1;
    std::vector<char> buffer;
    unsigned long long bytes = 0;
    do {
        const std::string path = folder + found.cFileName;
        if (copy) {
            if (!::CopyFileA(path.c_str(), (path + ".plain").c_str(), FALSE)) return 1;
        } else {
            ScopedHandle file(
                ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            if (!file) return 1;
            buffer.resize(::GetFileSize(file.Get(), nullptr));
            DWORD read = 0;
            if (!::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return 1;
            bytes += read;
        }
    } while (::FindNextFileA(search.Get(), &found));
    std::printf("%llu\n", bytes);
    return 0;
}
