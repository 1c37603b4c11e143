#include "ui/window_widget.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include <QMimeData>
#include <QUrl>
#include <string>
#include <vector>

#include "gdi/gdi_objects.h"
#include "gdi/window_drawing.h"
#include "ui/drop.h"
#include "win/window_backend.h"

namespace movanta::ui {
namespace {

std::vector<std::wstring> LocalFiles(const QMimeData* data) {
    std::vector<std::wstring> files;
    if (data == nullptr) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdWString());
    }
    return files;
}

WPARAM KeysOf(const QMouseEvent& event) {
    WPARAM keys = 0;
    if ((event.buttons() & Qt::LeftButton) != 0) keys |= MK_LBUTTON;
    if ((event.buttons() & Qt::RightButton) != 0) keys |= MK_RBUTTON;
    if ((event.buttons() & Qt::MiddleButton) != 0) keys |= MK_MBUTTON;
    if ((event.modifiers() & Qt::ShiftModifier) != 0) keys |= MK_SHIFT;
    if ((event.modifiers() & Qt::ControlModifier) != 0) keys |= MK_CONTROL;
    return keys;
}

QImage ImageOf(const gdi::Bitmap& surface, bool alpha) {
    return QImage(surface.bits.get(), surface.width, surface.height, static_cast<qsizetype>(surface.stride),
                  alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

// The pixels with any opacity, as rectangles merged row by row.
QRegion OpaquePixels(const gdi::Bitmap& surface) {
    QRegion region;
    for (int y = 0; y < surface.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(surface.Row(y));
        int x = 0;
        while (x < surface.width) {
            while (x < surface.width && (row[x] >> 24) == 0) ++x;
            const int start = x;
            while (x < surface.width && (row[x] >> 24) != 0) ++x;
            if (x > start) region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

}  // namespace

WindowWidget::WindowWidget(HWND window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), window_(window) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
}

void WindowWidget::Rebuild(Qt::WindowFlags flags, bool translucent) {
    hide();
    destroy();
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setWindowFlags(flags);
}

void WindowWidget::PlaceFromRecord(const QRect& rect) {
    placing_ = true;
    setGeometry(rect);
    placing_ = false;
}

void WindowWidget::SetPerPixel(bool perPixel, bool composited) {
    perPixel_ = perPixel;
    cutOut_ = perPixel && !composited;
    UpdateCutOut();
    update();
}

void WindowWidget::SetShape(const QRegion& shape) {
    shape_ = shape;
    UpdateCutOut();
}

void WindowWidget::Refresh(const QRect& area) {
    if (cutOut_) UpdateCutOut();
    update(area);
    if (!perPixel_) return;
    // The children show this window's picture (see paintEvent): those under
    // the area show it anew.
    for (WindowWidget* child : findChildren<WindowWidget*>()) {
        if (child->isWindow()) continue;
        const QRect part = area.intersected(QRect(child->mapTo(this, QPoint(0, 0)), child->size()));
        if (!part.isEmpty()) child->update(part.translated(-child->mapTo(this, QPoint(0, 0))));
    }
}

namespace {

// The picture a video renderer shows over a window.
class PictureOverlay final : public QWidget {
public:
    explicit PictureOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void Set(const QImage& picture) {
        picture_ = picture;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), picture_);
    }

private:
    QImage picture_;
};

}  // namespace

void WindowWidget::ShowPicture(const QImage& picture, const QRect& area) {
    if (picture.isNull() || area.isEmpty()) {
        if (picture_ != nullptr) picture_->hide();
        return;
    }
    if (picture_ == nullptr) picture_ = new PictureOverlay(this);
    picture_->setGeometry(area);
    static_cast<PictureOverlay*>(picture_)->Set(picture);
    picture_->raise();
    picture_->show();
}

void WindowWidget::FollowMouse(Qt::Edges edges) {
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) == 0) return;  // the press is over already
    following_ = true;
    edges_ = edges;
    pressedAt_ = QCursor::pos();
    startGeometry_ = geometry();
    grabMouse();
}

void WindowWidget::UpdateCutOut() {
    QRegion mask = shape_;
    if (cutOut_) {
        if (const gdi::Bitmap* surface = gdi::SurfaceOf(window_)) {
            const QRegion opaque = OpaquePixels(*surface);
            mask = mask.isEmpty() ? opaque : mask.intersected(opaque);
        }
    }
    if (mask.isEmpty()) {
        clearMask();
    } else {
        setMask(mask);
    }
}

