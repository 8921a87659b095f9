#include "settings/Value.h"
#include "environment/Messages.h"
#include "foundation/PooledText.h"
#include "foundation/WordScan.h"
#include "settings/SectionReader.h"
#include "settings/SectionWriter.h"
#include "settings/Storage.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {
// Elements reserved at once for a list read from storage; a damaged count cannot
// make the reader claim more than the elements that actually follow.
const int kListReadAhead = 1024;

[[noreturn]] void Raise(const StrPP& text) { QRVException(text, 1).Throw(); }
// A count or a read that the rest of the stream cannot satisfy: the file is damaged.
[[noreturn]] void RaiseDamaged() { Raise(CatalogueText(kMsgWriteMismatch)); }

// A value's words and bytes through a stream, each as the stream takes it.
class StorageSink {
public:
    explicit StorageSink(Storage& s) : storage(s) {}
    bool Word(uint32_t w) { return storage.Write(static_cast<unsigned long>(w)); }
    bool Real(double d) { return storage.Write(d); }
    bool Bytes(const void* data, uint32_t n) { return storage.WriteBytes(data, n); }

private:
    Storage& storage;
};

// A value's words and bytes from a stream, each as the stream delivers it.
class StorageSource {
public:
    explicit StorageSource(Storage& s) : storage(s) {}
    bool Word(uint32_t& w) {
        unsigned long read = 0;
        if (!storage.Read(read)) return false;
        w = static_cast<uint32_t>(read);
        return true;
    }
    bool Real(double& d) { return storage.Read(d); }
    bool Bytes(void* into, uint32_t n) { return storage.ReadBytes(into, n); }
    // n bytes (no more than Remaining()), valid until the next call; null when unreadable.
    const char* Take(uint32_t n) {
        if (n == 0) return "";
        if (scratch.size() < n) scratch.resize(n);
        return storage.ReadBytes(scratch.data(), n) ? scratch.data() : nullptr;
    }
    uint32_t Remaining() const { return storage.Remaining(); }

private:
    Storage& storage;
    std::vector<char> scratch;
};
}  // namespace

StrPP NumberFormat::PatternFor(int decimals) {
    char pattern[32];
    std::snprintf(pattern, sizeof pattern, "%%.%df", decimals);
    return pattern;
}

Value::Value(bool b, bool flag) : typeWord(kBool | (flag ? kValueFlag : 0)) { word = b ? 1 : 0; }
Value::Value(int i, bool flag) : typeWord(kInt | (flag ? kValueFlag : 0)) { word = i; }
Value::Value(uint32_t lowHalf, uint32_t highHalf, bool flag) : typeWord(kReal | (flag ? kValueFlag : 0)) {
    const uint64_t bits = (uint64_t(highHalf) << 32) | lowHalf;
    std::memcpy(&real, &bits, sizeof real);
}
Value::Value(double d, bool flag) : real(d), typeWord(kReal | (flag ? kValueFlag : 0)) {}
Value::Value(const char* s, bool flag) : typeWord(kString | (flag ? kValueFlag : 0)) {
    text = PooledText::New(s ? s : "", s ? static_cast<int>(std::strlen(s)) : 0);
}
Value::Value(const StrPP& s, bool flag) : typeWord(kString | (flag ? kValueFlag : 0)) { text = PooledText::New(s); }
Value::Value(ValueList* takenList, bool flag) : typeWord(kList | (flag ? kValueFlag : 0)) {
    list = takenList ? takenList : new ValueList;
}
Value::Value(const void* data, uint32_t count, bool flag)
    : byteCount(count), typeWord(kBinary | (flag ? kValueFlag : 0)) {
    bytes = new unsigned char[count ? count : 1];
    if (count) std::memcpy(bytes, data, count);
}

Value::Value(const Value& other) : Numbered() {
    CopyFrom(other);
    typeWord |= kValueFlag;
    if (other.firstText) firstText = new StrPP(*other.firstText);
    if (other.format) format = new NumberFormat(*other.format);
}

Value::Value(Value&& other) noexcept
    : Numbered(), payload(std::exchange(other.payload, 0)), real(std::exchange(other.real, 0.0)),
      byteCount(std::exchange(other.byteCount, 0u)),
      typeWord(std::exchange(other.typeWord, kNone | kValueFlag) | kValueFlag),
      format(std::exchange(other.format, nullptr)), firstText(std::exchange(other.firstText, nullptr)) {}

