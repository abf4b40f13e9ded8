#pragma once

#include <QString>

// Text measures shared by the command-line modes and the interface.
namespace TextMetrics {

// The number of user-perceived characters (extended grapheme clusters).
qsizetype graphemeCount(const QString &text);

// Seconds on the monotonic clock since an unspecified start (boot on Linux).
double monotonicSeconds();

// "%.3f" of a duration in seconds, as the C formatted output rounds it, always
// with a decimal point whatever the locale.
QString formatSeconds(double seconds);

} // namespace TextMetrics
