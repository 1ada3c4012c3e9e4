// What the player remembers of the keyboard, the focus and a drag between two input events.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pencora::runtime {

struct DisplayObject;

// Windows virtual-key codes the player gives a meaning of its own.
namespace vk {
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Alt = 18;
inline constexpr int CapsLock = 20;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
}  // namespace vk

struct KeyboardState {
    std::array<bool, 256> down{};
    // Flips with every press of the key (Caps Lock's light, but kept for every key).
    std::array<bool, 256> toggled{};
    int lastCode = 0;         // Key.getCode()
    char16_t lastChar = 0;    // Key.getAscii()
    bool spaceTaken = false;  // a button's keyPress took Space on its key-down
    bool isDown(int code) const { return code >= 0 && code < 256 && down[size_t(code)]; }
    bool isToggled(int code) const { return code >= 0 && code < 256 && toggled[size_t(code)]; }
};

struct FocusState {
    std::weak_ptr<DisplayObject> object;
    // The keyboard is in charge (no mouse event since the last Tab, or none yet): the focus
    // shows its rectangle, the focused button hears keys, and moving the focus rolls over.
    bool keyboardMode = true;
    // Whether the yellow rectangle shows: _focusrect as it was when the object took the focus.
    bool rectShown = true;
    // Roll-overs that focus moves made by scripts owe, run once the scripts are done: each
    // rolls out what shows rolled over and rolls over the new holder (none for a null one).
    std::vector<std::weak_ptr<DisplayObject>> pendingRolls;
};

// A button the mouse tracks (shown rolled over, or pressed). When the timeline replaces it
// by the same character at the same depth (a loop re-placing it), the new one is the same
// button to the mouse and carries on in its state.
struct TrackedButton {
    std::weak_ptr<DisplayObject> object;
    std::weak_ptr<DisplayObject> parent;
    int depth = 0;
    uint16_t characterId = 0;
};

struct DragState {
    std::weak_ptr<DisplayObject> clip;
    bool lockCenter = false;
    // Pointer minus the clip's position, in the parent's pixels, when the drag began.
    QPointF offset;
    std::optional<QRectF> bounds;  // in the parent's pixels, normalised
    // What the last drag ended over, and the clip that made it (_droptarget keeps it).
    std::weak_ptr<DisplayObject> lastDragged;
    std::weak_ptr<DisplayObject> lastDrop;
};

// Editing a focused text field: caret movements (each may extend the selection instead),
// deleting, a new line, and the clipboard.
enum class TextEdit {
    Left,
    Right,
    WordLeft,
    WordRight,
    LineStart,
    LineEnd,
    TextStart,
    TextEnd,
    SelectAll,
    Backspace,
    Delete,
    Enter,
    Copy,
    Cut,
    Paste,
};

// The text side of keyboard input: the runtime routes typed characters and editing commands
// to the input text field holding the focus through this, and tells it when it gains or
// loses the focus.
class TextInputHandler {
  public:
    virtual ~TextInputHandler() = default;
    // Whether the field takes typing (an input field, not a dynamic one).
    virtual bool isInput(const DisplayObject& field) = 0;
    virtual void focusChanged(DisplayObject& field, bool gained) = 0;
    // `extend` (Shift) moves the selection's far end instead of the caret.
    virtual void edit(DisplayObject& field, TextEdit edit, bool extend) = 0;
    virtual void character(DisplayObject& field, char16_t character) = 0;
    // What an input method is composing now (empty: nothing any more).
    virtual void composing(DisplayObject& field, const QString& preedit) = 0;
    // The field goes away: what was being composed goes with it, uncommitted.
    virtual void dropComposition(DisplayObject& field) = 0;
};

}  // namespace pencora::runtime
