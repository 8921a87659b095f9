#include "environment/Messages.h"
#include "foundation/EArray.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {
void FatalToStderr(const char* text, const char* caption) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    std::fflush(stderr);
}

TEST(Exception, TitlesAndTexts) {
    Warn("nothing happens");  // no window by default: a batch run must not stop for it
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
