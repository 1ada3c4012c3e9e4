// Paints a cell of the word list: a gradient from aqua down to the cell colour (the focused
// cell in the selection colours), grid lines left to the view, and the entry in large type.
// An entry wider than its cell is clipped at the cell's edge from its first character on,
// never shortened to "…", so the start of a long word stays readable.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace pencora::dictation {

inline const QColor kCellColour(180, 180, 218);
inline const QColor kGradientStart(0, 255, 255);  // aqua
inline const QColor kCellText(128, 0, 0);         // maroon

class WordCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace pencora::dictation
