#include "settings/FileStorage.h"
#include "environment/Messages.h"
#include "foundation/PlannedFailure.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {
bool MoveTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, to, nullptr, FILE_BEGIN);
}

bool WriteAt(HANDLE file, uint64_t offset, const void* data, uint32_t count) {
    if (PlannedFailure()) return false;
    DWORD written = 0;
    return MoveTo(file, offset) && ::WriteFile(file, data, count, &written, nullptr) && written == count;
}

bool ReadAt(HANDLE file, uint64_t offset, void* data, uint32_t count, DWORD& read) {
    read = 0;
    return MoveTo(file, offset) && ::ReadFile(file, data, count, &read, nullptr);
}

bool ResizeTo(HANDLE file, uint32_t size) { return !PlannedFailure() && MoveTo(file, size) && ::SetEndOfFile(file); }
}  // namespace

FileStorage::FileStorage(const char* fileName, DWORD flagsAndAttributes, DWORD access, DWORD disposition)
    : name(fileName) {
    StrPP upper(fileName);
    upper.ToUpper();
    foreignName = upper.Find(".QRV") < 0 && upper.Find(".TMP") < 0;
    if (disposition == CREATE_ALWAYS && ::GetFileAttributesA(fileName) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileA(fileName);
    access |= GENERIC_READ;
    readOnly = (access & GENERIC_WRITE) == 0;
    DWORD attributes = flagsAndAttributes | FILE_FLAG_SEQUENTIAL_SCAN;
    if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    file.Reset(::CreateFileA(fileName, access, FILE_SHARE_READ, nullptr, disposition, attributes, nullptr));
    if (!file) QRVException(StrPP("Invalid file.") + FileTail(fileName), 1).Throw();
    opened = true;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(file.Get(), &size)) length = size.QuadPart > kLargest ? kLargest : uint32_t(size.QuadPart);
    onDisk = length;
}

FileStorage::~FileStorage() { WriteBack(); }

bool FileStorage::Refuse() {
    writeFailed = true;
    error = kStorageWriteFailed;
    return false;
}

bool FileStorage::WriteBack() {
    if (pendingEnd == pendingBegin) return true;
    const uint32_t begin = pendingBegin;
    const uint32_t end = pendingEnd;
    pendingBegin = pendingEnd = 0;
    if (writeFailed || !WriteAt(file.Get(), uint64_t(windowStart) + begin, window.get() + begin, end - begin))
        return Refuse();
    onDisk = std::max(onDisk, windowStart + end);
    return true;
}

bool FileStorage::MoveWindow(uint32_t at) {
    if (!window) {
        window.reset(new (std::nothrow) unsigned char[kWindow]);
        if (!window) {
            error = kStorageNoMemory;
            return false;
        }
    } else if (at - windowStart < kWindow) {
        return true;
    } else if (!WriteBack()) {
        return false;
    }
    windowStart = at & ~(kWindow - 1);
    windowLoaded = false;
    return true;
}

bool FileStorage::LoadWindow() {
    if (!WriteBack()) return false;
    DWORD read = 0;
    const uint32_t stored = windowStart < onDisk ? std::min(kWindow, onDisk - windowStart) : 0;
    if (stored > 0 && !ReadAt(file.Get(), windowStart, window.get(), stored, read)) {
        error = kStorageEnd;
        return false;
    }
    // Past the end of the file (or of what could be read) a window holds zeros, as the
    // file will when it is extended over them.
    std::memset(window.get() + read, 0, kWindow - read);
    windowLoaded = true;
    return true;
}

void FileStorage::Pend(uint32_t offset, uint32_t count) {
    const bool pending = pendingEnd > pendingBegin;
    pendingBegin = pending ? std::min(pendingBegin, offset) : offset;
    pendingEnd = pending ? std::max(pendingEnd, offset + count) : offset + count;
}

int FileStorage::WriteBytes(const void* data, uint32_t count) {
    if (count == 0) return 1;
    if (readOnly) {
        error = kStorageUnsupported;
        return 0;
    }
    if (writeFailed) return Refuse();
    if (uint64_t(position) + count > kLargest) {
        error = kStorageBadSeek;
        return 0;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (count >= kWindow) return WriteThrough(bytes, count) ? 1 : 0;
    while (count > 0) {
        if (!MoveWindow(position)) return 0;
        const uint32_t offset = position - windowStart;
        const uint32_t k = std::min(kWindow - offset, count);
        // An unloaded window can only take bytes that join its pending run into one.
        if (!windowLoaded && pendingEnd > pendingBegin && (offset > pendingEnd || offset + k < pendingBegin) &&
            !LoadWindow())
            return 0;
        CopyBytes(window.get() + offset, bytes, k);
        Pend(offset, k);
        position += k;
        bytes += k;
        count -= k;
        if (position > length) length = position;
    }
    return 1;
}

int FileStorage::ReadBytes(void* data, uint32_t count) {
    unsigned char* bytes = static_cast<unsigned char*>(data);
    if (count == 0) return 1;
    if (uint64_t(position) + count > length) {
        error = kStorageEnd;
        return 0;
    }
    if (count >= kWindow) return ReadThrough(bytes, count) ? 1 : 0;
    while (count > 0) {
        if (!MoveWindow(position) || (!windowLoaded && !LoadWindow())) return 0;
        const uint32_t offset = position - windowStart;
        const uint32_t k = std::min(kWindow - offset, count);
        CopyBytes(bytes, window.get() + offset, k);
        position += k;
        bytes += k;
        count -= k;
    }
    return 1;
}

bool FileStorage::WriteThrough(const unsigned char* data, uint32_t count) {
    if (!WriteBack()) return false;
    if (!WriteAt(file.Get(), position, data, count)) return Refuse();
    windowLoaded = false;
    position += count;
    onDisk = std::max(onDisk, position);
    length = std::max(length, position);
    return true;
}

bool FileStorage::ReadThrough(unsigned char* data, uint32_t count) {
    if (!WriteBack()) return false;
    DWORD read = 0;
    if (!ReadAt(file.Get(), position, data, count, read) || read != count) {
        error = kStorageEnd;
        return false;
    }
    position += count;
    return true;
}

int FileStorage::Seek(int32_t offset, int origin) { return SeekWithin(offset, origin, readOnly ? length : kLargest); }

int FileStorage::SetLength(uint32_t newLength) {
    position = newLength;
    if (readOnly) return 0;
    if (writeFailed || !WriteBack() || !ResizeTo(file.Get(), newLength)) return Refuse();
    // The window may hold bytes beyond the new end, which an extension must read as zeros.
    windowLoaded = false;
    onDisk = length = newLength;
    return 1;
}

uint32_t FileStorage::Length() { return length; }

int FileStorage::Flush(bool durable) {
    if (readOnly) return 1;
    if (!WriteBack()) return 0;
    if (durable && (PlannedFailure() || !::FlushFileBuffers(file.Get()))) return Refuse();
    return writeFailed ? 0 : 1;
}
