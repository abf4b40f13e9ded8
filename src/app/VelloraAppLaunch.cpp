// Launch and termination of the tray application, the status menu and the
// application menu.
#include "VelloraApp.h"

#include "AppColorScheme.h"
#include "LaunchOptions.h"
#include "NativeAppAppearance.h"
#include "NativeEditingMenu.h"
#include "NativeStatusMenu.h"
#include "NativeTrayIcon.h"
#include "NativeUpdater.h"
#include "NativeWindowMenu.h"
#include "X11TrayColors.h"
#include "ScreenRegionCapture.h"
#include "TextRecognizer.h"
#include "UpdateConfiguration.h"
#include "UserDefaults.h"
#include "VelloraLocalization.h"
#include "VelloraCloudSettings.h"
#include "VelloraIcon.h"
#include "VelloraPreferences.h"
#include "VelloraSettingsWindow.h"
#include "VelloraToast.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QThreadPool>
#include <QTimer>

namespace {

// The status menu's commands that are found again by their role when the menus
// are translated.
constexpr char RoleProperty[] = "velloraMenuRole";

} // namespace

void VelloraApp::applicationDidFinishLaunching()
{
    const LaunchOptions options = LaunchOptions::parse(m_services.arguments);

    // The updater reads its automatic-check switch when it is made, so the
    // switch's default is in place before that.
    m_services.defaults.registerDefaults(
        {{QStringLiteral("NativeUpdater.vellora.automaticallyChecksForUpdates"), true}});
    applyUpdaterLanguages();
    installInterfaceLanguage();
    installStatusMenu();
    installApplicationMenu();

    // Load the recognition models now, so the first capture does not wait for them.
    TextRecognizer::prewarmAsync(m_services.textEngine);
    // Screenshots that a killed instance left in the temporary folder.
    QThreadPool::globalInstance()->start([] { ScreenRegionCapture::removeAbandonedFolders(); }, QThread::LowPriority);

    m_appearance->applyApplicationIcon();

    QPointer<VelloraApp> self(this);
    m_preferences->setOnConfigurationChange([self] {
        if (self)
            self->cloud().save();
    });
    m_preferences->setOnLanguageChange([self] {
        if (!self)
            return;
        self->applyUpdaterLanguages();
        self->applyLanguage();
    });
    cloud().startIfEnabled();

    m_colorScheme = std::make_unique<AppColorScheme>();
    m_preferences->setColorSchemeApplier([self](VelloraPreferences::ColorScheme scheme) {
        if (self)
            self->m_colorScheme->apply(scheme);
    });
    m_preferences->applyColorMode();

    m_settingsWindow = std::make_unique<VelloraSettingsWindow>(*m_preferences, *m_appearance, cloud(), updater(),
                                                               m_services.secretStore, m_services.network,
                                                               options.initialTab);
    m_settingsWindow->setMenuBar(m_mainMenu.get());
    m_settingsWindow->setHotKeyRoute(m_hotKeyRoute);
    connect(this, &VelloraApp::hotKeyRouteChanged, m_settingsWindow.get(), &VelloraSettingsWindow::setHotKeyRoute);
    connect(this, &VelloraApp::settingsRequested, m_settingsWindow.get(), [this](int tab) {
        m_settingsWindow->show(tab < 0 ? std::nullopt : std::optional<int>(tab));
    });
    // The X server hands a grabbed combination to its grabber, never to the
    // recorder: the hot key steps aside while a new one is recorded.
    connect(m_settingsWindow.get(), &VelloraSettingsWindow::shortcutRecordingChanged, this, [this](bool recording) {
        if (recording)
            suspendHotKey();
        else
            resumeHotKey();
    });

    m_preferences->setOnVisibilityChange([self] {
        if (self)
            self->applyVisibility();
    });
    m_preferences->setOnShortcutChange([self] {
        if (self)
            self->installHotKey();
    });

    installHotKey();
    localizeMenus();
    applyVisibility();
    updater().startAutomaticChecks();

    if (options.openSettings)
        m_settingsWindow->show();
    if (options.screenshotPath) {
        QTimer::singleShot(1000, this, [this, path = *options.screenshotPath] {
            m_settingsWindow->writeScreenshot(path);
        });
    }
    if (options.previewToast)
        m_toast->showCopied(24, false);
    // Started by `vellora --capture` while no instance ran: the capture follows the launch.
    const QStringList &arguments = m_services.arguments;
    if (arguments.size() == 2
        && (arguments.at(1) == QLatin1String("--capture") || arguments.at(1) == QLatin1String("--capture-polish")))
        QTimer::singleShot(0, this, [this, arguments] { handleArguments(arguments); });
}

