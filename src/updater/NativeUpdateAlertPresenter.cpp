#include "NativeUpdateAlertPresenter.h"

#include "NativeReleaseNotes.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int IconPixels = 64;
constexpr int TextWidth = 420;

// The application's icon with a small caution triangle at its lower right, as
// a desktop alert marks a warning.
QPixmap alertIcon(NativeUpdateAlertStyle style, qreal ratio) {
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
    QPixmap pixmap = icon.pixmap(QSize(IconPixels, IconPixels), ratio);
    if (style != NativeUpdateAlertStyle::warning)
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(IconPixels * 0.52, IconPixels * 0.52, IconPixels * 0.46, IconPixels * 0.42);
    QPainterPath triangle;
    triangle.moveTo(badge.center().x(), badge.top());
    triangle.lineTo(badge.right(), badge.bottom());
    triangle.lineTo(badge.left(), badge.bottom());
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xF5, 0xA6, 0x23));
    painter.drawPath(triangle);
    QFont mark = painter.font();
    mark.setBold(true);
    mark.setPixelSize(qRound(badge.height() * 0.62));
    painter.setFont(mark);
    painter.setPen(Qt::white);
    painter.drawText(badge.adjusted(0, badge.height() * 0.22, 0, 0), Qt::AlignCenter, QStringLiteral("!"));
    return pixmap;
}

} // namespace

NativeUpdateAlert::NativeUpdateAlert(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style,
                                     QWidget *parent)
    : QDialog(parent)
    , m_style(style)
    , m_icon(new QLabel)
    , m_title(new QLabel(prompt.title))
    , m_detail(new QLabel(prompt.detail))
    , m_column(new QVBoxLayout) {
    setObjectName(QStringLiteral("nativeUpdateAlert"));
    setWindowTitle(prompt.title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_icon->setObjectName(QStringLiteral("alertIcon"));
    m_icon->setFixedSize(IconPixels, IconPixels);
    m_icon->setAlignment(Qt::AlignTop);
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPixelSize(14);
    m_title->setObjectName(QStringLiteral("alertTitle"));
    m_title->setFont(titleFont);
    m_title->setWordWrap(true);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_title->setFixedWidth(TextWidth);
    QFont detailFont = font();
    detailFont.setPixelSize(12);
    m_detail->setObjectName(QStringLiteral("alertDetail"));
    m_detail->setFont(detailFont);
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detail->setFixedWidth(TextWidth);
    m_detail->setVisible(!prompt.detail.isEmpty());

    auto *buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(8);
    buttonRow->addStretch(1);
    QStringList titles{prompt.primary};
    if (prompt.secondary)
        titles.append(*prompt.secondary);
    for (const QString &text : titles) {
        auto *button = new QPushButton(text);
        button->setObjectName(m_buttons.isEmpty() ? QStringLiteral("primaryButton")
                                                  : QStringLiteral("secondaryButton"));
        button->setMinimumWidth(88);
        m_buttons.append(button);
    }
    m_buttons.constFirst()->setDefault(true);
    // The primary button sits at the right edge, the way desktop dialogs end.
    for (auto it = m_buttons.crbegin(); it != m_buttons.crend(); ++it)
        buttonRow->addWidget(*it);

    m_column->setSpacing(8);
    m_column->addWidget(m_title);
    m_column->addWidget(m_detail);
    m_column->addSpacing(6);
    m_column->addLayout(buttonRow);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(16);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addLayout(m_column, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    updateIcon();
}

void NativeUpdateAlert::setAccessoryView(QWidget *view) {
    if (m_accessory) {
        m_column->removeWidget(m_accessory);
        delete m_accessory;
    }
    m_accessory = view;
    if (view)
        m_column->insertWidget(2, view);
}

void NativeUpdateAlert::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ApplicationPaletteChange)
        updateIcon();
    QDialog::changeEvent(event);
}

void NativeUpdateAlert::updateIcon() {
    m_icon->setPixmap(alertIcon(m_style, devicePixelRatioF()));
}

NativeUpdateAlert *nativeUpdateAlert(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style) {
    auto *alert = new NativeUpdateAlert(prompt, style);
    addNativeReleaseNotes(*alert, prompt.releaseNotes);
    return alert;
}

NativeUpdateAlertPresenter::NativeUpdateAlertPresenter(QObject *parent) : QObject(parent) {}

NativeUpdateAlertPresenter::~NativeUpdateAlertPresenter() {
    // Whoever asked is going away with the presenter: close without answering.
    m_completion = nullptr;
    delete m_alert;
}

void NativeUpdateAlertPresenter::present(const NativeUpdatePrompt &prompt, NativeUpdateAlertStyle style,
                                         Completion completion) {
    if (m_alert)
        finish(false);
    NativeUpdateAlert *alert = nativeUpdateAlert(prompt, style);
    m_alert = alert;
    m_completion = std::move(completion);
    for (qsizetype index = 0; index < alert->buttons().size(); ++index) {
        connect(alert->buttons().at(index), &QPushButton::clicked, this, [this, alert, index] {
            if (m_alert == alert)
                finish(index == 0);
        });
    }
    // Esc and the window's close button.
    connect(alert, &QDialog::rejected, this, [this, alert] {
        if (m_alert == alert)
            finish(false);
    });

    alert->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), alert->sizeHint());
        frame.moveCenter(screen->availableGeometry().center());
        alert->move(frame.topLeft());
    }
    // The first button has the focus, not the notes: Return answers, and no
    // text starts out selected.
    alert->buttons().constFirst()->setFocus(Qt::OtherFocusReason);
    alert->show();
    alert->raise();
    alert->activateWindow();
    emit presented(alert);
}

void NativeUpdateAlertPresenter::finish(bool accepted) {
    QPointer<NativeUpdateAlert> alert = m_alert;
    Completion completion = std::move(m_completion);
    m_alert = nullptr;
    m_completion = nullptr;
    if (alert) {
        alert->disconnect(this);
        for (QPushButton *button : alert->buttons())
            button->disconnect(this);
        alert->hide();
        alert->deleteLater();
    }
    if (completion)
        completion(accepted);
}
