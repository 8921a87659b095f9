// Adds the host's editor to Mastercam's editor list as entry 2, and takes it out.
#include "installer/TextLines.h"
#include "installer/VellantSetup.h"
#include <cstdlib>

namespace {
const char* const kHostEntry = "2. \"QTX_V2\"";

bool IsListHeader(const std::string& line) { return StartsWithNoCase(line, "[file edit]"); }

// An entry: numbered 2 or more and holding its editor name in double quotes.
bool IsEntry(const std::string& line) { return LineNumber(line) >= 2 && line.find('"') != std::string::npos; }

std::string Renumbered(long number, const std::string& line) {
    return std::to_string(number) + ". " + line.substr(line.find('"'));
}

std::string CountLine(const std::string& line, long delta) {
    const size_t quote = line.find('"');
    const long count = quote == std::string::npos ? 0 : std::atol(line.c_str() + quote + 1);
    return "1. \"" + std::to_string(count + delta) + "\"";
}

enum class ListState { Outside, Inside, Done };

// Copies the list, handing each line of the [file edit] section to `entry`,
// which returns false to end the section's special handling.
template <class EntryRule>
std::vector<TextLine> RewriteList(const std::vector<TextLine>& in, long countDelta, EntryRule entry) {
    std::vector<TextLine> out;
    ListState state = ListState::Outside;
    for (const TextLine& line : in) {
        if (state == ListState::Inside && !line.text.empty() && line.text[0] == '[') state = ListState::Outside;
        if (state != ListState::Inside) {
            out.push_back(line);
            if (state == ListState::Outside && IsListHeader(line.text)) state = ListState::Inside;
            continue;
        }
        if (!line.text.empty() && line.text[0] == '(') {
            out.push_back(line);
        } else if (LineNumber(line.text) == 1) {
            out.push_back({CountLine(line.text, countDelta), line.eol});
        } else if (!IsEntry(line.text)) {
            out.push_back(line);
        } else if (!entry(line, out)) {
            state = ListState::Done;
        }
    }
    return out;
}
}  // namespace

void VellantSetup::WhackMillTXT(CString source, CString destination) {
    std::string whole;
    if (!ReadEditableText(source, whole) || whole.find("QTX_V2") != std::string::npos) return;
    std::vector<TextLine> in;
    if (!ReadTextLines(source, in)) return;
    bool hostWritten = false;
    WriteTextLines(destination, RewriteList(in, +1, [&](const TextLine& line, std::vector<TextLine>& out) {
        if (!hostWritten) {
            out.push_back({kHostEntry, line.eol});
            hostWritten = true;
        }
        const long number = LineNumber(line.text) + 1;
        if (number >= 20) {
            out.push_back(line);
            return false;
        }
        out.push_back({Renumbered(number, line.text), line.eol});
        return true;
    }));
}

void VellantSetup::DeWhackMillTXT(CString source, CString destination) {
    std::string whole;
    if (!ReadEditableText(source, whole) || whole.find("QTX_V2") == std::string::npos) return;
    std::vector<TextLine> in;
    if (!ReadTextLines(source, in)) return;
    WriteTextLines(destination, RewriteList(in, -1, [](const TextLine& line, std::vector<TextLine>& out) {
        if (ContainsNoCase(line.text, "QTX_V2")) return true;
        const long number = LineNumber(line.text) - 1;
        if (number >= 19) {
            out.push_back(line);
            return false;
        }
        out.push_back({Renumbered(number, line.text), line.eol});
        return true;
    }));
}
