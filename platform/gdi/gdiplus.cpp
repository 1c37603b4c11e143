#include "gdi/gdiplus.h"

#include <QPainter>
#include <atomic>

#include "gdi/pixel_ops.h"
#include "gdi/qt_text.h"

using namespace movanta::gdi;

namespace Gdiplus {
namespace {

std::atomic<ULONG_PTR> g_sessions {0};

}  // namespace

struct Image::Pixels {
    QImage image;
};

// Where a Graphics draws: an image of its own, or a device context's bitmap
// (each drawing copies the part it touches out and back).
struct Graphics::Target {
    Image* image = nullptr;
    HDC dc = nullptr;

    template <class Draw>
    Status Paint(const QRect& touched, Draw draw) {
        if (image != nullptr) {
            QPainter painter(&image->pixels_->image);
            draw(painter);
            return Ok;
        }
        Dc* context = Live<Dc>(dc, GdiObject::Kind::Dc);
        if (context == nullptr) return InvalidParameter;
        PaintOn(*context->bitmap, touched, draw);
        return Ok;
    }
};

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput*) {
    if (token == nullptr || input == nullptr) return InvalidParameter;
    if (input->GdiplusVersion != 1) return GenericError;
    EnsureGui();
    *token = ++g_sessions;
    return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

Image::Image() : pixels_(std::make_unique<Pixels>()) {}
Image::~Image() = default;

UINT Image::GetWidth() const {
    return static_cast<UINT>(pixels_->image.width());
}

UINT Image::GetHeight() const {
    return static_cast<UINT>(pixels_->image.height());
}

Bitmap::Bitmap(HBITMAP bitmap, HPALETTE) {
    const movanta::gdi::Bitmap* source = Live<movanta::gdi::Bitmap>(bitmap, GdiObject::Kind::Bitmap);
    if (source == nullptr) {
        status_ = InvalidParameter;
        return;
    }
    pixels_->image = CopyOut(*source, QRect(0, 0, source->width, source->height));
}

Graphics::Graphics(HDC dc) : target_(std::make_unique<Target>()) {
    target_->dc = dc;
}

Graphics::Graphics(Image* image) : target_(std::make_unique<Target>()) {
    target_->image = image;
}

Graphics::~Graphics() = default;

Status Graphics::DrawImage(Image* image, const Rect& destination, INT sx, INT sy, INT sw, INT sh, Unit unit) {
    if (image == nullptr || unit != UnitPixel || destination.Width <= 0 || destination.Height <= 0 || sw <= 0 ||
        sh <= 0)
        return InvalidParameter;
    const QRect to(destination.X, destination.Y, destination.Width, destination.Height);
    const QImage& pixels = image->pixels_->image;
    return target_->Paint(to, [&](QPainter& painter) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, to.size() != QSize(sw, sh));
        painter.drawImage(to, pixels, QRect(sx, sy, sw, sh));
    });
}

Status Graphics::DrawImage(Image* image, INT x, INT y) {
    if (image == nullptr) return InvalidParameter;
    const auto width = static_cast<INT>(image->GetWidth());
    const auto height = static_cast<INT>(image->GetHeight());
    return DrawImage(image, Rect(x, y, width, height), 0, 0, width, height, UnitPixel);
}

Status Graphics::DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2) {
    if (pen == nullptr) return InvalidParameter;
    const QRect touched = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized().adjusted(-2, -2, 2, 2);
    return target_->Paint(touched, [&](QPainter& painter) {
        QPen line(QColor::fromRgba(pen->GetColor().GetValue()));
        line.setWidthF(pen->GetWidth() <= 1.0f ? 0.0 : pen->GetWidth());  // 0: one pixel, whatever the scale
        painter.setPen(line);
        painter.drawLine(x1, y1, x2, y2);
    });
}

}  // namespace Gdiplus
