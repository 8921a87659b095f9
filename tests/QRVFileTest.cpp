#include "Sandbox.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <gtest/gtest.h>
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
    // Growing a section moves the later ones; closing trims the spare room.
    {
        QRVFile file(path.c_str(), "w+");
        Section* a = file.GetSection(kSectionCreate, 1);
        Section* b = file.GetSection(kSectionCreate, 2);
        Section* c = file.GetSection(kSectionCreate, 3);
        WriteText(*a, "first");
        WriteText(*b, "second");
        WriteText(*c, "third");
        const uint32_t bStart = b->DataStart();
        const uint32_t cStart = c->DataStart();
        ASSERT_TRUE(a->Grow(1000));
        EXPECT_EQ(b->DataStart(), bStart + 1000);
        EXPECT_EQ(c->DataStart(), cStart + 1000);
    }
    const std::string bytes = ReadFileText(path);
    const uint32_t record = 12 + 8;  // framing and a String's tag and length
    EXPECT_EQ(bytes.size(), (record + 5) + (record + 6) + (record + 5) + 3 * 16);
    QRVFile file(path.c_str(), "r");
    StorageSet set(0, new StorageValue);
    for (uint32_t n : {1u, 2u, 3u}) {
        Section* s = file.GetSection(0, n);
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(s->ReadRecord(set));
        EXPECT_STREQ(static_cast<StorageValue*>(set.Current())->value.String(), n == 1   ? "first"
                                                                                : n == 2 ? "second"
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
}  // namespace
