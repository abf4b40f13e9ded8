#include "OcrSamples.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <random>

namespace OcrSamples {
namespace {

const QString sansSc = QStringLiteral("Noto Sans CJK SC");
const QString sansTc = QStringLiteral("Noto Sans CJK TC");
const QString mono = QStringLiteral("Noto Sans Mono CJK SC");

// ---------------------------------------------------------------------------
// Text sources

const QStringList simplifiedSentences = {
    QStringLiteral("按下快捷键后拖动鼠标框选屏幕上的区域，识别出的文字会自动复制到剪贴板。"),
    QStringLiteral("所有识别都在本机完成，图片不会上传到任何服务器。"),
    QStringLiteral("如果识别结果有错别字，可以使用 AI 润色功能进行修正。"),
    QStringLiteral("设置窗口中可以修改服务地址、模型名称和润色提示词。"),
    QStringLiteral("开启云同步后，配置文件会保存在云盘的应用文件夹里。"),
    QStringLiteral("我们在周五下午三点开会讨论下一个版本的发布计划。"),
    QStringLiteral("请在提交之前确认所有测试都已通过，并更新变更日志。"),
    QStringLiteral("这个问题通常是由于网络连接不稳定造成的，请稍后重试。"),
    QStringLiteral("新版本改进了中英文混排文本的识别准确率。"),
    QStringLiteral("会议纪要已经整理完毕，发送给了所有参会人员。"),
    QStringLiteral("春天来了，公园里的花都开了，到处都是散步的人。"),
    QStringLiteral("由于天气原因，原定于明天的户外活动改为线上进行。"),
    QStringLiteral("数据表明，用户最常用的功能是截图识字和一键复制。"),
    QStringLiteral("为了保护隐私，密钥只保存在系统的钥匙串中。"),
    QStringLiteral("这本书讲述了一个普通人在大城市里奋斗的故事。"),
    QStringLiteral("检查更新时会验证安装包的签名，确保文件没有被篡改。"),
};

const QStringList traditionalSentences = {
    QStringLiteral("按下快捷鍵後拖動滑鼠框選螢幕上的區域，辨識出的文字會自動複製到剪貼簿。"),
    QStringLiteral("所有辨識都在本機完成，圖片不會上傳到任何伺服器。"),
    QStringLiteral("如果辨識結果有錯別字，可以使用潤飾功能進行修正。"),
    QStringLiteral("設定視窗中可以修改服務位址、模型名稱和提示詞。"),
    QStringLiteral("我們在星期五下午三點開會討論下一個版本的發佈計畫。"),
    QStringLiteral("請在提交之前確認所有測試都已通過，並更新變更紀錄。"),
    QStringLiteral("這個問題通常是由於網路連線不穩定造成的，請稍後再試。"),
    QStringLiteral("會議紀錄已經整理完畢，寄給了所有與會人員。"),
    QStringLiteral("春天來了，公園裡的花都開了，到處都是散步的人。"),
    QStringLiteral("由於天氣因素，原定於明天的戶外活動改為線上進行。"),
    QStringLiteral("為了保護隱私，金鑰只儲存在系統的鑰匙圈中。"),
    QStringLiteral("這本書講述了一個普通人在大城市裡奮鬥的故事。"),
};

const QStringList englishSentences = {
    QStringLiteral("Press the shortcut and drag over the part of the screen you want to read."),
    QStringLiteral("Recognition runs entirely on this computer; nothing is uploaded."),
    QStringLiteral("The recognised text is copied to the clipboard automatically."),
    QStringLiteral("Please review the pull request before Friday afternoon."),
    QStringLiteral("Our quarterly report shows steady growth in every region."),
    QStringLiteral("If the connection drops, the download resumes where it stopped."),
    QStringLiteral("The quick brown fox jumps over the lazy dog near the river bank."),
    QStringLiteral("Settings are synchronised through a JSON file in your cloud drive."),
    QStringLiteral("Version numbers follow the usual major, minor and patch scheme."),
    QStringLiteral("Keep your API key secret and rotate it when a colleague leaves."),
};

const QStringList codeLines = {
    QStringLiteral("for (int i = 0; i < count; ++i) {"),
    QStringLiteral("    total += values[i] * weight;"),
    QStringLiteral("if (result.ok() && !text.isEmpty())"),
    QStringLiteral("return QStringLiteral(\"zh-Hans\");"),
    QStringLiteral("const auto path = dir.filePath(\"config.json\");"),
    QStringLiteral("def parse(line: str) -> dict[str, int]:"),
    QStringLiteral("    return {k: int(v) for k, v in pairs}"),
    QStringLiteral("git commit -m \"Fix the retry\" && git push"),
    QStringLiteral("SELECT name, price FROM items WHERE id = 42;"),
    QStringLiteral("let total = items.map(x => x.price).sum();"),
    QStringLiteral("curl -s https://api.example.com/v1/models | jq ."),
    QStringLiteral("#include <QString> // text"),
    QStringLiteral("std::vector<int> sizes{12, 16, 28};"),
    QStringLiteral("export PATH=$HOME/.local/bin:$PATH"),
};

const QStringList mixedLines = {
    QStringLiteral("订单号 20240517-0931，金额 ¥1,280.50"),
    QStringLiteral("请访问 https://example.com/docs/ocr 查看文档"),
    QStringLiteral("联系邮箱：support@example.com"),
    QStringLiteral("版本 v2.3.1 已于 2024 年 5 月 17 日发布"),
    QStringLiteral("使用 DeepSeek 模型 deepseek-chat 进行润色"),
    QStringLiteral("服务器 192.168.1.20:8080 响应时间 35 ms"),
    QStringLiteral("下载速度 12.5 MB/s，剩余 3 分钟"),
    QStringLiteral("发送到 li.wei@company.cn 和 team@example.org"),
    QStringLiteral("电话 010-6552 3388，传真 010-6552 3399"),
    QStringLiteral("CPU 占用 37%，内存 2.4 GB / 16 GB"),
    QStringLiteral("打开 Settings > General 修改快捷键 Ctrl+Shift+2"),
    QStringLiteral("第 3 章 Python 入门（共 12 节）"),
    QStringLiteral("API 地址：https://api.deepseek.com/v1"),
    QStringLiteral("会议时间 14:30–15:00，会议室 B-204"),
};

const QStringList menuItems = {
    QStringLiteral("选区识字并复制"), QStringLiteral("选区识字并 AI 润色"), QStringLiteral("打开设置…"),
    QStringLiteral("检查更新"),       QStringLiteral("关于 Vellora"),       QStringLiteral("退出"),
    QStringLiteral("新建窗口"),       QStringLiteral("Open Recent"),        QStringLiteral("Save As…"),
    QStringLiteral("复制链接"),       QStringLiteral("粘贴并匹配样式"),     QStringLiteral("Show in Folder"),
    QStringLiteral("显示隐藏文件"),   QStringLiteral("Export as PDF"),      QStringLiteral("全部选择"),
};

const QStringList menuShortcuts = {QStringLiteral("Ctrl+N"), QStringLiteral("Ctrl+S"), QStringLiteral("Ctrl+Shift+S"),
                                   QStringLiteral("Ctrl+C"), QStringLiteral("Ctrl+Q"), QStringLiteral("F5")};

const QStringList uiLabels = {
    QStringLiteral("通用"),    QStringLiteral("快捷键"),         QStringLiteral("界面语言"),
    QStringLiteral("外观"),    QStringLiteral("服务地址"),       QStringLiteral("模型"),
    QStringLiteral("API Key"), QStringLiteral("自动检查更新"),   QStringLiteral("云同步"),
    QStringLiteral("Accent"),  QStringLiteral("隐藏菜单栏图标"), QStringLiteral("Language"),
};

const QStringList uiValues = {
    QStringLiteral("简体中文"),
    QStringLiteral("English"),
    QStringLiteral("跟随系统"),
    QStringLiteral("deepseek-chat"),
    QStringLiteral("已保存"),
    QStringLiteral("Ctrl+Shift+Super+2"),
    QStringLiteral("https://api.deepseek.com"),
    QStringLiteral("每天"),
    QStringLiteral("已开启"),
    QStringLiteral("Terracotta"),
    QStringLiteral("深色"),
    QStringLiteral("v1.4.2"),
};

const QStringList uiButtons = {QStringLiteral("取消"),  QStringLiteral("确定"),     QStringLiteral("保存"),
                               QStringLiteral("Apply"), QStringLiteral("测试连接"), QStringLiteral("OK")};

const QStringList tableHeaders = {QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("单价"),
                                  QStringLiteral("Status"), QStringLiteral("日期")};
const QStringList tableNames = {QStringLiteral("显示器"),     QStringLiteral("键盘"),  QStringLiteral("Mouse"),
                                QStringLiteral("扩展坞"),     QStringLiteral("耳机"),  QStringLiteral("USB-C 线"),
                                QStringLiteral("笔记本电脑"), QStringLiteral("Webcam")};
const QStringList tableStatus = {QStringLiteral("已发货"), QStringLiteral("Pending"), QStringLiteral("已完成"),
                                 QStringLiteral("退货"), QStringLiteral("OK")};

// ---------------------------------------------------------------------------

struct Theme {
    QColor background;
    QColor text;
    QColor secondary;
    QColor accent;
    QColor rule;
};

Theme theme(bool dark) {
    if (dark)
        return {QColor(0x1f, 0x1f, 0x22), QColor(0xe8, 0xe8, 0xea), QColor(0x9a, 0x9a, 0xa0), QColor(0x2f, 0x6f, 0xeb),
                QColor(0x4a, 0x4a, 0x50)};
    return {QColor(0xfb, 0xfb, 0xfb), QColor(0x1d, 0x1d, 0x1f), QColor(0x6e, 0x6e, 0x73), QColor(0x24, 0x6b, 0xfd),
            QColor(0xc8, 0xc8, 0xcc)};
}

class Generator {
public:
    explicit Generator(unsigned seed)
        : m_random(seed) {}

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    const QString &pick(const QStringList &list) { return list.at(pick(int(list.size()))); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_random) < p; }

