#include "HostProcess.h"
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include <gtest/gtest.h>

namespace {
const char* const kOriginalEditor = "Mastercam Original Editor";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class CfgEditing : public ::testing::Test {
protected:
    RegistrySandbox registry;
    TempFolder temp;
    VellantSetup setup;
    VellantSetupProbe probe{setup};
    std::string source = temp / "mill.cfg.QTXSave";
    std::string target = temp / "mill.cfg";
};

// The first attach keeps the file's own editor for removal; a stored one stays as it is. A stored
// editor too long to read gives way to pfe32 on removal.
TEST_F(CfgEditing, EditorAttachKeepsTheOriginal) {
    const std::string original = SampleCfg(kMillLine, " pfe32");
    WriteFileText(source, original);
    probe.Whack(source, target, false, false, false, true);
    EXPECT_EQ(ReadFileText(target), Replaced(original, "851. NC editor? pfe32", "851. NC editor? QTX_V2"));
    std::string stored;
    ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, kOriginalEditor, stored));
    EXPECT_EQ(stored, " pfe32");

    SetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, kOriginalEditor, " myeditor");
    const std::string named = SampleCfg(kMillLine, "c:\\QTX_V2.exe");
    WriteFileText(source, named);
    probe.Whack(source, target, false, false, false, true);
    EXPECT_EQ(ReadFileText(target), Replaced(named, "851. NC editor?c:\\QTX_V2.exe", "851. NC editor? QTX_V2"));
    ASSERT_TRUE(GetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, kOriginalEditor, stored));
    EXPECT_EQ(stored, " myeditor");

    SetRegText(HKEY_CURRENT_USER, kQtx2camKeyName, kOriginalEditor, std::string(300, 'e'));
    const std::string attached = SampleCfg(kMillLine, " QTX_V2");
    WriteFileText(source, attached);
    probe.DeWhack(source, temp / "other.cfg", false, false, true, false);  // no editor kept for this one
    EXPECT_EQ(ReadFileText(temp / "other.cfg"), Replaced(attached, "851. NC editor? QTX_V2", "851. NC editor?pfe32"));
}

// The editor goes only where the removal can read the file's own one back: a value the registry
// does not take (its name, the path, is longer than a value name may be) leaves the file alone.
TEST_F(CfgEditing, EditorNotKeptLeavesTheFile) {
    WriteFileText(source, SampleCfg(kMillLine, " pfe32"));
    probe.Whack(source, temp / std::string(17000, 'p'), false, false, false, true);
    ASSERT_EQ(setup.LastReport().Failures().size(), 2u);  // the value, then the refused write
    EXPECT_EQ(setup.LastReport().Failures().back()->action, StepAction::WriteFile);
    EXPECT_NE(WindowsErrorText(setup.LastReport().Failures().back()->error).find("could not be stored"),
              std::string::npos);
}

TEST_F(CfgEditing, ToolbarInsertionShiftsButtons) {
    const std::string original = SampleCfg(kMillLine, " pfe32", 5);
    WriteFileText(source, original);
    probe.Whack(source, target, false, true, false, false);
    const std::string expected =
        Replaced(original,
                 "2301. (B1) Button 1? a\r\n2302. (B2) Button 2? b\r\n2303. (B3) Button 3? c\r\n"
                 "2304. (B4) Button 4? d\r\n2305. (B5) Button 5? e\r\n",
                 "2301. (B1) Button 1? gotoqtx*\r\n2302. (B2) Button 2? a\r\n2303. (B3) Button 3? b\r\n"
                 "2304. (B4) Button 4? c\r\n2305. (B5) Button 5? d\r\n2306. (B6) Button 5? e\r\n");
    EXPECT_EQ(ReadFileText(target), expected);
}

TEST_F(CfgEditing, ToolbarRemovalFindsEntryOnAnyButton) {
    const std::string original = SampleCfg(kMillLine, " pfe32", 4);
    const std::string withEntry = Replaced(original, "2302. (B2) Button 2? b", "2302. (B2) Host? GOTOQTX*");
    WriteFileText(source, withEntry);
    probe.DeWhack(source, target, true, false, false, false);
    EXPECT_EQ(ReadFileText(target),
              Replaced(original, "2302. (B2) Button 2? b\r\n2303. (B3) Button 3? c\r\n2304. (B4) Button 4? d\r\n",
                       "2302. (B2) Host? c\r\n2303. (B3) Button 3? d\r\n"));
}

