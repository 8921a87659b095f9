#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/TextSearch.h"
#include "installer/ScanMarks.h"
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace {
std::string Padded(const std::string& head, size_t size) { return head + std::string(size - head.size(), 'x'); }

const McConfigFile* Find(VellantSetupProbe& probe, const std::string& path) {
    for (const McConfigFile& record : probe.Records())
        if (_stricmp(record.path, path.c_str()) == 0) return &record;
    return nullptr;
}

TEST(Scan, KindsAndVersionOrder) {
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9(temp, 9), mcam8(temp, 8);
    mcam8.AddCfg("m8.cfg", SampleCfg(kMillLine));
    const std::pair<std::string, int> files[] = {
        {SampleCfg(kMillLine), kMill},
        {SampleCfg(kLatheLine + std::string(" router")), kLathe},
        {SampleCfg(std::string(kWireLine) + "\n10. x? [lathe router design"), kWire},
        {SampleCfg(kDesignLine), kDesign},
        {SampleCfg(kRouterLine), kRouter},
        {SampleCfg("10. Product? Design"), kMill},
        {"119. " + SampleCfg(kMillLine), kMill},
    };
    for (size_t i = 0; i < std::size(files); ++i) mcam9.AddCfg(std::to_string(i) + ".cfg", files[i].first);
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    probe.Scan();
    ASSERT_EQ(probe.Records().size(), 8u);
    EXPECT_EQ(probe.Records().back().version, 8);
    for (size_t i = 0; i + 1 < probe.Records().size(); ++i) EXPECT_EQ(probe.Records()[i].version, 9);
    for (size_t i = 0; i < std::size(files); ++i)
        EXPECT_EQ(Find(probe, mcam9 / (std::to_string(i) + ".cfg"))->kind, files[i].second) << i;
}

TEST(Scan, ShortFilesAreLeftOut) {
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9(temp, 9);
    mcam9.AddCfg("short.cfg", Padded("10. x? QTX_V2 ", 1023));
    mcam9.AddCfg("exact.cfg", Padded("10. x? ", 1024));
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    probe.Scan();
    ASSERT_EQ(probe.Records().size(), 1u);
    EXPECT_NE(Find(probe, mcam9 / "exact.cfg"), nullptr);
    EXPECT_FALSE(probe.ItemInstalled("QTX_V2", mcam9 / "short.cfg"));
}

// A file's hook value holds its operations-manager options: 1 is the older form of the first three.
TEST(Scan, HookValuesSplitIntoFlags) {
    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9(temp, 9);
    const std::pair<DWORD, int> cases[] = {{1, 0b0111}, {0x1E, 0b1111}, {0x10, 0b1000}, {0, 0}};  // value, flags
    for (const auto& [value, flags] : cases) {
        const std::string cfg = mcam9.AddCfg(std::to_string(value) + ".cfg", SampleCfg(kMillLine));
        if (value) SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(cfg).c_str(), value);
    }
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    probe.Scan();
    for (const auto& [value, flags] : cases) {
        const McConfigFile* record = Find(probe, mcam9 / (std::to_string(value) + ".cfg"));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(record->installed[i], (flags >> i & 1) != 0) << value << " " << i;
            EXPECT_EQ(record->wanted[i], record->installed[i]) << value << " " << i;
        }
    }
}

// With no Mastercam registered nothing is found. Reading a hook value makes only the key; the
// value's name is the file's in lower case.
TEST(Scan, HookValueNameIgnoresLetterCase) {
    RegistrySandbox registry;
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    probe.Scan();
    EXPECT_TRUE(probe.Records().empty());
    EXPECT_EQ(probe.HookValue("C:\\x.cfg"), 0);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kQtx2camKeyName));
    DWORD stored = 0;
    EXPECT_FALSE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, "c:\\x.cfg", stored));
    probe.SetHook("C:\\MCAM9\\MILL.CFG", true, false, true, false);
    EXPECT_EQ(probe.HookValue("c:\\mcam9\\mill.cfg"), 0x0A);
    EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, "c:\\mcam9\\mill.cfg", stored));
    EXPECT_EQ(stored, 0x0Au);
    probe.SetHook("c:\\mcam9\\mill.cfg", false, false, false, false);
    EXPECT_EQ(probe.HookValue("C:\\Mcam9\\Mill.cfg"), 0);
    EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, "c:\\mcam9\\mill.cfg", stored));
    EXPECT_EQ(stored, 0u);
}

TEST(Scan, ToolbarAndEditorProbes) {
    TempFolder temp;
    WriteFileText(temp / "star.cfg", SampleCfg(kMillLine + std::string(" GoToQtX* ")));
    WriteFileText(temp / "plain.cfg", SampleCfg(kMillLine + std::string(" GOTOQTX ")));
    WriteFileText(temp / "editor.cfg", SampleCfg(kMillLine, " qtx_v2"));
    VellantSetup setup;
    VellantSetupProbe probe(setup);
    EXPECT_TRUE(probe.ItemInstalled("GOTOQTX*", temp / "star.cfg"));
    EXPECT_FALSE(probe.ItemInstalled("GOTOQTX*", temp / "plain.cfg"));
    EXPECT_TRUE(probe.ItemInstalled("QTX_V2", temp / "editor.cfg"));
    EXPECT_FALSE(probe.ItemInstalled("QTX_V2", temp / "plain.cfg"));
    EXPECT_FALSE(probe.ItemInstalled("QTX_V2", temp / "missing.cfg"));
}
}  // namespace

// The one-pass scan answers as the plain searches do, wherever the marks stand.
TEST(Scan, MarksAgreeWithPlainSearches) {
    const char* const pieces[] = {"QTX_V2",         "qtx_v2",  "QTX_v",   "GOTOQTX*",
                                  "gotoqtx*",       "GOTOQTX", "\n119. ", "\n119.",
                                  "119. ",          "[lathe",  "[Lathe",  "design",
                                  "Design",         "router",  "rout",    "",
                                  "2301. (B1) x? ", "_",       "*",       "filler text of a line ",
                                  "\r\n",           "\n"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        LimitScanWidthForTests(round % 3 == 0 ? 32 : round % 3 == 1 ? 16 : 1);
        std::string text;
        const int count = std::uniform_int_distribution<int>(0, 40)(random);
        for (int i = 0; i < count; ++i) {
            const std::string piece = pieces[random() % std::size(pieces)];
            text += piece.empty() ? std::string(1, '\0') : piece;  // "" stands for a zero byte
        }
        const std::string beforeZero = text.substr(0, text.find('\0'));
        const int kind = beforeZero.find("\n119. ") != std::string::npos  ? kWire
                         : beforeZero.find("[lathe") != std::string::npos ? kLathe
                         : beforeZero.find("design") != std::string::npos ? kDesign
                         : beforeZero.find("router") != std::string::npos ? kRouter
                                                                          : kMill;
        // Read in pieces of any size, as a file is.
        ScanMarker marker;
        for (size_t at = 0; at < text.size();) {
            const size_t piece = std::uniform_int_distribution<size_t>(1, 40)(random);
            marker.Add(std::string_view(text).substr(at, piece));
            at += piece;
        }
        const ScanMarks marks = round % 2 ? ReadScanMarks(text) : marker.Marks();
        ASSERT_EQ(marks.editor, Upper(text).find("QTX_V2") != std::string::npos) << round;
        ASSERT_EQ(marks.toolbar, Upper(text).find("GOTOQTX*") != std::string::npos) << round;
        ASSERT_EQ(marks.kind, kind) << round;
    }
    LimitScanWidthForTests(32);
}