Value::~Value() {
    FreePayload();
    delete format;
    delete firstText;
    delete rare;
}

void Value::FreePayload() noexcept {
    switch (Type()) {
        case kString: PooledText::Delete(text); break;
        case kList: delete list; break;
        case kBinary: delete[] bytes; break;
        default: break;
    }
    payload = 0;
}

// Into a value without a payload.
void Value::CopyFrom(const Value& other) {
    real = other.real;
    byteCount = other.byteCount;
    typeWord = other.typeWord;
    switch (other.Type()) {
        case kString: text = other.text ? PooledText::New(*other.text) : nullptr; break;
        case kList: list = other.list ? new ValueList(*other.list) : nullptr; break;
        case kBinary:
            if (other.bytes) {
                bytes = new unsigned char[byteCount ? byteCount : 1];
                std::memcpy(bytes, other.bytes, byteCount);
            }
            break;
        default: payload = other.payload; break;
    }
}

void Value::Swap(Value& other) noexcept {
    std::swap(payload, other.payload);
    std::swap(real, other.real);
    std::swap(byteCount, other.byteCount);
    std::swap(typeWord, other.typeWord);
}

Value& Value::operator=(const Value& other) {
    if (this == &other || this == &ErrorValue::Shared()) return *this;
    Value copy;
    copy.CopyFrom(other);  // before anything is freed: other may live inside this value's own list
    Swap(copy);
    return *this;
}

