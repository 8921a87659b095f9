#include "foundation/StrPP.h"
#include "environment/Messages.h"
#include "foundation/SmallBlocks.h"
#include "foundation/WordScan.h"
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <istream>
#include <ostream>
#include <string>

namespace {
const int kInitialSize = 16;
const int kIncrement = 8;
const int kToEnd = 32767;

int (*compareTexts)(const char*, const char*) = std::strcmp;

std::string FormatNumber(double value, const char* format) {
    if (format && *format) {
        const int needed = std::snprintf(nullptr, 0, format, value);
        if (needed <= 0) return std::string();
        std::string text(static_cast<size_t>(needed) + 1, '\0');
        std::snprintf(&text[0], text.size(), format, value);
        text.resize(needed);
        return text;
    }
    std::string text = FormatNumber(value, "%.7f");
    while (!text.empty() && text.back() == '0') text.pop_back();
    return text;
}

std::string LongText(long value) { return std::to_string(value); }

std::string UnsignedText(unsigned long value) { return std::to_string(value); }

const char* SkipTolerance(const char* text) {
    const StrPP sign = CatalogueText(kMsgTolerance);
    const size_t n = std::strlen(sign);
    if (n && std::strncmp(text, sign, n) == 0) return text + n;
    return text;
}

char emptyText[1] = {0};

// Blocks of the small-block heap begin one byte past its grain, where no block of the
// process heap (aligned to 8 bytes at least) can begin: the address alone tells which
// heap a block came from, and the capacity which size it was taken with.
const uintptr_t kPooledOffset = 1;
static_assert(SmallBlocks::kGrain == 8, "a process heap block is aligned to at least 8 bytes");

bool IsPooled(const char* block) {
    return (reinterpret_cast<uintptr_t>(block) & (SmallBlocks::kGrain - 1)) == kPooledOffset;
}

size_t SlotFor(int capacity) { return static_cast<size_t>(capacity) + kPooledOffset; }

char* NewBlock(int capacity, bool pooled) {
    if (pooled && SlotFor(capacity) <= SmallBlocks::kLargest)
        return static_cast<char*>(SmallBlocks::Take(SlotFor(capacity))) + kPooledOffset;
    return new char[capacity];
}

void FreeBlock(char* block, int capacity) {
    if (IsPooled(block))
        SmallBlocks::Give(block - kPooledOffset, SlotFor(capacity));
    else
        delete[] block;
}

// The block size that the growth policy gives n characters.
int CapacityFor(int n) {
    return (n <= kInitialSize ? kInitialSize : ((n - kInitialSize) / kIncrement + 1) * kIncrement + kInitialSize) + 1;
}
}  // namespace

int (*StrPP::upperMap)(int) = std::toupper;
int (*StrPP::lowerMap)(int) = std::tolower;

StrPP::StrPP(char c, int count) { StrPP::Fill(c, count); }
StrPP::StrPP(const char* text) { StrPP::Assign(text); }
StrPP::StrPP(const StrPP& other) : Numbered() { StrPP::Assign(other); }
StrPP::StrPP(long value) { StrPP::Assign(value); }
StrPP::StrPP(int value) { StrPP::Assign(static_cast<long>(value)); }
StrPP::StrPP(unsigned long value) { StrPP::Assign(value); }
StrPP::StrPP(unsigned int value) { StrPP::Assign(static_cast<unsigned long>(value)); }
StrPP::StrPP(float value, const char* format) { StrPP::Assign(static_cast<double>(value), format); }
StrPP::StrPP(double value, const char* format) { StrPP::Assign(value, format); }
StrPP::~StrPP() { FreeBlock(buffer_, capacity_); }

void StrPP::Grow(int n, int keep) {
    if (capacity_ > n) return;
    // A text of the small-block heap stays there while it fits.
    Reblock(CapacityFor(n), keep, IsPooled(buffer_));
}

void StrPP::Reblock(int capacity, int keep, bool pooled) {
    char* block = NewBlock(capacity, pooled);
    keep = std::min(keep, length_);
    if (buffer_ && keep > 0) WordScan::Copy(block, buffer_, keep);
    block[keep] = '\0';
    FreeBlock(buffer_, capacity_);
    buffer_ = block;
    capacity_ = capacity;
}

void StrPP::PlacePooled(const char* from, int n) {
    n = std::max(0, n);
    if (IsPooled(buffer_)) {
        Place(from, n);
        return;
    }
    // from may lie in the old block, which goes only once the text is copied.
    const int capacity = CapacityFor(n);
    char* block = NewBlock(capacity, true);
    WordScan::Copy(block, from, n);
    FreeBlock(buffer_, capacity_);
    buffer_ = block;
    capacity_ = capacity;
    SetLength(n);
}

