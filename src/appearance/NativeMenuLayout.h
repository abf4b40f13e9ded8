#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// The arithmetic of the popup menu and its rows, kept apart from the widgets so
// it can be checked without a display. All lengths are logical pixels.
namespace NativeMenuLayout {

inline constexpr int MinimumWidth = 240;
inline constexpr int MaximumWidth = 420;
// Room a title needs beside it: the icon column on the left, the shortcut or
// chevron on the right, the panel's own margins.
inline constexpr int TitleAllowance = 90;
inline constexpr int RowHeight = 34;
inline constexpr int RowInset = 8;
inline constexpr int SeparatorInset = 16;
inline constexpr int SeparatorSpacing = 12;
inline constexpr int CornerRadius = 12;

// Restyled ordinary menus (NativeMenuStyle) are a little wider.
inline constexpr int StyledMinimumWidth = 260;
inline constexpr int StyledMaximumWidth = 440;
inline constexpr int StyledTitleAllowance = 100;

// The popup's width: the widest title (with its shortcut text, if any) plus
// the allowance, within 240..420; 240 for a menu without items.
int menuWidth(const QList<int> &titleWidths);
// The width of a restyled menu's rows: the widest title plus 100, within 260..440.
int styledRowWidth(const QList<int> &titleWidths);

enum class ItemKind {
    Row,
    Separator,
    Hidden,
};

struct Placement {
    enum Kind {
        BackRow,
        Row,
        Separator,
    };
    Kind kind;
    QRect frame;
    // The index of the menu item it shows; -1 for the back row and its separator.
    int itemIndex;

    friend bool operator==(const Placement &, const Placement &) = default;
};

struct Content {
    QSize size;
    QList<Placement> placements;
};

// Places a menu's items top to bottom in a panel of the given width: rows 34
// high, separators 12, hidden items nothing, 8 above and below; with a parent
// menu a back row and its separator come first.
Content layout(const QList<ItemKind> &items, int width, bool hasBackRow);

// The next enabled row from current in steps of +1 (down) or -1 (up), wrapping
// around. With nothing focused (current outside the list or disabled), down
// picks the first enabled row and up the last. -1 when no row is enabled.
int moveFocus(const QList<bool> &enabledRows, int current, int step);

// Where a row of the given size draws its parts.
struct RowGeometry {
    QRectF highlight;
    QRectF icon;
    QRectF title;
    QRectF chevron;
    QRectF shortcut;
};

// rightReserve: 28 with a submenu, the shortcut's width plus 22 with a shortcut, 14 otherwise.
int rightReserve(bool hasSubmenu, int shortcutWidth);
RowGeometry rowGeometry(QSizeF rowSize, bool hasSubmenu, int shortcutWidth);

} // namespace NativeMenuLayout
