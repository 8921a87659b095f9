#include "installer/TextLines.h"

std::vector<LineView> SplitLines(std::string_view data) {
    const std::vector<size_t> feeds = FindAllBytes(data, '\n');
    std::vector<LineView> lines;
    lines.reserve(feeds.size() + 1);
    size_t start = 0;
    for (const size_t feed : feeds) {
        const size_t end = feed > start && data[feed - 1] == '\r' ? feed - 1 : feed;
        lines.push_back({data.substr(start, end - start), data.substr(end, feed + 1 - end)});
        start = feed + 1;
    }
    if (start < data.size()) lines.push_back({data.substr(start), std::string_view()});
    return lines;
}

void LineWriter::FlushRun() {
    if (runBegin_ != runEnd_) out_.append(runBegin_, static_cast<size_t>(runEnd_ - runBegin_));
    runBegin_ = runEnd_ = nullptr;
}

void LineWriter::End(std::string_view eol) {
    if (!eol.empty()) lastEol_ = eol;
    out_.append(eol.empty() ? lastEol_ : eol);
}

void LineWriter::Add(std::string_view text, std::string_view eol) {
    // A whole line of the source, ending included: it extends the run or starts one.
    if (!eol.empty() && text.data() + text.size() == eol.data()) {
        if (runEnd_ != text.data()) {
            FlushRun();
            runBegin_ = text.data();
        }
        runEnd_ = eol.data() + eol.size();
        lastEol_ = eol;
        return;
    }
    FlushRun();
    out_.append(text);
    End(eol);
}

void LineWriter::Add(std::string_view head, std::string_view tail, std::string_view eol) {
    FlushRun();
    out_.append(head);
    out_.append(tail);
    End(eol);
}

const std::string& LineWriter::Finish() {
    FlushRun();
    return out_;
}
