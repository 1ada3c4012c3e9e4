#include "modes/tables/shengzi_layout.h"

namespace pencora::tables {

QString unitKey(const QString& book, int item) {
    if (item <= 0) {
        return QStringLiteral("lesson");
    }
    const int group = book == u"1" ? item + 1 : item;
    return QStringLiteral("lesson") + QString::number(group);
}

}  // namespace pencora::tables
