#include "installer/CfgRewriter.h"
#include "installer/ScanMarks.h"
#include "installer/TextLines.h"
#include <vector>

namespace {
const char* const kHostEditor = " QTX_V2";
const char* const kFallbackEditor = "pfe32";
const int64_t kFirstButtonLine = 2301;
const int64_t kButtonLineLimit = 2498;

// Toolbar lines read "2301. (B1) text? value": the prefix runs through the first
// "?" and the one character after it.
size_t ValueStart(std::string_view line) {
    const size_t mark = line.find('?');
    if (mark == std::string_view::npos) return line.size();
    return std::min(mark + 2, line.size());
}

std::string_view Prefix(std::string_view line) { return line.substr(0, ValueStart(line)); }
std::string_view Value(std::string_view line) { return line.substr(ValueStart(line)); }
bool HasMark(std::string_view line) { return line.find('?') != std::string_view::npos; }
// A value put behind this prefix reads back as itself.
bool HasWholePrefix(std::string_view line) {
    const size_t mark = line.find('?');
    return mark != std::string_view::npos && mark + 1 < line.size();
}

// A run of buttons goes on while lines are numbered one higher and carry a value.
bool ContinuesRun(std::string_view line, int64_t previous) { return LineNumber(line) == previous + 1 && HasMark(line); }

// The host's button: its value, which moves whole, names the host's entry.
bool IsHostButton(std::string_view line) {
    return LineNumber(line) >= kFirstButtonLine && HasMark(line) && ContainsNoCase(Value(line), "GOTOQTX*");
}

// The new last button: the number, then the old last line's text after its ") ".
std::string ButtonLine(int64_t number, std::string_view lastOfRun) {
    const size_t close = lastOfRun.find(')');
    const std::string_view rest =
        close == std::string_view::npos ? std::string_view() : lastOfRun.substr(std::min(close + 2, lastOfRun.size()));
    return std::to_string(number) + ". (B" + std::to_string(number - 2300) + ") " + std::string(rest);
}

// The first byte turns nearly every line away before anything else is looked at.
bool IsEditorLine(std::string_view line) {
    return !line.empty() && line[0] == '8' && StartsWith(line, "851. ") && HasMark(line);
}
bool IsFirstButtonLine(std::string_view line) {
    return !line.empty() && line[0] == '2' && StartsWithNoCase(line, "2301. ") && HasMark(line);
}

// Where the host's button is mentioned, found in one pass over the whole file.
std::vector<size_t> HostButtonMentions(std::string_view data) {
    std::vector<size_t> found;
    for (size_t at = FindNoCase(data, "GOTOQTX*"); at != std::string_view::npos;
         at = FindNoCase(data, "GOTOQTX*", at + 1))
        found.push_back(at);
    return found;
}

// A line ending in CR written before a bare LF would read back as a CR LF line.
bool JoinsEnding(std::string_view end, std::string_view eol) {
    return !end.empty() && end.back() == '\r' && eol == "\n";
}

// The run of buttons that starts at `at`: its lines, and where the line after it starts.
std::vector<LineView> RunFrom(std::string_view data, size_t at, size_t& next) {
    std::vector<LineView> run = {LineAt(data, at)};
    for (next = EndOf(data, run.back()); next < data.size(); next = EndOf(data, run.back())) {
        const LineView line = LineAt(data, next);
        if (!ContinuesRun(line.text, LineNumber(run.back().text))) break;
        run.push_back(line);
    }
    return run;
}

// Whether the run can take the host's entry so that the removal finds exactly
// this run, one line longer, and gives back each line as it was.
EditRefusal CheckInsertion(std::string_view data, const std::vector<LineView>& run, size_t next) {
    const std::string_view last = run.back().text;
    if (LineNumber(last) >= kButtonLineLimit) return EditRefusal::ToolbarFull;
    for (const LineView& line : run)
        if (!HasWholePrefix(line.text)) return EditRefusal::ButtonWithoutValue;
    const size_t close = last.find(')');
    if (close == std::string_view::npos || close + 2 > last.find('?')) return EditRefusal::LastButtonUnlabelled;
    if (next < data.size()) {
        const std::string_view after = LineAt(data, next).text;
        if (HasMark(after) && LineNumber(after) == LineNumber(last) + 2) return EditRefusal::ToolbarWouldJoin;
    }
    return EditRefusal::None;
}

// Shifts the run of buttons that starts at `at` one place down and puts the
// host's entry on button 1; returns where the first line after the run starts.
size_t InsertToolbarEntry(std::string_view data, size_t at, LineWriter& out, EditRefusal& refusal) {
    size_t next = 0;
    const std::vector<LineView> run = RunFrom(data, at, next);
    refusal = CheckInsertion(data, run, next);
    if (refusal != EditRefusal::None) return data.size();
    out.Add(Prefix(run[0].text), "gotoqtx*", out.Ending(run[0].eol));
    for (size_t i = 1; i < run.size(); ++i) {
        const std::string_view carried = Value(run[i - 1].text);
        const std::string_view eol = out.Ending(run[i].eol);
        if (JoinsEnding(carried.empty() ? Prefix(run[i].text) : carried, eol)) {
            refusal = EditRefusal::ValueEndsInReturn;
            return data.size();
        }
        out.Add(Prefix(run[i].text), carried, eol);
    }
    out.Add(ButtonLine(LineNumber(run.back().text) + 1, run.back().text), run.back().eol);
    return next;
}

// Takes the host's entries out of the run that starts at `at` and moves the
// later buttons up; the run's last line ending stays at its end. Returns where
// the first line after the run starts.
size_t RemoveToolbarEntries(std::string_view data, size_t at, LineWriter& out) {
    size_t next = 0;
    const std::vector<LineView> run = RunFrom(data, at, next);
    std::vector<std::string_view> kept;
    for (const LineView& line : run)
        if (!IsHostButton(line.text)) kept.push_back(Value(line.text));
    for (size_t place = 0; place < kept.size(); ++place) {
        const bool last = place + 1 == kept.size();
        out.Add(Prefix(run[place].text), kept[place], last ? run.back().eol : run[place].eol);
    }
    return next;
}

// The stored editor where it reads back as itself behind the line's last "?".
std::string_view Restorable(std::string_view editor, std::string_view eol) {
    const bool whole = editor.find('?') == std::string_view::npos && editor.find('\n') == std::string_view::npos &&
                       !JoinsEnding(editor, eol);
    return whole ? editor : kFallbackEditor;
}
}  // namespace

