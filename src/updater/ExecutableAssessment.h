#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// Whether a downloaded executable will run on this machine: an ELF file of
// the running process's class, byte order and architecture, which answers a
// harmless probe run. Blocks; any thread.
namespace ExecutableAssessment {

inline constexpr QLatin1StringView ProbeArgument{"--native-update-probe"};
inline constexpr std::chrono::milliseconds ProbeTimeout{10000};

// An executable or position-independent ELF file for this machine.
Result<void> checkMachine(const QString &executablePath);

// What an executable in a bundle answers the probe: its bundle's identifier
// and build, "quorvel.vellora 42\n", so the answer also shows that the new
// executable finds its own bundle.
QByteArray probeAnswer(const QString &identifier, const QString &build);

// The probe mode of the executable: exactly `--native-update-probe`. Prints
// probeAnswer() for the running bundle and returns 0; returns 1 without a
// bundle; nothing for other arguments.
std::optional<int> answerProbeIfRequested(const QStringList &arguments);

// Runs `executable --native-update-probe` with nothing on its input and gives
// back what it printed, when it ended with status 0 within the timeout.
Result<QByteArray> probe(const QString &executablePath, std::chrono::milliseconds timeout = ProbeTimeout);

} // namespace ExecutableAssessment
