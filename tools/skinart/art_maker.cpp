#include "art_maker.h"

#include <QPainter>
#include <QSvgRenderer>
#include <array>
#include <memory>

#include "bmp_file.h"

namespace movanta::skinart {
namespace {

// The frames of a button strip, in the order the skin library shows them.
constexpr std::array<const char*, 4> kStates = {"normal", "pressed", "hover", "disabled"};
constexpr qreal kDisabledIconOpacity = 0.4;

struct Sources {
    QDir folder;
    std::unique_ptr<QSvgRenderer> faces;
    std::unique_ptr<QSvgRenderer> icons;
};

std::unique_ptr<QSvgRenderer> LoadSvg(const QDir& folder, const QString& name, QString& error) {
    auto renderer = std::make_unique<QSvgRenderer>(folder.filePath(name));
    if (!renderer->isValid()) {
        error = QStringLiteral("%1 is missing or not a picture").arg(name);
        return nullptr;
    }
    return renderer;
}

// The whole SVG at its own size on a transparent picture.
QImage RenderWhole(QSvgRenderer& renderer, QSize size = {}) {
    QImage image(size.isValid() ? size : renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), image.size()));
    return image;
}

// `image` flattened onto a colour: for black, premultiplied colour.
QImage Flatten(const QImage& image, const QColor& backdrop) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(backdrop);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QImage AlphaOf(const QImage& image) {
    QImage alpha(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = alpha.scanLine(y);
        for (int x = 0; x < image.width(); ++x) out[x] = uchar(qAlpha(in[x]));
    }
    return alpha;
}

bool MakeStrip(const ArtItem& item, Sources& sources, QImage& strip, QString& error) {
    if (!sources.faces || (!sources.icons && (!item.icon.isEmpty() || !item.pressedIcon.isEmpty()))) {
        error = QStringLiteral("a strip needs the faces and icons files named first");
        return false;
    }
    const QSize frame = item.size;
    strip = QImage(frame.width() * int(kStates.size()), frame.height(), QImage::Format_RGB32);
    strip.fill(item.backdrop);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (size_t state = 0; state < kStates.size(); ++state) {
        const QRectF box(QPointF(frame.width() * qreal(state), 0), QSizeF(frame));
        const QString face = item.face + QLatin1Char('-') + QLatin1String(kStates[state]);
        if (!sources.faces->elementExists(face)) {
            error = QStringLiteral("no face \"%1\"").arg(face);
            return false;
        }
        sources.faces->render(&painter, face, box);
        const bool pressed = state == 1;
        const QString& icon = pressed ? item.pressedIcon : item.icon;
        if (icon.isEmpty()) continue;
        if (!sources.icons->elementExists(icon)) {
            error = QStringLiteral("no icon \"%1\"").arg(icon);
            return false;
        }
        const qreal side = item.iconSize;
        const QPointF centre = box.center() + QPointF(0, pressed ? 1 : 0);
        painter.setOpacity(state == 3 ? kDisabledIconOpacity : 1.0);
        sources.icons->render(&painter, icon, QRectF(centre - QPointF(side / 2, side / 2), QSizeF(side, side)));
        painter.setOpacity(1.0);
    }
    return true;
}

bool Written(bool written, const QString& path, QString& error) {
    if (!written) error = QStringLiteral("cannot write %1").arg(path);
    return written;
}

bool MakeItem(const ArtItem& item, Sources& sources, const QDir& output, QString& error) {
    const QString path = output.filePath(item.output);
    if (item.kind == ArtKind::Strip) {
        QImage strip;
        if (!MakeStrip(item, sources, strip, error)) return false;
        return Written(WriteBmp24(strip, path), path, error);
    }
    const auto renderer = LoadSvg(sources.folder, item.source, error);
    if (!renderer) return false;
    switch (item.kind) {
        case ArtKind::Canvas: {
            const QImage whole = RenderWhole(*renderer);
            return Written(WriteBmp24(Flatten(whole, Qt::black), path), path, error) &&
                   Written(WriteBmp8(AlphaOf(whole), output.filePath(item.mask)), output.filePath(item.mask), error);
        }
        case ArtKind::Picture:
            return Written(WriteBmp24(Flatten(RenderWhole(*renderer), item.backdrop), path), path, error);
        case ArtKind::Png:
            return Written(RenderWhole(*renderer, item.size).save(path, "PNG"), path, error);
        case ArtKind::Strip: break;
    }
    return false;
}

}  // namespace

bool MakeArt(const Recipe& recipe, const QDir& sources, const QDir& output, QString& error) {
    Sources loaded {sources, nullptr, nullptr};
    if (!recipe.faces.isEmpty() && !(loaded.faces = LoadSvg(sources, recipe.faces, error))) return false;
    if (!recipe.icons.isEmpty() && !(loaded.icons = LoadSvg(sources, recipe.icons, error))) return false;
    for (const ArtItem& item : recipe.items) {
        if (!MakeItem(item, loaded, output, error)) {
            error = QStringLiteral("line %1 (%2): %3").arg(item.line).arg(item.output, error);
            return false;
        }
    }
    return true;
}

}  // namespace movanta::skinart
