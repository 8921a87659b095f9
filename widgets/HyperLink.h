#pragma once
// A static text control turned into a link: link colours, a hand cursor, the
// target in a tool tip, and a click or the space bar opens the target.
#include "foundation/Export.h"
#include "platform/afxwin.h"

enum HyperLinkStyle : DWORD {
    kLinkUnderline = 0x01,
    kLinkUseHover = 0x02,
    kLinkSizeToText = 0x04,
    kLinkOpenOnDown = 0x08,
    kLinkFocusOnClick = 0x10,
    kLinkNoHandCursor = 0x20,
    kLinkNoActiveColour = 0x40,
};

struct HyperLinkColours {
    COLORREF link;
    COLORREF active;
    COLORREF visited;
    COLORREF hover;
};

class VELLANTS_API CHyperLink : public CStatic {
    DECLARE_DYNAMIC(CHyperLink)

public:
    CHyperLink() = default;
    ~CHyperLink() override = default;

    void SetURL(CString url);
    CString GetURL() const { return m_url; }
    static void SetColours(COLORREF link, COLORREF active, COLORREF visited, COLORREF hover = 0xFFFFFFFF);
    static void SetColours(const HyperLinkColours& colours);
    static void GetColours(HyperLinkColours& colours);
    void SetVisited(BOOL visited = TRUE);
    BOOL GetVisited() const { return m_visited; }
    static void SetLinkCursor(HCURSOR cursor);
    static HCURSOR GetLinkCursor();
    BOOL ModifyLinkStyle(DWORD remove, DWORD add, BOOL update = TRUE);
    DWORD GetLinkStyle() const { return m_linkStyle; }
    void SetFont(HFONT font);
    static HINSTANCE GotoURL(const char* url, int showCommand);
    BOOL PreTranslateMessage(MSG* message) override;
    const CToolTipCtrl& ToolTip() const { return m_toolTip; }
    // What the link shows in its tool tip: the target.
    CString ToolTipText() { return m_toolTip.GetText(this, 1); }

protected:
    DECLARE_MESSAGE_MAP()
    void PreSubclassWindow() override;
    HBRUSH CtlColor(HDC dc, UINT control);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnSetFocus(HWND other);
    void OnKillFocus(HWND other);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    LRESULT OnNcHitTest(POINT point);

private:
    void FollowLink();
    void SizeToText();
    void ApplyLinkFont(HFONT from);
    static void LoadDefaultCursor();

    BOOL m_active = FALSE;
    BOOL m_hover = FALSE;
    BOOL m_visited = FALSE;
    DWORD m_linkStyle = kLinkUnderline | kLinkSizeToText | kLinkFocusOnClick;
    CString m_url;
    CFont m_font;
    CToolTipCtrl m_toolTip;
};

// The reason a link could not be opened, for the result of the shell or WinExec.
VELLANTS_API CString LinkFailureReason(INT_PTR result);
