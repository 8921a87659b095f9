// The plain program the installer is measured against: it reads, copies with CopyFileA,
// or copies safely (read, write a sibling, flush it to disk, move it into place: the I/O
// of a safe rewrite) every configuration file of a folder, and nothing else.
//   plain-files read|copy|safe-copy <folder>
#include "foundation/Owners.h"
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
bool ReadAll(const std::string& path, std::vector<char>& buffer) {
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    buffer.resize(::GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    return ::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
           read == buffer.size();
}

bool SafeCopy(const std::string& path, std::vector<char>& buffer) {
    if (!ReadAll(path, buffer)) return false;
    const std::string target = path + ".plain";
    const std::string temporary = target + ".tmp";
    {
        ScopedHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &written, nullptr) ||
            written != buffer.size() || !::FlushFileBuffers(file.Get()))
            return false;
    }
    return ::MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "read" && mode != "copy" && mode != "safe-copy") {
        std::fprintf(stderr, "usage: plain-files read|copy|safe-copy <folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[2]) + "\\";
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA((folder + "*.cfg").c_str(), &found));
    if (!search) return 1;
    std::vector<char> buffer;
    unsigned long long bytes = 0;
    do {
        const std::string path = folder + found.cFileName;
        if (mode == "copy") {
            if (!::CopyFileA(path.c_str(), (path + ".plain").c_str(), FALSE)) return 1;
        } else if (mode == "safe-copy") {
            if (!SafeCopy(path, buffer)) return 1;
        } else {
            if (!ReadAll(path, buffer)) return 1;
            bytes += buffer.size();
        }
    } while (::FindNextFileA(search.Get(), &found));
    std::printf("%llu\n", bytes);
    return 0;
}
