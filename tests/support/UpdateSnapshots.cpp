// vellora-update-snapshots OUTPUT_DIR: renders every update prompt (the two
// questions with release notes, and the notices and failures the updater
// shows) in each interface language, light and dark, as the application's own
// palettes paint them, into update-prompts-<language>-<mode>.png. Not a test:
// it checks nothing.
#include "AppColorScheme.h"
#include "NativeUpdateAlertPresenter.h"
#include "NativeUpdateInstaller.h"
#include "NativeUpdateManifest.h"
#include "UpdaterLocalization.h"
#include "VelloraIcon.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStyleFactory>

namespace {

struct Shot {
    NativeUpdatePrompt prompt;
    NativeUpdateAlertStyle style;
};

NativeUpdateManifest manifest() {
    NativeUpdateManifest result;
    result.version = QStringLiteral("2.0");
    result.build = 2;
    result.releaseNotesByLocale = QMap<QString, QString>{
        {QStringLiteral("en"), QStringLiteral("## What's new in 2.0\n\n- Recognition is **twice as fast** on long "
                                              "pages\n- Polished text keeps your line breaks\n- Fixed: the hot key "
                                              "after waking from sleep\n\nSee `Settings › Updates` for the full log.")},
        {QStringLiteral("zh-Hans"), QStringLiteral("## 2.0 新功能\n\n- 长页面识别速度**提升一倍**\n- AI "
                                                   "润色保留原有换行\n- 修复：唤醒后快捷键失效\n\n完整日志见“设置 › 更新”。")},
        {QStringLiteral("zh-Hant"), QStringLiteral("## 2.0 新功能\n\n- 長頁面辨識速度**提升一倍**\n- AI "
                                                   "潤飾保留原有換行\n- 修正：喚醒後快捷鍵失效\n\n完整紀錄見「設定 › 更新」。")},
    };
    return result;
}

QList<Shot> shots(const QStringList &languages) {
    const auto message = [&languages](const char16_t *key, const QStringList &values, NativeUpdateAlertStyle style) {
        return Shot{NativeUpdatePrompt::message(updaterCopyFormat(QString::fromUtf16(key), languages, values), languages),
                    style};
    };
    const auto failure = [&languages](NativeUpdateInstaller::Failure which) {
        return updaterCopy(NativeUpdateInstaller::failureKey(which), languages);
    };
    using Style = NativeUpdateAlertStyle;
    return {
        {NativeUpdatePrompt::available(manifest(), QStringLiteral("Vellora"), languages), Style::informational},
        {NativeUpdatePrompt::ready(manifest(), QStringLiteral("Vellora"), languages), Style::informational},
        message(u"%@ 已经是最新版本。", {QStringLiteral("Vellora")}, Style::informational),
        message(u"开发版不检查正式更新。", {}, Style::informational),
        message(u"检查更新失败：%@", {QStringLiteral("Host vellora.quorvel.app not found")}, Style::warning),
        message(u"下载更新失败：%@", {failure(NativeUpdateInstaller::Failure::invalidArchive)}, Style::warning),
        message(u"下载更新失败：%@", {failure(NativeUpdateInstaller::Failure::invalidApplication)}, Style::warning),
        message(u"无法启动更新：%@", {QStringLiteral("Permission denied")}, Style::warning),
    };
}

// The alerts in two columns on a desktop-like backdrop.
QImage sheet(const QList<QImage> &alerts, bool dark) {
    constexpr int margin = 24;
    int columnWidth = 0;
    for (const QImage &alert : alerts)
        columnWidth = std::max(columnWidth, alert.width());
    QList<int> rowHeights;
    for (qsizetype i = 0; i < alerts.size(); i += 2)
        rowHeights.append(std::max(alerts.at(i).height(), i + 1 < alerts.size() ? alerts.at(i + 1).height() : 0));
    int height = margin;
    for (const int rowHeight : rowHeights)
        height += rowHeight + margin;
    QImage canvas(2 * columnWidth + 3 * margin, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    QLinearGradient backdrop(0, 0, canvas.width(), canvas.height());
    backdrop.setColorAt(0, dark ? QColor(30, 40, 60) : QColor(200, 214, 235));
    backdrop.setColorAt(1, dark ? QColor(60, 30, 50) : QColor(235, 215, 200));
    painter.fillRect(canvas.rect(), backdrop);
    int top = margin;
    for (qsizetype i = 0; i < alerts.size(); ++i) {
        painter.drawImage(margin + (i % 2) * (columnWidth + margin), top, alerts.at(i));
        if (i % 2 == 1)
            top += rowHeights.at(i / 2) + margin;
    }
    return canvas;
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(VelloraIcon::image(NativeAccentPalette::Violet));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(output);
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? AppColorScheme::darkPalette() : AppColorScheme::lightPalette());
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")}) {
            QList<QImage> alerts;
            for (const Shot &shot : shots({language})) {
                std::unique_ptr<NativeUpdateAlert> alert(nativeUpdateAlert(shot.prompt, shot.style));
                alert->adjustSize();
                alert->show();
                alerts.append(alert->grab().toImage());
            }
            sheet(alerts, dark)
                .save(QStringLiteral("%1/update-prompts-%2-%3.png")
                          .arg(output, language, dark ? QStringLiteral("dark") : QStringLiteral("light")));
        }
    }
    return 0;
}