TEST_F(CfgEditing, LongLinesAndMissingFinalLineFeed) {
    const std::string longLine = "500. Long? " + std::string(5000, 'L');
    std::string original = SampleCfg(kMillLine) + longLine + "\r\n" + "600. Last? no line feed";
    WriteFileText(source, original);
    probe.Whack(source, target, false, true, false, true);
    const std::string result = ReadFileText(target);
    EXPECT_NE(result.find("\r\n" + longLine + "\r\n"), std::string::npos);
    EXPECT_EQ(result.substr(result.size() - 25), "\r\n600. Last? no line feed");
}

// Odd files that lost data on install then remove: each is now refused, the file left as it was and the
// reason reported as a failed write, or given back whole by the removal.
TEST_F(CfgEditing, OddFilesAreRefusedOrGivenBackWhole) {
    const std::string buttons = "2301. (B1) Button 1? a\r\n2302. (B2) Button 2? b\r\n";
    const auto withButtons = [&](const std::string& lines) {
        return Replaced(SampleCfg(kMillLine, " pfe32", 2), buttons, lines);
    };
    const struct {
        const char* name;
        std::string file;
        const char* refusal;  // nullptr: installed, and removal gives back every byte
    } cases[] = {
        {"gap in the numbering", withButtons("2301. (B1) A? a\r\n2303. (B3) C? c\r\n"), "gap"},
        {"two editor lines",
         Replaced(SampleCfg(kMillLine), "851. NC editor? pfe32\r\n",
                  "851. NC editor? pfe32\r\n851. NC editor? FUNC0\r\n"),
         "different editors"},
        {"numbers at 2147483647", withButtons(buttons + "2147483647. (B9) x? y\r\n-2147483648. (B9) z? w\r\n"),
         nullptr},
    };
    for (const auto& c : cases) {
        WriteFileText(source, c.file);
        WriteFileText(target, "before");
        const size_t failures = setup.LastReport().Failures().size();
        probe.Whack(source, target, false, true, false, true);
        if (c.refusal) {
            EXPECT_EQ(ReadFileText(target), "before") << c.name;
            ASSERT_EQ(setup.LastReport().Failures().size(), failures + 1) << c.name;
            const CommitStep& step = *setup.LastReport().Failures().back();
            EXPECT_EQ(step.target, target) << c.name;
            EXPECT_NE(WindowsErrorText(step.error).find(c.refusal), std::string::npos) << WindowsErrorText(step.error);
            continue;
        }
        EXPECT_EQ(setup.LastReport().Failures().size(), failures) << c.name;
        WriteFileText(source, ReadFileText(target));
        probe.DeWhack(source, target, true, false, true, false);
        EXPECT_EQ(ReadFileText(target), c.file) << c.name;
    }
}

// The console host names a refusal and ends with 1; the refused file is left as it was.
TEST_F(CfgEditing, HostReportsARefusal) {
    SampleInstall mcam9(temp, 9);
    const std::string gap = Replaced(SampleCfg(kMillLine, " pfe32", 3), "2302. (B2) Button 2? b\r\n", std::string());
    const std::string file = mcam9.AddCfg("gap.cfg", gap);
    const HostRun run = RunHost(registry, "install editor toolbar");
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_NE(run.output.find("refused: the toolbar numbering has a gap"), std::string::npos) << run.output;
    EXPECT_EQ(ReadFileText(file), gap);
}

