#pragma once
// Searches over byte text that ignore letter case (ASCII, as Mastercam's files
// are), without making upper-cased copies of the text.
#include "foundation/Export.h"
#include <string>
#include <string_view>

VELLANTS_API bool StartsWith(std::string_view text, std::string_view head);
VELLANTS_API bool StartsWithNoCase(std::string_view text, std::string_view head);
// Position of the first match, or npos; zero bytes are ordinary bytes.
VELLANTS_API size_t FindNoCase(std::string_view text, std::string_view sub);
inline bool ContainsNoCase(std::string_view text, std::string_view sub) {
    return FindNoCase(text, sub) != std::string_view::npos;
}
inline bool Contains(std::string_view text, std::string_view sub) { return text.find(sub) != std::string_view::npos; }
VELLANTS_API std::string Upper(std::string_view text);
VELLANTS_API std::string Lower(std::string_view text);
// The leading decimal number the way atol reads it (0 without one), saturated
// instead of overflowing.
VELLANTS_API long LeadingNumber(std::string_view text);
