#pragma once
#include "foundation/Export.h"
// Window wrappers in the MFC manner, holding what the library's dialogs use.
#include "CString.h"
#include "MessageMap.h"
#include <commctrl.h>
#include <memory>

class CWnd;
class CToolTipCtrl;

// Carries the direction of one data exchange between a dialog and its members.
class VELLANTS_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// A device context handed to drawing code; it does not own the handle.
class VELLANTS_API CDC {
public:
    explicit CDC(HDC dc = nullptr) : m_hDC(dc) {}
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    HDC m_hDC;
};

class VELLANTS_API CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND window);
    // Routes a window's messages through this object's message map.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    HWND DlgItem(int id) const { return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL ShowWindow(int show) { return ::ShowWindow(m_hWnd, show); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageA(m_hWnd, message, w, l); }
    CString GetWindowText() const;
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    void CheckRadioButton(int first, int last, int checked) { ::CheckRadioButton(m_hWnd, first, last, checked); }
    // One tool per child control, its text asked of this window when the tip shows;
    // disabled controls show theirs too.
    BOOL EnableToolTips(BOOL enable = TRUE);
    HWND ToolTipWindow() const;

    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    // Offers a message to the objects of its window and of that window's parents,
    // up to stop; true when one of them took it.
    static BOOL WalkPreTranslateTree(HWND stop, MSG* message);
    // Runs every message: the message map first, then the default handling.
    virtual LRESULT WindowProc(UINT message, WPARAM w, LPARAM l);
    virtual LRESULT DefWindowProc(UINT message, WPARAM w, LPARAM l);

    HWND m_hWnd = nullptr;

protected:
    virtual void PreSubclassWindow() {}
    virtual void DoDataExchange(CDataExchange*) {}
    // A message that the parent passes back to the control it came from.
    virtual BOOL OnChildNotify(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    virtual void PostNcDestroy() {}
    BOOL OnWndMsg(UINT message, WPARAM w, LPARAM l, LRESULT* result);
    // The message being handled, for handlers that need to look at it.
    const MSG& CurrentMessage() const { return m_current; }
    void Attach(HWND window);
    void Detach();

    WNDPROC m_oldProc = nullptr;
    std::unique_ptr<CToolTipCtrl> m_toolTips;
    MSG m_current = {};

private:
    void RelayToolTipEvent(UINT message, WPARAM w, LPARAM l);

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

VELLANTS_API LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM w, LPARAM l);

VELLANTS_API void DDX_Check(CDataExchange* dx, int id, BOOL& value);
VELLANTS_API void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class VELLANTS_API CButton : public CWnd {
public:
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const { return static_cast<int>(::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int state) { ::SendMessageA(m_hWnd, BM_SETCHECK, state, 0); }
    void SetState(BOOL highlight) { ::SendMessageA(m_hWnd, BM_SETSTATE, highlight, 0); }
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;
};

class VELLANTS_API CComboBox : public CWnd {
public:
    int AddString(const char* text) { return int(::SendMessageA(m_hWnd, CB_ADDSTRING, 0, LPARAM(text))); }
    void ResetContent() { ::SendMessageA(m_hWnd, CB_RESETCONTENT, 0, 0); }
    int GetCount() const { return int(::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0)); }
    int GetCurSel() const { return int(::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int index) { return int(::SendMessageA(m_hWnd, CB_SETCURSEL, index, 0)); }
    CString GetLBText(int index) const;
};

class VELLANTS_API CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
};

class VELLANTS_API CToolTipCtrl : public CWnd {
public:
    ~CToolTipCtrl() override;
    BOOL Create(CWnd* parent);
    // A tool for a rectangle of the owner's client area, with a fixed text.
    BOOL AddTool(CWnd* owner, const char* text, const RECT* rect, UINT_PTR id);
    // A tool for a whole control, its text asked of the owner when the tip shows.
    BOOL AddControlTool(HWND owner, HWND control);
    void UpdateTipText(const char* text, CWnd* owner, UINT_PTR id);
    void RelayEvent(MSG* message) {
        if (m_hWnd) ::SendMessageA(m_hWnd, TTM_RELAYEVENT, 0, LPARAM(message));
    }
    void Activate(BOOL active) { ::SendMessageA(m_hWnd, TTM_ACTIVATE, active, 0); }
    // Longer texts wrap at this many pixels.
    void SetMaxTipWidth(int width) { ::SendMessageA(m_hWnd, TTM_SETMAXTIPWIDTH, 0, width); }
    int GetMaxTipWidth() const { return static_cast<int>(::SendMessageA(m_hWnd, TTM_GETMAXTIPWIDTH, 0, 0)); }
    CString GetText(CWnd* owner, UINT_PTR id) const;
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override;
};

class VELLANTS_API CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    ~CFont() { DeleteObject(); }
    BOOL CreateFontIndirect(const LOGFONTA* font);
    void DeleteObject();
    int GetLogFont(LOGFONTA* font) const { return ::GetObjectA(m_hObject, sizeof *font, font); }
    operator HFONT() const { return m_hObject; }
    HFONT m_hObject = nullptr;
};

class VELLANTS_API CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    ~CBitmap() { DeleteObject(); }
    BOOL LoadBitmap(UINT id);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* info) const { return ::GetObjectA(m_hObject, sizeof *info, info); }
    void DeleteObject();
    operator HBITMAP() const { return m_hObject; }
    HBITMAP m_hObject = nullptr;
};

class VELLANTS_API CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    const char* m_pszAppName;
};

VELLANTS_API CWinApp* AfxGetApp();
// Where resources are looked up: the host program's module.
VELLANTS_API HINSTANCE AfxGetResourceHandle();
VELLANTS_API int AfxMessageBox(const char* text, UINT type);

#ifdef VELLANTS_BUILD
// Every message box of the library goes through here; tests route them elsewhere (not exported).
using MessageBoxHook = int (*)(HWND owner, const char* text, UINT style);
void SetMessageBoxHook(MessageBoxHook hook);
#endif
VELLANTS_API int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