CfgAddition AddToCfg(std::string_view data, bool toolbar, bool editor, std::string& out) {
    CfgAddition result;
    const bool addToolbar = toolbar && !ContainsNoCase(data, "gotoqtx");
    LineStarts editorLines(data, "851. ");
    LineStarts buttonLines(data, "2301. ");
    LineWriter writer(out, data.size());
    std::optional<std::string_view> named;  // what the editor lines named
    const auto nextEdit = [&](size_t from) {
        return std::min(editor ? editorLines.Next(from) : data.size(),
                        addToolbar ? buttonLines.Next(from) : data.size());
    };
    CopyWithEdits(data, writer, nextEdit, [&](const LineView& line, size_t at) {
        std::string_view text = line.text;
        std::string edited;
        if (editor && IsEditorLine(text)) {
            // One value is kept for the file: every editor line must name the same.
            const size_t mark = text.rfind('?');
            const std::string_view value = text.substr(mark + 1);
            if (named && *named != value) result.refusal = EditRefusal::EditorsDiffer;
            if (value.find('\0') != std::string_view::npos) result.refusal = EditRefusal::EditorHasZeroByte;
            if (result.refusal != EditRefusal::None) return data.size();
            named = value;
            edited = std::string(text.substr(0, mark + 1)) + kHostEditor;
            text = edited;
        }
        if (addToolbar && IsFirstButtonLine(text)) return InsertToolbarEntry(data, at, writer, result.refusal);
        writer.Add(text, line.eol);
        return EndOf(data, line);
    });
    writer.Finish();
    if (result.refusal == EditRefusal::None && data.size() >= kSmallestEditable && out.size() < kSmallestEditable)
        result.refusal = EditRefusal::WouldBeTooSmall;
    // What the scan finds carried must stay found, or the next install would add it again.
    if (result.refusal == EditRefusal::None) {
        const ScanMarks before = ReadScanMarks(data);
        const ScanMarks after = ReadScanMarks(out);
        if ((before.editor && !after.editor) || (before.toolbar && !after.toolbar))
            result.refusal = EditRefusal::WouldHideOption;
        // A toolbar held back by the file's own "gotoqtx" must stay held back: an edit
        // that takes that mention away would have the next install add the button.
        if (toolbar && !addToolbar && !after.toolbar && !ContainsNoCase(out, "gotoqtx"))
            result.refusal = EditRefusal::WouldHideOption;
    }
    if (named && !Contains(*named, "QTX_V2")) result.originalEditor = std::string(*named);
    return result;
}

void RemoveFromCfg(std::string_view data, bool toolbar, bool editor, std::string_view originalEditor,
                   std::string& out) {
    LineStarts editorLines(data, "851. ");
    const std::vector<size_t> mentions = toolbar ? HostButtonMentions(data) : std::vector<size_t>();
    size_t mention = 0;
    LineWriter writer(out, data.size());
    const auto nextEdit = [&](size_t from) {
        while (mention < mentions.size() && mentions[mention] < from) ++mention;
        return std::min(editor ? editorLines.Next(from) : data.size(),
                        mention < mentions.size() ? LineStartOf(data, mentions[mention]) : data.size());
    };
    CopyWithEdits(data, writer, nextEdit, [&](const LineView& line, size_t at) {
        std::string_view text = line.text;
        std::string edited;
        // Only a line that names the host's editor gets an earlier editor back.
        if (editor && IsEditorLine(text) && ContainsNoCase(text.substr(text.rfind('?') + 1), "QTX_V2")) {
            edited =
                std::string(text.substr(0, text.rfind('?') + 1)) + std::string(Restorable(originalEditor, line.eol));
            text = edited;
        }
        if (toolbar && IsHostButton(text)) return RemoveToolbarEntries(data, at, writer);
        writer.Add(text, line.eol);
        return EndOf(data, line);
    });
    writer.Finish();
}
