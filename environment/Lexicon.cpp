#include "environment/Lexicon.h"
#include "foundation/SplayTree.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {
const uint32_t kLanguageSection = 0x1003;

bool Written(long number) { return number < 1 || number > 100; }

std::string Escaped(const char* text) {
    std::string out;
    for (const char* c = text; *c; ++c) {
        switch (*c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += *c; break;
        }
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r' || text[i + 1] == 't')) {
            out += text[i + 1] == 'n' ? '\n' : text[i + 1] == 'r' ? '\r' : '\t';
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
    root = RemoveRoot(root, [&record](const Node& node) { return record < node.record ? -1 : node.record < record ? 1 : 0; });
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
    if (!text) {
        QRVFile file(name, "w+");
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
        return true;
    }
    std::ofstream out(name.Text(), std::ios::binary | std::ios::trunc);
    if (!out) return false;
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
            << "Context: " << r.context.Text() << "\r\n"
            << r.number << ' ' << Escaped(r.english) << "\r\n"
            << Escaped(r.current) << "\r\n";
    });
    return static_cast<bool>(out);
}

int Lexicon::Read(StrPP name) {
    std::ifstream in(name.Text(), std::ios::binary);
    int entries = 0;
    std::string line;
    while (in && NextLine(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 9, "Context: ") != 0) continue;
        const std::string context = line.substr(9);
        std::string numbered;
        std::string translation;
        if (!NextLine(in, numbered) || !NextLine(in, translation)) break;
        const size_t blank = numbered.find(' ');
        const long number = std::atol(numbered.c_str());
        const std::string english = Unescaped(blank == std::string::npos ? std::string() : numbered.substr(blank + 1));
        const MessageRecord read(number, english.c_str(), Unescaped(translation).c_str(), context.c_str());
        Remove(read);
        Translate(read);
        ++entries;
    }
    if (entries == 0) QRVException(CatalogueText(kMsgNoLanguage), 1).Throw();
    fileName = name;
    return entries;
}
