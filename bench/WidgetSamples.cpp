#include "WidgetSamples.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

using namespace SampleCanvas;
using OcrTexts::Vocabulary;

namespace WidgetSamples {
namespace {

QPalette paletteOf(const Theme &t) {
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, t.window);
        palette.setColor(group, QPalette::WindowText, t.text);
        palette.setColor(group, QPalette::Base, t.field);
        palette.setColor(group, QPalette::AlternateBase, t.alternate);
        palette.setColor(group, QPalette::Text, t.text);
        palette.setColor(group, QPalette::Button, t.header);
        palette.setColor(group, QPalette::ButtonText, t.text);
        palette.setColor(group, QPalette::Highlight, t.accent);
        palette.setColor(group, QPalette::HighlightedText, t.accentText);
        palette.setColor(group, QPalette::PlaceholderText, t.secondary);
        palette.setColor(group, QPalette::Light, t.field.lighter(110));
        palette.setColor(group, QPalette::Midlight, t.rule.lighter(110));
        palette.setColor(group, QPalette::Mid, t.rule);
        palette.setColor(group, QPalette::Dark, t.rule.darker(130));
        palette.setColor(group, QPalette::Shadow, QColor(0, 0, 0, 90));
        palette.setColor(group, QPalette::Link, t.accent);
    }
    return palette;
}

// Lays the widget out at its preferred size and draws it like a screen does.
Drawn render(Generator &g, const Look &look, QWidget &widget, const QStringList &truth, const QString &family,
             QSize size = {}) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    widget.resize(size.isValid() ? size : widget.sizeHint());
    if (widget.layout())
        widget.layout()->activate();
    QApplication::processEvents();
    const QImage image = compose(g, look, widget.size(), [&](QPainter &p) {
        widget.render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    });
    widget.hide();
    return {image, truth, family};
}

template <typename W> void prepare(W &widget, const Look &look, const QFont &font) {
    widget.setPalette(paletteOf(look.theme));
    widget.setFont(font);
    widget.setAutoFillBackground(true);
}

