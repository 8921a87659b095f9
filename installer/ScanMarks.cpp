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

// Sixteen places at a time. A pattern is noticed by a byte that is rare in
// configuration files ('_' of QTX_V2, '*' of GOTOQTX*, '[' of [lathe) or by two
// neighbouring bytes ("gn" of design, "ut" of router, "\n1" of a line 119); zero
// bytes are noticed too. Only the places a pattern would start at are compared whole.
__attribute__((target("sse2"))) inline __m128i Load(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("sse2"))) inline __m128i Is(__m128i bytes, char c) {
    return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}

// How far before the noticed byte each pattern starts: \n119., [lathe and zero at
// it, router two before, QTX_V2 three, design four, GOTOQTX* seven.
const size_t kStartsBefore[] = {0, 2, 3, 4, 7};

__attribute__((target("sse2"))) void CheckWide(std::string_view data, size_t base, ScanMarker& places) {
    size_t i = 0;
    for (; i + 17 <= data.size(); i += 16) {
        const __m128i first = Load(data.data() + i), second = Load(data.data() + i + 1);
        __m128i any = _mm_or_si128(_mm_or_si128(Is(first, '_'), Is(first, '*')), _mm_or_si128(Is(first, '['), Is(first, 0)));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, 'g'), Is(second, 'n')));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, 'u'), Is(second, 't')));
        any = _mm_or_si128(any, _mm_and_si128(Is(first, '\n'), Is(second, '1')));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(any)); mask; mask &= mask - 1) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            for (const size_t back : kStartsBefore)
                if (at >= back) places.CheckAt(data, at - back, base);
        }
    }
    // A pattern that starts before `i` may be noticed at or after it.
    CheckPlain(data, i < 7 ? 0 : i - 7, base, places);
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
