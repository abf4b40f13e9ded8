#include "NativeUpdateAlertPresenter.h"

#include "NativeReleaseNotes.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <cmath>

namespace {

NativeUpdatePrompt prompt(std::optional<QString> notes = std::nullopt, bool secondary = true) {
    return NativeUpdatePrompt{"Vellora 2.0 is available", "You can download it now.", std::move(notes),
                              "Download Update", secondary ? std::optional<QString>("Later") : std::nullopt};
}

QStringList lines(const QTextDocument &document) {
    QStringList result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        result.append(block.text());
    return result;
}

// The format of the first character of the line that starts with text.
QTextCharFormat formatAt(const QTextDocument &document, const QString &text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().startsWith(text))
            return block.begin().fragment().charFormat();
    }
    return {};
}

} // namespace

// The update prompts: their release notes and their window, on the offscreen platform.
class TestNativeUpdateAlertPresenter final : public QObject {
    Q_OBJECT

private slots:
    void markdownBecomesFormattedLines() {
        const auto notes = nativeReleaseNotes("# Vellora 2.0\n\n## What's new\n\nFaster **recognition** and *calmer* "
                                              "`code` ~~old~~ [site](https://vellora.quorvel.app/).\n\n1. first\n2. "
                                              "second\n\n- one\n- two\n\n> quoted\n\n```\nblock\n```\n");
        QCOMPARE(lines(*notes), QStringList({"Vellora 2.0", "What's new",
                                             "Faster recognition and calmer code old site.", "1. first",
                                             "2. second", "\u2022 one", "\u2022 two", "\u2502 quoted", "block"}));
        QCOMPARE(formatAt(*notes, "Vellora 2.0").font().pixelSize(), 21);
        QVERIFY(formatAt(*notes, "Vellora 2.0").font().bold());
        QCOMPARE(formatAt(*notes, "What's new").font().pixelSize(), 19);
        QCOMPARE(formatAt(*notes, "Faster").font().pixelSize(), 13);
        QVERIFY(!formatAt(*notes, "Faster").font().bold());
        QCOMPARE(formatAt(*notes, "block").font().pixelSize(), 12);
        const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        QCOMPARE(QFontInfo(formatAt(*notes, "block").font()).family(), fixed);

        // Inside the paragraph: each run keeps its own emphasis.
        QTextBlock paragraph = notes->findBlock(0).next().next();
        QMap<QString, QTextCharFormat> runs;
        for (auto run = paragraph.begin(); !run.atEnd(); ++run)
            runs.insert(run.fragment().text(), run.fragment().charFormat());
        QVERIFY(runs.value("recognition").font().bold());
        QVERIFY(runs.value("calmer").font().italic());
        QCOMPARE(runs.value("code").font().pixelSize(), 12);
        QCOMPARE(QFontInfo(runs.value("code").font()).family(), fixed);
        QVERIFY(runs.value("old").fontStrikeOut());
        QCOMPARE(runs.value("site").anchorHref(), "https://vellora.quorvel.app/");
    }

    void blankNotesAddNoView_data() {
        QTest::addColumn<std::optional<QString>>("notes");
        QTest::newRow("absent") << std::optional<QString>();
        QTest::newRow("empty") << std::optional<QString>("");
        QTest::newRow("blanks and newlines") << std::optional<QString>(" \n\t\n ");
    }

    void blankNotesAddNoView() {
        QFETCH(std::optional<QString>, notes);
        std::unique_ptr<NativeUpdateAlert> alert(nativeUpdateAlert(prompt(notes), NativeUpdateAlertStyle::informational));
        QVERIFY(!alert->accessoryView());
    }

