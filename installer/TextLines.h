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

// Lines copied unchanged from the source buffer are gathered into runs and copied
// a run at a time, into a buffer the caller keeps for the next file.
class LineWriter {
public:
    LineWriter(std::string& out, size_t expected) : out_(out) {
        out_.clear();
        out_.reserve(expected + expected / 16);
    }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;
    void Add(std::string_view text, std::string_view eol);
    void Add(const LineView& line) { Add(line.text, line.eol); }
    // A line built from two pieces, such as a prefix and a new value.
    void Add(std::string_view head, std::string_view tail, std::string_view eol);
    // The lines written so far, all in the buffer.
    const std::string& Finish();

private:
    void FlushRun();
    void End(std::string_view eol);

    std::string& out_;
    const char* runBegin_ = nullptr;
    const char* runEnd_ = nullptr;
    std::string_view lastEol_ = "\n";
};

inline long LineNumber(std::string_view line) { return LeadingNumber(line); }
