#include "settings/Storage.h"
#include "environment/Messages.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {
const uint32_t kCopyChunk = 8192;
const int kCatalogueFile = 33;
}  // namespace

int Storage::WriteBytes(const void*, uint32_t) {
    error = kStorageUnsupported;
    return 0;
}

int Storage::ReadBytes(void*, uint32_t) {
    error = kStorageUnsupported;
    return 0;
}

int Storage::Read(long& v) {
    int32_t word;
    if (!ReadInto(word)) return 0;
    v = word;
    return 1;
}

int Storage::Read(unsigned long& v) {
    uint32_t word;
    if (!ReadInto(word)) return 0;
    v = word;
    return 1;
}

int Storage::Read(bool& v) {
    unsigned char byte;
    if (!ReadInto(byte)) return 0;
    v = byte != 0;
    return 1;
}

namespace {
void CopyStream(Storage& from, Storage& to, int32_t& error) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyChunk]);
    if (!buffer) {
        error = kStorageNoMemory;
        return;
    }
    uint32_t remaining = from.Length();
    from.Seek(0, 0);
    while (remaining > 0) {
        const uint32_t chunk = std::min(remaining, kCopyChunk);
        if (!from.ReadBytes(buffer.get(), chunk) || !to.WriteBytes(buffer.get(), chunk)) return;
        remaining -= chunk;
    }
}
}  // namespace

Storage& Storage::AppendFrom(Storage& source) {
    CopyStream(source, *this, error);
    return *this;
}

Storage& Storage::CopyTo(Storage& target) {
    CopyStream(*this, target, error);
    return *this;
}

int Storage::SeekWithin(int32_t offset, int origin, uint32_t limit) {
    int64_t target = 0;
    switch (origin) {
        case 0: target = offset; break;
        case 1: target = static_cast<int64_t>(position) + offset; break;
        case 2:
            target = static_cast<int64_t>(length) - offset;
            if (target < 0) {
                position = 0;
                error = kStorageBadSeek;
                return 0;
            }
            break;
        default: error = kStorageBadSeek; return 0;
    }
    if (target < 0 || target > static_cast<int64_t>(limit)) {
        position = std::min(length, limit);
        error = kStorageBadSeek;
        return 0;
    }
    position = static_cast<uint32_t>(target);
    reserved = 0;
    ClearError();
    return 1;
}

int Storage::Seek(int32_t offset, int origin) { return SeekWithin(offset, origin, length); }

int Storage::SetLength(uint32_t newLength) {
    length = newLength;
    return 1;
}

uint32_t Storage::Length() { return length; }

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
    file = ::CreateFileA(fileName, access, FILE_SHARE_READ, nullptr, disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        QRVException(StrPP("Invalid file.\n") + CatalogueText(kCatalogueFile) + ": " + name, 1).Throw();
    }
    opened = true;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(file, &size)) length = size.QuadPart > 0xFFFF0000ll ? 0xFFFF0000u : uint32_t(size.QuadPart);
    fileSize = length;
}

FileStorage::~FileStorage() {
    Unmap();
    if (file == INVALID_HANDLE_VALUE) return;
    // The file grows ahead of the data in whole windows; it ends where the data ends.
    if (!readOnly && fileSize != length) ResizeFile(length);
    ::CloseHandle(file);
}

StrPP FileStorage::FileTail() const { return StrPP("\n") + CatalogueText(kCatalogueFile) + ": " + name; }

void FileStorage::UnmapView() {
    if (view) ::UnmapViewOfFile(view);
    view = nullptr;
    viewSize = viewStart = viewEnd = 0;
}

void FileStorage::Unmap() {
    UnmapView();
    if (mapping) ::CloseHandle(mapping);
    mapping = nullptr;
}

bool FileStorage::ResizeFile(uint32_t size) {
    Unmap();
    LARGE_INTEGER to;
    to.QuadPart = size;
    if (!::SetFilePointerEx(file, to, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) return false;
    fileSize = size;
    return true;
}

void FileStorage::MapWindow(uint32_t start) {
    UnmapView();
    if (start >= fileSize) return;
    if (!mapping) {
        mapping = ::CreateFileMappingA(file, nullptr, readOnly ? PAGE_READONLY : PAGE_READWRITE, 0, 0, nullptr);
        if (!mapping && fileSize == 0) return;
    }
    uint32_t size = windowSize ? windowSize : kWindow;
    if (uint64_t(start) + size > fileSize) size = fileSize - start;
    if (mapping)
        view = static_cast<unsigned char*>(
            ::MapViewOfFile(mapping, readOnly ? FILE_MAP_READ : FILE_MAP_ALL_ACCESS, 0, start, size));
    if (!view) QRVException(CatalogueText(kMsgNotEnoughDiskSpace) + FileTail(), 1).Throw();
    viewStart = start;
    viewSize = size;
    viewEnd = start + size;
}

int FileStorage::WriteBytes(const void* data, uint32_t count) {
    if (count == 0) return 1;
    if (readOnly) {
        error = kStorageUnsupported;
        return 0;
    }
    const uint64_t end = uint64_t(position) + count;
    if (end > 0xFFFF0000ull) {
        error = kStorageBadSeek;
        return 0;
    }
    if (end > fileSize) {
        const uint32_t grown = static_cast<uint32_t>((end + kWindow - 1) & ~uint64_t(kWindow - 1));
        if (!ResizeFile(grown)) {
            error = kStorageNoMemory;
            return 0;
        }
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (count > 0) {
        if (!view || position < viewStart || position >= viewEnd) MapWindow(position & ~(kWindow - 1));
        const uint32_t k = std::min(viewEnd - position, count);
        std::memcpy(view + (position - viewStart), bytes, k);
        position += k;
        bytes += k;
        count -= k;
    }
    if (position > length) length = position;
    return 1;
}

int FileStorage::ReadBytes(void* data, uint32_t count) {
    unsigned char* bytes = static_cast<unsigned char*>(data);
    if (count == 0) return 1;
    if (uint64_t(position) + count > length) {
        error = kStorageEnd;
        return 0;
    }
    while (count > 0) {
        if (!view || position < viewStart || position >= viewEnd) MapWindow(position & ~(kWindow - 1));
        if (!view) {
            error = kStorageEnd;
            return 0;
        }
        const uint32_t k = std::min(viewEnd - position, count);
        std::memcpy(bytes, view + (position - viewStart), k);
        position += k;
        bytes += k;
        count -= k;
    }
    return 1;
}

int FileStorage::Seek(int32_t offset, int origin) {
    return SeekWithin(offset, origin, readOnly ? length : 0xFFFF0000u);
}

int FileStorage::SetLength(uint32_t newLength) {
    position = newLength;
    if (readOnly || !ResizeFile(newLength)) return 0;
    length = newLength;
    return 1;
}

uint32_t FileStorage::Length() { return length; }
