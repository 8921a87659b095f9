#include "Mouse.h"
#include "SampleMastercam.h"
#include "VellantSetupProbe.h"
#include "foundation/FileUtils.h"
#include "settings/ProgramConfiguration.h"
#include <gtest/gtest.h>

namespace {
class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override { SetVellantConfig(&settings, nullptr); }
    void TearDown() override {
        setup.DestroyWindow();
        SetVellantConfig(nullptr, nullptr);
        SetFolderPickerHook(nullptr);
    }
    bool Open() { return setup.Create(kSetupDialogTemplate) != FALSE; }
    LRESULT Send(UINT id, UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ::SendMessageA(setup.DlgItem(id), message, w, l);
    }
    void Notify(UINT id, WORD code) {
        ::SendMessageA(setup.m_hWnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(setup.DlgItem(id)));
    }
    void Click(UINT id) { Notify(id, BN_CLICKED); }
    LRESULT Check(UINT id) { return Send(id, BM_GETCHECK); }
    void Choose(int line) {
        Send(kIdConfigList, CB_SETCURSEL, line);
        Notify(kIdConfigList, CBN_SELENDOK);
    }
    std::string ListItem(UINT list, int i) {
        char text[512] = {0};
        Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        return text;
    }

    RegistrySandbox registry;
    TempFolder temp;
    SampleInstall mcam9{temp, 9};
    ProgramConfiguration settings{"test", "test"};
    VellantSetup setup;
    VellantSetupProbe probe{setup};
};

TEST_F(SetupDialog, MillFilesThatDisagreeShowIndeterminate) {
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine, " QTX_V2"));
    mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    ASSERT_TRUE(Open());
    ASSERT_EQ(Send(kIdConfigList, CB_GETCOUNT), 2);
    EXPECT_EQ(ListItem(kIdConfigList, 0).substr(0, 11), "Mill9 -- a.");
    EXPECT_EQ(Check(kIdEditor), BST_INDETERMINATE);
    EXPECT_EQ(Check(kIdToolbar), BST_UNCHECKED);
    EXPECT_EQ(Check(kIdAllMill), BST_CHECKED);
    EXPECT_EQ(ListItem(kIdSelectList, 0), "Mastercam");
    EXPECT_EQ(Send(kIdSelectList, CB_GETCURSEL), 0);

    Click(kIdEditor);  // indeterminate becomes unchecked
    EXPECT_EQ(Check(kIdEditor), BST_UNCHECKED);
    Click(kIdEditor);
    EXPECT_EQ(Check(kIdEditor), BST_CHECKED);
}

TEST_F(SetupDialog, IndeterminateThenCommitTurnsTheOptionOff) {
    const std::string a = mcam9.AddCfg("a.cfg", SampleCfg(kMillLine, " QTX_V2"));
    mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    ASSERT_TRUE(Open());
    ASSERT_EQ(Check(kIdEditor), BST_INDETERMINATE);
    setup.Commit();
    for (const McConfigFile& record : probe.Records()) EXPECT_FALSE(record.installed[kEditor]);
    EXPECT_NE(ReadFileText(a).find("851. NC editor?pfe32"), std::string::npos);
}

// Without a Mill file the Mill scope is disabled; tool tips may be switched off.
TEST_F(SetupDialog, NoMillFileLeavesMillScopeDisabled) {
    settings.SetEntry("Program.Toggle.DisableToolTips", Value(1));
    mcam9.AddCfg("lathe.cfg", SampleCfg(kLatheLine, " QTX_V2"));
    ASSERT_TRUE(Open());
    EXPECT_EQ(setup.ToolTipWindow(), nullptr);
    EXPECT_FALSE(::IsWindowEnabled(setup.DlgItem(kIdAllMill)));
    EXPECT_TRUE(::IsWindowEnabled(setup.DlgItem(kIdAllLathe)));
    EXPECT_FALSE(::IsWindowEnabled(setup.DlgItem(kIdAllWire)));
    EXPECT_EQ(Check(kIdEditor), BST_UNCHECKED);  // the template's state: no scope ran
    Click(kIdAllLathe);
    Send(kIdAllLathe, BM_SETCHECK, BST_CHECKED);
    Click(kIdAllLathe);
    EXPECT_EQ(Check(kIdEditor), BST_CHECKED);
}

TEST_F(SetupDialog, ChoosingAFileListsItsToolbarAndEditsOneRecord) {
    std::string buttons = SampleCfg(kMillLine, " pfe32", 5);
    buttons.replace(buttons.find("2400. Toolbar end? 0"), 20, "[end of toolbar]");
    mcam9.AddCfg("a.cfg", buttons);
    mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    ASSERT_TRUE(Open());
    Choose(0);
    ASSERT_EQ(Send(kIdToolbarList, CB_GETCOUNT), 5);
    EXPECT_EQ(ListItem(kIdToolbarList, 0), "(B1): a");
    EXPECT_EQ(ListItem(kIdToolbarList, 4), "(B5): e");
    EXPECT_EQ(Check(kIdSingleConfig), BST_CHECKED);
    EXPECT_EQ(Check(kIdAllMill), BST_UNCHECKED);
    Click(kIdEditor);
    EXPECT_TRUE(probe.Records()[0].wanted[kEditor]);
    EXPECT_FALSE(probe.Records()[1].wanted[kEditor]);
    Click(kIdSingleConfig);
    EXPECT_FALSE(::IsWindowEnabled(setup.DlgItem(kIdEditor)));
    EXPECT_EQ(Check(kIdEditor), BST_UNCHECKED);
    EXPECT_TRUE(probe.Records()[0].wanted[kEditor]);
    // A scope chosen lets go of the chosen file.
    Click(kIdAllMill);
    EXPECT_EQ(Send(kIdConfigList, CB_GETCURSEL), CB_ERR);
}

