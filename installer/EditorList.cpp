// Adds the host's editor to Mastercam's editor list as entry 2, and takes it out.
// Whether the list holds the host's entry is judged by its [file edit] section
// alone: a mention elsewhere in the file is not an entry.
#include "installer/EditorList.h"
#include "installer/Machine.h"
#include "installer/VellantSetup.h"
#include <cstdlib>

namespace {
const char* const kHostEntry = "2. \"QTX_V2\"";
const long kAddedNumberLimit = 20;
const long kRemovedNumberLimit = 19;

bool IsListHeader(std::string_view line) { return StartsWithNoCase(line, "[file edit]"); }
bool IsSectionStart(std::string_view line) { return !line.empty() && line[0] == '['; }
bool IsComment(std::string_view line) { return !line.empty() && line[0] == '('; }

// An entry: numbered 2 or more and holding its editor name in double quotes.
bool IsEntry(std::string_view line) { return LineNumber(line) >= 2 && Contains(line, "\""); }

std::string Renumbered(long number, std::string_view line) {
    return std::to_string(number) + ". " + std::string(line.substr(line.find('"')));
}

std::string CountLine(std::string_view line, long delta) {
    const size_t quote = line.find('"');
    const long count = quote == std::string_view::npos ? 0 : LeadingNumber(line.substr(quote + 1));
    return "1. \"" + std::to_string(count + delta) + "\"";
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

// Copies the list, handing each entry of the [file edit] sections to `entry`,
// which returns false to end the special handling: the rest is copied unchanged.
template <class EntryRule>
const std::string& RewriteList(std::string& result, std::string_view data, const std::vector<LineView>& in,
                               const std::vector<LineRole>& roles, long countDelta, EntryRule entry) {
    LineWriter out(result, data.size() + 32);
    bool done = false;
    for (size_t i = 0; i < in.size(); ++i) {
        if (done || roles[i] == LineRole::Outside || roles[i] == LineRole::Comment || roles[i] == LineRole::Other)
            out.Add(in[i]);
        else if (roles[i] == LineRole::Count)
            out.Add(CountLine(in[i].text, countDelta), in[i].eol);
        else
            done = !entry(in[i], out);
    }
    return out.Finish();
}
}  // namespace

bool EditorListHasHostEntry(std::string_view data) {
    const std::vector<LineView> lines = SplitLines(data);
    const std::vector<LineRole> roles = Roles(lines);
    for (size_t i = 0; i < lines.size(); ++i)
        if (roles[i] == LineRole::Entry && IsHostEntry(lines[i].text)) return true;
    return false;
}

bool EditorListHasSection(std::string_view data) {
    for (const LineView& line : SplitLines(data))
        if (IsListHeader(line.text)) return true;
    return false;
}

void VellantSetup::WhackMillTXT(CString source, CString destination) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    const std::string_view data = m_readBuffer;
    if (data.size() < kSmallestEditable || EditorListHasHostEntry(data)) return;
    const std::vector<LineView> in = SplitLines(data);
    bool hostWritten = false;
    const std::string& out =
        RewriteList(m_writeBuffer, data, in, Roles(in), +1, [&](const LineView& line, LineWriter& writer) {
            if (!hostWritten) {
                writer.Add(kHostEntry, line.eol);
                hostWritten = true;
            }
            const long number = LineNumber(line.text) + 1;
            if (number >= kAddedNumberLimit) {
                writer.Add(line);
                return false;
            }
            writer.Add(Renumbered(number, line.text), line.eol);
            return true;
        });
    Io().Write(StepAction::WriteFile, destination.Str(), out);
}

void VellantSetup::DeWhackMillTXT(CString source, CString destination) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    const std::string_view data = m_readBuffer;
    if (data.size() < kSmallestEditable || !EditorListHasHostEntry(data)) return;
    const std::vector<LineView> in = SplitLines(data);
    const std::vector<LineRole> roles = Roles(in);
    long hostEntries = 0;
    for (size_t i = 0; i < in.size(); ++i)
        if (roles[i] == LineRole::Entry && NamesHostEditor(in[i].text)) ++hostEntries;
    // Only the entries after a removed one move up, by the number removed before them.
    long removed = 0;
    const std::string& out =
        RewriteList(m_writeBuffer, data, in, roles, -hostEntries, [&](const LineView& line, LineWriter& writer) {
            if (NamesHostEditor(line.text)) {
                ++removed;
                return true;
            }
            if (removed == 0) {
                writer.Add(line);
                return true;
            }
            const long number = LineNumber(line.text) - removed;
            if (number >= kRemovedNumberLimit) {
                writer.Add(line);
                return false;
            }
            writer.Add(Renumbered(number, line.text), line.eol);
            return true;
        });
    Io().Write(StepAction::WriteFile, destination.Str(), out);
}
