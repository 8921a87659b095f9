#include "widgets/UniButton.h"

namespace {
const UINT_PTR kFlashTimer = 1;
enum Picture { kNormal, kPressed, kHover, kDisabled };

const UINT shapedButtonMessage = ::RegisterWindowMessageA("QRVShapedButtonMessage");

HRGN CopyRegion(HRGN source) {
    HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
    ::CombineRgn(copy, source, nullptr, RGN_COPY);
    return copy;
}

// Fills the shape less a copy of it moved by (dx, dy): one band of a 3D edge.
void Band(HDC dc, HRGN shape, int dx, int dy, int colour) {
    HRGN moved = CopyRegion(shape);
    ::OffsetRgn(moved, dx, dy);
    HRGN band = ::CreateRectRgn(0, 0, 0, 0);
    ::CombineRgn(band, shape, moved, RGN_DIFF);
    ::FillRgn(dc, band, ::GetSysColorBrush(colour));
    ::DeleteObject(band);
    ::DeleteObject(moved);
}

// Every pixel that is not the transparent colour, as one region.
HRGN ShapeFromBitmap(UINT bitmapId, COLORREF transparent) {
    HBITMAP bitmap = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return nullptr;
    BITMAP info = {};
    ::GetObjectA(bitmap, sizeof info, &info);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
    for (int x = 0; x < info.bmWidth; ++x) {
        for (int y = 0; y < info.bmHeight; ++y) {
            if (::GetPixel(memory, x, y) == transparent) continue;
            int end = y + 1;  // a column's run of opaque pixels at once
            while (end < info.bmHeight && ::GetPixel(memory, x, end) != transparent) ++end;
            HRGN run = ::CreateRectRgn(x, y, x + 1, end);
            ::CombineRgn(shape, shape, run, RGN_OR);
            ::DeleteObject(run);
            y = end;
        }
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(bitmap);
    return shape;
}
}  // namespace

UINT ShapedButtonMessage() { return shapedButtonMessage; }

BEGIN_MESSAGE_MAP(CUniButton, CButton)
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CUniButton::CUniButton() {
    for (COLORREF& colour : m_colours) colour = ::GetSysColor(COLOR_BTNFACE);
}

CUniButton::~CUniButton() {
    for (CBitmap*& picture : m_pictures) {
        delete picture;
        picture = nullptr;
    }
    if (m_shape) ::DeleteObject(m_shape);
    if (m_flashTimer && m_hWnd) ::KillTimer(m_hWnd, m_flashTimer);
}

void CUniButton::SetDown(bool down) {
    if (down == m_down) return;
    m_down = down;
    if (m_hWnd) Redraw();
}

CBitmap* CUniButton::GetPressedPicture() { return m_down ? m_pictures[kNormal] : m_pictures[kPressed]; }
CBitmap* CUniButton::GetNormalPicture() { return m_down ? m_pictures[kPressed] : m_pictures[kNormal]; }
CBitmap* CUniButton::GetHoverPicture() {
    if (m_bitmapIds[kHover] == 0) return GetNormalPicture();
    return m_down ? m_pictures[kPressed] : m_pictures[kHover];
}
CBitmap* CUniButton::GetDisabledPicture() { return m_pictures[kDisabled]; }

void CUniButton::SetShape(HRGN shape) {
    if (m_shape) ::DeleteObject(m_shape);
    m_shape = shape;
    RECT box = {};
    if (m_shape) ::GetRgnBox(m_shape, &box);
    m_centreX = (box.left + box.right) / 2;
    m_centreY = (box.top + box.bottom) / 2;
}

SIZE CUniButton::GetShapeSize() const {
    RECT box = {};
    if (m_shape) ::GetRgnBox(m_shape, &box);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

void CUniButton::ApplyShape() {
    if (!m_hWnd || !m_shape) return;
    ::SetWindowRgn(m_hWnd, CopyRegion(m_shape), TRUE);  // the window owns its copy
}

BOOL CUniButton::SetBitmaps(COLORREF transparent, UINT normal, UINT pressed, UINT hover, UINT disabled) {
    m_bitmapIds[kNormal] = normal;
    m_bitmapIds[kPressed] = pressed;
    m_bitmapIds[kHover] = hover ? hover : normal;
    m_bitmapIds[kDisabled] = disabled;
    if (!m_shape) SetShape(ShapeFromBitmap(normal, transparent));
    m_stale = TRUE;
    if (m_hWnd) {
        ApplyShape();
        const SIZE size = GetShapeSize();
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Redraw();
    }
    return 1;
}

BOOL CUniButton::CreateAt(const char* caption, DWORD style, int x, int y, CWnd* parent, UINT id) {
    RECT box = {};
    if (m_shape) ::GetRgnBox(m_shape, &box);
    ::OffsetRect(&box, x - box.left, y - box.top);
    return CButton::Create(caption, style | BS_OWNERDRAW, box, parent, id);
}

BOOL CUniButton::Create(COLORREF transparent, UINT normal, UINT pressed, UINT hover, DWORD style, int x, int y,
                        CWnd* parent, UINT id, HRGN shape, UINT disabled) {
    if (shape) SetShape(CopyRegion(shape));
    SetBitmaps(transparent, normal, pressed, hover, disabled);
    return CreateAt("", style, x, y, parent, id);
}

BOOL CUniButton::Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id) {
    HRGN own = CopyRegion(shape);
    RECT box = {};
    ::GetRgnBox(own, &box);
    ::OffsetRgn(own, -box.left, -box.top);
    SetShape(own);
    return CreateAt(caption, style, x, y, parent, id);
}

BOOL CUniButton::Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id,
                        COLORREF colour) {
    m_colours[kPressed] = m_colours[kHover] = colour;
    return Create(caption, style, x, y, shape, parent, id);
}

