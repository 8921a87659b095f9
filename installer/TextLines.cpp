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

LineView LineAt(std::string_view data, size_t start) {
    const size_t feed = FindByte(data, '\n', start);
    if (feed == std::string_view::npos) return {data.substr(start), std::string_view()};
    const size_t end = feed > start && data[feed - 1] == '\r' ? feed - 1 : feed;
    return {data.substr(start, end - start), data.substr(end, feed + 1 - end)};
}

size_t LineStartOf(std::string_view data, size_t at) {
    const size_t feed = at == 0 ? std::string_view::npos : data.rfind('\n', at - 1);
    return feed == std::string_view::npos ? 0 : feed + 1;
}

size_t LineStarts::Next(size_t from) {
    if (searchedFrom_ != std::string_view::npos && searchedFrom_ <= from &&
        (found_ == std::string_view::npos || found_ >= from))
        return found_;
    searchedFrom_ = from;
    if (from == 0 && StartsWith(data_, head_)) return found_ = 0;
    const size_t feed = Find(data_, pattern_, from == 0 ? 0 : from - 1);
    return found_ = feed == std::string_view::npos ? feed : feed + 1;
}

void LineWriter::AddLines(std::string_view lines) {
    if (lines.empty()) return;
    const size_t lastFeed = lines.rfind('\n');
    if (lastFeed != lines.size() - 1) {
        // A final line without an ending.
        AddLines(lastFeed == std::string_view::npos ? std::string_view() : lines.substr(0, lastFeed + 1));
        Add(lines.substr(lastFeed == std::string_view::npos ? 0 : lastFeed + 1), std::string_view());
        return;
    }
    if (runEnd_ != lines.data()) {
        FlushRun();
        runBegin_ = lines.data();
    }
    runEnd_ = lines.data() + lines.size();
    const bool carriageReturn = lines.size() >= 2 && lines[lines.size() - 2] == '\r';
    lastEol_ = lines.substr(lines.size() - (carriageReturn ? 2 : 1));
}

void LineWriter::FlushRun() {
    if (runBegin_ != runEnd_) out_.append(runBegin_, static_cast<size_t>(runEnd_ - runBegin_));
    runBegin_ = runEnd_ = nullptr;
}

void LineWriter::End(std::string_view eol) {
    if (!eol.empty()) lastEol_ = eol;
    out_.append(eol);
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
