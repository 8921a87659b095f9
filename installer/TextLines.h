#pragma once
// Line-by-line rewrites of Mastercam's text files over one buffer. Lines keep
// their own ending (CR LF or LF) and any length; a final line without one gets
// the ending of the line before it (LF when there is none).
#include "foundation/TextSearch.h"
#include <string>
#include <string_view>
#include <vector>

// Files under this size are never edited.
constexpr size_t kSmallestEditable = 1024;

struct LineView {
    std::string_view text;
    std::string_view eol;  // empty only for a final line without an ending
};

std::vector<LineView> SplitLines(std::string_view data);

class LineWriter {
public:
    explicit LineWriter(size_t expected) { out_.reserve(expected + expected / 16); }
    void Add(std::string_view text, std::string_view eol);
    void Add(const LineView& line) { Add(line.text, line.eol); }
    // A line built from two pieces, such as a prefix and a new value.
    void Add(std::string_view head, std::string_view tail, std::string_view eol);
    std::string Take() { return std::move(out_); }

private:
    void End(std::string_view eol);

    std::string out_;
    std::string_view lastEol_ = "\n";
};

inline long LineNumber(std::string_view line) { return LeadingNumber(line); }
