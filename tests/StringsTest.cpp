#include "foundation/PooledText.h"
#include "foundation/StrPP.h"
#include "foundation/WordScan.h"
#include "settings/ConfigSet.h"
#include <windows.h>
#include <malloc.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
// Reserve and Compact size a block exactly. A text of the small-block heap grows by the same steps as
// one of the C runtime's heap, also past that heap's largest block.
TEST(Strings, GrowthPolicy) {
    StrPP s;
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_STREQ(s.Text(), "");
    s = "0123456789abcdefghijklmn";
    s.Reserve(100);
    EXPECT_EQ(s.Capacity(), 101);
    EXPECT_EQ(s.Reserve(3), 0);
    s.Compact();
    EXPECT_EQ(s.Capacity(), 25);
    EXPECT_STREQ(s.Text(), "0123456789abcdefghijklmn");
    StrPP heap;
    StrPP pooled;
    PooledText::Assign(pooled, "", 0);
    for (int i = 0; i < 300; ++i) {
        heap += char('a' + i % 26);
        pooled += char('a' + i % 26);
        ASSERT_EQ(pooled.Capacity(), heap.Capacity()) << i;
    }
    EXPECT_STREQ(pooled.Text(), heap.Text());
    const std::string once(heap);
    heap += heap;  // appending itself must not read a freed block
    EXPECT_EQ(std::string(heap), once + once);
}

// The text up to its length: a length that disagrees with the text shows.
std::string Whole(const StrPP& s) { return std::string(s.Text(), s.Length()); }

