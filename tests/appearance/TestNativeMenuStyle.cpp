#include "NativeMenuStyle.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidgetAction>

class TestNativeMenuStyle final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { NativeMenuStyle::install(); }

    void menusGetRowsOf34Pixels() {
        // Created after install: restyled when Qt polishes it.
        QMenu menu;
        QAction *copy = menu.addAction(QStringLiteral("复制"));
        copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
        QAction *separator = menu.addSeparator();
        QMenu submenu(QStringLiteral("更多"));
        submenu.addAction(QStringLiteral("子项"));
        QAction *more = menu.addMenu(&submenu);
        menu.ensurePolished();
        QCOMPARE(menu.style(), NativeMenuStyle::instance());
        QCOMPARE(menu.actionGeometry(copy).height(), 34);
        QCOMPARE(menu.actionGeometry(more).height(), 34);
        QCOMPARE(menu.actionGeometry(separator).height(), 12);
        QVERIFY(menu.actionGeometry(copy).width() >= 260);
        QVERIFY(menu.sizeHint().width() >= 260);
    }

    void widthGrowsWithTheTitleUpToTheLimit() {
        QMenu narrow;
        narrow.addAction(QStringLiteral("短"));
        QMenu wide;
        wide.addAction(QString(300, QChar(u'字')));
        narrow.ensurePolished();
        wide.ensurePolished();
        const int narrowWidth = narrow.actionGeometry(narrow.actions().first()).width();
        const int wideWidth = wide.actionGeometry(wide.actions().first()).width();
        QCOMPARE(narrowWidth, 260);
        QCOMPARE(wideWidth, 440);
    }

    void widgetItemsAndMenuBarsKeepTheirOwnLook() {
        QMenu menu;
        auto *custom = new QWidgetAction(&menu);
        auto *label = new QLabel(QStringLiteral("自定义"));
        label->setFixedHeight(57);
        custom->setDefaultWidget(label);
        menu.addAction(custom);
        menu.ensurePolished();
        QCOMPARE(menu.actionGeometry(custom).height(), 57);

        QMenuBar bar;
        bar.addMenu(QStringLiteral("编辑"));
        bar.ensurePolished();
        QVERIFY(bar.style() != NativeMenuStyle::instance());
    }

    void menusThatExistedBeforeAreRestyledOnDecorate() {
        QMenu menu;
        menu.addAction(QStringLiteral("项"));
        menu.setStyle(QApplication::style());
        QVERIFY(menu.style() != NativeMenuStyle::instance());
        NativeMenuStyle::decorate(&menu);
        QCOMPARE(menu.actionGeometry(menu.actions().first()).height(), 34);
    }
};

QTEST_MAIN(TestNativeMenuStyle)
#include "TestNativeMenuStyle.moc"
