#include "VelloraPreferences.h"

#include "AIKeychain.h"
#include "SecretStore.h"
#include "UserDefaults.h"
#include "VelloraDefaultPrompt.h"
#include "VelloraLocalization.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QtConcurrent>

#include <type_traits>

namespace {

const QString aiBaseURLKey = QStringLiteral("aiBaseURL");
const QString aiModelKey = QStringLiteral("aiModel");
const QString polishPromptKey = QStringLiteral("polishPrompt");
const QString hideMenuBarIconKey = QStringLiteral("hideMenuBarIcon");
const QString hideDockIconKey = QStringLiteral("hideDockIcon");
const QString shortcutKey = QStringLiteral("shortcut");
const QString colorModeKey = QStringLiteral("colorMode");
const QString languageKey = QStringLiteral("language");

QStringList processArguments() {
    return QCoreApplication::instance() != nullptr ? QCoreApplication::arguments() : QStringList();
}

} // namespace

VelloraPreferences::VelloraPreferences(UserDefaults &defaults, SecretStore &keyStore, bool readKey, QObject *parent)
    : VelloraPreferences(defaults, keyStore, readKey, processArguments(), parent) {}

VelloraPreferences::VelloraPreferences(UserDefaults &defaults, SecretStore &keyStore, bool readKey,
                                       const QStringList &arguments, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_keyStore(keyStore) {
    m_keyQueue.setMaxThreadCount(1);

    const QString language = defaults.string(languageKey).value_or(QStringLiteral("system"));
    m_aiBaseURL =
        bounded(defaults.string(aiBaseURLKey).value_or(defaultBaseURL()), MaximumBaseURLLength, baseURLCutNotice());
    m_aiModel = bounded(defaults.string(aiModelKey).value_or(defaultModel()), MaximumModelLength, modelCutNotice());
    const QString storedPrompt = defaults.string(polishPromptKey).value_or(VelloraDefaultPrompt::forLanguage(language));
    const QString migratedPrompt = VelloraDefaultPrompt::migrate(storedPrompt, language);
    m_polishPrompt = bounded(migratedPrompt, MaximumPromptLength, promptCutNotice());
    m_hideMenuBarIcon = defaults.boolean(hideMenuBarIconKey).value_or(false);
    m_hideDockIcon = defaults.boolean(hideDockIconKey).value_or(!m_hideMenuBarIcon);

    // The preview of the settings window shows the state without a key, and
    // must not make the keyring ask for an unlock.
    if (readKey && !arguments.contains(QStringLiteral("--open-settings-preview"))) {
        SecretStore &store = m_keyStore;
        runKeyOperation([&store] { return AIKeychain::read(store); },
                        [this](const Result<std::optional<QString>> &stored) {
                            // A failing read counts as no key; its error is not shown,
                            // except a locked keyring, which may well hold a key.
                            setKeySaved(stored.ok() && stored.value().has_value());
                            if (!stored.ok() && AIKeychain::isLocked(stored.error()))
                                setKeyError(stored.error().description);
                        });
    }

    const std::optional<QByteArray> shortcutData = defaults.data(shortcutKey);
    m_shortcut = (shortcutData ? CapturedShortcut::fromJson(*shortcutData) : std::nullopt)
                     .value_or(CapturedShortcut::defaultShortcut());
    m_colorMode = defaults.string(colorModeKey).value_or(QStringLiteral("system"));
    m_language = language;

    // Only a replaced legacy prompt is written back; a text that was cut stays
    // stored as it was until the setting is next assigned.
    if (migratedPrompt != storedPrompt)
        m_defaults.setString(polishPromptKey, m_polishPrompt);
}

VelloraPreferences::~VelloraPreferences() {
    // A keyring call that is still running finishes before the store goes;
    // its result is dropped with the watchers.
    m_keyQueue.waitForDone();
}

QString VelloraPreferences::defaultBaseURL() {
    return QStringLiteral("https://api.deepseek.com/v1");
}

QString VelloraPreferences::defaultModel() {
    return QStringLiteral("deepseek-v4-flash");
}

QString VelloraPreferences::baseURLCutNotice() {
    return VELLORA_L10N_KEY("API 根地址超过 2048 个字符，多出的部分已删去。");
}

QString VelloraPreferences::modelCutNotice() {
    return VELLORA_L10N_KEY("模型名称超过 256 个字符，多出的部分已删去。");
}

QString VelloraPreferences::promptCutNotice() {
    return VELLORA_L10N_KEY("润色提示词超过 20000 个字符，多出的部分已删去。");
}

QString VelloraPreferences::bounded(const QString &text, qsizetype maximum, const QString &notice) {
    if (text.size() <= maximum) {
        if (m_textLimitNotice == notice)
            setTextLimitNotice(QString());
        return text;
    }
    qsizetype length = maximum;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    setTextLimitNotice(notice);
    return text.left(length);
}

void VelloraPreferences::call(const Callback &callback) {
    if (callback)
        callback();
}

void VelloraPreferences::setAiBaseURL(const QString &value) {
    m_aiBaseURL = bounded(value, MaximumBaseURLLength, baseURLCutNotice());
    emit aiBaseURLChanged();
    m_defaults.setString(aiBaseURLKey, m_aiBaseURL);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setAiModel(const QString &value) {
    m_aiModel = bounded(value, MaximumModelLength, modelCutNotice());
    emit aiModelChanged();
    m_defaults.setString(aiModelKey, m_aiModel);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setPolishPrompt(const QString &value) {
    m_polishPrompt = bounded(value, MaximumPromptLength, promptCutNotice());
    emit polishPromptChanged();
    m_defaults.setString(polishPromptKey, m_polishPrompt);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setHideMenuBarIcon(bool value) {
    m_hideMenuBarIcon = value;
    emit hideMenuBarIconChanged();
    m_defaults.setBoolean(hideMenuBarIconKey, value);
    call(m_onVisibilityChange);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setHideDockIcon(bool value) {
    m_hideDockIcon = value;
    emit hideDockIconChanged();
    m_defaults.setBoolean(hideDockIconKey, value);
    call(m_onVisibilityChange);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setKeySaved(bool value) {
    m_keySaved = value;
    emit keySavedChanged();
}

void VelloraPreferences::setKeyError(const QString &value) {
    m_keyError = value;
    emit keyErrorChanged();
}

void VelloraPreferences::setShortcut(const CapturedShortcut &value) {
    m_shortcut = value;
    emit shortcutChanged();
    m_defaults.setData(shortcutKey, value.toJson());
    call(m_onShortcutChange);
    call(m_onConfigurationChange);
}

void VelloraPreferences::setTextLimitNotice(const QString &value) {
    m_textLimitNotice = value;
    emit textLimitNoticeChanged();
}

void VelloraPreferences::setShortcutError(const QString &value) {
    m_shortcutError = value;
    emit shortcutErrorChanged();
}

void VelloraPreferences::setColorMode(const QString &value) {
    m_colorMode = value;
    emit colorModeChanged();
    m_defaults.setString(colorModeKey, value);
    applyColorMode();
    call(m_onConfigurationChange);
}

void VelloraPreferences::setLanguage(const QString &value) {
    m_language = value;
    emit languageChanged();
    m_defaults.setString(languageKey, value);
    // A built-in prompt follows the language; one the user edited stays.
    if (VelloraDefaultPrompt::all().contains(m_polishPrompt))
        setPolishPrompt(VelloraDefaultPrompt::forLanguage(value));
    call(m_onLanguageChange);
    call(m_onConfigurationChange);
}

void VelloraPreferences::saveKey(const QString &typed) {
    const QString key = typed.trimmed();
    SecretStore &store = m_keyStore;
    runKeyOperation([&store, key] { return key.isEmpty() ? AIKeychain::remove(store) : AIKeychain::write(store, key); },
                    [this, saved = !key.isEmpty()](const Result<void> &result) {
                        if (result) {
                            setKeySaved(saved);
                            setKeyError(QString());
                        } else {
                            // The message's language is the stored preference at this moment.
                            setKeyError(velloraLocalizedFormat(
                                QStringLiteral("保存密钥失败：%@"),
                                velloraLocalizedDescription(result.error().description, velloraStoredLanguage())));
                        }
                    });
}

VelloraPreferences::ColorScheme VelloraPreferences::colorSchemeFor(const QString &colorMode) {
    if (colorMode == QLatin1StringView("light"))
        return ColorScheme::Light;
    if (colorMode == QLatin1StringView("dark"))
        return ColorScheme::Dark;
    return ColorScheme::System;
}

void VelloraPreferences::applyColorMode() {
    if (m_colorSchemeApplier)
        m_colorSchemeApplier(colorSchemeFor(m_colorMode));
}

template <typename Work, typename Apply> void VelloraPreferences::runKeyOperation(Work work, Apply apply) {
    using Outcome = std::invoke_result_t<Work>;
    auto *watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, apply = std::move(apply)] {
        apply(watcher->result());
        watcher->deleteLater();
        if (--m_pendingKeyOperations == 0)
            emit keyBusyChanged();
    });
    if (m_pendingKeyOperations++ == 0)
        emit keyBusyChanged();
    watcher->setFuture(QtConcurrent::run(&m_keyQueue, std::move(work)));
}