    QStringList pickDistinct(const QStringList &list, int count) {
        QStringList copy = list;
        std::shuffle(copy.begin(), copy.end(), m_random);
        return copy.mid(0, std::min<qsizetype>(count, copy.size()));
    }

private:
    std::mt19937 m_random;
};

QFont font(const QString &family, int pixelSize, bool bold = false) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A canvas in logical pixels, stored at `scale` device pixels per pixel.
QImage canvas(int width, int height, int scale, const QColor &background) {
    QImage image(width * scale, height * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(background);
    return image;
}

// Breaks a paragraph into lines no wider than width: between any two Chinese
// characters, at spaces in Latin text.
QStringList wrap(const QString &text, const QFontMetrics &metrics, int width) {
    QStringList lines;
    QString line;
    QString word;
    const auto flushWord = [&] {
        if (word.isEmpty())
            return;
        if (!line.isEmpty() && metrics.horizontalAdvance(line + word) > width) {
            lines << line.trimmed();
            line = word;
        } else {
            line += word;
        }
        word.clear();
    };
    for (const QChar c : text) {
        const bool cjk = c.unicode() >= 0x2E80;
        const bool punctuation = (c.unicode() >= 0x3000 && c.unicode() <= 0x303F) || c.unicode() >= 0xFF00;
        if (punctuation) {
            // Chinese punctuation never starts a line.
            flushWord();
            line += c;
        } else if (cjk) {
            flushWord();
            word = c;
            flushWord();
        } else if (c == u' ') {
            word += c;
            flushWord();
        } else {
            word += c;
        }
    }
    flushWord();
    if (!line.trimmed().isEmpty())
        lines << line.trimmed();
    return lines;
}

Sample paragraph(Generator &g, const QString &category, int pixelSize, int scale, bool dark) {
    const QStringList &source = category == u"paragraph-sc"   ? simplifiedSentences
                                : category == u"paragraph-tc" ? traditionalSentences
                                                              : englishSentences;
    const QString family = category == u"paragraph-tc" ? sansTc : sansSc;
    const QStringList sentences = g.pickDistinct(source, 2 + g.pick(3));
    const QString separator = category == u"paragraph-en" ? QStringLiteral(" ") : QString();
    const QFont f = font(family, pixelSize);
    const QFontMetrics metrics(f);
    const int width = pixelSize * (category == u"paragraph-en" ? 30 : 20) + g.pick(pixelSize * 6);
    const QStringList lines = wrap(sentences.join(separator), metrics, width);
    const int lineHeight = qRound(pixelSize * 1.6);
    const int margin = 6 + g.pick(12);
    const Theme t = theme(dark);
    QImage image = canvas(width + 2 * margin, int(lines.size()) * lineHeight + 2 * margin, scale, t.background);
    QPainter p(&image);
    p.setFont(f);
    p.setPen(t.text);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(margin, margin + i * lineHeight + metrics.ascent(), lines.at(i));
    return {QString(), category, image, lines.join(u'\n'), pixelSize, scale, dark};
}

Sample plainLines(Generator &g, const QString &category, int pixelSize, int scale, bool dark) {
    const bool code = category == u"code";
    const QStringList lines = g.pickDistinct(code ? codeLines : mixedLines, 3 + g.pick(3));
    const QFont f = font(code ? mono : sansSc, pixelSize);
    const QFontMetrics metrics(f);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lineHeight = qRound(pixelSize * (code ? 1.45 : 1.7));
    const int margin = 6 + g.pick(10);
    Theme t = theme(dark);
    if (code && dark)
        t.background = QColor(0x28, 0x2c, 0x34);
    QImage image =
        canvas(width + 2 * margin + g.pick(40), int(lines.size()) * lineHeight + 2 * margin, scale, t.background);
    QPainter p(&image);
    p.setFont(f);
    // Code gets a few syntax colours per line.
    const QList<QColor> colours = dark ? QList<QColor>{QColor(0xab, 0xb2, 0xbf), QColor(0xc6, 0x78, 0xdd),
                                                       QColor(0x98, 0xc3, 0x79), QColor(0x61, 0xaf, 0xef)}
                                       : QList<QColor>{QColor(0x24, 0x29, 0x2e), QColor(0xd7, 0x3a, 0x49),
                                                       QColor(0x03, 0x2f, 0x62), QColor(0x6f, 0x42, 0xc1)};
    for (int i = 0; i < lines.size(); ++i) {
        p.setPen(code ? colours.at(g.pick(int(colours.size()))) : t.text);
        p.drawText(margin, margin + i * lineHeight + metrics.ascent(), lines.at(i));
    }
    return {QString(), category, image, lines.join(u'\n'), pixelSize, scale, dark};
}

Sample menu(Generator &g, int pixelSize, int scale, bool dark) {
    const QStringList items = g.pickDistinct(menuItems, 4 + g.pick(3));
    const QFont f = font(sansSc, pixelSize);
    const QFontMetrics metrics(f);
    const int rowHeight = qRound(pixelSize * 1.8);
    int labelWidth = 0;
    for (const QString &item : items)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(item));
    const int shortcutWidth = metrics.horizontalAdvance(QStringLiteral("Ctrl+Shift+S"));
    const int padding = pixelSize;
    const int width = padding + labelWidth + 2 * padding + shortcutWidth + padding;
    const int pad = 5;
    const Theme t = theme(dark);
    QImage image = canvas(width, int(items.size()) * rowHeight + 2 * pad, scale, t.background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(f);
    const int highlighted = g.pick(int(items.size()));
    QStringList truth;
    for (int i = 0; i < items.size(); ++i) {
        const int top = pad + i * rowHeight;
        const int baseline = top + (rowHeight + metrics.ascent() - metrics.descent()) / 2;
        if (i == highlighted) {
            p.setPen(Qt::NoPen);
            p.setBrush(t.accent);
            p.drawRoundedRect(QRectF(4, top, width - 8, rowHeight), 4, 4);
        }
        p.setPen(i == highlighted ? QColor(Qt::white) : t.text);
        p.drawText(padding, baseline, items.at(i));
        QString line = items.at(i);
        if (g.chance(0.5)) {
            const QString shortcut = g.pick(menuShortcuts);
            p.setPen(i == highlighted ? QColor(Qt::white) : t.secondary);
            p.drawText(width - padding - metrics.horizontalAdvance(shortcut), baseline, shortcut);
            line += u' ' + shortcut;
        }
        truth << line;
    }
    return {QString(), QStringLiteral("menu"), image, truth.join(u'\n'), pixelSize, scale, dark};
}

Sample ui(Generator &g, int pixelSize, int scale, bool dark) {
    const QStringList labels = g.pickDistinct(uiLabels, 3 + g.pick(2));
    const QFont f = font(sansSc, pixelSize);
    const QFont title = font(sansSc, pixelSize + 2, true);
    const QFontMetrics metrics(f);
    const QFontMetrics titleMetrics(title);
    const int rowHeight = qRound(pixelSize * 2.2);
    const int labelWidth = pixelSize * 7;
    int valueWidth = 0;
    for (const QString &value : uiValues)
        valueWidth = std::max(valueWidth, metrics.horizontalAdvance(value) + 2 * pixelSize);
    const int margin = pixelSize;
    const int width = margin + labelWidth + valueWidth + margin;
    const int height = margin + rowHeight + int(labels.size()) * rowHeight + rowHeight + margin;
    const Theme t = theme(dark);
    QImage image = canvas(width, height, scale, t.background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QStringList truth;
    const QString heading = g.pick(QStringList{QStringLiteral("偏好设置"), QStringLiteral("AI 润色"),
                                               QStringLiteral("General Settings"), QStringLiteral("外观与主题")});
    p.setFont(title);
    p.setPen(t.text);
    p.drawText(margin, margin + titleMetrics.ascent(), heading);
    truth << heading;
    p.setFont(f);
    for (int i = 0; i < labels.size(); ++i) {
        const int top = margin + rowHeight + i * rowHeight;
        const int baseline = top + (rowHeight + metrics.ascent() - metrics.descent()) / 2;
        p.setPen(t.secondary);
        p.drawText(margin, baseline, labels.at(i));
        // The value sits in a field with a border.
        const QString value = g.pick(uiValues);
        const QRectF field(margin + labelWidth, top + rowHeight * 0.12, valueWidth - margin, rowHeight * 0.76);
        p.setPen(t.rule);
        p.setBrush(dark ? QColor(0x2a, 0x2a, 0x2e) : QColor(Qt::white));
        p.drawRoundedRect(field, 4, 4);
        p.setPen(t.text);
        p.drawText(int(field.left()) + pixelSize / 2, baseline, value);
        truth << labels.at(i) + u' ' + value;
    }
    // Two buttons at the bottom right, the default one filled with the accent.
    const QStringList buttons = g.pickDistinct(uiButtons, 2);
    int x = width - margin;
    const int top = height - margin - rowHeight;
    QStringList buttonTexts;
    for (int i = int(buttons.size()) - 1; i >= 0; --i) {
        const int w = metrics.horizontalAdvance(buttons.at(i)) + 2 * pixelSize;
        x -= w;
        const QRectF rect(x, top + rowHeight * 0.1, w, rowHeight * 0.8);
        p.setPen(i == 1 ? Qt::NoPen : QPen(t.rule));
        p.setBrush(i == 1 ? t.accent : (dark ? QColor(0x3a, 0x3a, 0x3e) : QColor(Qt::white)));
        p.drawRoundedRect(rect, 5, 5);
        p.setPen(i == 1 ? QColor(Qt::white) : t.text);
        p.drawText(x + pixelSize, top + (rowHeight + metrics.ascent() - metrics.descent()) / 2, buttons.at(i));
        x -= pixelSize / 2;
        buttonTexts.prepend(buttons.at(i));
    }
    truth << buttonTexts.join(u' ');
    return {QString(), QStringLiteral("ui"), image, truth.join(u'\n'), pixelSize, scale, dark};
}

Sample table(Generator &g, int pixelSize, int scale, bool dark) {
    const int columns = 3 + g.pick(3);
    const QStringList headers = tableHeaders.mid(0, columns);
    const int rows = 3 + g.pick(3);
    const QFont f = font(sansSc, pixelSize);
    const QFontMetrics metrics(f);
    QList<QStringList> cells;
    cells << headers;
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            switch (c) {
            case 0:
                row << g.pick(tableNames);
                break;
            case 1:
                row << QString::number(1 + g.pick(250));
                break;
            case 2:
                row << QStringLiteral("%1.%2").arg(5 + g.pick(3000)).arg(g.pick(100), 2, 10, QLatin1Char('0'));
                break;
            case 3:
                row << g.pick(tableStatus);
                break;
            default:
                row << QStringLiteral("2024-%1-%2")
                           .arg(1 + g.pick(12), 2, 10, QLatin1Char('0'))
                           .arg(1 + g.pick(28), 2, 10, QLatin1Char('0'));
            }
        }
        cells << row;
    }
    QList<int> widths(columns, 0);
    for (const QStringList &row : cells) {
        for (int c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(row.at(c)) + pixelSize);
    }
    const int rowHeight = qRound(pixelSize * 1.9);
    int width = 1;
    for (int w : widths)
        width += w;
    const int height = int(cells.size()) * rowHeight + 1;
    const Theme t = theme(dark);
    QImage image = canvas(width + 2, height + 2, scale, t.background);
    QPainter p(&image);
    p.setFont(f);
    // A tinted header row.
    p.fillRect(QRectF(1, 1, width, rowHeight), dark ? QColor(0x33, 0x33, 0x38) : QColor(0xee, 0xf0, 0xf4));
    QStringList truth;
    for (int r = 0; r < cells.size(); ++r) {
        int x = 1;
        const int baseline = 1 + r * rowHeight + (rowHeight + metrics.ascent() - metrics.descent()) / 2;
        for (int c = 0; c < columns; ++c) {
            p.setPen(t.text);
            p.drawText(x + pixelSize / 2, baseline, cells.at(r).at(c));
            x += widths[c];
        }
        truth << cells.at(r).join(u' ');
    }
    // Grid lines, one logical pixel wide.
    p.setPen(QPen(dark ? QColor(0x5a, 0x5a, 0x60) : QColor(0xb0, 0xb0, 0xb8), 1));
    for (int r = 0; r <= cells.size(); ++r)
        p.drawLine(1, 1 + r * rowHeight, width, 1 + r * rowHeight);
    int x = 1;
    for (int c = 0; c <= columns; ++c) {
        p.drawLine(x, 1, x, 1 + int(cells.size()) * rowHeight);
        if (c < columns)
            x += widths[c];
    }
    return {QString(), QStringLiteral("table"), image, truth.join(u'\n'), pixelSize, scale, dark};
}

} // namespace

