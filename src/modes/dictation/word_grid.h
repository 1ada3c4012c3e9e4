// The word list grid: six columns by four rows, filled row by row with the lesson's
// entries, and the pronunciation a cell plays.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

namespace pencora::dictation {

inline constexpr int kGridColumns = 6;
inline constexpr int kGridRows = 4;
inline constexpr int kGridCells = kGridColumns * kGridRows;

// The entry shown in the cell, whether or not the lesson has that many entries.
int entryOfCell(int column, int row);

// The grid's texts, cell by cell row by row: the first 24 entries, then empty cells.
QStringList gridTexts(const QStringList& words);

// The grid's top-left corner that centres it in the panel.
QPoint centredGrid(QSize panel, QSize grid);

// Data\sound\<pinyin>.mp3 for the cell's entry, the pinyin stripped of spaces and control
// characters at both ends; none for a cell past the lesson's end.
std::optional<QString> cellSound(const QStringList& pinyin, int column, int row);

// Spaces and control characters (code points up to 32) removed from both ends.
QString trimmedPinyin(const QString& pinyin);

}  // namespace pencora::dictation
