// The arithmetic of the character table: which entries a unit lists and how large the cells
// and the unit list are for a given window. All divisions truncate.
#pragma once

#include <QString>

namespace pencora::tables {

inline constexpr int kColumns = 10;
inline constexpr int kMinimumWindowWidth = 768;
inline constexpr int kUnitListDesignWidth = 190;

// The element-name key of unit `item` of `book` ("1".."12"): item 0 the whole book
// ("lesson"), item k a group. Book 1's groups are numbered from 2 in its character file.
QString unitKey(const QString& book, int item);

// The unit list widens by a fifth of what the window gains over its minimum width.
constexpr int unitListWidth(int windowWidth) {
    return (windowWidth - kMinimumWindowWidth) / 5 + kUnitListDesignWidth;
}

// Square cells, ten to a row, leaving room for the vertical scroll bar.
constexpr int cellSize(int gridWidth) {
    return (gridWidth - 40) / kColumns;
}

// Rows for n entries; the grid always keeps one.
constexpr int rowCount(qsizetype n) {
    return n <= 0 ? 1 : static_cast<int>((n + kColumns - 1) / kColumns);
}

// The characters' point size: half the cell when a book is shown, 14/25 of it after a
// resize. The two differ; each holds until the next show or resize.
constexpr int fontPointsOnShow(int cell) {
    return cell / 2;
}
constexpr int fontPointsOnResize(int cell) {
    return cell * 14 / 25;
}

}  // namespace pencora::tables