void StrPP::Unpool() {
    if (IsPooled(buffer_)) Reblock(capacity_, length_, false);
}

void StrPP::SetLength(int n) {
    length_ = n;
    buffer_[n] = '\0';
}

int StrPP::Forget() {
    // A block still in the small-block heap cannot have been taken (writable access moves
    // it out first): it is dropped like a heap block that nobody took.
    buffer_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return 0;
}

bool StrPP::Holds(const char* p) const { return buffer_ && p >= buffer_ && p < buffer_ + capacity_; }

void StrPP::Place(const char* from, int n) {
    if (Holds(from)) {
        // A piece of this string itself: it fits the block it already lies in.
        std::memmove(buffer_, from, n);
    } else {
        Grow(n, 0);
        WordScan::Copy(buffer_, from, n);
    }
    SetLength(n);
}

StrPP& StrPP::AssignPiece(const StrPP& src, int start, int count) {
    if (start < 0 || start > src.length_) return *this;
    Place(src.Text() + start, std::max(0, std::min(count, src.length_ - start)));
    return *this;
}

StrPP& StrPP::Assign(const StrPP& src) { return StrPP::AssignPiece(src, 0, src.length_); }

StrPP& StrPP::AssignText(const char* s, int start, int count, bool clamp) {
    if (!s) s = "";
    int n = count;
    if (count == kToEnd || clamp) {
        const int available = static_cast<int>(std::strlen(s));
        if (start < 0 || start > available) return *this;
        // The count that means "to the end" is no length limit: longer texts stay whole.
        n = count == kToEnd ? available - start : std::min(available - start, count);
    }
    Place(s + start, std::max(0, n));
    return *this;
}

StrPP& StrPP::Assign(const char* s) { return StrPP::AssignText(s, 0, kToEnd, true); }

StrPP& StrPP::Fill(char c, int count) {
    count = std::max(0, count);
    Grow(count, 0);
    std::memset(buffer_, c, count);
    SetLength(count);
    return *this;
}

StrPP& StrPP::Append(const StrPP& more) { return StrPP::Append(more.Text()); }

StrPP& StrPP::Append(const char* more) {
    if (!more) more = "";
    const int added = static_cast<int>(std::strlen(more));
    // more may lie in this string's block, which growing replaces.
    const ptrdiff_t inside = Holds(more) ? more - buffer_ : -1;
    Grow(length_ + added, length_);
    if (inside >= 0) more = buffer_ + inside;
    std::memmove(buffer_ + length_, more, added);
    SetLength(length_ + added);
    return *this;
}

StrPP& StrPP::Append(char c) {
    Grow(length_ + 1, length_);
    buffer_[length_] = c;
    SetLength(length_ + 1);
    return *this;
}

StrPP& StrPP::Assign(long value) { return Assign(LongText(value).c_str()); }
StrPP& StrPP::Assign(unsigned long value) { return Assign(UnsignedText(value).c_str()); }
StrPP& StrPP::Assign(double value, const char* format) { return Assign(FormatNumber(value, format).c_str()); }

StrPP::operator const char*() const { return buffer_ ? buffer_ : ""; }

StrPP StrPP::Piece(int start, int count) const {
    start = std::max(0, std::min(start, length_));
    count = std::max(0, std::min(count, length_ - start));
    StrPP piece;
    // Not through AssignText: a count of exactly 32767 would read as "to the end".
    piece.AssignPiece(*this, start, count);
    return piece;
}

const char& StrPP::operator[](int i) const { return buffer_ ? buffer_[i] : emptyText[0]; }

StrPP::operator char*() {
    if (!buffer_) Grow(0, 0);
    Unpool();
    return buffer_;
}

char& StrPP::operator[](int i) {
    if (!buffer_) Grow(0, 0);
    Unpool();
    return buffer_[i];
}

const char* StrPP::Text() const { return buffer_ ? buffer_ : ""; }
int StrPP::Length() const { return length_; }
int StrPP::GetLength() const { return length_; }

StrPP& StrPP::ToUpper() {
    for (int i = 0; i < length_; ++i) buffer_[i] = static_cast<char>(upperMap(static_cast<unsigned char>(buffer_[i])));
    return *this;
}

StrPP& StrPP::ToLower() {
    for (int i = 0; i < length_; ++i) buffer_[i] = static_cast<char>(lowerMap(static_cast<unsigned char>(buffer_[i])));
    return *this;
}

