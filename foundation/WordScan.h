#pragma once
// Text scans and short copies eight bytes at a time. The platform's C library compares
// and measures texts one byte at a time and copies through a call, which is most of the
// work of a settings store's key searches, loads and saves.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace WordScan {
inline uint64_t Load(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

inline bool HasZeroByte(uint64_t word) { return ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0; }

// The order of strcmp (sign only) of the texts of aLength bytes at a and bLength bytes
// at b, each read as if terminated there; a zero byte before the end ends a text, as it
// ends it for strcmp. No byte beyond either length is read.
inline int Compare(const char* a, size_t aLength, const char* b, size_t bLength) {
    const size_t common = aLength < bLength ? aLength : bLength;
    size_t i = 0;
    while (i + 8 <= common) {
        const uint64_t x = Load(a + i);
        if (x != Load(b + i) || HasZeroByte(x)) break;
        i += 8;
    }
    for (; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
    // Equal as far as the shorter goes, which ends here: the longer is larger unless it ends too.
    if (aLength > common) return a[common] ? 1 : 0;
    if (bLength > common) return b[common] ? -1 : 0;
    return 0;
}

// memcpy for the short texts of keys and values; long copies go to the C library.
inline void Copy(void* to, const void* from, size_t n) {
    if (n > 64) {
        std::memcpy(to, from, n);
        return;
    }
    char* out = static_cast<char*>(to);
    const char* in = static_cast<const char*>(from);
    for (; n >= 8; n -= 8, in += 8, out += 8) {
        const uint64_t word = Load(in);
        std::memcpy(out, &word, sizeof word);
    }
    for (; n > 0; --n) *out++ = *in++;
}

// strnlen: the bytes before the first zero byte, at most limit.
inline size_t Length(const char* text, size_t limit) {
    size_t i = 0;
    while (i + 8 <= limit && !HasZeroByte(Load(text + i))) i += 8;
    while (i < limit && text[i]) ++i;
    return i;
}
}  // namespace WordScan
