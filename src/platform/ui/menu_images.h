// Menus whose items carry images larger than the platform's small icons (the book menu's
// 28 × 28 books, the settings menu's 30 × 30 palette): drawn at their own size, not shrunk
// to 16 pixels, in the platform's look and under every skin.
#pragma once

class QMenu;

namespace pencora::ui {

// Item images of `menu` are drawn `size` pixels square.
void showMenuImagesAt(QMenu* menu, int size);

}  // namespace pencora::ui