QStringList categories() {
    return {QStringLiteral("ui"),           QStringLiteral("paragraph-sc"), QStringLiteral("paragraph-tc"),
            QStringLiteral("paragraph-en"), QStringLiteral("code"),         QStringLiteral("mixed"),
            QStringLiteral("menu"),         QStringLiteral("table")};
}

std::vector<Sample> generate(int countPerCategory, unsigned seed) {
    Generator g(seed);
    const QList<int> sizes{12, 13, 14, 15, 16, 18, 20, 22, 24, 28};
    std::vector<Sample> samples;
    for (const QString &category : categories()) {
        for (int i = 0; i < countPerCategory; ++i) {
            // Screens at 2x show the same logical sizes with twice the pixels;
            // they rarely use the largest sizes.
            const int scale = i % 3 == 2 ? 2 : 1;
            const int pixelSize = sizes.at(g.pick(scale == 2 ? 6 : int(sizes.size())));
            const bool dark = i % 2 == 1;
            Sample sample;
            if (category.startsWith(u"paragraph"))
                sample = paragraph(g, category, pixelSize, scale, dark);
            else if (category == u"code" || category == u"mixed")
                sample = plainLines(g, category, pixelSize, scale, dark);
            else if (category == u"menu")
                sample = menu(g, pixelSize, scale, dark);
            else if (category == u"ui")
                sample = ui(g, pixelSize, scale, dark);
            else
                sample = table(g, pixelSize, scale, dark);
            sample.name = QStringLiteral("%1-%2").arg(category).arg(i, 2, 10, QLatin1Char('0'));
            samples.push_back(std::move(sample));
        }
    }
    return samples;
}

} // namespace OcrSamples
