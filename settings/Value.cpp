#include "settings/Value.h"
#include "environment/Messages.h"
#include "settings/Storage.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
// Nested lists deeper than this in a file are taken as corruption, not recursed into.
const int kMaxListDepth = 64;
int readDepth = 0;

[[noreturn]] void Raise(const StrPP& text) { QRVException(text, 1).Throw(); }
}  // namespace

StrPP NumberFormat::PatternFor(int decimals) {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "%%.%df", decimals);
    return pattern;
}

Value::Value(bool b, bool flag) : word(b ? 1 : 0), typeWord(kBool | (flag ? kValueFlag : 0)) {}
Value::Value(int i, bool flag) : word(i), typeWord(kInt | (flag ? kValueFlag : 0)) {}
Value::Value(uint32_t lowHalf, uint32_t highHalf, bool flag) : typeWord(kReal | (flag ? kValueFlag : 0)) {
    const uint64_t bits = (uint64_t(highHalf) << 32) | lowHalf;
    std::memcpy(&real, &bits, sizeof real);
}
Value::Value(double d, bool flag) : real(d), typeWord(kReal | (flag ? kValueFlag : 0)) {}
Value::Value(const char* s, bool flag) : text(new StrPP(s ? s : "")), typeWord(kString | (flag ? kValueFlag : 0)) {}
Value::Value(const StrPP& s, bool flag) : text(new StrPP(s)), typeWord(kString | (flag ? kValueFlag : 0)) {}
Value::Value(ValueList* takenList, bool flag)
    : list(takenList ? takenList : new ValueList), typeWord(kList | (flag ? kValueFlag : 0)) {}
Value::Value(const void* data, uint32_t count, bool flag)
    : bytes(new unsigned char[count ? count : 1]), byteCount(count), typeWord(kBinary | (flag ? kValueFlag : 0)) {
    if (count) std::memcpy(bytes, data, count);
}

Value::Value(const Value& other) : Numbered() {
    CopyFrom(other);
    typeWord |= kValueFlag;
    if (other.firstText) firstText = new StrPP(*other.firstText);
    if (other.format) format = new NumberFormat(*other.format);
}

Value::~Value() {
    delete text;
    delete list;
    delete[] bytes;
    delete format;
    delete firstText;
    delete secondText;
    delete reference;
}

void Value::CopyFrom(const Value& other) {
    word = other.word;
    real = other.real;
    byteCount = other.byteCount;
    typeWord = other.typeWord;
    text = other.text ? new StrPP(*other.text) : nullptr;
    list = other.list ? new ValueList(*other.list) : nullptr;
    bytes = nullptr;
    if (other.bytes) {
        bytes = new unsigned char[byteCount ? byteCount : 1];
        std::memcpy(bytes, other.bytes, byteCount);
    }
}

Value& Value::operator=(const Value& other) {
    if (this == &other) return *this;
    if (this == &ErrorValue::Shared()) return *this;
    const Value copy(other);  // other may live inside this value's own list
    Clear();
    CopyFrom(copy);
    typeWord = other.typeWord;
    return *this;
}

Value& Value::operator=(bool b) {
    if (Type() != kBool) {
        Clear();
        typeWord = kBool | kValueFlag;
    }
    word = b ? 1 : 0;
    return *this;
}

Value& Value::operator=(int i) {
    if (Type() != kInt) {
        Clear();
        typeWord = kInt | kValueFlag;
    }
    word = i;
    return *this;
}

Value& Value::operator=(double d) {
    if (Type() != kReal) {
        Clear();
        typeWord = kReal | kValueFlag;
    }
    real = d;
    return *this;
}

void Value::Clear() {
    if (this == &ErrorValue::Shared()) return;
    if (Type() == kString && !text) FatalError("Attempting to delete a null EString");
    if (Type() == kList && !list) FatalError("Attempting to delete a null ValueList");
    delete text;
    delete list;
    delete[] bytes;
    text = nullptr;
    list = nullptr;
    bytes = nullptr;
    byteCount = 0;
    word = 0;
    real = 0;
    typeWord = kNone | kValueFlag;
}

void Value::SetFormat(const NumberFormat& numberFormat) {
    delete format;
    format = new NumberFormat(numberFormat);
}

void Value::SetTexts(const StrPP& first, const StrPP& second) {
    delete firstText;
    delete secondText;
    firstText = new StrPP(first);
    secondText = new StrPP(second);
}

void Value::SetReference(double value) {
    delete reference;
    reference = new double(value);
}

