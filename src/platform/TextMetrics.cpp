#include "TextMetrics.h"

#include <QTextBoundaryFinder>

#include <charconv>
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
    // std::to_chars rounds as printf does but never reads the locale: scripts
    // parse these figures, and setlocale() would give them a decimal comma.
    // Room for the largest double in fixed notation.
    char buffer[400];
    const std::to_chars_result written =
        std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
    return QString::fromLatin1(buffer, written.ptr - buffer);
}

} // namespace TextMetrics
