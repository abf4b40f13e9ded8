#include "SettingsView.h"

#include "NativeAppAppearance.h"
#include "NativeAppearancePicker.h"
#include "ScreenRegionCapture.h"
#include "ShortcutRecorder.h"
#include "VelloraApp.h"
#include "VelloraAISettingsView.h"
#include "VelloraCloudSettings.h"
#include "VelloraLocalization.h"
#include "VelloraPreferences.h"
#include "VelloraSettingsWindow.h"
#include "VelloraUpdatesSettingsView.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

struct Choice {
    const char16_t *key;
    const char16_t *value;
};

// Keys of the language and colour-mode choices, in the order shown.
constexpr Choice LanguageChoices[] = {
    {u"跟随系统", u"system"}, {u"简体中文", u"zh-Hans"}, {u"繁體中文", u"zh-Hant"}, {u"English", u"en"}};
constexpr Choice ColorModeChoices[] = {{u"跟随系统", u"system"}, {u"浅色", u"light"}, {u"深色", u"dark"}};

// Marks the choice keys for the catalogue check; they are looked up by value above.
[[maybe_unused]] const QString ChoiceKeys[] = {VELLORA_L10N_KEY("跟随系统"), VELLORA_L10N_KEY("简体中文"),
                                               VELLORA_L10N_KEY("繁體中文"), VELLORA_L10N_KEY("English"),
                                               VELLORA_L10N_KEY("浅色"),     VELLORA_L10N_KEY("深色")};

