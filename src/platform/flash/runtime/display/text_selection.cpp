#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/text/text_field_pointer.h"

namespace pencora::runtime {

void Player::pressText(QPointF stage) {
    DisplayObject* field = nullptr;
    for (auto it = layers_.rbegin(); it != layers_.rend() && !field; ++it) {
        field = selectableFieldAt(*it->second.root, stage * 20.0);
    }
    if (!field) {
        return;
    }
    auto kept = sharedOf(*field);
    setFocus(field);
    // The focus handlers may have removed it or moved the focus elsewhere.
    if (!kept || !kept->parent || focus() != kept.get()) {
        return;
    }
    textFieldPressed(*kept, stage * 20.0);
    selecting_ = kept;
}

void Player::dragTextSelection(QPointF stage) {
    if (!mousePressed_) {
        return;
    }
    if (auto field = selecting_.lock(); field && field->parent && focus() == field.get()) {
        textFieldDragged(*field, stage * 20.0);
    }
}

}  // namespace pencora::runtime
