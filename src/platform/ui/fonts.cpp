#include "platform/ui/fonts.h"

#include <QStringList>

namespace pencora::ui {

namespace {

QStringList fallbacks(const QString& family) {
    if (family.startsWith(u"楷体")) {
        return {family, QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};
    }
    if (family.startsWith(u"仿宋")) {
        return {family, QStringLiteral("FangSong"), QStringLiteral("AR PL UKai CN"),
                QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};
    }
    if (family.startsWith(u"宋体")) {
        return {family, QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
                QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Zen Hei")};
    }
    return {family, QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}

}  // namespace

QFont designFont(const QString& family, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(fallbacks(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace pencora::ui
