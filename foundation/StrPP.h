#pragma once
// The foundation's growable, zero-terminated 8-bit string.
#include "foundation/Export.h"
#include <iosfwd>

// Common root of the foundation's string and value classes.
class VELLANTS_API Numbered {
public:
    virtual void Renumber() = 0;

protected:
    ~Numbered() = default;
};

class VELLANTS_API StrPP : public Numbered {
public:
    StrPP() = default;
    StrPP(char c, int count);
    StrPP(const char* text);
    StrPP(const StrPP& other);
    StrPP(long value);
    StrPP(int value);
    StrPP(unsigned long value);
    StrPP(unsigned int value);
    StrPP(float value, const char* format);
    StrPP(double value, const char* format);
    virtual ~StrPP();

    void Renumber() override {}
    virtual int Forget();
    virtual StrPP& AssignPiece(const StrPP& src, int start, int count);
    virtual StrPP& Assign(const StrPP& src);
    virtual StrPP& AssignText(const char* s, int start, int count, bool clamp);
    virtual StrPP& Assign(const char* s);
    virtual StrPP& Fill(char c, int count);
    virtual StrPP& Append(const StrPP& more);
    virtual StrPP& Append(const char* more);
    virtual StrPP& Append(char c);
    virtual StrPP& Assign(long value);
    virtual StrPP& Assign(unsigned long value);
    virtual StrPP& Assign(double value, const char* format);
    virtual operator const char*() const;
    virtual StrPP Piece(int start, int count) const;
    virtual const char& operator[](int i) const;
    virtual operator char*();
    virtual char& operator[](int i);
    virtual const char* Text() const;
    virtual int Length() const;
    virtual int GetLength() const;
    virtual StrPP& ToUpper();
    virtual StrPP& ToLower();
    virtual double& Get(double& out) const;
    virtual float& Get(float& out) const;
    virtual long& Get(long& out) const;
    virtual unsigned long& Get(unsigned long& out) const;
    virtual int& Get(int& out) const;
    virtual unsigned int& Get(unsigned int& out) const;
    virtual long ToLong() const;
    virtual double ToDouble() const;
    virtual StrPP& operator=(double value);
    virtual StrPP& operator=(float value);
    virtual StrPP& operator=(unsigned long value);
    virtual StrPP& operator=(long value);
    virtual StrPP& operator=(unsigned int value);
    virtual StrPP& operator=(int value);
    virtual StrPP& operator=(const StrPP& other);
    virtual StrPP& operator=(const char* text);
    virtual StrPP& operator=(char c);
    virtual StrPP& operator+=(double value);
    virtual StrPP& operator+=(float value);
    virtual StrPP& operator+=(unsigned long value);
    virtual StrPP& operator+=(long value);
    virtual StrPP& operator+=(unsigned int value);
    virtual StrPP& operator+=(int value);
    virtual StrPP& operator+=(const StrPP& more);
    virtual StrPP& operator+=(const char* more);
    virtual StrPP& operator+=(char c);

    int Reserve(int n);
    void Compact();
    int Capacity() const { return capacity_; }
    static void SetCaseSensitive(bool sensitive);
    // The comparison every service of the library uses for names and texts.
    static int Compare(const char* a, const char* b);

    StrPP& Left(int n);
    StrPP& Right(int n);
    StrPP& Mid(int start, int count);
    StrPP Mid(int start, int count) const;
    StrPP& Justify(int mode, int width, int flags);
    StrPP& Insert(int pos, const StrPP& s);
    StrPP& Delete(int pos, int count);
    StrPP& Replace(int pos, int count, const StrPP& s);
    char* Duplicate(char*& out) const;
    static bool IsWhite(int c);
    StrPP& Trim(int mode, char c = 0);
    int Find(const StrPP& s) const;
    int FindNext(const StrPP& s, int after) const;
    int FindLast(const StrPP& s) const;
    int Count(StrPP s) const;
    StrPP& operator*=(int n);

    // Case maps used by ToUpper and ToLower.
    static int (*upperMap)(int);
    static int (*lowerMap)(int);

private:
    friend class PooledText;

    // Makes room for n characters under the growth policy, keeping `keep` of the old ones.
    void Grow(int n, int keep);
    // Moves the first `keep` characters to a new block of `capacity` bytes, from the
    // small-block heap when `pooled` and the block is small enough.
    void Reblock(int capacity, int keep, bool pooled);
    // Like Place, into a block of the small-block heap (see PooledText).
    void PlacePooled(const char* from, int n);
    // Moves a text held in the small-block heap to the process heap: writable access hands
    // out a pointer that Forget() may turn over to a caller, who frees it with delete[].
    void Unpool();
    void SetLength(int n);
    // Whether p points into this string's block.
    bool Holds(const char* p) const;
    // Makes the text n bytes from `from`, which may lie inside this string.
    void Place(const char* from, int n);

    int length_ = 0;
    char* buffer_ = nullptr;
    int capacity_ = 0;
};

VELLANTS_API bool operator==(const StrPP& a, const StrPP& b);
VELLANTS_API bool operator!=(const StrPP& a, const StrPP& b);
VELLANTS_API bool operator<(const StrPP& a, const StrPP& b);
VELLANTS_API bool operator>(const StrPP& a, const StrPP& b);
VELLANTS_API bool operator<=(const StrPP& a, const StrPP& b);
VELLANTS_API bool operator>=(const StrPP& a, const StrPP& b);

VELLANTS_API StrPP operator+(const StrPP& a, const StrPP& b);
VELLANTS_API StrPP operator+(const StrPP& a, const char* b);
VELLANTS_API StrPP operator+(const char* a, const StrPP& b);
VELLANTS_API StrPP operator*(const StrPP& s, int n);
VELLANTS_API StrPP operator*(int n, const StrPP& s);
VELLANTS_API StrPP Left(const char* text, int n);
VELLANTS_API StrPP Right(const char* text, int n);
VELLANTS_API StrPP Mid(const char* text, int start, int count);
VELLANTS_API StrPP Trim(const char* text, int mode);
VELLANTS_API StrPP Justify(const char* text, int mode, int width, int flags);
VELLANTS_API int FindIn(const char* text, const char* s);
VELLANTS_API std::ostream& operator<<(std::ostream& out, const StrPP& s);
VELLANTS_API std::istream& operator>>(std::istream& in, StrPP& s);

// A string whose text is fixed at construction: every primitive change asserts.
class VELLANTS_API ConstString : public StrPP {
public:
    ConstString(const char* text);
    StrPP& AssignPiece(const StrPP& src, int start, int count) override;
    StrPP& Assign(const StrPP& src) override;
    StrPP& AssignText(const char* s, int start, int count, bool clamp) override;
    StrPP& Assign(const char* s) override;
    StrPP& Fill(char c, int count) override;
    StrPP& Append(const StrPP& more) override;
    StrPP& Append(const char* more) override;
    StrPP& Append(char c) override;
    using StrPP::Append;
    using StrPP::Assign;
    using StrPP::operator=;
};
