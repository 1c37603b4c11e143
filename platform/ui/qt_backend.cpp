#include "ui/qt_backend.h"

#include <xcb/xcb.h>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <QtGui/qguiapplication_platform.h>

#include "gdi/gdi_objects.h"
#include "gdi/window_drawing.h"
#include "ui/cursors.h"
#include "win/debug.h"
#include "win/window_surface.h"
#include "win/window_table.h"

namespace movanta::ui {
namespace {

QRect ToQt(const RECT& rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Qt::WindowFlags FlagsOf(const win::Window& window) {
    if (window.parent != nullptr) return Qt::Widget;
    Qt::WindowFlags flags = (window.exStyle & WS_EX_TOOLWINDOW) != 0 ? Qt::Tool : Qt::Window;
    if ((window.style & WS_CAPTION) != WS_CAPTION) flags |= Qt::FramelessWindowHint;
    if ((window.exStyle & WS_EX_TOPMOST) != 0) flags |= Qt::WindowStaysOnTopHint;
    if ((window.style & WS_CAPTION) == WS_CAPTION) {
        flags |= Qt::WindowTitleHint;
        if ((window.style & WS_SYSMENU) != 0) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((window.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
        if ((window.style & WS_MAXIMIZEBOX) != 0) flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}

Qt::CursorShape ShapeOf(WORD id) {
    switch (id) {
        case 32513: return Qt::IBeamCursor;
        case 32514: return Qt::WaitCursor;
        case 32515: return Qt::CrossCursor;
        case 32642: return Qt::SizeFDiagCursor;
        case 32643: return Qt::SizeBDiagCursor;
        case 32644: return Qt::SizeHorCursor;
        case 32645: return Qt::SizeVerCursor;
        case 32646: return Qt::SizeAllCursor;
        case 32648: return Qt::ForbiddenCursor;
        case 32649: return Qt::PointingHandCursor;
        case 32650: return Qt::BusyCursor;
        default: return Qt::ArrowCursor;
    }
}

QCursor CursorOf(HCURSOR cursor) {
    if (cursor == nullptr) return QCursor(Qt::BlankCursor);
    if (const WORD id = StandardCursorId(cursor)) return QCursor(ShapeOf(id));
    const auto* icon = gdi::Live<gdi::Icon>(cursor, gdi::GdiObject::Kind::Icon);
    if (icon == nullptr) return QCursor(Qt::ArrowCursor);
    const gdi::Masked& picture = icon->picture;
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x);
            const std::uint32_t pixel = picture.pixels[i];
            image.setPixel(x, y, picture.clear[i] ? 0 : (picture.alpha ? pixel : (pixel | 0xFF000000)));
        }
    }
    return QCursor(QPixmap::fromImage(image), picture.width / 2, picture.height / 2);
}

Qt::Edges EdgesOf(LRESULT edge) {
    switch (edge) {
        case HTLEFT: return Qt::LeftEdge;
        case HTRIGHT: return Qt::RightEdge;
        case HTTOP: return Qt::TopEdge;
        case HTBOTTOM: return Qt::BottomEdge;
        case HTTOPLEFT: return Qt::TopEdge | Qt::LeftEdge;
        case HTTOPRIGHT: return Qt::TopEdge | Qt::RightEdge;
        case HTBOTTOMLEFT: return Qt::BottomEdge | Qt::LeftEdge;
        default: return Qt::BottomEdge | Qt::RightEdge;
    }
}

}  // namespace

QtBackend::QtBackend() {
    timeout_.setSingleShot(true);
}

QtBackend::~QtBackend() {
    for (auto& [window, widget] : widgets_) {
        if (widget->isWindow()) delete widget;
    }
}

WindowWidget* QtBackend::WidgetOf(HWND window) const {
    auto it = widgets_.find(window);
    return it == widgets_.end() ? nullptr : it->second;
}

void QtBackend::OnGuiThread(std::function<void()> work) {
    if (QThread::currentThread() == qApp->thread()) {
        work();
    } else {
        QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
    }
}

void QtBackend::Created(HWND window) {
    OnGuiThread([this, window] {
        const win::Window record = win::Snapshot(window);
        if (record.handle == nullptr || record.messageOnly) return;
        auto* widget = new WindowWidget(window, WidgetOf(record.parent), FlagsOf(record));
        if (record.parent == nullptr && (record.exStyle & WS_EX_LAYERED) != 0) {
            widget->setAttribute(Qt::WA_TranslucentBackground);
        }
        widget->setWindowTitle(QString::fromWCharArray(record.title.c_str()));
        widget->PlaceFromRecord(ToQt(record.rect));
        widget->setEnabled((record.style & WS_DISABLED) == 0);
        widgets_[window] = widget;
        KeepAboveOwner(*widget, record.owner);
    });
}

void QtBackend::KeepAboveOwner(WindowWidget& widget, HWND ownerWindow) {
    WindowWidget* owner = WidgetOf(ownerWindow);
    if (owner == nullptr || !widget.isWindow()) return;
    widget.winId();
    owner->winId();
    widget.windowHandle()->setTransientParent(owner->windowHandle());
}

void QtBackend::RaiseOwned(HWND owner) {
    for (const auto& [window, widget] : widgets_) {
        if (!widget->isWindow() || !widget->isVisible() || win::Snapshot(window).owner != owner) continue;
        widget->raise();
        RaiseOwned(window);
    }
}

void QtBackend::Destroyed(HWND window) {
    OnGuiThread([this, window] {
        auto it = widgets_.find(window);
        if (it == widgets_.end()) return;
        WindowWidget* widget = it->second;
        widgets_.erase(it);
        // Children and owned windows went first; Qt must not delete them again.
        delete widget;
    });
}

bool QtBackend::Composited() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return false;
    static const char kName[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(kName) - 1, kName), nullptr);
    if (atom == nullptr) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composited = owner != nullptr && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return composited;
}

