#include "Mouse.h"
#include "Sandbox.h"
#include "widgets/HyperLink.h"
#include "widgets/UniButton.h"
#include <gtest/gtest.h>
#include <shellapi.h>
#include <tuple>

namespace {
const UINT kTemplate = 30000;
const UINT kButton = 30001;
const UINT kLink = 30002;

// A parent that counts what its widgets tell it.
class WidgetDialog : public CDialog {
public:
    WidgetDialog() : CDialog(kTemplate, nullptr) {}
    int clicks = 0;
    std::vector<int> codes;
    CUniButton button;
    CHyperLink link;

    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
        if (message == ShapedButtonMessage()) codes.push_back(static_cast<int>(w));
        if (message == WM_COMMAND && LOWORD(w) == kButton) ++clicks;
        return CDialog::WindowProc(message, w, l);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kButton, button);
        DDX_Control(dx, kLink, link);
    }
};

// Sends mouse messages, each with its point; the left button is held from a press to its release.
void Send(HWND window, std::initializer_list<std::tuple<UINT, int, int>> events) {
    WPARAM held = 0;
    for (const auto& [message, x, y] : events) {
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) held = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
        ::SendMessageA(window, message, held, MAKELPARAM(x, y));
    }
}

std::vector<std::string> messages;
int RecordMessage(HWND, const char* text, UINT) {
    messages.push_back(text);
    return IDOK;
}

std::string ProbeLog() { return TestProgramFolder() + "linkprobe.log"; }

int ProbeOpenings() {
    const std::string log = ReadFileText(ProbeLog());
    int count = 0;
    for (size_t at = log.find("opened"); at != std::string::npos; at = log.find("opened", at + 1)) ++count;
    return count;
}

bool WaitForOpenings(int count) {
    return PumpUntil([count] { return ProbeOpenings() >= count; }, 10000);
}

class Widgets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(kTemplate));
        ::SetWindowPos(dialog.m_hWnd, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        dialog.button.SetBitmaps(RGB(255, 0, 0), 5050, 5050, 0, 0);
        Pump();
        ::DeleteFileA(ProbeLog().c_str());
        SetMessageBoxHook(RecordMessage);
        messages.clear();
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }
    WidgetDialog dialog;
};

// Only a press and release inside the shape clicks; entering and leaving it are told once each.
TEST_F(Widgets, ShapedButtonAnswersOnlyInsideItsShape) {
    HWND button = dialog.button.m_hWnd;
    const SIZE size = dialog.button.GetShapeSize();
    EXPECT_EQ(std::make_pair(size.cx, size.cy), std::make_pair(32L, 32L));
    Send(button, {{WM_LBUTTONDOWN, 1, 1}, {WM_LBUTTONUP, 1, 1}});
    EXPECT_EQ(dialog.clicks, 0);
    Send(button, {{WM_LBUTTONDOWN, 16, 16}, {WM_LBUTTONUP, 16, 16}});
    EXPECT_EQ(dialog.clicks, 1);
    Send(button, {{WM_LBUTTONDOWN, 16, 16}, {WM_MOUSEMOVE, 1, 30}, {WM_LBUTTONUP, 1, 30}});  // released outside
    EXPECT_EQ(dialog.clicks, 1);
    dialog.codes.clear();
    Send(button, {{WM_MOUSEMOVE, 16, 16}, {WM_MOUSEMOVE, 17, 16}, {WM_MOUSEMOVE, 0, 0}, {WM_MOUSEMOVE, 1, 0}});
    EXPECT_EQ(dialog.codes, (std::vector<int>{1, 0}));
    Send(button, {{WM_LBUTTONDOWN, 16, 16}});
    EXPECT_EQ(dialog.codes.back(), 2);
    Send(button, {{WM_LBUTTONUP, 16, 16}});
}

// A modal dialog runs its own loop: PreTranslateMessage relays the mouse to the
// link's tip, which shows, wrapped at its width however long the target.
class ModalWidgetDialog : public WidgetDialog {
public:
    bool tipShown = false;
    RECT tip = {};

    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
        if (message != WM_TIMER || w != kTick) return WidgetDialog::WindowProc(message, w, l);
        HWND tips = link.ToolTip().m_hWnd;
        if (!started) {
            started = ::GetTickCount();
            MoveMouseOnto(link.m_hWnd);
        }
        if (::IsWindowVisible(tips)) {
            tipShown = true;
            ::GetWindowRect(tips, &tip);
        }
        if (tipShown || ::GetTickCount() - started > 20000) EndDialog(IDOK);
        return 0;
    }

