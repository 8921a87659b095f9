#include "widgets/HyperLink.h"
#include "foundation/Owners.h"
#include <shellapi.h>
#include <cstring>

namespace {
HyperLinkColours colours = {RGB(0, 0, 255), RGB(128, 0, 128), RGB(128, 0, 128), RGB(255, 0, 0)};
HCURSOR linkCursor = nullptr;
const int kCommandLimit = 512;
// A long target wraps in its tip instead of running off the screen.
const int kTipWidth = 400;

bool ReadDefaultValue(HKEY root, const std::string& key, std::string& value) {
    RegistryKey handle;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, handle.Out()) != ERROR_SUCCESS) return false;
    char data[MAX_PATH + 1] = {0};
    DWORD size = MAX_PATH;
    const LONG read = ::RegQueryValueExA(handle.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    if (read != ERROR_SUCCESS) return false;
    value = data;
    return true;
}
}  // namespace

IMPLEMENT_DYNAMIC(CHyperLink, CStatic)

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_KEYDOWN()
ON_WM_NCHITTEST()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CString LinkFailureReason(INT_PTR result) {
    switch (result) {
        case 0: return "The operating system is out\nof memory or resources.";
        case SE_ERR_FNF: return "The specified file was not found.";
        case SE_ERR_PNF: return "The specified path was not found.";
        case SE_ERR_ACCESSDENIED: return "The operating system denied\naccess to the specified file.";
        case SE_ERR_OOM: return "There was not enough memory to complete the operation.";
        case ERROR_BAD_FORMAT: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case SE_ERR_SHARE: return "A sharing violation occurred. ";
        case SE_ERR_ASSOCINCOMPLETE: return "The filename association is\nincomplete or invalid.";
        case SE_ERR_DDETIMEOUT: return "The DDE transaction could not\nbe completed because the request timed out.";
        case SE_ERR_DDEFAIL: return "The DDE transaction failed.";
        case SE_ERR_DDEBUSY:
            return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
        case SE_ERR_NOASSOC: return "There is no application associated\nwith the given filename extension.";
        case SE_ERR_DLLNOTFOUND: return "The specified dynamic-link library was not found.";
        default: {
            CString text;
            text.Format("Unknown Error (%d) occurred.", static_cast<int>(result));
            return text;
        }
    }
}

void CHyperLink::SetColours(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover) {
    colours = {link, active, visited, hover == 0xFFFFFFFF ? ::GetSysColor(COLOR_HIGHLIGHT) : hover};
}

void CHyperLink::SetColours(const HyperLinkColours& set) { SetColours(set.link, set.active, set.visited, set.hover); }
void CHyperLink::GetColours(HyperLinkColours& out) { out = colours; }

void CHyperLink::SetLinkCursor(HCURSOR cursor) {
    linkCursor = cursor;
    if (!linkCursor) LoadDefaultCursor();
}

HCURSOR CHyperLink::GetLinkCursor() { return linkCursor; }

void CHyperLink::LoadDefaultCursor() {
    if (linkCursor) return;
    char folder[MAX_PATH + 1] = {0};
    ::GetWindowsDirectoryA(folder, MAX_PATH);
    const std::string help = std::string(folder) + "\\winhlp32.exe";
    if (HMODULE module = ::LoadLibraryExA(help.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        if (HCURSOR hand = ::LoadCursorA(module, MAKEINTRESOURCEA(106))) linkCursor = ::CopyIcon(hand);
        ::FreeLibrary(module);
    }
}

void CHyperLink::SetVisited(BOOL visited) {
    m_visited = visited;
    if (m_hWnd) Invalidate();
}

void CHyperLink::ApplyLinkFont(HFONT from) {
    LOGFONTA font = {};
    ::GetObjectA(from, sizeof font, &font);
    font.lfUnderline = (m_linkStyle & kLinkUnderline) ? TRUE : FALSE;
    m_font.CreateFontIndirect(&font);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
}

void CHyperLink::PreSubclassWindow() {
    const CString text = GetWindowText();
    if (m_url.IsEmpty()) m_url = text;
    if (text.IsEmpty()) SetWindowText(m_url);
    if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) {
        ApplyLinkFont(font);
        SizeToText();
    } else {
        m_linkStyle &= ~kLinkSizeToText;
    }
    // The control must report clicks to be a link.
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    if (!(m_linkStyle & kLinkNoHandCursor)) LoadDefaultCursor();
    if (m_toolTip.Create(this)) {
        RECT client = {};
        ::GetClientRect(m_hWnd, &client);
        m_toolTip.AddTool(this, m_url, &client, 1);
        m_toolTip.SetMaxTipWidth(kTipWidth);
    }
}

