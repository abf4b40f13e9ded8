// Which portal backends the application starts ahead of the first screenshot:
// those the portal itself would use for screenshots on this desktop. (Starting
// them, and the portal, is tested on a real sway desktop in TestWaylandCapture.)
#include "PortalStartup.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPortalStartup final : public QObject {
    Q_OBJECT

    QTemporaryDir m_system;
    QTemporaryDir m_local;

    static void write(const QTemporaryDir &folder, const QString &name, const QByteArray &text) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_system.isValid() && m_local.isValid());
        // As installed by xdg-desktop-portal-wlr, -gtk and -kde.
        write(m_system, QStringLiteral("wlr.portal"),
              "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.wlr\n"
              "Interfaces=org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.ScreenCast;\n"
              "UseIn=wlroots;sway;Wayfire;river;phosh;Hyprland;\n");
        write(m_system, QStringLiteral("gtk.portal"),
              "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.gtk\n"
              "Interfaces=org.freedesktop.impl.portal.FileChooser;org.freedesktop.impl.portal.Access;\n"
              "UseIn=gnome\n");
        write(m_system, QStringLiteral("kde.portal"),
              "# Plasma's backend\n[portal]\nDBusName = org.freedesktop.impl.portal.desktop.kde\n"
              "Interfaces=org.freedesktop.impl.portal.Access;org.freedesktop.impl.portal.Screenshot\nUseIn=KDE\n");
        // Not a portal group, a file of another kind, and one without a bus name.
        write(m_system, QStringLiteral("other.portal"),
              "[other]\nDBusName=org.example.other\nInterfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=sway\n");
        write(
            m_system, QStringLiteral("wlr.portal.orig"),
            "[portal]\nDBusName=org.example.backup\nInterfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=sway\n");
        write(m_system, QStringLiteral("nameless.portal"),
              "[portal]\nInterfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=sway\n");
        // A user's own backend for the same desktop, found in a folder of its own.
        write(m_local, QStringLiteral("shot.portal"),
              "[portal]\nDBusName=org.example.shot\nInterfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=sway;\n");
    }

    void screenshotBackends_data() {
        QTest::addColumn<QString>("desktops"); // XDG_CURRENT_DESKTOP
        QTest::addColumn<bool>("withLocal");
        QTest::addColumn<QStringList>("backends");
        const QString wlr = QStringLiteral("org.freedesktop.impl.portal.desktop.wlr");
        QTest::newRow("sway") << "sway" << false << QStringList{wlr};
        QTest::newRow("Hyprland, any case") << "hyprland" << false << QStringList{wlr};
        QTest::newRow("a list naming wlroots last") << "river:wlroots" << false << QStringList{wlr};
        QTest::newRow("Plasma") << "KDE" << false
                                << QStringList{QStringLiteral("org.freedesktop.impl.portal.desktop.kde")};
        QTest::newRow("GNOME: its backend is not in these folders") << "ubuntu:GNOME" << false << QStringList();
        QTest::newRow("no desktop named") << "" << false << QStringList();
        QTest::newRow("sway with a second folder")
            << "sway" << true << QStringList{wlr, QStringLiteral("org.example.shot")};
    }

    void screenshotBackends() {
        QFETCH(QString, desktops);
        QFETCH(bool, withLocal);
        QFETCH(QStringList, backends);
        QStringList folders{m_system.path()};
        if (withLocal)
            folders << m_local.path();
        QCOMPARE(PortalStartup::screenshotBackends(folders, desktops.split(u':', Qt::SkipEmptyParts)), backends);
    }

    // The portal reads XDG_DESKTOP_PORTAL_DIR alone where it is set.
    void portalFoldersFollowTheEnvironment() {
        {
            TestSupport::EnvironmentChange environment;
            environment.set("XDG_DESKTOP_PORTAL_DIR", m_local.path().toUtf8());
            QCOMPARE(PortalStartup::portalFolders(), QStringList{m_local.path()});
        }
        QVERIFY(PortalStartup::portalFolders().contains(QStringLiteral("/usr/share/xdg-desktop-portal/portals")));
    }
};

QTEST_GUILESS_MAIN(TestPortalStartup)
#include "TestPortalStartup.moc"
