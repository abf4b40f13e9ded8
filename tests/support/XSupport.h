#pragma once

#include <QString>
#include <QStringList>

// Helpers for tests that drive the session's X server like a user: xdotool for
// the pointer and keyboard, xclip for the clipboard.
namespace XSupport {

// Runs xdotool with these arguments; true when it succeeded.
bool xdotool(const QStringList &arguments);

// Waits until a visible window with exactly this title is mapped.
bool waitForWindow(const QString &title, int timeoutMs = 20000);

// Drags with the left button from one point to another, in steps.
bool drag(int fromX, int fromY, int toX, int toY);

// The clipboard's text as another program reads it.
QString clipboardText();

} // namespace XSupport
