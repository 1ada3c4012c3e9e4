#include "platform/ui/menu_images.h"

#include <QMenu>
#include <QProxyStyle>

namespace pencora::ui {

namespace {

// The platform's style with one metric changed: the size of a menu item's image. A skin's
// style sheet asks it for the metrics the sheet does not set, this one among them.
class MenuImageStyle : public QProxyStyle {
  public:
    explicit MenuImageStyle(int size) : size_(size) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SmallIconSize) {
            return size_;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

  private:
    int size_;
};

}  // namespace

void showMenuImagesAt(QMenu* menu, int size) {
    auto* style = new MenuImageStyle(size);
    style->setParent(menu);  // lives as long as the menu
    menu->setStyle(style);
}

}  // namespace pencora::ui
