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

// The whole file for these entries, in their order (those not written skipped), dated
// with `date` (MM/DD/YY).
std::string LanguageFileText(const std::vector<MessageRecord>& entries, const std::string& date);

// The entries of a file, in file order. False when an entry is cut short, its number is
// not a 32-bit number, or it has the key (its number, or its English text when numbered
// 0) of an earlier one; `badLine` is then the line where reading stopped.
bool ParseLanguageFile(std::string_view text, std::vector<MessageRecord>& entries, int& badLine);
