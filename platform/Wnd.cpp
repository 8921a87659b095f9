#include "Wnd.h"
#include <map>
#include <vector>

namespace {
CWinApp* theApp = nullptr;
MessageBoxHook messageBoxHook = nullptr;

std::map<HWND, CWnd*>& Permanent() {
    static std::map<HWND, CWnd*> windows;
    return windows;
}

POINT PointOf(LPARAM l) { return POINT{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))}; }

// Control colour messages reach the control as these reflected codes.
const UINT kReflect = 0x2000;

TOOLINFOA ToolInfo(HWND owner, UINT_PTR id, UINT flags, const char* text) {
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = flags;
    tool.hwnd = owner;
    tool.uId = id;
    tool.lpszText = const_cast<char*>(text);
    return tool;
}

// The visible child of parent under a screen point, disabled ones included;
// group boxes and plain labels let the mouse through and are passed over.
HWND ControlAt(HWND parent, POINT screen) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT box = {};
        if (!::IsWindowVisible(child) || !::GetWindowRect(child, &box) || !::PtInRect(&box, screen)) continue;
        if (::SendMessageA(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT) continue;
        return child;
    }
    return nullptr;
}

HWND DisabledControlAt(HWND parent, POINT screen) {
    // Only this thread's windows are asked, so that no other program can hold us up.
    if (!parent || ::GetWindowThreadProcessId(parent, nullptr) != ::GetCurrentThreadId()) return nullptr;
    HWND control = ControlAt(parent, screen);
    return control && !::IsWindowEnabled(control) ? control : nullptr;
}
}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CStatic, CWnd)

void SetMessageBoxHook(MessageBoxHook hook) { messageBoxHook = hook; }

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    if (messageBoxHook) return messageBoxHook(owner, text, style);
    return ::MessageBoxA(owner, text, caption, style);
}

int AfxMessageBox(const char* text, UINT type) {
    const CWinApp* app = AfxGetApp();
    return ShowMessageBox(::GetActiveWindow(), text, app && app->m_pszAppName ? app->m_pszAppName : nullptr, type);
}

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleA(nullptr); }

CWnd::CWnd() = default;

CWnd::~CWnd() {
    m_toolTips.reset();
    if (m_hWnd) Detach();
}

HWND CWnd::ToolTipWindow() const { return m_toolTips ? m_toolTips->m_hWnd : nullptr; }

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* message) {
    for (HWND window = message->hwnd; window; window = ::GetParent(window)) {
        if (CWnd* target = FromHandlePermanent(window))
            if (target->PreTranslateMessage(message)) return TRUE;
        if (window == stop) break;
    }
    return FALSE;
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    auto found = Permanent().find(window);
    return found == Permanent().end() ? nullptr : found->second;
}

void CWnd::Attach(HWND window) {
    m_hWnd = window;
    Permanent()[window] = this;
}

void CWnd::Detach() {
    if (m_oldProc && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    Permanent().erase(m_hWnd);
    m_hWnd = nullptr;
    m_oldProc = nullptr;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!window || FromHandlePermanent(window)) return FALSE;
    Attach(window);
    PreSubclassWindow();
    m_oldProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) { return SubclassWindow(::GetDlgItem(parent->m_hWnd, id)); }

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    Detach();
    return window;
}

CString CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> text(length + 2, '\0');
    ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    return CString(text.data());
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CWnd::EnableToolTips(BOOL enable) {
    if (!enable) {
        if (m_toolTips) m_toolTips->Activate(FALSE);
        return TRUE;
    }
    if (!m_toolTips) {
        auto tips = std::make_unique<CToolTipCtrl>();
        if (!tips->Create(this)) return FALSE;
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            tips->AddControlTool(m_hWnd, child);
        m_toolTips = std::move(tips);
    }
    m_toolTips->Activate(TRUE);
    return TRUE;
}

