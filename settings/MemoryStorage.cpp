#include "settings/MemoryStorage.h"
#include <algorithm>
#include <cstring>

int MemoryStorage::WriteBytes(const void* data, uint32_t count) {
    if (count == 0) return 1;
    const uint64_t end = uint64_t(position) + count;
    if (end > 0xFFFF0000u) {
        error = kStorageBadSeek;
        return 0;
    }
    if (end > block.size()) block.resize(std::max<size_t>(end, block.size() * 2));
    CopyBytes(block.data() + position, data, count);
    position = static_cast<uint32_t>(end);
    length = std::max(length, position);
    return 1;
}

int MemoryStorage::ReadBytes(void* data, uint32_t count) {
    if (uint64_t(position) + count > length) {
        error = kStorageEnd;
        return 0;
    }
    if (count) CopyBytes(data, block.data() + position, count);
    position += count;
    return 1;
}

int MemoryStorage::SetLength(uint32_t newLength) {
    if (newLength > block.size()) block.resize(newLength);
    // Bytes beyond the old end read as zeros, as a file's do when it is extended.
    if (newLength > length) std::memset(block.data() + length, 0, newLength - length);
    length = newLength;
    position = std::min(position, length);
    return 1;
}

void MemoryStorage::Empty() {
    length = 0;
    position = 0;
    error = kStorageOk;
}