// Adding then removing the toolbar and the editor gives back every byte.
TEST_F(CfgEditing, RoundTrips) {
    std::string atEnd = SampleCfg(kMillLine, " pfe32", 3);
    atEnd = atEnd.substr(0, atEnd.find("2400."));
    std::string mixedEndings = SampleCfg(kMillLine, " pfe32", 4);
    for (const char* line : {"2301. (B1) Button 1? a\r\n", "2303. (B3) Button 3? c\r\n"}) {
        std::string lf = line;
        lf.replace(lf.size() - 2, 2, "\n");
        mixedEndings = Replaced(mixedEndings, line, lf);
    }
    const struct {
        const char* name;
        std::string original;
    } cases[] = {
        {"run at the end of the file", atEnd},
        {"each line keeps its own ending", mixedEndings},
    };
    for (const auto& c : cases) {
        WriteFileText(source, c.original);
        probe.Whack(source, target, false, true, false, true);
        const std::string added = ReadFileText(target);
        EXPECT_NE(added.find("? gotoqtx*"), std::string::npos) << c.name;
        WriteFileText(source, added);
        probe.DeWhack(source, target, true, false, true, false);
        EXPECT_EQ(ReadFileText(target), c.original) << c.name;
    }
}

TEST_F(CfgEditing, OnlyTheHostsOwnLinesAreTouched) {
    // QTX_V2 named in a path line, not on line 851: the user's editor stays.
    const std::string pathLine =
        SampleCfg(std::string(kMillLine) + "\r\n400. Tools? C:\\tools\\QTX_V2.exe", " notepad");
    WriteFileText(source, pathLine);
    probe.DeWhack(source, target, false, false, true, false);
    EXPECT_EQ(ReadFileText(target), pathLine);

    // A first button line without "?" has no value to move: no entry is added.
    const std::string noMark = Replaced(SampleCfg(kMillLine), "2301. (B1) Button 1? a", "2301. (B1) Button 1");
    WriteFileText(source, noMark);
    probe.Whack(source, target, false, true, false, false);
    EXPECT_EQ(ReadFileText(target), noMark);

    // "gotoqtx*" outside the toolbar is not the host's button.
    const std::string mention = SampleCfg(std::string(kMillLine) + "\r\n400. Note? see gotoqtx* help");
    WriteFileText(source, mention);
    probe.DeWhack(source, target, true, false, false, false);
    EXPECT_EQ(ReadFileText(target), mention);

    // The host's entry in any case gets no second.
    const std::string entry = SampleCfg(std::string(kMillLine) + " GotoQTX.dll is here");
    WriteFileText(source, entry);
    probe.Whack(source, target, false, true, false, false);
    EXPECT_EQ(ReadFileText(target), entry);
}

TEST_F(CfgEditing, EntriesBehindAZeroByteAreFoundAndRemoved) {
    const std::string original = SampleCfg(std::string(kMillLine) + '\0' + "zero byte");
    const std::string twice = Replaced(Replaced(original, "2301. (B1) Button 1? a", "2301. (B1) Button 1? gotoqtx*"),
                                       "2302. (B2) Button 2? b", "2302. (B2) Button 2? gotoqtx*");
    WriteFileText(source, twice);
    EXPECT_TRUE(probe.ItemInstalled("GOTOQTX*", source));
    probe.Whack(source, target, false, true, false, false);
    EXPECT_EQ(ReadFileText(target), twice);  // no third entry
    probe.DeWhack(source, target, true, false, false, false);
    EXPECT_EQ(ReadFileText(target),
              Replaced(original,
                       "2301. (B1) Button 1? a\r\n2302. (B2) Button 2? b\r\n2303. (B3) Button 3? c\r\n"
                       "2304. (B4) Button 4? d\r\n2305. (B5) Button 5? e\r\n",
                       "2301. (B1) Button 1? c\r\n2302. (B2) Button 2? d\r\n2303. (B3) Button 3? e\r\n"));
}

TEST_F(CfgEditing, UnreadableSourceLeavesDestination) {
    WriteFileText(target, "keep me");
    probe.Whack(temp / "missing", target, false, true, false, true);
    EXPECT_EQ(ReadFileText(target), "keep me");
    probe.DeWhack(temp / "missing", target, true, false, true, false);
    EXPECT_EQ(ReadFileText(target), "keep me");
    WriteFileText(source, "short file with 851. NC editor? x");
    probe.Whack(source, target, false, true, false, true);
    EXPECT_EQ(ReadFileText(target), "keep me");
}
}  // namespace