// A disabled control gets no mouse input: what the mouse does over one reaches
// this window instead and goes to the tool tips as the control's own.
void CWnd::RelayToolTipEvent(UINT message, WPARAM w, LPARAM l) {
    POINT point = PointOf(l);
    ::ClientToScreen(m_hWnd, &point);
    MSG relayed = {m_hWnd, message, w, l, static_cast<DWORD>(::GetMessageTime()), point};
    if (HWND control = DisabledControlAt(m_hWnd, point)) {
        POINT inside = point;
        ::ScreenToClient(control, &inside);
        relayed.hwnd = control;
        relayed.lParam = MAKELPARAM(inside.x, inside.y);
    }
    m_toolTips->RelayEvent(&relayed);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM w, LPARAM l) {
    if (m_oldProc) return ::CallWindowProcA(m_oldProc, m_hWnd, message, w, l);
    return ::DefWindowProcA(m_hWnd, message, w, l);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM w, LPARAM l) {
    if (m_toolTips && message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) RelayToolTipEvent(message, w, l);
    LRESULT result = 0;
    if (!OnWndMsg(message, w, l, &result)) result = DefWindowProc(message, w, l);
    return result;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        const AFX_MSGMAP_ENTRY* entry = FindEntry(message + kReflect, 0, 0);
        if (!entry) return FALSE;
        using Handler = HBRUSH (CWnd::*)(HDC, UINT);
        HBRUSH brush = (this->*reinterpret_cast<Handler>(entry->pfn))(reinterpret_cast<HDC>(w), CTLCOLOR_STATIC);
        if (!brush) return FALSE;
        *result = reinterpret_cast<LRESULT>(brush);
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    // Messages about a child go back to the child's own object first.
    HWND child = nullptr;
    if (message == WM_DRAWITEM)
        child = reinterpret_cast<LPDRAWITEMSTRUCT>(l)->hwndItem;
    else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        child = reinterpret_cast<HWND>(l);
    if (child) {
        if (CWnd* control = FromHandlePermanent(child))
            if (control != this && control->OnChildNotify(message, w, l, result)) return TRUE;
    }

    if (message == WM_COMMAND) return OnCmdMsg(HIWORD(w), LOWORD(w)) ? TRUE : FALSE;
    if (message == WM_NOTIFY) {
        NMHDR* header = reinterpret_cast<NMHDR*>(l);
        const UINT id = static_cast<UINT>(static_cast<WORD>(::GetDlgCtrlID(header->hwndFrom)));
        const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_NOTIFY, header->code, id);
        if (!entry) return FALSE;
        using Handler = BOOL (CWnd::*)(UINT, NMHDR*, LRESULT*);
        return (this->*reinterpret_cast<Handler>(entry->pfn))(id, header, result);
    }
    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0);
    if (!entry) return FALSE;
    switch (entry->nSig) {
        case AfxSig_vv: (this->*entry->pfn)(); break;
        case AfxSig_vwp: {
            using Handler = void (CWnd::*)(UINT, POINT);
            (this->*reinterpret_cast<Handler>(entry->pfn))(static_cast<UINT>(w), PointOf(l));
            break;
        }
        case AfxSig_bD: {
            using Handler = BOOL (CWnd::*)(HDC);
            *result = (this->*reinterpret_cast<Handler>(entry->pfn))(reinterpret_cast<HDC>(w));
            break;
        }
        case AfxSig_is: {
            using Handler = int (CWnd::*)(LPCREATESTRUCT);
            *result = (this->*reinterpret_cast<Handler>(entry->pfn))(reinterpret_cast<LPCREATESTRUCT>(l));
            break;
        }
        case AfxSig_vw: {
            using Handler = void (CWnd::*)(UINT_PTR);
            (this->*reinterpret_cast<Handler>(entry->pfn))(static_cast<UINT_PTR>(w));
            break;
        }
        case AfxSig_bWww: {
            using Handler = BOOL (CWnd::*)(HWND, UINT, UINT);
            *result = (this->*reinterpret_cast<Handler>(entry->pfn))(reinterpret_cast<HWND>(w), LOWORD(l), HIWORD(l));
            break;
        }
        case AfxSig_vwww: {
            using Handler = void (CWnd::*)(UINT, UINT, UINT);
            (this->*reinterpret_cast<Handler>(entry->pfn))(static_cast<UINT>(w), LOWORD(l), HIWORD(l));
            break;
        }
        case AfxSig_vW: {
            using Handler = void (CWnd::*)(HWND);
            (this->*reinterpret_cast<Handler>(entry->pfn))(reinterpret_cast<HWND>(w));
            break;
        }
        case AfxSig_lp: {
            using Handler = LRESULT (CWnd::*)(POINT);
            *result = (this->*reinterpret_cast<Handler>(entry->pfn))(PointOf(l));
            break;
        }
        default: return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    CWnd* target = CWnd::FromHandlePermanent(window);
    if (!target) return ::DefWindowProcA(window, message, w, l);
    const MSG outer = target->m_current;
    target->m_current = MSG{window, message, w, l, 0, {0, 0}};
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        result = target->DefWindowProc(message, w, l);
        target->Detach();
        target->PostNcDestroy();
        return result;
    }
    result = target->WindowProc(message, w, l);
    if (CWnd::FromHandlePermanent(window) == target) target->m_current = outer;
    return result;
}

