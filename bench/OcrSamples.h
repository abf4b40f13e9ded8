#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

// Screenshot-like images with their true text, for the recognition bench.
// Two sources: pictures drawn with QPainter (paragraphs, code, mixed text,
// menus, tables, settings panels) and real Qt widgets rendered the way a
// desktop shows them (dialogs, menus, tables, file lists, chat, documents).
// Several font families, 12 to 28 pixel text at 1x and 2x, light, dark and
// grey themes, LCD anti-aliasing, and selections that take in a margin of
// the surrounding interface. Deterministic for a set.
namespace OcrSamples {

// The tuning set is what the engine may be tuned on; the held-back set uses
// other texts and another seed and is only ever measured.
enum class Set { Tuning, HeldBack };

struct Sample {
    QString name;     // e.g. "menu-07"
    QString category; // see categories()
    QImage image;
    QString truth;  // lines in reading order
    QString script; // "zh-Hans" or "zh-Hant" where the text holds Chinese, else empty
    QString font;   // the main font family
    int pixelSize = 0;
    int scale = 1;
    QString theme; // light, dark, grey
    bool lcd = false;
};

QStringList categories();

// countPerCategory samples of each category. Needs a QApplication: the
// widget categories create widgets.
std::vector<Sample> generate(Set set, int countPerCategory);

// One crop of each shape the capture bench shows on screen: a line, a
// paragraph, a table and a menu, named by their shape.
std::vector<Sample> latencyCrops();

} // namespace OcrSamples
