#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

// Real pixels for recognition tests: lines of text drawn with the Noto fonts
// the way a screen shows them. Needs a QGuiApplication.
namespace TextImages {

struct Style {
    QString family = QStringLiteral("Noto Sans CJK SC");
    int pixelSize = 20;
    QColor text = Qt::black;
    QColor background = Qt::white;
};

inline QImage render(const QStringList &lines, const Style &style = {}) {
    QFont font(style.family);
    font.setPixelSize(style.pixelSize);
    const QFontMetrics metrics(font);
    int width = 1;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.height() + style.pixelSize / 2;
    const int margin = style.pixelSize;
    QImage image(width + 2 * margin, int(lines.size()) * lineHeight + 2 * margin, QImage::Format_RGB32);
    image.fill(style.background);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(style.text);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(margin, margin + i * lineHeight + metrics.ascent(), lines.at(i));
    return image;
}

// The Levenshtein distance between the two texts with all white space removed,
// divided by the length of the expected one: 0 is perfect, 1 is all wrong.
inline double characterErrorRate(const QString &actual, const QString &expected) {
    const auto strip = [](const QString &text) {
        std::u32string out;
        for (char32_t c : text.toStdU32String()) {
            if (!QChar::isSpace(c))
                out.push_back(c);
        }
        return out;
    };
    const std::u32string a = strip(actual);
    const std::u32string e = strip(expected);
    if (e.empty())
        return a.empty() ? 0.0 : 1.0;
    std::vector<size_t> previous(a.size() + 1);
    std::vector<size_t> current(a.size() + 1);
    for (size_t j = 0; j <= a.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= e.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= a.size(); ++j) {
            const size_t substitution = previous[j - 1] + (e[i - 1] == a[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return double(previous[a.size()]) / double(e.size());
}

} // namespace TextImages
