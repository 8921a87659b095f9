#pragma once
// A Storage over a growable block of memory: records are framed here and handed to a
// file section in one piece, so that a long run of small writes costs memory copies.
#include "foundation/Export.h"
#include "settings/Storage.h"
#include <vector>

class VELLANTS_API MemoryStorage : public Storage {
public:
    int WriteBytes(const void* data, uint32_t count) override;
    int ReadBytes(void* data, uint32_t count) override;
    int SetLength(uint32_t newLength) override;

    // Back to empty; the block is kept for the next run of writes.
    void Empty();

private:
    std::vector<unsigned char> block;
};
