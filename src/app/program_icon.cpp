#include "app/program_icon.h"

#include <QString>

namespace pencora::app {

namespace {

// The sizes tools/draw_icons paints; packaging/CMakeLists.txt installs the same files into
// the hicolor theme.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : kSizes) {
        icon.addFile(QStringLiteral(":/images/icon/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace pencora::app