void QtBackend::LimitDesktopSizing(WindowWidget& widget, const win::Window& record) {
    // The desktop's own frame sizes a framed window without asking: it gets
    // the procedure's limits beforehand.
    if ((record.style & WS_CAPTION) != WS_CAPTION || (record.style & WS_THICKFRAME) == 0) return;
    ApplySizeLimits(widget, QSize(record.rect.right - record.rect.left, record.rect.bottom - record.rect.top));
}

void QtBackend::ApplySizeLimits(WindowWidget& widget, QSize current) {
    const MINMAXINFO limits = win::QueryMinMaxInfo(widget.Handle());
    widget.setMinimumSize(std::min<int>(limits.ptMinTrackSize.x, current.width()),
                          std::min<int>(limits.ptMinTrackSize.y, current.height()));
    widget.setMaximumSize(std::clamp<LONG>(limits.ptMaxTrackSize.x, current.width(), QWIDGETSIZE_MAX),
                          std::clamp<LONG>(limits.ptMaxTrackSize.y, current.height(), QWIDGETSIZE_MAX));
}

void QtBackend::SyncLayering(WindowWidget& widget) {
    const win::Layering layering = win::LayeringOf(widget.Handle());
    const bool composited = !layering.perPixel || Composited();
    if (!composited && !toldNoCompositing_) {
        toldNoCompositing_ = true;
        OutputDebugStringA(
            "movanta: the desktop has no compositing manager; per-pixel transparent windows are cut to their opaque "
            "pixels\n");
    }
    widget.SetPerPixel(layering.perPixel, composited);
    if (widget.isWindow()) widget.setWindowOpacity(layering.alpha / 255.0);
}

void QtBackend::Sync(WindowWidget& widget, unsigned changes) {
    const win::Window record = win::Snapshot(widget.Handle());
    if (record.handle == nullptr) return;
    if ((changes & kStyle) != 0 && widget.isWindow()) {
        const Qt::WindowFlags flags = FlagsOf(record);
        const bool layered = (record.exStyle & WS_EX_LAYERED) != 0;
        if (flags != widget.windowFlags() || layered != widget.testAttribute(Qt::WA_TranslucentBackground)) {
            widget.Rebuild(flags, layered);
            KeepAboveOwner(widget, record.owner);
            changes |= kVisibility | kGeometry;
        }
    }
    if ((changes & (kGeometry | kVisibility)) != 0 && widget.isWindow() && (record.style & WS_VISIBLE) != 0) {
        LimitDesktopSizing(widget, record);
    }
    if ((changes & kGeometry) != 0) widget.PlaceFromRecord(ToQt(record.rect));
    if ((changes & kTitle) != 0) widget.setWindowTitle(QString::fromWCharArray(record.title.c_str()));
    if ((changes & (kEnabled | kStyle)) != 0) widget.setEnabled((record.style & WS_DISABLED) == 0);
    if ((changes & kStyle) != 0) widget.setAcceptDrops((record.exStyle & WS_EX_ACCEPTFILES) != 0);
    if ((changes & (kOpacity | kStyle)) != 0) SyncLayering(widget);
    if ((changes & kShape) != 0) {
        QRegion shape;
        for (const RECT& rect : record.shape) shape += ToQt(rect);
        widget.SetShape(record.shaped ? (shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape) : QRegion());
    }
    if ((changes & kZOrder) != 0) {
        const std::vector<HWND>& siblings =
            record.parent != nullptr ? win::Snapshot(record.parent).children : std::vector<HWND> {};
        for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
            if (WindowWidget* sibling = WidgetOf(*it)) sibling->raise();
        }
        if (record.parent == nullptr) {
            widget.raise();
            RaiseOwned(widget.Handle());
        }
    }
    if ((changes & (kVisibility | kStyle)) != 0) {
        const bool visible = (record.style & WS_VISIBLE) != 0;
        if (!visible) {
            widget.hide();
        } else if ((record.style & WS_MINIMIZE) != 0 && widget.isWindow()) {
            widget.showMinimized();
        } else {
            if (widget.isWindow() && widget.isMinimized()) widget.setWindowState(Qt::WindowNoState);
            widget.show();
            if (widget.isWindow()) RaiseOwned(widget.Handle());
        }
    }
}

