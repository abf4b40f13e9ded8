#include "NativeAppearancePicker.h"

#include "NativeAppAppearance.h"

#include <QApplication>
#include <QEasingCurve>
#include <QEnterEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr int HorizontalPadding = 11;
constexpr int RowSpacing = 10;
constexpr qreal CornerRadius = 11;
constexpr int CheckSize = 16;
constexpr qreal FocusRingInset = 3;
constexpr qreal FocusRingWidth = 1.5;
constexpr qreal FocusRingOpacity = 0.4;

QString accessibleSuffix(NativeAppearanceLanguage language) {
    switch (language) {
    case NativeAppearanceLanguage::SimplifiedChinese:
        return QStringLiteral("图标颜色");
    case NativeAppearanceLanguage::TraditionalChinese:
        return QStringLiteral("圖示顏色");
    case NativeAppearanceLanguage::English:
        break;
    }
    return QStringLiteral(" icon color");
}

QString accessibleValue(NativeAppearanceLanguage language, bool selected) {
    switch (language) {
    case NativeAppearanceLanguage::SimplifiedChinese:
        return selected ? QStringLiteral("已选择") : QStringLiteral("未选择");
    case NativeAppearanceLanguage::TraditionalChinese:
        return selected ? QStringLiteral("已選取") : QStringLiteral("未選取");
    case NativeAppearanceLanguage::English:
        break;
    }
    return selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
}

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

// A filled circle in the palette colour with a white check inside.
void paintCheckmarkCircle(QPainter &painter, const QRectF &frame, const QColor &color) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(frame);
    QPainterPath check;
    check.moveTo(frame.left() + frame.width() * 0.28, frame.top() + frame.height() * 0.52);
    check.lineTo(frame.left() + frame.width() * 0.44, frame.top() + frame.height() * 0.68);
    check.lineTo(frame.left() + frame.width() * 0.73, frame.top() + frame.height() * 0.34);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, frame.width() * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(check);
}

} // namespace

NativeAppearanceCard::NativeAppearanceCard(NativeAppAppearance &appearance, NativeAccentPalette palette,
                                           QWidget *parent)
    : QAbstractButton(parent)
    , m_appearance(appearance)
    , m_palette(palette)
    , m_animation(new QVariantAnimation(this)) {
    setObjectName(QStringLiteral("appearanceCard-") + palette.rawValue());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setFixedHeight(Height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_animation->setDuration(120);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_opacity = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, &NativeAppearanceCard::updateOpacity);
    connect(this, &QAbstractButton::released, this, &NativeAppearanceCard::updateOpacity);
    connect(this, &QAbstractButton::clicked, this, [this] { m_appearance.select(m_palette); });
    connect(&m_appearance, &NativeAppAppearance::selectionChanged, this, [this] {
        updateAccessibility();
        update();
    });
    updateAccessibility();
}

bool NativeAppearanceCard::isSelected() const {
    return m_appearance.selection() == m_palette;
}

void NativeAppearanceCard::setLanguage(const QString &language) {
    m_language = language;
    setText(m_palette.title(language));
    updateAccessibility();
    updateGeometry();
    update();
}

qreal NativeAppearanceCard::targetOpacity() const {
    if (isDown())
        return PressedOpacity;
    return m_hovered ? HoveredOpacity : 1.0;
}

bool NativeAppearanceCard::reduceMotion() {
    // Qt's view of the desktop's animation switch: the platform theme turns the
    // general UI effects off where the user asked for less motion.
    return !QApplication::isEffectEnabled(Qt::UI_General);
}

QSize NativeAppearanceCard::sizeHint() const {
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return {HorizontalPadding * 2 + IconSize + RowSpacing + textWidth + RowSpacing + CheckSize, Height};
}

QSize NativeAppearanceCard::minimumSizeHint() const {
    return {10, Height};
}

void NativeAppearanceCard::updateOpacity() {
    const qreal target = targetOpacity();
    m_animation->stop();
    if (reduceMotion() || !isVisible()) {
        m_opacity = target;
        update();
        return;
    }
    m_animation->setStartValue(m_opacity);
    m_animation->setEndValue(target);
    m_animation->start();
}

void NativeAppearanceCard::updateAccessibility() {
    const NativeAppearanceLanguage language = nativeAppearanceLanguage(m_language);
    setAccessibleName(m_palette.title(language) + accessibleSuffix(language));
    // Qt's widget accessibility has no value for buttons; the description carries it.
    setAccessibleDescription(accessibleValue(language, isSelected()));
}

void NativeAppearanceCard::enterEvent(QEnterEvent *event) {
    m_hovered = true;
    updateOpacity();
    QAbstractButton::enterEvent(event);
}

void NativeAppearanceCard::leaveEvent(QEvent *event) {
    m_hovered = false;
    updateOpacity();
    QAbstractButton::leaveEvent(event);
}

bool NativeAppearanceCard::hitButton(const QPoint &position) const {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    return shape.contains(QPointF(position));
}

