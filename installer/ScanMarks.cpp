#include "installer/ScanMarks.h"
#include "foundation/TextSearch.h"
#include "installer/McConfigFile.h"
#include <emmintrin.h>
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

// Patterns may start only where their first byte stands, in either case.
const std::array<bool, 256> kStarts = [] {
    std::array<bool, 256> starts{};
    for (const Pattern& pattern : kPatterns) {
        const unsigned char c = static_cast<unsigned char>(pattern.text[0]);
        starts[c] = true;
        if (pattern.noCase && c >= 'A' && c <= 'Z') starts[c + ('a' - 'A')] = true;
    }
    starts[0] = true;  // the end of the text the product is looked for in
    return starts;
}();

// The longest pattern, less one: how far a pattern may reach past where it starts.
const size_t kReach = 7;

void CheckPlain(std::string_view data, size_t from, size_t base, ScanMarker& places) {
    for (size_t at = from; at < data.size(); ++at)
        if (kStarts[static_cast<unsigned char>(data[at])]) places.CheckAt(data, at, base);
}

// Sixteen places at a time, from two neighbouring bytes each (their 0x20 bit set,
// which folds letter case): "qt" starts QTX_V2 and stands four bytes into GOTOQTX*,
// "\n1" starts a line 119, "[l" starts [lathe, "gn" stands four bytes into design
// and "ut" two bytes into router. Together they are rare in configuration files;
// only those places, and zero bytes, are compared whole.
__attribute__((target("sse2"))) inline __m128i Load(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("sse2"))) inline __m128i Pair(__m128i first, __m128i second, char a, char b) {
    return _mm_and_si128(_mm_cmpeq_epi8(first, _mm_set1_epi8(a)), _mm_cmpeq_epi8(second, _mm_set1_epi8(b)));
}

__attribute__((target("sse2"))) void CheckWide(std::string_view data, size_t base, ScanMarker& places) {
    const __m128i fold = _mm_set1_epi8(0x20);
    size_t i = 0;
    for (; i + 17 <= data.size(); i += 16) {
        const __m128i raw = Load(data.data() + i);
        const __m128i first = _mm_or_si128(raw, fold);
        const __m128i second = _mm_or_si128(Load(data.data() + i + 1), fold);
        __m128i any = _mm_or_si128(Pair(first, second, 'q', 't'), Pair(first, second, '\n' | 0x20, '1'));
        any = _mm_or_si128(any, _mm_or_si128(Pair(first, second, '[' | 0x20, 'l'), Pair(first, second, 'g', 'n')));
        any = _mm_or_si128(any, _mm_or_si128(Pair(first, second, 'u', 't'), _mm_cmpeq_epi8(raw, _mm_setzero_si128())));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(any)); mask; mask &= mask - 1) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            for (const size_t back : {size_t{0}, size_t{2}, size_t{4}})
                if (at >= back) places.CheckAt(data, at - back, base);
        }
    }
    // A pattern that starts before `i` may have its two bytes at or after it.
    CheckPlain(data, i < 4 ? 0 : i - 4, base, places);
}
}  // namespace

void ScanMarker::CheckAt(std::string_view data, size_t at, size_t base) {
    if (data[at] == '\0') zero_ = std::min(zero_, base + at);
    for (int mark = 0; mark < kMarkCount; ++mark) {
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
    if (HasWideCompare())
        CheckWide(piece, size_, *this);
    else
        CheckPlain(piece, 0, size_, *this);
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

ScanMarks ReadScanMarks(std::string_view data) {
    ScanMarker marker;
    marker.Add(data);
    return marker.Marks();
}