void VelloraApp::handleArguments(const QStringList &arguments)
{
    if (arguments.size() == 2 && arguments.at(1) == QLatin1String("--capture"))
        startCapture();
    else if (arguments.size() == 2 && arguments.at(1) == QLatin1String("--capture-polish"))
        startPolishedCapture();
    else
        applicationShouldHandleReopen();
}

void VelloraApp::applicationShouldHandleReopen()
{
    emit settingsRequested(-1);
}

void VelloraApp::applicationWillTerminate()
{
    // A selection's overlay holds the screen and the keyboard: it ends with us.
    m_regionCapture->stop();
    // A change made in the last moments is written before the process ends.
    cloud().flushPendingSave();
    cloud().waitForFileWork();
    releaseHotKey();
}

VelloraCloudSettings &VelloraApp::cloud()
{
    if (!m_cloud)
        m_cloud = std::make_unique<VelloraCloudSettings>(*m_preferences, *m_appearance, m_services.defaults);
    return *m_cloud;
}

void VelloraApp::installStatusMenu()
{
    m_statusItem = new QSystemTrayIcon(this);
    m_statusItem->setObjectName(QStringLiteral("statusItem"));
    m_statusItem->setToolTip(QStringLiteral("Vellora"));

    m_statusMenu = std::make_unique<QMenu>();
    m_statusMenu->setObjectName(QStringLiteral("statusMenu"));
    m_statusMenu->addAction(m_captureAction);
    m_statusMenu->addAction(m_polishAction);
    m_statusMenu->addAction(m_messageAction);
    m_statusMenu->addAction(m_shortcutAction);
    m_statusMenu->addSeparator();
    const auto command = [this](const char *role, const QKeySequence &shortcut) {
        QAction *action = m_statusMenu->addAction(QString());
        action->setProperty(RoleProperty, QLatin1String(role));
        action->setObjectName(QLatin1String(role) + QStringLiteral("Action"));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    connect(command("openSettings", QKeySequence(Qt::CTRL | Qt::Key_Comma)), &QAction::triggered, this,
            &VelloraApp::openSettings);
    connect(command("checkUpdates", {}), &QAction::triggered, this, &VelloraApp::checkUpdates);
    QAction *captureSettings = command("openCaptureSettings", {});
    connect(captureSettings, &QAction::triggered, this, &VelloraApp::openCaptureSettings);
    // Only where the desktop asks for the permission and has a panel to give it in:
    // on X11 no permission is needed, and a row that opens nothing is no command.
    const ScreenRegionCapture::PermissionSetup permission = ScreenRegionCapture::permissionSetup();
    captureSettings->setVisible(permission.required && permission.hasSettings());
    connect(command("quit", QKeySequence(Qt::CTRL | Qt::Key_Q)), &QAction::triggered, this, &VelloraApp::quit);

    m_trayColors = std::make_unique<X11TrayColors>();
    connect(m_trayColors.get(), &X11TrayColors::foregroundChanged, this, &VelloraApp::updateStatusIcon);
    updateStatusIcon();
    // Where the panel shows the menu itself (Wayland), a left click on the icon
    // starts the main command.
    m_statusMenu->setDefaultAction(m_captureAction);
    NativeStatusMenu::attach(m_statusItem, m_statusMenu.get());
    connect(this, &VelloraApp::toolTipChanged, m_statusItem, &QSystemTrayIcon::setToolTip);
    localizeMenus();
}

void VelloraApp::updateStatusIcon()
{
    // The panel's colour is not ours: a dark top bar over a light desktop is
    // common. Ink follows what the tray says; where it says nothing the icon
    // reads on either.
    const NativeTrayIcon::Variant variant = NativeTrayIcon::variantFor(m_trayColors->foreground());
    if (m_statusIconVariant == variant)
        return;
    m_statusIconVariant = variant;
    m_statusItem->setIcon(NativeTrayIcon::icon(variant));
}

void VelloraApp::installApplicationMenu()
{
    // On Linux the application menu is the settings window's menu bar.
    m_mainMenu = std::make_unique<QMenuBar>();
    m_mainMenu->setObjectName(QStringLiteral("applicationMenu"));
    m_applicationMenu = m_mainMenu->addMenu(QStringLiteral("Vellora"));
    QAction *settings = m_applicationMenu->addAction(QString(), this, &VelloraApp::openSettings);
    settings->setProperty(RoleProperty, QStringLiteral("openSettings"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction *quitAction = m_applicationMenu->addAction(QString(), this, &VelloraApp::quit);
    quitAction->setProperty(RoleProperty, QStringLiteral("quit"));
    quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    NativeEditingMenu::install(m_mainMenu.get(), NativeEditingMenu::builtInTranslation(language()));
    NativeWindowMenu::install(m_mainMenu.get(), [this](const QString &key) { return translated(key); });
}

void VelloraApp::localizeMenus()
{
    showStatus(m_currentStatus);
    m_captureAction->setText(translated(QStringLiteral("选区识字并复制")));
    m_polishAction->setText(translated(QStringLiteral("选区识字并 AI 润色")));
    updateShortcutLine();
    const QList<std::pair<QString, QString>> titles{
        {QStringLiteral("openSettings"), QStringLiteral("设置…")},
        {QStringLiteral("checkUpdates"), QStringLiteral("检查更新…")},
        {QStringLiteral("openCaptureSettings"), QStringLiteral("打开屏幕录制权限设置…")},
        {QStringLiteral("quit"), QStringLiteral("退出 Vellora")},
    };
    const auto retitle = [this, &titles](QMenu *menu) {
        for (QAction *action : menu->actions()) {
            const QString role = action->property(RoleProperty).toString();
            for (const auto &[name, key] : titles) {
                if (role == name)
                    action->setText(translated(key));
            }
        }
    };
    if (QMenu *statusMenu = m_statusItem ? NativeStatusMenu::menu(m_statusItem) : nullptr)
        retitle(statusMenu);
    if (m_mainMenu) {
        if (QMenu *windows = NativeWindowMenu::windowsMenu(m_mainMenu.get())) {
            windows->setTitle(translated(QStringLiteral("窗口")));
            if (!windows->actions().isEmpty())
                windows->actions().constFirst()->setText(translated(QStringLiteral("关闭窗口")));
        }
        retitle(m_applicationMenu);
        NativeEditingMenu::localize(NativeEditingMenu::editingMenu(m_mainMenu.get()),
                                    NativeEditingMenu::builtInTranslation(language()));
    }
    if (m_settingsWindow && m_settingsWindow->window())
        m_settingsWindow->window()->setWindowTitle(translated(QStringLiteral("Vellora 设置")));
}

void VelloraApp::installInterfaceLanguage()
{
    const QStringList preferred = QLocale::system().uiLanguages();
    VelloraLocalization::installQtTranslations(language(), preferred);
    emit interfaceLanguageApplied(VelloraLocalization::resolvedLanguage(language(), preferred));
}

void VelloraApp::applyLanguage()
{
    installInterfaceLanguage();
    localizeMenus();
}

void VelloraApp::applyVisibility()
{
    if (m_statusItem)
        m_statusItem->setVisible(!m_preferences->hideMenuBarIcon());
    // The "Dock icon" is the settings window's task-bar entry.
    if (m_settingsWindow)
        m_settingsWindow->setShowsInTaskbar(!m_preferences->hideDockIcon());
    // Without a tray icon the application comes forward, as it would on reopening.
    if (m_preferences->hideMenuBarIcon() && m_settingsWindow && m_settingsWindow->window()
        && m_settingsWindow->window()->isVisible()) {
        m_settingsWindow->window()->raise();
        m_settingsWindow->window()->activateWindow();
    }
}

void VelloraApp::openSettings()
{
    emit settingsRequested(-1);
}

void VelloraApp::checkUpdates()
{
    updater().checkForUpdates(true, true);
}

NativeUpdater &VelloraApp::updater()
{
    if (!m_updater)
        m_updater = std::make_unique<NativeUpdater>(UpdateConfiguration::vellora(), m_services.defaults,
                                                    m_services.network);
    return *m_updater;
}

void VelloraApp::applyUpdaterLanguages()
{
    const QString language = m_preferences->language();
    updater().setPreferredLanguages(language == QLatin1String("system") ? std::nullopt
                                                                        : std::optional<QStringList>(QStringList{language}));
}

void VelloraApp::openCaptureSettings()
{
    ScreenRegionCapture::requestPermission();
}

void VelloraApp::quit()
{
    QCoreApplication::quit();
}