double& StrPP::Get(double& out) const { return out = std::atof(Text()); }
float& StrPP::Get(float& out) const { return out = static_cast<float>(std::atof(Text())); }
long& StrPP::Get(long& out) const { return out = std::atol(Text()); }
unsigned long& StrPP::Get(unsigned long& out) const { return out = static_cast<unsigned long>(std::atol(Text())); }
int& StrPP::Get(int& out) const { return out = std::atoi(Text()); }
unsigned int& StrPP::Get(unsigned int& out) const { return out = static_cast<unsigned int>(std::atoi(Text())); }
long StrPP::ToLong() const { return std::atol(SkipTolerance(Text())); }
double StrPP::ToDouble() const { return std::atof(SkipTolerance(Text())); }

StrPP& StrPP::operator=(double value) { return Assign(value, ""); }
StrPP& StrPP::operator=(float value) { return operator=(static_cast<double>(value)); }
StrPP& StrPP::operator=(unsigned long value) { return Assign(value); }
StrPP& StrPP::operator=(long value) { return Assign(value); }
StrPP& StrPP::operator=(unsigned int value) { return operator=(static_cast<unsigned long>(value)); }
StrPP& StrPP::operator=(int value) { return operator=(static_cast<long>(value)); }
StrPP& StrPP::operator=(const StrPP& other) { return Assign(other); }
StrPP& StrPP::operator=(const char* text) { return Assign(text); }
StrPP& StrPP::operator=(char c) { return Fill(c, 1); }
StrPP& StrPP::operator+=(double value) { return Append(StrPP(FormatNumber(value, "").c_str())); }
StrPP& StrPP::operator+=(float value) { return operator+=(static_cast<double>(value)); }
StrPP& StrPP::operator+=(unsigned long value) { return Append(UnsignedText(value).c_str()); }
StrPP& StrPP::operator+=(long value) { return Append(LongText(value).c_str()); }
StrPP& StrPP::operator+=(unsigned int value) { return operator+=(static_cast<unsigned long>(value)); }
StrPP& StrPP::operator+=(int value) { return operator+=(static_cast<long>(value)); }
StrPP& StrPP::operator+=(const StrPP& more) { return Append(more); }
StrPP& StrPP::operator+=(const char* more) { return Append(more); }
StrPP& StrPP::operator+=(char c) { return Append(c); }

int StrPP::Reserve(int n) {
    if (n < length_) return 0;
    Reblock(n + 1, length_, IsPooled(buffer_));
    return n;
}

void StrPP::Compact() {
    if (buffer_ && length_ < capacity_ - 1) Reserve(length_);
}

void StrPP::SetCaseSensitive(bool sensitive) { compareTexts = sensitive ? std::strcmp : _stricmp; }
int StrPP::Compare(const char* a, const char* b) { return compareTexts(a, b); }

StrPP& StrPP::Left(int n) {
    n = std::max(0, std::min(n, length_));
    return AssignPiece(*this, 0, n);
}

StrPP& StrPP::Right(int n) {
    n = std::max(0, std::min(n, length_));
    return AssignPiece(*this, length_ - n, n);
}

StrPP& StrPP::Mid(int start, int count) {
    start = std::max(0, std::min(start, length_));
    count = std::max(0, std::min(count, length_ - start));
    return AssignPiece(*this, start, count);
}

StrPP StrPP::Mid(int start, int count) const {
    StrPP piece;
    piece.AssignPiece(*this, std::max(0, start), count);
    return piece;
}

StrPP& StrPP::Justify(int mode, int width, int flags) {
    if (flags & 2) Trim(1);
    if (length_ >= width) {
        if (!(flags & 1) || length_ == width) return *this;
        const int start = mode == 0 ? 0 : mode == 1 ? (length_ - width) / 2 : length_ - width;
        return AssignPiece(*this, start, width);
    }
    std::string text(Text());
    const int surplus = width - length_;
    if (mode == 0) {
        text.append(surplus, ' ');
    } else if (mode == 1) {
        text.insert(0, surplus / 2, ' ');
        text.append(width - (length_ + width) / 2, ' ');
    } else {
        text.insert(0, surplus, ' ');
    }
    return Assign(text.c_str());
}

StrPP& StrPP::Insert(int pos, const StrPP& s) {
    if (pos < 0 || pos > length_) return *this;
    const std::string piece(s.Text());
    const int n = length_ + static_cast<int>(piece.size());
    Grow(n, length_);
    std::memmove(buffer_ + pos + piece.size(), buffer_ + pos, length_ - pos);
    std::memcpy(buffer_ + pos, piece.data(), piece.size());
    SetLength(n);
    return *this;
}

