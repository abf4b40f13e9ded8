#include "NativeAppAppearance.h"
#include "NativeAppearancePicker.h"

#include "UserDefaults.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString key = QStringLiteral("vellora.accentPalette");

// A solid icon in the palette's own colour, so a test can tell the icons apart.
QIcon solidIcon(NativeAccentPalette palette) {
    QPixmap pixmap(16, 16);
    pixmap.fill(palette.color());
    return QIcon(pixmap);
}

QColor windowIconColor() {
    const QPixmap shown = QGuiApplication::windowIcon().pixmap(16, 16);
    return shown.isNull() ? QColor() : shown.toImage().pixelColor(8, 8);
}

} // namespace

class TestNativeAppAppearance final : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    int m_builds = 0;

    std::unique_ptr<NativeAppAppearance> makeAppearance() {
        return std::make_unique<NativeAppAppearance>(NativeAccentPalette::Violet, key, *m_defaults,
                                                     [this](NativeAccentPalette palette) {
                                                         ++m_builds;
                                                         return solidIcon(palette);
                                                     });
    }

    QByteArray written() {
        [[maybe_unused]] const auto synced = m_defaults->synchronize();
        QFile file(m_dir->filePath("Vellora.conf"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_defaults = std::make_unique<UserDefaults>(m_dir->filePath("Vellora.conf"));
        m_builds = 0;
        QGuiApplication::setWindowIcon(QIcon());
    }

    void selectionComesFromTheDefaults_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing stored") << QString() << "violet";
        QTest::newRow("a palette") << "ocean"
                                   << "ocean";
        QTest::newRow("a text that names no palette") << "purple"
                                                      << "violet";
        QTest::newRow("raw values are case-sensitive") << "Ocean"
                                                       << "violet";
    }

    void selectionComesFromTheDefaults() {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        if (!stored.isNull())
            m_defaults->setString(key, stored);
        const QByteArray before = written();
        const auto appearance = makeAppearance();
        QCOMPARE(appearance->selection().rawValue(), expected);
        QCOMPARE(appearance->accent(), appearance->selection().color());
        QCOMPARE(written(), before);
        QCOMPARE(m_builds, 0);
    }

    void selectingStoresAppliesAndNotifiesOnce() {
        const auto appearance = makeAppearance();
        QSignalSpy changed(appearance.get(), &NativeAppAppearance::selectionChanged);

        appearance->select(NativeAccentPalette::Violet);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!written().contains("accentPalette"));
        QVERIFY(QGuiApplication::windowIcon().isNull());

        appearance->select(NativeAccentPalette::Forest);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(appearance->selection(), NativeAccentPalette(NativeAccentPalette::Forest));
        QCOMPARE(m_defaults->string(key), std::optional<QString>("forest"));
        QVERIFY(written().contains("vellora.accentPalette=forest"));
        QCOMPARE(windowIconColor(), NativeAccentPalette(NativeAccentPalette::Forest).color());

        // A second model over the same domain reads the choice back.
        QCOMPARE(makeAppearance()->selection(), NativeAccentPalette(NativeAccentPalette::Forest));
    }

    void iconsAreBuiltOncePerPalette() {
        const auto appearance = makeAppearance();
        appearance->icon(NativeAccentPalette::Coral);
        appearance->icon(NativeAccentPalette::Coral);
        QCOMPARE(m_builds, 1);
        appearance->applyApplicationIcon();
        appearance->applyApplicationIcon();
        QCOMPARE(m_builds, 2);
        QCOMPARE(windowIconColor(), NativeAccentPalette(NativeAccentPalette::Violet).color());
        for (const NativeAccentPalette palette : NativeAccentPalette::allCases())
            appearance->select(palette);
        QCOMPARE(m_builds, 6);
    }

    void pickerTextsFollowTheLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("oceanName");
        QTest::addColumn<QString>("oceanAccessible");
        QTest::addColumn<QString>("violetValue");
        QTest::newRow("en") << "en"
                            << "Icon & Accent Color"
                            << "Ocean"
                            << "Ocean icon color"
                            << "Selected";
        QTest::newRow("zh-Hans") << "zh-Hans"
                                 << "图标与高亮色"
                                 << "海蓝"
                                 << "海蓝图标颜色"
                                 << "已选择";
        QTest::newRow("zh-Hant") << "zh-Hant"
                                 << "圖示與強調色"
                                 << "海藍"
                                 << "海藍圖示顏色"
                                 << "已選取";
        QTest::newRow("a Hong Kong tag") << "zh-HK"
                                         << "圖示與強調色"
                                         << "海藍"
                                         << "海藍圖示顏色"
                                         << "已選取";
        QTest::newRow("another language") << "fr"
                                          << "Icon & Accent Color"
                                          << "Ocean"
                                          << "Ocean icon color"
                                          << "Selected";
    }

    void pickerTextsFollowTheLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QString, oceanName);
        QFETCH(QString, oceanAccessible);
        QFETCH(QString, violetValue);
        const auto appearance = makeAppearance();
        // Built in another language first: a change of language re-translates.
        NativeAppearancePicker picker(*appearance, language == "en" ? "zh-Hans" : "en");
        picker.setLanguage(language);
        QCOMPARE(picker.findChild<QLabel *>("appearancePickerTitle")->text(), title);
        QCOMPARE(picker.cards().size(), 6);
        NativeAppearanceCard *ocean = picker.cards().at(4);
        QCOMPARE(ocean->palette(), NativeAccentPalette(NativeAccentPalette::Ocean));
        QCOMPARE(ocean->text(), oceanName);
        QCOMPARE(ocean->accessibleName(), oceanAccessible);
        QCOMPARE(picker.cards().at(5)->accessibleDescription(), violetValue);
    }

    void clickingACardSelectsItsPalette() {
        const auto appearance = makeAppearance();
        NativeAppearancePicker picker(*appearance, "en");
        picker.resize(560, 200);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        NativeAppearanceCard *amber = picker.cards().at(2);
        QCOMPARE(amber->height(), NativeAppearanceCard::Height);
        // Three columns: the third card sits right of the second, the fourth starts a row.
        QVERIFY(picker.cards().at(2)->x() > picker.cards().at(1)->x());
        QCOMPARE(picker.cards().at(3)->x(), picker.cards().at(0)->x());
        QCOMPARE(picker.cards().at(3)->y() - picker.cards().at(0)->y(), NativeAppearanceCard::Height + 10);

        QTest::mousePress(amber, Qt::LeftButton, {}, amber->rect().center());
        QCOMPARE(amber->targetOpacity(), NativeAppearanceCard::PressedOpacity);
        QTest::mouseRelease(amber, Qt::LeftButton, {}, amber->rect().center());
        QCOMPARE(appearance->selection(), NativeAccentPalette(NativeAccentPalette::Amber));
        QCOMPARE(m_defaults->string(key), std::optional<QString>("amber"));
        for (NativeAppearanceCard *card : picker.cards()) {
            QCOMPARE(card->isSelected(), card == amber);
            QCOMPARE(card->accessibleDescription(), card == amber ? "Selected" : "Not selected");
        }

        // The corner outside the rounded plate is not part of the card.
        appearance->select(NativeAccentPalette::Violet);
        QTest::mouseClick(amber, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(appearance->selection(), NativeAccentPalette(NativeAccentPalette::Violet));
    }

    void hoverAndPressFadeTheCard() {
        const auto appearance = makeAppearance();
        NativeAppearanceCard card(*appearance, NativeAccentPalette::Coral);
        QCOMPARE(card.targetOpacity(), 1.0);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&card, &enter);
        QCOMPARE(card.targetOpacity(), NativeAppearanceCard::HoveredOpacity);
        card.setDown(true);
        QCOMPARE(card.targetOpacity(), NativeAppearanceCard::PressedOpacity);
        card.setDown(false);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&card, &leave);
        QCOMPARE(card.targetOpacity(), 1.0);
        QTRY_COMPARE(card.opacity(), 1.0);
    }

    // A focused card shows its focus, but more faintly than the selected card
    // shows the choice: along the edge, where both draw, the focus ring differs
    // less from a plain card than the selection's outline does.
    void theFocusRingIsFainterThanTheSelection_data() {
        QTest::addColumn<int>("palette");
        QTest::newRow("violet") << int(NativeAccentPalette::Violet);
        QTest::newRow("amber") << int(NativeAccentPalette::Amber);
        QTest::newRow("forest") << int(NativeAccentPalette::Forest);
    }

    void theFocusRingIsFainterThanTheSelection() {
        QFETCH(int, palette);
        const NativeAccentPalette shown{NativeAccentPalette::Value(palette)};
        const NativeAccentPalette other{shown == NativeAccentPalette::Ocean ? NativeAccentPalette::Coral
                                                                             : NativeAccentPalette::Ocean};
        const auto appearance = makeAppearance();
        QWidget window;
        auto *card = new NativeAppearanceCard(*appearance, shown, &window);
        auto *elsewhere = new QLabel(&window);
        elsewhere->setFocusPolicy(Qt::StrongFocus);
        card->setGeometry(0, 0, 180, NativeAppearanceCard::Height);
        elsewhere->setGeometry(0, 60, 10, 10);
        window.resize(180, 70);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        const auto shot = [card] { return card->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        appearance->select(other);
        elsewhere->setFocus(Qt::TabFocusReason);
        const QImage plain = shot();
        card->setFocus(Qt::TabFocusReason);
        QVERIFY(card->hasFocus());
        const QImage focused = shot();
        elsewhere->setFocus(Qt::TabFocusReason);
        appearance->select(shown);
        const QImage selected = shot();

        // The largest difference from the plain card within 6 pixels of its edge.
        const auto edgeStrength = [&plain](const QImage &image) {
            int strongest = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (x >= 6 && y >= 6 && x < image.width() - 6 && y < image.height() - 6)
                        continue;
                    const QColor a = image.pixelColor(x, y);
                    const QColor b = plain.pixelColor(x, y);
                    strongest = std::max(strongest, std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                                                        std::abs(a.blue() - b.blue()));
                }
            }
            return strongest;
        };
        const int focus = edgeStrength(focused);
        const int selection = edgeStrength(selected);
        QVERIFY2(focus >= 60, qPrintable(QStringLiteral("focus %1").arg(focus)));
        QVERIFY2(focus < selection, qPrintable(QStringLiteral("focus %1, selection %2").arg(focus).arg(selection)));
    }
};

QTEST_MAIN(TestNativeAppAppearance)
#include "TestNativeAppAppearance.moc"
