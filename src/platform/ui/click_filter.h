// A click on a widget that has no click signal of its own (a label's OnClick): the left
// button pressed and released over it.
#pragma once

#include <QWidget>
#include <functional>

namespace pencora::ui {

// Calls `handler` after each left click on `widget`. The watcher is a child of `widget` and
// goes with it.
void onClick(QWidget* widget, std::function<void()> handler);

}  // namespace pencora::ui
