#include "canvas_bar.h"

#include "skin/buttons/action_relay.h"

namespace movanta::app {
namespace {

// A top-down 24-bit picture with a memory device context drawing on it. It
// has no alpha of its own, so the canvas makes the bar opaque where it
// composes it.
class OffscreenPicture {
public:
    OffscreenPicture(int width, int height) {
        BITMAPINFO info {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        if (m_picture != nullptr && m_dc != nullptr) m_previous = SelectObject(m_dc, m_picture);
    }
    ~OffscreenPicture() {
        if (m_dc != nullptr) {
            if (m_previous != nullptr) SelectObject(m_dc, m_previous);
            DeleteDC(m_dc);
        }
        if (m_picture != nullptr) DeleteObject(m_picture);
    }
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;

    bool Ready() const { return m_picture != nullptr && m_dc != nullptr && m_previous != nullptr; }
    HDC Dc() const { return m_dc; }
    HBITMAP Picture() const { return m_picture; }

private:
    HBITMAP m_picture = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

}  // namespace

BEGIN_MESSAGE_MAP(CCanvasBar, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CCanvasBar::~CCanvasBar() = default;

std::unique_ptr<Gdiplus::Bitmap> CCanvasBar::CopyPicture(HBITMAP picture) {
    if (picture == nullptr) return nullptr;
    auto copy = std::make_unique<Gdiplus::Bitmap>(picture, nullptr);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return copy;
}

void CCanvasBar::Redraw() {
    if (m_hWnd == nullptr || m_canvas == nullptr) return;
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) return;
    OffscreenPicture picture(client.Width(), client.Height());
    if (!picture.Ready()) return;
    {
        Gdiplus::Graphics graphics(picture.Dc());
        Draw(graphics, client.Width(), client.Height());
    }
    CRect place;
    GetWindowRect(&place);
    m_canvas->ScreenToClient(&place);
    CzFActionRelay(m_canvas).fnDrawCanvas(place, picture.Picture(), 0, 0, true);
}

void CCanvasBar::HoldMouse() {
    if (GetCapture() != m_hWnd) SetCapture();
}

void CCanvasBar::ReleaseMouse() {
    if (GetCapture() == m_hWnd) ReleaseCapture();
}

bool CCanvasBar::TrackHover(CPoint point, const CRect& handle) {
    if (handle.PtInRect(point)) {
        HoldMouse();
        return true;
    }
    ReleaseMouse();
    return false;
}

void CCanvasBar::Notify(UINT message, WPARAM wParam) const {
    if (CWnd* parent = GetParent()) parent->PostMessage(message, wParam, 0);
}

void CCanvasBar::OnPaint() {
    CPaintDC dc(this);
    // The canvas may have composed its picture afresh (shown again after a
    // minimise): the bar's picture goes to it again.
    Redraw();
}

BOOL CCanvasBar::OnEraseBkgnd(CDC*) { return TRUE; }

}  // namespace movanta::app
