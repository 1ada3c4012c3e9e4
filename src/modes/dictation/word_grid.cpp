#include "modes/dictation/word_grid.h"

#include "modes/dictation/dictation_step.h"

namespace pencora::dictation {

int entryOfCell(int column, int row) {
    return row * kGridColumns + column;
}

QStringList gridTexts(const QStringList& words) {
    QStringList texts;
    for (int k = 0; k < kGridCells; ++k) {
        texts << words.value(k);
    }
    return texts;
}

QPoint centredGrid(QSize panel, QSize grid) {
    return {(panel.width() - grid.width()) / 2, (panel.height() - grid.height()) / 2};
}

std::optional<QString> cellSound(const QStringList& pinyin, int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) {
        return std::nullopt;
    }
    const int k = entryOfCell(column, row);
    if (k >= pinyin.size()) {
        return std::nullopt;
    }
    return entrySound(trimmedPinyin(pinyin[k]));
}

QString trimmedPinyin(const QString& pinyin) {
    qsizetype first = 0;
    qsizetype last = pinyin.size();
    while (first < last && pinyin[first].unicode() <= u' ') {
        ++first;
    }
    while (last > first && pinyin[last - 1].unicode() <= u' ') {
        --last;
    }
    return pinyin.mid(first, last - first);
}

}  // namespace pencora::dictation