protected:
    BOOL OnInitDialog() override {
        WidgetDialog::OnInitDialog();
        std::string target = "C:\\Korvane Utilities\\QTX Help";
        while (target.size() < 300) target += "\\Help\\QTX_Add_ons\\OEM\\CNCSoftware";
        link.SetURL(target.c_str());
        ::SetTimer(m_hWnd, kTick, 100, nullptr);
        return TRUE;
    }

private:
    static const UINT_PTR kTick = 7;
    DWORD started = 0;
};

TEST(WidgetsModal, LinkTipShowsInAModalDialog) {
    ModalWidgetDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    ASSERT_TRUE(dialog.tipShown);
    EXPECT_LE(dialog.tip.right - dialog.tip.left, 450);
    EXPECT_GT(dialog.tip.bottom - dialog.tip.top, 30);  // more than one line
}

// A link without a target opens its text; a change of style that changes nothing says so. A press
// that leaves the link before its release opens nothing; a click opens the link once, and so does the
// space bar.
TEST_F(Widgets, LinkOpensOncePerClickAndByTheSpaceBar) {
    EXPECT_STREQ(dialog.link.GetURL(), "Help");
    EXPECT_STREQ(dialog.link.ToolTipText(), "Help");
    EXPECT_TRUE(dialog.link.IsKindOf(RUNTIME_CLASS(CStatic)));
    EXPECT_FALSE(dialog.button.IsKindOf(RUNTIME_CLASS(CHyperLink)));
    dialog.link.SetURL((TestProgramFolder() + "linkprobe.exe").c_str());
    HWND link = dialog.link.m_hWnd;
    Send(link, {{WM_LBUTTONDOWN, 2, 2}, {WM_MOUSEMOVE, 2, 2}, {WM_MOUSEMOVE, -50, 300}, {WM_LBUTTONUP, -50, 300}});
    ::Sleep(500);
    EXPECT_EQ(ProbeOpenings(), 0);
    EXPECT_FALSE(dialog.link.GetVisited());
    Send(link, {{WM_LBUTTONDOWN, 2, 2}, {WM_LBUTTONUP, 2, 2}});
    ASSERT_TRUE(WaitForOpenings(1));
    EXPECT_TRUE(dialog.link.GetVisited());
    ::SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(WaitForOpenings(2));
    ::Sleep(300);
    EXPECT_EQ(ProbeOpenings(), 2);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(dialog.link.GetLinkStyle(), 0x15u);
    EXPECT_FALSE(dialog.link.ModifyLinkStyle(kLinkUseHover, kLinkUseHover));
    EXPECT_EQ(dialog.link.GetLinkStyle(), 0x15u);
    EXPECT_TRUE(dialog.link.ModifyLinkStyle(kLinkUnderline, kLinkUseHover));
    EXPECT_EQ(dialog.link.GetLinkStyle(), 0x16u);
}

// A page that cannot be opened is named with the reason; one without a program of its own is
// opened with the .htm command, quoted; a name too long for the command line, or with a quote
// that would end its argument early, is refused.
TEST_F(Widgets, LinkFailureNamesTheReasonAndFallsBackToTheHtmCommand) {
    RegistrySandbox registry(true);
    dialog.link.SetURL("C:\\no\\such\\page.htm");
    ::SendMessageA(dialog.link.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].find("Can't open link:\n\n"), 0u);
    EXPECT_NE(messages[0].find("not found."), std::string::npos);
    EXPECT_FALSE(dialog.link.GetVisited());
    const std::string probe = TestProgramFolder() + "linkprobe.exe";
    SetRegText(HKEY_CLASSES_ROOT, ".htm", nullptr, "probefile");
    SetRegText(HKEY_CLASSES_ROOT, "probefile\\shell\\open\\command", nullptr, "\"" + probe + "\" \"%1\"");
    // The target is passed in quotes: its blanks do not split it into a program and arguments.
    EXPECT_GT(reinterpret_cast<INT_PTR>(CHyperLink::GotoURL("C:\\missing folder\\page.htm", SW_SHOW)), 32);
    ASSERT_TRUE(WaitForOpenings(1));
    EXPECT_NE(ReadFileText(ProbeLog()).find("[\"C:\\missing folder\\page.htm\"]"), std::string::npos)
        << ReadFileText(ProbeLog());
    EXPECT_EQ(reinterpret_cast<INT_PTR>(CHyperLink::GotoURL("C:\\a\" b.htm", SW_SHOW)), SE_ERR_FNF);
    const std::string tooLong = "C:\\" + std::string(700, 'p') + ".htm";
    EXPECT_EQ(reinterpret_cast<INT_PTR>(CHyperLink::GotoURL(tooLong.c_str(), SW_SHOW)), SE_ERR_OOM);
}
}  // namespace
