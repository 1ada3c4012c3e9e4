// Driving widgets from a test as a user would: letting the event loop run for a while, and
// clicking a point of a widget with the mouse.
#pragma once

#include <QPoint>

class QWidget;

namespace pencora::testing {

// Runs the event loop for `ms` milliseconds, so queued events, timers and posted calls happen.
void wait(int ms);

// Moves the mouse to `at` (in `target`'s coordinates), presses and releases the left button.
void click(QWidget* target, QPoint at);

}  // namespace pencora::testing
