#include "ChinesePunctuation.h"

#include <QTest>

class TestChinesePunctuation final : public QObject {
    Q_OBJECT

private slots:
    void normalizeLine_data() {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("expected");
        QTest::newRow("spaces between Chinese characters") << "中 文 识 别"
                                                           << "中文识别";
        QTest::newRow("ASCII punctuation after Chinese") << "注意: 请先保存, 然后退出!"
                                                         << "注意：请先保存，然后退出！";
        QTest::newRow("parentheses around Chinese") << "退出 (不要关机)"
                                                    << "退出（不要关机）";
        QTest::newRow("comma after a number before Chinese") << "订单 20240517, 金额"
                                                             << "订单 20240517，金额";
        QTest::newRow("comma inside a number stays") << "金额 1,280.50 元"
                                                     << "金额 1,280.50 元";
        QTest::newRow("Latin text is left alone") << "Hello, world (again)!"
                                                  << "Hello, world (again)!";
        QTest::newRow("space between Chinese and Latin stays") << "使用 DeepSeek 模型"
                                                               << "使用 DeepSeek 模型";
        QTest::newRow("double spaces become one") << "a  b"
                                                  << "a b";
        QTest::newRow("Traditional text too") << "設 定 視 窗 : 確 定"
                                              << "設定視窗：確定";
        QTest::newRow("a wider gap parts table columns") << "名 称        数 量 单 价"
                                                         << "名称 数量单价";
        QTest::newRow("a wider gap parts a label from its value") << "服 务 地 址  自 动"
                                                                  << "服务地址 自动";
    }

    void normalizeLine() {
        QFETCH(QString, read);
        QFETCH(QString, expected);
        QCOMPARE(ChinesePunctuation::normalizeLine(read), expected);
    }
};

QTEST_APPLESS_MAIN(TestChinesePunctuation)
#include "TestChinesePunctuation.moc"
