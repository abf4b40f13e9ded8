#include "VelloraSettingsWindow.h"

#include "SettingsView.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFontInfo>
#include <QLayout>
#include <QPixmap>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

VelloraSettingsWindow::VelloraSettingsWindow(VelloraPreferences &preferences, NativeAppAppearance &appearance,
                                             VelloraCloudSettings &cloud, NativeUpdater &updater, SecretStore &keyStore,
                                             QNetworkAccessManager &network, int initialTab, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_appearance(appearance)
    , m_cloud(cloud)
    , m_updater(updater)
    , m_keyStore(keyStore)
    , m_network(network)
    , m_selectedTab(initialTab >= 0 && initialTab < TabCount ? initialTab : General) {}

VelloraSettingsWindow::~VelloraSettingsWindow() {
    delete m_window;
}

QWidget *VelloraSettingsWindow::window() const {
    return m_window;
}

SettingsView *VelloraSettingsWindow::view() const {
    return m_view;
}

void VelloraSettingsWindow::setSelectedTab(int tab) {
    if (tab < 0 || tab >= TabCount || tab == m_selectedTab)
        return;
    m_selectedTab = tab;
    emit selectedTabChanged(tab);
}

void VelloraSettingsWindow::show(std::optional<int> tab) {
    if (tab)
        setSelectedTab(*tab);
    if (!m_window)
        createWindow();
    else if (!m_window->isVisible())
        placeOnScreen(false);
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    fitGeneralTab();
    // Once the shown window has been polished and laid out, measured again.
    QTimer::singleShot(0, this, &VelloraSettingsWindow::fitGeneralTab);
    m_window->raise();
    m_window->activateWindow();
}

void VelloraSettingsWindow::createWindow() {
    // Titled, closable and minimisable, not resizable; closing only hides it.
    auto *window = new QWidget(nullptr, windowFlags());
    window->setObjectName(QStringLiteral("settingsWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(velloraLocalized(QStringLiteral("Vellora 设置"), m_preferences.language()));
    m_view = new SettingsView(*this, m_preferences, m_appearance, m_cloud, m_updater, m_keyStore, m_network, window);
    m_view->setHotKeyRoute(m_hotKeyRoute);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    // The application menu lives in the window's menu bar, above the fixed content.
    if (m_menuBar)
        layout->setMenuBar(m_menuBar);
    layout->addWidget(m_view);
    connect(&m_view->tabs(), &QTabWidget::currentChanged, this, &VelloraSettingsWindow::fitGeneralTab);
    if (auto *area = qobject_cast<QScrollArea *>(m_view->tabs().widget(General)); area && area->widget())
        area->widget()->installEventFilter(this);
    m_window = window;
    placeOnScreen(true);
}

QSize VelloraSettingsWindow::contentSize(const QFont &font) {
    const qreal scale = std::max(1.0, QFontInfo(font).pixelSize() / qreal(DesignFontPixels));
    return QSize(qRound(Width * scale), qRound(Height * scale));
}

QRect VelloraSettingsWindow::placement(QSize content, QMargins frame, const QRect &available) {
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = content.boundedTo(room).expandedTo(QSize(1, 1));
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    // Inside the area, the top-left corner (title bar, menu bar) first.
    outer.moveLeft(std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width())));
    outer.moveTop(std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height())));
    return outer.marginsRemoved(frame);
}

void VelloraSettingsWindow::placeOnScreen(bool centre) {
    const QScreen *screen = m_window->isVisible() || !centre ? m_window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // Known once a window manager has framed the window; none before its first showing.
    const QMargins frame = m_window->windowHandle() ? m_window->windowHandle()->frameMargins() : QMargins();
    const QSize content = contentSize(m_window->font());
    const QSize wanted(content.width(),
                       content.height() + m_generalTabExtra + (m_menuBar ? m_menuBar->sizeHint().height() : 0));
    if (!centre && available.contains(m_window->frameGeometry()) && m_window->size() == wanted)
        return;
    const QRect place = placement(wanted, frame, available);
    // On a screen smaller than the window the tabs scroll rather than the window spill over.
    const QSize viewRoom = place.size() - QSize(0, wanted.height() - content.height());
    m_view->setMinimumSize(m_view->minimumSize().boundedTo(viewRoom));
    m_window->setFixedSize(place.size());
    m_window->setGeometry(place);
}

void VelloraSettingsWindow::fitGeneralTab() {
    // The design holds the General tab as an X11 desktop shows it; on Wayland
    // the permission and shortcut sections say more (the commands to bind), and
    // the shortcut section would sit below the fold. The window grows by the
    // difference, as far as the screen allows. Laid out only once shown.
    auto *area = m_view ? qobject_cast<QScrollArea *>(m_view->tabs().widget(General)) : nullptr;
    if (!area || !area->widget() || !area->isVisible())
        return;
    QWidget *content = area->widget();
    // Measured as narrow as with a scroll bar: the area decides on one before
    // it knows the height at the wider width.
    const QScrollBar *bar = area->verticalScrollBar();
    const int width = area->viewport()->width() - (bar->isVisible() ? 0 : bar->sizeHint().width());
    // The area itself makes the content as tall as it needs where that is more.
    const int needed = std::max(content->height(), content->hasHeightForWidth() ? content->heightForWidth(width)
                                                                                : content->sizeHint().height());
    const int overflow = needed - area->viewport()->height();
    if (overflow <= 0)
        return;
    m_generalTabExtra += overflow;
    placeOnScreen(false);
}

bool VelloraSettingsWindow::eventFilter(QObject *watched, QEvent *event) {
    // Not inside the area's own resizing: once it is done.
    if (event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &VelloraSettingsWindow::fitGeneralTab);
    return QObject::eventFilter(watched, event);
}

Qt::WindowFlags VelloraSettingsWindow::windowFlags() const {
    // Titled, closable and minimisable, not resizable; a tool window stays out
    // of the task bar.
    return (m_showsInTaskbar ? Qt::Window : Qt::Tool) | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
           | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
}

void VelloraSettingsWindow::setMenuBar(QMenuBar *menuBar) {
    m_menuBar = menuBar;
}

void VelloraSettingsWindow::setShowsInTaskbar(bool shows) {
    if (m_showsInTaskbar == shows)
        return;
    m_showsInTaskbar = shows;
    if (!m_window)
        return;
    // Changing the flags hides the window; bring it back as it was.
    const bool visible = m_window->isVisible();
    m_window->setWindowFlags(windowFlags());
    if (visible)
        m_window->show();
}

void VelloraSettingsWindow::setHotKeyRoute(HotKeyRoute route) {
    m_hotKeyRoute = route;
    if (m_view)
        m_view->setHotKeyRoute(route);
}

bool VelloraSettingsWindow::writeScreenshot(const QString &path) const {
    if (!m_window || !m_view)
        return false;
    m_window->ensurePolished();
    if (QLayout *layout = m_window->layout())
        layout->activate();
    const QPixmap content = m_window->grab();
    return !content.isNull() && content.save(path, "PNG");
}
