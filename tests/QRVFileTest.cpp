#include "Sandbox.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <gtest/gtest.h>
#include <chrono>
#include <new>

namespace {
std::string Word(uint32_t w) { return std::string(reinterpret_cast<const char*>(&w), 4); }
std::string SectionBytes(uint32_t number, const std::string& data) {
    return Word(0x5651) + Word(number) + Word(static_cast<uint32_t>(data.size())) + data +
           Word(static_cast<uint32_t>(data.size()));
}

void WriteText(Section& section, const std::string& text) {
    StorageSet set(0, new StorageValue);
    set.Select(StorageValue(Value(text.c_str())));
    section.WriteRecord(set);
}

class SectionedFile : public ::testing::Test {
protected:
    TempFolder temp;
    const std::string path = temp / "f.qrv";
};

TEST_F(SectionedFile, FailuresNameTheFile) {
    WriteFileText(temp / "bad.qrv", "NOTQ and more");
    try {
        QRVFile file((temp / "bad.qrv").c_str(), "r");
        file.GetSection(0, 1);
        FAIL();
    } catch (const QRVException& failure) {
        EXPECT_STREQ(failure.heading, "This is not a QRV file.  This file may be corrupted.");
        EXPECT_NE(std::string(failure.Text()).find("File: "), std::string::npos);
    }
    WriteFileText(temp / "empty.qrv", "");
    QRVFile empty((temp / "empty.qrv").c_str(), "r");
    EXPECT_EQ(empty.GetSection(0, 1), nullptr);
    EXPECT_EQ(empty.GetSection(kSectionCreate, 1), nullptr);  // read-only: nothing is created
    // A failure that is not the storage layer's own is named as an unknown file error.
    try {
        try {
            throw std::bad_alloc();
        } catch (...) {
            RaiseForFile("C:\\x.qrv");
        }
    } catch (const QRVException& failure) {
        EXPECT_STREQ(failure.heading, "Unknown file error.  This file may have to be deleted.");
        EXPECT_STREQ(failure.Text(), "\nFile: C:\\x.qrv");
    }
}

TEST_F(SectionedFile, InsertingAndGrowingMoveWhatFollows) {
    {
        QRVFile file(path.c_str(), "w+");
        file.GetSection(kSectionCreate, 1);
    }
    {
        QRVFile file(path.c_str(), "+");
        Section* s = file.GetSection(0, 1);
        ASSERT_NE(s, nullptr);
        FileStorage head((temp / "head.qrv").c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE, CREATE_ALWAYS);
        head.WriteBytes("ABEF", 4);
        s->Append(head);
        s->SetCursor(s->DataStart() + 2);
        FileStorage middle((temp / "mid.qrv").c_str(), FILE_ATTRIBUTE_NORMAL, GENERIC_WRITE, CREATE_ALWAYS);
        middle.WriteBytes("CD", 2);
        s->Append(middle);
        EXPECT_EQ(s->Used(), 6u);
    }
    EXPECT_EQ(ReadFileText(path), SectionBytes(1, "ABCDEF"));
    // Growing a section moves the later ones; closing trims the spare room. The middle
    // one spans several copy chunks and moves by less than its size, up and then down.
    std::string second(200000, ' ');
    for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<char>('a' + i * 7 % 26);
    {
        QRVFile file(path.c_str(), "w+");
        Section* a = file.GetSection(kSectionCreate, 1);
        Section* b = file.GetSection(kSectionCreate, 2);
        Section* c = file.GetSection(kSectionCreate, 3);
        WriteText(*a, "first");
        WriteText(*b, second);
        WriteText(*c, "third");
        const uint32_t bStart = b->DataStart();
        const uint32_t cStart = c->DataStart();
        ASSERT_TRUE(a->Grow(1000));
        EXPECT_EQ(file.Position(), a->DataStart() + a->Used());  // at the end of its data, ready to append
        EXPECT_EQ(b->DataStart(), bStart + 1000);
        EXPECT_EQ(c->DataStart(), cStart + 1000);
    }
    const std::string bytes = ReadFileText(path);
    const uint32_t record = 12 + 8;  // framing and a String's tag and length
    EXPECT_EQ(bytes.size(), (record + 5) + (record + second.size()) + (record + 5) + 3 * 16);
    QRVFile file(path.c_str(), "r");
    StorageSet set(0, new StorageValue);
    for (uint32_t n : {1u, 2u, 3u}) {
        Section* s = file.GetSection(0, n);
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(s->ReadRecord(set));
        EXPECT_EQ(std::string(static_cast<StorageValue*>(set.Current())->value.String()), n == 1   ? "first"
                                                                                          : n == 2 ? second
                                                                                                   : "third");
        EXPECT_TRUE(s->AtEnd());
    }
}

TEST_F(SectionedFile, RecordFramingAndMismatch) {
    {
        QRVFile file(path.c_str(), "w+");
        WriteText(*file.GetSection(kSectionCreate, 5), "hi");
    }
    const std::string body = Word(0x485) + Word(2) + "hi";
    EXPECT_EQ(ReadFileText(path), SectionBytes(5, Word(21) + Word(10) + body + Word(10)));
    WriteFileText(path, SectionBytes(5, Word(21) + Word(10) + body + Word(11)));
    QRVFile file(path.c_str(), "r");
    StorageSet set(0, new StorageValue);
    try {
        file.GetSection(0, 5)->ReadRecord(set);
        FAIL();
    } catch (const QRVException& failure) {
        EXPECT_STREQ(
            failure.heading,
            "Internal Fatal Error in StorageSet.\nMismatch on number of bytes written.\nThis QRV file may be corrupt.");
    }
}

// A replaced record takes the room it needs; a delete is checked against what the section holds.
TEST_F(SectionedFile, ReplaceAndDeleteInPlace) {
    {
        QRVFile file(path.c_str(), "w+");
        Section* s = file.GetSection(kSectionCreate, 1);
        WriteText(*s, "one");
        WriteText(*s, "two");
        s->Rewind();
        StorageSet set(0, new StorageValue);
        set.Select(StorageValue(Value("a longer text")));
        ASSERT_TRUE(s->ReplaceRecord(set));
        s->SeekEnd();
        EXPECT_THROW(s->ReplaceRecord(set), QRVException);
    }
    QRVFile file(path.c_str(), "r");
    Section* s = file.GetSection(0, 1);
    StorageSet set(0, new StorageValue);
    ASSERT_TRUE(s->ReadRecord(set));
    EXPECT_STREQ(static_cast<StorageValue*>(set.Current())->value.String(), "a longer text");
    ASSERT_TRUE(s->ReadRecord(set));
    EXPECT_STREQ(static_cast<StorageValue*>(set.Current())->value.String(), "two");
    EXPECT_TRUE(s->AtEnd());
    // Too few bytes left to hold a record's framing: nothing is replaced.
    const std::string shortSection = SectionBytes(1, "ab");
    WriteFileText(temp / "short.qrv", shortSection);
    {
        QRVFile damaged((temp / "short.qrv").c_str(), "+");
        EXPECT_EQ(damaged.GetSection(0, 1)->ReplaceRecord(set), 0);
    }
    EXPECT_EQ(ReadFileText(temp / "short.qrv"), shortSection);
    QRVFile del((temp / "del.qrv").c_str(), "w+");
    s = del.GetSection(kSectionCreate, 1);
    WriteText(*s, "abc");
    const uint32_t used = s->Used();
    s->SetCursor(s->DataStart() + 4);
    try {
        s->DeleteBytes(used);
        FAIL();
    } catch (const QRVException& failure) {
        EXPECT_EQ(std::string(failure.heading), "Section delete of " + std::to_string(used) +
                                                    " bytes failed consistency check.  This file may be corrupted.");
    }
    EXPECT_EQ(s->Used(), used);
    s->Rewind();
    ASSERT_TRUE(s->DeleteBytes(used));
    EXPECT_EQ(s->Used(), 0u);
}
// Opening finds the sections in one walk: the first of each number, checked; a later one
// of the same number stepped over; what cannot begin a section ends the walk.
TEST_F(SectionedFile, SectionsAreFoundInOneWalk) {
    const std::string wrongTrailer = Word(0x5651) + Word(2) + Word(1) + "x" + Word(5);
    const struct {
        std::string bytes;
        uint32_t number;
        const char* data;  // null: no such section
        const char* raised;
    } cases[] = {
        {SectionBytes(1, "one") + SectionBytes(1, "again"), 1, "one", nullptr},
        {SectionBytes(1, "one") + Word(0x5651) + Word(1) + Word(1) + "x" + Word(5) + SectionBytes(2, "two"), 2, "two",
         nullptr},
        {SectionBytes(1, "one") + "junk", 1, "one", nullptr},
        {SectionBytes(1, "one") + Word(0x5651) + Word(3), 3, nullptr, nullptr},
        {SectionBytes(1, "one") + wrongTrailer, 1, nullptr,
         "Section length bytes don't match.  This file may be corrupted."},
        {Word(0x5651) + Word(4) + Word(0x7FFFFFF0) + "data", 4, nullptr,
         "Section length bytes don't match.  This file may be corrupted."},
    };
    for (const auto& c : cases) {
        WriteFileText(path, c.bytes);
        try {
            QRVFile file(path.c_str(), "r");
            Section* s = file.GetSection(0, c.number);
            EXPECT_EQ(c.raised, nullptr) << c.bytes;
            ASSERT_EQ(s != nullptr, c.data != nullptr) << c.bytes;
            if (!s) continue;
            std::string data(s->Used(), '\0');
            file.Seek(static_cast<int32_t>(s->DataStart()), 0);
            file.ReadBytes(&data[0], s->Used());
            EXPECT_EQ(data, c.data);
        } catch (const QRVException& failure) {
            ASSERT_NE(c.raised, nullptr) << c.bytes;
            EXPECT_STREQ(failure.heading, c.raised);
            EXPECT_NE(std::string(failure.Text()).find(path), std::string::npos);
        }
    }
    // 65,536 empty sections (1 MiB): a walk from the start for each one took 37 s.
    std::string many;
    for (uint32_t n = 0; n < 65536; ++n) many += SectionBytes(0x10000 + n, "");
    WriteFileText(path, many + SectionBytes(0x1000, "last"));
    const auto start = std::chrono::steady_clock::now();
    QRVFile file(path.c_str(), "r");
    Section* last = file.GetSection(0, 0x1000);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Used(), 4u);
    EXPECT_EQ(last->Previous()->Number(), 0x1FFFFu);
}
}  // namespace