Drawn dialog(Generator &g, const Vocabulary &v, const Look &look, int size, const QString &family) {
    QWidget widget;
    prepare(widget, look, font(family, size, look));
    QStringList truth;
    auto *layout = new QVBoxLayout(&widget);
    if (g.chance(0.6)) {
        auto *title = new QLabel(g.pick(v.titles));
        title->setFont(font(family, size + 3, look, true));
        layout->addWidget(title);
        truth << title->text();
    }
    auto *group = new QGroupBox;
    if (g.chance(0.5)) {
        group->setTitle(g.pick(v.settingLabels));
        truth << group->title();
    }
    auto *rows = new QVBoxLayout(group);
    auto *form = new QFormLayout;
    rows->addLayout(form);
    const QStringList labels = g.pickDistinct(v.settingLabels, 2 + g.pick(3));
    for (const QString &label : labels) {
        if (truth.contains(label))
            continue;
        const QString value = g.pick(v.fieldValues);
        // Fields wide enough to show their whole value.
        const int valueWidth = widget.fontMetrics().horizontalAdvance(value) + 3 * size;
        if (g.chance(0.5)) {
            auto *combo = new QComboBox;
            combo->addItem(value);
            combo->setMinimumWidth(valueWidth + 2 * size);
            form->addRow(label, combo);
        } else {
            auto *edit = new QLineEdit(value);
            edit->setMinimumWidth(valueWidth);
            form->addRow(label, edit);
        }
        truth << label + u' ' + value;
    }
    for (const QString &label : g.pickDistinct(v.settingLabels, 1 + g.pick(3))) {
        if (truth.join(u'\n').contains(label))
            continue;
        QAbstractButton *box = g.chance(0.75) ? static_cast<QAbstractButton *>(new QCheckBox(label))
                                              : static_cast<QAbstractButton *>(new QRadioButton(label));
        box->setChecked(g.chance(0.6));
        rows->addWidget(box);
        truth << label;
    }
    layout->addWidget(group);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const QStringList names = g.pickDistinct(v.buttons, 1 + g.pick(3));
    for (int i = 0; i < names.size(); ++i) {
        auto *button = new QPushButton(names.at(i));
        button->setDefault(i == names.size() - 1);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    truth << names.join(u' ');
    return render(g, look, widget, truth, family);
}

Drawn popupMenu(Generator &g, const Vocabulary &v, const Look &look, int size, const QString &family) {
    QMenu menu;
    prepare(menu, look, font(family, size, look));
    QStringList truth;
    const QStringList items = g.pickDistinct(v.menuItems, 4 + g.pick(5));
    QList<QAction *> actions;
    for (int i = 0; i < items.size(); ++i) {
        if (i > 0 && i + 1 < items.size() && g.chance(0.2))
            menu.addSeparator();
        if (g.chance(0.12)) {
            QMenu *submenu = menu.addMenu(items.at(i));
            submenu->addAction(QStringLiteral("-"));
            actions << submenu->menuAction();
            truth << items.at(i);
            continue;
        }
        QAction *action = menu.addAction(items.at(i));
        if (g.chance(0.55))
            action->setShortcut(QKeySequence(g.pick(OcrTexts::menuShortcuts)));
        if (g.chance(0.12)) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        action->setEnabled(!g.chance(0.08));
        actions << action;
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        truth << (shortcut.isEmpty() ? items.at(i) : items.at(i) + u' ' + shortcut);
    }
    if (g.chance(0.7)) {
        QAction *active = actions.at(g.pick(int(actions.size())));
        if (active->isEnabled())
            menu.setActiveAction(active);
    }
    // Room for the longest row, which the menu would otherwise elide.
    return render(g, look, menu, truth, family, menu.sizeHint() + QSize(2 * size, 0));
}

Drawn tableWidget(Generator &g, const Vocabulary &v, const Look &look, int size, const QString &family) {
    const int columns = 3 + g.pick(3);
    const int rows = 3 + g.pick(5);
    QTableWidget table(rows, columns);
    prepare(table, look, font(family, size, look));
    QStringList truth{v.tableHeaders.mid(0, columns).join(u' ')};
    table.setHorizontalHeaderLabels(v.tableHeaders.mid(0, columns));
    const bool numbers = g.chance(0.3);
    table.verticalHeader()->setVisible(numbers);
    table.setShowGrid(g.chance(0.7));
    table.setAlternatingRowColors(g.chance(0.4));
    table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            QString text;
            switch (c) {
            case 0:
                text = g.pick(v.tableProducts);
                break;
            case 1:
                text = QString::number(1 + g.pick(250));
                break;
            case 2:
                text = QStringLiteral("%1.%2").arg(5 + g.pick(3000)).arg(g.pick(100), 2, 10, QLatin1Char('0'));
                break;
            case 3:
                text = g.pick(v.tableStatus);
                break;
            default:
                text = QStringLiteral("2024-%1-%2")
                           .arg(1 + g.pick(12), 2, 10, QLatin1Char('0'))
                           .arg(1 + g.pick(28), 2, 10, QLatin1Char('0'));
            }
            auto *item = new QTableWidgetItem(text);
            if (c == 1 || c == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table.setItem(r, c, item);
            row << text;
        }
        truth << (numbers ? QString::number(r + 1) + u' ' : QString()) + row.join(u' ');
    }
    if (g.chance(0.4))
        table.selectRow(g.pick(rows));
    table.resizeColumnsToContents();
    table.resizeRowsToContents();
    int width = 2 * table.frameWidth() + (numbers ? table.verticalHeader()->sizeHint().width() : 0);
    for (int c = 0; c < columns; ++c)
        width += table.columnWidth(c);
    int height = 2 * table.frameWidth() + table.horizontalHeader()->sizeHint().height();
    for (int r = 0; r < rows; ++r)
        height += table.rowHeight(r);
    return render(g, look, table, truth, family, QSize(width, height));
}

Drawn fileList(Generator &g, const Vocabulary &v, const Look &look, int size, const QString &family) {
    QTreeWidget tree;
    prepare(tree, look, font(family, size, look));
    const QStringList headers = v.script == u"zh-Hans"   ? QStringList{QStringLiteral("名称"), QStringLiteral("大小"),
                                                                     QStringLiteral("修改日期")}
                                : v.script == u"zh-Hant" ? QStringList{QStringLiteral("名稱"), QStringLiteral("大小"),
                                                                       QStringLiteral("修改日期")}
                                                         : QStringList{QStringLiteral("Name"), QStringLiteral("Size"),
                                                                       QStringLiteral("Modified")};
    tree.setHeaderLabels(headers);
    tree.setRootIsDecorated(false);
    tree.setAlternatingRowColors(g.chance(0.5));
    tree.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList truth{headers.join(u' ')};
    const QStringList names = g.pickDistinct(v.fileNames, 3 + g.pick(3));
    for (const QString &name : names) {
        const QString sizeText = QStringLiteral("%1 KB").arg(1 + g.pick(9000));
        const QString date = QStringLiteral("2024-%1-%2 %3:%4")
                                 .arg(1 + g.pick(12), 2, 10, QLatin1Char('0'))
                                 .arg(1 + g.pick(28), 2, 10, QLatin1Char('0'))
                                 .arg(g.pick(24), 2, 10, QLatin1Char('0'))
                                 .arg(g.pick(60), 2, 10, QLatin1Char('0'));
        auto *item = new QTreeWidgetItem(QStringList{name, sizeText, date});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        tree.addTopLevelItem(item);
        truth << name + u' ' + sizeText + u' ' + date;
    }
    if (g.chance(0.5))
        tree.setCurrentItem(tree.topLevelItem(g.pick(int(names.size()))));
    for (int c = 0; c < 3; ++c)
        tree.resizeColumnToContents(c);
    int width = 2 * tree.frameWidth() + 8;
    for (int c = 0; c < 3; ++c)
        width += tree.columnWidth(c);
    const int rowHeight = tree.sizeHintForRow(0);
    const int height = 2 * tree.frameWidth() + tree.header()->sizeHint().height() + rowHeight * int(names.size()) + 2;
    return render(g, look, tree, truth, family, QSize(width, height));
}

