#include "settings/Storage.h"
#include "environment/Messages.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {
const uint32_t kCopyChunk = 8192;
}  // namespace

StrPP FileTail(const char* fileName) { return StrPP("\n") + CatalogueText(kMsgFile) + ": " + fileName; }

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