BOOL CUniButton::Create(const char* caption, DWORD style, int x, int y, HRGN shape, CWnd* parent, UINT id,
                        int borderWidth, COLORREF normal, COLORREF pressed, COLORREF hover, COLORREF disabled) {
    m_borderWidth = borderWidth;
    m_colours[kNormal] = normal;
    m_colours[kPressed] = pressed;
    m_colours[kHover] = hover;
    m_colours[kDisabled] = disabled;
    return Create(caption, style, x, y, shape, parent, id);
}

BOOL CUniButton::LoadShape(UINT resourceId) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), "REGION");
    if (!found) return FALSE;
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const auto* data = static_cast<const RGNDATA*>(::LockResource(loaded));
    if (!data || size < sizeof(RGNDATAHEADER)) return FALSE;
    HRGN shape = ::ExtCreateRegion(nullptr, size, data);
    if (!shape) return FALSE;
    SetShape(shape);
    m_stale = TRUE;
    ApplyShape();
    return TRUE;
}

void CUniButton::SetCaptionBox(int x, int y, int width, int height) { m_captionBox = RECT{x, y, x + width, y + height}; }

void CUniButton::Flash(int count) {
    m_flashCount = count;
    m_flashTick = 0;
    if (m_hWnd && count > 0) m_flashTimer = ::SetTimer(m_hWnd, kFlashTimer, 500, nullptr);
}

void CUniButton::Blink() {
    SetDown(true);
    ::Sleep(550);
    SetDown(false);
}

void CUniButton::DrawCaption(HDC dc, const RECT& box, bool enabled, int shift) {
    const CString caption = GetWindowText();
    if (caption.IsEmpty()) return;
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SetBkMode(dc, TRANSPARENT);
    const UINT oldAlign = ::SetTextAlign(dc, TA_CENTER);
    RECT band = box;
    band.bottom = std::min<LONG>(band.bottom, band.top + metrics.tmHeight);
    const int x = (box.left + box.right) / 2 + shift;
    const int y = box.top + shift;
    auto draw = [&](int dx, int dy, int colour) {
        ::SetTextColor(dc, ::GetSysColor(colour));
        ::ExtTextOutA(dc, x + dx, y + dy, ETO_CLIPPED, &band, caption, caption.GetLength(), nullptr);
    };
    if (enabled) {
        draw(0, 0, COLOR_BTNTEXT);
    } else {
        draw(1, 1, COLOR_BTNHIGHLIGHT);
        draw(0, 0, COLOR_BTNSHADOW);
    }
    ::SetTextAlign(dc, oldAlign);
    ::SelectObject(dc, oldFont);
}

