#include "Sandbox.h"
#include "settings/FileStorage.h"
#include "settings/Value.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <iterator>

namespace {
// Writes a value to a file and gives back its bytes.
std::string Stored(const Value& v, const TempFolder& temp) {
    {
        FileStorage s((temp / "v.qrv").c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE, CREATE_ALWAYS);
        EXPECT_TRUE(v.Write(s));
        EXPECT_EQ(s.Length(), v.StorageSize());
    }
    return ReadFileText(temp / "v.qrv");
}

Value ReadBack(const std::string& bytes, const TempFolder& temp) {
    WriteFileText(temp / "r.qrv", bytes);
    FileStorage s((temp / "r.qrv").c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_READ, OPEN_EXISTING);
    Value v;
    v.Read(s);
    return v;
}

std::string Word(uint32_t w) { return std::string(reinterpret_cast<const char*>(&w), 4); }

Value ListOf(std::initializer_list<Value> items) {
    ValueList* list = new ValueList;
    for (const Value& item : items) list->Append(item);
    return Value(list);
}

// Each type's layout: its type word (0x400 marks a copy), then its words or counted bytes; what is
// read back is what was written, a copy's flag included.
TEST(Value, StorageLayoutsRoundTrip) {
    TempFolder temp;
    EXPECT_EQ(Stored(Value(), temp), Word(0x80));
    EXPECT_EQ(Stored(Value(5), temp), Word(0x83) + Word(5));
    EXPECT_EQ(Stored(Value(5, true), temp), Word(0x483) + Word(5));
    EXPECT_EQ(Stored(Value(""), temp), Word(0x85) + Word(0));
    EXPECT_EQ(Stored(Value("hi"), temp), Word(0x85) + Word(2) + "hi");
    EXPECT_EQ(Stored(Value(0x3FF00000u, 0x40000000u), temp), Word(0x84) + Word(0x3FF00000) + Word(0x40000000));
    EXPECT_EQ(Stored(Value(static_cast<const void*>("\x01\x02"), 2u), temp), Word(0x87) + Word(2) + "\x01\x02");
    EXPECT_EQ(Stored(ListOf({Value(1), Value("a")}), temp),
              Word(0x86) + Word(2) + Word(0x483) + Word(1) + Word(0x485) + Word(1) + "a");
    const Value two = ReadBack(Word(0x82) + Word(2), temp);  // a Bool word other than 1
    EXPECT_STREQ(two.Text(), "False");
    EXPECT_EQ(Stored(two, temp), Word(0x482) + Word(2));
    const Value plain("text");
    EXPECT_EQ(plain.TypeWord(), 0x85u);
    const Value back = ReadBack(Stored(Value(plain), temp), temp);
    EXPECT_EQ(back.TypeWord(), 0x485u);
    EXPECT_STREQ(back.String(), "text");
    const Value again = ReadBack(Stored(ListOf({ListOf({Value(2.5)}), Value("")}), temp), temp);
    ASSERT_EQ(again.List()->Count(), 2);
    EXPECT_EQ(again.List()->At(0).List()->At(0).Real(), 2.5);
    EXPECT_EQ(again.List()->At(1).Type(), kString);
    EXPECT_STREQ(again.List()->At(1).String(), "");
    // Damaged bytes raise the library's exception.
    std::string deep;
    for (int i = 0; i <= Value::kMaxListDepth; ++i) deep += Word(0x86) + Word(1);
    for (const std::string& damaged : {Word(0x99), Word(0x85) + Word(1000000) + "abc", Word(0x86) + Word(0x7FFFFFFF),
                                       Word(0x87) + Word(10) + "x", deep + Word(0x80)})
        EXPECT_THROW(ReadBack(damaged, temp), QRVException) << damaged.size();
    try {
        ReadBack(Word(0x42), temp);
    } catch (const QRVException& failure) {
        EXPECT_STREQ(failure.heading, "Unknown Value type on read.  This file may be corrupted.");
    }
}

// Copying, storing and reading cost time in proportion to the bytes, however deep the
// nesting: a list nested as deep as a file may hold, and a long flat one.
TEST(Value, DeepAndLongListsRoundTrip) {
    TempFolder temp;
    Value deep(7);
    for (int level = 0; level < Value::kMaxListDepth; ++level) {
        ValueList* outer = new ValueList;
        outer->Append(std::move(deep));
        deep = Value(outer);
    }
    const Value deepCopy(deep);
    const Value deepBack = ReadBack(Stored(deepCopy, temp), temp);
    const Value* inner = &deepBack;
    for (int level = 0; level < Value::kMaxListDepth; ++level) {
        ASSERT_EQ(inner->Type(), kList);
        ASSERT_EQ(inner->List()->Count(), 1);
        inner = &inner->List()->data[0];
    }
    EXPECT_EQ(inner->Word(), 7);

    ValueList* flat = new ValueList;
    for (int i = 0; i < 100000; ++i) flat->Append(Value(i));
    const Value flatBack = ReadBack(Stored(Value(flat), temp), temp);
    ASSERT_EQ(flatBack.List()->Count(), 100000);
    EXPECT_EQ(flatBack.List()->At(99999).Word(), 99999);
    EXPECT_EQ(flatBack.List()->At(12345).TypeWord(), 0x483u);
}

// The type word in hex and the text: "483:7".
std::string Shown(const Value& v) {
    char type[12];
    std::snprintf(type, sizeof type, "%x:", v.TypeWord());
    return type + std::string(v.Text().Text());
}

// An operator works in the left operand's type; a missing right operand gives no value, or marks a text.
// Lists compare element by element; a single value is wrapped: [1] is shorter than [1, 3].
TEST(Value, OperatorsFollowTheLeftType) {
    const Value left = ListOf({Value(1), Value(2)}), right = ListOf({Value(1), Value(3)});
    const Value sum(Value(1) + Value(2));
    const std::pair<std::string, const char*> cases[] = {
        {Shown(Value(3) < Value(3.9)), "482:False"},
        {Shown(Value(3.9) > Value(3)), "482:True"},
        {Shown(Value(3) == Value(3.9)), "482:True"},
        {Shown(Value("abc") < Value("abd")), "482:True"},
        {Shown(Value("12") == Value(12)), "482:True"},
        {Shown(Value(2.5) == Value("2.5")), "482:True"},
        {Shown(Value(7) < Value("8")), "482:True"},
        {Shown(Value(true) < Value(1)), "481:Illegal Value"},
        {Shown(Value(true) < Value()), "480:No Value"},
        {Shown(Value(true) == Value()), "481:Illegal Value"},
        {Shown(Value(true) == Value("TRUE")), "482:True"},
        {Shown(Value(true) == Value(1.0)), "482:True"},
        {Shown(Value(false) == Value(1.0)), "482:False"},
        {Shown(Value("abc") < Value()), "485:abc Uninitialized "},
        {Shown(Value(1.5) < Value()), "480:No Value"},
        {Shown(Value(1) == Value(1)), "482:True"},
        {Shown(left < right), "482:True"},
        {Shown(left == right), "482:False"},
        {Shown(ListOf({}) < Value()), "480:No Value"},
        {Shown(ListOf({Value(1)}) == Value(1)), "482:True"},
        {Shown(Value(1) < right), "482:True"},
        {Shown(Value("n=") + Value(4)), "485:n=4"},
        {Shown(Value("x") + Value(0.5)), "485:x0.5"},
        {Shown(Value("x") - Value()), "485:x Uninitialized "},
        {Shown(Value(1.5) + Value("2")), "484:3.5"},
        {Shown(Value(7) / Value(2)), "483:3"},
        {Shown(Value(7) + Value(2.9)), "483:9"},
        {Shown(Value(7) * Value("3")), "483:21"},
        {Shown(Value(7) / Value(0)), "480:No Value"},
        {Shown(Value(7) + Value()), "480:No Value"},
        {Shown(Value(7) - Value(2)), "483:5"},
        {Shown(Value(true) + Value(1)), "482:True"},
        {Shown(sum + (Value(10) + Value(20))), "483:33"},
        {Shown(Value(true) && Value("True")), "483:1"},
        {Shown(Value(true) && Value(0)), "483:0"},
        {Shown(Value(false) || Value(1.0)), "483:1"},
        {Shown(Value(true) ^ Value(1)), "483:0"},
        {Shown(Value("s") || Value()), "485:s Uninitialized "},
        {Shown(Value(1.0)), "84:1."},
        {Shown(ListOf({})), "86:List"},
        {Shown(Value(static_cast<const void*>("xyz"), 3u)), "87:No Value"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << i;
}

// An assignment takes the new type with the flag; the source may live inside the target.
TEST(Value, Assignment) {
    Value v("text");
    v = 3;
    EXPECT_EQ(v.TypeWord(), 0x483u);
    v = 2.5;
    EXPECT_EQ(v.TypeWord(), 0x484u);
    v.Clear();
    EXPECT_EQ(v.TypeWord(), 0x480u);
    Value text("text");
    text = StrPP("other text");
    EXPECT_STREQ(text.String(), "other text");
    // The one error value every operator hands out cannot be changed through any of them.
    static_cast<Value&>(ErrorValue::Shared()) = StrPP("x");
    EXPECT_EQ(Shown(Value(7) / Value(0)), "480:No Value");
    Value holder = ListOf({Value(1)});
    holder = holder.List()->At(0);
    EXPECT_EQ(holder.Word(), 1);
}

// The plain recursive quicksort over the Value operators: the order the sort must give.
void ModelSort(std::vector<Value>& v, int lo, int hi, bool descending) {
    if (lo >= hi) return;
    const Value pivot(v[hi]);
    int i = lo;
    int j = hi - 1;
    while (true) {
        while (i < hi && (descending ? v[i] > pivot : v[i] < pivot).IsTrue()) ++i;
        while (j > lo && (descending ? v[j] < pivot : v[j] > pivot).IsTrue()) --j;
        if (i >= j) break;
        v[i++].Swap(v[j--]);
    }
    if (i != hi) v[i].Swap(v[hi]);
    ModelSort(v, lo, i - 1, descending);
    ModelSort(v, i + 1, hi, descending);
}

TEST(Value, SortsInTheModelsOrder) {
    // Mixed types with many ties and values that compare equal across types (3, 3.0, "3").
    uint32_t seed = 7;
    auto next = [&seed]() { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int round = 0; round < 300; ++round) {
        const bool descending = round % 2 == 1;
        std::vector<Value> model;
        ValueList list;
        const int n = static_cast<int>(next() % 80);
        for (int i = 0; i < n; ++i) {
            const int k = static_cast<int>(next() % 8);
            const Value v = next() % 3 == 0 ? Value(k) : next() % 2 ? Value(k * 1.0) : Value(std::to_string(k).c_str());
            model.push_back(v);
            list.Append(v);
        }
        ModelSort(model, 0, n - 1, descending);
        list.Sort(descending);
        for (int i = 0; i < n; ++i) ASSERT_EQ(Shown(list.At(i)), Shown(model[i])) << "round " << round << " at " << i;
    }
    // Sorted, reversed and all-equal inputs: no deep recursion, no quadratic scan.
    const int n = 100000;
    for (int shape = 0; shape < 3; ++shape) {
        for (bool descending : {false, true}) {
            ValueList list;
            for (int i = 0; i < n; ++i) list.Append(Value(shape == 0 ? i : shape == 1 ? n - i : 5));
            list.Sort(descending);
            for (int i = 0; i + 1 < n; ++i) {
                const int a = list.At(i).Word();
                const int b = list.At(i + 1).Word();
                ASSERT_TRUE(descending ? a >= b : a <= b) << shape << " at " << i;
            }
        }
    }
}

std::string Formatted(double number, const NumberFormat& format) {
    Value v(number);
    v.SetFormat(format);
    return v.Text().Text();
}

TEST(Value, NumberFormats) {
    NumberFormat implied;
    implied.impliedDecimals = 3;
    implied.pattern = NumberFormat::PatternFor(3);
    EXPECT_EQ(Formatted(1.2346, implied), "1235");
    NumberFormat padded;
    padded.leadingZeros = true;
    padded.minIntegerDigits = 3;
    padded.trailingZeros = true;
    padded.minFractionDigits = 4;
    padded.pattern = "%.2f";
    padded.decimalComma = true;
    EXPECT_EQ(Formatted(-2.5, padded), "-002,5000");
    // Trailing zeros go, up to the point and no further.
    for (const auto& [number, text] : std::vector<std::pair<double, std::string>>{
             {0.5, ".5"}, {0.0, "0."}, {1.25, "1.25"}, {100.0, "100."}, {10.05, "10.05"}, {-0.5, "-.5"}})
        EXPECT_EQ(Formatted(number, NumberFormat()), text) << number;
    NumberFormat relative;
    relative.relative = true;
    relative.pattern = "%.1f";
    Value offset(10.5);
    offset.SetFormat(relative);
    offset.SetReference(10.0);
    EXPECT_STREQ(offset.Text(), ".5");
    StrPP into;
    EXPECT_STREQ(offset.TextInto(into), "10.5");  // delivered text never subtracts
    EXPECT_STREQ(Value(-7).TextInto(into), "-7");
}
}  // namespace