// Applying keeps the chosen file chosen, showing its options as they now are.
TEST_F(SetupDialog, ApplyingKeepsTheChosenFile) {
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    mcam9.AddCfg("b.cfg", SampleCfg(kMillLine));
    ASSERT_TRUE(Open());
    Choose(1);
    Click(kIdEditor);
    setup.Commit();
    EXPECT_EQ(Send(kIdConfigList, CB_GETCURSEL), 1);
    EXPECT_EQ(Check(kIdEditor), BST_CHECKED);
}

std::string pickedFolder;
StrPP PickFolder(bool, bool) { return StrPP(pickedFolder.c_str()); }

TEST_F(SetupDialog, AddingAFolderSelectsItsLastFile) {
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    TempFolder own;
    WriteFileText(own / "mine.cfg", SampleCfg(kMillLine, " QTX_V2"));
    pickedFolder = own.Path();
    SetFolderPickerHook(PickFolder);
    ASSERT_TRUE(Open());
    Click(kIdAddFolder);
    ASSERT_EQ(probe.Records().size(), 2u);
    EXPECT_EQ(probe.Records()[1].version, 0);
    EXPECT_EQ(Send(kIdConfigList, CB_GETCURSEL), 1);
    EXPECT_EQ(ListItem(kIdConfigList, 1), "Mill -- " + (own / "mine.cfg"));
    EXPECT_EQ(Check(kIdLastScope), BST_CHECKED);
    EXPECT_EQ(Check(kIdEditor), BST_CHECKED);
    // The template's radio groups show one choice each.
    int checkedInGroup = 0;
    for (HWND control = ::GetWindow(setup.m_hWnd, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (::GetWindowLongA(control, GWL_STYLE) & WS_GROUP) checkedInGroup = 0;
        const LONG type = ::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        if (radio && ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) ++checkedInGroup;
        EXPECT_LE(checkedInGroup, 1) << ::GetDlgCtrlID(control);
    }
    pickedFolder = "";  // cancelled: nothing changes
    Click(kIdAddFolder);
    EXPECT_EQ(probe.Records().size(), 2u);
}

// The option boxes are disabled after "The chosen file only"; hovering one with
// the real mouse still shows its own tip.
TEST_F(SetupDialog, DisabledOptionBoxShowsItsToolTip) {
    mcam9.AddCfg("a.cfg", SampleCfg(kMillLine));
    ASSERT_TRUE(Open());
    ::SetWindowPos(setup.m_hWnd, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    Click(kIdSingleConfig);
    HWND editor = setup.DlgItem(kIdEditor);
    ASSERT_FALSE(::IsWindowEnabled(editor));
    HWND tips = setup.ToolTipWindow();
    MoveMouseOnto(editor);
    ASSERT_TRUE(PumpUntil([tips] { return ::IsWindowVisible(tips) != FALSE; }, 20000));
    char text[256] = {0};
    ::GetWindowTextA(tips, text, sizeof text);
    EXPECT_STREQ(text, "Makes QTX_V2 Mastercam's NC editor.");
    MoveMouseOnto(setup.DlgItem(kIdAddFolder));  // an enabled control shows its own
    EXPECT_TRUE(PumpUntil(
        [tips, &text] {
            ::GetWindowTextA(tips, text, sizeof text);
            return std::string(text) == "Adds the configuration files of a folder of your own.";
        },
        20000));
}

// The tool-tip base on a dialog of its own: long texts and controls without an id.
TEST(SetupDialogToolTips, LongTextsAreCutAndUnnumberedControlsShowNothing) {
    TTDialog dialog(30000, nullptr);
    ASSERT_TRUE(dialog.Create(30000u));
    const auto tip = [&dialog](HWND control) {
        TOOLTIPTEXTA request = {};
        request.hdr = {dialog.ToolTipWindow(), reinterpret_cast<UINT_PTR>(control), TTN_NEEDTEXTA};
        request.uFlags = TTF_IDISHWND;
        ::SendMessageA(dialog.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
        return request.lpszText ? std::string(request.lpszText) : std::string("(none)");
    };
    EXPECT_EQ(tip(::GetDlgItem(dialog.m_hWnd, 30010)), std::string(511, 'L'));
    HWND unnumbered = ::FindWindowExA(dialog.m_hWnd, nullptr, "Static", "no id");
    ASSERT_NE(unnumbered, nullptr);
    EXPECT_EQ(tip(unnumbered), "(none)");
    LOGFONTA font = {};
    ASSERT_TRUE(dialog.DialogFont().GetLogFont(&font));
    EXPECT_STREQ(font.lfFaceName, "System");
    dialog.DestroyWindow();
}
}  // namespace
