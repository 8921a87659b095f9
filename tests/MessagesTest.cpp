#include "environment/Messages.h"
#include "foundation/EArray.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {
void FatalToStderr(const char* text, const char* caption) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

TEST(Catalogue, EntriesInOrder) {
    EXPECT_STREQ(CatalogueText(1), "Not enough disk space");
    EXPECT_STREQ(CatalogueText(17), "Unable to create the path.");
    EXPECT_STREQ(CatalogueEntry(16).context, "Path name validity check");
    EXPECT_STREQ(CatalogueText(15), "The path \"");
    EXPECT_STREQ(CatalogueText(16), "\"\ndoes not exist.  Do you want to create it?");
    EXPECT_STREQ(CatalogueText(37), "\xB1");
    EXPECT_STREQ(CatalogueText(42), "Unknown");
    EXPECT_STREQ(CatalogueEntry(41).context, "Batch error");
    for (int i = 0; i < kCatalogueSize; ++i) EXPECT_EQ(CatalogueEntry(i).number, 0);
}

TEST(Catalogue, RecordOrder) {
    const MessageRecord a("Apple", "c"), b("Banana", "c");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    const MessageRecord five(5, "Zed", "Zed", "c"), seven(7, "Alpha", "Alpha", "c");
    EXPECT_TRUE(five < seven);
    EXPECT_TRUE(MessageRecord(5, "x", "x", "") == MessageRecord(5, "y", "y", ""));
    EXPECT_FALSE(MessageRecord("x", "") == MessageRecord("y", ""));
}

TEST(Exception, TitlesAndTexts) {
    QRVException warning("Unable to open file:", 1);
    EXPECT_STREQ(warning.Title(), "Warning");
    EXPECT_STREQ(QRVException("h", 0).Title(), "Fatal condition -- Program aborting");
    EXPECT_STREQ(QRVException("h", 5).Title(), "");
    warning.Append("C:\\x.qrv");
    EXPECT_STREQ(warning.Text(), "C:\\x.qrv");
    EXPECT_STREQ(warning.FullText(), "Unable to open file:\nC:\\x.qrv");
    try {
        warning.Throw();
        FAIL();
    } catch (const QRVException& caught) {
        EXPECT_EQ(caught.severity, 1);
        EXPECT_STREQ(caught.Text(), "C:\\x.qrv");
    }
}

TEST(Exception, WarnHasNoVisibleEffectByDefault) { Warn("nothing happens"); }

TEST(FatalErrorDeathTest, ShowsTextAndExitsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetFatalSink(FatalToStderr);
            FatalError("Boom");
        },
        ::testing::ExitedWithCode(0), "\\[<<Fatal Error>>\\] <<Fatal Error>> Boom\\. \\. \\.Exiting\\.");
}

TEST(ArraysDeathTest, ZeroLengthAndNegativeIndexAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetFatalSink(FatalToStderr);
            EArray<int> empty(0, 5);
        },
        ::testing::ExitedWithCode(0), "Attempting to create a zero length EArray!");
    EXPECT_EXIT(
        {
            SetFatalSink(FatalToStderr);
            EArray<int> array(4, 4);
            array[-1] = 7;
        },
        ::testing::ExitedWithCode(0), "Attempting to access a negative EArray index\\.");
}
}  // namespace
