#pragma once
// The translation table: every message the program shows, keyed by its English
// text (or its number), with the translation as current text.
#include "environment/Messages.h"
#include "foundation/Export.h"
#include <functional>
#include <string>
#include <string_view>

class VELLANTS_API Lexicon {
public:
    Lexicon() = default;
    Lexicon(const Lexicon&) = delete;
    Lexicon& operator=(const Lexicon&) = delete;
    virtual ~Lexicon();

    // The table's record for this message; an unknown message is added as it is.
    MessageRecord Translate(const MessageRecord& record);
    StrPP Translate(const char* english);
    void TranslateAllMessages();
    StrPP TextOf(int number);
    void Remove(const MessageRecord& record);
    // Writes the language file: the commented text form, or the binary settings-file form.
    bool Write(StrPP fileName, bool text);
    // Reads the text form back, each entry with its translation; returns the entries
    // read. Raises the catalogue's "no language definition" message for a file
    // without entries, and (naming the file and line, the table left as it was)
    // for an entry cut short or whose number is not a 32-bit number.
    int Read(StrPP fileName);
    // The same for the bytes of a language file that `fileName` names in a refusal.
    int ReadText(std::string_view text, const StrPP& fileName);
    // The text form of the language file, dated `date` (MM/DD/YY).
    std::string Text(const std::string& date) const;
    int Count() const;

private:
    struct Node {
        Node* left = nullptr;
        Node* right = nullptr;
        MessageRecord record;
    };
    void Splay(const MessageRecord& key);
    // Puts the record in the place of its key: the entry of that key is replaced, or
    // the record added.
    void Store(const MessageRecord& record);
    void InOrder(const std::function<void(const MessageRecord&)>& visit) const;

    Node* root = nullptr;
    StrPP fileName;
};

// The process's one table.
VELLANTS_API Lexicon& TheLexicon();
