#include "modes/dictation/word_cell_delegate.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace pencora::dictation {

namespace {

constexpr int kTextInset = 2;

}  // namespace

void WordCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRect cell = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(cell);

    QLinearGradient gradient(cell.topLeft(), cell.bottomLeft());
    if (selected) {
        const QColor highlight = option.palette.color(QPalette::Highlight);
        gradient.setColorAt(0, highlight.lighter(160));
        gradient.setColorAt(1, highlight);
    } else {
        gradient.setColorAt(0, kGradientStart);
        gradient.setColorAt(1, kCellColour);
    }
    painter->fillRect(cell, gradient);

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        painter->setFont(option.font);
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : kCellText);
        const int width = QFontMetrics(option.font).horizontalAdvance(text);
        // A single character sits in the middle; a longer word starts at the left edge and
        // runs out of the cell, clipped.
        const Qt::Alignment horizontal =
            width <= cell.width() - 2 * kTextInset ? Qt::AlignHCenter : Qt::AlignLeft;
        const QRect room = cell.adjusted(kTextInset, 0, 0, 0);
        painter->drawText(
            QRect(room.left(), room.top(), std::max(room.width(), width), room.height()),
            int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, text);
    }
    painter->restore();
}

}  // namespace pencora::dictation
