#include "gdi/picture.h"

#include <QByteArray>
#include <QPainter>
#include <cmath>
#include <new>

#include "gdi/pixel_ops.h"
#include "gdi/qt_text.h"

using namespace movanta::gdi;

namespace {

constexpr double kHimetricPerPixel = 2540.0 / 96.0;

class Picture final : public CUnknown, public IPicture {
public:
    explicit Picture(QImage image) : CUnknown(L"Picture", nullptr), image_(std::move(image)) {}
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IPicture) return GetInterface(static_cast<IPicture*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(iid, object);
    }
    HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) override {
        if (width == nullptr) return E_POINTER;
        *width = Himetric(image_.width());
        return S_OK;
    }
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) override {
        if (height == nullptr) return E_POINTER;
        *height = Himetric(image_.height());
        return S_OK;
    }
    HRESULT Render(HDC handle, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSource, OLE_YPOS_HIMETRIC ySource,
                   OLE_XSIZE_HIMETRIC cxSource, OLE_YSIZE_HIMETRIC cySource, const RECT*) override {
        Dc* dc = Live<Dc>(handle, GdiObject::Kind::Dc);
        if (dc == nullptr || cx <= 0 || cy <= 0 || cxSource == 0 || cySource == 0) return E_INVALIDARG;
        const LONG fullHeight = Himetric(image_.height());
        // Source edges in pixels, rows counted from the top; flipped when
        // the source height runs upwards.
        const int top = Pixels(fullHeight - ySource);
        const int bottom = Pixels(fullHeight - (ySource + cySource));
        const int left = Pixels(xSource);
        const int right = Pixels(xSource + cxSource);
        QImage source = image_.copy(QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                                          QSize(std::abs(right - left), std::abs(bottom - top))));
        source = source.mirrored(right < left, bottom < top);
        PaintOn(*dc->bitmap, QRect(x, y, cx, cy), [&](QPainter& painter) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, source.size() != QSize(cx, cy));
            painter.drawImage(QRect(x, y, cx, cy), source);
        });
        return S_OK;
    }

private:
    static LONG Himetric(int pixels) { return static_cast<LONG>(std::lround(pixels * kHimetricPerPixel)); }
    static int Pixels(LONG himetric) { return static_cast<int>(std::lround(himetric / kHimetricPerPixel)); }
    QImage image_;
};

}  // namespace

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL, REFIID iid, void** picture) {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    if (stream == nullptr || size < 0) return E_INVALIDARG;
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const ULONG want = size > 0 ? static_cast<ULONG>(std::min<qsizetype>(sizeof(chunk), size - data.size()))
                                    : static_cast<ULONG>(sizeof(chunk));
        if (want == 0) break;
        ULONG got = 0;
        if (FAILED(stream->Read(chunk, want, &got)) || got == 0) break;
        data.append(chunk, got);
    }
    EnsureGui();
    QImage image;
    if (!image.loadFromData(data) || image.isNull()) return E_FAIL;
    auto* loaded = new (std::nothrow) Picture(image.convertToFormat(QImage::Format_RGB32));
    if (loaded == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = loaded->NonDelegatingQueryInterface(iid, picture);
    if (FAILED(hr)) delete loaded;
    return hr;
}