StrPP Value::NumberText(bool applyRelative) const {
    const NumberFormat& f = *format;
    const bool isReal = Type() == kReal;
    double x = isReal ? real : static_cast<double>(word);
    long long i = word;
    if (f.relative && applyRelative && reference) {
        x -= *reference;
        i -= static_cast<long long>(*reference);
    }
    if (f.impliedDecimals >= 0) {
        const double scale = std::pow(10.0, f.impliedDecimals);
        if (isReal) x = std::floor(x * scale + 0.5);
        else i *= static_cast<long long>(scale);
    }
    const std::string pattern = f.pattern.Text();
    const char conversion = pattern.empty() ? 'f' : pattern.back();
    const bool integerPattern = std::strchr("diuxX", conversion) != nullptr;
    char buffer[512];
    if (integerPattern) {
        const std::string wide = pattern.substr(0, pattern.size() - 1) + "ll" + conversion;
        std::snprintf(buffer, sizeof buffer, wide.c_str(), isReal ? static_cast<long long>(x) : i);
    } else {
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), isReal ? x : static_cast<double>(i));
    }
    std::string s(buffer);
    if (f.impliedDecimals >= 0) {
        const size_t point = s.find('.');
        if (point != std::string::npos) s.erase(point);
    }
    if (!isReal && !f.integerPoint && f.impliedDecimals < 0) {
        const size_t point = s.find('.');
        if (point != std::string::npos && s.find_first_not_of('0', point + 1) == std::string::npos) s.erase(point);
    }
    const size_t signs = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (f.leadingZeros) {
        size_t digits = signs;
        while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
        const int have = static_cast<int>(digits - signs);
        if (have < f.minIntegerDigits) s.insert(signs, f.minIntegerDigits - have, '0');
    } else {
        const size_t from = (!s.empty() && s[0] == '-') ? 1 : 0;
        size_t zeros = from;
        while (zeros < s.size() && s[zeros] == '0') ++zeros;
        s.erase(from, zeros - from);
    }
    const size_t point = s.find('.');
    if (point != std::string::npos) {
        size_t fractionEnd = s.size();
        if (f.exponent) {
            const size_t e = s.find_first_of("eE", point);
            if (e != std::string::npos) fractionEnd = e;
        }
        if (f.trailingZeros) {
            const int have = static_cast<int>(fractionEnd - point - 1);
            if (have < f.minFractionDigits) s.insert(fractionEnd, f.minFractionDigits - have, '0');
        } else if (f.impliedDecimals < 0) {
            size_t cut = fractionEnd;
            while (cut > point + 1 && s[cut - 1] == '0') --cut;
            s.erase(cut, fractionEnd - cut);
        }
    }
    if (s == ".") s = "0.";
    if (s.empty()) s = "0";
    if (f.decimalComma)
        for (char& c : s)
            if (c == '.') c = ',';
    return StrPP(s.c_str());
}

const StrPP& Value::Text() const {
    static StrPP shared;
    return Render(shared, format && format->applyRelative);
}

StrPP& Value::TextInto(StrPP& out) const { return Render(out, false); }

StrPP& Value::Render(StrPP& out, bool applyRelative) const {
    switch (Type()) {
        case kNone:
        case kBinary: out = "No Value"; break;
        case kIllegal: out = "Illegal Value"; break;
        case kBool: out = word == 1 ? "True" : "False"; break;
        case kInt:
        case kReal:
            if (format) {
                out = NumberText(applyRelative);
            } else if (Type() == kInt) {
                out = static_cast<long>(word);
            } else {
                out.Assign(real, "");
            }
            if (format && firstText) out = *firstText + out;
            if (format && secondText) out += *secondText;
            break;
        case kString: out = String(); break;
        case kList: out = "List"; break;
        default: out = "Illegal Value"; break;
    }
    return out;
}

uint32_t Value::StorageSize() const {
    switch (Type()) {
        case kNone:
        case kIllegal: return 4;
        case kBool:
        case kInt: return 8;
        case kReal: return 12;
        case kString: return static_cast<uint32_t>(text ? text->Length() : 0) + 8;
        case kList: {
            uint32_t size = 8;
            for (int i = 0; i < list->Count(); ++i) size += list->data[i].StorageSize();
            return size;
        }
        case kBinary: return byteCount + 8;
        default: Raise("Invalid Value type on StorageSize query");
    }
}

int Value::Write(Storage& storage) const {
    const ValueType type = Type();
    if (type < kNone || type > kBinary) Raise("Unknown Value type on write.");
    if (!storage.Write(static_cast<unsigned long>(typeWord))) return 0;
    switch (type) {
        case kBool:
        case kInt: return storage.Write(static_cast<unsigned long>(static_cast<uint32_t>(word)));
        case kReal: return storage.Write(real);
        case kString: {
            const uint32_t n = static_cast<uint32_t>(text ? text->Length() : 0);
            return storage.Write(static_cast<unsigned long>(n)) && storage.WriteBytes(String(), n);
        }
        case kList:
            if (!storage.Write(static_cast<long>(list->Count()))) return 0;
            for (int i = 0; i < list->Count(); ++i)
                if (!list->data[i].Write(storage)) return 0;
            return 1;
        case kBinary: return storage.Write(static_cast<unsigned long>(byteCount)) && storage.WriteBytes(bytes, byteCount);
        default: return 1;
    }
}

