#include "TesseractTextEngine.h"

#include "TestSupport.h"
#include "TextImages.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <thread>

namespace {

TextRecognitionSettings settingsFor(const QStringList &languages) {
    TextRecognitionSettings settings;
    settings.recognitionLanguages = languages;
    return settings;
}

const QStringList allLanguages{"zh-Hans", "zh-Hant", "en-US"};

QString joined(const Result<QList<TextObservation>> &result) {
    QStringList lines;
    for (const TextObservation &observation : result.value())
        lines << observation.candidates.value(0);
    return lines.join('\n');
}

// The threads of this process, but for those of Qt's thread pool (which
// QImage uses to scale large images).
int threadCount() {
    int count = 0;
    for (const QString &thread : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name("/proc/self/task/" + thread + "/comm");
        if (name.open(QIODevice::ReadOnly) && !name.readAll().startsWith("Thread (pooled)"))
            ++count;
    }
    return count;
}

// A page of text that keeps the engine busy for a long while.
QImage longPage() {
    const QString line = "长时间识别的文字 Long recognition keeps the engine busy 0123456789";
    TextImages::Style style;
    style.pixelSize = 14;
    return TextImages::render(QStringList(80, line), style);
}

} // namespace

class TestTesseractTextEngine final : public QObject {
    Q_OBJECT

private slots:
    void supportsTheInstalledModels() {
        TesseractTextEngine engine;
        QVERIFY(!engine.dataPath().isEmpty());
        const Result<QStringList> languages = engine.supportedRecognitionLanguages();
        QVERIFY(languages.ok());
        QCOMPARE(languages.value(), allLanguages);
    }

    void supportedLanguagesFollowTheDataFolder_data() {
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("English only") << QStringList{"eng"} << QStringList{"en-US"};
        QTest::newRow("Traditional and English") << QStringList{"eng", "chi_tra"} << QStringList{"zh-Hant", "en-US"};
        QTest::newRow("unknown models are not offered") << QStringList{"osd"} << QStringList{};
        QTest::newRow("empty folder") << QStringList{} << QStringList{};
    }

    void supportedLanguagesFollowTheDataFolder() {
        QFETCH(QStringList, models);
        QFETCH(QStringList, expected);
        const QString installed = TesseractTextEngine().dataPath();
        QTemporaryDir dir;
        for (const QString &model : models)
            QVERIFY(QFile::link(installed + "/" + model + ".traineddata", dir.filePath(model + ".traineddata")));
        TesseractTextEngineOptions options;
        options.dataPath = dir.path();
        TesseractTextEngine engine(options);

        const Result<QStringList> languages = engine.supportedRecognitionLanguages();

        QVERIFY(languages.ok());
        QCOMPARE(languages.value(), expected);
        const Result<QList<TextObservation>> run =
            engine.run(TextImages::render({"Vellora"}), settingsFor(allLanguages));
        if (expected.isEmpty()) {
            QVERIFY(!run.ok());
            QCOMPARE(run.error().domain, "TextRecognition.Tesseract");
            QVERIFY(run.error().description.contains(dir.path()));
        } else {
            QVERIFY2(run.ok(), qPrintable(run.ok() ? "" : run.error().description));
            QCOMPARE(joined(run), "Vellora");
        }
    }

    // The language list reaches the engine: English alone cannot read Chinese.
    void usesOnlyTheRequestedLanguages() {
        TesseractTextEngine engine;
        const QImage image = TextImages::render({"中文识别测试"});

        const QString chinese = joined(engine.run(image, settingsFor({"zh-Hans"})));
        const QString english = joined(engine.run(image, settingsFor({"en-US"})));

        QCOMPARE(chinese, "中文识别测试");
        QVERIFY2(!english.contains(QRegularExpression("\\p{Han}")), qPrintable(english));
    }

    void keepsLoadedModelsForReuse() {
        TesseractTextEngine engine;
        const QImage image = TextImages::render({"Reuse the loaded models"});
        QCOMPARE(engine.modelLoadCount(), 0);

        for (int i = 0; i < 3; ++i)
            QVERIFY(engine.run(image, settingsFor(allLanguages)).ok());
        QCOMPARE(engine.modelLoadCount(), 1);

        QVERIFY(engine.run(image, settingsFor({"en-US"})).ok());
        QCOMPARE(engine.modelLoadCount(), 2);
        QVERIFY(engine.run(image, settingsFor(allLanguages)).ok());
        QVERIFY(engine.run(image, settingsFor({"en-US"})).ok());
        QCOMPARE(engine.modelLoadCount(), 2);
    }

