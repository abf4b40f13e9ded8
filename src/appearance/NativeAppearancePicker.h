#pragma once

#include "NativeAccentPalette.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

class NativeAppAppearance;
class QLabel;
class QVariantAnimation;

// One palette's card in the picker: the palette's icon, its name and a check
// mark, on a rounded, tinted plate. Clicking it selects the palette.
class NativeAppearanceCard final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int Height = 56;
    static constexpr int IconSize = 38;
    static constexpr qreal HoveredOpacity = 0.94;
    static constexpr qreal PressedOpacity = 0.78;

    NativeAppearanceCard(NativeAppAppearance &appearance, NativeAccentPalette palette, QWidget *parent = nullptr);

    NativeAccentPalette palette() const { return m_palette; }
    bool isSelected() const;
    void setLanguage(const QString &language);
    QString language() const { return m_language; }

    // The opacity the card is drawn with now (animated towards the target).
    qreal opacity() const { return m_opacity; }
    // The opacity for the card's pointer state: pressed, hovered or neither.
    qreal targetOpacity() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Whether the desktop asked for reduced motion (no animations).
    static bool reduceMotion();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool hitButton(const QPoint &position) const override;

private:
    void updateOpacity();
    void updateAccessibility();

    NativeAppAppearance &m_appearance;
    NativeAccentPalette m_palette;
    QString m_language = QStringLiteral("system");
    bool m_hovered = false;
    qreal m_opacity = 1.0;
    QVariantAnimation *m_animation;
};

// The card grid with which the user picks the accent palette and icon: a
// header and one card per palette, three to a row. Its texts are the
// appearance module's own, in the language the settings name.
class NativeAppearancePicker final : public QWidget {
    Q_OBJECT

public:
    NativeAppearancePicker(NativeAppAppearance &appearance, const QString &language, QWidget *parent = nullptr);

    void setLanguage(const QString &language);
    QString language() const { return m_language; }

    QList<NativeAppearanceCard *> cards() const { return m_cards; }

    // The header's texts for a language setting.
    static QString titleText(const QString &language);
    static QString descriptionText(const QString &language);

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateTexts();
    void updateColors();

    NativeAppAppearance &m_appearance;
    QString m_language;
    QLabel *m_title;
    QLabel *m_description;
    QList<NativeAppearanceCard *> m_cards;
};