int Value::Read(Storage& storage) {
    unsigned long tag = 0;
    if (!storage.Read(tag)) return 0;
    const uint32_t type = static_cast<uint32_t>(tag) & ~kValueFlag;
    if (type < kNone || type > kBinary) Raise("Unknown Value type on read.  This file may be corrupted.");
    // A count that the rest of the stream cannot hold means the file is damaged.
    auto remaining = [&storage]() { return storage.Remaining(); };
    const StrPP damaged = CatalogueText(kMsgWriteMismatch);
    Value read;
    read.typeWord = type | kValueFlag;
    switch (type) {
        case kBool:
        case kInt: {
            unsigned long w = 0;
            if (!storage.Read(w)) Raise(damaged);
            read.word = static_cast<int32_t>(w);
            break;
        }
        case kReal:
            if (!storage.Read(read.real)) Raise(damaged);
            break;
        case kString: {
            unsigned long n = 0;
            if (!storage.Read(n) || n > remaining()) Raise(damaged);
            std::string s(n, '\0');
            if (n > 0 && !storage.ReadBytes(&s[0], static_cast<uint32_t>(n))) Raise(damaged);
            read.text = new StrPP(s.c_str());
            break;
        }
        case kList: {
            long n = 0;
            if (!storage.Read(n) || n < 0 || static_cast<unsigned long>(n) > remaining() / 4 || readDepth >= kMaxListDepth)
                Raise(damaged);
            read.list = new ValueList;
            ++readDepth;
            try {
                for (long i = 0; i < n; ++i) {
                    Value element;
                    if (!element.Read(storage)) Raise(damaged);
                    read.list->Append(element);
                }
            } catch (...) {
                --readDepth;
                throw;
            }
            --readDepth;
            break;
        }
        case kBinary: {
            unsigned long n = 0;
            if (!storage.Read(n) || n > remaining()) Raise(damaged);
            read.byteCount = static_cast<uint32_t>(n);
            read.bytes = new unsigned char[n ? n : 1];
            if (n > 0 && !storage.ReadBytes(read.bytes, read.byteCount)) Raise(damaged);
            break;
        }
        default: break;
    }
    *this = read;
    typeWord = type | kValueFlag;
    return 1;
}

ValueList::ValueList(const ValueList& other) : EArray<Value>(other.Count() > 0 ? other.Count() : 5, 1) {
    upper = -1;
    for (int i = 0; i < other.Count(); ++i) Append(other.data[i]);
}

ValueList& ValueList::operator=(const ValueList& other) {
    if (this == &other) return *this;
    const ValueList copy(other);
    upper = -1;
    for (int i = 0; i < copy.Count(); ++i) Append(copy.data[i]);
    return *this;
}

void ValueList::Append(const Value& value) {
    const Value copy(value);  // value may be an element about to move
    const int n = upper + 1;
    if (n > capacityUpper) GrowFor(n);
    if (n > capacityUpper) FatalError("Unable to get enough memory for EArray.");
    data[n] = copy;
    upper = n;
}

Value& ValueList::At(int i) {
    if (i < 0 || i >= Count()) {
        Warn(StrPP("Attempting to access a List element (") + StrPP(static_cast<long>(i)) + ") that does not exist.");
        static Value placeholder;
        return placeholder;
    }
    return data[i];
}

void ValueList::Sort(int lo, int hi, bool descending) {
    if (lo >= hi) return;
    const Value pivot(data[hi]);
    int i = lo;
    int j = hi - 1;
    while (true) {
        while (i < hi && (descending ? (data[i] > pivot) : (data[i] < pivot)).IsTrue()) ++i;
        while (j > lo && (descending ? (data[j] < pivot) : (data[j] > pivot)).IsTrue()) --j;
        if (i >= j) break;
        const Value swap(data[i]);
        data[i] = data[j];
        data[j] = swap;
        ++i;
        --j;
    }
    if (i != hi) {
        const Value swap(data[i]);
        data[i] = data[hi];
        data[hi] = swap;
    }
    Sort(lo, i - 1, descending);
    Sort(i + 1, hi, descending);
}

Value Value::Illegal() {
    Value illegal;
    illegal.typeWord = kIllegal | kValueFlag;
    return illegal;
}

ErrorValue::ErrorValue() { typeWord = kNone | kValueFlag; }

ErrorValue& ErrorValue::Shared() {
    static ErrorValue shared;
    return shared;
}
