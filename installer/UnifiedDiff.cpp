#include "installer/UnifiedDiff.h"
#include <algorithm>
#include <map>
#include <vector>

namespace {
// Beyond this many changed lines the middle of the files is shown as replaced
// whole: the shortest edit script would need memory growing with its square.
const int kMostEdits = 2000;

struct Line {
    std::string_view text;
    std::string_view eol;
    bool operator==(const Line& other) const { return text == other.text && eol == other.eol; }
};

std::vector<Line> Lines(std::string_view data) {
    std::vector<Line> lines;
    for (size_t start = 0; start < data.size();) {
        const size_t feed = data.find('\n', start);
        if (feed == std::string_view::npos) {
            lines.push_back({data.substr(start), std::string_view()});
            break;
        }
        const size_t end = feed > start && data[feed - 1] == '\r' ? feed - 1 : feed;
        lines.push_back({data.substr(start, end - start), data.substr(end, feed + 1 - end)});
        start = feed + 1;
    }
    return lines;
}

enum class Op { Same, Delete, Insert };

struct Edit {
    Op op;
    size_t a;  // line of the first text (Same, Delete), or where an insertion stands
    size_t b;  // line of the second text (Same, Insert), or where a deletion stands
};

// The shortest edit script of a[from..) into b[from..) (Myers' greedy algorithm),
// the common ends left out by the caller.
void Middle(const std::vector<Line>& a, const std::vector<Line>& b, size_t aFrom, size_t aTo, size_t bFrom, size_t bTo,
            std::vector<Edit>& edits) {
    const int n = static_cast<int>(aTo - aFrom), m = static_cast<int>(bTo - bFrom);
    const int most = n + m;
    const auto replaceWhole = [&] {
        for (size_t i = aFrom; i < aTo; ++i) edits.push_back({Op::Delete, i, bFrom});
        for (size_t j = bFrom; j < bTo; ++j) edits.push_back({Op::Insert, aTo, j});
    };
    if (most == 0) return;
    std::vector<int> v(2 * most + 2, 0);
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= std::min(most, kMostEdits) && found < 0; ++d) {
        trace.push_back(v);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[most + k - 1] < v[most + k + 1])) ? v[most + k + 1] : v[most + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[aFrom + x] == b[bFrom + y]) ++x, ++y;
            v[most + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) return replaceWhole();
    // Walk back from the end through the saved frontiers.
    std::vector<Edit> reversed;
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& before = trace[d];
        const int k = x - y;
        const bool down = k == -d || (k != d && before[most + k - 1] < before[most + k + 1]);
        const int previousK = down ? k + 1 : k - 1;
        const int previousX = before[most + previousK], previousY = previousX - previousK;
        while (x > previousX + (down ? 0 : 1) && y > previousY + (down ? 1 : 0)) {
            --x, --y;
            reversed.push_back({Op::Same, aFrom + x, bFrom + y});
        }
        if (down)
            reversed.push_back({Op::Insert, aFrom + previousX, bFrom + previousY});
        else
            reversed.push_back({Op::Delete, aFrom + previousX, bFrom + previousY});
        x = previousX, y = previousY;
    }
    while (x > 0 && y > 0) {
        --x, --y;
        reversed.push_back({Op::Same, aFrom + x, bFrom + y});
    }
    edits.insert(edits.end(), reversed.rbegin(), reversed.rend());
}

std::vector<Edit> Script(const std::vector<Line>& a, const std::vector<Line>& b) {
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    std::vector<Edit> edits;
    for (size_t i = 0; i < prefix; ++i) edits.push_back({Op::Same, i, i});
    Middle(a, b, prefix, a.size() - suffix, prefix, b.size() - suffix, edits);
    for (size_t i = suffix; i > 0; --i) edits.push_back({Op::Same, a.size() - i, b.size() - i});
    return edits;
}

const char* EndingName(std::string_view eol) { return eol == "\r\n" ? "CR LF" : eol == "\n" ? "LF" : "no line ending"; }

// "@@ -start,count": an empty side names the line before it, as diff does.
std::string Range(size_t first, size_t count) {
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

void PrintHunk(const std::vector<Line>& a, const std::vector<Line>& b, const std::vector<Edit>& edits, size_t from,
               size_t to, std::string& out) {
    size_t aCount = 0, bCount = 0;
    // Lines whose text stays while their ending changes show their endings.
    std::map<std::string_view, std::string_view> deletedEndings;
    std::map<std::string_view, bool> endingChanged;
    for (size_t i = from; i < to; ++i) {
        aCount += edits[i].op != Op::Insert;
        bCount += edits[i].op != Op::Delete;
        if (edits[i].op == Op::Delete) deletedEndings[a[edits[i].a].text] = a[edits[i].a].eol;
    }
    for (size_t i = from; i < to; ++i) {
        if (edits[i].op != Op::Insert) continue;
        const auto deleted = deletedEndings.find(b[edits[i].b].text);
        if (deleted != deletedEndings.end() && deleted->second != b[edits[i].b].eol)
            endingChanged[deleted->first] = true;
    }
    out += "@@ -" + Range(edits[from].a, aCount) + " +" + Range(edits[from].b, bCount) + " @@\n";
    for (size_t i = from; i < to; ++i) {
        const Line& line = edits[i].op == Op::Insert ? b[edits[i].b] : a[edits[i].a];
        out += edits[i].op == Op::Same ? ' ' : edits[i].op == Op::Delete ? '-' : '+';
        out.append(line.text);
        if (edits[i].op != Op::Same && endingChanged.count(line.text))
            out += std::string(" [") + EndingName(line.eol) + "]";
        out += '\n';
        if (line.eol.empty()) out += "\\ No newline at end of file\n";
    }
}
}  // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName, int context) {
    if (before == after) return std::string();
    const std::vector<Line> a = Lines(before), b = Lines(after);
    const std::vector<Edit> edits = Script(a, b);
    std::string out = "--- " + beforeName + "\n+++ " + afterName + "\n";
    const size_t reach = static_cast<size_t>(std::max(context, 0));
    for (size_t i = 0; i < edits.size();) {
        if (edits[i].op == Op::Same) {
            ++i;
            continue;
        }
        // A hunk: this change, and every later one that is no more than two
        // contexts of unchanged lines away, with a context on each side.
        const size_t from = i >= reach ? i - reach : 0;
        size_t last = i;
        for (size_t j = i + 1; j < edits.size() && j <= last + 2 * reach + 1; ++j)
            if (edits[j].op != Op::Same) last = j;
        const size_t to = std::min(edits.size(), last + reach + 1);
        PrintHunk(a, b, edits, from, to, out);
        i = to;
    }
    return out;
}
