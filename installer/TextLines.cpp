#include "installer/TextLines.h"
#include "foundation/FileUtils.h"
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

namespace {
const int kSmallestEditable = 1024;
}

bool ReadTextLines(const char* path, std::vector<TextLine>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    lines.clear();
    std::string text;
    while (std::getline(in, text)) {
        TextLine line;
        line.eol = in.eof() ? "" : "\n";
        if (!line.eol.empty() && !text.empty() && text.back() == '\r') {
            text.pop_back();
            line.eol = "\r\n";
        }
        line.text = std::move(text);
        lines.push_back(std::move(line));
    }
    return true;
}

bool WriteTextLines(const char* path, const std::vector<TextLine>& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string lastEol = "\n";
    for (const TextLine& line : lines) {
        if (!line.eol.empty()) lastEol = line.eol;
        out << line.text << (line.eol.empty() ? lastEol : line.eol);
    }
    return static_cast<bool>(out);
}

bool ReadEditableText(const char* path, std::string& text) {
    char* data = nullptr;
    int size = 0;
    ReadWholeFile(path, data, size);
    std::unique_ptr<char[]> owned(data);
    if (size < kSmallestEditable || !data) return false;
    data[size] = '\0';
    text.assign(data);
    return true;
}

long LineNumber(const std::string& line) { return std::atol(line.c_str()); }

bool StartsWith(const std::string& text, const char* head) { return text.compare(0, std::strlen(head), head) == 0; }

bool StartsWithNoCase(const std::string& text, const char* head) {
    const size_t n = std::strlen(head);
    return text.size() >= n && _strnicmp(text.c_str(), head, n) == 0;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool ContainsNoCase(const std::string& text, const char* sub) { return Upper(text).find(Upper(sub)) != std::string::npos; }