void QtBackend::Changed(HWND window, unsigned changes) {
    OnGuiThread([this, window, changes] {
        if (WindowWidget* widget = WidgetOf(window)) Sync(*widget, changes);
    });
}

void QtBackend::Present(HWND window, const RECT& area) {
    OnGuiThread([this, window, area] {
        if (WindowWidget* widget = WidgetOf(window)) widget->Refresh(ToQt(area));
    });
}

void QtBackend::CaptureChanged(HWND capture) {
    OnGuiThread([this, capture] {
        if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
        WindowWidget* widget = WidgetOf(capture);
        if (widget != nullptr && widget->isVisible()) widget->grabMouse();
    });
}

void QtBackend::CursorChanged(HCURSOR cursor) {
    OnGuiThread([this, cursor] {
        const QCursor shape = CursorOf(cursor);
        for (auto& [window, widget] : widgets_) widget->setCursor(shape);
    });
}

POINT QtBackend::CursorPosition() {
    const QPoint point = QCursor::pos();
    return {point.x(), point.y()};
}

RECT QtBackend::WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {0, 0, 1024, 768};
    const QRect area = screen->availableGeometry();
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

void QtBackend::Activate(HWND window) {
    OnGuiThread([this, window] {
        WindowWidget* widget = WidgetOf(window);
        if (widget == nullptr) return;
        widget->raise();
        RaiseOwned(window);
        widget->activateWindow();
        // Qt asks the X server for the focus with the time of the last event
        // this process saw; when another program took the focus since (a
        // second start asking this window forward), the server ignores
        // that. The request is made again for the present time.
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 != nullptr && x11->connection() != nullptr && widget->isWindow() && widget->isVisible()) {
            xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(widget->winId()),
                                XCB_CURRENT_TIME);
            xcb_flush(x11->connection());
        }
    });
}

void QtBackend::ShowPicture(HWND window, const RECT& area, WindowPicture picture) {
    // The pixels travel with the call to the desktop's thread, where the
    // window's widget shows them.
    auto shared = std::make_shared<WindowPicture>(std::move(picture));
    OnGuiThread([this, window, area, shared] {
        WindowWidget* widget = WidgetOf(window);
        if (widget == nullptr) return;
        if (shared->width <= 0 || shared->height <= 0 ||
            shared->pixels.size() < static_cast<size_t>(shared->width) * static_cast<size_t>(shared->height)) {
            widget->ShowPicture(QImage(), QRect());
            return;
        }
        const QImage image(reinterpret_cast<const uchar*>(shared->pixels.data()), shared->width, shared->height,
                           shared->width * 4, QImage::Format_RGB32);
        widget->ShowPicture(image.copy(), ToQt(area));
    });
}

void QtBackend::StartSystemMove(HWND window) {
    if (moveObserver) moveObserver(window, HTCAPTION);
    WindowWidget* widget = WidgetOf(window);
    if (widget == nullptr || widget->windowHandle() == nullptr) return;
    if (!widget->windowHandle()->startSystemMove()) widget->FollowMouse({});
}

void QtBackend::StartSystemResize(HWND window, LRESULT edge) {
    if (moveObserver) moveObserver(window, edge);
    WindowWidget* widget = WidgetOf(window);
    if (widget == nullptr || widget->windowHandle() == nullptr) return;
    ApplySizeLimits(*widget, widget->size());
    if (!widget->windowHandle()->startSystemResize(EdgesOf(edge))) widget->FollowMouse(EdgesOf(edge));
}

void QtBackend::ProcessEvents(DWORD timeout) {
    if (timeout == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (timeout != INFINITE) timeout_.start(static_cast<int>(std::min<DWORD>(timeout, 0x7FFFFFFF)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    timeout_.stop();
}

void QtBackend::Wake() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(qApp->thread())) {
        dispatcher->wakeUp();
    }
}

}  // namespace movanta::ui
