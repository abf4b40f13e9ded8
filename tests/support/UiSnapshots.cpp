// vellora-ui-snapshots OUTPUT_DIR: renders the application's transient surfaces
// (toasts of every kind, the popup menus and the tray icon, light and dark, and
// the General tab in the shortcut recorder's states) into PNG files, for
// looking at them and for the documentation. Not a test: it checks nothing.
#include "LibsecretSecretStore.h"
#include "NativeAppAppearance.h"
#include "NativeMenu.h"
#include "NativeMenuContentView.h"
#include "NativeMenuStyle.h"
#include "NativeTrayIcon.h"
#include "NativeUpdater.h"
#include "SettingsView.h"
#include "ShortcutRecorder.h"
#include "ToastPanel.h"
#include "UpdateConfiguration.h"
#include "UserDefaults.h"
#include "VelloraCloudSettings.h"
#include "VelloraIcon.h"
#include "VelloraPreferences.h"
#include "VelloraSettingsWindow.h"
#include "VelloraToast.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QDir>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>

namespace {

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(40, 40, 42));
    palette.setColor(QPalette::WindowText, QColor(236, 236, 236));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::Text, QColor(236, 236, 236));
    palette.setColor(QPalette::Button, QColor(52, 52, 55));
    palette.setColor(QPalette::ButtonText, QColor(236, 236, 236));
    return palette;
}

