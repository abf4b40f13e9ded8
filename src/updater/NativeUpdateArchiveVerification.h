#pragma once

#include "NativeUpdateConfiguration.h"

#include <QStringList>

#include <optional>

// The command-line mode that runs an update's checks on an archive file:
//   vellora --verify-update-archive ARCHIVE VERSION BUILD SHA256
// It prints "UPDATE VERIFY PASS: …" on standard output and returns 0, or
// "UPDATE VERIFY FAILED: <reason>" on standard error and returns 1.
namespace NativeUpdateArchiveVerification {

inline constexpr QLatin1StringView argument{"--verify-update-archive"};

// Nothing unless the arguments are exactly the flag and its four operands.
std::optional<int> runIfRequested(const NativeUpdateConfiguration &configuration, const QStringList &arguments);

} // namespace NativeUpdateArchiveVerification
