// The scan beside a plain program's read of the same files, in one process and
// one run: best of a few rounds each, alternated.
//   scan-bench <folder of the registered Mastercam 9>
#include "foundation/Owners.h"
#include "installer/VellantSetup.h"
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const int kRounds = 5;

double Seconds(void (*work)(const std::string&), const std::string& folder) {
    const auto start = std::chrono::steady_clock::now();
    work(folder);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PlainRead(const std::string& folder) {
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA((folder + "\\*.cfg").c_str(), &found));
    std::vector<char> buffer;
    for (bool more = search.Valid(); more; more = ::FindNextFileA(search.Get(), &found)) {
        ScopedHandle file(::CreateFileA((folder + "\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        buffer.resize(::GetFileSize(file.Get(), nullptr));
        DWORD read = 0;
        ::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
    }
}

void Scan(const std::string&) {
    VellantSetup setup;
    setup.ScanConfigFiles();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scan-bench <folder>\n");
        return 2;
    }
    double read = 1e9, scan = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        read = std::min(read, Seconds(PlainRead, argv[1]));
        scan = std::min(scan, Seconds(Scan, argv[1]));
    }
    std::printf("  plain read   %6.3f s    scan        %6.3f s = %5.2f x   (in one process)\n", read, scan,
                scan / read);
    return 0;
}
