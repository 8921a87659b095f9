#include "installer/ScanMarks.h"
#include "foundation/TextSearch.h"
#include "installer/McKind.h"
#include <immintrin.h>
#include <algorithm>
#include <array>

namespace {
const size_t npos = std::string_view::npos;

enum Mark { kEditorMark, kToolbarMark, kWireMark, kLatheMark, kDesignMark, kRouterMark, kMarkCount };

struct Pattern {
    std::string_view text;
    bool noCase;
};

static_assert(kMarkCount == ScanMarker::kPatternCount);

const Pattern kPatterns[kMarkCount] = {
    {"QTX_V2", true}, {"GOTOQTX*", true}, {"\n119. ", false}, {"[lathe", false}, {"design", false}, {"router", false},
};

// For each byte, the patterns that may start where it stands (their first byte, in
// either case where case does not count); bit 31 marks the zero byte, the end of
// the text the product is looked for in.
const unsigned kZeroStart = 1u << 31;
const std::array<unsigned, 256> kStarts = [] {
    std::array<unsigned, 256> starts{};
    for (int mark = 0; mark < kMarkCount; ++mark) {
        const unsigned char c = static_cast<unsigned char>(kPatterns[mark].text[0]);
        starts[c] |= 1u << mark;
        if (kPatterns[mark].noCase && c >= 'A' && c <= 'Z') starts[c + ('a' - 'A')] |= 1u << mark;
    }
    starts[0] |= kZeroStart;
    return starts;
}();

// The longest pattern, less one: how far a pattern may reach past where it starts.
const size_t kReach = 7;

void CheckPlain(std::string_view data, size_t from, size_t base, ScanMarker& places) {
    for (size_t at = from; at < data.size(); ++at)
        if (kStarts[static_cast<unsigned char>(data[at])]) places.CheckAt(data, at, base);
}

// A pattern is noticed by a byte that is rare in configuration files ('_' of
// QTX_V2, '*' of GOTOQTX*, '[' of [lathe) or by two neighbouring bytes ("gn" of
// design, "ut" of router, "\n1" of a line 119); zero bytes are noticed too. Only
// the places a pattern would start at are compared whole. How far before the
// noticed byte each pattern starts: \n119., [lathe and zero at it, router two
// before, QTX_V2 three, design four, GOTOQTX* seven.
const size_t kStartsBefore[] = {0, 2, 3, 4, 7};

void CheckNoticed(std::string_view data, size_t block, unsigned mask, size_t base, ScanMarker& places) {
    for (; mask; mask &= mask - 1) {
        const size_t at = block + static_cast<size_t>(__builtin_ctz(mask));
        for (const size_t back : kStartsBefore)
            if (at >= back) places.CheckAt(data, at - back, base);
    }
}

// Each byte looked for, repeated across a whole register.
struct alignas(32) Repeated {
    char bytes[32];
};

constexpr Repeated RepeatedByte(char c) {
    Repeated r{};
    for (char& b : r.bytes) b = c;
    return r;
}

struct Needles {
    Repeated underscore, star, bracket, zero, g, n, u, t, newline, one;
};

constexpr Needles kNeedles = {RepeatedByte('_'),  RepeatedByte('*'), RepeatedByte('['), RepeatedByte(0),
                              RepeatedByte('g'),  RepeatedByte('n'), RepeatedByte('u'), RepeatedByte('t'),
                              RepeatedByte('\n'), RepeatedByte('1')};

// The needles as the loops below see them: through a pointer the compiler cannot
// see through, so that it compares with them where they lie in memory instead of
// building each one anew in every round (x86 has too few registers to keep them).
const Needles* NeedlesInMemory() {
    const Needles* needles = &kNeedles;
    __asm__("" : "+r"(needles));
    return needles;
}

// Sixteen places at a time.
__attribute__((target("sse2"))) inline __m128i Is(__m128i bytes, const Repeated& c) {
    return _mm_cmpeq_epi8(bytes, _mm_load_si128(reinterpret_cast<const __m128i*>(c.bytes)));
}

__attribute__((target("sse2"))) size_t CheckSixteen(std::string_view data, size_t base, ScanMarker& places) {
    const Needles& k = *NeedlesInMemory();
    size_t i = 0;
    for (; i + 17 <= data.size(); i += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i + 1));
        __m128i any = _mm_or_si128(_mm_or_si128(Is(first, k.underscore), Is(first, k.star)),
                                   _mm_or_si128(Is(first, k.bracket), Is(first, k.zero)));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, k.g), Is(second, k.n)));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, k.u), Is(second, k.t)));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, k.newline), Is(second, k.one)));
        CheckNoticed(data, i, static_cast<unsigned>(_mm_movemask_epi8(any)), base, places);
    }
    return i;
}

