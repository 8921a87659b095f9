#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/TextSearch.h"
#include <gtest/gtest.h>
#include <iterator>

namespace {
std::string Padded(const std::string& head, size_t size) { return head + std::string(size - head.size(), 'x'); }

class Scan : public ::testing::Test {
protected:
    RegistrySandbox registry;
    TempFolder temp;
    VellantSetup setup;
    VellantSetupProbe probe{setup};
};

// Version 9's files come first. A file is classified by the marks of its kind (each mark's own rules are
// the marker's, checked below); one under 1024 bytes is left out; the presence tests ignore letter case.
TEST_F(Scan, KindsMarksAndVersionOrder) {
    SampleInstall mcam9(temp, 9), mcam8(temp, 8);
    mcam8.AddCfg("m8.cfg", SampleCfg(kMillLine));
    const struct {
        std::string text;
        int kind;
        bool toolbar, editor;
    } files[] = {
        {SampleCfg(kMillLine), kMill, false, false},
        {SampleCfg(kLatheLine + std::string(" router")), kLathe, false, false},
        {SampleCfg(std::string(kWireLine) + "\n10. x? [lathe router design"), kWire, false, false},
        {SampleCfg(kRouterLine), kRouter, false, false},
        {SampleCfg(kMillLine + std::string(" GoToQtX* ")), kMill, true, false},
        {SampleCfg(kMillLine, " qtx_v2"), kMill, false, true},
        {Padded("10. x? ", 1024), kMill, false, false},
    };
    for (size_t i = 0; i < std::size(files); ++i) mcam9.AddCfg(std::to_string(i) + ".cfg", files[i].text);
    mcam9.AddCfg("short.cfg", Padded("10. x? QTX_V2 ", 1023));
    probe.Scan();
    ASSERT_EQ(probe.Records().size(), std::size(files) + 1);
    EXPECT_EQ(probe.Records().back().version, 8);
    for (size_t i = 0; i + 1 < probe.Records().size(); ++i) EXPECT_EQ(probe.Records()[i].version, 9);
    for (size_t i = 0; i < std::size(files); ++i) {
        const std::string path = mcam9 / (std::to_string(i) + ".cfg");
        ASSERT_NE(probe.Find(path), nullptr) << i;
        EXPECT_EQ(probe.Find(path)->kind, files[i].kind) << i;
        EXPECT_EQ(probe.ItemInstalled("GOTOQTX*", path), files[i].toolbar) << i;
        EXPECT_EQ(probe.ItemInstalled("QTX_V2", path), files[i].editor) << i;
    }
    EXPECT_FALSE(probe.ItemInstalled("QTX_V2", mcam9 / "short.cfg"));
    EXPECT_FALSE(probe.ItemInstalled("QTX_V2", mcam9 / "missing.cfg"));
}

// With no Mastercam registered nothing is found. A file's hook value holds its operations-manager
// options (1 is the older form of the first three); its name is the file's in lower case.
TEST_F(Scan, HookValuesSplitIntoFlags) {
    probe.Scan();
    EXPECT_TRUE(probe.Records().empty());
    probe.SetHook("C:\\MCAM9\\MILL.CFG", true, false, true, false);
    EXPECT_EQ(probe.HookValue("C:\\Mcam9\\Mill.cfg"), 0x0A);
    DWORD stored = 0;
    EXPECT_TRUE(GetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, "c:\\mcam9\\mill.cfg", stored));
    EXPECT_EQ(stored, 0x0Au);
    SampleInstall mcam9(temp, 9);
    const std::pair<DWORD, int> cases[] = {{1, 0b0111}, {0x1E, 0b1111}, {0x10, 0b1000}, {0, 0}};  // value, flags
    for (const auto& [value, flags] : cases) {
        const std::string cfg = mcam9.AddCfg(std::to_string(value) + ".cfg", SampleCfg(kMillLine));
        if (value) SetRegDword(HKEY_CURRENT_USER, kQtx2camKeyName, Lower(cfg).c_str(), value);
    }
    probe.Scan();
    for (const auto& [value, flags] : cases) {
        const McConfigFile* record = probe.Find(mcam9 / (std::to_string(value) + ".cfg"));
        ASSERT_NE(record, nullptr);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(record->installed[i], (flags >> i & 1) != 0) << value << " " << i;
            EXPECT_EQ(record->wanted[i], record->installed[i]) << value << " " << i;
        }
    }
}
}  // namespace
