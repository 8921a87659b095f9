#pragma once
// Line-by-line rewrites of Mastercam's text files over one buffer. Lines keep
// their own ending (CR LF or LF) and any length; a final line without one stays
// without one, so that an edit and its undoing give back every byte.
#include "foundation/TextSearch.h"
#include <algorithm>
#include <cstdint>
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

// The line that starts at `start`, and where the line after it starts.
LineView LineAt(std::string_view data, size_t start);
inline size_t EndOf(std::string_view data, const LineView& line) {
    return static_cast<size_t>(
        (line.eol.empty() ? line.text.data() + line.text.size() : line.eol.data() + line.eol.size()) - data.data());
}
// Where the line holding position `at` starts.
size_t LineStartOf(std::string_view data, size_t at);

// The lines of a buffer that begin with a given text, found by one search each
// instead of a look at every line.
class LineStarts {
public:
    LineStarts(std::string_view data, std::string_view head)
        : data_(data), head_(head), pattern_("\n" + std::string(head)) {}
    // The first such line starting at or after `from`, a line start; npos when none.
    size_t Next(size_t from);

private:
    std::string_view data_;
    std::string_view head_;
    std::string pattern_;
    size_t found_ = std::string_view::npos;
    size_t searchedFrom_ = std::string_view::npos;
};

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
    // The ending is written as given: empty only for the file's final line.
    void Add(std::string_view text, std::string_view eol);
    void Add(const LineView& line) { Add(line.text, line.eol); }
    // The ending for a line that is final in the source but gets a line after it:
    // the ending of the line before (LF when there is none).
    std::string_view Ending(std::string_view eol) const { return eol.empty() ? lastEol_ : eol; }
    // Whole lines of the source, copied as they are.
    void AddLines(std::string_view lines);
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

// Wide enough that a neighbour's number (one more or less) never overflows.
inline int64_t LineNumber(std::string_view line) { return LeadingNumber(line); }

// Copies `data` into `out` line by line, the lines between edits as whole runs:
// `nextEdit(from)` names the start of the next line that may change (or the end),
// and `edit(line, at)` writes that line, and any after it that it takes, returning
// where the copy goes on.
template <class NextEdit, class Edit>
void CopyWithEdits(std::string_view data, LineWriter& out, NextEdit nextEdit, Edit edit) {
    for (size_t next = 0; next < data.size();) {
        const size_t at = std::min(nextEdit(next), data.size());
        out.AddLines(data.substr(next, at - next));
        if (at == data.size()) return;
        next = edit(LineAt(data, at), at);
    }
}
