// The settings and language files' core, natively: how sections are found, how the
// store's records decode and encode, how the language file reads and writes, and that
// each takes time in proportion to the file.
#include "fuzz/SettingsFile.h"
#include "environment/LanguageFile.h"
#include "environment/Lexicon.h"
#include <gtest/gtest.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
std::string StringValue(const std::string& s) { return Word(kString | kValueFlag) + Word(uint32_t(s.size())) + s; }
std::string IntValue(int32_t i) { return Word(kInt | kValueFlag) + Word(static_cast<uint32_t>(i)); }
std::string Record(const std::string& body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    return Word(21) + Word(n) + body + Word(n);
}
std::string Pair(const std::string& key, const std::string& value) { return Record(key) + Record(value); }
std::string Marker(const std::string& set) { return Pair(StringValue("\nConfig Set\n"), StringValue(set)); }

// The heading of the QRVException that `run` raises; empty when it raises none.
template <class Run>
std::string Raised(Run run) {
    try {
        run();
    } catch (const QRVException& failure) {
        return failure.heading.Text();
    }
    return "";
}

const std::string kNotQrv = "This is not a QRV file.  This file may be corrupted.";
const std::string kLength = "Section length bytes don't match.  This file may be corrupted.";
const std::string kWritten =
    "Internal Fatal Error in StorageSet.\nMismatch on number of bytes written.\nThis QRV file may be corrupt.";

const std::string kUnknownType = "Unknown Value type on read.  This file may be corrupted.";

double Seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<SectionPlace> Places(const std::string& bytes) {
    MemoryStorage file(bytes);
    std::vector<SectionPlace> places;
    ScanSections(file, [&](const SectionPlace& p) { places.push_back(p); });
    return places;
}

TEST(SectionScan, FindsTheFirstSectionOfEachNumber) {
    const std::string a = SectionBytes(7, "abc");
    const std::string badTrailer = Word(kSectionMagic) + Word(9) + Word(2) + "xy" + Word(3);
    const struct {
        std::string bytes;
        std::vector<uint32_t> numbers;  // of the sections found
        std::string raised;
    } cases[] = {
        {"", {}, ""},
        {"QV", {}, ""},
        {Word(kSectionMagic), {}, ""},
        {"NOTQ", {}, kNotQrv},
        {a, {7}, ""},
        {a + SectionBytes(8, "") + SectionBytes(7, "second"), {7, 8}, ""},
        // A later section of a number found before is stepped over unchecked.
        {a + badTrailer.substr(0, 4) + Word(7) + badTrailer.substr(8) + SectionBytes(2, ""), {7, 2}, ""},
        {a + badTrailer, {}, kLength},
        {Word(kSectionMagic) + Word(1) + Word(100) + "short", {}, kLength},
        {Word(kSectionMagic) + Word(1) + Word(0xFFFFFFF0u) + Word(0xFFFFFFF0u), {}, kLength},
        // What cannot begin another section ends the walk quietly.
        {a + "xyz", {7}, ""},
        {a + Word(kSectionMagic) + Word(9), {7}, ""},
        {a + Word(kSectionMagic) + Word(7) + Word(0x7FFFFFFF), {7}, ""},
    };
    for (const auto& c : cases) {
        std::vector<SectionPlace> places;
        EXPECT_EQ(Raised([&] { places = Places(c.bytes); }), c.raised) << c.bytes.size();
        std::vector<uint32_t> numbers;
        for (const SectionPlace& p : places) numbers.push_back(p.number);
        if (c.raised.empty()) {
            EXPECT_EQ(numbers, c.numbers) << c.bytes.size();
        }
    }
    const std::vector<SectionPlace> two = Places(a + SectionBytes(8, "hello"));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].dataStart, 12u);
    EXPECT_EQ(two[0].length, 3u);
    EXPECT_EQ(two[1].dataStart, 12u + 3 + 4 + 12);
    EXPECT_EQ(two[1].length, 5u);
}