StrPP& StrPP::Delete(int pos, int count) {
    if (length_ == 0 || pos < 0 || pos >= length_) return *this;
    if (count <= 0 || count > length_ - pos) count = length_ - pos;
    std::memmove(buffer_ + pos, buffer_ + pos + count, length_ - pos - count);
    SetLength(length_ - count);
    return *this;
}

StrPP& StrPP::Replace(int pos, int count, const StrPP& s) {
    const StrPP piece(s);
    Delete(pos, count);
    return Insert(pos, piece);
}

char* StrPP::Duplicate(char*& out) const {
    out = new char[length_ + 1];
    std::memcpy(out, Text(), length_ + 1);
    return out;
}

bool StrPP::IsWhite(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

StrPP& StrPP::Trim(int mode, char c) {
    auto stripped = [c](char x) { return c ? x == c : IsWhite(static_cast<unsigned char>(x)); };
    int first = 0;
    int end = length_;
    if (mode == 0 || mode == 1)
        while (first < end && stripped(buffer_[first])) ++first;
    if (mode == 1 || mode == 2)
        while (end > first && stripped(buffer_[end - 1])) --end;
    if (first == 0 && end == length_) return *this;
    return AssignPiece(*this, first, end - first);
}

int StrPP::Find(const StrPP& s) const {
    const char* at = std::strstr(Text(), s.Text());
    return at ? static_cast<int>(at - Text()) : -1;
}

int StrPP::FindNext(const StrPP& s, int after) const {
    if (after >= length_) return -1;
    const int from = std::max(0, after + 1);
    const char* at = std::strstr(Text() + from, s.Text());
    return at ? static_cast<int>(at - Text()) : -1;
}

int StrPP::FindLast(const StrPP& s) const {
    for (int pos = length_ - s.length_; pos >= 1; --pos)
        if (std::strncmp(Text() + pos, s.Text(), s.length_) == 0) return pos;
    return -1;
}

int StrPP::Count(StrPP s) const {
    if (s.length_ == 0) return 0;
    int count = 0;
    for (const char* at = std::strstr(Text(), s.Text()); at; at = std::strstr(at + 1, s.Text())) ++count;
    return count;
}

StrPP& StrPP::operator*=(int n) {
    if (n < 1) return Assign("");
    std::string text;
    text.reserve(static_cast<size_t>(length_) * n);
    for (int i = 0; i < n; ++i) text += Text();
    return Assign(text.c_str());
}

bool operator==(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) == 0; }
bool operator!=(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) != 0; }
bool operator<(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) < 0; }
bool operator>(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) > 0; }
bool operator<=(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) <= 0; }
bool operator>=(const StrPP& a, const StrPP& b) { return StrPP::Compare(a, b) >= 0; }

StrPP operator+(const StrPP& a, const StrPP& b) {
    StrPP r(a);
    r += b;
    return r;
}
StrPP operator+(const StrPP& a, const char* b) {
    StrPP r(a);
    r += b;
    return r;
}
StrPP operator+(const char* a, const StrPP& b) {
    StrPP r(a);
    r += b;
    return r;
}

StrPP operator*(const StrPP& s, int n) {
    StrPP r(s);
    if (n > 1) r *= n;
    return r;
}

StrPP operator*(int n, const StrPP& s) { return s * n; }
StrPP Left(const char* text, int n) {
    StrPP s(text);
    s.Left(n);
    return s;
}
StrPP Right(const char* text, int n) {
    StrPP s(text);
    s.Right(n);
    return s;
}
StrPP Mid(const char* text, int start, int count) {
    StrPP s(text);
    s.Mid(start, count);
    return s;
}
StrPP Trim(const char* text, int mode) {
    StrPP s(text);
    s.Trim(mode);
    return s;
}
StrPP Justify(const char* text, int mode, int width, int flags) {
    StrPP s(text);
    s.Justify(mode, width, flags);
    return s;
}

int FindIn(const char* text, const char* s) {
    const char* at = std::strstr(text, s);
    return at ? static_cast<int>(at - text) : -1;
}

std::ostream& operator<<(std::ostream& out, const StrPP& s) { return out << s.Text(); }

std::istream& operator>>(std::istream& in, StrPP& s) {
    char word[256] = {0};
    in >> std::setw(sizeof word) >> word;
    s = word;
    return in;
}

ConstString::ConstString(const char* text) : StrPP(text) {}

StrPP& ConstString::AssignPiece(const StrPP&, int, int) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Assign(const StrPP&) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::AssignText(const char*, int, int, bool) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Assign(const char*) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Fill(char, int) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Append(const StrPP&) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Append(const char*) {
    LibraryAssert();
    return *this;
}
StrPP& ConstString::Append(char) {
    LibraryAssert();
    return *this;
}
