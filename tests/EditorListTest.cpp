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

    std::string Add(const std::string& text) {
        WriteFileText(source, text);
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
         "[file edit]\r\n1. \"2\"\r\n2. \"QTX_V2\"\r\n3" + longEntry.substr(1) + "\r\n4. \"B\"\r\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Add(kPadding + c.original), kPadding + c.added) << c.name;
        if (!c.removable) continue;
        EXPECT_EQ(Remove(kPadding + c.added), kPadding + c.original) << c.name;
    }
}

TEST_F(EditorList, NumbersStayBelowTwenty) {
    std::string entries;
    for (int i = 2; i <= 18; ++i) entries += std::to_string(i) + ". \"E" + std::to_string(i) + "\"\r\n";
    const std::string added = Add(kPadding + "[file edit]\r\n1. \"17\"\r\n" + entries);
    EXPECT_NE(added.find("1. \"18\"\r\n2. \"QTX_V2\"\r\n3. \"E2\"\r\n"), std::string::npos);
    EXPECT_NE(added.find("19. \"E18\"\r\n"), std::string::npos);

    const std::string full =
        Add(kPadding + "[file edit]\r\n1. \"18\"\r\n" + entries + "19. \"E19\"\r\n20. \"after\"\r\n");
    EXPECT_NE(full.find("19. \"E18\"\r\n19. \"E19\"\r\n20. \"after\"\r\n"), std::string::npos);
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
    EXPECT_EQ(Add("[file edit]\r\n1. \"1\"\r\n2. \"A\"\r\n"), "untouched");  // under 1024 bytes
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
