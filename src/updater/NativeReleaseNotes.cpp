#include "NativeReleaseNotes.h"

#include "NativeUpdateAlertPresenter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace {

constexpr int BodyPixels = 13;
constexpr int CodePixels = 12;
constexpr int NotesWidth = 420;
constexpr int NotesMaximumHeight = 220;
constexpr int TextInset = 8;

QFont systemFont(int pixels, bool bold = false) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixels);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont monospacedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(CodePixels);
    font.setWeight(QFont::Normal);
    return font;
}

bool isCodeBlock(const QTextBlockFormat &format) {
    return format.hasProperty(QTextFormat::BlockCodeLanguage) || format.hasProperty(QTextFormat::BlockCodeFence);
}

// The font a block's text starts from.
QFont blockFont(const QTextBlockFormat &format) {
    if (isCodeBlock(format))
        return monospacedFont();
    if (const int level = format.headingLevel(); level > 0)
        return systemFont(23 - 2 * std::min(level, 6), true);
    return systemFont(BodyPixels);
}

// What goes in front of a block's first run: a quote's bar wins over a list
// item's number or bullet, as the outer of the two.
QString blockPrefix(const QTextBlock &block) {
    if (block.blockFormat().intProperty(QTextFormat::BlockQuoteLevel) > 0)
        return QStringLiteral("\u2502 ");
    if (const QTextList *list = block.textList()) {
        const QTextListFormat::Style style = list->format().style();
        const bool ordered = style == QTextListFormat::ListDecimal || style == QTextListFormat::ListLowerAlpha
                             || style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListLowerRoman
                             || style == QTextListFormat::ListUpperRoman;
        return ordered ? QString::number(list->itemNumber(block) + 1) + QStringLiteral(". ")
                       : QStringLiteral("\u2022 ");
    }
    return {};
}

QTextCharFormat runFormat(const QFont &base, const QTextCharFormat &parsed, bool codeBlock) {
    QFont font = base;
    if (parsed.fontFixedPitch() && !codeBlock)
        font = monospacedFont();
    if (parsed.fontWeight() >= QFont::Bold)
        font.setBold(true);
    if (parsed.fontItalic())
        font.setItalic(true);
    QTextCharFormat format;
    format.setFont(font);
    if (parsed.fontStrikeOut())
        format.setFontStrikeOut(true);
    if (parsed.isAnchor() && !parsed.anchorHref().isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(parsed.anchorHref());
        format.setFontUnderline(true);
        format.setForeground(QGuiApplication::palette().link());
    }
    return format;
}

} // namespace

std::unique_ptr<QTextDocument> nativeReleaseNotes(const QString &markdown) {
    QTextDocument parsed;
    parsed.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);

    auto notes = std::make_unique<QTextDocument>();
    notes->setDefaultFont(systemFont(BodyPixels));
    QTextCursor cursor(notes.get());
    bool first = true;
    for (QTextBlock block = parsed.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const QFont base = blockFont(format);
        const bool codeBlock = isCodeBlock(format);
        if (!first)
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        first = false;
        QString prefix = blockPrefix(block);
        for (auto run = block.begin(); !run.atEnd(); ++run) {
            const QTextFragment fragment = run.fragment();
            cursor.insertText(prefix + fragment.text(), runFormat(base, fragment.charFormat(), codeBlock));
            prefix.clear();
        }
        if (!prefix.isEmpty())
            cursor.insertText(prefix, runFormat(base, QTextCharFormat(), codeBlock));
    }
    return notes;
}

void addNativeReleaseNotes(NativeUpdateAlert &alert, const std::optional<QString> &markdown) {
    if (!markdown || markdown->trimmed().isEmpty())
        return;
    auto *view = new QTextBrowser;
    view->setObjectName(QStringLiteral("releaseNotes"));
    view->setFrameShape(QFrame::NoFrame);
    view->setOpenExternalLinks(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setTextInteractionFlags(Qt::TextBrowserInteraction);
    // No background of its own: the notes sit on the alert.
    view->viewport()->setAutoFillBackground(false);
    view->setStyleSheet(QStringLiteral("QTextBrowser { background: transparent; }"));

    std::unique_ptr<QTextDocument> document = nativeReleaseNotes(*markdown);
    document->setDocumentMargin(TextInset);
    document->setTextWidth(NotesWidth);
    const int needed = static_cast<int>(std::ceil(document->size().height()));
    view->setDocument(document.release());
    view->document()->setParent(view);
    view->setFixedSize(NotesWidth, std::min(needed, NotesMaximumHeight));
    view->moveCursor(QTextCursor::Start);
    view->verticalScrollBar()->setValue(0);
    alert.setAccessoryView(view);
}
