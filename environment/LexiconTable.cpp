// The translation table: a splay tree of message records, and its language file as bytes.
#include "environment/Lexicon.h"
#include "environment/LanguageFile.h"
#include "foundation/SplayTree.h"
#include <vector>

namespace {
// The catalogue's language message, naming the file and the line it stopped at.
[[noreturn]] void RefuseLanguageFile(const StrPP& name, int line) {
    QRVException refused(CatalogueText(kMsgNoLanguage), 1);
    refused.Append(name + " (line " + StrPP(line) + ")");
    refused.Throw();
}

int Order(const MessageRecord& key, const MessageRecord& entry) { return key < entry ? -1 : entry < key ? 1 : 0; }

Lexicon theLexicon;
}  // namespace

Lexicon& TheLexicon() { return theLexicon; }

Lexicon::~Lexicon() { DeleteTree(root); }

void Lexicon::Splay(const MessageRecord& key) {
    root = SplayTree(root, [&key](const Node& node) { return Order(key, node.record); });
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
    root = RemoveRoot(root, [&record](const Node& node) { return Order(record, node.record); });
}

void Lexicon::Store(const MessageRecord& record) {
    Splay(record);
    if (root && Order(record, root->record) == 0) {
        root->record = record;
        return;
    }
    Node* node = new Node;
    node->record = record;
    root = InsertAtRoot(root, node, root && record < root->record);
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

std::string Lexicon::Text(const std::string& date) const {
    std::string file = LanguageFileHeader(date);
    InOrder([&file](const MessageRecord& r) { AppendLanguageEntry(file, r); });
    return file;
}

int Lexicon::ReadText(std::string_view text, const StrPP& name) {
    // The whole file is checked before the table takes any of it.
    std::vector<MessageRecord> entries;
    int badLine = 0;
    if (!ParseLanguageFile(text, entries, badLine)) RefuseLanguageFile(name, badLine);
    if (entries.empty()) QRVException(CatalogueText(kMsgNoLanguage), 1).Throw();
    // Every entry keeps its place, whatever other entry shares its English text.
    for (const MessageRecord& read : entries) Store(read);
    fileName = name;
    return static_cast<int>(entries.size());
}
