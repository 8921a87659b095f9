#include "Sandbox.h"
#include "environment/Lexicon.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <gtest/gtest.h>

namespace {
// Bulk translation changes the process-wide catalogue; put it back afterwards.
class CatalogueRestore {
public:
    CatalogueRestore() {
        for (int i = 0; i < kCatalogueSize; ++i) saved[i] = CatalogueEntry(i);
    }
    ~CatalogueRestore() {
        for (int i = 0; i < kCatalogueSize; ++i) CatalogueEntry(i) = saved[i];
    }

private:
    MessageRecord saved[kCatalogueSize];
};

TEST(Lexicon, TranslateGathersAndReturnsStored) {
    Lexicon table;
    const MessageRecord fresh("Hello", "Greeting");
    const MessageRecord first = table.Translate(fresh);
    EXPECT_STREQ(first.current, "Hello");
    EXPECT_EQ(table.Count(), 1);
    MessageRecord translated(0, "Hello", "Bonjour", "Greeting");
    table.Remove(translated);
    table.Translate(translated);
    EXPECT_STREQ(table.Translate("Hello"), "Bonjour");
    EXPECT_STREQ(table.Translate(MessageRecord("Hello", "Other context")).current, "Bonjour");
    EXPECT_EQ(table.Count(), 1);
    table.Translate(MessageRecord(101, "Numbered", "Numerote", "c"));
    EXPECT_STREQ(table.TextOf(101), "Numerote");
    EXPECT_STREQ(table.TextOf(555), "");
    // The binary form holds the numbered entries alone.
    TempFolder temp;
    const std::string path = temp / "English.qrv";
    Lexicon binary;
    binary.Translate(MessageRecord(0, "One", "Eins", "ctx"));
    binary.Translate(MessageRecord(7, "Seven", "Sieben", "ctx"));
    binary.Translate(MessageRecord(200, "Two hundred", "Zweihundert", "ctx"));
    ASSERT_TRUE(binary.Write(path.c_str(), false));
    QRVFile file(path.c_str(), "r");
    Section* section = file.GetSection(0, 0x1003);
    ASSERT_NE(section, nullptr);
    StorageSet set(0, new StorageValue);
    int records = 0;
    while (section->ReadRecord(set)) {
        const Value& v = static_cast<StorageValue*>(set.Current())->value;
        ASSERT_EQ(v.Type(), kList);
        ASSERT_EQ(v.List()->Count(), 4);
        EXPECT_NE(v.List()->At(0).Word(), 7);
        ++records;
    }
    EXPECT_EQ(records, 2);
}

TEST(Lexicon, TextFileRoundTrip) {
    CatalogueRestore restore;
    TempFolder temp;
    const std::string path = temp / "English.lng";
    {
        Lexicon table;
        table.TranslateAllMessages();
        table.Translate(MessageRecord(42, "Skipped", "Skipped", "c"));
        table.Translate(MessageRecord(101, "Numbered", "Numbered", "c"));
        ASSERT_TRUE(table.Write(path.c_str(), true));
    }
    const std::string text = ReadFileText(path);
    EXPECT_EQ(text.find("#*       Name: English\r\n"), 0u);
    EXPECT_NE(text.find("\r\nContext: Internal file\r\n0 Not enough disk space\r\nNot enough disk space\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Skipped"), std::string::npos);
    EXPECT_NE(text.find("\r\n101 Numbered\r\n"), std::string::npos);

    // A translator's edit, read back and applied to the catalogue.
    std::string edited = text;
    const std::string from = "0 Warning\r\nWarning\r\n";
    const size_t at = edited.find(from);
    ASSERT_NE(at, std::string::npos);
    edited.replace(at, from.size(), "0 Warning\r\nAvertissement\r\n");
    WriteFileText(path, edited);
    Lexicon reader;
    EXPECT_EQ(reader.Read(path.c_str()), kCatalogueSize + 1);
    reader.TranslateAllMessages();
    EXPECT_STREQ(CatalogueEntry(10).GetText(), "Avertissement");
}

// Backslashes in any position come back as they were written; a text whose
// backslashes start no escape is written as it is.
TEST(Lexicon, EveryTextReadsBackAsWritten) {
    TempFolder temp;
    const std::string path = temp / "French.lng";
    // Texts longer than 32,767 bytes stay whole too.
    const std::string longText = std::string(50000, 'e') + "\tend";
    const char* const texts[] = {"C:\\new\\table", "ends in \\",           "\\\\server\\n", "slash\\\nthen line",
                                 "tab\there\r\n",  "C:\\Program Files\\x", "plain",         longText.c_str()};
    Lexicon table;
    for (const char* text : texts) {
        const std::string translation = std::string("fr ") + text, context = std::string("ctx\\n") + text;
        table.Translate(MessageRecord(0, text, translation.c_str(), context.c_str()));
    }
    ASSERT_TRUE(table.Write(path.c_str(), true));
    const std::string file = ReadFileText(path);
    EXPECT_NE(file.find("\r\n0 C:\\\\new\\\\table\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n0 C:\\Program Files\\x\r\nfr C:\\Program Files\\x\r\n"), std::string::npos);
    EXPECT_FALSE(PathExists(path + ".tmp"));

    Lexicon reader;
    ASSERT_EQ(reader.Read(path.c_str()), 8);
    for (const char* text : texts) {
        const MessageRecord read = reader.Translate(MessageRecord(text, ""));
        EXPECT_STREQ(read.current, (std::string("fr ") + text).c_str()) << text;
        EXPECT_STREQ(read.context, (std::string("ctx\\n") + text).c_str()) << text;
    }
    EXPECT_EQ(reader.Count(), 8);
}

// A file without entries, an entry cut short and a number beyond 32 bits are
// refused with the catalogue's message, and the table keeps what it had.
TEST(Lexicon, BrokenLanguageFilesAreRefused) {
    TempFolder temp;
    const std::string entry = "\r\nContext: c\r\n0 Yes\r\nOui\r\n";
    const struct {
        std::string body;
        const char* where;
    } broken[] = {
        {"# only comments\r\n\r\n", ""},
        {entry + "\r\nContext: c\r\n0 No\r\n", "broken.lng (line 8)"},
        {entry + "\r\nContext: c\r\n", "broken.lng (line 7)"},
        {entry + "\r\nContext: c\r\n2147483648 Big\r\nGros\r\n", "broken.lng (line 7)"},
        {entry + "\r\nContext: c\r\n-2147483649 Small\r\nPetit\r\n", "broken.lng (line 7)"},
        {entry + "\r\nContext: c\r\nseven Seven\r\nSept\r\n", "broken.lng (line 7)"},
        // An entry with the key of an earlier one (its number, or its English text when
        // numbered 0) cannot be kept beside it.
        {entry + "\r\nContext: d\r\n0 Yes\r\nSi\r\n", "broken.lng (line 7)"},
        {"Context: c\r\n101 A\r\nB\r\nContext: c\r\n101 C\r\nD\r\n", "broken.lng (line 5)"},
    };
    for (const auto& file : broken) {
        WriteFileText(temp / "broken.lng", file.body);
        Lexicon table;
        table.Translate(MessageRecord(0, "Yes", "Ja", "c"));
        try {
            table.Read((temp / "broken.lng").c_str());
            ADD_FAILURE() << file.body;
        } catch (const QRVException& failure) {
            EXPECT_STREQ(failure.heading, "This file does not contain any language definition.");
            EXPECT_NE(std::string(failure.Text()).find(file.where), std::string::npos) << failure.Text().Text();
        }
        EXPECT_STREQ(table.Translate("Yes"), "Ja");
        EXPECT_EQ(table.Count(), 1);
    }
    WriteFileText(temp / "edge.lng", "Context: c\r\n2147483647 Max\r\nMaximum\r\nContext: c\r\n-5\r\n\r\n");
    Lexicon table;
    EXPECT_EQ(table.Read((temp / "edge.lng").c_str()), 2);
    EXPECT_STREQ(table.TextOf(2147483647), "Maximum");
}

// A read keeps every entry of the file: entries that share an English text under
// different numbers (or one numbered 0) are all kept, and the table writes them again.
TEST(Lexicon, EntriesSharingAnEnglishTextAreAllKept) {
    TempFolder temp;
    const std::string path = temp / "shared.lng";
    WriteFileText(path,
                  "Context: a\r\n101 Open\r\nOuvrir\r\n\r\nContext: b\r\n102 Open\r\nOuvert\r\n"
                  "Context: c\r\n0 Open\r\nOuvre\r\nContext: d\r\n-7 Open\r\nOuvrez\r\n");
    // An entry the table holds already is replaced by the file's.
    Lexicon table;
    table.Translate(MessageRecord(101, "Open", "old", "a"));
    ASSERT_EQ(table.Read(path.c_str()), 4);
    EXPECT_EQ(table.Count(), 4);
    EXPECT_STREQ(table.TextOf(101), "Ouvrir");
    EXPECT_STREQ(table.TextOf(102), "Ouvert");
    EXPECT_STREQ(table.TextOf(-7), "Ouvrez");
    EXPECT_STREQ(table.Translate(MessageRecord("Open", "")).current, "Ouvre");
    ASSERT_TRUE(table.Write(path.c_str(), true));
    Lexicon back;
    EXPECT_EQ(back.Read(path.c_str()), 4);
    EXPECT_EQ(back.Text("01/01/01"), table.Text("01/01/01"));
}
}  // namespace