QScrollArea *scrolling(QWidget *content) {
    auto *area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The area is no stop of its own: Tab goes straight to the controls inside.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace

SettingsView::SettingsView(VelloraSettingsWindow &controller, VelloraPreferences &preferences,
                           NativeAppAppearance &appearance, VelloraCloudSettings &cloud, NativeUpdater &updater,
                           SecretStore &keyStore,
                           QNetworkAccessManager &network, QWidget *parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_preferences(preferences)
    , m_appearance(appearance)
    , m_cloud(cloud)
    , m_recorder(new ShortcutRecorder(this))
    , m_permissionRequired(ScreenRegionCapture::permissionSetup().required)
    , m_hasPermission(ScreenRegionCapture::permissionGranted()) {
    setObjectName(QStringLiteral("settingsView"));
    setMinimumSize(600, 520);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setIconSize(QSize(16, 16));
    m_tabs->addTab(scrolling(buildGeneralTab()), QString());
    m_aiSettings = new VelloraAISettingsView(preferences, keyStore, network);
    m_tabs->addTab(scrolling(m_aiSettings), QString());
    m_tabs->addTab(scrolling(buildAppearanceTab()), QString());
    m_tabs->addTab(scrolling(new VelloraUpdatesSettingsView(updater, preferences)), QString());
    m_tabs->setCurrentIndex(m_controller.selectedTab());
    for (const auto &[index, key] : {std::pair{0, VELLORA_L10N_KEY("通用")}, std::pair{1, VELLORA_L10N_KEY("AI 润色")},
                                     std::pair{2, VELLORA_L10N_KEY("外观")}, std::pair{3, VELLORA_L10N_KEY("更新")}}) {
        m_texts.bind(m_tabs, key, [this, index](const QString &text) { m_tabs->setTabText(index, text); });
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(m_tabs);

    // The tab view and the controller's selectedTab, both ways; a tab change
    // ends a recording.
    connect(m_tabs, &QTabWidget::currentChanged, &m_controller, &VelloraSettingsWindow::setSelectedTab);
    connect(&m_controller, &VelloraSettingsWindow::selectedTabChanged, this, [this](int tab) {
        m_recorder->stop();
        if (m_tabs->currentIndex() != tab)
            m_tabs->setCurrentIndex(tab);
    });
    connect(m_recorder, &ShortcutRecorder::recordingChanged, &m_controller,
            &VelloraSettingsWindow::shortcutRecordingChanged);
    connect(m_recorder, &ShortcutRecorder::recordingChanged, this, &SettingsView::updateShortcut);
    connect(m_recorder, &ShortcutRecorder::messageChanged, this, &SettingsView::updateShortcut);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &SettingsView::onFocusWindowChanged);
    connect(&m_preferences, &VelloraPreferences::languageChanged, this, &SettingsView::retranslate);
    connect(&m_appearance, &NativeAppAppearance::selectionChanged, this, &SettingsView::updateAccent);

    updateAccent();
    updateSymbols();
    retranslate();
}

SettingsView::~SettingsView() {
    m_recorder->stop();
}

QUrl SettingsView::permissionGuideURL() {
    return QUrl(QStringLiteral("https://vellora.quorvel.app/#faq"));
}

QWidget *SettingsView::buildGeneralTab() {
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("generalTab"));

    // Screen capture permission: where the desktop asks for none (X11) the
    // section says so and offers nothing to press; where it asks, its panel
    // opens from here if the desktop has one.
    const ScreenRegionCapture::PermissionSetup setup = ScreenRegionCapture::permissionSetup();
    auto *permission = new SettingsSection;
    m_texts.bindText(permission->titleLabel(), VELLORA_L10N_KEY("屏幕录制权限"));
    m_permissionSymbol = new QLabel;
    m_permissionText = new QLabel;
    m_permissionText->setObjectName(QStringLiteral("permissionStatus"));
    m_permissionText->setWordWrap(true);
    auto *status = new QWidget;
    auto *statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(0, 2, 0, 0);
    statusLayout->setSpacing(6);
    statusLayout->addWidget(m_permissionSymbol);
    statusLayout->addWidget(m_permissionText, 1);
    auto *localOnly = new SettingsCaption;
    m_texts.bindText(localOnly, VELLORA_L10N_KEY("Vellora 只截取你框选的区域，在本机识别文字。"));
    m_guideLink = new SettingsLink;
    m_guideLink->setObjectName(QStringLiteral("permissionGuide"));
    m_guideLink->setUrl(permissionGuideURL());
    m_texts.bindText(m_guideLink, VELLORA_L10N_KEY("截图权限指南（简体中文）"));
    if (!m_permissionRequired) {
        permission->addGroup({status, localOnly, m_guideLink});
    } else {
        // Nothing here can tell whether the desktop will allow it: its portal
        // asks (or applies its stored answer) when the selection starts, so the
        // section offers no status to refresh, only the panel where there is one.
        permission->addGroup({status, localOnly});
        auto *advice = new SettingsCaption;
        advice->setObjectName(QStringLiteral("permissionAdvice"));
        if (setup.hasSettings()) {
            auto *openSettings = new QPushButton;
            openSettings->setObjectName(QStringLiteral("openPermissionSettings"));
            m_texts.bindText(openSettings, VELLORA_L10N_KEY("打开权限设置"));
            connect(openSettings, &QPushButton::clicked, this, [] { ScreenRegionCapture::requestPermission(); });
            m_texts.bindText(advice, VELLORA_L10N_KEY("授权后若系统提示，请退出并重新打开 Vellora。"));
            permission->addGroup({SettingsSection::buttonRow({openSettings}), advice, m_guideLink});
        } else {
            m_texts.bindText(advice, VELLORA_L10N_KEY("此桌面会在截图时询问是否允许，没有可打开的权限设置。"));
            permission->addGroup({advice, m_guideLink});
        }
    }

    // Where the application shows itself.
    auto *entry = new SettingsSection;
    m_texts.bindText(entry->titleLabel(), VELLORA_L10N_KEY("入口"));
    m_hideMenuBarIcon = new SettingsSwitch;
    m_hideMenuBarIcon->setObjectName(QStringLiteral("hideMenuBarIcon"));
    auto *menuBarLabel = new QLabel;
    m_texts.bindText(menuBarLabel, VELLORA_L10N_KEY("隐藏菜单栏图标"));
    m_texts.bindText(m_hideMenuBarIcon, VELLORA_L10N_KEY("隐藏菜单栏图标"));
    entry->addLabeledRow(menuBarLabel, m_hideMenuBarIcon);
    m_hideDockIcon = new SettingsSwitch;
    m_hideDockIcon->setObjectName(QStringLiteral("hideDockIcon"));
    auto *dockLabel = new QLabel;
    m_texts.bindText(dockLabel, VELLORA_L10N_KEY("隐藏 Dock 图标"));
    m_texts.bindText(m_hideDockIcon, VELLORA_L10N_KEY("隐藏 Dock 图标"));
    auto *hiddenCaption = new SettingsCaption;
    m_texts.bindText(hiddenCaption,
                     VELLORA_L10N_KEY("同时隐藏后，可从“应用程序”重新打开 Vellora 进入设置；截图快捷键仍可使用。"));
    entry->addGroup({SettingsSection::labeledRow(dockLabel, m_hideDockIcon), hiddenCaption});
    // The switches draw their own text-less face; the label beside them names them.
    m_hideMenuBarIcon->setChecked(m_preferences.hideMenuBarIcon());
    m_hideDockIcon->setChecked(m_preferences.hideDockIcon());
    connect(m_hideMenuBarIcon, &SettingsSwitch::toggled, &m_preferences, [this](bool on) {
        if (m_preferences.hideMenuBarIcon() != on)
            m_preferences.setHideMenuBarIcon(on);
    });
    connect(m_hideDockIcon, &SettingsSwitch::toggled, &m_preferences, [this](bool on) {
        if (m_preferences.hideDockIcon() != on)
            m_preferences.setHideDockIcon(on);
    });
    connect(&m_preferences, &VelloraPreferences::hideMenuBarIconChanged, m_hideMenuBarIcon,
            [this] { m_hideMenuBarIcon->setChecked(m_preferences.hideMenuBarIcon()); });
    connect(&m_preferences, &VelloraPreferences::hideDockIconChanged, m_hideDockIcon,
            [this] { m_hideDockIcon->setChecked(m_preferences.hideDockIcon()); });

    // Language.
    auto *languageSection = new SettingsSection;
    m_texts.bindText(languageSection->titleLabel(), VELLORA_L10N_KEY("语言与同步"));
    m_language = new QComboBox;
    m_language->setObjectName(QStringLiteral("language"));
    for (const Choice &choice : LanguageChoices)
        m_language->addItem(QString(), QString::fromUtf16(choice.value));
    auto *languageLabel = new QLabel;
    languageLabel->setBuddy(m_language);
    m_texts.bindText(languageLabel, VELLORA_L10N_KEY("语言"));
    m_texts.bind(m_language, VELLORA_L10N_KEY("语言"), [this](const QString &text) {
        m_language->setAccessibleName(text);
        for (int index = 0; index < m_language->count(); ++index)
            m_language->setItemText(
                index, velloraLocalized(QString::fromUtf16(LanguageChoices[index].key), m_preferences.language()));
    });
    languageSection->addLabeledRow(languageLabel, m_language);
    auto selectLanguage = [this] {
        const int index = m_language->findData(m_preferences.language());
        // A stored language that is none of the choices behaves as "system".
        m_language->setCurrentIndex(index >= 0 ? index : 0);
    };
    selectLanguage();
    connect(m_language, &QComboBox::activated, &m_preferences, [this](int index) {
        const QString value = m_language->itemData(index).toString();
        if (m_preferences.language() != value)
            m_preferences.setLanguage(value);
    });
    connect(&m_preferences, &VelloraPreferences::languageChanged, m_language, selectLanguage);

    // Settings synced through the cloud folder: the switch and its status line.
    m_cloudSync = new SettingsSwitch;
    m_cloudSync->setObjectName(QStringLiteral("cloudSync"));
    auto *cloudLabel = new QLabel;
    m_texts.bindText(cloudLabel, VELLORA_L10N_KEY("iCloud 同步配置"));
    m_texts.bindText(m_cloudSync, VELLORA_L10N_KEY("iCloud 同步配置"));
    // The one-line status stands under the switch's label, beside the switch.
    m_cloudStatus = new SettingsCaption;
    m_cloudStatus->setObjectName(QStringLiteral("cloudStatus"));
    auto *cloudTexts = new QWidget;
    auto *cloudTextsLayout = new QVBoxLayout(cloudTexts);
    cloudTextsLayout->setContentsMargins(0, 0, 0, 0);
    cloudTextsLayout->setSpacing(0);
    cloudTextsLayout->addWidget(cloudLabel);
    cloudTextsLayout->addWidget(m_cloudStatus);
    auto *cloudCaption = new SettingsCaption;
    m_texts.bindText(cloudCaption,
                     VELLORA_L10N_KEY(
                         "同步语言、外观、图标显示、快捷键和 AI 服务设置。API Key、授权和屏幕录制权限仍保存在各台 Mac。"));
    auto *cloudGroup = new QWidget;
    auto *cloudGroupLayout = new QGridLayout(cloudGroup);
    cloudGroupLayout->setContentsMargins(0, 0, 0, 2);
    cloudGroupLayout->setHorizontalSpacing(12);
    cloudGroupLayout->setVerticalSpacing(3);
    cloudGroupLayout->addWidget(cloudTexts, 0, 0);
    cloudGroupLayout->addWidget(m_cloudSync, 0, 1, Qt::AlignVCenter);
    cloudGroupLayout->addWidget(cloudCaption, 1, 0, 1, 2);
    cloudGroupLayout->setColumnStretch(0, 1);
    languageSection->addRow(cloudGroup);
    m_cloudSync->setChecked(m_cloud.enabled());
    // Switching on finishes later (or not at all); the switch follows the controller.
    connect(m_cloudSync, &SettingsSwitch::toggled, &m_cloud, [this](bool on) {
        if (m_cloud.enabled() != on)
            m_cloud.setEnabled(on);
    });
    connect(&m_cloud, &VelloraCloudSettings::enabledChanged, m_cloudSync,
            [this](bool enabled) { m_cloudSync->setChecked(enabled); });
    connect(&m_cloud, &VelloraCloudSettings::statusChanged, this, &SettingsView::updateCloudStatus);
    // A palette picked here is a synced setting too.
    connect(&m_appearance, &NativeAppAppearance::selectionChanged, &m_cloud, &VelloraCloudSettings::save);

    // The capture shortcut.
    auto *shortcut = new SettingsSection;
    m_texts.bindText(shortcut->titleLabel(), VELLORA_L10N_KEY("截图快捷键"));
    m_shortcutTitle = new QLabel;
    m_shortcutTitle->setObjectName(QStringLiteral("shortcutTitle"));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF() * 1.1);
    m_shortcutTitle->setFont(mono);
    m_recordShortcut = new QPushButton;
    m_recordShortcut->setObjectName(QStringLiteral("recordShortcut"));
    // A recording swallows the keys; the button must not take Space or Return meanwhile.
    m_recordShortcut->setAutoDefault(false);
    auto *shortcutRow = new QWidget;
    auto *shortcutLayout = new QHBoxLayout(shortcutRow);
    shortcutLayout->setContentsMargins(0, 0, 0, 0);
    shortcutLayout->addWidget(m_shortcutTitle);
    shortcutLayout->addStretch(1);
    shortcutLayout->addWidget(m_recordShortcut);
    m_recorderMessage = new SettingsCaption;
    m_recorderMessage->setObjectName(QStringLiteral("recorderMessage"));
    m_shortcutError = new SettingsCaption;
    m_shortcutError->setObjectName(QStringLiteral("shortcutError"));
    m_shortcutError->setTextColor(SettingsColors::failure());
    m_shortcutRoute = new SettingsCaption;
    m_shortcutRoute->setObjectName(QStringLiteral("shortcutRoute"));
    m_shortcutRoute->setWordWrap(true);
    m_captureCommands = new QLabel(VelloraApp::captureCommands().join(u'\n'));
    m_captureCommands->setObjectName(QStringLiteral("captureCommands"));
    m_captureCommands->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_captureCommands->setTextInteractionFlags(Qt::TextSelectableByMouse);
    shortcut->addGroup({shortcutRow, m_recorderMessage, m_shortcutError, m_shortcutRoute, m_captureCommands});
    connect(m_recordShortcut, &QPushButton::clicked, this, [this] { m_recorder->toggle(m_preferences); });
    connect(&m_preferences, &VelloraPreferences::shortcutChanged, this, &SettingsView::updateShortcut);
    connect(&m_preferences, &VelloraPreferences::shortcutErrorChanged, this, &SettingsView::updateShortcut);

    // Spaced to fit the fixed window in every language and state (a recorder
    // message, a cloud status) without scrolling.
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 6, 12, 6);
    layout->setSpacing(8);
    for (SettingsSection *section : {permission, entry, languageSection, shortcut})
        layout->addWidget(section);
    layout->addStretch(1);
    return content;
}

