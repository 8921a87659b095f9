#include "foundation/TextSearch.h"
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>

namespace {
const std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return table;
}();

unsigned char Folded(char c) { return kFolded[static_cast<unsigned char>(c)]; }

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Folded(a[i]) != Folded(b[i])) return false;
    return true;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

bool StartsWithNoCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && EqualNoCase(text.data(), head.data(), head.size());
}

size_t FindNoCase(std::string_view text, std::string_view sub) {
    if (sub.empty()) return 0;
    if (text.size() < sub.size()) return std::string_view::npos;
    // Jump between the candidates for the first character, in either case.
    const char first[2] = {static_cast<char>(Folded(sub[0])), static_cast<char>(std::tolower(Folded(sub[0])))};
    const char* const begin = text.data();
    const char* const end = begin + (text.size() - sub.size()) + 1;  // past the last possible start
    // The next place of each case; one that is not found stays not found.
    const auto next = [end](const char* from, char c) {
        return from < end ? static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(end - from))) : nullptr;
    };
    const char* upper = next(begin, first[0]);
    const char* lower = first[1] == first[0] ? nullptr : next(begin, first[1]);
    while (upper || lower) {
        const char* candidate = !upper ? lower : !lower ? upper : std::min(upper, lower);
        if (EqualNoCase(candidate + 1, sub.data() + 1, sub.size() - 1)) return static_cast<size_t>(candidate - begin);
        if (candidate == upper) upper = next(candidate + 1, first[0]);
        if (candidate == lower) lower = next(candidate + 1, first[1]);
    }
    return std::string_view::npos;
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
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > LONG_MAX) value = static_cast<long long>(LONG_MAX) + 1;
    }
    if (negative) return value > LONG_MAX ? LONG_MIN : static_cast<long>(-value);
    return value > LONG_MAX ? LONG_MAX : static_cast<long>(value);
}
