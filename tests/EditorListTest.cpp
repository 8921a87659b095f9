#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include <gtest/gtest.h>

namespace {
const std::string kPadding = "[general]\r\n" + std::string(1100, '#') + "\r\n";

class EditorList : public ::testing::Test {
protected:
    TempFolder temp;
    VellantSetup setup;
    VellantSetupProbe probe{setup};
    std::string source = temp / "Mill9.txt.QTXSave";
    std::string target = temp / "Mill9.txt";

    // A list that is not written reads as it was.
    std::string Add(const std::string& text) {
        WriteFileText(source, text);
        WriteFileText(target, text);
        probe.WhackTxt(source, target);
        return ReadFileText(target);
    }
    std::string Remove(const std::string& text) {
        WriteFileText(source, text);
        probe.DeWhackTxt(source, target);
        return ReadFileText(target);
    }
};

// Adding puts the host's entry first and renumbers the [file edit] section alone (a header in
// any case, comments and unnumbered lines stay in place); removing gives back every byte.
TEST_F(EditorList, AddAndRemoveRenumber) {
    const std::string longEntry = "2. \"A\" " + std::string(3000, 'p');
    const struct {
        const char* name;
        std::string original, added;
        bool removable;
    } cases[] = {
        {"entries", "[file edit]\r\n1. \"3\"\r\n2. \"A\" a.exe\r\n3. \"B\"\r\n4. \"C\"\r\n[next]\r\n2. \"x\"\r\n",
         "[file edit]\r\n1. \"4\"\r\n2. \"QTX_V2\"\r\n3. \"A\" a.exe\r\n4. \"B\"\r\n5. \"C\"\r\n[next]\r\n2. \"x\"\r\n",
         true},
        {"comments", "[FILE EDIT] editors\r\n(first)\r\n1. \"2\"\r\n(between)\r\n2. \"A\"\r\n(later)\r\n3. \"B\"\r\n",
         "[FILE EDIT] editors\r\n(first)\r\n1. \"3\"\r\n(between)\r\n2. \"QTX_V2\"\r\n3. \"A\"\r\n(later)\r\n4. "
         "\"B\"\r\n",
         true},
        {"unnumbered lines", "[file edit]\r\n1. \"1\"\r\n\r\n2. \"A\"\r\nnote without quotes\r\n",
         "[file edit]\r\n1. \"2\"\r\n\r\n2. \"QTX_V2\"\r\n3. \"A\"\r\nnote without quotes\r\n", true},
        {"empty section", "[file edit]\r\n[other]\r\n2. \"keep\"\r\n", "[file edit]\r\n[other]\r\n2. \"keep\"\r\n",
         false},
        {"long line, no final line feed", "[file edit]\r\n1. \"1\"\r\n" + longEntry + "\r\n3. \"B\"",
         "[file edit]\r\n1. \"2\"\r\n2. \"QTX_V2\"\r\n3" + longEntry.substr(1) + "\r\n4. \"B\"", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Add(kPadding + c.original), kPadding + c.added) << c.name;
        if (!c.removable) continue;
        EXPECT_EQ(Remove(kPadding + c.added), kPadding + c.original) << c.name;
    }
}

// Entries stay below 20. A list that would need a higher number, or whose lines are not in the form
// the removal writes back, is refused: left as it is, the reason reported as a failed write.
TEST_F(EditorList, ListsTheRemovalCouldNotGiveBackAreRefused) {
    const auto entries = [](int from, int to) {
        std::string lines;
        for (int i = from; i <= to; ++i) lines += std::to_string(i) + ". \"E" + std::to_string(i) + "\"\r\n";
        return lines;
    };
    const std::string added = Add(kPadding + "[file edit]\r\n1. \"17\"\r\n" + entries(2, 18));
    EXPECT_NE(added.find("1. \"18\"\r\n2. \"QTX_V2\"\r\n3. \"E2\"\r\n"), std::string::npos);
    EXPECT_NE(added.find("19. \"E18\"\r\n"), std::string::npos);

    const struct {
        const char* name;
        std::string section;
        const char* refusal;
    } cases[] = {
        {"last entry 19", "1. \"18\"\r\n" + entries(2, 19), "20 or more"},
        {"20 entries", "1. \"20\"\r\n" + entries(2, 21), "20 or more"},
        {"entry numbered 2147483647", "1. \"1\"\r\n2147483647. \"E\"\r\n", "20 or more"},
        {"count 2147483647", "1. \"2147483647\"\r\n2. \"E\"\r\n", "count line"},
        {"entry with two blanks", "1. \"1\"\r\n2.  \"E\"\r\n", "full stop and a blank"},
    };
    for (const auto& c : cases) {
        const std::string list = kPadding + "[file edit]\r\n" + c.section;
        const size_t failures = setup.LastReport().Failures().size();
        EXPECT_EQ(Add(list), list) << c.name;
        ASSERT_EQ(setup.LastReport().Failures().size(), failures + 1) << c.name;
        const std::string reason = WindowsErrorText(setup.LastReport().Failures().back()->error);
        EXPECT_NE(reason.find(c.refusal), std::string::npos) << reason;
    }
}

// The host's entry is judged by the [file edit] section alone.
TEST_F(EditorList, SectionAloneDecides) {
    const std::string mentionedOutside =
        kPadding + "; C:\\tools\\QTX_V2.exe\r\n[file edit]\r\n1. \"1\"\r\n2. \"A\"\r\n";
    const std::string added = Add(mentionedOutside);
    EXPECT_EQ(added, kPadding + "; C:\\tools\\QTX_V2.exe\r\n[file edit]\r\n1. \"2\"\r\n2. \"QTX_V2\"\r\n3. \"A\"\r\n");
    EXPECT_EQ(Remove(added), mentionedOutside);

    WriteFileText(target, "untouched");
    EXPECT_EQ(Remove(mentionedOutside), "untouched");  // no entry in the section: nothing written
    EXPECT_EQ(Remove(kPadding + "[file edit]\r\n1. \"2\"\r\n2. \"qtx_v2\"\r\n3. \"A\"\r\n"), "untouched");
    const std::string small = "[file edit]\r\n1. \"1\"\r\n2. \"A\"\r\n";
    EXPECT_EQ(Add(small), small);  // under 1024 bytes
}

TEST_F(EditorList, RemovalRenumbersOnlyTheEntriesAfterTheHost) {
    const std::string list = kPadding +
                             "[file edit]\r\n1. \"5\"\r\n2. \"A\"\r\n3. \"B\"\r\n4. \"QTX_V2\"\r\n"
                             "5. \"C\"\r\n6. \"Qtx_V2\" old\r\n7. \"D\"\r\n[colors]\r\n3. \"x\"\r\n";
    EXPECT_EQ(Remove(list), kPadding +
                                "[file edit]\r\n1. \"3\"\r\n2. \"A\"\r\n3. \"B\"\r\n4. \"C\"\r\n5. \"D\"\r\n"
                                "[colors]\r\n3. \"x\"\r\n");
}

}  // namespace
