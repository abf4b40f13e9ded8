#include "OcrSamples.h"

#include "OcrTexts.h"
#include "SampleCanvas.h"
#include "WidgetSamples.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using namespace SampleCanvas;
using OcrTexts::Locale;
using OcrTexts::Vocabulary;

namespace OcrSamples {
namespace {

QStringList families(Locale locale, const QString &style) {
    const QString script = locale == Locale::Simplified    ? QStringLiteral("zh-Hans")
                           : locale == Locale::Traditional ? QStringLiteral("zh-Hant")
                                                           : QString();
    return SampleCanvas::families(script, style);
}

QString monoFamily(Generator &g) {
    return g.pick(QStringList{QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("DejaVu Sans Mono"),
                              QStringLiteral("Liberation Mono")});
}

// Breaks a paragraph into lines no wider than width: between any two Chinese
// characters, at spaces in Latin text.
QStringList wrap(const QString &text, const QFontMetrics &metrics, int width, int firstIndent) {
    QStringList lines;
    QString line;
    QString word;
    const auto limit = [&] { return lines.isEmpty() ? width - firstIndent : width; };
    const auto flushWord = [&] {
        if (word.isEmpty())
            return;
        if (!line.isEmpty() && metrics.horizontalAdvance(line + word) > limit()) {
            lines << line.trimmed();
            line = word;
        } else {
            line += word;
        }
        word.clear();
    };
    for (const QChar c : text) {
        const bool cjk = c.unicode() >= 0x2E80;
        const bool punctuation = (c.unicode() >= 0x3000 && c.unicode() <= 0x303F) || c.unicode() >= 0xFF00;
        if (punctuation) {
            // Chinese punctuation never starts a line.
            flushWord();
            line += c;
        } else if (cjk) {
            flushWord();
            word = c;
            flushWord();
        } else if (c == u' ') {
            word += c;
            flushWord();
        } else {
            word += c;
        }
    }
    flushWord();
    if (!line.trimmed().isEmpty())
        lines << line.trimmed();
    return lines;
}

int baselineIn(const QFontMetrics &metrics, int top, int rowHeight) {
    return top + (rowHeight + metrics.ascent() - metrics.descent()) / 2;
}

Drawn paragraph(Generator &g, const Vocabulary &v, Locale locale, const Look &look, int size) {
    const QString style = locale == Locale::English ? g.pick(QStringList{QStringLiteral("sans"), QStringLiteral("serif")})
                                                    : g.pick(QStringList{QStringLiteral("sans"), QStringLiteral("sans"),
                                                                         QStringLiteral("serif"), QStringLiteral("kai")});
    const QString family = g.pick(families(locale, style));
    const QFont f = font(family, size, look);
    const QFontMetrics metrics(f);
    const bool english = locale == Locale::English;
    const QString text = g.pickDistinct(v.sentences, 2 + g.pick(3)).join(english ? QStringLiteral(" ") : QString());
    const int width = size * (english ? g.between(22, 40) : g.between(14, 30));
    const int indent = !english && g.chance(0.3) ? 2 * metrics.horizontalAdvance(QStringLiteral("中")) : 0;
    const QStringList lines = wrap(text, metrics, width, indent);
    const int lineHeight = qRound(size * (1.35 + 0.1 * g.pick(5)));
    QStringList truth;
    QString heading;
    const QFont headingFont = font(family, size + 4, look, true);
    const QFontMetrics headingMetrics(headingFont);
    if (g.chance(0.3))
        heading = g.pick(v.titles);
    const int headingHeight = heading.isEmpty() ? 0 : qRound((size + 4) * 1.8);
    const int margin = g.between(4, 14);
    const QSize content(width + 2 * margin, headingHeight + int(lines.size()) * lineHeight + 2 * margin);
    const QImage image = compose(g, look, content, [&](QPainter &p) {
        p.fillRect(QRect(QPoint(), content), look.theme.window);
        p.setPen(look.theme.text);
        if (!heading.isEmpty()) {
            p.setFont(headingFont);
            p.drawText(margin, margin + headingMetrics.ascent(), heading);
        }
        p.setFont(f);
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(margin + (i == 0 ? indent : 0), margin + headingHeight + i * lineHeight + metrics.ascent(),
                       lines.at(i));
    });
    if (!heading.isEmpty())
        truth << heading;
    truth << lines;
    return {image, truth, family};
}

Drawn code(Generator &g, const Vocabulary &v, OcrTexts::Half half, const Look &look, int size) {
    const QString family = monoFamily(g);
    const QFont f = font(family, size, look);
    const QFontMetrics metrics(f);
    QStringList lines = g.pickDistinct(OcrTexts::half(OcrTexts::codeLines, half), 3 + g.pick(4));
    if (!v.codeComments.isEmpty() && g.chance(0.7))
        lines.insert(g.pick(int(lines.size()) + 1), g.pick(v.codeComments));
    int width = 0;
    for (const QString &line : std::as_const(lines))
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = qRound(size * 1.45);
    const int margin = g.between(4, 12);
    const QSize content(width + 2 * margin + g.pick(40), int(lines.size()) * lineHeight + 2 * margin);
    const bool dark = look.theme.name == u"dark";
    const QColor background = dark ? QColor(0x28, 0x2c, 0x34) : look.theme.name == u"grey" ? QColor(0xee, 0xee, 0xee)
                                                                                          : QColor(Qt::white);
    const QList<QColor> colours = dark ? QList<QColor>{QColor(0xab, 0xb2, 0xbf), QColor(0xc6, 0x78, 0xdd),
                                                       QColor(0x98, 0xc3, 0x79), QColor(0x61, 0xaf, 0xef)}
                                       : QList<QColor>{QColor(0x24, 0x29, 0x2e), QColor(0xd7, 0x3a, 0x49),
                                                       QColor(0x03, 0x2f, 0x62), QColor(0x6f, 0x42, 0xc1)};
    const QColor comment = dark ? QColor(0x7f, 0x84, 0x8e) : QColor(0x6a, 0x73, 0x7d);
    QList<QColor> lineColours;
    for (const QString &line : std::as_const(lines)) {
        const bool isComment = line.startsWith(u'#') || line.startsWith(u"//") || line.startsWith(u"/*");
        lineColours << (isComment ? comment : colours.at(g.pick(int(colours.size()))));
    }
    const QImage image = compose(g, look, content, [&](QPainter &p) {
        p.fillRect(QRect(QPoint(), content), background);
        p.setFont(f);
        for (int i = 0; i < lines.size(); ++i) {
            p.setPen(lineColours.at(i));
            p.drawText(margin, margin + i * lineHeight + metrics.ascent(), lines.at(i));
        }
    });
    return {image, lines, family};
}

// lineCount lines, or 2 to 5.
Drawn mixed(Generator &g, const Vocabulary &v, Locale locale, const Look &look, int size, int lineCount = 0) {
    const QString family = g.pick(families(locale, QStringLiteral("sans")));
    const QFont f = font(family, size, look);
    const QFontMetrics metrics(f);
    const QStringList lines = g.pickDistinct(v.mixedLines, lineCount > 0 ? lineCount : 2 + g.pick(4));
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = qRound(size * (1.5 + 0.1 * g.pick(4)));
    const int margin = g.between(4, 12);
    const QSize content(width + 2 * margin + g.pick(30), int(lines.size()) * lineHeight + 2 * margin);
    const QImage image = compose(g, look, content, [&](QPainter &p) {
        p.fillRect(QRect(QPoint(), content), look.theme.window);
        p.setFont(f);
        p.setPen(look.theme.text);
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(margin, margin + i * lineHeight + metrics.ascent(), lines.at(i));
    });
    return {image, lines, family};
}

void drawCheckMark(QPainter &p, const QRectF &box, const QColor &colour) {
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.2, box.top() + box.height() * 0.52);
    path.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.74);
    path.lineTo(box.left() + box.width() * 0.8, box.top() + box.height() * 0.28);
    p.setPen(QPen(colour, std::max(1.5, box.width() / 7), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

Drawn menu(Generator &g, const Vocabulary &v, Locale locale, const Look &look, int size) {
    const QString family = g.pick(families(locale, QStringLiteral("sans")));
    const QFont f = font(family, size, look);
    const QFontMetrics metrics(f);
    const QStringList items = g.pickDistinct(v.menuItems, 4 + g.pick(5));
    QStringList shortcuts;
    QList<bool> checked;
    for (int i = 0; i < items.size(); ++i) {
        shortcuts << (g.chance(0.55) ? g.pick(OcrTexts::menuShortcuts) : QString());
        checked << g.chance(0.12);
    }
    const int submenu = g.chance(0.3) ? g.pick(int(items.size())) : -1;
    if (submenu >= 0)
        shortcuts[submenu].clear();
    const int rowHeight = qRound(size * (1.6 + 0.1 * g.pick(4)));
    const int gutter = qRound(size * 1.6);
    int labelWidth = 0;
    int shortcutWidth = 0;
    for (int i = 0; i < items.size(); ++i) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(items.at(i)));
        shortcutWidth = std::max(shortcutWidth, metrics.horizontalAdvance(shortcuts.at(i)));
    }
    const int width = gutter + labelWidth + 2 * size + shortcutWidth + size;
    QList<int> separatorsAfter;
    for (int i = 1; i + 1 < items.size(); ++i) {
        if (g.chance(0.2))
            separatorsAfter << i;
    }
    const int separatorHeight = qRound(size * 0.6);
    const int pad = 4;
    const int height = 2 * pad + int(items.size()) * rowHeight + int(separatorsAfter.size()) * separatorHeight;
    const int highlighted = g.chance(0.7) ? g.pick(int(items.size())) : -1;
    const QColor background = look.theme.name == u"dark" ? QColor(0x2c, 0x2c, 0x30) : look.theme.field;
    const QImage image = compose(g, look, QSize(width, height), [&](QPainter &p) {
        p.fillRect(QRect(0, 0, width, height), background);
        p.setFont(f);
        int top = pad;
        for (int i = 0; i < items.size(); ++i) {
            const int baseline = baselineIn(metrics, top, rowHeight);
            const bool active = i == highlighted;
            if (active) {
                p.setPen(Qt::NoPen);
                p.setBrush(look.theme.accent);
                p.drawRoundedRect(QRectF(3, top, width - 6, rowHeight), 4, 4);
            }
            const QColor text = active ? look.theme.accentText : look.theme.text;
            if (checked.at(i))
                drawCheckMark(p, QRectF(size * 0.4, top + rowHeight * 0.25, size * 0.8, size * 0.8), text);
            p.setPen(text);
            p.drawText(gutter, baseline, items.at(i));
            if (!shortcuts.at(i).isEmpty()) {
                p.setPen(active ? look.theme.accentText : look.theme.secondary);
                p.drawText(width - size - metrics.horizontalAdvance(shortcuts.at(i)), baseline, shortcuts.at(i));
            }
            if (i == submenu) {
                QPainterPath arrow;
                const double cx = width - size * 1.1;
                const double cy = top + rowHeight / 2.0;
                arrow.moveTo(cx - size * 0.15, cy - size * 0.3);
                arrow.lineTo(cx + size * 0.15, cy);
                arrow.lineTo(cx - size * 0.15, cy + size * 0.3);
                p.setPen(QPen(text, 1.5));
                p.setBrush(Qt::NoBrush);
                p.drawPath(arrow);
            }
            top += rowHeight;
            if (separatorsAfter.contains(i)) {
                p.setPen(QPen(look.theme.rule, 1));
                p.drawLine(QPointF(gutter / 2.0, top + separatorHeight / 2.0),
                           QPointF(width - gutter / 2.0, top + separatorHeight / 2.0));
                top += separatorHeight;
            }
        }
    });
    QStringList truth;
    for (int i = 0; i < items.size(); ++i)
        truth << (shortcuts.at(i).isEmpty() ? items.at(i) : items.at(i) + u' ' + shortcuts.at(i));
    return {image, truth, family};
}

QString tableCell(Generator &g, const Vocabulary &v, int column) {
    switch (column) {
    case 0:
        return g.pick(v.tableProducts);
    case 1:
        return QString::number(1 + g.pick(250));
    case 2:
        return QStringLiteral("%1.%2").arg(5 + g.pick(3000)).arg(g.pick(100), 2, 10, QLatin1Char('0'));
    case 3:
        return g.pick(v.tableStatus);
    default:
        return QStringLiteral("2024-%1-%2")
            .arg(1 + g.pick(12), 2, 10, QLatin1Char('0'))
            .arg(1 + g.pick(28), 2, 10, QLatin1Char('0'));
    }
}

Drawn table(Generator &g, const Vocabulary &v, Locale locale, const Look &look, int size) {
    const QString family = g.pick(families(locale, QStringLiteral("sans")));
    const QFont f = font(family, size, look);
    const QFont headerFont = font(family, size, look, g.chance(0.5));
    const QFontMetrics metrics(f);
    const int columns = 3 + g.pick(3);
    const int rows = 3 + g.pick(4);
    QList<QStringList> cells{v.tableHeaders.mid(0, columns)};
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << tableCell(g, v, c);
        cells << row;
    }
    QList<int> widths(columns, 0);
    for (const QStringList &row : std::as_const(cells)) {
        for (int c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], QFontMetrics(headerFont).horizontalAdvance(row.at(c)) + size + g.pick(size));
    }
    const int rowHeight = qRound(size * (1.6 + 0.1 * g.pick(5)));
    int width = 0;
    for (int w : std::as_const(widths))
        width += w;
    const int height = int(cells.size()) * rowHeight;
    // Full grid, rows only, or no lines; shaded alternate rows; a selected row.
    const int grid = g.pick(4);
    const bool alternate = g.chance(0.4);
    const int selected = g.chance(0.3) ? 1 + g.pick(rows) : -1;
    const QImage image = compose(g, look, QSize(width + 1, height + 1), [&](QPainter &p) {
        p.fillRect(QRect(0, 0, width + 1, height + 1), look.theme.field);
        p.fillRect(QRect(0, 0, width + 1, rowHeight), look.theme.header);
        for (int r = 1; r < cells.size(); ++r) {
            const QRect band(0, r * rowHeight, width + 1, rowHeight);
            if (r == selected)
                p.fillRect(band, look.theme.accent);
            else if (alternate && r % 2 == 0)
                p.fillRect(band, look.theme.alternate);
        }
        for (int r = 0; r < cells.size(); ++r) {
            int x = 0;
            const int baseline = baselineIn(metrics, r * rowHeight, rowHeight);
            p.setFont(r == 0 ? headerFont : f);
            p.setPen(r == selected ? look.theme.accentText : look.theme.text);
            for (int c = 0; c < columns; ++c) {
                const QString &cell = cells.at(r).at(c);
                const bool number = r > 0 && (c == 1 || c == 2);
                const int textX = number ? x + widths[c] - size / 2 - metrics.horizontalAdvance(cell) : x + size / 2;
                p.drawText(textX, baseline, cell);
                x += widths[c];
            }
        }
        p.setPen(QPen(look.theme.rule, 1));
        if (grid < 3) {
            for (int r = 0; r <= cells.size(); ++r)
                p.drawLine(QPointF(0, r * rowHeight + 0.5), QPointF(width, r * rowHeight + 0.5));
        }
        if (grid < 2) {
            int x = 0;
            for (int c = 0; c <= columns; ++c) {
                p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, height));
                if (c < columns)
                    x += widths[c];
            }
        }
    });
    QStringList truth;
    for (const QStringList &row : std::as_const(cells))
        truth << row.join(u' ');
    return {image, truth, family};
}

