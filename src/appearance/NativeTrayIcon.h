#pragma once

#include <QIcon>
#include <QImage>

// The tray icon: a viewfinder around lines of text, drawn as SVG in a dark
// variant for light panels and a light one for dark panels, with a drawing of
// its own for sizes below 24 pixels.
class NativeTrayIcon final {
public:
    // The icon for a panel of that brightness, with pixmaps rendered from the
    // SVG at every size trays ask for (16 to 128 pixels).
    static QIcon icon(bool darkPanel);
    // The artwork rendered at size × size device pixels.
    static QImage image(bool darkPanel, int size);
    // The resource path of the SVG drawn for that variant and size.
    static QString resourcePath(bool darkPanel, int size);
};
