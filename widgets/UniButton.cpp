#include "widgets/UniButton.h"
#include <utility>

namespace {
const UINT_PTR kFlashTimer = 1;
enum Picture { kNormal, kPressed, kHover, kDisabled };

const UINT shapedButtonMessage = ::RegisterWindowMessageA("QRVShapedButtonMessage");

ScopedRegion CopyRegion(HRGN source) {
    ScopedRegion copy(::CreateRectRgn(0, 0, 0, 0));
    ::CombineRgn(copy.Get(), source, nullptr, RGN_COPY);
    return copy;
}

// Fills the shape less a copy of it moved by (dx, dy): one band of a 3D edge.
void Band(HDC dc, HRGN shape, int dx, int dy, int colour) {
    ScopedRegion moved = CopyRegion(shape);
    ::OffsetRgn(moved.Get(), dx, dy);
    ScopedRegion band(::CreateRectRgn(0, 0, 0, 0));
    ::CombineRgn(band.Get(), shape, moved.Get(), RGN_DIFF);
    ::FillRgn(dc, band.Get(), ::GetSysColorBrush(colour));
}

// Every pixel that is not the transparent colour, as one region.
ScopedRegion ShapeFromBitmap(UINT bitmapId, COLORREF transparent) {
    ScopedBitmap bitmap(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId)));
    if (!bitmap) return ScopedRegion();
    BITMAP info = {};
    ::GetObjectA(bitmap.Get(), sizeof info, &info);
    MemoryDC memory(nullptr);
    memory.Select(bitmap.Get());
    ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
    for (int x = 0; x < info.bmWidth; ++x) {
        for (int y = 0; y < info.bmHeight; ++y) {
            if (::GetPixel(memory.Get(), x, y) == transparent) continue;
            int end = y + 1;  // a column's run of opaque pixels at once
            while (end < info.bmHeight && ::GetPixel(memory.Get(), x, end) != transparent) ++end;
            ScopedRegion run(::CreateRectRgn(x, y, x + 1, end));
            ::CombineRgn(shape.Get(), shape.Get(), run.Get(), RGN_OR);
            y = end;
        }
    }
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
    if (m_flashTimer && m_hWnd) ::KillTimer(m_hWnd, m_flashTimer);
}

void CUniButton::SetDown(bool down) {
    if (down == m_down) return;
    m_down = down;
    if (m_hWnd) Redraw();
}

CBitmap* CUniButton::GetPressedPicture() { return &m_pictures[m_down ? kNormal : kPressed]; }
CBitmap* CUniButton::GetNormalPicture() { return &m_pictures[m_down ? kPressed : kNormal]; }
CBitmap* CUniButton::GetHoverPicture() {
    if (m_bitmapIds[kHover] == 0) return GetNormalPicture();
    return &m_pictures[m_down ? kPressed : kHover];
}
CBitmap* CUniButton::GetDisabledPicture() { return &m_pictures[kDisabled]; }

void CUniButton::SetShape(ScopedRegion shape) {
    m_shape = std::move(shape);
    RECT box = {};
    if (m_shape) ::GetRgnBox(m_shape.Get(), &box);
    m_centreX = (box.left + box.right) / 2;
    m_centreY = (box.top + box.bottom) / 2;
}

SIZE CUniButton::GetShapeSize() const {
    RECT box = {};
    if (m_shape) ::GetRgnBox(m_shape.Get(), &box);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

void CUniButton::ApplyShape() {
    if (!m_hWnd || !m_shape) return;
    ::SetWindowRgn(m_hWnd, CopyRegion(m_shape.Get()).Release(), TRUE);  // the window owns its copy
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
    if (m_shape) ::GetRgnBox(m_shape.Get(), &box);
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
    ScopedRegion own = CopyRegion(shape);
    RECT box = {};
    ::GetRgnBox(own.Get(), &box);
    ::OffsetRgn(own.Get(), -box.left, -box.top);
    SetShape(std::move(own));
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
    ScopedRegion shape(::ExtCreateRegion(nullptr, size, data));
    if (!shape) return FALSE;
    SetShape(std::move(shape));
    m_stale = TRUE;
    ApplyShape();
    return TRUE;
}

void CUniButton::SetCaptionBox(int x, int y, int width, int height) {
    m_captionBox = RECT{x, y, x + width, y + height};
}

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

void CUniButton::PaintPicture(CDC* dc, CBitmap& picture, UINT bitmapId, COLORREF colour, const RECT& client,
                              int state) {
    if (bitmapId) {
        picture.LoadBitmap(bitmapId);
        return;
    }
    picture.CreateCompatibleBitmap(dc, client.right, client.bottom);
    MemoryDC memory(*dc);
    memory.Select(picture);
    ::FillRect(memory.Get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    if (!m_shape) return;
    ScopedBrush face(::CreateSolidBrush(colour));
    ::FillRgn(memory.Get(), m_shape.Get(), face.Get());
    const bool pressed = state == kPressed;
    DrawCaption(memory.Get(), client, state != kDisabled, pressed ? 2 : 0);
    HRGN shape = m_shape.Get();
    if (m_borderWidth == 2) {
        Band(memory.Get(), shape, 2, 2, pressed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT);
        Band(memory.Get(), shape, -2, -2, pressed ? COLOR_3DLIGHT : COLOR_BTNSHADOW);
        Band(memory.Get(), shape, 1, 1, pressed ? COLOR_BTNSHADOW : COLOR_3DLIGHT);
    } else {
        Band(memory.Get(), shape, 1, 1, pressed ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT);
    }
    Band(memory.Get(), shape, -1, -1, pressed ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
}

void CUniButton::BuildPictures(CDC* target, const RECT& client) {
    for (int i = kNormal; i <= kDisabled; ++i)
        PaintPicture(target, m_pictures[i], m_bitmapIds[i], m_colours[i], client, i);
    m_stale = FALSE;
}

void CUniButton::DrawItem(LPDRAWITEMSTRUCT item) {
    CDC dc(item->hDC);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (m_stale) BuildPictures(&dc, client);
    CBitmap* picture = (item->itemState & ODS_DISABLED)   ? GetDisabledPicture()
                       : (item->itemState & ODS_SELECTED) ? GetPressedPicture()
                       : m_hover                          ? GetHoverPicture()
                                                          : GetNormalPicture();
    if (m_shape) ::SelectClipRgn(dc, m_shape.Get());
    if (picture && picture->m_hObject) {
        MemoryDC memory(dc);
        memory.Select(*picture);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
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
    ::GetRgnBox(m_shape.Get(), &box);
    return ::PtInRect(&box, client) && ::PtInRegion(m_shape.Get(), client.x, client.y);
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