Drawn settings(Generator &g, const Vocabulary &v, Locale locale, const Look &look, int size) {
    const QString family = g.pick(families(locale, QStringLiteral("sans")));
    const QFont f = font(family, size, look);
    const QFont titleFont = font(family, size + 2, look, true);
    const QFontMetrics metrics(f);
    const QFontMetrics titleMetrics(titleFont);
    const QStringList labels = g.pickDistinct(v.settingLabels, 3 + g.pick(3));
    // Each row: a field with a value, a check box, or a switch.
    QList<int> kinds;
    QStringList values;
    QList<bool> on;
    for (int i = 0; i < labels.size(); ++i) {
        kinds << g.pick(3);
        values << g.pick(v.fieldValues);
        on << g.chance(0.6);
    }
    const int rowHeight = qRound(size * (2.0 + 0.1 * g.pick(4)));
    int labelWidth = 0;
    for (const QString &label : labels)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    labelWidth += 2 * size;
    int valueWidth = 0;
    for (const QString &value : std::as_const(values))
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(value) + 2 * size);
    const int margin = size;
    const QString title = g.chance(0.7) ? g.pick(v.titles) : QString();
    const int titleHeight = title.isEmpty() ? 0 : rowHeight;
    const QStringList buttons = g.pickDistinct(v.buttons, 1 + g.pick(2));
    const int width = std::max(margin + labelWidth + valueWidth + margin, margin * 2 + int(buttons.size()) * 6 * size);
    const int height = margin + titleHeight + int(labels.size()) * rowHeight + rowHeight + margin;
    const QColor fieldBorder = look.theme.rule;
    const QImage image = compose(g, look, QSize(width, height), [&](QPainter &p) {
        p.fillRect(QRect(0, 0, width, height), look.theme.window);
        if (!title.isEmpty()) {
            p.setFont(titleFont);
            p.setPen(look.theme.text);
            p.drawText(margin, margin + titleMetrics.ascent(), title);
        }
        p.setFont(f);
        for (int i = 0; i < labels.size(); ++i) {
            const int top = margin + titleHeight + i * rowHeight;
            const int baseline = baselineIn(metrics, top, rowHeight);
            if (kinds.at(i) == 1) {
                // A check box before its label.
                const QRectF box(margin, top + (rowHeight - size) / 2.0, size, size);
                p.setPen(QPen(on.at(i) ? look.theme.accent : fieldBorder, 1));
                p.setBrush(on.at(i) ? look.theme.accent : look.theme.field);
                p.drawRoundedRect(box, 3, 3);
                if (on.at(i))
                    drawCheckMark(p, box, look.theme.accentText);
                p.setPen(look.theme.text);
                p.drawText(int(box.right()) + size / 2, baseline, labels.at(i));
                continue;
            }
            p.setPen(look.theme.secondary);
            p.drawText(margin, baseline, labels.at(i));
            if (kinds.at(i) == 0) {
                const QRectF field(margin + labelWidth, top + rowHeight * 0.14, valueWidth, rowHeight * 0.72);
                p.setPen(QPen(fieldBorder, 1));
                p.setBrush(look.theme.field);
                p.drawRoundedRect(field, 4, 4);
                p.setPen(look.theme.text);
                p.drawText(int(field.left()) + size / 2, baseline, values.at(i));
            } else {
                // A switch: a rounded track with a knob.
                const QRectF track(margin + labelWidth, top + (rowHeight - size) / 2.0, size * 1.8, size);
                p.setPen(Qt::NoPen);
                p.setBrush(on.at(i) ? look.theme.accent : look.theme.rule);
                p.drawRoundedRect(track, size / 2.0, size / 2.0);
                p.setBrush(Qt::white);
                const double knob = size - 4;
                p.drawEllipse(QRectF(on.at(i) ? track.right() - knob - 2 : track.left() + 2, track.top() + 2, knob,
                                     knob));
            }
        }
        // Buttons at the bottom right; the last one is the default, filled.
        int x = width - margin;
        const int top = height - margin - rowHeight;
        for (int i = int(buttons.size()) - 1; i >= 0; --i) {
            const bool isDefault = i == int(buttons.size()) - 1;
            const int w = metrics.horizontalAdvance(buttons.at(i)) + 2 * size;
            x -= w;
            const QRectF rect(x, top + rowHeight * 0.12, w, rowHeight * 0.76);
            p.setPen(isDefault ? Qt::NoPen : QPen(fieldBorder, 1));
            p.setBrush(isDefault ? look.theme.accent : look.theme.field);
            p.drawRoundedRect(rect, 5, 5);
            p.setPen(isDefault ? look.theme.accentText : look.theme.text);
            p.drawText(x + size, baselineIn(metrics, top, rowHeight), buttons.at(i));
            x -= size / 2;
        }
    });
    QStringList truth;
    if (!title.isEmpty())
        truth << title;
    for (int i = 0; i < labels.size(); ++i)
        truth << (kinds.at(i) == 0 ? labels.at(i) + u' ' + values.at(i) : labels.at(i));
    truth << buttons.join(u' ');
    return {image, truth, family};
}