Value& Value::operator=(Value&& other) noexcept {
    if (this == &other || this == &ErrorValue::Shared()) return *this;
    Swap(other);
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

Value& Value::operator=(const StrPP& s) {
    if (this == &ErrorValue::Shared()) return *this;
    if (Type() == kString && text) {
        PooledText::Assign(*text, s.Text(), s.Length());
        return *this;
    }
    StrPP* fresh = PooledText::New(s);
    Clear();
    text = fresh;
    typeWord = kString | kValueFlag;
    return *this;
}

void Value::Clear() {
    if (this == &ErrorValue::Shared()) return;
    if (Type() == kString && !text) FatalError("Attempting to delete a null EString");
    if (Type() == kList && !list) FatalError("Attempting to delete a null ValueList");
    FreePayload();
    byteCount = 0;
    real = 0;
    typeWord = kNone | kValueFlag;
}

void Value::SetFormat(const NumberFormat& numberFormat) {
    delete format;
    format = new NumberFormat(numberFormat);
}

Value::Rare& Value::RareParts() {
    if (!rare) rare = new Rare;
    return *rare;
}

void Value::SetTexts(const StrPP& first, const StrPP& second) {
    std::unique_ptr<StrPP> kept(new StrPP(second));
    delete firstText;
    firstText = new StrPP(first);
    RareParts().secondText = std::move(kept);
}

void Value::SetReference(double value) { RareParts().reference.reset(new double(value)); }

StrPP Value::NumberText(bool applyRelative) const {
    const NumberFormat& f = *format;
    const bool isReal = Type() == kReal;
    double x = isReal ? real : static_cast<double>(word);
    long long i = word;
    if (f.relative && applyRelative && rare && rare->reference) {
        x -= *rare->reference;
        i -= static_cast<long long>(*rare->reference);
    }
    if (f.impliedDecimals >= 0) {
        const double scale = std::pow(10.0, f.impliedDecimals);
        if (isReal)
            x = std::floor(x * scale + 0.5);
        else
            i *= static_cast<long long>(scale);
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
            if (format && rare && rare->secondText) out += *rare->secondText;
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
    StorageSink sink(storage);
    return WriteWith(sink, 0);
}

int Value::WriteAsCopy(Storage& storage) const {
    StorageSink sink(storage);
    return WriteWith(sink, kValueFlag);
}

int Value::WriteAsCopy(SectionWriter& writer) const { return WriteWith(writer, kValueFlag); }

template <class Sink>
int Value::WriteWith(Sink& out, uint32_t flag) const {
    const ValueType type = Type();
    if (type < kNone || type > kBinary) Raise("Unknown Value type on write.");
    if (!out.Word(typeWord | flag)) return 0;
    switch (type) {
        case kBool:
        case kInt: return out.Word(static_cast<uint32_t>(word));
        case kReal: return out.Real(real);
        case kString: {
            const uint32_t n = static_cast<uint32_t>(text ? text->Length() : 0);
            return out.Word(n) && out.Bytes(String(), n);
        }
        case kList:
            if (!out.Word(static_cast<uint32_t>(list->Count()))) return 0;
            for (int i = 0; i < list->Count(); ++i)
                if (!list->data[i].WriteWith(out, flag)) return 0;
            return 1;
        case kBinary: return out.Word(byteCount) && out.Bytes(bytes, byteCount);
        default: return 1;
    }
}

int Value::Read(Storage& storage) {
    StorageSource source(storage);
    return ReadFrom(source, 0);
}

int Value::Read(SectionReader& reader) { return ReadFrom(reader, 0); }

bool Value::Become(uint32_t type) {
    if (this == &ErrorValue::Shared()) return false;
    FreePayload();
    byteCount = 0;
    real = 0;
    typeWord = type | kValueFlag;
    return true;
}

// The payload is read whole before the value changes, so that a damaged one leaves it as it was.
template <class Source>
int Value::ReadFrom(Source& in, int depth) {
    uint32_t tag = 0;
    if (!in.Word(tag)) return 0;
    const uint32_t type = tag & ~kValueFlag;
    if (type < kNone || type > kBinary) Raise("Unknown Value type on read.  This file may be corrupted.");
    switch (type) {
        case kBool:
        case kInt: {
            uint32_t w = 0;
            if (!in.Word(w)) RaiseDamaged();
            if (Become(type)) word = static_cast<int32_t>(w);
            break;
        }
        case kReal: {
            double d = 0;
            if (!in.Real(d)) RaiseDamaged();
            if (Become(type)) real = d;
            break;
        }
        case kString: {
            uint32_t n = 0;
            if (!in.Word(n) || n > in.Remaining() || n > INT_MAX) RaiseDamaged();
            const char* read = in.Take(n);
            if (!read) RaiseDamaged();
            // The text ends at its first zero byte, as a terminated buffer would.
            const int shown = static_cast<int>(WordScan::Length(read, n));
            if (Type() == kString && text) {
                // A string read over a string reuses its string object and block.
                StrPP* kept = std::exchange(text, nullptr);
                Become(type);  // never the shared ErrorValue, which holds no string
                text = kept;
                PooledText::Assign(*text, read, shown);
            } else {
                StrPP* fresh = PooledText::New(read, shown);
                if (Become(type))
                    text = fresh;
                else
                    PooledText::Delete(fresh);
            }
            break;
        }
        case kList: {
            uint32_t n = 0;
            if (!in.Word(n) || static_cast<int32_t>(n) < 0 || n > in.Remaining() / 4 || depth >= kMaxListDepth)
                RaiseDamaged();
            std::unique_ptr<ValueList> items(new ValueList);
            items->Reserve(static_cast<int>(std::min<uint32_t>(n, kListReadAhead)));
            for (uint32_t i = 0; i < n; ++i) {
                Value element;
                if (!element.ReadFrom(in, depth + 1)) RaiseDamaged();
                items->Append(std::move(element));
            }
            if (Become(type)) list = items.release();
            break;
        }
        case kBinary: {
            uint32_t n = 0;
            if (!in.Word(n) || n > in.Remaining()) RaiseDamaged();
            std::unique_ptr<unsigned char[]> block(new unsigned char[n ? n : 1]);
            if (n > 0 && !in.Bytes(block.get(), n)) RaiseDamaged();
            if (Become(type)) {
                bytes = block.release();
                byteCount = n;
            }
            break;
        }
        default: Become(type); break;
    }
    return 1;
}

ValueList::ValueList(const ValueList& other) : EArray<Value>(other.Count() > 0 ? other.Count() : 5, 1) {
    upper = -1;
    for (int i = 0; i < other.Count(); ++i) Append(other.data[i]);
}

ValueList& ValueList::operator=(const ValueList& other) {
    if (this == &other) return *this;
    ValueList copy(other);
    std::swap(data, copy.data);
    std::swap(upper, copy.upper);
    std::swap(capacityUpper, copy.capacityUpper);
    return *this;
}

void ValueList::Reserve(int n) {
    if (n <= Capacity()) return;
    const int grown = std::max(n, Capacity() <= INT_MAX / 2 ? Capacity() * 2 : INT_MAX);
    std::unique_ptr<Value[]> block(new Value[grown]);
    for (int i = 0; i <= upper; ++i) block[i] = std::move(data[i]);
    delete[] data;
    data = block.release();
    capacityUpper = grown - 1;
    status = 1;
}

void ValueList::Append(const Value& value) { Append(Value(value)); }  // copied first: value may be an element

void ValueList::Append(Value&& value) {
    if (upper == INT_MAX - 1) throw std::bad_alloc();
    Reserve(upper + 2);
    Value& slot = data[upper + 1];
    slot = std::move(value);
    slot.typeWord |= kValueFlag;
    ++upper;
}

Value& ValueList::At(int i) {
    if (i < 0 || i >= Count()) {
        Warn(StrPP("Attempting to access a List element (") + StrPP(static_cast<long>(i)) + ") that does not exist.");
        static Value placeholder;
        return placeholder;
    }
    return data[i];
}

namespace {
// The comparisons of the sort, element on the left as in the operators: a result
// that is not a Bool holding 1 (Illegal, the shared ErrorValue) counts as false.
bool Precedes(const Value& element, const Value& pivot, bool descending) {
    return (descending ? element > pivot : element < pivot).IsTrue();
}

bool Follows(const Value& element, const Value& pivot, bool descending) {
    return (descending ? element < pivot : element > pivot).IsTrue();
}

// Splits [lo, hi] around the pivot at hi; returns the pivot's final place.
int Partition(Value* v, int lo, int hi, bool descending) {
    const Value& pivot = v[hi];  // untouched until the last exchange: the scans stop short of hi
    int i = lo;
    int j = hi - 1;
    while (true) {
        while (i < hi && Precedes(v[i], pivot, descending)) ++i;
        while (j > lo && Follows(v[j], pivot, descending)) --j;
        if (i >= j) break;
        v[i].Swap(v[j]);
        ++i;
        --j;
    }
    if (i != hi) v[i].Swap(v[hi]);
    return i;
}

void SiftDown(Value* v, int root, int count, bool descending) {
    while (true) {
        int child = 2 * root + 1;
        if (child >= count) return;
        if (child + 1 < count && Precedes(v[child], v[child + 1], descending)) ++child;
        if (!Precedes(v[root], v[child], descending)) return;
        v[root].Swap(v[child]);
        root = child;
    }
}

void HeapSort(Value* v, int count, bool descending) {
    for (int root = count / 2 - 1; root >= 0; --root) SiftDown(v, root, count, descending);
    for (int end = count - 1; end > 0; --end) {
        v[0].Swap(v[end]);
        SiftDown(v, 0, end, descending);
    }
}

// The ranges split as the plain recursive quicksort splits them, so the order is the
// same; only the smaller side recurses. A range that keeps splitting very unevenly
// (sorted or reversed input) is finished by heapsort once its budget of uneven splits
// is spent, so that no input costs more than n log n comparisons.
void QuickSort(Value* v, int lo, int hi, bool descending, int unevenBudget) {
    while (lo < hi) {
        const int p = Partition(v, lo, hi, descending);
        const int left = p - lo;
        const int right = hi - p;
        if (std::min(left, right) < (hi - lo + 1) / 16 && --unevenBudget < 0) {
            HeapSort(v + lo, hi - lo + 1, descending);
            return;
        }
        if (left < right) {
            QuickSort(v, lo, p - 1, descending, unevenBudget);
            lo = p + 1;
        } else {
            QuickSort(v, p + 1, hi, descending, unevenBudget);
            hi = p - 1;
        }
    }
}
}  // namespace

void ValueList::Sort(int lo, int hi, bool descending) {
    if (lo >= hi) return;
    int log2 = 0;
    for (int n = hi - lo + 1; n > 1; n /= 2) ++log2;
    QuickSort(data, lo, hi, descending, log2 + 8);
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
