#pragma once
// The library's variant: nothing, a boolean, an integer, a real, a string, a
// list of values or raw bytes; comparable, combinable, printable and storable.
#include "foundation/EArray.h"
#include "foundation/Export.h"
#include "foundation/StrPP.h"
#include <cstdint>
#include <memory>

class Storage;
class SectionReader;
class SectionWriter;

enum ValueType : uint32_t {
    kNone = 0x80,
    kIllegal = 0x81,
    kBool = 0x82,
    kInt = 0x83,
    kReal = 0x84,
    kString = 0x85,
    kList = 0x86,
    kBinary = 0x87,
};
constexpr uint32_t kValueFlag = 0x400;

// How a number is turned into text when a value carries a format.
struct VELLANTS_API NumberFormat {
    bool relative = false;
    bool applyRelative = true;  // turned off while text goes into a caller's string
    bool leadingZeros = false;
    bool trailingZeros = false;
    bool integerPoint = false;  // an Int keeps a "." as if it were a real
    bool exponent = false;
    int32_t unused = 0;
    bool decimalComma = false;
    int32_t minIntegerDigits = 1;
    int32_t minFractionDigits = 0;
    int32_t impliedDecimals = -1;
    StrPP pattern = "%.7f";

    // The pattern for d decimals, built with "%%.%df".
    static StrPP PatternFor(int decimals);
};

class ValueList;

class VELLANTS_API Value : public virtual Numbered {
public:
    Value() = default;
    explicit Value(bool b, bool flag = false);
    explicit Value(int i, bool flag = false);
    Value(uint32_t lowHalf, uint32_t highHalf, bool flag = false);  // a real as its two words
    explicit Value(double d, bool flag = false);
    explicit Value(const char* s, bool flag = false);
    explicit Value(const StrPP& s, bool flag = false);
    explicit Value(ValueList* takenList, bool flag = false);
    Value(const void* bytes, uint32_t count, bool flag = false);
    Value(const Value& other);
    // Takes the payload instead of copying it; the result is what a copy would be.
    Value(Value&& other) noexcept;
    virtual ~Value();

    // Assignment changes the payload and the type word only; format and texts stay.
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    // Exchanges payload and type word with another value; formats and texts stay put.
    void Swap(Value& other) noexcept;
    Value& operator=(bool b);
    Value& operator=(int i);
    Value& operator=(double d);
    // Like the three above: a String keeps its string object and only takes the text.
    Value& operator=(const StrPP& s);
    void Clear();

    void Renumber() override {}
    // The text form, built in one string shared by all values.
    virtual const StrPP& Text() const;
    // The same text delivered into the caller's string.
    virtual StrPP& TextInto(StrPP& out) const;

    int Write(Storage& storage) const;
    // Writes what a copy of this value would (the flag set at every level) without making one.
    int WriteAsCopy(Storage& storage) const;
    // The same bytes, framed in memory for a settings section.
    int WriteAsCopy(SectionWriter& writer) const;
    int Read(Storage& storage);
    // Reads a value of a settings section from memory, as Read(Storage&) reads it from the file.
    int Read(SectionReader& reader);
    uint32_t StorageSize() const;

    // Lists nested deeper than this in a file are taken as damage rather than recursed into.
    static const int kMaxListDepth = 1000;

    uint32_t TypeWord() const { return typeWord; }
    ValueType Type() const { return static_cast<ValueType>(typeWord & ~kValueFlag); }
    int32_t Word() const { return Type() == kBool || Type() == kInt ? word : 0; }
    double Real() const { return real; }
    const char* String() const { return Type() == kString && text ? text->Text() : ""; }
    ValueList* List() const { return Type() == kList ? list : nullptr; }
    const unsigned char* Bytes() const { return Type() == kBinary ? bytes : nullptr; }
    uint32_t ByteCount() const { return byteCount; }

    void SetFormat(const NumberFormat& format);
    void SetTexts(const StrPP& first, const StrPP& second);
    void SetReference(double reference);

    Value& operator==(const Value& right) const;
    Value& operator<(const Value& right) const;
    Value& operator>(const Value& right) const;
    Value& operator<=(const Value& right) const;
    Value& operator>=(const Value& right) const;
    Value& operator+(const Value& right) const;
    Value& operator-(const Value& right) const;
    Value& operator*(const Value& right) const;
    Value& operator/(const Value& right) const;
    Value& operator&&(const Value& right) const;
    Value& operator||(const Value& right) const;
    Value& operator^(const Value& right) const;

    static Value Illegal();
    // True when a comparison result says so (a Bool holding 1).
    bool IsTrue() const { return Type() == kBool && word == 1; }

protected:
    // The second text and the reference number: set on few values and carried by neither
    // copies nor moves, so they wait apart and a value stays small.
    struct Rare {
        std::unique_ptr<StrPP> secondText;
        std::unique_ptr<double> reference;
    };

    friend class ValueList;
    void CopyFrom(const Value& other);
    // One layout for every stream: Sink and Source carry the words and bytes.
    template <class Sink>
    int WriteWith(Sink& sink, uint32_t flag) const;
    template <class Source>
    int ReadFrom(Source& source, int depth);
    // Drops the payload and takes the type of a value just read, flag set; false for the
    // shared ErrorValue, which no read changes.
    bool Become(uint32_t type);
    // Frees the string, list or bytes that the type owns and zeroes the payload word.
    void FreePayload() noexcept;
    StrPP NumberText(bool applyRelative) const;
    StrPP& Render(StrPP& out, bool applyRelative) const;
    Rare& RareParts();

    // The payload word: the integer of a Bool or Int, or the string, list or bytes that
    // the type owns; only the type's member is read. Zero when unused.
    union {
        uintptr_t payload = 0;
        int32_t word;
        StrPP* text;
        ValueList* list;
        unsigned char* bytes;
    };
    double real = 0;
    uint32_t byteCount = 0;
    uint32_t typeWord = kNone;
    NumberFormat* format = nullptr;
    StrPP* firstText = nullptr;
    Rare* rare = nullptr;
};

// Elements are whole values; appending copies (or takes) the value and sets its flag.
// The list grows geometrically and moves its elements when it does, so that building,
// copying and reading a list cost time in proportion to its bytes.
class VELLANTS_API ValueList : public EArray<Value> {
public:
    ValueList() : EArray<Value>(5, 1) { upper = -1; }
    ValueList(const ValueList& other);
    ValueList& operator=(const ValueList& other);
    ~ValueList() override = default;

    int Count() const { return upper + 1; }
    void Append(const Value& value);
    void Append(Value&& value);
    // Room for n elements without another allocation.
    void Reserve(int n);
    // Bounded access: outside the elements in use it warns and yields a placeholder.
    Value& At(int i);
    // Quicksort over [first, last]; the recursion never goes deeper than log n.
    void Sort(int first, int last, bool descending);
    void Sort(bool descending = false) { Sort(0, upper, descending); }
};

// A value that stands for no usable result.
class VELLANTS_API ErrorValue : public Value {
public:
    ErrorValue();
    static ErrorValue& Shared();
};