void DDX_Check(CDataExchange* dx, int id, BOOL& value) {
    HWND dialog = dx->m_pDlgWnd->m_hWnd;
    if (dx->m_bSaveAndValidate)
        value = static_cast<BOOL>(::SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
    else
        ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassDlgItem(id, dx->m_pDlgWnd);
}

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    HWND window =
        ::CreateWindowExA(0, "BUTTON", caption, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    return window && SubclassWindow(window);
}

BOOL CButton::OnChildNotify(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, w, l, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(l));
    *result = TRUE;
    return TRUE;
}

CString CComboBox::GetLBText(int index) const {
    const LRESULT length = ::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return CString();
    std::vector<char> text(length + 2, '\0');
    ::SendMessageA(m_hWnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return CString(text.data());
}

CToolTipCtrl::~CToolTipCtrl() {
    if (m_hWnd) ::DestroyWindow(UnsubclassWindow());
}

BOOL CToolTipCtrl::Create(CWnd* parent) {
    HWND window = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), nullptr);
    return window && SubclassWindow(window);
}

BOOL CToolTipCtrl::AddTool(CWnd* owner, const char* text, const RECT* rect, UINT_PTR id) {
    TOOLINFOA tool = ToolInfo(owner->m_hWnd, id, 0, text);
    if (rect) tool.rect = *rect;
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
}

BOOL CToolTipCtrl::AddControlTool(HWND owner, HWND control) {
    TOOLINFOA tool =
        ToolInfo(owner, reinterpret_cast<UINT_PTR>(control), TTF_IDISHWND | TTF_SUBCLASS, LPSTR_TEXTCALLBACKA);
    return static_cast<BOOL>(::SendMessageA(m_hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* owner, UINT_PTR id) {
    TOOLINFOA tool = ToolInfo(owner->m_hWnd, id, 0, text);
    ::SendMessageA(m_hWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

CString CToolTipCtrl::GetText(CWnd* owner, UINT_PTR id) const {
    char text[1024] = {0};
    TOOLINFOA tool = ToolInfo(owner->m_hWnd, id, 0, text);
    ::SendMessageA(m_hWnd, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

LRESULT CToolTipCtrl::WindowProc(UINT message, WPARAM w, LPARAM l) {
    // The tip checks which window the mouse is over before it shows and while it
    // stays; the window under a disabled control stands in for the control.
    if (message == TTM_WINDOWFROMPOINT && l) {
        const POINT screen = *reinterpret_cast<const POINT*>(l);
        HWND window = ::WindowFromPoint(screen);
        if (HWND control = DisabledControlAt(window, screen)) return reinterpret_cast<LRESULT>(control);
        return reinterpret_cast<LRESULT>(window);
    }
    return CWnd::WindowProc(message, w, l);
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
    DeleteObject();
    m_hObject = ::CreateFontIndirectA(font);
    return m_hObject != nullptr;
}

void CFont::DeleteObject() {
    if (m_hObject) ::DeleteObject(m_hObject);
    m_hObject = nullptr;
}

BOOL CBitmap::LoadBitmap(UINT id) {
    DeleteObject();
    m_hObject = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    return m_hObject != nullptr;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    DeleteObject();
    m_hObject = ::CreateCompatibleBitmap(dc->m_hDC, width, height);
    return m_hObject != nullptr;
}

void CBitmap::DeleteObject() {
    if (m_hObject) ::DeleteObject(m_hObject);
    m_hObject = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { theApp = this; }

CWinApp::~CWinApp() {
    if (theApp == this) theApp = nullptr;
}

CWinApp* AfxGetApp() { return theApp; }
