#include "TextMetrics.h"

#include <QTextBoundaryFinder>

#include <cstdio>
#include <ctime>

namespace TextMetrics {

qsizetype graphemeCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

QString formatSeconds(double seconds)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
    return QString::fromLatin1(buffer);
}

} // namespace TextMetrics
