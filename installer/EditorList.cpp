#include "installer/EditorList.h"
#include "installer/TextLines.h"
#include <vector>

namespace {
const char* const kHostEntry = "2. \"QTX_V2\"";
const int64_t kNumberLimit = 20;

bool IsListHeader(std::string_view line) { return StartsWithNoCase(line, "[file edit]"); }
bool IsSectionStart(std::string_view line) { return !line.empty() && line[0] == '['; }
bool IsComment(std::string_view line) { return !line.empty() && line[0] == '('; }

// An entry: numbered 2 or more and holding its editor name in double quotes.
bool IsEntry(std::string_view line) { return LineNumber(line) >= 2 && Contains(line, "\""); }

std::string Renumbered(int64_t number, std::string_view line) {
    return std::to_string(number) + ". " + std::string(line.substr(line.find('"')));
}

int64_t Count(std::string_view line) {
    const size_t quote = line.find('"');
    return quote == std::string_view::npos ? 0 : LeadingNumber(line.substr(quote + 1));
}

std::string CountLine(int64_t count) { return "1. \"" + std::to_string(count) + "\""; }

// Lines the addition rewrites must be in the very form it writes, so that the
// removal writes them back as they were.
bool IsPlainCount(std::string_view line) { return Count(line) < INT32_MAX && line == CountLine(Count(line)); }
bool IsPlainEntry(std::string_view line) {
    return line.substr(0, line.find('"')) == std::to_string(LineNumber(line)) + ". ";
}

enum class LineRole { Outside, Comment, Count, Entry, Other };

// The role of every line: the [file edit] sections' comments, count lines and
// entries, and everything else.
std::vector<LineRole> Roles(const std::vector<LineView>& lines) {
    std::vector<LineRole> roles(lines.size(), LineRole::Outside);
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        if (inside && IsSectionStart(text)) inside = false;
        if (!inside) {
            inside = IsListHeader(text);
            continue;
        }
        roles[i] = IsComment(text)         ? LineRole::Comment
                   : LineNumber(text) == 1 ? LineRole::Count
                   : IsEntry(text)         ? LineRole::Entry
                                           : LineRole::Other;
    }
    return roles;
}

bool IsHostEntry(std::string_view line) { return Contains(line, "QTX_V2"); }
bool NamesHostEditor(std::string_view line) { return ContainsNoCase(line, "QTX_V2"); }

bool Any(const std::vector<LineView>& lines, const std::vector<LineRole>& roles, LineRole role,
         bool (*test)(std::string_view)) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (roles[i] == role && test(lines[i].text)) return true;
    return false;
}

EditRefusal CheckAddition(const std::vector<LineView>& lines, const std::vector<LineRole>& roles) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        if (roles[i] == LineRole::Count && !IsPlainCount(text)) return EditRefusal::UnusualCountLine;
        if (roles[i] != LineRole::Entry) continue;
        if (!IsPlainEntry(text)) return EditRefusal::UnusualEntry;
        if (LineNumber(text) + 1 >= kNumberLimit) return EditRefusal::EditorListFull;
    }
    return EditRefusal::None;
}
}  // namespace

bool EditorListHasHostEntry(std::string_view data) {
    const std::vector<LineView> lines = SplitLines(data);
    return Any(lines, Roles(lines), LineRole::Entry, IsHostEntry);
}

bool EditorListHasSection(std::string_view data) {
    for (const LineView& line : SplitLines(data))
        if (IsListHeader(line.text)) return true;
    return false;
}

ListEdit AddToEditorList(std::string_view data, std::string& out) {
    if (data.size() < kSmallestEditable) return {};
    const std::vector<LineView> lines = SplitLines(data);
    const std::vector<LineRole> roles = Roles(lines);
    // The host's entry goes in front of the first entry: without one there is no place for it.
    const auto always = [](std::string_view) { return true; };
    if (Any(lines, roles, LineRole::Entry, NamesHostEditor) || !Any(lines, roles, LineRole::Entry, always)) return {};
    if (const EditRefusal refusal = CheckAddition(lines, roles); refusal != EditRefusal::None) return {false, refusal};
    LineWriter writer(out, data.size() + 32);
    bool hostWritten = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineView& line = lines[i];
        if (roles[i] == LineRole::Count) {
            writer.Add(CountLine(Count(line.text) + 1), line.eol);
        } else if (roles[i] == LineRole::Entry) {
            if (!hostWritten) writer.Add(kHostEntry, writer.Ending(line.eol));
            hostWritten = true;
            writer.Add(Renumbered(LineNumber(line.text) + 1, line.text), line.eol);
        } else {
            writer.Add(line);
        }
    }
    writer.Finish();
    return {true, EditRefusal::None};
}

ListEdit RemoveFromEditorList(std::string_view data, std::string& out) {
    if (data.size() < kSmallestEditable) return {};
    const std::vector<LineView> lines = SplitLines(data);
    const std::vector<LineRole> roles = Roles(lines);
    if (!Any(lines, roles, LineRole::Entry, IsHostEntry)) return {};
    int64_t hostEntries = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (roles[i] == LineRole::Entry && NamesHostEditor(lines[i].text)) ++hostEntries;
    // Only the entries after a removed one move up, by the number removed before them.
    int64_t removed = 0;
    LineWriter writer(out, data.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineView& line = lines[i];
        if (roles[i] == LineRole::Count) {
            writer.Add(CountLine(Count(line.text) - hostEntries), line.eol);
        } else if (roles[i] == LineRole::Entry && NamesHostEditor(line.text)) {
            ++removed;
        } else if (roles[i] == LineRole::Entry && removed > 0) {
            writer.Add(Renumbered(LineNumber(line.text) - removed, line.text), line.eol);
        } else {
            writer.Add(line);
        }
    }
    writer.Finish();
    return {true, EditRefusal::None};
}