const QStringList drawnCategories{QStringLiteral("paragraph-sc"), QStringLiteral("paragraph-tc"),
                                  QStringLiteral("paragraph-en"), QStringLiteral("code"),
                                  QStringLiteral("mixed"),        QStringLiteral("menu"),
                                  QStringLiteral("table"),        QStringLiteral("settings")};

Locale localeFor(Generator &g, const QString &category) {
    if (category == u"paragraph-sc")
        return Locale::Simplified;
    if (category == u"paragraph-tc")
        return Locale::Traditional;
    if (category == u"paragraph-en")
        return Locale::English;
    const int pick = g.pick(10);
    return pick < 4 ? Locale::Simplified : pick < 7 ? Locale::Traditional : Locale::English;
}

Look lookFor(Generator &g, int index) {
    Look look;
    look.scale = index % 3 == 2 ? 2 : 1;
    look.lcd = look.scale == 1 && g.chance(0.3);
    const int theme = g.pick(10);
    look.theme = SampleCanvas::theme(theme < 5 ? QStringLiteral("light")
                                     : theme < 8 ? QStringLiteral("dark")
                                                 : QStringLiteral("grey"));
    const QList<QFont::HintingPreference> hinting{QFont::PreferNoHinting, QFont::PreferVerticalHinting,
                                                  QFont::PreferFullHinting};
    look.hinting = hinting.at(g.pick(3));
    return look;
}