    void theNotesAreAsHighAsTheirText() {
        std::unique_ptr<NativeUpdateAlert> alert(
            nativeUpdateAlert(prompt("Two short lines.\n\nThe second."), NativeUpdateAlertStyle::informational));
        auto *view = qobject_cast<QTextBrowser *>(alert->accessoryView());
        QVERIFY(view);
        QCOMPARE(view->width(), 420);
        auto plain = nativeReleaseNotes("Two short lines.\n\nThe second.");
        plain->setDocumentMargin(0);
        plain->setTextWidth(404);
        QCOMPARE(view->height(), int(std::ceil(plain->size().height() + 16)));
        QVERIFY(view->height() < 220);

        QString many;
        for (int i = 0; i < 40; ++i)
            many += QStringLiteral("- item %1\n").arg(i);
        std::unique_ptr<NativeUpdateAlert> tall(nativeUpdateAlert(prompt(many), NativeUpdateAlertStyle::warning));
        auto *scrolling = qobject_cast<QTextBrowser *>(tall->accessoryView());
        QCOMPARE(scrolling->height(), 220);
        QCOMPARE(scrolling->verticalScrollBar()->value(), 0);
        QVERIFY(scrolling->verticalScrollBar()->maximum() > 0);
    }

    void theAlertShowsThePrompt() {
        std::unique_ptr<NativeUpdateAlert> alert(nativeUpdateAlert(prompt(), NativeUpdateAlertStyle::informational));
        QCOMPARE(alert->windowTitle(), "Vellora 2.0 is available");
        QCOMPARE(alert->titleLabel()->text(), "Vellora 2.0 is available");
        QCOMPARE(alert->detailLabel()->text(), "You can download it now.");
        QCOMPARE(alert->buttons().size(), 2);
        QCOMPARE(alert->buttons().at(0)->text(), "Download Update");
        QVERIFY(alert->buttons().at(0)->isDefault());
        QCOMPARE(alert->buttons().at(1)->text(), "Later");

        std::unique_ptr<NativeUpdateAlert> notice(
            nativeUpdateAlert(NativeUpdatePrompt::message("Vellora is up to date.", QStringList{"en"}),
                              NativeUpdateAlertStyle::informational));
        QCOMPARE(notice->buttons().size(), 1);
        QCOMPARE(notice->buttons().at(0)->text(), "OK");
    }

    void eachPromptIsAnsweredOnce() {
        NativeUpdateAlertPresenter presenter;
        QList<std::pair<int, bool>> answers;
        const auto answer = [&answers](int prompt) {
            return [&answers, prompt](bool accepted) { answers.append({prompt, accepted}); };
        };

        // The first button is yes.
        presenter.present(prompt(), NativeUpdateAlertStyle::informational, answer(1));
        QVERIFY(QTest::qWaitForWindowExposed(presenter.alert()));
        QTest::mouseClick(presenter.alert()->buttons().at(0), Qt::LeftButton);
        QCOMPARE(answers, (QList<std::pair<int, bool>>{{1, true}}));
        QVERIFY(!presenter.alert());

        // The second button, and closing the window, are no.
        presenter.present(prompt(), NativeUpdateAlertStyle::informational, answer(2));
        QTest::mouseClick(presenter.alert()->buttons().at(1), Qt::LeftButton);
        presenter.present(prompt(), NativeUpdateAlertStyle::informational, answer(3));
        QPointer<NativeUpdateAlert> closing = presenter.alert();
        QVERIFY(closing->close());
        // A prompt shown while another is open answers the first with no.
        presenter.present(prompt(), NativeUpdateAlertStyle::informational, answer(4));
        QPointer<NativeUpdateAlert> replaced = presenter.alert();
        presenter.present(prompt(), NativeUpdateAlertStyle::warning, answer(5));
        QTRY_VERIFY(!replaced);
        QCOMPARE(answers, (QList<std::pair<int, bool>>{{1, true}, {2, false}, {3, false}, {4, false}}));
        // Escape is no, too.
        QTest::keyClick(presenter.alert(), Qt::Key_Escape);
        QCOMPARE(answers.constLast(), (std::pair<int, bool>{5, false}));
        QCOMPARE(answers.size(), 5);
        QTRY_VERIFY(!closing);
    }
};

QTEST_MAIN(TestNativeUpdateAlertPresenter)
#include "TestNativeUpdateAlertPresenter.moc"
