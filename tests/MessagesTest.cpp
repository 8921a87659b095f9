#include "environment/Messages.h"
#include "foundation/EArray.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {
// Runs body with the fatal sink writing to the standard error, as a death test reads it.
void Fatally(void (*body)()) {
    SetFatalSink([](const char* text, const char* caption) {
        std::fprintf(stderr, "[%s] %s\n", caption, text);
        std::fflush(stderr);
    });
    body();
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

// A fatal error shows its text and ends the program with 0; so do a zero-length array and a
// negative index.
TEST(FatalDeathTest, ShowsTextAndExitsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(Fatally([] { FatalError("Boom"); }), ::testing::ExitedWithCode(0),
                "\\[<<Fatal Error>>\\] <<Fatal Error>> Boom\\. \\. \\.Exiting\\.");
    EXPECT_EXIT(Fatally([] { EArray<int> empty(0, 5); }), ::testing::ExitedWithCode(0),
                "Attempting to create a zero length EArray!");
    EXPECT_EXIT(Fatally([] { EArray<int>(4, 4)[-1] = 7; }), ::testing::ExitedWithCode(0),
                "Attempting to access a negative EArray index\\.");
}
}  // namespace