void CHyperLink::SizeToText() {
    if (!(m_linkStyle & kLinkSizeToText) || !m_hWnd) return;
    const CString text = GetWindowText();
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old =
        ::SelectObject(dc, m_font.m_hObject ? static_cast<HGDIOBJ>(m_font.m_hObject) : ::GetStockObject(SYSTEM_FONT));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, text, text.GetLength(), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);

    RECT window = {}, client = {};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    HWND parent = ::GetParent(m_hWnd);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    const int borderX = (window.right - window.left) - client.right;
    const int borderY = (window.bottom - window.top) - client.bottom;
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    const int width = extent.cx + borderX;
    const int height = extent.cy + borderY;
    int left = window.left;
    if ((style & SS_TYPEMASK) == SS_CENTER)
        left = (window.left + window.right - width) / 2;
    else if ((style & SS_TYPEMASK) == SS_RIGHT)
        left = window.right - width;
    int top = window.top;
    if (style & SS_CENTERIMAGE) top = (window.top + window.bottom - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::SetURL(CString url) {
    m_url = url;
    if (!m_hWnd) return;
    ShowWindow(SW_HIDE);
    SizeToText();
    m_toolTip.UpdateTipText(m_url, this, 1);
    ShowWindow(SW_SHOW);
}

BOOL CHyperLink::ModifyLinkStyle(DWORD remove, DWORD add, BOOL update) {
    if (remove & add) return FALSE;
    const DWORD before = m_linkStyle;
    m_linkStyle = (m_linkStyle & ~remove) | add;
    if (update && m_hWnd) {
        if ((before ^ m_linkStyle) & kLinkUnderline)
            if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))) SetFont(font);
        if (add & kLinkSizeToText) SizeToText();
        if (remove & kLinkUseHover) Invalidate();
    }
    return TRUE;
}

void CHyperLink::SetFont(HFONT font) {
    ShowWindow(SW_HIDE);
    LOGFONTA copy = {};
    ::GetObjectA(font, sizeof copy, &copy);
    copy.lfUnderline = (m_linkStyle & kLinkUnderline) ? TRUE : FALSE;
    CFont replacement;
    replacement.CreateFontIndirect(&copy);
    std::swap(m_font.m_hObject, replacement.m_hObject);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
    SizeToText();
    ShowWindow(SW_SHOW);
}

HBRUSH CHyperLink::CtlColor(HDC dc, UINT) {
    COLORREF text = colours.link;
    if (m_hover && (m_linkStyle & kLinkUseHover))
        text = colours.hover;
    else if (m_active && !(m_linkStyle & kLinkNoActiveColour))
        text = colours.active;
    else if (m_visited)
        text = colours.visited;
    ::SetTextColor(dc, text);
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

LRESULT CHyperLink::OnNcHitTest(POINT) { return HTCLIENT; }

BOOL CHyperLink::OnSetCursor(HWND window, UINT hitTest, UINT message) {
    if (linkCursor) {
        ::SetCursor(linkCursor);
        return TRUE;
    }
    return static_cast<BOOL>(
        DefWindowProc(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hitTest, message)));
}

void CHyperLink::OnMouseMove(UINT, POINT point) {
    if (!m_hover) {
        m_hover = TRUE;
        Invalidate();
        ::SetCapture(m_hWnd);
        return;
    }
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, point)) {
        m_hover = FALSE;
        ::ReleaseCapture();
        Invalidate();
    }
}

void CHyperLink::OnLButtonDown(UINT, POINT) {
    if (m_linkStyle & kLinkFocusOnClick) ::SetFocus(m_hWnd);
    if (m_linkStyle & kLinkOpenOnDown) FollowLink();
    m_active = TRUE;
}

void CHyperLink::OnLButtonUp(UINT, POINT point) {
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    // A press that leaves the link before the release opens nothing.
    const bool inside = ::PtInRect(&client, point) != 0;
    if (m_active && inside && !(m_linkStyle & kLinkOpenOnDown)) FollowLink();
    if (!(m_linkStyle & kLinkFocusOnClick)) m_active = FALSE;
}

void CHyperLink::OnSetFocus(HWND) {
    m_active = TRUE;
    Invalidate();
}

void CHyperLink::OnKillFocus(HWND) {
    m_active = FALSE;
    m_hover = FALSE;
    Invalidate();
}

void CHyperLink::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key == VK_SPACE)
        FollowLink();
    else
        DefWindowProc(WM_KEYDOWN, key, MAKELPARAM(repeat, flags));
}

BOOL CHyperLink::PreTranslateMessage(MSG* message) {
    m_toolTip.RelayEvent(message);
    return CStatic::PreTranslateMessage(message);
}

void CHyperLink::FollowLink() {
    const INT_PTR result = reinterpret_cast<INT_PTR>(GotoURL(m_url, SW_SHOW));
    if (result > 32) {
        SetVisited(TRUE);
        return;
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    AfxMessageBox(CString("Can't open link:\n\n") + LinkFailureReason(result), MB_ICONEXCLAMATION | MB_OK);
}

HINSTANCE CHyperLink::GotoURL(const char* url, int showCommand) {
    HINSTANCE result = ::ShellExecuteA(nullptr, "open", url, nullptr, nullptr, showCommand);
    if (reinterpret_cast<INT_PTR>(result) > 32) return result;
    std::string fileClass;
    std::string command;
    if (!ReadDefaultValue(HKEY_CLASSES_ROOT, ".htm", fileClass)) return result;
    if (!ReadDefaultValue(HKEY_CLASSES_ROOT, fileClass + "\\shell\\open\\command", command)) return result;
    size_t placeholder = command.find("\"%1\"");
    if (placeholder == std::string::npos) placeholder = command.find("%1");
    if (placeholder != std::string::npos) command.erase(placeholder);
    // The target goes in quotes, as one argument: a path with blanks must not become
    // a program and its arguments. A quote of its own would end that argument early.
    if (std::strchr(url, '"')) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
    command += " \"";
    command += url;
    command += "\"";
    // The command line has a fixed budget; one that does not fit is refused.
    if (command.size() >= kCommandLimit) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_OOM));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(::WinExec(command.c_str(), showCommand)));
}
