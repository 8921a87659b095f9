#include "foundation/SmallBlocks.h"
#include <windows.h>
#include <atomic>
#include <new>

namespace {
using SmallBlocks::kGrain;
using SmallBlocks::kLargest;

constexpr size_t kClasses = kLargest / kGrain;
constexpr size_t kFirstChunk = 64 * 1024;
constexpr size_t kLargestChunk = 1024 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

// A chunk begins with its link to the chunk carved before it.
struct Chunk {
    Chunk* older;
};
constexpr size_t kChunkHeader = (sizeof(Chunk) + kGrain - 1) / kGrain * kGrain;

// Zero before any code runs and nothing to destroy: static objects may give blocks
// back while the process ends.
struct Heap {
    std::atomic<bool> busy;
    FreeBlock* free[kClasses];
    char* carve;  // the unused rest of the newest chunk
    char* carveEnd;
    Chunk* newest;
    size_t nextChunkSize;
    size_t taken;
};
Heap heap;

// The critical sections are a few instructions long: a spin, then a yield to the
// holder, costs far less than a kernel lock.
class Hold {
public:
    Hold() {
        while (heap.busy.exchange(true, std::memory_order_acquire)) Wait();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    ~Hold() { heap.busy.store(false, std::memory_order_release); }

private:
    static void Wait() {
        for (int spin = 0; spin < 64; ++spin) {
            if (!heap.busy.load(std::memory_order_relaxed)) return;
            YieldProcessor();
        }
        ::SwitchToThread();
    }
};

size_t ClassOf(size_t size) { return size ? (size + kGrain - 1) / kGrain - 1 : 0; }

bool AddChunk() {
    const size_t size = heap.nextChunkSize ? heap.nextChunkSize : kFirstChunk;
    void* memory = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory) return false;
    Chunk* chunk = static_cast<Chunk*>(memory);
    chunk->older = heap.newest;
    heap.newest = chunk;
    heap.carve = static_cast<char*>(memory) + kChunkHeader;
    heap.carveEnd = static_cast<char*>(memory) + size;
    heap.nextChunkSize = size * 2 < kLargestChunk ? size * 2 : kLargestChunk;
    return true;
}

// With no block taken every chunk but the first (the smallest) goes back, so that a
// process which keeps one short-lived block at a time does not fetch a chunk for each.
void ReleaseAllButFirst() {
    Chunk* first = heap.newest;
    while (first->older) {
        Chunk* older = first->older;
        ::VirtualFree(first, 0, MEM_RELEASE);
        first = older;
    }
    heap.newest = first;
    for (FreeBlock*& list : heap.free) list = nullptr;
    heap.carve = reinterpret_cast<char*>(first) + kChunkHeader;
    heap.carveEnd = reinterpret_cast<char*>(first) + kFirstChunk;
    heap.nextChunkSize = kFirstChunk * 2;
}
}  // namespace

void* SmallBlocks::Take(size_t size) {
    if (size > kLargest) return ::operator new(size);
    const size_t index = ClassOf(size);
    Hold hold;
    if (FreeBlock* block = heap.free[index]) {
        heap.free[index] = block->next;
        ++heap.taken;
        return block;
    }
    const size_t bytes = (index + 1) * kGrain;
    if (static_cast<size_t>(heap.carveEnd - heap.carve) < bytes && !AddChunk()) throw std::bad_alloc();
    void* block = heap.carve;
    heap.carve += bytes;
    ++heap.taken;
    return block;
}

void SmallBlocks::Give(void* block, size_t size) noexcept {
    if (!block) return;
    if (size > kLargest) {
        ::operator delete(block);
        return;
    }
    FreeBlock* freed = static_cast<FreeBlock*>(block);
    const size_t index = ClassOf(size);
    Hold hold;
    freed->next = heap.free[index];
    heap.free[index] = freed;
    if (--heap.taken == 0) ReleaseAllButFirst();
}
