#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

#include <optional>

// The tray icon: a viewfinder around lines of text, drawn as SVG with a drawing
// of its own for sizes below 24 pixels. Where the tray says what colour its
// icons should have, the icon is drawn in ink of that brightness; where it says
// nothing (most trays), it is the glyph on the brand's plate, which reads on
// light and dark panels alike.
class NativeTrayIcon final {
public:
    enum class Variant {
        // Dark ink, for a panel whose text is dark.
        ForLightPanel,
        // Light ink, for a panel whose text is light.
        ForDarkPanel,
        // White glyph on a violet plate, for a panel of unknown colour.
        Badge,
    };

    // The variant for a tray that asks its icons for this foreground colour,
    // or says nothing.
    static Variant variantFor(const std::optional<QColor> &panelForeground);

    // The icon with pixmaps rendered from the SVG at every size trays ask for
    // (16 to 128 pixels).
    static QIcon icon(Variant variant);
    // The artwork rendered at size × size device pixels.
    static QImage image(Variant variant, int size);
    // The resource path of the SVG drawn for that variant and size.
    static QString resourcePath(Variant variant, int size);
};
