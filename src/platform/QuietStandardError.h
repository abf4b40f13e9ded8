#pragma once

// While it lives, whatever the process writes to standard error goes nowhere.
// For libraries that print lines of their own (libpng, libtiff) where a
// command-line mode promises at most one line. Process-wide: keep it around
// the one call whose output is unwanted.
class QuietStandardError final {
public:
    QuietStandardError();
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;
    ~QuietStandardError();

private:
    int m_saved = -1;
};