// Positions and counts beyond the text are clamped to it.
TEST(Strings, EditingClampsToTheText) {
    const std::pair<std::string, const char*> cases[] = {
        {Whole(StrPP("abc").AssignText("abc", 5, 32767, false)), "abc"},
        {Whole(StrPP("abc").AssignText("abcdef", 4, 10, true)), "ef"},
        {Whole(StrPP("ef").AssignPiece(StrPP("xyz"), 4, 1)), "ef"},
        {Whole(StrPP("abc").Mid(7, 2)), ""},
        {Whole(StrPP("abc").Piece(1, 99)), "bc"},
        {Whole(StrPP("abcdef").Delete(2, 0)), "ab"},
        {Whole(StrPP("abcdef").Delete(1, 100)), "a"},
        {Whole(StrPP("abc").Insert(3, "de")), "abcde"},
        {Whole(StrPP("abcde").Insert(9, "zz")), "abcde"},
        {Whole(StrPP("abcde").Replace(1, 2, "XYZ")), "aXYZde"},
        {Whole(StrPP("aXYZde").Right(-1)), ""},
        {Whole(StrPP("abcdef").Mid(4, 10)), "ef"},
        {Whole(StrPP("  x  ").Trim(0)), "x  "},
        {Whole(StrPP("  x  ").Trim(2)), "  x"},
        {Whole(StrPP("--x--").Trim(1, '-')), "x"},
        {Whole(StrPP(" \t\r\n").Trim(1)), ""},
        {Whole(Justify("ab", 1, 5, 0)), " ab  "},
        {Whole(Justify("abc", 2, 1, 1)), "c"},
        {Whole(Justify("abcde", 1, 3, 1)), "bcd"},
        {Whole(Justify("abc", 0, 2, 0)), "abc"},
        {Whole(Justify(" ab ", 2, 4, 2)), "  ab"},
        {Whole(Justify("ab", 0, 4, 0)), "ab  "},
        {Whole(Left("abcdef", 2)), "ab"},
        {Whole(Right("abcdef", 2)), "ef"},
        {Whole(Mid("abcdef", 1, 2)), "bc"},
        {Whole(Trim(" ab ", 1)), "ab"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << i;
    // 32767 is the "to the end" count, not a length limit.
    const std::string longText(100000, 'q');
    EXPECT_EQ(StrPP(longText.c_str()).Length(), 100000);
    StrPP s;
    s.AssignText(longText.c_str(), 10, 32767, true);
    EXPECT_EQ(s.Length(), 99990);
    EXPECT_EQ(StrPP(longText.c_str()).Piece(0, 32767).Length(), 32767);
}

TEST(Strings, SearchingAndComparing) {
    EXPECT_EQ(StrPP("abxab").FindLast("ab"), 3);
    EXPECT_EQ(StrPP("abx").FindLast("ab"), -1);
    EXPECT_EQ(StrPP("ab").FindLast("ab"), -1);
    EXPECT_EQ(StrPP("aaa").FindNext("a", 0), 1);
    EXPECT_EQ(StrPP("aaa").FindNext("a", 2), -1);
    EXPECT_EQ(StrPP("aaaa").Count("aa"), 3);
    EXPECT_NE(StrPP("ABC"), StrPP("abc"));
    StrPP::SetCaseSensitive(false);
    EXPECT_EQ(StrPP("ABC"), StrPP("abc"));
    EXPECT_LT(StrPP("abc"), StrPP("ABD"));
    StrPP::SetCaseSensitive(true);
    EXPECT_LT(StrPP("ABD"), StrPP("abc"));
    EXPECT_STREQ(StrPP("ab") * 3, "ababab");
    EXPECT_STREQ(3 * StrPP("ab"), "ababab");
    EXPECT_STREQ(StrPP("ab") * 0, "ab");
    StrPP r("ab");
    r *= 3;
    EXPECT_EQ(r.Length(), 6);
    r *= 0;
    EXPECT_STREQ(r, "");
}

// Numbers print without a fixed buffer; a leading tolerance sign is skipped when reading one; a word read
// from a stream is bounded.
TEST(Strings, NumberAndStreamTexts) {
    EXPECT_STREQ(StrPP(2.0, ""), "2.");
    EXPECT_STREQ(StrPP(0.125, ""), "0.125");
    EXPECT_STREQ(StrPP(1.5f, "%.2f"), "1.50");
    EXPECT_STREQ(StrPP(-42L), "-42");
    EXPECT_STREQ(StrPP(4000000000UL), "4000000000");
    StrPP s("n=");
    s += 7;
    s += 2.5;
    EXPECT_STREQ(s, "n=72.5");
    s = 1e300;
    EXPECT_GT(s.Length(), 300);
    const std::string tolerance = "\xB1";
    EXPECT_EQ(StrPP((tolerance + "12").c_str()).ToLong(), 12);
    EXPECT_DOUBLE_EQ(StrPP((tolerance + "0.5").c_str()).ToDouble(), 0.5);
    long out = 0;
    EXPECT_EQ(StrPP((tolerance + "12").c_str()).Get(out), 0);
    std::istringstream in(std::string(300, 'w') + " next");
    StrPP word;
    in >> word;
    EXPECT_EQ(word.Length(), 255);
}

TEST(Strings, ConstStringRefusesChanges) {
    ConstString fixed("fixed");
    fixed = "other";
    fixed += "more";
    fixed = 12L;
    fixed.Left(2);
    fixed.Trim(1, 'f');
    fixed.Justify(2, 10, 0);
    EXPECT_STREQ(fixed, "fixed");
    fixed.ToUpper();  // writes the buffer directly, which is allowed
    EXPECT_STREQ(fixed, "FIXED");
}

// The taker of a block frees it with delete[]: even a text that lived in the small-block
// heap (as the keys of a settings set do) is handed over as a block of the C runtime's heap.
TEST(Strings, ForgetHandsOverTheBlock) {
    StrPP plain("owned");
    StrPP pooled;
    PooledText::Assign(pooled, "owned", 5);
    for (StrPP* s : {&plain, &pooled}) {
        char* block = static_cast<char*>(*s);
        EXPECT_EQ(s->Forget(), 0);
        EXPECT_EQ(s->Length(), 0);
        EXPECT_STREQ(s->Text(), "");
        EXPECT_STREQ(block, "owned");
        EXPECT_TRUE(::HeapValidate(reinterpret_cast<HANDLE>(_get_heap_handle()), 0, block));
        delete[] block;
    }
}

// Keys are ordered by a comparison that reads eight bytes at a time; it must give strcmp's
// order for every pair: prefixes, bytes above 0x7F, zero bytes inside the given length.
TEST(Strings, WordCompareOrdersAsStrcmp) {
    std::vector<std::string> texts({"", "a", "b", "ab", "abcdefgh", "abcdefgi", "abcdefghi", "\xff", "abcdefgh\x80",
                                    "Program.Bench.1", "Program.Bench.10", "Program.Bench.2", "abcdefghabcdefgh",
                                    "abcdefghabcdefghz", "abcdefghabcdefgh\x90"});
    for (const auto& [text, size] : {std::pair{"ab\0cd", 5}, {"ab\0ce", 5}, {"abcdefgh\0x", 10}})
        texts.emplace_back(text, size);
    auto sign = [](int order) { return (order > 0) - (order < 0); };
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const int expected = sign(std::strcmp(a.c_str(), b.c_str()));
            EXPECT_EQ(WordScan::Compare(a.data(), a.size(), b.data(), b.size()), expected) << a << " / " << b;
        }
        EXPECT_EQ(WordScan::Length(a.data(), a.size()), std::strlen(a.c_str())) << a;
    }
}

// Strings may be used on any thread: the small-block heap that holds the texts of values
// and the entries of sets serves several threads at once.
TEST(Strings, SmallBlocksServeSeveralThreads) {
    std::atomic<int> wrong{0};
    auto work = [&wrong](int seed) {
        std::vector<Value> values;
        ConfigSet set("s");
        for (int round = 0; round < 20000; ++round) {
            const std::string text(1 + (round * 7 + seed) % 150, char('a' + seed));
            values.emplace_back(text.c_str());
            set.Set(text.c_str(), Value(round));
            if (values.size() < 64) continue;
            for (const Value& v : values)
                if (std::strspn(v.String(), text.substr(0, 1).c_str()) != std::strlen(v.String())) ++wrong;
            values.erase(values.begin(), values.begin() + 32);
            set.Remove(text.c_str());
        }
    };
    std::vector<std::thread> threads;
    for (int seed = 0; seed < 4; ++seed) threads.emplace_back(work, seed);
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
}  // namespace
