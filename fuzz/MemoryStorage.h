#pragma once
// A stream over bytes in memory, read-only as a settings file opened to be read is.
#include "settings/Storage.h"
#include <cstdint>
#include <cstring>
#include <string>

class MemoryStorage : public Storage {
public:
    explicit MemoryStorage(std::string content) : bytes(std::move(content)) {
        length = static_cast<uint32_t>(bytes.size());
        readOnly = true;
    }
    int ReadBytes(void* data, uint32_t count) override {
        if (uint64_t(position) + count > length) {
            error = kStorageEnd;
            return 0;
        }
        if (count) std::memcpy(data, bytes.data() + position, count);
        position += count;
        return 1;
    }

private:
    std::string bytes;
};
