// The program's icon: the tile with 字 and a pencil that the windows, the taskbar and the
// installed menu entry show, painted by tools/draw_icons at each size it is offered in.
#pragma once

#include <QIcon>

namespace pencora::app {

// The icon with every painted size, so each place picks a drawing made for its size rather
// than a scaled one.
QIcon programIcon();

}  // namespace pencora::app
