#include "platform/flash/runtime/display/active_areas.h"

#include <cmath>
#include <functional>

#include "platform/flash/runtime/display/clip_bounds.h"
#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

namespace {

bool actsOnPointer(Player& player, DisplayObject& o) {
    if (o.kind == ObjectKind::Button) {
        return true;
    }
    if (o.kind == ObjectKind::EditText) {
        return player.isInputText(o);
    }
    return o.isClip() && o.parent && player.actionRunner().handlesMouse(o);
}

}  // namespace

std::vector<QRectF> activeAreas(Player& player) {
    std::vector<QRectF> areas;
    std::function<void(DisplayObject&)> walk = [&](DisplayObject& o) {
        if (!o.visible || o.clipDepth > 0) {
            return;
        }
        if (actsOnPointer(player, o)) {
            const auto twips = contentBounds(o, wholeTwipsToStage(o), false);
            if (twips && std::isfinite(twips->width()) && std::isfinite(twips->height())) {
                const QRectF pixels(twips->topLeft() / 20.0, twips->bottomRight() / 20.0);
                areas.push_back(pixels.normalized());
            }
        }
        for (auto& [depth, child] : o.children) {
            walk(*child);
        }
    };
    for (int layer : player.layers()) {
        if (DisplayObject* root = player.root(layer)) {
            walk(*root);
        }
    }
    return areas;
}

}  // namespace pencora::runtime
