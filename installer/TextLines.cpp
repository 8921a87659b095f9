#include "installer/TextLines.h"

std::vector<LineView> SplitLines(std::string_view data) {
    std::vector<LineView> lines;
    lines.reserve(data.size() / 32 + 1);
    size_t start = 0;
    while (start < data.size()) {
        const size_t feed = data.find('\n', start);
        if (feed == std::string_view::npos) {
            lines.push_back({data.substr(start), std::string_view()});
            break;
        }
        const bool carriageReturn = feed > start && data[feed - 1] == '\r';
        const size_t end = carriageReturn ? feed - 1 : feed;
        lines.push_back({data.substr(start, end - start), data.substr(end, feed + 1 - end)});
        start = feed + 1;
    }
    return lines;
}

void LineWriter::End(std::string_view eol) {
    if (!eol.empty()) lastEol_ = eol;
    out_.append(eol.empty() ? lastEol_ : eol);
}

void LineWriter::Add(std::string_view text, std::string_view eol) {
    out_.append(text);
    End(eol);
}

void LineWriter::Add(std::string_view head, std::string_view tail, std::string_view eol) {
    out_.append(head);
    out_.append(tail);
    End(eol);
}
