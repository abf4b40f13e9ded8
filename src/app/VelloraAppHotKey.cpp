// The global hot key: one combination, the `shortcut` preference, that starts a
// plain capture from any application.
#include "VelloraApp.h"

#include "CapturedShortcut.h"
#include "GlobalHotKeys.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>

void VelloraApp::installHotKey()
{
    const CapturedShortcut shortcut = m_preferences->shortcut();
    // Setting the same shortcut again changes nothing, not even the menu.
    if (m_activeShortcut && *m_activeShortcut == shortcut)
        return;
    GlobalHotKeys *hotKeys = m_services.hotKeys;
    // Where the desktop's own settings run the capture command there is nothing to register.
    if (!hotKeys || m_hotKeySuspended || m_hotKeyRoute == HotKeyRoute::DesktopSettings) {
        updateShortcutLine();
        return;
    }
    if (!m_hotKeyHandlerInstalled) {
        connect(hotKeys, &GlobalHotKeys::hotKeyPressed, this, &VelloraApp::onHotKeyPressed, Qt::QueuedConnection);
        connect(hotKeys, &GlobalHotKeys::registrationFailed, this, &VelloraApp::onHotKeyRegistrationFailed,
                Qt::QueuedConnection);
        m_hotKeyHandlerInstalled = true;
    }
    if (m_hotKey) {
        hotKeys->unregisterHotKey(*m_hotKey);
        m_hotKey.reset();
    }

    const GlobalHotKeys::HotKeyId id{HotKeySignature, HotKeyIdentifier};
    const Result<GlobalHotKeys::Handle> registered = hotKeys->registerHotKey(shortcut.keyCode, shortcut.modifiers, id);
    if (registered.ok()) {
        // A desktop that answers later may still refuse it (onHotKeyRegistrationFailed).
        m_shortcutBeforeRegistration = m_activeShortcut;
        m_hotKey = registered.value();
        m_activeShortcut = shortcut;
        m_preferences->setShortcutError(QString());
        updateShortcutLine();
        return;
    }
    restoreShortcut(m_activeShortcut);
}

void VelloraApp::restoreShortcut(const std::optional<CapturedShortcut> &previous)
{
    m_preferences->setShortcutError(QStringLiteral("快捷键已被占用，请重新录制。"));
    m_activeShortcut = previous;
    if (previous) {
        // Keep the combination that worked, and write it back to the preference;
        // the change callback then finds it active and stops.
        const Result<GlobalHotKeys::Handle> again = m_services.hotKeys->registerHotKey(
            previous->keyCode, previous->modifiers, {HotKeySignature, HotKeyIdentifier});
        if (again.ok())
            m_hotKey = again.value();
        // Should the desktop refuse this one too, nothing is left to fall back on.
        m_shortcutBeforeRegistration.reset();
        m_preferences->setShortcut(*previous);
        // The menu names the combination that works, not the one refused.
        updateShortcutLine();
        return;
    }
    // Nothing was ever registered: the menu remains the way to start a capture.
    updateShortcutLine();
    setToolTip(QStringLiteral("Vellora 快捷键注册失败，可从菜单启动"));
}

void VelloraApp::updateShortcutLine()
{
    // The registered shortcut where there is one: while the recorder holds the
    // hot key aside, or after a refusal, that is the combination in force.
    const QString title = m_activeShortcut ? m_activeShortcut->displayTitle() : m_preferences->shortcutTitle();
    m_shortcutAction->setText(velloraLocalizedFormatIn(language(), QStringLiteral("快捷键：%@"), title));
}

void VelloraApp::onHotKeyRegistrationFailed(GlobalHotKeys::Handle handle, const Error &error)
{
    // Only the registration that stands for the hot key now counts; an answer
    // to one already replaced is stale.
    if (!m_hotKey || *m_hotKey != handle)
        return;
    m_hotKey.reset();
    if (error.code == GlobalHotKeys::Unavailable) {
        // The desktop has no global shortcuts: its own keyboard settings run the capture command.
        m_activeShortcut.reset();
        m_shortcutBeforeRegistration.reset();
        setHotKeyRoute(HotKeyRoute::DesktopSettings);
        updateShortcutLine();
        return;
    }
    // The user or the desktop refused the new combination: the previous one comes back.
    restoreShortcut(m_shortcutBeforeRegistration);
}

void VelloraApp::setHotKeyRoute(HotKeyRoute route)
{
    if (m_hotKeyRoute == route)
        return;
    m_hotKeyRoute = route;
    emit hotKeyRouteChanged(route);
}

QStringList VelloraApp::captureCommands()
{
    QString program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    if (program.contains(u' ') || program.contains(u'\''))
        program = u'\'' + program.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    return {program + QStringLiteral(" --capture"), program + QStringLiteral(" --capture-polish")};
}

void VelloraApp::releaseHotKey()
{
    if (!m_services.hotKeys)
        return;
    if (m_hotKey) {
        m_services.hotKeys->unregisterHotKey(*m_hotKey);
        m_hotKey.reset();
    }
    if (m_hotKeyHandlerInstalled) {
        disconnect(m_services.hotKeys, &GlobalHotKeys::hotKeyPressed, this, &VelloraApp::onHotKeyPressed);
        disconnect(m_services.hotKeys, &GlobalHotKeys::registrationFailed, this,
                   &VelloraApp::onHotKeyRegistrationFailed);
        m_hotKeyHandlerInstalled = false;
    }
}

void VelloraApp::suspendHotKey()
{
    m_hotKeySuspended = true;
    if (m_services.hotKeys && m_hotKey) {
        m_services.hotKeys->unregisterHotKey(*m_hotKey);
        m_hotKey.reset();
    }
}

void VelloraApp::resumeHotKey()
{
    m_hotKeySuspended = false;
    GlobalHotKeys *hotKeys = m_services.hotKeys;
    if (hotKeys && m_activeShortcut && !m_hotKey) {
        const Result<GlobalHotKeys::Handle> again = hotKeys->registerHotKey(
            m_activeShortcut->keyCode, m_activeShortcut->modifiers, {HotKeySignature, HotKeyIdentifier});
        if (again.ok())
            m_hotKey = again.value();
        m_shortcutBeforeRegistration = m_activeShortcut;
    }
    // A shortcut recorded meanwhile is registered now, or refused with the old one kept.
    installHotKey();
}

void VelloraApp::onHotKeyPressed(GlobalHotKeys::HotKeyId id)
{
    // Only the signature tells our hot key; the identifier is not compared.
    if (id.signature != HotKeySignature)
        return;
    startCapture();
}
