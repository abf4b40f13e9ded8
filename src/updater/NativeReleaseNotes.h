#pragma once

#include <QString>

#include <memory>
#include <optional>

class NativeUpdateAlert;
class QTextDocument;

// Release notes, written in Markdown, as the update prompts show them.

// The notes as formatted text: each block of the Markdown on a line of its
// own, body text at 13 px, headings bold at 23 - 2 x level px, code in the
// fixed-pitch font at 12 px, list items after their number (ordered lists) or
// a bullet, quotes after a vertical bar; bold, italic, strikethrough and links
// inside a line. Parsed by Qt's Markdown reader (GitHub dialect). GUI thread.
std::unique_ptr<QTextDocument> nativeReleaseNotes(const QString &markdown);

// Gives the alert a scrolling, selectable view of the notes, 420 px wide and as
// high as the text up to 220 px, when the notes hold more than white space.
void addNativeReleaseNotes(NativeUpdateAlert &alert, const std::optional<QString> &markdown);
