#include "environment/LanguageFile.h"
#include <charconv>
#include <cstdint>
#include <set>

namespace {
const char* const kHeader[] = {
    "#*       Name: English",
    "#*    Version: 1.0",
    nullptr,  // the date
    "#*       Info: This is translation text",
    "#*     Author: Quillmere Designs, Inc.",
    "",
    "#Quillmere Designs, Inc. Language Translation file",
    "#   ",
    "#This file has the following format:",
    "#  Lines starting with a \"#\" are comments.",
    "#  Each translation is contained on three lines.",
    "#   The first line has the context after the \"Context:\" statement.  Do not change this line.",
    "#   The second line has a numerical ID with the English version.  Do not change this line.",
    "#   The third line has the translation.",
    "#   ",
};
const char* const kLineEnd = "\r\n";
const std::string_view kContext = "Context: ";

bool StartsEscape(char next) {
    return next == 'n' || next == 'r' || next == 't' || next == '\\' || next == '\n' || next == '\r' || next == '\t';
}

void AppendEscaped(std::string& out, const char* text) {
    for (const char* c = text; *c; ++c) {
        switch (*c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += StartsEscape(c[1]) ? "\\\\" : "\\"; break;
            default: out += *c; break;
        }
    }
}

std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 'n' || next == 'r' || next == 't' || next == '\\')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Lines as std::getline gives them, each without its line feed and one carriage return.
class Lines {
public:
    explicit Lines(std::string_view text) : rest(text) {}
    bool Next(std::string_view& line) {
        if (done) return false;
        const size_t feed = rest.find('\n');
        line = rest.substr(0, feed);
        if (feed == std::string_view::npos) {
            done = true;
            if (line.empty()) return false;
        } else {
            rest.remove_prefix(feed + 1);
            done = rest.empty();
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        return true;
    }
    int Number() const { return number; }

private:
    std::string_view rest;
    bool done = false;
    int number = 0;
};

// The second line of an entry: a 32-bit number, then one space and the English text
// (or nothing, for an empty text).
bool ParseNumbered(std::string_view line, long& number, std::string& english) {
    int32_t value = 0;
    const char* end = line.data() + line.size();
    const std::from_chars_result parsed = std::from_chars(line.data(), end, value);
    if (parsed.ec != std::errc() || (parsed.ptr != end && *parsed.ptr != ' ')) return false;
    number = value;
    english =
        Unescaped(parsed.ptr == end ? std::string_view() : std::string_view(parsed.ptr + 1, end - parsed.ptr - 1));
    return true;
}
}  // namespace

std::string LanguageFileHeader(const std::string& date) {
    std::string out;
    for (const char* line : kHeader) {
        out += line ? line : "#*       Date: " + date;
        out += kLineEnd;
    }
    return out;
}

void AppendLanguageEntry(std::string& out, const MessageRecord& r) {
    if (!WrittenToLanguageFile(r.number)) return;
    out += kLineEnd;
    out += kContext;
    AppendEscaped(out, r.context);
    out += kLineEnd;
    out += std::to_string(r.number);
    out += ' ';
    AppendEscaped(out, r.english);
    out += kLineEnd;
    AppendEscaped(out, r.current);
    out += kLineEnd;
}

bool ParseLanguageFile(std::string_view text, std::vector<MessageRecord>& entries, int& badLine) {
    // The entries read so far, by key.
    const auto before = [&entries](size_t a, size_t b) { return entries[a] < entries[b]; };
    std::set<size_t, decltype(before)> keys(before);
    Lines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.substr(0, kContext.size()) != kContext) continue;  // comments, empty lines, anything else
        const std::string context = Unescaped(line.substr(kContext.size()));
        std::string_view numbered;
        std::string_view translation;
        long number = 0;
        std::string english;
        badLine = lines.Number() + 1;
        if (!lines.Next(numbered) || !ParseNumbered(numbered, number, english)) return false;
        badLine = lines.Number() + 1;
        if (!lines.Next(translation)) return false;
        entries.emplace_back(number, english.c_str(), Unescaped(translation).c_str(), context.c_str());
        badLine = lines.Number() - 1;
        if (!keys.insert(entries.size() - 1).second) {
            entries.pop_back();
            return false;
        }
    }
    badLine = 0;
    return true;
}