Sample make(Generator &g, const QString &category, OcrTexts::Half half, int index) {
    const Look look = lookFor(g, index);
    const QList<int> sizes{12, 13, 14, 15, 16, 18, 20, 22, 24, 28};
    // Screens at 2x show the same logical sizes with twice the pixels; they
    // rarely use the largest sizes.
    const int size = sizes.at(g.pick(look.scale == 2 ? 6 : int(sizes.size())));
    const Locale locale = localeFor(g, category);
    const Vocabulary v = OcrTexts::vocabulary(locale, half);
    Drawn drawn;
    if (category.startsWith(u"paragraph"))
        drawn = paragraph(g, v, locale, look, size);
    else if (category == u"code")
        drawn = code(g, v, half, look, size);
    else if (category == u"mixed")
        drawn = mixed(g, v, locale, look, size);
    else if (category == u"menu")
        drawn = menu(g, v, locale, look, size);
    else if (category == u"table")
        drawn = table(g, v, locale, look, size);
    else if (category == u"settings")
        drawn = settings(g, v, locale, look, size);
    else
        drawn = WidgetSamples::make(g, category, v, look, size);
    Sample sample;
    sample.name = QStringLiteral("%1-%2").arg(category).arg(index, 2, 10, QLatin1Char('0'));
    sample.category = category;
    sample.image = drawn.image;
    sample.truth = drawn.truth.join(u'\n');
    // Code comments carry the script of the locale only when one was drawn.
    sample.script = v.script;
    sample.font = drawn.font;
    sample.pixelSize = size;
    sample.scale = look.scale;
    sample.theme = look.theme.name;
    sample.lcd = look.lcd;
    return sample;
}

} // namespace