// Many sections or many sets cost time in proportion to their number.
TEST(SectionScan, ManySectionsAndSetsTakeLinearTime) {
    std::string sections = Word(kSectionMagic);
    for (uint32_t n = 0; n < 65536; ++n) sections += Word(n) + Word(0) + Word(0) + Word(kSectionMagic);
    sections.resize(sections.size() - 4);
    size_t found = 0;
    // The walk that opened each section by searching from the start took minutes here.
    const double scan = Seconds([&] { found = Places(sections).size(); });
    EXPECT_LT(scan, 10.0);
    EXPECT_EQ(found, 65536u);

    std::string records;
    for (int n = 0; n < 50000; ++n) records += Marker("set " + std::to_string(n)) + Pair(StringValue("k"), IntValue(n));
    std::unique_ptr<Sets> sets;
    const double decode = Seconds([&] { sets = DecodeFile(SectionBytes(kStoreSection, records)); });
    EXPECT_LT(decode, 10.0);
    ASSERT_EQ(sets->Count(), 50001);
    EXPECT_EQ(sets->data[50000].Find("k")->value.Word(), 49999);
    std::printf("65,536 sections: %.3f s; 50,000 sets: %.3f s\n", scan, decode);
}

TEST(SettingsRecords, DecodeFollowsTheMarkers) {
    const std::string lonelyKey = Record(StringValue("lonely"));
    const struct {
        std::string records;
        std::string sets;  // "set:key=int,key=int;set:..."
        std::string raised;
    } cases[] = {
        {"", "default:", ""},
        {Pair(StringValue("a"), IntValue(1)) + Marker("Metric") + Pair(StringValue("b"), IntValue(2)),
         "default:a=1;Metric:b=2", ""},
        // Back to a set named before; a marker whose name is not a String names the set by its text.
        {Marker("m") + Pair(StringValue("a"), IntValue(1)) + Marker("default") + Pair(StringValue("b"), IntValue(2)) +
             Pair(StringValue("\nConfig Set\n"), IntValue(5)) + Pair(StringValue("c"), IntValue(3)),
         "default:b=2;m:a=1;5:c=3", ""},
        // An empty key is skipped with its value; a key that is not a String stands for its text.
        {Pair(StringValue(""), StringValue("x")) + Pair(IntValue(12), IntValue(4)), "default:12=4", ""},
        // A later value of a key replaces the earlier one; a key that ends the section has no value.
        {Pair(StringValue("a"), IntValue(1)) + Pair(StringValue("a"), IntValue(2)) + lonelyKey, "default:a=2", ""},
        // Fewer bytes than a record's framing before the file ends: damage.
        {Pair(StringValue("a"), IntValue(1)) + "zz", "", kWritten},
        // Reads stop at the end of the file, not of the section: here the section's trailer.
        {Record(StringValue("a")).substr(0, 10), "", kUnknownType},
        {Pair(StringValue("a"), IntValue(1)).substr(0, 38) + Word(7), "", kWritten},
        {Record(StringValue("a")) + Word(21) + Word(8) + Word(0x999) + Word(0) + Word(8), "", kUnknownType},
        {Record(StringValue("a")) + Word(21) + Word(8) + Word(kString) + Word(1000) + Word(8), "", kWritten},
        {Record(StringValue("a")) + Word(21) + Word(8) + Word(kList) + Word(0x40000000) + Word(8), "", kWritten},
    };
    for (const auto& c : cases) {
        std::unique_ptr<Sets> sets;
        EXPECT_EQ(Raised([&] { sets = DecodeFile(SectionBytes(kStoreSection, c.records)); }), c.raised) << c.sets;
        if (!c.raised.empty()) continue;
        std::string shown;
        for (int i = 0; i <= sets->last; ++i) {
            std::map<std::string, int> entries;
            sets->data[i].Walk(
                [&](const ConfigEntry& e) { return entries.emplace(e.key.Text(), e.value.Word()).second; });
            shown += (i ? ";" : "") + std::string(sets->data[i].name.Text()) + ":";
            for (const auto& [key, value] : entries)
                shown += (shown.back() == ':' ? "" : ",") + key + "=" + std::to_string(value);
        }
        EXPECT_EQ(shown, c.sets);
    }
    // A file without the store's section holds no sets; a damaged first magic word is refused.
    EXPECT_EQ(DecodeFile(SectionBytes(0x1003, "")), nullptr);
    EXPECT_EQ(Raised([] { DecodeFile("QRV!" + SectionBytes(kStoreSection, "").substr(4)); }), kNotQrv);
}

