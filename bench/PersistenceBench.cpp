// Save and load of a settings store with 10^6 entries beside a plain program writing
// the same bytes, and 64 MiB through FileStorage beside raw WriteFile and ReadFile.
// Each figure is the best of a few rounds in this one run; the ratios are what count.
#include "foundation/Owners.h"
#include "settings/ProgramConfiguration.h"
#include "settings/FileStorage.h"
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {
const int kRounds = 3;

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Best(const std::function<void()>& work) {
    double best = Seconds(work);
    for (int round = 1; round < kRounds; ++round) best = std::min(best, Seconds(work));
    return best;
}

std::string TempPath(const char* name) {
    char folder[MAX_PATH + 1] = {0};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::vector<char> FileBytes(const std::string& path) {
    std::vector<char> bytes;
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    bytes.resize(::GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty()) ::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    return bytes;
}

void Require(bool ok, const char* what) {
    if (ok) return;
    std::printf("benchmark failed: %s\n", what);
    std::exit(1);
}

// What Save does to the disk, done by a plain program: the bytes written in 1 MiB
// pieces to a temporary sibling, flushed to disk, then moved over the file.
void PlainSave(const std::string& path, const std::vector<char>& bytes, bool durable) {
    const std::string temporary = path + ".tmp";
    ScopedHandle file(
        ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    Require(file.Valid(), "plain create");
    for (size_t done = 0; done < bytes.size();) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        Require(::WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr) && written == piece,
                "plain write");
        done += piece;
    }
    if (durable) Require(::FlushFileBuffers(file.Get()), "plain flush");
    file.Reset();
    Require(::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
            "plain move");
}

void BenchStore() {
    const std::string path = TempPath("bench-settings.qrv");
    const std::string plainPath = TempPath("bench-plain.qrv");
    const int entries = 1000000;
    ProgramConfiguration store("bench", "bench");
    const double fill = Seconds([&]() {
        for (int i = 0; i < entries; ++i) {
            const std::string key = "Program.Bench." + std::to_string(i);
            if (i % 3 == 0)
                store.SetEntry(key.c_str(), Value(i));
            else if (i % 3 == 1)
                store.SetEntry(key.c_str(), Value(i * 0.5));
            else
                store.SetEntry(key.c_str(), Value(("value " + std::to_string(i)).c_str()));
        }
    });
    const double save = Best([&]() { Require(store.Save(path.c_str()) == 1, "save"); });
    const std::vector<char> bytes = FileBytes(path);
    const double plain = Best([&]() { PlainSave(plainPath, bytes, true); });
    const double plainCached = Best([&]() { PlainSave(plainPath, bytes, false); });
    double load = 0;
    for (int round = 0; round < kRounds; ++round) {
        ProgramConfiguration loaded("bench", "bench");
        const double once = Seconds([&]() { Require(loaded.Load(path.c_str()) == 1, "load"); });
        load = round == 0 ? once : std::min(load, once);
        int check = 0;
        Require(loaded.LookUpInt("Program.Bench.999999", "", check) == 1 && check == 999999, "look-up");
    }
    std::printf("store: %d entries, %.1f MB on disk (filled in %.3f s)\n", entries, bytes.size() / 1e6, fill);
    std::printf("  plain write of the same bytes (to a sibling, flushed to disk, moved over): %.3f s\n", plain);
    std::printf("  the same without the flush to disk:                                     %.3f s\n", plainCached);
    std::printf("  save %.3f s = %.2f x the plain write\n", save, save / plain);
    std::printf("  load %.3f s = %.2f x the plain write (%.2f x the one without flush)\n", load, load / plain,
                load / plainCached);
    ::DeleteFileA(path.c_str());
    ::DeleteFileA(plainPath.c_str());
}

void BenchStream(uint32_t chunk) {
    const std::string path = TempPath("bench-stream.qrv");
    const std::string rawPath = TempPath("bench-raw.bin");
    const uint32_t total = 64u << 20;
    std::vector<char> buffer(chunk, 'x');
    double write = 0;
    double read = 0;
    write = Best([&]() {
        FileStorage out(path.c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE, CREATE_ALWAYS);
        for (uint32_t done = 0; done < total; done += chunk) Require(out.WriteBytes(buffer.data(), chunk), "write");
        Require(out.Flush(), "flush");
    });
    read = Best([&]() {
        FileStorage in(path.c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_READ, OPEN_EXISTING);
        for (uint32_t done = 0; done < total; done += chunk) Require(in.ReadBytes(buffer.data(), chunk), "read");
    });
    const double rawWrite = Best([&]() {
        ScopedHandle file(::CreateFileA(rawPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        for (uint32_t done = 0; done < total; done += chunk)
            Require(::WriteFile(file.Get(), buffer.data(), chunk, &written, nullptr) && written == chunk, "raw write");
    });
    const double rawRead = Best([&]() {
        ScopedHandle file(
            ::CreateFileA(rawPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD got = 0;
        for (uint32_t done = 0; done < total; done += chunk)
            Require(::ReadFile(file.Get(), buffer.data(), chunk, &got, nullptr) && got == chunk, "raw read");
    });
    std::printf(
        "stream: 64 MiB in %u-byte pieces: write %.0f MiB/s (%.0f%% of raw WriteFile, %.0f MiB/s), "
        "read %.0f MiB/s (%.0f%% of raw ReadFile, %.0f MiB/s)\n",
        chunk, 64 / write, 100 * rawWrite / write, 64 / rawWrite, 64 / read, 100 * rawRead / read, 64 / rawRead);
    ::DeleteFileA(path.c_str());
    ::DeleteFileA(rawPath.c_str());
}
}  // namespace

int main() {
    BenchStore();
    BenchStream(65536);
    BenchStream(4096);
    BenchStream(64);
    return 0;
}
