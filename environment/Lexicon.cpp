#include "environment/Lexicon.h"
#include "foundation/SplayTree.h"
#include "foundation/TemporaryFile.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const uint32_t kLanguageSection = 0x1003;

bool Written(long number) { return number < 1 || number > 100; }

// A backslash is doubled only where the reader would otherwise take it for the
// start of an escape; every other text is written as it is.
bool StartsEscape(char next) {
    return next == 'n' || next == 'r' || next == 't' || next == '\\' || next == '\n' || next == '\r' || next == '\t';
}

std::string Escaped(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        switch (*c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += StartsEscape(c[1]) ? "\\\\" : "\\"; break;
            default: out += *c; break;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '\\' && (next == 'n' || next == 'r' || next == 't' || next == '\\')) {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Today() {
    char date[16] = {0};
    _strdate(date);
    return date;
}

bool NextLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// The second line of an entry: a 32-bit number, then one space and the English
// text (or nothing, for an empty text).
bool ParseNumbered(const std::string& line, long& number, std::string& english) {
    int32_t value = 0;
    const char* end = line.data() + line.size();
    const std::from_chars_result parsed = std::from_chars(line.data(), end, value);
    if (parsed.ec != std::errc() || (parsed.ptr != end && *parsed.ptr != ' ')) return false;
    number = value;
    english = Unescaped(parsed.ptr == end ? std::string() : std::string(parsed.ptr + 1, end));
    return true;
}

// The catalogue's language message, naming the file and the line it stopped at.
[[noreturn]] void RefuseLanguageFile(const StrPP& name, int line) {
    QRVException refused(CatalogueText(kMsgNoLanguage), 1);
    refused.Append(name + " (line " + StrPP(line) + ")");
    refused.Throw();
}

Lexicon theLexicon;
}  // namespace

Lexicon& TheLexicon() { return theLexicon; }

Lexicon::~Lexicon() { DeleteTree(root); }

void Lexicon::Splay(const MessageRecord& key) {
    root = SplayTree(root, [&key](const Node& node) { return key < node.record ? -1 : node.record < key ? 1 : 0; });
}

MessageRecord Lexicon::Translate(const MessageRecord& record) {
    Splay(record);
    if (root) {
        if (root->record.number == record.number && record.number != 0) return root->record;
        if (root->record.english == record.english) return root->record;
    }
    Node* node = new Node;
    node->record = record;
    root = InsertAtRoot(root, node, root && record < root->record);
    return record;
}

StrPP Lexicon::Translate(const char* english) { return Translate(MessageRecord(0, english, english, "")).current; }

void Lexicon::TranslateAllMessages() {
    for (int i = 0; i < kCatalogueSize; ++i) CatalogueEntry(i) = Translate(CatalogueEntry(i));
}

StrPP Lexicon::TextOf(int number) {
    const MessageRecord key(number, "", "", "");
    Splay(key);
    if (root && root->record.number == number && number != 0) return root->record.current;
    return StrPP("");
}

void Lexicon::Remove(const MessageRecord& record) {
    Splay(record);
    if (!root || !(root->record == record)) return;
    root = RemoveRoot(root, [&record](const Node& node) {
        return record < node.record ? -1 : node.record < record ? 1 : 0;
    });
}

void Lexicon::InOrder(const std::function<void(const MessageRecord&)>& visit) const {
    std::vector<Node*> stack;
    Node* node = root;
    while (node || !stack.empty()) {
        while (node) {
            stack.push_back(node);
            node = node->left;
        }
        node = stack.back();
        stack.pop_back();
        visit(node->record);
        node = node->right;
    }
}

int Lexicon::Count() const {
    int count = 0;
    InOrder([&count](const MessageRecord&) { ++count; });
    return count;
}

bool Lexicon::Write(StrPP name, bool text) {
    fileName = name;
    // A translator's file is replaced only by a complete new one, written to a new
    // temporary that is deleted on every way out but the last.
    TemporaryFile temporary(name.Text());
    if (temporary.Error() != ERROR_SUCCESS) return false;
    if (!text) {
        {
            temporary.Close();
            QRVFile file(temporary.Path().c_str(), "r+");  // opens the new, empty file: never re-creates it
            Section* section = file.GetSection(0x102, kLanguageSection);
            if (!section) return false;
            section->SetGrowStep(16384);
            StorageSet set(0, new StorageValue);
            InOrder([&](const MessageRecord& r) {
                if (!Written(r.number)) return;
                ValueList* fields = new ValueList;
                fields->Append(Value(static_cast<int>(r.number)));
                fields->Append(Value(r.english));
                fields->Append(Value(r.current));
                fields->Append(Value(r.context));
                set.Select(StorageValue(Value(fields)));
                section->WriteRecord(set);
            });
            file.Close();
        }
        return temporary.PutInPlace() == ERROR_SUCCESS;
    }
    std::ostringstream out;
    const char* const header[] = {
        "#*       Name: English",
        "#*    Version: 1.0",
        nullptr,
        "#*       Info: This is translation text",
        "#*     Author: Quillmere Designs, Inc.",
        "",
        "#Quillmere Designs, Inc. Language Translation file",
        "#   ",
        "#This file has the following format:",
        "#  Lines starting with a \"#\" are comments.",
        "#  Each translation is contained on three lines.",
        "#   The first line has the context after the \"Context:\" statement.  Do not change this line.",
        "#   The second line has a numerical ID with the English version.  Do not change this line.",
        "#   The third line has the translation.",
        "#   ",
    };
    for (const char* line : header) out << (line ? line : ("#*       Date: " + Today()).c_str()) << "\r\n";
    InOrder([&](const MessageRecord& r) {
        if (!Written(r.number)) return;
        out << "\r\n"
            << "Context: " << Escaped(r.context) << "\r\n"
            << r.number << ' ' << Escaped(r.english) << "\r\n"
            << Escaped(r.current) << "\r\n";
    });
    const std::string written = out.str();
    if (temporary.Write(written.data(), written.size()) != ERROR_SUCCESS) return false;
    return temporary.PutInPlace() == ERROR_SUCCESS;
}

int Lexicon::Read(StrPP name) {
    std::ifstream in(name.Text(), std::ios::binary);
    // The whole file is checked before the table takes any of it.
    std::vector<MessageRecord> entries;
    std::string line;
    int at = 0;
    while (in && NextLine(in, line)) {
        ++at;
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 9, "Context: ") != 0) continue;
        const std::string context = Unescaped(line.substr(9));
        std::string numbered;
        std::string translation;
        long number = 0;
        std::string english;
        if (!NextLine(in, numbered) || !ParseNumbered(numbered, number, english)) RefuseLanguageFile(name, at + 1);
        if (!NextLine(in, translation)) RefuseLanguageFile(name, at + 2);
        at += 2;
        entries.emplace_back(number, english.c_str(), Unescaped(translation).c_str(), context.c_str());
    }
    if (entries.empty()) QRVException(CatalogueText(kMsgNoLanguage), 1).Throw();
    for (const MessageRecord& read : entries) {
        Remove(read);
        Translate(read);
    }
    fileName = name;
    return static_cast<int>(entries.size());
}
