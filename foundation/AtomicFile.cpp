#include "foundation/AtomicFile.h"
#include "foundation/Owners.h"

DWORD ReadWholeFileBytes(const std::string& path, std::string& data, ULONGLONG largest) {
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    LARGE_INTEGER length;
    if (!::GetFileSizeEx(file.Get(), &length)) return ::GetLastError();
    if (static_cast<ULONGLONG>(length.QuadPart) > largest) return ERROR_FILE_TOO_LARGE;
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
    TemporaryFile temporary(target);
    DWORD error = temporary.Write(data, size);
    if (error == ERROR_SUCCESS) error = temporary.PutInPlace();
    return error;
}
