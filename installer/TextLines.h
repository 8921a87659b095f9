#pragma once
// Line-by-line copies of Mastercam's text files. Lines keep their own ending
// (CR LF or LF) and any length; a final line without one gets the file's ending.
#include <string>
#include <vector>

struct TextLine {
    std::string text;
    std::string eol;
};

// False when the file cannot be opened.
bool ReadTextLines(const char* path, std::vector<TextLine>& lines);
// Creates or empties the file and writes the lines; false when it cannot be opened.
bool WriteTextLines(const char* path, const std::vector<TextLine>& lines);

// The whole file as text up to its first zero byte, or false when it is under
// 1024 bytes or unreadable: such files are never edited.
bool ReadEditableText(const char* path, std::string& text);

long LineNumber(const std::string& line);
bool StartsWith(const std::string& text, const char* head);
bool StartsWithNoCase(const std::string& text, const char* head);
std::string Upper(std::string text);
bool ContainsNoCase(const std::string& text, const char* sub);
