#include "SelectionGeometry.h"

#include <QTest>

class TestSelectionGeometry final : public QObject {
    Q_OBJECT

private slots:
    void normalized_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QPoint>("current");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("down and right") << QPoint(100, 100) << QPoint(300, 240) << QRect(100, 100, 200, 140);
        QTest::newRow("up and left") << QPoint(300, 240) << QPoint(100, 100) << QRect(100, 100, 200, 140);
        QTest::newRow("clipped at the screen's edge") << QPoint(1800, 1000) << QPoint(2100, 1200)
                                                      << QRect(1800, 1000, 120, 80);
        QTest::newRow("clipped before the origin") << QPoint(50, 50) << QPoint(-20, -10) << QRect(0, 0, 50, 50);
    }

    void normalized()
    {
        QFETCH(QPoint, anchor);
        QFETCH(QPoint, current);
        QFETCH(QRect, expected);
        QCOMPARE(SelectionGeometry::normalized(anchor, current, QRect(0, 0, 1920, 1080)), expected);
    }

    void isSelection_data()
    {
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<bool>("expected");
        QTest::newRow("a click") << QPoint(0, 0) << false;
        QTest::newRow("a jitter") << QPoint(2, 1) << false;
        QTest::newRow("a line, not a rectangle") << QPoint(200, 1) << false;
        QTest::newRow("smallest rectangle") << QPoint(3, 3) << true;
        QTest::newRow("dragged up and left") << QPoint(-40, -30) << true;
    }

    void isSelection()
    {
        QFETCH(QPoint, delta);
        QFETCH(bool, expected);
        QCOMPARE(SelectionGeometry::isSelection(QPoint(500, 500), QPoint(500, 500) + delta), expected);
    }

    void toDevicePixels_data()
    {
        QTest::addColumn<QRect>("logical");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("1x") << QRect(10, 20, 30, 40) << 1.0 << QSize(1920, 1080) << QRect(10, 20, 30, 40);
        QTest::newRow("2x doubles every edge") << QRect(10, 20, 30, 40) << 2.0 << QSize(3840, 2160)
                                               << QRect(20, 40, 60, 80);
        QTest::newRow("1.5x rounds outward") << QRect(1, 1, 3, 3) << 1.5 << QSize(300, 300) << QRect(1, 1, 5, 5);
        QTest::newRow("clipped to the image") << QRect(1910, 1070, 10, 10) << 2.0 << QSize(3830, 2150)
                                              << QRect(3820, 2140, 10, 10);
    }

    void toDevicePixels()
    {
        QFETCH(QRect, logical);
        QFETCH(qreal, ratio);
        QFETCH(QSize, image);
        QFETCH(QRect, expected);
        QCOMPARE(SelectionGeometry::toDevicePixels(logical, ratio, image), expected);
    }

    void labelPosition_data()
    {
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("above the selection") << QRect(100, 100, 200, 100) << QPoint(100, 74);
        QTest::newRow("inside when no room above") << QRect(100, 10, 200, 100) << QPoint(100, 16);
        QTest::newRow("kept inside the right edge") << QRect(1900, 500, 20, 20) << QPoint(1840, 474);
    }

    void labelPosition()
    {
        QFETCH(QRect, selection);
        QFETCH(QPoint, expected);
        QCOMPARE(SelectionGeometry::labelPosition(selection, QSize(80, 20), QRect(0, 0, 1920, 1080), 6), expected);
    }
};

QTEST_GUILESS_MAIN(TestSelectionGeometry)
#include "TestSelectionGeometry.moc"
