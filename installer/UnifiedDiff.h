#pragma once
// A line diff of two texts printed as `diff -u` prints it: "---"/"+++" names, then
// "@@" hunks with their context lines. Lines are compared with their endings; a
// line whose ending alone changes is shown with its endings spelled out, and a
// last line without one is followed by "\ No newline at end of file".
#include <string>
#include <string_view>

// Empty when the texts are equal.
std::string UnifiedDiff(std::string_view before, std::string_view after, const std::string& beforeName,
                        const std::string& afterName, int context = 3);