void WindowWidget::paintEvent(QPaintEvent* event) {
    // As on the system this stands for, a child of a per-pixel layered
    // window shows nothing of its own: it takes the mouse, and its pixels
    // are the ones the layered window presents.
    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (const auto* top = dynamic_cast<const WindowWidget*>(window()); top != this && top != nullptr && top->perPixel_) {
        if (const gdi::Bitmap* presented = gdi::SurfaceOf(top->window_)) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(0, 0), ImageOf(*presented, true), QRect(mapTo(top, QPoint(0, 0)), size()));
        }
        return;
    }
    const gdi::Bitmap* surface = gdi::SurfaceOf(window_);
    if (surface == nullptr) {
        // Nothing drawn yet (controls never draw): the face colour, or clear.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), perPixel_ ? QColor(Qt::transparent) : palette().color(QPalette::Window));
        return;
    }
    if (perPixel_) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, ImageOf(*surface, true));
        return;
    }
    if (!testAttribute(Qt::WA_TranslucentBackground)) {
        painter.drawImage(0, 0, ImageOf(*surface, false));
        return;
    }
    // A layered window painted normally (constant opacity) is opaque
    // whatever its pixels' alpha bytes hold (drawing from 24 bits leaves
    // them 0), and the translucent backing store would keep those bytes.
    const QRect area = event->rect().intersected(QRect(0, 0, surface->width, surface->height));
    QImage opaque = ImageOf(*surface, false).copy(area).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x) row[x] |= 0xFF000000u;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area.topLeft(), opaque);
}

void WindowWidget::Deliver(UINT message, QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    const bool right = event->button() == Qt::RightButton;
    if (message != WM_MOUSEMOVE && right) message += WM_RBUTTONDOWN - WM_LBUTTONDOWN;
    if (message != WM_MOUSEMOVE && event->button() != Qt::LeftButton && !right) return;
    win::DeliverMouse(window_, message, {global.x(), global.y()}, KeysOf(*event));
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
    Deliver(WM_LBUTTONDOWN, event);
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (following_) {
        following_ = false;
        releaseMouse();
        return;
    }
    Deliver(WM_LBUTTONUP, event);
}

void WindowWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Deliver(WM_LBUTTONDBLCLK, event);
}

void WindowWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!following_) {
        Deliver(WM_MOUSEMOVE, event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - pressedAt_;
    QRect target = startGeometry_;
    if (edges_ == Qt::Edges {}) {
        target.translate(delta);
    } else {
        if ((edges_ & Qt::LeftEdge) != 0) target.setLeft(std::min(target.left() + delta.x(), target.right()));
        if ((edges_ & Qt::RightEdge) != 0) target.setRight(std::max(target.right() + delta.x(), target.left()));
        if ((edges_ & Qt::TopEdge) != 0) target.setTop(std::min(target.top() + delta.y(), target.bottom()));
        if ((edges_ & Qt::BottomEdge) != 0) target.setBottom(std::max(target.bottom() + delta.y(), target.top()));
    }
    setGeometry(target);
}

void WindowWidget::leaveEvent(QEvent*) {
    if (isWindow()) win::DeliverMouseLeave();
}

void WindowWidget::ReportPlacement() {
    if (placing_ || !isWindow()) return;
    const QRect rect = geometry();
    win::DesktopPlaced(window_, {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
}

void WindowWidget::moveEvent(QMoveEvent*) {
    ReportPlacement();
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    ReportPlacement();
}

void WindowWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow()) {
        win::DesktopActivated(window_);
    }
    QWidget::changeEvent(event);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The desktop's close button asks the window, which decides.
    event->ignore();
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    WPARAM key = 0;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: key = 0x0D; break;
        case Qt::Key_Escape: key = 0x1B; break;
        case Qt::Key_Tab: key = 0x09; break;
        case Qt::Key_Space: key = 0x20; break;
        default: break;
    }
    if (key != 0) PostMessageW(window_, WM_KEYDOWN, key, 1);
    for (const QChar c : event->text()) {
        if (c.isPrint()) PostMessageW(window_, WM_CHAR, c.unicode(), 1);
    }
}

}  // namespace movanta::ui

namespace movanta::ui {

void WindowWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void WindowWidget::dropEvent(QDropEvent* event) {
    std::vector<std::wstring> files = LocalFiles(event->mimeData());
    if (files.empty()) return;
    const QPoint at = event->position().toPoint();
    PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(std::move(files), {at.x(), at.y()})), 0);
    event->acceptProposedAction();
}

}  // namespace movanta::ui
