#pragma once

#include "Result.h"

#include <QString>

#include <optional>

// Puts text on the X11 clipboard so that it stays pasteable after this process
// exits. An X11 selection lives only as long as its owner, so a detached copy of
// this executable owns it until another program takes the clipboard (as xclip
// does); a clipboard manager that takes it over ends that copy too.
namespace PersistentClipboard {

// Hands the text to a detached owner and waits (a few seconds at most) until it
// owns the clipboard. Fails when no display can be reached or the owner could not
// take the clipboard. Main thread only; the caller must not hold the X clipboard.
Result<void> copy(const QString &text);

// The detached owner's entry point. main() calls it before anything else: it
// returns nothing in every ordinary process, and the owner's exit status in the
// process that copy() started.
std::optional<int> runOwnerIfRequested(int argc, char **argv);

} // namespace PersistentClipboard