void CUniButton::PaintPicture(CDC* dc, CBitmap*& picture, UINT bitmapId, COLORREF colour, const RECT& client, int state) {
    delete picture;
    picture = new CBitmap;
    if (bitmapId) {
        picture->LoadBitmap(bitmapId);
        return;
    }
    picture->CreateCompatibleBitmap(dc, client.right, client.bottom);
    HDC memory = ::CreateCompatibleDC(*dc);
    HGDIOBJ old = ::SelectObject(memory, *picture);
    ::FillRect(memory, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    if (m_shape) {
        HBRUSH face = ::CreateSolidBrush(colour);
        ::FillRgn(memory, m_shape, face);
        ::DeleteObject(face);
        const bool pressed = state == kPressed;
        DrawCaption(memory, client, state != kDisabled, pressed ? 2 : 0);
        if (m_borderWidth == 2) {
            Band(memory, m_shape, 2, 2, pressed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT);
            Band(memory, m_shape, -2, -2, pressed ? COLOR_3DLIGHT : COLOR_BTNSHADOW);
            Band(memory, m_shape, 1, 1, pressed ? COLOR_BTNSHADOW : COLOR_3DLIGHT);
        } else {
            Band(memory, m_shape, 1, 1, pressed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT);
        }
        Band(memory, m_shape, -1, -1, pressed ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

void CUniButton::BuildPictures(CDC* target, const RECT& client) {
    for (int i = kNormal; i <= kDisabled; ++i) PaintPicture(target, m_pictures[i], m_bitmapIds[i], m_colours[i], client, i);
    m_stale = FALSE;
}

void CUniButton::DrawItem(LPDRAWITEMSTRUCT item) {
    CDC dc(item->hDC);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_stale) BuildPictures(&dc, client);
    CBitmap* picture = (item->itemState & ODS_DISABLED) ? GetDisabledPicture()
                       : (item->itemState & ODS_SELECTED) ? GetPressedPicture()
                       : m_hover ? GetHoverPicture()
                                 : GetNormalPicture();
    if (m_shape) ::SelectClipRgn(dc, m_shape);
    if (picture && picture->m_hObject) {
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, *picture);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
    }
    if (m_captionBox.bottom > m_captionBox.top)
        DrawCaption(dc, m_captionBox, true, (item->itemState & ODS_SELECTED) ? 2 : 0);
    ::SelectClipRgn(dc, nullptr);
}

bool CUniButton::HitTest(POINT client) const {
    POINT screen = client;
    ::ClientToScreen(m_hWnd, &screen);
    if (::WindowFromPoint(screen) != m_hWnd || !m_shape) return false;
    RECT box = {};
    ::GetRgnBox(m_shape, &box);
    return ::PtInRect(&box, client) && ::PtInRegion(m_shape, client.x, client.y);
}

void CUniButton::Notify(int code) {
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageA(parent, shapedButtonMessage, static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(this));
}

void CUniButton::Redraw() { ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void CUniButton::TrackHover(POINT client) {
    if (!HitTest(client)) {
        if (m_captured) {
            Notify(0);
            m_captured = FALSE;
            ::ReleaseCapture();
        }
        m_hover = FALSE;
        Redraw();
        return;
    }
    if (!m_captured) {
        ::SetCapture(m_hWnd);
        m_captured = TRUE;
    }
    if (!m_hover) {
        m_hover = TRUE;
        Notify(1);
        Redraw();
    }
}

void CUniButton::PreSubclassWindow() {
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) | BS_OWNERDRAW);
}

BOOL CUniButton::OnEraseBkgnd(HDC) { return TRUE; }

int CUniButton::OnCreate(LPCREATESTRUCT create) {
    if (DefWindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) == -1) return -1;
    m_stale = TRUE;
    ApplyShape();
    return 0;
}

void CUniButton::OnMouseMove(UINT flags, POINT point) {
    if (m_pressed) {
        if (!HitTest(point)) {
            SendMessage(BM_SETSTATE, FALSE);
            return;
        }
    } else {
        TrackHover(point);
    }
    DefWindowProc(WM_MOUSEMOVE, flags, MAKELPARAM(point.x, point.y));
}

void CUniButton::OnLButtonDown(UINT flags, POINT point) {
    m_pressed = TRUE;
    if (!m_captured) {
        Notify(2);
        ::SetCapture(m_hWnd);
        m_captured = TRUE;
    }
    Redraw();
    DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}

void CUniButton::OnLButtonUp(UINT, POINT point) {
    m_pressed = FALSE;
    if (HitTest(point)) {
        HWND parent = ::GetParent(m_hWnd);
        ::SetActiveWindow(parent);
        ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), reinterpret_cast<LPARAM>(m_hWnd));
    }
    m_captured = FALSE;
    ::ReleaseCapture();
    TrackHover(point);
    Redraw();
}

void CUniButton::OnTimer(UINT_PTR timer) {
    if (timer == kFlashTimer && m_flashTimer) {
        if (m_flashTick % 2 == 0) {
            m_hover = TRUE;
            Redraw();
        } else {
            m_hover = FALSE;
            Redraw();
            --m_flashCount;
        }
        if (m_flashCount <= 0) {
            ::KillTimer(m_hWnd, m_flashTimer);
            m_flashTimer = 0;
            m_flashTick = 0;
            if (m_hover) {
                m_hover = FALSE;
                Redraw();
            }
        } else {
            ++m_flashTick;
        }
    }
    DefWindowProc(WM_TIMER, timer, 0);
}

LRESULT CUniButton::DefWindowProc(UINT message, WPARAM w, LPARAM l) {
    if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(message, w, l);
}
