#include "NativeMenuLayout.h"

#include <algorithm>

namespace NativeMenuLayout {

namespace {

int widestPlus(const QList<int> &titleWidths, int allowance, int minimum, int maximum) {
    if (titleWidths.isEmpty())
        return minimum;
    return std::clamp(*std::max_element(titleWidths.cbegin(), titleWidths.cend()) + allowance, minimum, maximum);
}

} // namespace

int menuWidth(const QList<int> &titleWidths) {
    return widestPlus(titleWidths, TitleAllowance, MinimumWidth, MaximumWidth);
}

int styledRowWidth(const QList<int> &titleWidths) {
    return widestPlus(titleWidths, StyledTitleAllowance, StyledMinimumWidth, StyledMaximumWidth);
}

Content layout(const QList<ItemKind> &items, int width, bool hasBackRow) {
    Content content;
    const int rowWidth = width - 2 * RowInset;
    const int separatorWidth = width - 2 * SeparatorInset;
    int y = RowInset;
    if (hasBackRow) {
        content.placements.append({Placement::BackRow, QRect(RowInset, y, rowWidth, RowHeight), -1});
        content.placements.append(
            {Placement::Separator, QRect(SeparatorInset, y + RowHeight + 5, separatorWidth, 1), -1});
        y += RowHeight + SeparatorSpacing;
    }
    for (int index = 0; index < items.size(); ++index) {
        switch (items[index]) {
        case ItemKind::Hidden:
            break;
        case ItemKind::Separator:
            content.placements.append({Placement::Separator, QRect(SeparatorInset, y + 5, separatorWidth, 1), index});
            y += SeparatorSpacing;
            break;
        case ItemKind::Row:
            content.placements.append({Placement::Row, QRect(RowInset, y, rowWidth, RowHeight), index});
            y += RowHeight;
            break;
        }
    }
    content.size = QSize(width, y + RowInset);
    return content;
}

int moveFocus(const QList<bool> &enabledRows, int current, int step) {
    const int count = int(enabledRows.size());
    if (std::find(enabledRows.cbegin(), enabledRows.cend(), true) == enabledRows.cend())
        return -1;
    const bool focusedEnabled = current >= 0 && current < count && enabledRows[current];
    int index = focusedEnabled ? current : (step > 0 ? -1 : count);
    do {
        index = ((index + step) % count + count) % count;
    } while (!enabledRows[index]);
    return index;
}

int rightReserve(bool hasSubmenu, int shortcutWidth) {
    if (hasSubmenu)
        return 28;
    if (shortcutWidth > 0)
        return shortcutWidth + 22;
    return 14;
}

RowGeometry rowGeometry(QSizeF rowSize, bool hasSubmenu, int shortcutWidth) {
    const qreal w = rowSize.width();
    const qreal h = rowSize.height();
    const int reserve = rightReserve(hasSubmenu, shortcutWidth);
    RowGeometry geometry;
    geometry.highlight = QRectF(1, 1, w - 2, h - 2);
    geometry.icon = QRectF(10, (h - 15) / 2, 15, 15);
    geometry.title = QRectF(32, (h - 17) / 2, std::max(w - 32 - reserve, qreal(20)), 18);
    geometry.chevron = QRectF(w - 23, (h - 11) / 2, 9, 11);
    geometry.shortcut = QRectF(w - shortcutWidth - 12, (h - 14) / 2, shortcutWidth, 14);
    return geometry;
}

} // namespace NativeMenuLayout
