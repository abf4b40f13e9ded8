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

    // Tesseract reads the stub of a grid line or a button's edge before a
    // table cell as a curly quote; real quotes keep their partner.
    void withoutStrayQuotes_data() {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("expected");
        QTest::newRow("before a header cell") << "名称 数量 ”单价"
                                              << "名称 数量  单价";
        QTest::newRow("before numbers and a date") << "路由器 167 ”404.22 ”处理中 ”2024-01-23"
                                                   << "路由器 167  404.22  处理中  2024-01-23";
        QTest::newRow("an opening one before a button") << "下一步 “測試連線"
                                                        << "下一步  測試連線";
        QTest::newRow("at the start of the line") << "”单价 状态"
                                                  << " 单价 状态";
        QTest::newRow("a quotation keeps its quotes") << "他说 “你好” 然后"
                                                      << "他说 “你好” 然后";
        QTest::newRow("a closing quote after its opening one") << "“今天 ”天气"
                                                               << "“今天 ”天气";
        QTest::newRow("a quoted number") << "年份 ”2024” 结束"
                                         << "年份 ”2024” 结束";
        QTest::newRow("inches after a number") << "27” 显示器"
                                               << "27” 显示器";
        QTest::newRow("a quote inside Chinese text") << "他说“你好"
                                                     << "他说“你好";
        QTest::newRow("before Latin words") << "He said “Hello there"
                                            << "He said “Hello there";
    }

    void withoutStrayQuotes() {
        QFETCH(QString, read);
        QFETCH(QString, expected);
        QCOMPARE(ChinesePunctuation::withoutStrayQuotes(read), expected);
    }
};

QTEST_APPLESS_MAIN(TestChinesePunctuation)
#include "TestChinesePunctuation.moc"
