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
}

TEST(Lexicon, BulkTranslationUsesTheTable) {
    CatalogueRestore restore;
    Lexicon table;
    table.Translate(MessageRecord(0, "Error!", "Fehler!", "General program"));
    table.TranslateAllMessages();
    EXPECT_STREQ(CatalogueEntry(11).GetText(), "Fehler!");
    EXPECT_STREQ(CatalogueEntry(16).GetText(), "Unable to create the path.");
    EXPECT_EQ(table.Count(), kCatalogueSize);
}

TEST(Lexicon, TextFileRoundTrip) {
    CatalogueRestore restore;
    TempFolder temp;
    const std::string path = temp / "English.lng";
    {
        Lexicon table;
        table.TranslateAllMessages();
        table.Translate(MessageRecord(42, "Skipped", "Skipped", "c"));
        table.Translate(MessageRecord(101, "Tab\there", "Tab\there", "c"));
        ASSERT_TRUE(table.Write(path.c_str(), true));
    }
    const std::string text = ReadFileText(path);
    EXPECT_EQ(text.find("#*       Name: English\r\n"), 0u);
    EXPECT_NE(text.find("\r\nContext: Internal file\r\n0 Not enough disk space\r\nNot enough disk space\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Skipped"), std::string::npos);
    EXPECT_NE(text.find("101 Tab\\there"), std::string::npos);
    EXPECT_NE(text.find("0 Internal Fatal Error in StorageSet.\\nMismatch on number of bytes read."), std::string::npos);

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
    EXPECT_STREQ(CatalogueEntry(8).GetText(),
                 "Internal Fatal Error in StorageSet.\nMismatch on number of bytes read.\nThis QRV file may be corrupt.");
    EXPECT_STREQ(reader.TextOf(101), "Tab\there");
}

TEST(Lexicon, LongTextsStayWhole) {
    TempFolder temp;
    const std::string path = temp / "Long.lng";
    const std::string english = std::string(50000, 'e') + "\tend";
    const std::string translation = std::string(60000, 't') + "!";
    {
        Lexicon table;
        table.Translate(MessageRecord(101, english.c_str(), translation.c_str(), "c"));
        ASSERT_TRUE(table.Write(path.c_str(), true));
    }
    Lexicon reader;
    EXPECT_EQ(reader.Read(path.c_str()), 1);
    EXPECT_EQ(std::string(reader.TextOf(101)), translation);
    EXPECT_EQ(std::string(reader.Translate(MessageRecord(101, "", "", "")).english), english);
}

TEST(Lexicon, EmptyLanguageFileIsReported) {
    TempFolder temp;
    WriteFileText(temp / "none.lng", "# only comments\r\n\r\n");
    Lexicon table;
    try {
        table.Read((temp / "none.lng").c_str());
        FAIL();
    } catch (const QRVException& failure) {
        EXPECT_STREQ(failure.heading, "This file does not contain any language definition.");
    }
}

TEST(Lexicon, BinaryForm) {
    TempFolder temp;
    const std::string path = temp / "English.qrv";
    Lexicon table;
    table.Translate(MessageRecord(0, "One", "Eins", "ctx"));
    table.Translate(MessageRecord(7, "Seven", "Sieben", "ctx"));
    table.Translate(MessageRecord(200, "Two hundred", "Zweihundert", "ctx"));
    ASSERT_TRUE(table.Write(path.c_str(), false));
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
}  // namespace
