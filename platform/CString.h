#pragma once
#include "foundation/Export.h"
// Byte string in the ANSI code page, shaped like the MFC class of the same name.
#include <string>

class VELLANTS_API CString {
public:
    CString() = default;
    CString(const char* text) : text_(text ? text : "") {}
    CString(const char* text, int count) : text_(text ? std::string(text, count) : std::string()) {}
    CString(const std::string& text) : text_(text) {}
    CString(char c, int count = 1) : text_(count > 0 ? count : 0, c) {}

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    operator const char*() const { return text_.c_str(); }
    const std::string& Str() const { return text_; }
    char GetAt(int i) const { return text_[i]; }
    char operator[](int i) const { return text_[i]; }

    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    int Find(char c, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char c) const;
    CString& MakeUpper();
    CString& MakeLower();
    int CompareNoCase(const char* other) const;
    void Format(const char* format, ...);

    CString& operator=(const char* text) {
        text_ = text ? text : "";
        return *this;
    }
    CString& operator+=(const CString& more) {
        text_ += more.text_;
        return *this;
    }
    CString& operator+=(const char* more) {
        if (more) text_ += more;
        return *this;
    }
    CString& operator+=(char c) {
        text_ += c;
        return *this;
    }

    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator==(const CString& a, const char* b) { return a.text_ == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

private:
    std::string text_;
};

VELLANTS_API CString operator+(const CString& a, const CString& b);
VELLANTS_API CString operator+(const CString& a, const char* b);
VELLANTS_API CString operator+(const char* a, const CString& b);
VELLANTS_API CString operator+(const CString& a, char b);
