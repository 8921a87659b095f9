#include "foundation/AtomicFile.h"
#include "foundation/Owners.h"
#include <algorithm>
#include <atomic>

namespace {
const char* const kTemporarySuffix = ".QTXNew";
// Large files are written in pieces, each checked on its own.
const DWORD kWritePiece = 1024 * 1024;
const LONGLONG kLargestFile = 0x7FFFFFFE;

std::atomic<int> writesUntilFault{0};

bool WritePiece(HANDLE file, const char* data, DWORD size, DWORD& error) {
    if (writesUntilFault.load() > 0 && --writesUntilFault == 0) {
        error = ERROR_DISK_FULL;
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr)) {
        error = ::GetLastError();
        return false;
    }
    if (written != size) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

DWORD WriteAndFlush(const std::string& path, const char* data, size_t size) {
    ScopedHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(kWritePiece, size - done));
        if (!WritePiece(file.Get(), data + done, piece, error)) return error;
        done += piece;
    }
    if (!::FlushFileBuffers(file.Get())) return ::GetLastError();
    return ERROR_SUCCESS;
}
}  // namespace

std::string TemporarySiblingOf(const std::string& target) { return target + kTemporarySuffix; }

DWORD ReadWholeFileBytes(const std::string& path, std::string& data) {
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(file.Get(), &length)) return ::GetLastError();
    if (length.QuadPart > kLargestFile) return ERROR_FILE_TOO_LARGE;
    data.resize(static_cast<size_t>(length.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        DWORD read = 0;
        const DWORD piece = static_cast<DWORD>(data.size() - done);
        if (!::ReadFile(file.Get(), &data[done], piece, &read, nullptr)) return ::GetLastError();
        if (read == 0) break;  // the file shrank while it was read
        done += read;
    }
    data.resize(done);
    return ERROR_SUCCESS;
}

DWORD ReplaceFileContents(const std::string& target, const char* data, size_t size) {
    const std::string temporary = TemporarySiblingOf(target);
    DWORD error = WriteAndFlush(temporary, data, size);
    if (error == ERROR_SUCCESS &&
        !::MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) ::DeleteFileA(temporary.c_str());
    return error;
}

void FailNthFileWriteForTests(int n) { writesUntilFault = n; }
