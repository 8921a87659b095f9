// Rewrites a configuration file's editor line (851) and toolbar lines (2301 on),
// and records a file's operations-manager options in the registry.
#include "installer/Machine.h"
#include "installer/RegistryKey.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <algorithm>
#include <cstdio>

namespace {
const char* const kOriginalEditor = "Mastercam Original Editor";
const char* const kHostEditor = " QTX_V2";
const char* const kFallbackEditor = "pfe32";
// The shared value is read into a buffer of this size; a longer one does not fit.
const size_t kSharedEditorBuffer = 256;
const long kFirstButtonLine = 2301;
const long kButtonLineLimit = 2498;

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

// A run of buttons goes on while lines are numbered one higher and carry a value.
bool ContinuesRun(std::string_view line, long previous) { return LineNumber(line) == previous + 1 && HasMark(line); }

bool IsHostButton(std::string_view line) {
    return LineNumber(line) >= kFirstButtonLine && HasMark(line) && ContainsNoCase(line, "GOTOQTX*");
}

// The new last button: the number, then the old last line's text after its ") ".
std::string ButtonLine(long number, std::string_view lastOfRun) {
    const size_t close = lastOfRun.find(')');
    const std::string_view rest =
        close == std::string_view::npos ? std::string_view() : lastOfRun.substr(std::min(close + 2, lastOfRun.size()));
    char head[64];
    std::snprintf(head, sizeof head, "%ld. (B%ld) ", number, number - 2300);
    return head + std::string(rest);
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

// Shifts the run of buttons that starts at `at` one place down and puts the
// host's entry on button 1; returns where the first line after the run starts.
size_t InsertToolbarEntry(std::string_view data, size_t at, LineWriter& out) {
    const LineView first = LineAt(data, at);
    long n = LineNumber(first.text);
    out.Add(Prefix(first.text), "gotoqtx*", first.eol);
    std::string_view carried = Value(first.text);
    LineView last = first;
    for (size_t next = EndOf(data, first);;) {
        const LineView line = next < data.size() ? LineAt(data, next) : LineView();
        if (next == data.size() || !ContinuesRun(line.text, n)) {
            out.Add(ButtonLine(n + 1, last.text), last.eol);
            return next;
        }
        n = LineNumber(line.text);
        if (n >= kButtonLineLimit) {
            out.Add(line);
            return EndOf(data, line);
        }
        out.Add(Prefix(line.text), carried, line.eol);
        carried = Value(line.text);
        last = line;
        next = EndOf(data, line);
    }
}

// Takes the host's entries out of the run that starts at `at` and moves the
// later buttons up; every place keeps its own line ending. Returns where the
// first line after the run starts.
size_t RemoveToolbarEntries(std::string_view data, size_t at, LineWriter& out) {
    std::vector<LineView> run = {LineAt(data, at)};
    size_t next = EndOf(data, run.back());
    for (; next < data.size(); next = EndOf(data, run.back())) {
        const LineView line = LineAt(data, next);
        if (!ContinuesRun(line.text, LineNumber(run.back().text))) break;
        run.push_back(line);
    }
    size_t place = 0;
    for (const LineView& line : run) {
        if (IsHostButton(line.text)) continue;
        out.Add(Prefix(run[place].text), Value(line.text), run[place].eol);
        ++place;
    }
    return next;
}
}  // namespace

void VellantSetup::WhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                bool editorInstalled, bool editorWanted) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    const std::string_view data = m_readBuffer;
    if (data.size() < kSmallestEditable) return;

    const bool addEditor = editorWanted && !editorInstalled;
    const bool addToolbar = toolbarWanted && !toolbarInstalled && !ContainsNoCase(data, "gotoqtx");
    LineStarts editorLines(data, "851. ");
    LineStarts buttonLines(data, "2301. ");
    bool tooLong = false;
    LineWriter out(m_writeBuffer, data.size());
    const auto nextEdit = [&](size_t from) {
        return std::min(addEditor ? editorLines.Next(from) : data.size(),
                        addToolbar ? buttonLines.Next(from) : data.size());
    };
    CopyWithEdits(data, out, nextEdit, [&](const LineView& line, size_t at) {
        std::string_view text = line.text;
        std::string edited;
        if (addEditor && IsEditorLine(text)) {
            const size_t mark = text.rfind('?');
            const std::string editor(text.substr(mark + 1));
            // An editor too long to keep in the registry could not be put back: no edit.
            if (editor.size() + 1 > kLargestValueBytes) tooLong = true;
            if (!tooLong && !Contains(editor, "QTX_V2")) {
                Io().SetValue(kQtx2camKey, kOriginalEditor, RegistryData::Text(editor));
                Io().SetValue(kOriginalEditorsKey, Lower(destination.Str()), RegistryData::Text(editor));
            }
            edited = std::string(text.substr(0, mark + 1)) + kHostEditor;
            text = edited;
        }
        if (addToolbar && IsFirstButtonLine(text)) return InsertToolbarEntry(data, at, out);
        out.Add(text, line.eol);
        return EndOf(data, line);
    });
    if (tooLong) return Io().RecordFailure(StepAction::WriteFile, destination.Str(), kErrorValueTooLong);
    Io().Write(StepAction::WriteFile, destination.Str(), out.Finish());
}

