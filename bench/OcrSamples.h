#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

// Screenshot-like images with their true text, drawn with the Noto fonts:
// interface panels, paragraphs, code, mixed text with numbers, addresses and
// e-mail, menus with a highlighted row and tables with grid lines; 12 to 28
// pixel text, light and dark, at 1x and 2x. Deterministic for a seed.
namespace OcrSamples {

struct Sample {
    QString name;     // e.g. "menu-07"
    QString category; // ui, paragraph-sc, paragraph-tc, paragraph-en, code, mixed, menu, table
    QImage image;
    QString truth; // lines in reading order
    int pixelSize = 0;
    int scale = 1;
    bool dark = false;
};

QStringList categories();

// count samples of each category.
std::vector<Sample> generate(int countPerCategory, unsigned seed);

} // namespace OcrSamples