// The panel over a desktop-like backdrop, the way a user sees it.
QImage onBackdrop(QWidget &panel, bool dark) {
    const QPixmap shot = panel.grab();
    QImage canvas(shot.size() / shot.devicePixelRatio() + QSize(48, 48), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    QLinearGradient backdrop(0, 0, canvas.width(), canvas.height());
    backdrop.setColorAt(0, dark ? QColor(30, 40, 60) : QColor(200, 214, 235));
    backdrop.setColorAt(1, dark ? QColor(60, 30, 50) : QColor(235, 215, 200));
    painter.fillRect(canvas.rect(), backdrop);
    painter.drawPixmap(24, 24, shot);
    return canvas;
}

// A status menu with every kind of row: a focused one, a checked one, a
// disabled one with an icon and a shortcut, information lines, a submenu.
struct SnapshotMenu {
    QMenu root{QStringLiteral("Vellora")};
    QMenu language{QStringLiteral("界面语言")};

    explicit SnapshotMenu(bool dark) {
        root.addAction(NativeTrayIcon::icon(dark ? NativeTrayIcon::Variant::ForDarkPanel : NativeTrayIcon::Variant::ForLightPanel),
                       QStringLiteral("选区识字并复制"))
            ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_2));
        root.addAction(QStringLiteral("选区识字并 AI 润色"));
        root.addAction(QStringLiteral("就绪"))->setEnabled(false);
        root.addAction(QStringLiteral("快捷键：Ctrl+Shift+Super+2"))->setEnabled(false);
        root.addSeparator();
        QAction *startup = root.addAction(QStringLiteral("登录时启动"));
        startup->setCheckable(true);
        startup->setChecked(true);
        root.addMenu(&language);
        for (const char *name : {"跟随系统", "简体中文", "繁體中文", "English"}) {
            QAction *item = language.addAction(QString::fromUtf8(name));
            item->setCheckable(true);
            item->setChecked(QByteArray(name) == "简体中文");
        }
        QAction *permission = root.addAction(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon),
                                             QStringLiteral("打开屏幕录制权限设置…"));
        permission->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
        permission->setEnabled(false);
        root.addSeparator();
        root.addAction(QStringLiteral("设置…"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
        root.addAction(QStringLiteral("退出 Vellora"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    }
};

void pressKey(QWidget *widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// Light and dark renders of the same surface side by side, for the documentation.
QImage sideBySide(const QImage &light, const QImage &dark) {
    QImage sheet(light.width() + dark.width(), std::max(light.height(), dark.height()),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(0, 0, light);
    painter.drawImage(light.width(), 0, dark);
    return sheet;
}

struct MenuShots {
    QImage popup;
    QImage submenu;
    QImage style;
};

MenuShots renderMenus(bool dark) {
    MenuShots shots;
    SnapshotMenu menu(dark);
    NativeMenu &popup = NativeMenu::shared();
    popup.show(&menu.root, QRect(200, 0, 24, 24));
    popup.contentView()->focus(0);
    shots.popup = onBackdrop(*popup.popupWindow(), dark);
    // Into the submenu the way a user goes: the keyboard.
    NativeMenuContentView *content = popup.contentView();
    content->focus(int(content->rows().size()) - 4);
    pressKey(content, Qt::Key_Right);
    pressKey(popup.contentView(), Qt::Key_Down);
    pressKey(popup.contentView(), Qt::Key_Down);
    shots.submenu = onBackdrop(*popup.popupWindow(), dark);
    popup.close();

    // An ordinary QMenu, as the settings window's menus and context menus show it.
    QMenu edit(QStringLiteral("编辑"));
    NativeMenuStyle::decorate(&edit);
    edit.addAction(QStringLiteral("撤销"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit.addAction(QStringLiteral("重做"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit.addSeparator();
    QAction *cut = edit.addAction(QStringLiteral("剪切"));
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    edit.addAction(QStringLiteral("复制"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    edit.addAction(QStringLiteral("粘贴"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    edit.actions().at(0)->setEnabled(false);
    edit.setActiveAction(cut);
    edit.adjustSize();
    shots.style = onBackdrop(edit, dark);
    return shots;
}

void saveMenus(const QString &output, const MenuShots &light, const MenuShots &dark) {
    for (const auto &[shots, suffix] : {std::pair{&light, "light"}, std::pair{&dark, "dark"}}) {
        const QString name = QLatin1String(suffix);
        shots->popup.save(QStringLiteral("%1/menu-popup-%2.png").arg(output, name));
        shots->submenu.save(QStringLiteral("%1/menu-submenu-%2.png").arg(output, name));
        shots->style.save(QStringLiteral("%1/menu-style-%2.png").arg(output, name));
    }
    sideBySide(light.popup, dark.popup).save(output + QStringLiteral("/menu-popup.png"));
    sideBySide(light.submenu, dark.submenu).save(output + QStringLiteral("/menu-submenu.png"));
}

// The tray icon at the sizes panels use: each drawing on a light and on a dark
// panel, the ink variants where the tray names its colour, the badge where it
// does not (it must read on both).
void saveTrayIcons(const QString &output) {
    const QList<int> sizes{16, 24, 32, 48};
    const QList<std::pair<NativeTrayIcon::Variant, bool>> rows{
        {NativeTrayIcon::Variant::ForLightPanel, false},
        {NativeTrayIcon::Variant::ForDarkPanel, true},
        {NativeTrayIcon::Variant::Badge, false},
        {NativeTrayIcon::Variant::Badge, true},
    };
    QImage sheet(4 * 72 + 16, int(rows.size()) * 64, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&sheet);
    int top = 0;
    for (const auto &[variant, dark] : rows) {
        painter.fillRect(QRect(0, top, sheet.width(), 64), dark ? QColor(34, 34, 38) : QColor(236, 236, 240));
        int x = 16;
        for (const int size : sizes) {
            painter.drawImage(QPoint(x + (48 - size) / 2, top + (64 - size) / 2), NativeTrayIcon::image(variant, size));
            x += 72;
        }
        top += 64;
    }
    painter.end();
    sheet.save(output + QStringLiteral("/tray-icon.png"));
}

// The General tab in the recorder's states, in every language: what the user
// sees while recording, after a refused combination, and recording again.
void saveShortcutStates(const QString &output) {
    QTemporaryDir folder;
    UserDefaults defaults(folder.filePath(QStringLiteral("Vellora.conf")));
    LibsecretSecretStore keyStore;
    QNetworkAccessManager network;
    VelloraPreferences preferences(defaults, keyStore, false, QStringList());
    NativeAppAppearance appearance(NativeAccentPalette::Violet, QStringLiteral("vellora.accentPalette"), defaults,
                                   VelloraIcon::image);
    VelloraCloudSettings::Locations locations;
    locations.cloudDriveCandidates = {folder.filePath(QStringLiteral("cloud"))};
    locations.backupFolder = folder.filePath(QStringLiteral("backups"));
    VelloraCloudSettings cloud(preferences, appearance, defaults, locations);
    NativeUpdater updater(UpdateConfiguration::vellora(), defaults, network);
    VelloraSettingsWindow settings(preferences, appearance, cloud, updater, keyStore, network);
    for (const char *language : {"en", "zh-Hans", "zh-Hant"}) {
        preferences.setLanguage(QString::fromLatin1(language));
        settings.show(VelloraSettingsWindow::General);
        ShortcutRecorder &recorder = settings.view()->shortcutRecorder();
        const auto shoot = [&](const char *state) {
            QApplication::processEvents();
            settings.writeScreenshot(
                QStringLiteral("%1/settings-general-%2-%3.png").arg(output, QLatin1String(state), QLatin1String(language)));
        };
        recorder.toggle(preferences);
        shoot("recording");
        recorder.stop();
        preferences.setShortcutError(QStringLiteral("快捷键已被占用，请重新录制。"));
        shoot("refused");
        recorder.toggle(preferences);
        shoot("recording-again");
        recorder.stop();
    }
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(output);

    struct Kind {
        const char *name;
        QString title;
        std::optional<QString> detail;
        ToastSymbol symbol;
    };
    MenuShots lightMenus;
    MenuShots darkMenus;
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        const QList<Kind> kinds{
            {"recognising", QStringLiteral("正在识别文字…"), std::nullopt, ToastSymbol::Spinner},
            {"polishing", QStringLiteral("正在 AI 润色…"), std::nullopt, ToastSymbol::Spinner},
            {"copied", QStringLiteral("识别成功，已复制到剪贴板"), QStringLiteral("128 个字 · 按 Ctrl+V 粘贴"),
             ToastSymbol::CheckmarkCircleFill},
            {"failure", QStringLiteral("AI 润色失败：请求超时，请稍后重试。"), std::nullopt,
             ToastSymbol::ExclamationmarkTriangleFill},
        };
        for (const Kind &kind : kinds) {
            ToastPanel panel;
            panel.setPalette(QApplication::palette());
            const QColor color = kind.symbol == ToastSymbol::CheckmarkCircleFill ? VelloraToast::successColor()
                                 : kind.symbol == ToastSymbol::Spinner           ? VelloraToast::labelColor()
                                                                                 : VelloraToast::warningColor();
            panel.setContent(kind.title, kind.detail, kind.symbol, color);
            const QString file =
                QStringLiteral("%1/toast-%2-%3.png")
                    .arg(output, QLatin1String(kind.name), dark ? QStringLiteral("dark") : QStringLiteral("light"));
            onBackdrop(panel, dark).save(file);
        }
        (dark ? darkMenus : lightMenus) = renderMenus(dark);
    }
    saveMenus(output, lightMenus, darkMenus);
    saveTrayIcons(output);
    QApplication::setPalette(QApplication::style()->standardPalette());
    saveShortcutStates(output);
    return 0;
}
