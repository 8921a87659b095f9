// Rewrites a configuration file's editor line (851) and toolbar lines (2301 on),
// and records a file's operations-manager options in the registry.
#include "installer/RegistryKey.h"
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <algorithm>
#include <cstdio>

namespace {
const char* const kOriginalEditor = "Mastercam Original Editor";
const long kFirstButtonLine = 2301;
const long kButtonLineLimit = 2498;

// Toolbar lines read "2301. (B1) text? value": the prefix runs through the first
// "?" and the one character after it.
size_t ValueStart(const std::string& line) {
    const size_t mark = line.find('?');
    if (mark == std::string::npos) return line.size();
    return std::min(mark + 2, line.size());
}

std::string Prefix(const std::string& line) { return line.substr(0, ValueStart(line)); }
std::string Value(const std::string& line) { return line.substr(ValueStart(line)); }

// The new last button: the number, then the old last line's text after its ") ".
std::string ButtonLine(long number, const std::string& lastOfRun) {
    const size_t close = lastOfRun.find(')');
    const std::string rest = close == std::string::npos ? std::string() : lastOfRun.substr(std::min(close + 2, lastOfRun.size()));
    char head[64];
    std::snprintf(head, sizeof head, "%ld. (B%ld) ", number, number - 2300);
    return head + rest;
}

bool IsEditorLine(const std::string& line) { return StartsWith(line, "851. ") && line.find('?') != std::string::npos; }

void StoreOriginalEditor(const std::string& editor) {
    RegistryKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kQtx2camKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key.Get(), kOriginalEditor, 0, REG_SZ, reinterpret_cast<const BYTE*>(editor.c_str()),
                     static_cast<DWORD>(editor.size() + 1));
}

std::string OriginalEditor() {
    RegistryKey key;
    std::string editor;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kQtx2camKey, 0, KEY_ALL_ACCESS, key.Out()) == ERROR_SUCCESS &&
        ReadRegistryText(key.Get(), kOriginalEditor, 256, editor))
        return editor;
    return "pfe32";
}

// Shifts the run of buttons that starts at `at` one place down and puts the
// host's entry on button 1; returns the index of the first line after the run.
size_t InsertToolbarEntry(const std::vector<TextLine>& in, size_t at, std::vector<TextLine>& out) {
    long n = LineNumber(in[at].text);
    out.push_back({Prefix(in[at].text) + "gotoqtx*", in[at].eol});
    std::string carried = Value(in[at].text);
    size_t last = at;
    for (size_t i = at + 1;; ++i) {
        // Any line that does not continue the numbering ends the run.
        if (i == in.size() || LineNumber(in[i].text) != n + 1) {
            out.push_back({ButtonLine(n + 1, in[last].text), in[last].eol});
            return i;
        }
        n = LineNumber(in[i].text);
        if (n >= kButtonLineLimit) {
            out.push_back(in[i]);
            return i + 1;
        }
        out.push_back({Prefix(in[i].text) + carried, in[i].eol});
        carried = Value(in[i].text);
        last = i;
    }
}

// Drops the host's entry at `at` and moves the later buttons of its run up one place.
size_t RemoveToolbarEntry(const std::vector<TextLine>& in, size_t at, std::vector<TextLine>& out) {
    std::string pending = Prefix(in[at].text);
    long pendingNumber = LineNumber(in[at].text);
    size_t i = at + 1;
    for (; i < in.size() && LineNumber(in[i].text) == pendingNumber + 1; ++i) {
        out.push_back({pending + Value(in[i].text), in[i].eol});
        pending = Prefix(in[i].text);
        pendingNumber = LineNumber(in[i].text);
    }
    return i;
}
}  // namespace

void VellantSetup::WhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                bool editorInstalled, bool editorWanted) {
    std::string whole;
    if (!ReadEditableText(source, whole)) return;
    const bool hasToolbarEntry = ContainsNoCase(whole, "gotoqtx");
    std::vector<TextLine> in;
    if (!ReadTextLines(source, in)) return;

    const bool addEditor = editorWanted && !editorInstalled;
    const bool addToolbar = toolbarWanted && !toolbarInstalled && !hasToolbarEntry;
    std::vector<TextLine> out;
    for (size_t i = 0; i < in.size();) {
        TextLine line = in[i];
        if (addEditor && IsEditorLine(line.text)) {
            const size_t mark = line.text.rfind('?');
            const std::string editor = line.text.substr(mark + 1);
            if (editor.find("QTX_V2") == std::string::npos) StoreOriginalEditor(editor);
            line.text = line.text.substr(0, mark + 1) + " QTX_V2";
        }
        if (addToolbar && StartsWithNoCase(line.text, "2301. ")) {
            i = InsertToolbarEntry(in, i, out);
            continue;
        }
        out.push_back(line);
        ++i;
    }
    WriteTextLines(destination, out);
}

void VellantSetup::DeWhackMillCFG(CString source, CString destination, bool toolbarInstalled, bool toolbarWanted,
                                  bool editorInstalled, bool editorWanted) {
    std::vector<TextLine> in;
    if (!ReadTextLines(source, in)) return;

    const bool dropEditor = editorInstalled && !editorWanted;
    const bool dropToolbar = toolbarInstalled && !toolbarWanted;
    std::vector<TextLine> out;
    for (size_t i = 0; i < in.size();) {
        TextLine line = in[i];
        if (dropEditor && IsEditorLine(line.text))
            line.text = line.text.substr(0, line.text.rfind('?') + 1) + OriginalEditor();
        if (dropToolbar && Upper(line.text).find("GOTOQTX*") != std::string::npos) {
            i = RemoveToolbarEntry(in, i, out);
            continue;
        }
        out.push_back(line);
        ++i;
    }
    WriteTextLines(destination, out);
}

void VellantSetup::MakeCFGEnabledForHook(PathString file, bool hook, bool button, bool toolDefs, bool disableToolpath) {
    CString name(file);
    name.MakeLower();
    RegistryKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kQtx2camKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        return;
    const DWORD value = (hook ? 0x02 : 0) | (button ? 0x04 : 0) | (toolDefs ? 0x08 : 0) | (disableToolpath ? 0x10 : 0);
    ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}
