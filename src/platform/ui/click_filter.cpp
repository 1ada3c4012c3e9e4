#include "platform/ui/click_filter.h"

#include <QEvent>
#include <QMouseEvent>

namespace pencora::ui {

namespace {

class ClickWatcher : public QObject {
  public:
    ClickWatcher(QWidget* widget, std::function<void()> handler)
        : QObject(widget), handler_(std::move(handler)) {
        widget->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease && pressed_) {
            pressed_ = false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            // Released outside the widget: the click was taken back.
            if (mouse->button() == Qt::LeftButton &&
                widget->rect().contains(mouse->position().toPoint())) {
                handler_();
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
    bool pressed_ = false;
};

}  // namespace

void onClick(QWidget* widget, std::function<void()> handler) {
    new ClickWatcher(widget, std::move(handler));
}

}  // namespace pencora::ui