QWidget *SettingsView::buildAppearanceTab() {
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("appearanceTab"));
    auto *title = new QLabel;
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.45);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);
    m_texts.bindText(title, VELLORA_L10N_KEY("外观"));

    m_colorMode = new SegmentedControl;
    m_colorMode->setObjectName(QStringLiteral("colorMode"));
    auto *modeLabel = new QLabel;
    m_texts.bindText(modeLabel, VELLORA_L10N_KEY("界面模式"));
    m_texts.bind(m_colorMode, VELLORA_L10N_KEY("界面模式"), [this](const QString &text) {
        m_colorMode->setAccessibleName(text);
        QStringList titles;
        for (const Choice &choice : ColorModeChoices)
            titles.append(velloraLocalized(QString::fromUtf16(choice.key), m_preferences.language()));
        m_colorMode->setSegments(titles);
    });
    auto selectMode = [this] {
        int index = 0;
        for (int i = 0; i < int(std::size(ColorModeChoices)); ++i) {
            if (m_preferences.colorMode() == QString::fromUtf16(ColorModeChoices[i].value))
                index = i;
        }
        m_colorMode->setCurrentIndex(index);
    };
    connect(m_colorMode, &SegmentedControl::activated, &m_preferences,
            [this](int index) { m_preferences.setColorMode(QString::fromUtf16(ColorModeChoices[index].value)); });
    connect(&m_preferences, &VelloraPreferences::colorModeChanged, m_colorMode, selectMode);
    auto *modeRow = new QHBoxLayout;
    modeRow->setSpacing(12);
    modeRow->addWidget(modeLabel);
    modeRow->addWidget(m_colorMode);
    modeRow->addStretch(1);

    m_picker = new NativeAppearancePicker(m_appearance, m_preferences.language());

    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(22);
    layout->addWidget(title);
    layout->addLayout(modeRow);
    layout->addWidget(m_picker);
    layout->addStretch(1);
    // Three segments now; their titles come with the first retranslate().
    m_colorMode->setSegments({QString(), QString(), QString()});
    selectMode();
    return content;
}

