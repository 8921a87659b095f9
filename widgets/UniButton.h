#pragma once
// An owner-drawn push button whose outline is any shape: a region made from a
// bitmap (every pixel but the transparent colour), a region resource, or given.
#include "foundation/Export.h"
#include "foundation/Owners.h"
#include "platform/afxwin.h"

// The registered message a shaped button sends its parent: code 1 mouse entered,
// 0 mouse left, 2 button pressed; the second parameter is the button.
VELLANTS_API UINT ShapedButtonMessage();

class VELLANTS_API CUniButton : public CButton {
public:
    CUniButton();
    ~CUniButton() override;

    virtual void SetDown(bool down);
    virtual bool IsDown() const { return m_down; }
    virtual CBitmap* GetPressedPicture();
    virtual CBitmap* GetNormalPicture();
    virtual CBitmap* GetHoverPicture();
    virtual CBitmap* GetDisabledPicture();
    virtual void BuildPictures(CDC* target, const RECT& client);

    BOOL SetBitmaps(COLORREF transparent, UINT normal, UINT pressed, UINT hover, UINT disabled);
    BOOL Create(COLORREF transparent, UINT normal, UINT pressed, UINT hover, DWORD style, int x, int y, CWnd* parent,
                UINT id, HRGN shape = nullptr, UINT disabled = 0);
    BOOL Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id);
    BOOL Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id, COLORREF colour);
    BOOL Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id, int borderWidth,
                COLORREF normal, COLORREF pressed, COLORREF hover, COLORREF disabled);
    BOOL LoadShape(UINT resourceId);
    void SetCaptionBox(int x, int y, int width, int height);
    void Flash(int count);
    void Blink();
    SIZE GetShapeSize() const;
    HRGN Shape() const { return m_shape.Get(); }
    void DrawItem(LPDRAWITEMSTRUCT item) override;
    LRESULT DefWindowProc(UINT message, WPARAM w, LPARAM l) override;

protected:
    DECLARE_MESSAGE_MAP()
    void PreSubclassWindow() override;
    BOOL OnEraseBkgnd(HDC dc);
    void OnMouseMove(UINT flags, POINT point);
    int OnCreate(LPCREATESTRUCT create);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnTimer(UINT_PTR timer);

private:
    bool HitTest(POINT client) const;
    void TrackHover(POINT client);
    void Notify(int code);
    void Redraw();
    void ApplyShape();
    void SetShape(ScopedRegion shape);
    BOOL CreateAt(const char* caption, DWORD style, int x, int y, CWnd* parent, UINT id);
    void PaintPicture(CDC* dc, CBitmap& picture, UINT bitmapId, COLORREF colour, const RECT& client, int state);
    void DrawCaption(HDC dc, const RECT& box, bool enabled, int shift);

    UINT_PTR m_flashTimer = 0;
    int m_flashTick = 0;
    int m_flashCount = 0;
    int m_borderWidth = 1;
    COLORREF m_colours[4];
    UINT m_bitmapIds[4] = {0, 0, 0, 0};
    int m_centreX = 0;
    int m_centreY = 0;
    BOOL m_pressed = FALSE;
    BOOL m_hover = FALSE;
    BOOL m_captured = FALSE;
    BOOL m_stale = TRUE;
    bool m_down = false;
    RECT m_captionBox = {-1, -1, -1, -1};
    ScopedRegion m_shape;
    CBitmap m_pictures[4];
};
