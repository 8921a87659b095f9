#include "installer/ScanMarks.h"
#include "foundation/TextSearch.h"
#include "installer/McConfigFile.h"
#include <emmintrin.h>
#include <array>

namespace {
const size_t npos = std::string_view::npos;

enum Mark { kEditorMark, kToolbarMark, kWireMark, kLatheMark, kDesignMark, kRouterMark, kMarkCount };

struct Pattern {
    std::string_view text;
    bool noCase;
};

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

// The first place of each pattern, and of the first zero byte.
struct Places {
    std::array<size_t, kMarkCount> first;
    size_t zero = npos;

    Places() { first.fill(npos); }
    void CheckAt(std::string_view data, size_t at) {
        if (data[at] == '\0' && zero == npos) zero = at;
        for (int mark = 0; mark < kMarkCount; ++mark) {
            if (first[mark] != npos) continue;
            const std::string_view here = data.substr(at, kPatterns[mark].text.size());
            if (kPatterns[mark].noCase ? StartsWithNoCase(here, kPatterns[mark].text) : here == kPatterns[mark].text)
                first[mark] = at;
        }
    }
};

void CheckPlain(std::string_view data, size_t from, Places& places) {
    for (size_t at = from; at < data.size(); ++at)
        if (kStarts[static_cast<unsigned char>(data[at])]) places.CheckAt(data, at);
}

// Sixteen places at a time, each pattern recognised by two or three of its bytes
// at their distances (chosen to be rare together in configuration files); only
// those places are compared whole.
__attribute__((target("sse2"))) inline __m128i Load(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("sse2"))) void CheckWide(std::string_view data, Places& places) {
    const __m128i lower = _mm_set1_epi8(0x20);
    const __m128i underscore = _mm_set1_epi8('_'), v = _mm_set1_epi8('v'), x = _mm_set1_epi8('x'),
                  star = _mm_set1_epi8('*'), feed = _mm_set1_epi8('\n'), nine = _mm_set1_epi8('9'),
                  bracket = _mm_set1_epi8('['), l = _mm_set1_epi8('l'), g = _mm_set1_epi8('g'), n = _mm_set1_epi8('n'),
                  r = _mm_set1_epi8('r'), u = _mm_set1_epi8('u'), e = _mm_set1_epi8('e'), zero = _mm_setzero_si128();
    const size_t reach = 7;  // the farthest byte a test looks at
    size_t i = 0;
    for (; i + reach + 16 <= data.size(); i += 16) {
        const char* const at = data.data() + i;
        const __m128i b0 = Load(at), b1 = Load(at + 1), b2 = Load(at + 2), b3 = Load(at + 3), b4 = Load(at + 4),
                      b5 = Load(at + 5), b6 = Load(at + 6), b7 = Load(at + 7);
        const __m128i b4Lower = _mm_or_si128(b4, lower);
        __m128i any = _mm_and_si128(_mm_cmpeq_epi8(b3, underscore), _mm_cmpeq_epi8(b4Lower, v));         // QTX_V2
        any = _mm_or_si128(any, _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(b6, lower), x), _mm_cmpeq_epi8(b7, star)));  // GOTOQTX*
        any = _mm_or_si128(any, _mm_and_si128(_mm_cmpeq_epi8(b0, feed), _mm_cmpeq_epi8(b3, nine)));    // \n119.
        any = _mm_or_si128(any, _mm_and_si128(_mm_cmpeq_epi8(b0, bracket), _mm_cmpeq_epi8(b1, l)));    // [lathe
        any = _mm_or_si128(any, _mm_and_si128(_mm_cmpeq_epi8(b4, g), _mm_cmpeq_epi8(b5, n)));          // design
        any = _mm_or_si128(any, _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(b0, r), _mm_cmpeq_epi8(b2, u)),
                                              _mm_cmpeq_epi8(b4, e)));                                  // router
        any = _mm_or_si128(any, _mm_cmpeq_epi8(b0, zero));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(any)); mask; mask &= mask - 1)
            places.CheckAt(data, i + static_cast<size_t>(__builtin_ctz(mask)));
    }
    CheckPlain(data, i, places);
}
}  // namespace

ScanMarks ReadScanMarks(std::string_view data) {
    Places places;
    if (HasWideCompare())
        CheckWide(data, places);
    else
        CheckPlain(data, 0, places);
    const auto named = [&](Mark mark) { return places.first[mark] != npos; };
    const auto beforeZero = [&](Mark mark) { return named(mark) && places.first[mark] < places.zero; };
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
