#include "recipe.h"

#include <QRegularExpression>
#include <cstring>

namespace movanta::skinart {
namespace {

constexpr int kLargestSide = 4096;

bool IsName(const QString& word, const char* extension) {
    return word.endsWith(QLatin1String(extension), Qt::CaseInsensitive) && !word.contains(QLatin1Char('/')) &&
           word.size() > int(std::strlen(extension));
}

std::optional<QSize> ParseSize(const QString& word) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4})x(\\d{1,4})$"));
    const QRegularExpressionMatch match = pattern.match(word);
    if (!match.hasMatch()) return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestSide || size.height() > kLargestSide)
        return std::nullopt;
    return size;
}

std::optional<QColor> ParseColour(const QString& word) {
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!pattern.match(word).hasMatch()) return std::nullopt;
    return QColor(word);
}

QString IconOf(const QString& word) { return word == QLatin1String("-") ? QString() : word; }

// One line's words into an item; an empty string when they fit.
QString ParseItem(const QStringList& words, ArtItem& item) {
    const QString& kind = words[0];
    if (kind == QLatin1String("canvas")) {
        if (words.size() != 4) return QStringLiteral("canvas takes NAME.bmp MASK.bmp SOURCE.svg");
        if (!IsName(words[1], ".bmp") || !IsName(words[2], ".bmp") || !IsName(words[3], ".svg"))
            return QStringLiteral("canvas names two .bmp files and an .svg file");
        item.kind = ArtKind::Canvas;
        item.output = words[1];
        item.mask = words[2];
        item.source = words[3];
        return {};
    }
    if (kind == QLatin1String("picture")) {
        const auto colour = words.size() == 4 ? ParseColour(words[3]) : std::nullopt;
        if (!colour || !IsName(words[1], ".bmp") || !IsName(words[2], ".svg"))
            return QStringLiteral("picture takes NAME.bmp SOURCE.svg #RRGGBB");
        item.kind = ArtKind::Picture;
        item.output = words[1];
        item.source = words[2];
        item.backdrop = *colour;
        return {};
    }
    if (kind == QLatin1String("strip")) {
        if (words.size() != 7) return QStringLiteral("strip takes NAME.bmp WIDTHxHEIGHT #RRGGBB FACE ICON ICONSIZE");
        const auto size = ParseSize(words[2]);
        const auto colour = ParseColour(words[3]);
        bool numeric = false;
        const int iconSize = words[6].toInt(&numeric);
        if (!IsName(words[1], ".bmp") || !size || !colour || !numeric || iconSize < 0 || iconSize > kLargestSide)
            return QStringLiteral("strip takes NAME.bmp WIDTHxHEIGHT #RRGGBB FACE ICON ICONSIZE");
        const QStringList icons = words[5].split(QLatin1Char('/'));
        if (icons.size() > 2) return QStringLiteral("an icon is ICON or NORMAL/PRESSED");
        item.kind = ArtKind::Strip;
        item.output = words[1];
        item.size = *size;
        item.backdrop = *colour;
        item.face = words[4];
        item.icon = IconOf(icons[0]);
        item.pressedIcon = IconOf(icons.size() == 2 ? icons[1] : icons[0]);
        item.iconSize = iconSize;
        return {};
    }
    if (kind == QLatin1String("png")) {
        bool numeric = false;
        const int side = words.size() == 4 ? words[2].toInt(&numeric) : 0;
        if (!numeric || side < 1 || side > kLargestSide || !IsName(words[1], ".png") || !IsName(words[3], ".svg"))
            return QStringLiteral("png takes NAME.png SIZE SOURCE.svg");
        item.kind = ArtKind::Png;
        item.output = words[1];
        item.source = words[3];
        item.size = QSize(side, side);
        return {};
    }
    return QStringLiteral("unknown kind \"%1\"").arg(kind);
}

}  // namespace

std::optional<Recipe> ParseRecipe(const QString& text, QString& error) {
    Recipe recipe;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QString problem;
        if (words[0] == QLatin1String("faces") || words[0] == QLatin1String("icons")) {
            if (words.size() != 2 || !IsName(words[1], ".svg")) {
                problem = QStringLiteral("%1 takes one .svg file").arg(words[0]);
            } else {
                (words[0] == QLatin1String("faces") ? recipe.faces : recipe.icons) = words[1];
            }
        } else {
            ArtItem item;
            problem = ParseItem(words, item);
            item.line = i + 1;
            if (problem.isEmpty()) recipe.items.push_back(item);
        }
        if (!problem.isEmpty()) {
            error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
            return std::nullopt;
        }
    }
    return recipe;
}

}  // namespace movanta::skinart
