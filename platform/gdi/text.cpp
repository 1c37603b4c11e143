// Fonts and DrawTextW.
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include "gdi/pixel_ops.h"
#include "gdi/qt_text.h"

using namespace movanta::gdi;

namespace {

// The text as it is shown: "&" prefixes taken out unless DT_NOPREFIX.
QString Shown(const WCHAR* text, int count, UINT format) {
    QString shown = QString::fromUcs4(reinterpret_cast<const char32_t*>(text), count);
    if (format & DT_NOPREFIX) return shown;
    QString out;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'&' && i + 1 < shown.size()) ++i;
        out += shown[i];
    }
    return out;
}

// Breaks words onto lines no wider than `width` where they can be.
QStringList Wrap(const QString& paragraph, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : paragraph.split(u' ')) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    lines << line;
    return lines;
}

QString Ellipsis(const QString& line, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(line) <= width) return line;
    QString cut = line;
    while (!cut.isEmpty() && metrics.horizontalAdvance(cut + QStringLiteral("...")) > width) cut.chop(1);
    return cut + QStringLiteral("...");
}

QStringList Lines(const QString& text, UINT format, const QFontMetrics& metrics, int width) {
    if (format & DT_SINGLELINE) {
        QString line = text;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        return {line};
    }
    QStringList lines;
    for (QString paragraph : text.split(u'\n')) {
        paragraph.remove(u'\r');
        if (format & DT_WORDBREAK) {
            lines << Wrap(paragraph, metrics, width);
        } else {
            lines << paragraph;
        }
    }
    return lines;
}

}  // namespace

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
    if (logFont == nullptr) return nullptr;
    return Register<HFONT>(new Font(*logFont, MakeFont(*logFont)));
}

int DrawTextW(HDC handle, const WCHAR* text, int count, RECT* rect, UINT format) {
    Dc* dc = Live<Dc>(handle, GdiObject::Kind::Dc);
    if (dc == nullptr || text == nullptr || rect == nullptr) return 0;
    if (count < 0) {
        count = 0;
        while (text[count] != 0) ++count;
    }
    const Font* selected = Live<Font>(dc->font, GdiObject::Kind::Font);
    const QFont font = selected != nullptr ? selected->font : DefaultFont();
    const QFontMetrics metrics(font);
    const int width = rect->right - rect->left;
    QStringList lines = Lines(Shown(text, count, format), format, metrics, width);
    if (format & DT_END_ELLIPSIS) {
        for (QString& line : lines) line = Ellipsis(line, metrics, width);
    }
    const int lineHeight = metrics.height();
    const int height = lineHeight * static_cast<int>(lines.size());
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));

    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect->top + (rect->bottom - rect->top - height) / 2;
        if (format & DT_BOTTOM) top = rect->bottom - height;
    }
    const int answer =
        (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect->top + height : height;
    if (format & DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return answer;
    }
    PaintOn(*dc->bitmap, QRect(rect->left, rect->top, width, rect->bottom - rect->top), [&](QPainter& painter) {
        painter.setFont(font);
        const COLORREF colour = dc->textColour;
        painter.setPen(QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int lineWidth = metrics.horizontalAdvance(lines[i]);
            int left = rect->left;
            if (format & DT_CENTER) left = rect->left + (width - lineWidth) / 2;
            if (format & DT_RIGHT) left = rect->right - lineWidth;
            const int lineTop = top + lineHeight * static_cast<int>(i);
            if (dc->backgroundMode == OPAQUE) painter.fillRect(QRect(left, lineTop, lineWidth, lineHeight), Qt::white);
            painter.drawText(QPoint(left, lineTop + metrics.ascent()), lines[i]);
        }
    });
    return answer;
}