QStringList categories() {
    return drawnCategories + WidgetSamples::categories();
}

std::vector<Sample> generate(Set set, int countPerCategory) {
    const OcrTexts::Half half = set == Set::Tuning ? OcrTexts::Half::Tuning : OcrTexts::Half::HeldBack;
    std::vector<Sample> samples;
    const QStringList all = categories();
    for (int c = 0; c < all.size(); ++c) {
        // A seed per category, so adding samples to one leaves the others as they were.
        Generator g((set == Set::Tuning ? 20240517u : 77123u) + 7919u * unsigned(c));
        for (int i = 0; i < countPerCategory; ++i)
            samples.push_back(make(g, all.at(c), half, i));
    }
    return samples;
}

std::vector<Sample> latencyCrops() {
    // Fixed looks at 1x in the light theme: the shapes differ, nothing else.
    Generator g(4242u);
    Look look;
    look.theme = theme(QStringLiteral("light"));
    look.hinting = QFont::PreferVerticalHinting;
    const Vocabulary sc = OcrTexts::vocabulary(Locale::Simplified, OcrTexts::Half::Tuning);
    std::vector<Sample> crops;
    const auto add = [&](const QString &name, const Drawn &drawn) {
        Sample sample;
        sample.name = name;
        sample.category = name;
        sample.image = drawn.image;
        sample.truth = drawn.truth.join(u'\n');
        sample.script = sc.script;
        sample.font = drawn.font;
        sample.pixelSize = 16;
        crops.push_back(sample);
    };
    add(QStringLiteral("line"), mixed(g, sc, Locale::Simplified, look, 16, 1));
    add(QStringLiteral("paragraph"), paragraph(g, sc, Locale::Simplified, look, 16));
    add(QStringLiteral("table"), WidgetSamples::make(g, QStringLiteral("widget-table"), sc, look, 14));
    add(QStringLiteral("menu"), WidgetSamples::make(g, QStringLiteral("widget-menu"), sc, look, 14));
    return crops;
}

} // namespace OcrSamples
