// The scan beside a plain program's read of the same files, in one process and
// one run: best of a few rounds each, alternated. A second plain program also reads
// each file's hook value, as the scan must: the same I/O, files and registry.
//   scan-bench <folder of the registered Mastercam 9>
#include "foundation/Owners.h"
#include "foundation/TextSearch.h"
#include "installer/RegistryKey.h"
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

void ReadFiles(const std::string& folder, bool withHookValues) {
    RegistryKey hooks;
    if (withHookValues)
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kQtx2camKey, 0, nullptr, 0, KEY_READ, nullptr, hooks.Out(), nullptr);
    WIN32_FIND_DATAA found;
    FindHandle search(::FindFirstFileA((folder + "\\*.cfg").c_str(), &found));
    std::vector<char> buffer;
    for (bool more = search.Valid(); more; more = ::FindNextFileA(search.Get(), &found)) {
        ScopedHandle file(::CreateFileA((folder + "\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        buffer.resize(::GetFileSize(file.Get(), nullptr));
        DWORD read = 0;
        ::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
        if (!hooks) continue;
        BYTE value[256];
        DWORD size = sizeof value;
        ::RegQueryValueExA(hooks.Get(), Lower(folder + "\\" + found.cFileName).c_str(), nullptr, nullptr, value, &size);
    }
}

void PlainRead(const std::string& folder) { ReadFiles(folder, false); }
void PlainReadWithHookValues(const std::string& folder) { ReadFiles(folder, true); }

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
    double read = 1e9, withValues = 1e9, scan = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        read = std::min(read, Seconds(PlainRead, argv[1]));
        withValues = std::min(withValues, Seconds(PlainReadWithHookValues, argv[1]));
        scan = std::min(scan, Seconds(Scan, argv[1]));
    }
    std::printf("  plain read   %6.3f s    scan        %6.3f s = %5.2f x   (in one process)\n", read, scan,
                scan / read);
    std::printf("  plain read with the hook values %6.3f s:  scan = %5.2f x of it\n", withValues, scan / withValues);
    return 0;
}