void VellantSetup::DeWhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                  bool editorInstalled, bool editorWanted) {
    if (const DWORD error = Io().Read(source.Str(), m_readBuffer))
        return Io().RecordFailure(StepAction::WriteFile, destination.Str(), error);
    const std::string_view data = m_readBuffer;

    const bool dropEditor = editorInstalled && !editorWanted;
    const bool dropToolbar = toolbarInstalled && !toolbarWanted;
    LineStarts editorLines(data, "851. ");
    const std::vector<size_t> mentions = dropToolbar ? HostButtonMentions(data) : std::vector<size_t>();
    size_t mention = 0;
    LineWriter out(m_writeBuffer, data.size());
    const auto nextEdit = [&](size_t from) {
        while (mention < mentions.size() && mentions[mention] < from) ++mention;
        return std::min(dropEditor ? editorLines.Next(from) : data.size(),
                        mention < mentions.size() ? LineStartOf(data, mentions[mention]) : data.size());
    };
    CopyWithEdits(data, out, nextEdit, [&](const LineView& line, size_t at) {
        std::string_view text = line.text;
        std::string edited;
        // Only a line that names the host's editor gets an earlier editor back.
        if (dropEditor && IsEditorLine(text) && ContainsNoCase(text.substr(text.rfind('?') + 1), "QTX_V2")) {
            edited = std::string(text.substr(0, text.rfind('?') + 1)) + OriginalEditorOf(destination.Str());
            text = edited;
        }
        if (dropToolbar && IsHostButton(text)) return RemoveToolbarEntries(data, at, out);
        out.Add(text, line.eol);
        return EndOf(data, line);
    });
    Io().Write(StepAction::WriteFile, destination.Str(), out.Finish());
}

std::string VellantSetup::OriginalEditorOf(const std::string& file) {
    RegistryData stored;
    if (Io().ReadValue(kOriginalEditorsKey, Lower(file), stored) && stored.type == REG_SZ)
        return stored.bytes.substr(0, stored.bytes.find('\0'));
    if (Io().ReadValue(kQtx2camKey, kOriginalEditor, stored) && stored.bytes.size() <= kSharedEditorBuffer)
        return stored.bytes.substr(0, stored.bytes.find('\0'));
    return kFallbackEditor;
}

void VellantSetup::MakeCFGEnabledForHook(PathString file, bool hook, bool button, bool toolDefs, bool disableToolpath) {
    const DWORD value = (hook ? 0x02 : 0) | (button ? 0x04 : 0) | (toolDefs ? 0x08 : 0) | (disableToolpath ? 0x10 : 0);
    Io().SetValue(kQtx2camKey, Lower(file.Str()), RegistryData::Dword(value));
}