void SettingsView::retranslate() {
    const QString language = m_preferences.language();
    m_texts.apply(language);
    m_picker->setLanguage(language);
    setLocale(language == QLatin1String("system") ? QLocale::system() : QLocale(language));
    if (QWidget *top = window(); top != this)
        top->setWindowTitle(velloraLocalized(QStringLiteral("Vellora 设置"), language));
    updatePermission();
    updateShortcut();
    updateCloudStatus();
}

void SettingsView::updatePermission() {
    const QString language = m_preferences.language();
    m_permissionText->setText(!m_permissionRequired ? velloraLocalized(QStringLiteral("此桌面无需屏幕录制授权"), language)
                              : m_hasPermission     ? velloraLocalized(QStringLiteral("已允许截取屏幕"), language)
                                                    : velloraLocalized(QStringLiteral("尚未允许截取屏幕"), language));
    const QIcon symbol = m_hasPermission
                             ? settingsSymbolIcon(SettingsSymbol::CheckmarkCircleFill, SettingsColors::success(), 16)
                             : settingsSymbolIcon(SettingsSymbol::ExclamationCircle, SettingsColors::warning(), 16);
    m_permissionSymbol->setPixmap(symbol.pixmap(QSize(16, 16), devicePixelRatioF()));
}

void SettingsView::updateShortcut() {
    const QString language = m_preferences.language();
    m_shortcutTitle->setText(m_preferences.shortcutTitle());
    m_recordShortcut->setText(m_recorder->recording() ? velloraLocalized(QStringLiteral("取消录制"), language)
                                                      : velloraLocalized(QStringLiteral("录制快捷键"), language));
    const QString message = m_recorder->message();
    m_recorderMessage->setText(velloraLocalized(message, language));
    m_recorderMessage->setVisible(!message.isEmpty());
    const QString error = m_preferences.shortcutError();
    m_shortcutError->setText(velloraLocalized(error, language));
    m_shortcutError->setVisible(!error.isEmpty());
    switch (m_hotKeyRoute) {
    case HotKeyRoute::KeyGrab:
        m_shortcutRoute->setText(velloraLocalized(VELLORA_L10N_KEY("快捷键由 X11 直接注册。"), language));
        break;
    case HotKeyRoute::DesktopPortal:
        m_shortcutRoute->setText(velloraLocalized(
            VELLORA_L10N_KEY("快捷键通过桌面的全局快捷键门户注册，桌面可能会请你确认。"), language));
        break;
    case HotKeyRoute::DesktopSettings:
        m_shortcutRoute->setText(velloraLocalized(
            VELLORA_L10N_KEY("此桌面没有全局快捷键门户：请在系统键盘设置中添加自定义快捷键，运行以下命令（识字并复制、识字并 AI 润色）："),
            language));
        break;
    }
    m_captureCommands->setVisible(m_hotKeyRoute == HotKeyRoute::DesktopSettings);
}

