#pragma once
// The library's small-block heap: blocks of up to kLargest bytes, in size classes of
// kGrain bytes, carved from large chunks and kept on one free list per class. The
// process heap spends far more on each of the millions of small blocks that a large
// settings store holds. Shared by every thread; only the library's own classes use it,
// and each gives a block back with the size it took it with.
#include <cstddef>

namespace SmallBlocks {
constexpr size_t kGrain = 8;
constexpr size_t kLargest = 256;

// A block of at least `size` bytes, aligned to kGrain; throws std::bad_alloc when no
// memory is left. A block larger than kLargest comes from the process heap.
void* Take(size_t size);
// Gives back a block taken with the same size. When no small block is taken any more
// the chunks go back to the system.
void Give(void* block, size_t size) noexcept;
}  // namespace SmallBlocks