void NativeAppearanceCard::paintEvent(QPaintEvent *) {
    const bool selected = isSelected();
    const QColor color = m_palette.color();
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_opacity);

    const qreal lineWidth = selected ? 1.5 : 1.0;
    const QRectF plate = QRectF(rect()).adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    painter.setPen(QPen(withAlpha(color, selected ? 0.62 : 0.12), lineWidth));
    painter.setBrush(withAlpha(color, selected ? 0.12 : 0.045));
    painter.drawRoundedRect(plate, CornerRadius, CornerRadius);

    const QRect iconFrame(HorizontalPadding, (height() - IconSize) / 2, IconSize, IconSize);
    const QIcon icon = m_appearance.icon(m_palette);
    painter.drawPixmap(iconFrame, icon.pixmap(QSize(IconSize, IconSize), devicePixelRatioF()));

    const QRectF checkFrame(width() - HorizontalPadding - CheckSize, (height() - CheckSize) / 2.0, CheckSize,
                            CheckSize);
    if (selected)
        paintCheckmarkCircle(painter, checkFrame, color);

    QFont titleFont = font();
    titleFont.setPixelSize(12);
    titleFont.setWeight(selected ? QFont::DemiBold : QFont::Normal);
    painter.setFont(titleFont);
    painter.setPen(QWidget::palette().color(QPalette::WindowText));
    const qreal textLeft = iconFrame.right() + 1 + RowSpacing;
    const QRectF textFrame(textLeft, 0, checkFrame.left() - RowSpacing - textLeft, height());
    const QString elided = QFontMetricsF(titleFont).elidedText(text(), Qt::ElideRight, textFrame.width());
    painter.drawText(textFrame, Qt::AlignVCenter | Qt::AlignLeft, elided);

    if (hasFocus()) {
        // The keyboard focus is a thin ring inside the edge, apart from it and
        // lighter than the selected card's outline, so focus never reads as the choice.
        painter.setOpacity(1.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(withAlpha(color, FocusRingOpacity), FocusRingWidth, Qt::DashLine));
        const qreal inset = FocusRingInset + FocusRingWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), CornerRadius - FocusRingInset,
                                CornerRadius - FocusRingInset);
    }
}

NativeAppearancePicker::NativeAppearancePicker(NativeAppAppearance &appearance, const QString &language,
                                               QWidget *parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_language(language)
    , m_title(new QLabel(this))
    , m_description(new QLabel(this)) {
    setObjectName(QStringLiteral("appearancePicker"));
    m_title->setObjectName(QStringLiteral("appearancePickerTitle"));
    m_description->setObjectName(QStringLiteral("appearancePickerDescription"));
    m_description->setWordWrap(true);
    QFont titleFont = font();
    titleFont.setPixelSize(13);
    m_title->setFont(titleFont);
    QFont descriptionFont = font();
    descriptionFont.setPixelSize(11);
    m_description->setFont(descriptionFont);

    auto *header = new QVBoxLayout;
    header->setSpacing(4);
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_title);
    header->addWidget(m_description);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    const QList<NativeAccentPalette> palettes = NativeAccentPalette::allCases();
    for (qsizetype index = 0; index < palettes.size(); ++index) {
        auto *card = new NativeAppearanceCard(m_appearance, palettes.at(index), this);
        m_cards.append(card);
        grid->addWidget(card, int(index / 3), int(index % 3));
    }
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    layout->addLayout(header);
    layout->addLayout(grid);

    updateTexts();
    updateColors();
}

QString NativeAppearancePicker::titleText(const QString &language) {
    switch (nativeAppearanceLanguage(language)) {
    case NativeAppearanceLanguage::SimplifiedChinese:
        return QStringLiteral("图标与高亮色");
    case NativeAppearanceLanguage::TraditionalChinese:
        return QStringLiteral("圖示與強調色");
    case NativeAppearanceLanguage::English:
        break;
    }
    return QStringLiteral("Icon & Accent Color");
}

QString NativeAppearancePicker::descriptionText(const QString &language) {
    switch (nativeAppearanceLanguage(language)) {
    case NativeAppearanceLanguage::SimplifiedChinese:
        return QStringLiteral("同步更改应用图标，以及按钮、开关和选中状态的颜色。");
    case NativeAppearanceLanguage::TraditionalChinese:
        return QStringLiteral("同步更改 App 圖示，以及按鈕、開關和選取狀態的顏色。");
    case NativeAppearanceLanguage::English:
        break;
    }
    return QStringLiteral("Update the app icon and the color of buttons, switches, and selected states together.");
}

void NativeAppearancePicker::setLanguage(const QString &language) {
    m_language = language;
    updateTexts();
}

void NativeAppearancePicker::updateTexts() {
    m_title->setText(titleText(m_language));
    m_description->setText(descriptionText(m_language));
    for (NativeAppearanceCard *card : std::as_const(m_cards))
        card->setLanguage(m_language);
}

void NativeAppearancePicker::changeEvent(QEvent *event) {
    if (event->type() == QEvent::PaletteChange)
        updateColors();
    QWidget::changeEvent(event);
}

void NativeAppearancePicker::updateColors() {
    // The secondary text colour: the window text, faded as captions are.
    QPalette captionPalette = m_description->palette();
    QColor secondary = palette().color(QPalette::WindowText);
    secondary.setAlphaF(0.62f);
    captionPalette.setColor(QPalette::WindowText, secondary);
    m_description->setPalette(captionPalette);
}
