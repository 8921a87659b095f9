#include "widgets/TTDialog.h"
#include "installer/HostConfig.h"
#include "settings/ProgramConfiguration.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const LANGID kJapanese = 0x11;

CString LoadResourceString(UINT id) {
    // The string table holds at most 4097 characters a string.
    std::vector<char> text(4097, '\0');
    const int length = ::LoadStringA(AfxGetResourceHandle(), id, text.data(), static_cast<int>(text.size()));
    return length > 0 ? CString(text.data(), length) : CString();
}
}  // namespace

BEGIN_MESSAGE_MAP(TTDialog, CDialog)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipNotify)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipNotify)
ON_NOTIFY_EX(TTN_NEEDTEXTA, 0, OnToolTipNotify)
END_MESSAGE_MAP()

TTDialog::TTDialog() = default;
TTDialog::TTDialog(const char* templateName, CWnd* parent) : CDialog(templateName, parent) {}
TTDialog::TTDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

BOOL TTDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    // Without a host store the setting is absent, which means tips on.
    int disabled = 0;
    if (ProgramConfiguration* settings = HostSettings())
        settings->LookUpInt("Program.Toggle.DisableToolTips", "", disabled);
    EnableToolTips(disabled == 0);

    LOGFONTA font = {};
    font.lfHeight = 20;
    if (PRIMARYLANGID(::GetUserDefaultLCID() & 0x3FF) == kJapanese) {
        font.lfCharSet = DEFAULT_CHARSET;
        std::strcpy(font.lfFaceName, "MS UI Gothic");
    } else {
        std::strcpy(font.lfFaceName, "System");
    }
    m_font.CreateFontIndirect(&font);
    return TRUE;
}

BOOL TTDialog::OnToolTipNotify(UINT, NMHDR* header, LRESULT* result) {
    if (CurrentMessage().hwnd != m_hWnd) return FALSE;
    ::SendMessageA(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, m_tipWidth);
    const bool wide = header->code == TTN_NEEDTEXTW;
    // Both forms share the header, flags and instance fields the checks use.
    auto* ansi = reinterpret_cast<TOOLTIPTEXTA*>(header);
    auto* unicode = reinterpret_cast<TOOLTIPTEXTW*>(header);
    const UINT flags = wide ? unicode->uFlags : ansi->uFlags;
    if (!(flags & TTF_IDISHWND)) return FALSE;
    const UINT control = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)));
    if (control == 0 || IsToolTipSuppressed(control)) return FALSE;
    const CString text = GetToolTipText(control, LoadResourceString(control));
    const size_t length = std::min<size_t>(text.GetLength(), sizeof m_tipText - 1);
    std::memcpy(m_tipText, static_cast<const char*>(text), length);
    m_tipText[length] = '\0';
    if (wide) {
        const int n = ::MultiByteToWideChar(CP_ACP, 0, m_tipText, -1, m_tipTextW, 512);
        m_tipTextW[n > 0 ? n - 1 : 0] = L'\0';
        unicode->lpszText = m_tipTextW;
        unicode->hinst = AfxGetResourceHandle();
    } else {
        ansi->lpszText = m_tipText;
        ansi->hinst = AfxGetResourceHandle();
    }
    if (result) *result = 0;
    return TRUE;
}

CString TTDialog::GetToolTipText(UINT, CString text) { return text; }

bool TTDialog::IsToolTipSuppressed(UINT) { return false; }
