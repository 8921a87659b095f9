#include "foundation/TextSearch.h"
#include <emmintrin.h>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {
const size_t npos = std::string_view::npos;

const std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return table;
}();

unsigned char Folded(char c) { return kFolded[static_cast<unsigned char>(c)]; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Folded(a[i]) != Folded(b[i])) return false;
    return true;
}

template <bool NoCase>
bool Equal(const char* a, const char* b, size_t n) {
    return NoCase ? EqualNoCase(a, b, n) : std::memcmp(a, b, n) == 0;
}

template <bool NoCase>
size_t FindPlain(std::string_view text, std::string_view sub, size_t from) {
    for (size_t i = from; i + sub.size() <= text.size(); ++i)
        if (Equal<NoCase>(text.data() + i, sub.data(), sub.size())) return i;
    return npos;
}

// Sixteen places at a time: a place is a candidate when the needle's first and
// last bytes stand at their distance there; only candidates are compared whole.
// With the case ignored, a letter is compared with its 0x20 bit set on both sides.
template <bool NoCase>
__attribute__((target("sse2"))) size_t FindWide(std::string_view text, std::string_view sub, size_t from) {
    const size_t last = sub.size() - 1;
    const bool foldFirst = NoCase && IsLetter(sub.front());
    const bool foldLast = NoCase && IsLetter(sub.back());
    const __m128i first = _mm_set1_epi8(static_cast<char>(foldFirst ? (sub.front() | 0x20) : sub.front()));
    const __m128i lastByte = _mm_set1_epi8(static_cast<char>(foldLast ? (sub.back() | 0x20) : sub.back()));
    const __m128i firstFold = _mm_set1_epi8(foldFirst ? 0x20 : 0), lastFold = _mm_set1_epi8(foldLast ? 0x20 : 0);
    const char* const data = text.data();
    size_t i = from;
    for (; i + last + 16 <= text.size(); i += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), firstFold);
        const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + last)), lastFold);
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, lastByte))));
        for (; mask; mask &= mask - 1) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (Equal<NoCase>(data + at + 1, sub.data() + 1, last)) return at;
        }
    }
    return FindPlain<NoCase>(text, sub, i);
}

void FindAllPlain(std::string_view text, char c, size_t from, std::vector<size_t>& found) {
    for (size_t i = from; i < text.size(); ++i)
        if (text[i] == c) found.push_back(i);
}

__attribute__((target("sse2"))) void FindAllWide(std::string_view text, char c, std::vector<size_t>& found) {
    const __m128i wanted = _mm_set1_epi8(c);
    size_t i = 0;
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))); mask;
             mask &= mask - 1)
            found.push_back(i + static_cast<size_t>(__builtin_ctz(mask)));
    }
    FindAllPlain(text, c, i, found);
}

template <bool NoCase>
size_t FindAny(std::string_view text, std::string_view sub, size_t from) {
    if (from > text.size() || sub.size() > text.size() - from) return npos;
    if (sub.empty()) return from;
    return HasWideCompare() ? FindWide<NoCase>(text, sub, from) : FindPlain<NoCase>(text, sub, from);
}
}  // namespace

bool HasWideCompare() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return has;
}

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

bool StartsWithNoCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && EqualNoCase(text.data(), head.data(), head.size());
}

size_t Find(std::string_view text, std::string_view sub, size_t from) { return FindAny<false>(text, sub, from); }

size_t FindNoCase(std::string_view text, std::string_view sub, size_t from) { return FindAny<true>(text, sub, from); }

size_t FindByte(std::string_view text, char c, size_t from) { return Find(text, std::string_view(&c, 1), from); }

std::vector<size_t> FindAllBytes(std::string_view text, char c) {
    std::vector<size_t> found;
    if (HasWideCompare())
        FindAllWide(text, c, found);
    else
        FindAllPlain(text, c, 0, found);
    return found;
}

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(Folded(c));
    return result;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

long LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Saturated at the limits of Windows's 32-bit long on every build.
    const int64_t limit = static_cast<int64_t>(INT32_MAX) + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), limit);
    if (negative) return static_cast<long>(-value);
    return static_cast<long>(std::min(value, limit - 1));
}
