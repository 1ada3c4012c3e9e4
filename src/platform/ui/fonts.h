// The window fonts the course was designed with, and the families we fall back on where
// they are not installed (a Kai face for 楷体, a Ming/Song face for 宋体 and 仿宋).
#pragma once

#include <QFont>
#include <QString>

namespace pencora::ui {

// `family` as the design names it ("楷体_GB2312", "宋体", "仿宋_GB2312"), at a pixel height.
QFont designFont(const QString& family, int pixelSize, bool bold = false);

}  // namespace pencora::ui
