#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QStringList>
#include <QUrl>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QVBoxLayout;

// Texts of a view that are localisation keys, re-translated when the interface
// language changes. A text whose widget is gone is skipped.
class LocalizedTexts final {
public:
    using Setter = std::function<void(const QString &translated)>;

    void bind(QWidget *owner, const QString &key, Setter setter);
    void bindText(QLabel *label, const QString &key);
    void bindText(QAbstractButton *button, const QString &key);
    // Sets every bound text in this language ("system", "en", "zh-Hans", "zh-Hant").
    void apply(const QString &language);

private:
    struct Binding {
        QPointer<QWidget> owner;
        QString key;
        Setter setter;
    };
    QList<Binding> m_bindings;
};

// The small controls of the settings window that Qt Widgets lacks: a switch,
// a segmented picker, grouped-form sections, captions and the window's symbols.
// They paint with the widget palette, whose Highlight is the accent colour.

// An on/off switch; checkable, toggled by click or Space.
class SettingsSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsSwitch(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A link in the window's text, drawn in the palette's link colour and
// underlined. One focus stop with a ring of its own; a click, Space or Return
// opens the address.
class SettingsLink final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsLink(QWidget *parent = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The address was handed to the desktop to open.
    void opened(const QUrl &url);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QUrl m_url;
};

// A row of mutually exclusive segments, one always chosen.
class SegmentedControl final : public QWidget {
    Q_OBJECT

public:
    explicit SegmentedControl(QWidget *parent = nullptr);

    void setSegments(const QStringList &titles);
    QStringList segments() const { return m_titles; }
    int currentIndex() const { return m_current; }
    // Programmatic changes emit nothing.
    void setCurrentIndex(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The user chose a segment.
    void activated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRectF segmentRect(int index) const;
    int segmentWidth() const;

    QStringList m_titles;
    int m_current = 0;
};

// A titled group of rows on a rounded plate, as in a grouped form. Rows are
// separated by hairlines.
class SettingsSection final : public QWidget {
    Q_OBJECT

public:
    explicit SettingsSection(QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    // Adds a row; returns it.
    QWidget *addRow(QWidget *row);
    // One row made of several widgets stacked closely (a control and its captions).
    QWidget *addGroup(std::initializer_list<QWidget *> widgets);
    // A row of a label on the left and a control on the right.
    static QWidget *labeledRow(QLabel *label, QWidget *control);
    QWidget *addLabeledRow(QLabel *label, QWidget *control) { return addRow(labeledRow(label, control)); }
    // A row of buttons side by side from the left.
    static QWidget *buttonRow(std::initializer_list<QWidget *> buttons);

private:
    QLabel *m_title;
    QFrame *m_plate;
    QVBoxLayout *m_rows;
};

// A wrapped secondary text under a row; its colour may be set (red, green).
class SettingsCaption final : public QLabel {
    Q_OBJECT

public:
    explicit SettingsCaption(QWidget *parent = nullptr);
    // An explicit colour; an invalid colour returns to the secondary text colour.
    void setTextColor(const QColor &color);
    QColor textColor() const { return m_color; }
    // Shows `text` on one line, cut with "…" where it is wider than the
    // caption; the whole text is then the tooltip. The accessible name is
    // always the whole text.
    void setSingleLineText(const QString &text);
    QString singleLineText() const { return m_singleLineText; }

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyColor();
    void elide();
    QColor m_color;
    bool m_applying = false;
    bool m_singleLine = false;
    QString m_singleLineText;
};

// The symbols of the window, drawn as vector paths.
enum class SettingsSymbol {
    Gear,
    Sparkles,
    PaintPalette,
    ArrowsCirclepath,
    CheckmarkCircleFill,
    ExclamationCircle,
};

QIcon settingsSymbolIcon(SettingsSymbol symbol, const QColor &color, int size = 16);

// Shared colours of the window.
namespace SettingsColors {
QColor success();
QColor warning();
QColor failure();
bool isDark(const QPalette &palette);
// The window text faded to the secondary level.
QColor secondaryText(const QPalette &palette);
} // namespace SettingsColors