// Thirty-two places at a time, the same tests.
__attribute__((target("avx2"))) inline __m256i Is(__m256i bytes, const Repeated& c) {
    return _mm256_cmpeq_epi8(bytes, _mm256_load_si256(reinterpret_cast<const __m256i*>(c.bytes)));
}

__attribute__((target("avx2"))) size_t CheckThirtyTwo(std::string_view data, size_t base, ScanMarker& places) {
    const Needles& k = *NeedlesInMemory();
    size_t i = 0;
    for (; i + 33 <= data.size(); i += 32) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data.data() + i));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data.data() + i + 1));
        __m256i any = _mm256_or_si256(_mm256_or_si256(Is(first, k.underscore), Is(first, k.star)),
                                      _mm256_or_si256(Is(first, k.bracket), Is(first, k.zero)));
        any = _mm256_or_si256(any, _mm256_and_si256(Is(first, k.g), Is(second, k.n)));
        any = _mm256_or_si256(any, _mm256_and_si256(Is(first, k.u), Is(second, k.t)));
        any = _mm256_or_si256(any, _mm256_and_si256(Is(first, k.newline), Is(second, k.one)));
        CheckNoticed(data, i, static_cast<unsigned>(_mm256_movemask_epi8(any)), base, places);
    }
    return i;
}

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

size_t widestForTests = 32;
}  // namespace

void ScanMarker::CheckAt(std::string_view data, size_t at, size_t base) {
    const unsigned starts = kStarts[static_cast<unsigned char>(data[at])];
    if (starts & kZeroStart) zero_ = std::min(zero_, base + at);
    for (unsigned left = starts & ~kZeroStart; left; left &= left - 1) {
        const int mark = __builtin_ctz(left);
        if (base + at >= first_[mark]) continue;
        const std::string_view here = data.substr(at, kPatterns[mark].text.size());
        if (kPatterns[mark].noCase ? StartsWithNoCase(here, kPatterns[mark].text) : here == kPatterns[mark].text)
            first_[mark] = base + at;
    }
}

void ScanMarker::Add(std::string_view piece) {
    // Patterns that began in the last bytes of the pieces before, now whole.
    if (!tail_.empty()) {
        const std::string joint = tail_ + std::string(piece.substr(0, kReach));
        for (size_t at = 0; at < tail_.size(); ++at)
            if (kStarts[static_cast<unsigned char>(joint[at])]) CheckAt(joint, at, size_ - tail_.size());
    }
    const size_t wide = HasAvx2() && widestForTests >= 32          ? CheckThirtyTwo(piece, size_, *this)
                        : HasWideCompare() && widestForTests >= 16 ? CheckSixteen(piece, size_, *this)
                                                                   : 0;
    // The rest one byte at a time; a pattern that starts before `wide` may be noticed after it.
    CheckPlain(piece, wide < kReach ? 0 : wide - kReach, size_, *this);
    size_ += piece.size();
    tail_ += piece.substr(piece.size() > kReach ? piece.size() - kReach : 0);
    if (tail_.size() > kReach) tail_.erase(0, tail_.size() - kReach);
}

ScanMarks ScanMarker::Marks() const {
    const auto named = [&](Mark mark) { return first_[mark] != npos; };
    const auto beforeZero = [&](Mark mark) { return named(mark) && first_[mark] < zero_; };
    ScanMarks marks;
    marks.editor = named(kEditorMark);
    marks.toolbar = named(kToolbarMark);
    marks.kind = beforeZero(kWireMark)     ? kWire
                 : beforeZero(kLatheMark)  ? kLathe
                 : beforeZero(kDesignMark) ? kDesign
                 : beforeZero(kRouterMark) ? kRouter
                                           : kMill;
    return marks;
}

void LimitScanWidthForTests(size_t bytes) { widestForTests = bytes; }

ScanMarks ReadScanMarks(std::string_view data) {
    ScanMarker marker;
    marker.Add(data);
    return marker.Marks();
}
