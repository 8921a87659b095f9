#pragma once
// The language file's text form, as bytes: a commented header, then per entry an empty
// line, "Context: " and the context, the number, a space and the English text, and the
// translation. Line feeds, carriage returns and tabs in the texts are written as \n, \r
// and \t; a backslash is doubled only where it would otherwise start one of those.
#include "environment/Messages.h"
#include <string>
#include <string_view>
#include <vector>

// Numbers 1 to 100 are never written to a language file.
inline bool WrittenToLanguageFile(long number) { return number < 1 || number > 100; }

// The comment lines that begin every file, dated `date` (MM/DD/YY).
std::string LanguageFileHeader(const std::string& date);
// Appends the lines of one entry; nothing for an entry whose number is never written.
void AppendLanguageEntry(std::string& file, const MessageRecord& entry);

// The entries of a file, in file order. False when an entry is cut short, its number is
// not a 32-bit number, or it has the key (its number, or its English text when numbered
// 0) of an earlier one; `badLine` is then the line where reading stopped.
bool ParseLanguageFile(std::string_view text, std::vector<MessageRecord>& entries, int& badLine);
