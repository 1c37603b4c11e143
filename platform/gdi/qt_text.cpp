#include "gdi/qt_text.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

namespace movanta::gdi {
namespace {

constexpr int kDefaultCharacterHeight = 13;  // about 10 points at 96 dpi

std::atomic<ApplicationMaker> gMaker {nullptr};

}  // namespace

void SetApplicationMaker(ApplicationMaker maker) {
    gMaker.store(maker);
}

void EnsureGui() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QGuiApplication::instance() != nullptr) return;
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "movanta";
        static char* argv[] = {name, nullptr};
        // The application lives as long as the process.
        if (ApplicationMaker maker = gMaker.load()) {
            maker(argc, argv);
        } else {
            new QGuiApplication(argc, argv);
        }
    });
}

QFont DefaultFont() {
    EnsureGui();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kDefaultCharacterHeight);
    return font;
}

QFont MakeFont(const LOGFONTW& logFont) {
    EnsureGui();
    QFont font = DefaultFont();
    size_t length = 0;
    while (length < LF_FACESIZE && logFont.lfFaceName[length] != 0) ++length;
    if (length > 0)
        font.setFamily(
            QString::fromUcs4(reinterpret_cast<const char32_t*>(logFont.lfFaceName), static_cast<qsizetype>(length)));
    if (logFont.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp<LONG>(logFont.lfWeight, 100, 900)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    if (logFont.lfQuality == ANTIALIASED_QUALITY) font.setStyleStrategy(QFont::PreferAntialias);
    if (logFont.lfQuality == NONANTIALIASED_QUALITY) font.setStyleStrategy(QFont::NoAntialias);
    const LONG height = logFont.lfHeight;
    if (height < 0) {
        font.setPixelSize(static_cast<int>(std::min<LONG>(-height, 1000)));
    } else if (height > 0) {
        // The cell height: the largest pixel size whose line is no taller.
        int size = static_cast<int>(std::min<LONG>(height, 1000));
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > height) font.setPixelSize(--size);
    }
    return font;
}

QImage CopyOut(const Bitmap& bitmap, const QRect& area) {
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) line[x] = 0xFF000000 | bitmap.Read(area.x() + x, area.y() + y);
    }
    return image;
}

void CopyIn(Bitmap& bitmap, const QRect& area, const QImage& image) {
    for (int y = 0; y < area.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const Pixel old = bitmap.Read(area.x() + x, area.y() + y);
            bitmap.Write(area.x() + x, area.y() + y, (old & 0xFF000000) | (line[x] & 0x00FFFFFF));
        }
    }
}

}  // namespace movanta::gdi
