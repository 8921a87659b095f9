// Save and load of a settings store with 100,000 entries, and sequential write and
// read of 64 MiB through FileStorage. Prints wall-clock figures; not a test.
#include "settings/ProgramConfiguration.h"
#include "settings/Storage.h"
#include <windows.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string TempPath(const char* name) {
    char folder[MAX_PATH + 1] = {0};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

void BenchStore() {
    const std::string path = TempPath("bench-settings.qrv");
    const int entries = 100000;
    ProgramConfiguration store("bench", "bench");
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < entries; ++i) {
        const std::string key = "Program.Bench." + std::to_string(i);
        if (i % 3 == 0) store.SetEntry(key.c_str(), Value(i));
        else if (i % 3 == 1) store.SetEntry(key.c_str(), Value(i * 0.5));
        else store.SetEntry(key.c_str(), Value(("value " + std::to_string(i)).c_str()));
    }
    const double fill = Seconds(start);
    start = std::chrono::steady_clock::now();
    store.Save(path.c_str());
    const double save = Seconds(start);
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
    ProgramConfiguration loaded("bench", "bench");
    start = std::chrono::steady_clock::now();
    loaded.Load(path.c_str());
    const double load = Seconds(start);
    int check = 0;
    loaded.LookUpInt("Program.Bench.99999", "", check);
    std::printf("store: %d entries, file %lu bytes: fill %.3f s, save %.3f s, load %.3f s (check %d)\n", entries,
                static_cast<unsigned long>(info.nFileSizeLow), fill, save, load, check);
    ::DeleteFileA(path.c_str());
}

void BenchStream(uint32_t chunk) {
    const std::string path = TempPath("bench-stream.qrv");
    const uint32_t total = 64u << 20;
    std::vector<char> buffer(chunk, 'x');
    double write = 0;
    double read = 0;
    {
        FileStorage out(path.c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE, CREATE_ALWAYS);
        auto start = std::chrono::steady_clock::now();
        for (uint32_t done = 0; done < total; done += chunk) out.WriteBytes(buffer.data(), chunk);
        write = Seconds(start);
        out.Seek(0, 0);
        start = std::chrono::steady_clock::now();
        for (uint32_t done = 0; done < total; done += chunk) out.ReadBytes(buffer.data(), chunk);
        read = Seconds(start);
    }
    std::printf("stream: 64 MiB in %u-byte pieces: write %.3f s (%.0f MiB/s), read %.3f s (%.0f MiB/s)\n", chunk,
                write, 64 / write, read, 64 / read);
    ::DeleteFileA(path.c_str());
}
}  // namespace

int main() {
    BenchStore();
    BenchStream(65536);
    BenchStream(4096);
    BenchStream(64);
    return 0;
}
