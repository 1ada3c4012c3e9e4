// Keys and typed characters: the key state scripts read (Key.isDown, getCode, isToggled), the
// object holding the focus hearing onKeyDown/onKeyUp, the Key listeners and clip events, the
// keyPress conditions of buttons, Tab moving the focus, Enter and Space pressing the focused
// button, and the rest going to the focused input text.
#include "platform/flash/runtime/display/key_characters.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/text/text_field_drawing.h"

namespace pencora::runtime {

namespace {

// The key-press code of a button condition for a key that types nothing: Left 1, Right 2,
// Home 3, End 4, Insert 5, Delete 6, Backspace 8, Enter 13, Up 14, Down 15, Page Up 16,
// Page Down 17, Tab 18, Escape 19; 0 for a key that has none.
int specialKeyPressCode(int code) {
    switch (code) {
        case vk::Left:
            return 1;
        case vk::Right:
            return 2;
        case vk::Home:
            return 3;
        case vk::End:
            return 4;
        case vk::Insert:
            return 5;
        case vk::Delete:
            return 6;
        case vk::Backspace:
            return 8;
        case vk::Enter:
            return 13;
        case vk::Up:
            return 14;
        case vk::Down:
            return 15;
        case vk::PageUp:
            return 16;
        case vk::PageDown:
            return 17;
        case vk::Tab:
            return 18;
        case vk::Escape:
            return 19;
        default:
            return 0;
    }
}

// What the key types with the Shift and Caps Lock the player has seen.
char16_t typedBy(const KeyboardState& keys, int code) {
    return characterOfKey(code, keys.isDown(vk::Shift), keys.isToggled(vk::CapsLock));
}

// Whether the object has on(keyPress) actions for the code: a button's conditions, or a
// clip's on() handlers.
bool answersKeyPress(const DisplayObject& o, int keyPressCode) {
    if (o.kind == ObjectKind::Button && o.button) {
        for (const swf::ButtonCondAction& a : o.button->actions) {
            if (a.keyCode == keyPressCode) {
                return true;
            }
        }
    }
    if (o.isClip() && o.clipActions && (o.clipEventMask & swf::clip_event::KeyPress)) {
        for (const swf::ClipAction& a : *o.clipActions) {
            if ((a.events & swf::clip_event::KeyPress) && a.keyCode == keyPressCode) {
                return true;
            }
        }
    }
    return false;
}

void collectKeyButtons(DisplayObject& o, int keyPressCode, std::vector<DisplayObject*>& out) {
    if (!o.visible) {
        return;  // hidden buttons hear no keys
    }
    if (o.parent && answersKeyPress(o, keyPressCode)) {
        out.push_back(&o);
    }
    for (auto& [d, c] : o.children) {
        collectKeyButtons(*c, keyPressCode, out);
    }
}

}  // namespace

bool Player::runKeyPress(int keyPressCode) {
    if (keyPressCode <= 0 || keyPressCode > 255) {
        return false;
    }
    std::vector<DisplayObject*> buttons;
    for (auto& [n, l] : layers_) {
        collectKeyButtons(*l.root, keyPressCode, buttons);
    }
    // The first button that answers the key takes it; the others do not hear it. A button's
    // actions run on the timeline holding it, a clip's on the clip.
    for (DisplayObject* b : buttons) {
        if (!b->parent || !b->movie) {
            continue;
        }
        if (b->kind == ObjectKind::Button) {
            auto owner = sharedOf(*b->parent);
            for (const swf::ButtonCondAction& a : b->button->actions) {
                if (a.keyCode == keyPressCode) {
                    queue_.push_back({owner, decoded(*b->movie, a.actions)});
                }
            }
        } else {
            // The clip's on() handlers come from the movie that placed it.
            MovieContext& movie = b->parent->movie ? *b->parent->movie : *b->movie;
            for (const swf::ClipAction& a : *b->clipActions) {
                if ((a.events & swf::clip_event::KeyPress) && a.keyCode == keyPressCode) {
                    queue_.push_back({sharedOf(*b), decoded(movie, a.actions)});
                }
            }
        }
        runQueuedActions();
        return true;
    }
    return false;
}

void Player::pressByKeyboard(DisplayObject& object, bool down) {
    if (object.kind == ObjectKind::Button) {
        if (down) {
            setButtonState(object, ButtonState::Down);
            buttonTransition(object, swf::button_condition::OverUpToOverDown);
        } else {
            setButtonState(object, ButtonState::Over);
            buttonTransition(object, swf::button_condition::OverDownToOverUp);
        }
    } else {
        runner_->mouseEvent(*this, object,
                            down ? QStringLiteral("onPress") : QStringLiteral("onRelease"));
    }
    runQueuedActions();
}

void Player::keyDown(int code, char16_t character) {
    runFocusRolls();
    if (code > 0 && code < 256) {
        // Held keys repeat their key-down; only a fresh press flips the toggle.
        if (!keyboard_.down[size_t(code)]) {
            keyboard_.toggled[size_t(code)] = !keyboard_.toggled[size_t(code)];
        }
        keyboard_.down[size_t(code)] = true;
    }
    keyboard_.lastCode = code;
    // The character comes as text after the key; until then it is what the key types.
    keyboard_.lastChar = character ? character : typedBy(keyboard_, code);
    keyboard_.spaceTaken = false;

    auto focused = focus_.object.lock();
    if (focused && focused->parent && focused->kind != ObjectKind::EditText &&
        focus_.keyboardMode) {
        runner_->mouseEvent(*this, *focused, QStringLiteral("onKeyDown"));
    }
    runner_->broadcastInput(*this, QStringLiteral("onKeyDown"), 0);
    runQueuedActions();

    // Keys that type nothing reach the buttons' keyPress conditions here; typed characters
    // do when they arrive (textInput).
    if (runKeyPress(specialKeyPressCode(code))) {
        return;
    }
    focused = focus_.object.lock();
    if (focused && !focused->parent) {
        focused.reset();
    }
    if (code == vk::Space && runKeyPress(' ')) {
        // A button took Space itself: the character it types next is spent.
        keyboard_.spaceTaken = true;
        return;
    }
    if (code == vk::Tab) {
        tabFocus(keyboard_.isDown(vk::Shift));
        return;
    }
    if (!focused) {
        return;
    }
    if (focused->kind == ObjectKind::EditText) {
        return;  // what the key does to the text comes as an editing command
    }
    // Enter and Space press what the yellow rectangle marks; without the rectangle
    // (_focusrect off) they do nothing.
    if ((code == vk::Enter || code == vk::Space) && focus_.keyboardMode &&
        showsFocusRect(*focused)) {
        pressByKeyboard(*focused, true);
        if (focused->parent) {
            pressByKeyboard(*focused, false);
        }
    }
}

void Player::keyUp(int code) {
    // Roll-overs left by focus moves that scripts made reach the buttons before the key does.
    runFocusRolls();
    if (code > 0 && code < 256) {
        keyboard_.down[size_t(code)] = false;
    }
    keyboard_.lastCode = code;
    keyboard_.lastChar = typedBy(keyboard_, code);
    auto focused = focus_.object.lock();
    if (focused && focused->parent && focused->kind != ObjectKind::EditText &&
        focus_.keyboardMode) {
        runner_->mouseEvent(*this, *focused, QStringLiteral("onKeyUp"));
    }
    runner_->broadcastInput(*this, QStringLiteral("onKeyUp"), 0);
    runQueuedActions();
}

void Player::textInput(char16_t character) {
    // Control characters (Tab, Enter, Escape, Backspace) did their work as keys.
    if (character < 32 || character == 127) {
        return;
    }
    keyboard_.lastChar = character;
    if (character == u' ' && keyboard_.spaceTaken) {
        keyboard_.spaceTaken = false;
        return;
    }
    if (character < 256 && runKeyPress(character)) {
        return;  // a button took the key: the focused text does not see it
    }
    auto focused = focus_.object.lock();
    if (focused && focused->parent && focused->kind == ObjectKind::EditText && textInput_ &&
        textInput_->isInput(*focused)) {
        textInput_->character(*focused, character);
    }
}

void Player::composition(const QString& preedit) {
    auto focused = focus_.object.lock();
    if (focused && focused->parent && focused->kind == ObjectKind::EditText && textInput_ &&
        textInput_->isInput(*focused)) {
        textInput_->composing(*focused, preedit);
    }
}

void Player::textEdit(TextEdit edit, bool extend) {
    auto focused = focus_.object.lock();
    if (focused && focused->parent && focused->kind == ObjectKind::EditText && textInput_) {
        textInput_->edit(*focused, edit, extend);
        runQueuedActions();
    }
}

void Player::mouseWheel(int delta) {
    // The wheel scrolls the text field under the pointer.
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        if (DisplayObject* field = textFieldAt(*it->second.root, mouse_ * 20.0)) {
            wheelScroll(*field, delta);
            break;
        }
    }
    runner_->broadcastInput(*this, QStringLiteral("onMouseWheel"), delta);
    runQueuedActions();
}

}  // namespace pencora::runtime
