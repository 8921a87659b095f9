#pragma once
// Searches over byte text that ignore letter case (ASCII, as Mastercam's files
// are), without making upper-cased copies of the text.
#include <string>
#include <string_view>
#include <vector>

// SSE2 compares sixteen bytes at once; every 32-bit x86 this runs on has it but the
// oldest, which take plain loops.
bool HasWideCompare();

bool StartsWith(std::string_view text, std::string_view head);
bool StartsWithNoCase(std::string_view text, std::string_view head);
// Position of the first match at or after `from`, or npos; zero bytes are
// ordinary bytes. Made for whole files of several megabytes.
size_t Find(std::string_view text, std::string_view sub, size_t from = 0);
size_t FindNoCase(std::string_view text, std::string_view sub, size_t from = 0);
size_t FindByte(std::string_view text, char c, size_t from = 0);
// Every position of the byte, in order: one pass for many matches.
std::vector<size_t> FindAllBytes(std::string_view text, char c);
inline bool ContainsNoCase(std::string_view text, std::string_view sub) {
    return FindNoCase(text, sub) != std::string_view::npos;
}
inline bool Contains(std::string_view text, std::string_view sub) { return Find(text, sub) != std::string_view::npos; }
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
// The leading decimal number the way atol reads it (0 without one), saturated at
// the limits of a 32-bit long instead of overflowing, on every build.
long LeadingNumber(std::string_view text);