TEST(SettingsRecords, EncodeWritesTodaysBytesAndRefusesKeysThatWouldReadBackOtherwise) {
    Sets sets(3, 5);
    sets.Append(ConfigSet("default"));
    sets.Append(ConfigSet("Metric"));
    sets.data[0].Set("one", Value(1));
    sets.data[1].Set("text", Value("t"));
    const std::string expected = Marker("default") + Pair(StringValue("one"), IntValue(1)) + Marker("Metric") +
                                 Pair(StringValue("text"), StringValue("t"));
    EXPECT_EQ(EncodeFile(sets), SectionBytes(kStoreSection, expected));
    EXPECT_EQ(Difference(sets, *DecodeFile(EncodeFile(sets)), false), "");
    for (const char* key : {"", "\nConfig Set\n"}) {
        sets.data[1].Set(key, Value(2));
        EXPECT_NE(Raised([&] { EncodeFile(sets); }), "") << key;
        sets.data[1].Remove(key);
    }
    // Nearly the marker is an ordinary key.
    sets.data[1].Set("\nConfig Set", Value(3));
    EXPECT_EQ(Difference(sets, *DecodeFile(EncodeFile(sets)), false), "");
}

std::vector<MessageRecord> Parsed(const std::string& text, int& badLine) {
    std::vector<MessageRecord> entries;
    if (!ParseLanguageFile(text, entries, badLine)) entries.clear();
    return entries;
}

TEST(LanguageFile, ReadKeepsEveryEntryAndRefusesWhatItCannotKeep) {
    const std::string entry = "\r\nContext: c\r\n101 Same\r\nPareil\r\n";
    const struct {
        std::string text;
        size_t entries;
        int badLine;  // 0: read
    } cases[] = {
        {entry + "\r\nContext: c\r\n102 Same\r\nAussi\r\n", 2, 0},
        {"Context: c\r\n0 Same\r\nA\r\nContext: d\r\n101 Same\r\nB\r\nContext: e\r\n0 Other\r\nC", 3, 0},
        {"# comment\nContext: c\n-2147483648 Min\n\n", 1, 0},
        {entry + "\r\nContext: other\r\n101 Else\r\nAutre\r\n", 0, 7},
        {"Context: c\r\n0 Same\r\nA\r\nContext: d\r\n0 Same\r\nB\r\n", 0, 5},
        {"Context: c\r\n2147483648 Big\r\nx\r\n", 0, 2},
        {"Context: c\r\n99999999999999999999999999 Big\r\nx\r\n", 0, 2},
        {"Context: c\r\n+5 Plus\r\nx\r\n", 0, 2},
        {"Context: c\r\n5x\r\nx\r\n", 0, 2},
        {"Context: c\r\n5 cut", 0, 3},
    };
    for (const auto& c : cases) {
        int badLine = -1;
        EXPECT_EQ(Parsed(c.text, badLine).size(), c.entries) << c.text;
        EXPECT_EQ(badLine, c.badLine) << c.text;
        if (c.badLine) continue;
        Lexicon table;
        EXPECT_EQ(table.ReadText(c.text, "f"), static_cast<int>(c.entries));
        EXPECT_EQ(table.Count(), static_cast<int>(c.entries)) << c.text;
    }
}

TEST(LanguageFile, EveryTableReadsBackAsWritten) {
    Lexicon table;
    const char* const texts[] = {"Same", "Same", "C:\\new\\n", "tab\tline\nend\r", "\\", "", " lead", "#hash"};
    long number = 0;
    for (const char* text : texts) {
        table.Translate(MessageRecord(number, text, (std::string("fr ") + text).c_str(), text));
        number = number == 0 ? 101 : -number + (number > 0 ? -1 : 1000);
    }
    table.Translate(MessageRecord(42, "never written", "x", "c"));
    const std::string text = table.Text("12/07/26");
    EXPECT_NE(text.find("\r\n#*       Date: 12/07/26\r\n"), std::string::npos);
    Lexicon back;
    EXPECT_EQ(back.ReadText(text, "f"), table.Count() - 1);
    EXPECT_EQ(back.Text("12/07/26"), text);
}
}  // namespace