void SettingsView::setHotKeyRoute(HotKeyRoute route) {
    m_hotKeyRoute = route;
    updateShortcut();
}

void SettingsView::updateCloudStatus() {
    m_cloudStatus->setSingleLineText(m_cloud.statusText(m_preferences.language()));
}

void SettingsView::updateAccent() {
    m_applyingAccent = true;
    const QColor accent = m_appearance.accent();
    // The accent as link text: the palette colour itself is too dark to read on a dark window.
    const QColor link = SettingsColors::isDark(QApplication::palette()) ? accent.lighter(165) : accent;
    QPalette own = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        own.setColor(group, QPalette::Highlight, accent);
        own.setColor(group, QPalette::HighlightedText, Qt::white);
        own.setColor(group, QPalette::Link, link);
        own.setColor(group, QPalette::LinkVisited, link);
    }
    setPalette(own);
    m_applyingAccent = false;
}

void SettingsView::updateSymbols() {
    const QColor color = palette().color(QPalette::WindowText);
    m_tabs->setTabIcon(0, settingsSymbolIcon(SettingsSymbol::Gear, color));
    m_tabs->setTabIcon(1, settingsSymbolIcon(SettingsSymbol::Sparkles, color));
    m_tabs->setTabIcon(2, settingsSymbolIcon(SettingsSymbol::PaintPalette, color));
    m_tabs->setTabIcon(3, settingsSymbolIcon(SettingsSymbol::ArrowsCirclepath, color));
}

void SettingsView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ApplicationPaletteChange && !m_applyingAccent) {
        updateAccent();
        updateSymbols();
        updatePermission();
    } else if (event->type() == QEvent::PaletteChange && !m_applyingAccent) {
        updateSymbols();
    }
    QWidget::changeEvent(event);
}

void SettingsView::hideEvent(QHideEvent *event) {
    m_recorder->stop();
    QWidget::hideEvent(event);
}

void SettingsView::onFocusWindowChanged(QWindow *) {
    // Another window became active (or none is): a recording ends, as it would
    // when the user clicks into another application.
    m_recorder->stop();
}
