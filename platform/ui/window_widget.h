// The Qt widget that shows one window: it paints the window's surface and
// turns the desktop's input, moves and activation into the window layer's
// messages.
#pragma once

#include <QWidget>

#include "win/winuser.h"

namespace movanta::ui {

class WindowWidget final : public QWidget {
public:
    WindowWidget(HWND window, QWidget* parent, Qt::WindowFlags flags);

    HWND Handle() const { return window_; }
    // New window flags or translucency: the native window is made again,
    // hidden, since its visual is chosen when it is made.
    void Rebuild(Qt::WindowFlags flags, bool translucent);
    // Geometry set from the window record, not reported back as a desktop move.
    void PlaceFromRecord(const QRect& rect);
    // Per-pixel opacity: the surface's alpha is shown, or without a
    // compositing manager, the window is cut to its opaque pixels.
    void SetPerPixel(bool perPixel, bool composited);
    // A region the window is clipped to (empty: none).
    void SetShape(const QRegion& shape);
    // The window's picture changed; refreshes the cut-out when there is one.
    void Refresh(const QRect& area);
    // A picture over `area`, above the window's own pixels and children (a
    // null picture takes it away); the mouse passes through it.
    void ShowPicture(const QImage& picture, const QRect& area);
    // Moves (no edges) or sizes the window with the mouse until the button
    // is released, for desktops without their own interactive move.
    void FollowMouse(Qt::Edges edges);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Deliver(UINT message, QMouseEvent* event);
    void ReportPlacement();
    void UpdateCutOut();

    HWND window_;
    bool placing_ = false;
    bool following_ = false;
    Qt::Edges edges_;
    QPoint pressedAt_;
    QRect startGeometry_;
    bool perPixel_ = false;
    bool cutOut_ = false;  // per-pixel without compositing: a mask of the opaque pixels
    QRegion shape_;
    QWidget* picture_ = nullptr;  // shows the picture of ShowPicture, made with the first
};

}  // namespace movanta::ui