    void pixelFormats_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("readable");
        QTest::newRow("grey 8") << QImage::Format_Grayscale8 << true;
        QTest::newRow("RGB 888") << QImage::Format_RGB888 << true;
        QTest::newRow("RGB 32") << QImage::Format_RGB32 << true;
        QTest::newRow("ARGB 32 premultiplied") << QImage::Format_ARGB32_Premultiplied << true;
        QTest::newRow("RGBA 8888") << QImage::Format_RGBA8888 << true;
        QTest::newRow("RGBA 16 bit") << QImage::Format_RGBA64 << false;
        QTest::newRow("grey 16 bit") << QImage::Format_Grayscale16 << false;
        QTest::newRow("RGB 565") << QImage::Format_RGB16 << false;
        QTest::newRow("indexed") << QImage::Format_Indexed8 << false;
        QTest::newRow("one bit") << QImage::Format_Mono << false;
        QTest::newRow("float") << QImage::Format_RGBA32FPx4 << false;
    }

    void pixelFormats() {
        QFETCH(QImage::Format, format);
        QFETCH(bool, readable);
        TesseractTextEngine engine;
        const QImage image = TextImages::render({"Pixel format"}).convertToFormat(format);
        QCOMPARE(image.format(), format);

        const Result<QList<TextObservation>> result = engine.run(image, settingsFor({"en-US"}));

        QCOMPARE(result.ok(), readable);
        if (readable) {
            QCOMPARE(joined(result), "Pixel format");
        } else {
            QCOMPARE(result.error().domain, "TextRecognition.CRImageReaderError");
            QCOMPARE(result.error().code, 1);
        }
    }

    void imageWithoutPixelsIsRefused() {
        TesseractTextEngine engine;
        const Result<QList<TextObservation>> result = engine.run(QImage(), settingsFor(allLanguages));
        QVERIFY(!result.ok());
        QCOMPARE(result.error().domain, "TextRecognition.CRImageReaderError");
        QCOMPARE(result.error().code, 1);
    }

    // Tesseract's own artefacts in Chinese text: spaces between characters and
    // ASCII punctuation.
    void chineseTextWithoutEngineArtefacts() {
        TesseractTextEngine engine;
        const QString text = "注意：请先保存，然后退出（不要关机）！";
        const QString numbers = "订单 20240517，金额 1,280.50 元";

        const QStringList result =
            joined(engine.run(TextImages::render({text, numbers}), settingsFor(allLanguages))).split('\n');

        QCOMPARE(result.size(), 2);
        QVERIFY2(TextImages::characterErrorRate(result.at(0), text) <= 0.1, qPrintable(result.at(0)));
        QVERIFY2(!result.at(0).contains(' '), qPrintable(result.at(0)));
        QVERIFY2(!result.at(0).contains(QRegularExpression("[,:;!?()]")), qPrintable(result.at(0)));
        // A number ends the clause: its comma is Chinese; inside a number it stays.
        QVERIFY2(result.at(1).contains("20240517，"), qPrintable(result.at(1)));
        QVERIFY2(result.at(1).contains("1,280.50"), qPrintable(result.at(1)));
    }

    // Screen layouts that hide text from a plain reading: a highlighted row
    // (light text on the accent), a filled default button narrower than its
    // row, and text between table grid lines.
    void screenLayouts_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("highlighted menu row") << "menu";
        QTest::newRow("filled button") << "button";
        QTest::newRow("table grid") << "table";
        QTest::newRow("fields on a grey panel") << "fields";
        QTest::newRow("table header of short words") << "header";
        QTest::newRow("switches, a ticked box and a light default button") << "switches";
        QTest::newRow("drop-down lists") << "dropdowns";
        QTest::newRow("greyed-out menu items") << "disabled";
    }

    void screenLayouts() {
        QFETCH(QString, layout);
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(15);
        const QFontMetrics metrics(font);
        QStringList truth;
        QImage image;
        if (layout == "menu") {
            truth = QStringList{"新建窗口", "选区识字并复制", "Export as PDF"};
            image = QImage(220, 3 * 28 + 10, QImage::Format_RGB32);
            image.fill(QColor(0xfb, 0xfb, 0xfb));
            QPainter painter(&image);
            painter.setFont(font);
            for (int i = 0; i < truth.size(); ++i) {
                if (i == 1)
                    painter.fillRect(QRect(4, 5 + i * 28, 212, 28), QColor(0x24, 0x6b, 0xfd));
                painter.setPen(i == 1 ? QColor(Qt::white) : QColor(0x1d, 0x1d, 0x1f));
                painter.drawText(14, 5 + i * 28 + 19, truth.at(i));
            }
        } else if (layout == "disabled") {
            // Disabled items in the light grey of Qt's own menus, and a
            // ticked item whose box is a light frame.
            truth = QStringList{"新建窗口 Ctrl+N", "另存为…", "Save As", "自动换行"};
            const QList<bool> enabled = {true, false, false, true};
            image = QImage(240, 4 * 30 + 10, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.setRenderHint(QPainter::Antialiasing);
            for (int i = 0; i < truth.size(); ++i) {
                painter.setPen(enabled.at(i) ? QColor(0x1d, 0x1d, 0x1f) : QColor(0xbe, 0xbe, 0xbe));
                const QStringList parts = truth.at(i).split(' ');
                painter.drawText(34, 5 + i * 30 + 20, parts.first());
                if (parts.size() > 1)
                    painter.drawText(160, 5 + i * 30 + 20, parts.last());
            }
            painter.setPen(QColor(0xc8, 0xc8, 0xc8));
            painter.drawRect(QRectF(10.5, 5 + 3 * 30 + 7.5, 14, 14));
            painter.setPen(QPen(QColor(0x1d, 0x1d, 0x1f), 2));
            painter.drawPolyline(QPolygonF{QPointF(13, 5 + 3 * 30 + 14), QPointF(17, 5 + 3 * 30 + 18),
                                           QPointF(23, 5 + 3 * 30 + 10)});
        } else if (layout == "button") {
            truth = QStringList{"保存设置 Cancel"};
            image = QImage(300, 60, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0x24, 0x6b, 0xfd));
            painter.drawRoundedRect(QRectF(20, 14, 100, 32), 5, 5);
            painter.setPen(Qt::white);
            painter.drawText(36, 36, "保存设置");
            painter.setPen(QColor(0x1d, 0x1d, 0x1f));
            painter.drawText(170, 36, "Cancel");
        } else if (layout == "fields") {
            // A row holds two backgrounds, and each field has a frame.
            truth = QStringList{"服务地址 deepseek-chat", "界面语言 English"};
            image = QImage(330, 2 * 34 + 12, QImage::Format_RGB32);
            image.fill(QColor(0xd8, 0xd8, 0xd8));
            QPainter painter(&image);
            painter.setFont(font);
            for (int r = 0; r < truth.size(); ++r) {
                const QStringList cells = truth.at(r).split(' ');
                const QRect field(110, 8 + r * 34, 210, 28);
                painter.fillRect(field, Qt::white);
                painter.setPen(QColor(0x9a, 0x9a, 0x9a));
                painter.drawRect(field.adjusted(0, 0, -1, -1));
                painter.setPen(QColor(0x1d, 0x1d, 0x1f));
                painter.drawText(10, field.top() + 20, cells.at(0));
                painter.drawText(field.left() + 6, field.top() + 20, cells.at(1));
            }
        } else if (layout == "header") {
            // Short Chinese words alone in the cells of a grey header row,
            // which an English reading could claim, drawn at 2x.
            truth = QStringList{"名称 数量 单价 状态 日期", "显示器 231 2037.31 已发货 2024-06-02"};
            QFont headerFont("WenQuanYi Micro Hei");
            headerFont.setPixelSize(28);
            image = QImage(700, 130, QImage::Format_RGB32);
            image.fill(QColor(0xe6, 0xe6, 0xe6));
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setFont(headerFont);
            const int columns[] = {8, 132, 228, 366, 498, 692};
            painter.fillRect(QRect(8, 22, 684, 54), QColor(0xd6, 0xd6, 0xd6));
            painter.fillRect(QRect(8, 76, 684, 54), Qt::white);
            painter.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 2));
            for (int x : columns)
                painter.drawLine(x, 22, x, 130);
            for (int y : {22, 76})
                painter.drawLine(8, y, 692, y);
            painter.setPen(QColor(0x20, 0x20, 0x20));
            for (int r = 0; r < truth.size(); ++r) {
                const QStringList cells = truth.at(r).split(' ');
                for (int c = 0; c < cells.size(); ++c)
                    painter.drawText(QRect(columns[c] + 14, 22 + r * 54, columns[c + 1] - columns[c] - 28, 54),
                                     Qt::AlignVCenter | (r > 0 && c > 0 && c < 3 ? Qt::AlignRight : Qt::AlignLeft),
                                     cells.at(c));
            }
            painter.end();
        } else if (layout == "dropdowns") {
            // Each value in a framed list with a chevron at its end.
            truth = QStringList{"自动检查更新 每天", "传送使用统计 v1.4.2", "界面语言 English"};
            image = QImage(330, 3 * 34 + 12, QImage::Format_RGB32);
            image.fill(QColor(0xf4, 0xf4, 0xf4));
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setFont(font);
            for (int r = 0; r < truth.size(); ++r) {
                const QStringList cells = truth.at(r).split(' ');
                const QRectF field(120.5, 8.5 + r * 34, 200, 26);
                painter.setPen(QColor(0xb0, 0xb0, 0xb0));
                painter.setBrush(Qt::white);
                painter.drawRoundedRect(field, 4, 4);
                painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
                const qreal middle = field.center().y();
                painter.drawPolyline(QPolygonF{QPointF(field.right() - 16, middle - 2),
                                               QPointF(field.right() - 12, middle + 2),
                                               QPointF(field.right() - 8, middle - 2)});
                painter.setPen(QColor(0x1d, 0x1d, 0x1f));
                painter.drawText(10, int(field.top()) + 19, cells.at(0));
                painter.drawText(int(field.left()) + 8, int(field.top()) + 19, cells.at(1));
            }
        } else if (layout == "switches") {
            // A settings page: switches and a ticked check box beside their
            // labels, and white text on a blue light enough to pass for a
            // background.
            truth = QStringList{"显示通知", "Hide tray icon", "自动检查更新", "关闭 删除"};
            image = QImage(260, 4 * 30 + 10, QImage::Format_RGB32);
            image.fill(QColor(0xe1, 0xe1, 0xe1));
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setFont(font);
            for (int r = 0; r < 3; ++r) {
                const QRectF control(r == 1 ? 10 : 150, 8 + r * 30, r == 1 ? 16 : 30, 16);
                painter.setPen(Qt::NoPen);
                painter.setBrush(r == 2 ? QColor(0x30, 0x8c, 0xc6) : QColor(0x90, 0x90, 0x90));
                painter.drawRoundedRect(control, r == 1 ? 3 : 8, r == 1 ? 3 : 8);
                painter.setPen(QPen(Qt::white, 2));
                painter.setBrush(Qt::white);
                if (r == 1)
                    painter.drawPolyline(QPolygonF{QPointF(13, 46), QPointF(17, 50), QPointF(23, 42)});
                else
                    painter.drawEllipse(
                        QRectF(r == 0 ? control.left() + 2 : control.right() - 14, control.top() + 2, 12, 12));
                painter.setPen(QColor(0x1d, 0x1d, 0x1f));
                painter.drawText(r == 1 ? 34 : 10, 21 + r * 30, truth.at(r));
            }
            painter.setPen(QColor(0xa0, 0xa0, 0xa0));
            painter.setBrush(Qt::white);
            painter.drawRoundedRect(QRectF(90.5, 96.5, 60, 24), 4, 4);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0x4a, 0x9e, 0xf0));
            painter.drawRoundedRect(QRectF(160, 96, 60, 25), 4, 4);
            painter.setPen(QColor(0x1d, 0x1d, 0x1f));
            painter.drawText(QRect(90, 96, 61, 25), Qt::AlignCenter, "关闭");
            painter.setPen(Qt::white);
            painter.drawText(QRect(160, 96, 60, 25), Qt::AlignCenter, "删除");
        } else {
            truth = QStringList{"名称 数量 单价", "键盘 12 348.50", "Mouse 7 99.00"};
            image = QImage(271, 3 * 30 + 1, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(QColor(0x1d, 0x1d, 0x1f));
            for (int r = 0; r < truth.size(); ++r) {
                const QStringList cells = truth.at(r).split(' ');
                for (int c = 0; c < cells.size(); ++c)
                    painter.drawText(c * 90 + 8, r * 30 + 21, cells.at(c));
            }
            painter.setPen(QColor(0xb0, 0xb0, 0xb8));
            for (int r = 0; r <= 3; ++r)
                painter.drawLine(0, r * 30, 270, r * 30);
            for (int c = 0; c <= 3; ++c)
                painter.drawLine(c * 90, 0, c * 90, 90);
        }
        TesseractTextEngine engine;

        const QString result = joined(engine.run(image, settingsFor(allLanguages)));

        const double errorRate = TextImages::characterErrorRate(result, truth.join('\n'));
        QVERIFY2(errorRate <= 0.1, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result)));
        QVERIFY2(!result.contains('|'), qPrintable(result));
        // The columns of a header of Chinese words stay apart.
        if (layout == "table" || layout == "header") {
            QCOMPARE(result.section('\n', 0, 0).split(' ', Qt::SkipEmptyParts).size(), truth.first().split(' ').size());
        }
        // A chevron read as a letter ends its line as a word of its own.
        if (layout == "dropdowns")
            QVERIFY2(!result.contains(QRegularExpression(" \\S$", QRegularExpression::MultilineOption)),
                     qPrintable(result));
    }

    // Each script's model reads the other script's glyphs as its own forms,
    // so crops came back wholly in the wrong script: a Simplified file list in
    // Traditional for either reader, and Traditional menus and lists in
    // Simplified for a Simplified reader. The fixtures were drawn by
    // bench/ocr-quality: a light file list in WenQuanYi Zen Hei at 24 px, a
    // dark file list in Noto Sans CJK HK at 16 px and a dark menu in Noto Sans
    // CJK TC at 14 px.
    void eachScriptComesBackInItsOwn_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<bool>("traditionalReader");
        QTest::addColumn<QString>("truth");
        QTest::addColumn<QString>("otherForms");
        const QString simplifiedList =
            "名称 大小 修改日期\n合同草稿.docx 6032 KB 2024-09-18 05:11\n"
            "预算表.xlsx 5472 KB 2024-07-17 01:22\n会议记录.docx 77 KB 2024-10-19 13:13\n"
            "季度报告.xlsx 2921 KB 2024-10-11 21:28\n发票扫描件.pdf 2646 KB 2024-06-15 17:03";
        const QString traditionalList = "名稱 大小 修改日期\n季度報告.xlsx 84 KB 2024-08-03 12:47\n"
                                        "預算表.xlsx 2382 KB 2024-08-04 19:34\n發票掃描檔.pdf 6849 KB 2024-01-15 15:10";
        const QString traditionalMenu = "尋找與取代\n另存新檔…\n結束 Ctrl+X\n剪下";
        for (const bool traditionalReader : {false, true}) {
            const char *reader = traditionalReader ? "Traditional reader" : "Simplified reader";
            QTest::addRow("Simplified file list, %s", reader)
                << "simplified-file-list-wqy-24px.png" << traditionalReader << simplifiedList << "稱預會議記錄報發掃";
            QTest::addRow("Traditional file list, %s", reader)
                << "traditional-file-list-dark-16px.png" << traditionalReader << traditionalList << "称预报发扫档";
            QTest::addRow("Traditional menu, %s", reader)
                << "traditional-menu-dark-14px.png" << traditionalReader << traditionalMenu << "寻与档结";
        }
    }

    void eachScriptComesBackInItsOwn() {
        QFETCH(QString, fixture);
        QFETCH(bool, traditionalReader);
        QFETCH(QString, truth);
        QFETCH(QString, otherForms);
        const QImage image(TestSupport::sourceDir() + "/tests/platform/data/" + fixture);
        QVERIFY(!image.isNull());
        TesseractTextEngine engine;
        engine.setTraditionalChineseFirst(traditionalReader);

        const QString result = joined(engine.run(image, settingsFor(allLanguages)));

        for (const QChar c : otherForms)
            QVERIFY2(!result.contains(c), qPrintable(QString("%1 in:\n%2").arg(c).arg(result)));
        const double errorRate = TextImages::characterErrorRate(result, truth);
        QVERIFY2(errorRate <= 0.1, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result)));
    }

    // A comment in a pale syntax colour among lines of code holds the only
    // Chinese of the crop; its glyphs still tell its script, for a reader of
    // either script.
    void aPaleCodeCommentKeepsItsScript_data() {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<bool>("traditionalReader");
        QTest::addColumn<QString>("otherForms");
        QTest::newRow("Traditional comment, Simplified reader") << "# 轉換檔案格式" << false << "转换档";
        QTest::newRow("Simplified comment, Traditional reader") << "# 转换文件格式" << true << "轉換";
    }

    void aPaleCodeCommentKeepsItsScript() {
        QFETCH(QString, comment);
        QFETCH(bool, traditionalReader);
        QFETCH(QString, otherForms);
        const QStringList lines = {"let total = items.map(x => x.price).sum();", comment,
                                   "docker run --rm -p 8080:80 nginx:stable"};
        QFont font("Noto Sans Mono CJK SC");
        font.setPixelSize(18);
        const QFontMetrics metrics(font);
        QImage image(metrics.horizontalAdvance(lines.first()) + 30, 3 * (metrics.height() + 6) + 20,
                     QImage::Format_RGB32);
        image.fill(QColor(0x1e, 0x1e, 0x1e));
        QPainter painter(&image);
        painter.setFont(font);
        for (int i = 0; i < lines.size(); ++i) {
            painter.setPen(i == 1 ? QColor(0x6a, 0x99, 0x55) : QColor(0xd4, 0xd4, 0xd4));
            painter.drawText(15, 10 + i * (metrics.height() + 6) + metrics.ascent(), lines.at(i));
        }
        painter.end();
        TesseractTextEngine engine;
        engine.setTraditionalChineseFirst(traditionalReader);

        const QString result = joined(engine.run(image, settingsFor(allLanguages)));

        for (const QChar c : otherForms)
            QVERIFY2(!result.contains(c), qPrintable(QString("%1 in:\n%2").arg(c).arg(result)));
        const double errorRate = TextImages::characterErrorRate(result, lines.join('\n'));
        QVERIFY2(errorRate <= 0.1, qPrintable(QString("error rate %1 for:\n%2").arg(errorRate).arg(result)));
    }

    // With no OMP_THREAD_LIMIT set, Tesseract's OpenMP regions stay on the
    // thread that recognises, whichever thread calls: a team of OpenMP threads
    // would fight the rest of the desktop for two cores.
    void startsNoOpenMpThreads() {
        QVERIFY(qEnvironmentVariableIsEmpty("OMP_THREAD_LIMIT"));
        TesseractTextEngine engine;
        const QImage image = TextImages::render({"中文识别测试 OpenMP"});
        const int before = threadCount();

        std::thread caller([&] {
            for (int i = 0; i < 2; ++i)
                QCOMPARE(joined(engine.run(image, settingsFor(allLanguages))), "中文识别测试 OpenMP");
        });
        caller.join();

        QCOMPARE(threadCount(), before);
    }

    // Models unused for a while are let go, with the script tables the
    // Chinese text needed, and loaded again when needed.
    void releasesIdleModels() {
        TesseractTextEngineOptions options;
        options.idleRelease = std::chrono::milliseconds(300);
        TesseractTextEngine engine(options);
        const QImage image = TextImages::render({"休息后重新加载 Rest and reload"});
        QVERIFY(!engine.holdsModels());

        // On a loaded machine the short idle time may already have passed when
        // the run returns, so the load count, not holdsModels(), shows the load.
        QCOMPARE(joined(engine.run(image, settingsFor(allLanguages))), "休息后重新加载 Rest and reload");
        QCOMPARE(engine.modelLoadCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.holdsModels(), 10000);

        QCOMPARE(joined(engine.run(image, settingsFor(allLanguages))), "休息后重新加载 Rest and reload");
        QCOMPARE(engine.modelLoadCount(), 2);
    }

    // A cancelled recognition ends early with the cancellation error, and so
    // does one that waits behind it; the engine then works as before.
    void cancelsRunningAndWaitingRecognitions() {
        TesseractTextEngine engine;
        const QImage sample = TextImages::render({"取消之后照常识别"});
        const QString before = joined(engine.run(sample, settingsFor(allLanguages)));
        QCOMPARE(before, "取消之后照常识别");
        const QImage page = longPage();
        auto running = std::async(std::launch::async, [&] { return engine.run(page, settingsFor(allLanguages)); });
        auto waiting = std::async(std::launch::async, [&] { return engine.run(page, settingsFor(allLanguages)); });
        QTest::qWait(200);

        engine.cancel();

        for (auto *future : {&running, &waiting}) {
            const Result<QList<TextObservation>> result = future->get();
            QVERIFY(!result.ok());
            QCOMPARE(result.error().domain, "TextRecognition.Tesseract");
            QCOMPARE(result.error().code, 4);
        }
        QCOMPARE(joined(engine.run(sample, settingsFor(allLanguages))), before);
    }

    // A region of noise is no text: it ends at once with nothing read, where
    // Tesseract would spend its whole time limit on letters it imagines.
    void noiseHoldsNoText() {
        QImage noise(1500, 900, QImage::Format_RGB32);
        QRandomGenerator random(13);
        for (int y = 0; y < noise.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x)
                line[x] = 0xff000000u | (random.generate() & 0xffffffu);
        }
        TesseractTextEngine engine;

        const Result<QList<TextObservation>> result = engine.run(noise, settingsFor(allLanguages));

        QVERIFY(result.ok());
        QVERIFY2(result.value().isEmpty(), qPrintable(joined(result)));
        QCOMPARE(engine.modelLoadCount(), 0);
    }

    // Past its time limit the engine stops reading and returns the lines it
    // has read so far, instead of failing or holding its caller.
    void aLongPageEndsAtTheTimeLimit() {
        TesseractTextEngineOptions options;
        options.timeLimit = std::chrono::milliseconds(2000);
        TesseractTextEngine engine(options);
        const QImage sample = TextImages::render({"Read within the limit"});
        QCOMPARE(joined(engine.run(sample, settingsFor(allLanguages))), "Read within the limit");

        const Result<QList<TextObservation>> page = engine.run(longPage(), settingsFor(allLanguages));

        QVERIFY2(page.ok(), qPrintable(page.ok() ? QString() : page.error().description));
        QVERIFY2(page.value().size() < 80, qPrintable(QString::number(page.value().size())));
        QVERIFY2(!page.value().isEmpty(), "the lines read before the limit are lost");
    }

    // Images longer than Tesseract's 32767 pixels on a side, or enlarged past
    // it, are read within it: blank ones give no text, and small text on a
    // very wide strip is read.
    // A large region of photograph: smooth shading under grain (a JPEG of
    // 1600 x 900). Tesseract finds words in it and the page is cut at the time
    // limit, with words it has not read; the engine returns what the page
    // holds and must not look at the characters of words never read (it
    // crashed doing so).
    void aPhotoEndsAtTheTimeLimit() {
        TesseractTextEngineOptions options;
        options.timeLimit = std::chrono::milliseconds(400);
        TesseractTextEngine engine(options);
        const QImage photo(TestSupport::sourceDir() + "/tests/platform/data/photo-like-1600x900.jpg");
        QVERIFY(!photo.isNull());

        const Result<QList<TextObservation>> page = engine.run(photo, settingsFor(allLanguages));

        QVERIFY2(page.ok(), qPrintable(page.ok() ? QString() : page.error().description));
    }

    void veryWideImages_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("blank 32767 x 1") << QSize(32767, 1) << QString();
        QTest::newRow("blank 60000 x 3") << QSize(60000, 3) << QString();
        QTest::newRow("13 px text 11500 x 165") << QSize(11500, 165) << QStringLiteral("Wide strips are read");
    }

    void veryWideImages() {
        QFETCH(QSize, size);
        QFETCH(QString, text);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!text.isEmpty()) {
            QPainter painter(&image);
            QFont font(QStringLiteral("Noto Sans"));
            font.setPixelSize(13);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(40, size.height() / 2, text);
        }
        TesseractTextEngine engine;

        const Result<QList<TextObservation>> result = engine.run(image, settingsFor({"en-US"}));

        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().description));
        QCOMPARE(joined(result), text);
    }

    void recognisesFromTwoThreadsAtOnce() {
        TesseractTextEngine engine;
        const QString first = "第一个线程识别的文字";
        const QString second = "Text of the second thread";
        const QImage firstImage = TextImages::render({first});
        const QImage secondImage = TextImages::render({second});
        QStringList firstResults;
        QStringList secondResults;

        std::thread a([&] {
            for (int i = 0; i < 3; ++i)
                firstResults << joined(engine.run(firstImage, settingsFor(allLanguages)));
        });
        std::thread b([&] {
            for (int i = 0; i < 3; ++i)
                secondResults << joined(engine.run(secondImage, settingsFor(allLanguages)));
        });
        a.join();
        b.join();

        QCOMPARE(firstResults, QStringList(3, first));
        QCOMPARE(secondResults, QStringList(3, second));
        QVERIFY(engine.modelLoadCount() <= 2);
    }
};

QTEST_MAIN(TestTesseractTextEngine)
#include "TestTesseractTextEngine.moc"
