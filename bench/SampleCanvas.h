#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QStringList>

#include <functional>
#include <random>

class QPainter;

// What the recognition bench's samples are drawn with: a seeded choice of
// sizes, fonts and themes, and a canvas that draws a sample the way a
// screen shows it and crops it the way a user selects it.
namespace SampleCanvas {

class Generator {
public:
    explicit Generator(unsigned seed)
        : m_random(seed) {}

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    const QString &pick(const QStringList &list) { return list.at(pick(int(list.size()))); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_random) < p; }
    QStringList pickDistinct(const QStringList &list, int count);

private:
    std::mt19937 m_random;
};

// The colours of an interface theme.
struct Theme {
    QString name; // light, dark, grey
    QColor window;
    QColor text;
    QColor secondary;
    QColor accent;
    QColor accentText;
    QColor rule;
    QColor field;
    QColor header;
    QColor alternate;
};

Theme theme(const QString &name);

// How one sample is shown: at 1x or 2x, with LCD (subpixel) anti-aliasing
// or grey, in a theme, with a hinting style.
struct Look {
    int scale = 1;
    bool lcd = false;
    Theme theme;
    QFont::HintingPreference hinting = QFont::PreferNoHinting;
};

// Font families a desktop shows text of a script ("zh-Hans", "zh-Hant", or
// empty for Latin) in, for a style: sans, serif or kai.
QStringList families(const QString &script, const QString &style);

QFont font(const QString &family, int pixelSize, const Look &look, bool bold = false);

// A drawn sample: its pixels, its lines of text in reading order, its font.
struct Drawn {
    QImage image;
    QStringList truth;
    QString font;
};

// Draws a sample of contentSize logical pixels with paint (which fills its
// own background), inside surroundings of other interface (frames, panels,
// a scroll bar, icons, never text), and crops it with a margin of 0 to a few
// pixels of those surroundings on each side, as a hand-made selection does.
// The result is in device pixels (logical × scale).
QImage compose(Generator &g, const Look &look, QSize contentSize, const std::function<void(QPainter &)> &paint);

} // namespace SampleCanvas