Drawn chat(Generator &g, const Vocabulary &v, const Look &look, int size, const QString &family) {
    QWidget widget;
    prepare(widget, look, font(family, size, look));
    const bool dark = look.theme.name == u"dark";
    auto *layout = new QVBoxLayout(&widget);
    QStringList truth;
    if (g.chance(0.5)) {
        auto *time = new QLabel(QStringLiteral("%1:%2").arg(8 + g.pick(12)).arg(g.pick(60), 2, 10, QLatin1Char('0')));
        time->setAlignment(Qt::AlignCenter);
        time->setFont(font(family, std::max(11, size - 2), look));
        time->setStyleSheet(QStringLiteral("color: %1;").arg(look.theme.secondary.name()));
        layout->addWidget(time);
        truth << time->text();
    }
    const QStringList messages = g.pickDistinct(v.chat, 2 + g.pick(3));
    for (const QString &message : messages) {
        const bool mine = g.chance(0.5);
        auto *row = new QHBoxLayout;
        auto *bubble = new QLabel(message);
        const QString background = mine ? (dark ? QStringLiteral("#3a7d44") : QStringLiteral("#95ec69"))
                                        : (dark ? QStringLiteral("#3a3a3f") : QStringLiteral("#ffffff"));
        const QString text = dark ? QStringLiteral("#f0f0f0") : QStringLiteral("#111111");
        bubble->setStyleSheet(QStringLiteral("background: %1; color: %2; border-radius: 8px; padding: %3px %4px;")
                                  .arg(background, text)
                                  .arg(size / 2)
                                  .arg(size * 2 / 3));
        if (mine)
            row->addStretch();
        row->addWidget(bubble);
        if (!mine)
            row->addStretch();
        layout->addLayout(row);
        truth << message;
    }
    widget.setStyleSheet(QStringLiteral("QWidget { background: %1; }")
                             .arg(dark ? QStringLiteral("#1e1e21") : QStringLiteral("#ededed")));
    return render(g, look, widget, truth, family);
}

Drawn document(Generator &g, const Vocabulary &v, const Look &look, int size) {
    const QString family = g.pick(families(v.script, g.chance(0.5) ? QStringLiteral("serif") : QStringLiteral("sans")));
    QTextBrowser browser;
    prepare(browser, look, font(family, size, look));
    browser.setFrameShape(QFrame::NoFrame);
    browser.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const bool english = v.script.isEmpty();
    const QString separator = english ? QStringLiteral(" ") : QString();
    QStringList truth;
    QString html;
    if (g.chance(0.6)) {
        const QString title = g.pick(v.titles);
        html += QStringLiteral("<h3>%1</h3>").arg(title.toHtmlEscaped());
        truth << title;
    }
    const int paragraphs = 1 + g.pick(2);
    for (int i = 0; i < paragraphs; ++i) {
        const QString text = g.pickDistinct(v.sentences, 1 + g.pick(2)).join(separator);
        html += QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
        truth << text;
    }
    browser.setHtml(html);
    // The page as tall as its text at the chosen width.
    const int width = size * (english ? g.between(24, 40) : g.between(16, 30));
    browser.setAttribute(Qt::WA_DontShowOnScreen);
    browser.show();
    browser.resize(width, 100);
    QApplication::processEvents();
    const int height = int(browser.document()->size().height()) + 2 * browser.frameWidth() + 4;
    return render(g, look, browser, truth, family, QSize(width, height));
}

} // namespace

QStringList categories() {
    return {QStringLiteral("dialog"), QStringLiteral("widget-menu"), QStringLiteral("widget-table"),
            QStringLiteral("file-list"), QStringLiteral("chat"), QStringLiteral("document")};
}

Drawn make(Generator &g, const QString &category, const Vocabulary &v, const Look &look, int size) {
    static const bool styled = [] {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        return true;
    }();
    Q_UNUSED(styled);
    const QString family = g.pick(families(v.script, QStringLiteral("sans")));
    if (category == u"dialog")
        return dialog(g, v, look, size, family);
    if (category == u"widget-menu")
        return popupMenu(g, v, look, size, family);
    if (category == u"widget-table")
        return tableWidget(g, v, look, size, family);
    if (category == u"file-list")
        return fileList(g, v, look, size, family);
    if (category == u"chat")
        return chat(g, v, look, size, family);
    return document(g, v, look, size);
}

} // namespace WidgetSamples
