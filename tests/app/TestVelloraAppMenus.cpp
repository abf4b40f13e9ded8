// The application's menus and Qt's own texts across a change of the interface
// language.
#include "LibsecretSecretStore.h"
#include "TesseractTextEngine.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "VelloraApp.h"
#include "VelloraPreferences.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The menu bar as one line: each menu's title, then its items' titles.
QString menuBarText(const QMenuBar *menuBar) {
    QStringList menus;
    for (const QAction *top : menuBar->actions()) {
        QStringList items;
        for (const QAction *item : top->menu()->actions())
            items << item->text();
        menus << top->text() + QStringLiteral(": ") + items.join(QStringLiteral(" | "));
    }
    return menus.join(QStringLiteral(" / "));
}

// The "Copy" row of a text field's own context menu, without its shortcut.
QString contextMenuCopy() {
    QLineEdit field;
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    // Qt writes the shortcut after a tab; Copy's is the standard one.
    const QString copyKeys = u'\t' + QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText);
    for (const QAction *action : menu->actions()) {
        if (action->text().endsWith(copyKeys))
            return action->text().section(u'\t', 0, 0);
    }
    return {};
}

const QString English = QStringLiteral("Vellora: Settings… | Quit Vellora / Edit: Undo | Redo | Cut | Copy | Paste | "
                                       "Select All / Window: Close Window");
const QString Simplified =
    QStringLiteral("Vellora: 设置… | 退出 Vellora / 编辑: 撤销 | 重做 | 剪切 | 复制 | 粘贴 | 全选 / 窗口: 关闭窗口");
const QString Traditional =
    QStringLiteral("Vellora: 設定… | 結束 Vellora / 編輯: 還原 | 重做 | 剪下 | 複製 | 貼上 | 全選 / 視窗: 關閉視窗");

} // namespace

class TestVelloraAppMenus final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TesseractTextEngine m_engine;
    LibsecretSecretStore m_store;
    QNetworkAccessManager m_network;

private slots:
    // Every title of the menu bar, and Qt's own texts, follow a language picked
    // after launch, from any language to any other.
    void aLanguageChangeRetitlesEveryMenu_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("menuBar");
        QTest::addColumn<QString>("copy");
        QTest::newRow("English to Simplified Chinese") << "en" << "zh-Hans" << Simplified << "复制(&C)";
        QTest::newRow("English to Traditional Chinese") << "en" << "zh-Hant" << Traditional << "複製(&C)";
        QTest::newRow("Simplified Chinese to English") << "zh-Hans" << "en" << English << "&Copy";
        QTest::newRow("Traditional to Simplified Chinese") << "zh-Hant" << "zh-Hans" << Simplified << "复制(&C)";
    }

    void aLanguageChangeRetitlesEveryMenu() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, menuBar);
        QFETCH(QString, copy);
        UserDefaults defaults(m_dir.filePath(QStringLiteral("%1.conf").arg(QTest::currentDataTag())));
        defaults.setString(QStringLiteral("language"), from);
        VelloraApp app(VelloraApp::Services{m_engine, m_store, defaults, m_network, nullptr, QString(), {}});
        // The recognition engine learns each language too (which Chinese model reads first).
        QSignalSpy applied(&app, &VelloraApp::interfaceLanguageApplied);
        app.applyLanguage();
        app.installStatusMenu();
        app.installApplicationMenu();
        app.preferences().setOnLanguageChange([&app] { app.applyLanguage(); });

        app.preferences().setLanguage(to);
        QCOMPARE(menuBarText(app.mainMenu()), menuBar);
        QCOMPARE(contextMenuCopy(), copy);
        QCOMPARE(applied.size(), 2);
        QCOMPARE(applied.first().first().toString(), from);
        QCOMPARE(applied.last().first().toString(), to);
    }

    // The tray's permission row is a command only where it opens a panel: X11
    // needs no permission, and a desktop without a panel has nothing to open.
    // Where there is one (a stand-in program on PATH records that it ran), the
    // row opens it.
    void thePermissionRowOnlyWhereItOpensAPanel_data() {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<bool>("shown");
        QTest::newRow("X11") << qgetenv("DISPLAY") << QByteArray("GNOME") << false;
        QTest::newRow("a desktop that asks, without a panel") << QByteArray() << QByteArray("sway") << false;
        QTest::newRow("a desktop that asks, with its panel") << QByteArray() << QByteArray("GNOME") << true;
    }

    void thePermissionRowOnlyWhereItOpensAPanel() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, desktop);
        QFETCH(bool, shown);
        QTemporaryDir bin;
        const QString opened = TestSupport::writeRecordingProgram(bin.path(), QStringLiteral("gnome-control-center"));
        QVERIFY(!opened.isEmpty());
        TestSupport::EnvironmentChange environment;
        environment.set("DISPLAY", display)
            .set("XDG_CURRENT_DESKTOP", desktop)
            .set("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
        UserDefaults defaults(m_dir.filePath(QStringLiteral("permission.conf")));
        VelloraApp app(VelloraApp::Services{m_engine, m_store, defaults, m_network, nullptr, QString(), {}});
        app.installStatusMenu();
        QAction *row = app.statusMenu()->findChild<QAction *>(QStringLiteral("openCaptureSettingsAction"));
        QVERIFY(row);
        QCOMPARE(row->isVisible(), shown);
        if (shown) {
            row->trigger();
            QTRY_VERIFY(QFile::exists(opened));
            QFile record(opened);
            QVERIFY(record.open(QIODevice::ReadOnly));
            QCOMPARE(record.readAll().trimmed(), "privacy");
        }
    }
};

QTEST_MAIN(TestVelloraAppMenus)
#include "TestVelloraAppMenus.moc"
