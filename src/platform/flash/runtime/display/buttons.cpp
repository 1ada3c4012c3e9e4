// Buttons: the state each shows, hit testing against the hit-state characters, and the
// condition events the mouse causes (roll over/out, press, release, release outside, drag
// over/out) with the sounds that go with them. A button's actions run on the timeline that
// holds the button.
#include <variant>

#include "platform/flash/runtime/display/clip_bounds.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/drawing/scale9_grid.h"

namespace pencora::runtime {

namespace {

uint8_t stateBit(ButtonState s) {
    switch (s) {
        case ButtonState::Up:
            return swf::button_state::Up;
        case ButtonState::Over:
            return swf::button_state::Over;
        case ButtonState::Down:
            return swf::button_state::Down;
    }
    return swf::button_state::Up;
}

}  // namespace

void Player::buildButtonChildren(DisplayObject& button) {
    if (!button.button) {
        return;
    }
    const uint8_t bit = stateBit(button.buttonState);
    std::map<int, std::shared_ptr<DisplayObject>> old;
    button.children.swap(old);
    for (const swf::ButtonRecord& r : button.button->records) {
        if (!(r.states & bit)) {
            continue;
        }
        // A character shown in both states stays the same instance (a clip keeps playing).
        auto it = old.find(r.depth);
        std::shared_ptr<DisplayObject> child;
        if (it != old.end() && it->second->characterId == r.characterId) {
            child = it->second;
        } else {
            child = instantiate(button, r.characterId, r.depth);
            if (!child) {
                continue;
            }
            if (child->isClip()) {
                nameInstance(*child);
                button.children[r.depth] = child;
                enterFrame(*child, 0, true);
                child->justPlaced = true;
            }
        }
        child->matrix = r.matrix;
        // The first button form keeps one colour transform for all its characters, set apart
        // from the button; the second gives each record its own, with filters and a blend.
        child->colorTransform = button.button->version < 2
                                    ? button.button->colorTransform.value_or(swf::ColorTransform{})
                                    : r.colorTransform;
        child->filters = r.filters;
        child->blendMode = r.blendMode;
        child->fromTimeline = false;
        button.children[r.depth] = child;
    }
    for (auto& [d, o] : old) {
        if (button.childAt(d) != o.get()) {
            o->parent = nullptr;
        }
    }
}

void Player::setButtonState(DisplayObject& button, ButtonState state) {
    if (button.kind != ObjectKind::Button || button.buttonState == state) {
        return;
    }
    button.buttonState = state;
    buildButtonChildren(button);
}

namespace {

const char* handlerFor(uint16_t condition) {
    namespace bc = swf::button_condition;
    switch (condition) {
        case bc::IdleToOverUp:
            return "onRollOver";
        case bc::OverUpToIdle:
            return "onRollOut";
        case bc::OverUpToOverDown:
            return "onPress";
        case bc::OverDownToOverUp:
            return "onRelease";
        case bc::OverDownToOutDown:
            return "onDragOut";
        case bc::OutDownToOverDown:
            return "onDragOver";
        case bc::OutDownToIdle:
            return "onReleaseOutside";
        case bc::IdleToOverDown:
            return "onDragOver";
        case bc::OverDownToIdle:
            return "onDragOut";
        default:
            return nullptr;
    }
}

// Which of the button's four sounds a transition plays: roll out, roll over, press, release.
int soundSlotFor(uint16_t condition) {
    namespace bc = swf::button_condition;
    switch (condition) {
        case bc::OverUpToIdle:
            return 0;
        case bc::IdleToOverUp:
            return 1;
        case bc::OverUpToOverDown:
            return 2;
        case bc::OverDownToOverUp:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

void Player::buttonTransition(DisplayObject& button, uint16_t condition) {
    if (!button.parent) {
        return;
    }
    // The sound goes with the new state, whoever moved the button into it (pointer or keys).
    if (const int slot = soundSlotFor(condition); slot >= 0 && button.button && button.movie) {
        const swf::ButtonSound& sound = button.button->sounds[size_t(slot)];
        if (sound.soundId != 0) {
            sounds_.startTag(soundOf(*button.movie, sound.soundId), sound.info,
                             sharedOf(*button.parent), sound.soundId);
        }
    }
    // The button's own actions run before its script handler (onRelease after on(release)).
    if (button.button) {
        // A button inside another button's state acts on the clip holding the outer one.
        DisplayObject* holder = button.parent;
        while (holder->kind == ObjectKind::Button && holder->parent) {
            holder = holder->parent;
        }
        auto owner = sharedOf(*holder);
        bool queued = false;
        for (const swf::ButtonCondAction& a : button.button->actions) {
            if (a.conditions & condition) {
                queue_.push_back({owner, decoded(*button.movie, a.actions)});
                queued = true;
            }
        }
        if (queued) {
            runQueuedActions();
        }
    }
    if (!button.parent) {
        return;
    }
    if (const char* handler = handlerFor(condition)) {
        runner_->mouseEvent(*this, button, QString::fromLatin1(handler));
    }
}

namespace {

// Clips inside clips in a hit state are followed this deep and through this many
// placements at most, however the file nests and repeats them.
constexpr int kHitClipNesting = 16;
constexpr int kHitClipPlacements = 1024;

// Whether a character of a button's hit state covers the stage point. A clip there counts by
// what its first frame places (masks aside), clips inside it likewise.
bool hitsCharacter(MovieContext& movie, uint16_t id, const QTransform& toStage, QPointF twips,
                   DrawingFactory& factory, int nesting, int& placements) {
    if (const CharacterDrawing* drawing = preparedDrawing(movie, id, factory).get()) {
        bool invertible = false;
        const QTransform inv = toStage.inverted(&invertible);
        return invertible && drawing->hits(inv.map(twips), 0, toStage);
    }
    if (!movie.movie || nesting >= kHitClipNesting) {
        return false;
    }
    const auto it = movie.movie->dictionary.find(id);
    const auto* sprite =
        it != movie.movie->dictionary.end() ? std::get_if<swf::Sprite>(&it->second) : nullptr;
    if (!sprite || sprite->timeline.frames.empty()) {
        return false;
    }
    for (const swf::ControlTag& tag : sprite->timeline.frames.front().tags) {
        const auto* place = std::get_if<swf::PlaceObject>(&tag);
        if (!place || !place->characterId || place->clipDepth) {
            continue;
        }
        if (--placements < 0) {
            return false;
        }
        const QTransform childToStage =
            toTransform(place->matrix.value_or(swf::Matrix{})) * toStage;
        if (hitsCharacter(movie, *place->characterId, childToStage, twips, factory, nesting + 1,
                          placements)) {
            return true;
        }
    }
    return false;
}

// A button whose grid is at work has the shapes of its hit state placed region by region, as
// its shown shapes are drawn; clips in the hit state scale plainly.
bool hitsButton(const DisplayObject& button, QPointF twips, DrawingFactory& factory) {
    if (!insideScrollRects(button, twips) || !button.movie) {
        return false;
    }
    const QTransform world = worldTransform(button);
    const std::vector<Scale9Slice> slices = gridSlicesOf(button);
    const std::optional<GridPoint> inGrid =
        slices.empty() ? std::nullopt : gridPointOf(slices, button, world, twips);
    int placements = kHitClipPlacements;
    for (const swf::ButtonRecord& r : button.button->records) {
        if (!(r.states & swf::button_state::HitTest)) {
            continue;
        }
        const bool sliced =
            !slices.empty() && preparedDrawing(*button.movie, r.characterId, factory);
        if (sliced && !inGrid) {
            continue;
        }
        const QTransform toStage = toTransform(r.matrix) * (sliced ? inGrid->toStage : world);
        if (hitsCharacter(*button.movie, r.characterId, toStage, twips, factory, 0, placements)) {
            return true;
        }
    }
    return false;
}

// The timeline mask each child of a container lies under, in depth order (null: none).
std::vector<const DisplayObject*> timelineMasks(const DisplayObject& container) {
    std::vector<const DisplayObject*> out;
    out.reserve(container.children.size());
    const DisplayObject* mask = nullptr;
    for (const auto& [depth, c] : container.children) {
        if (mask && depth > mask->clipDepth) {
            mask = nullptr;
        }
        out.push_back(c->clipDepth > 0 ? nullptr : mask);
        if (c->clipDepth > 0) {
            mask = c.get();
        }
    }
    return out;
}

// A masked object takes the mouse only where its mask lets it show.
bool maskedAway(const DisplayObject& o, const DisplayObject* timelineMask, QPointF twips) {
    return (timelineMask && !maskShows(*timelineMask, twips)) ||
           (o.maskedBy && !maskShows(*o.maskedBy, twips));
}

// Whether a drawing placed on the stage by `toStage` paints at the point (stage twips).
bool drawingHits(const CharacterDrawing* d, uint16_t ratio, const QTransform& toStage,
                 QPointF twips) {
    bool invertible = false;
    const QPointF local = toStage.inverted(&invertible).map(twips);
    return d && invertible && d->hits(local, ratio, toStage);
}

// Whether a point (stage twips) lies on anything the object or its children paint, where
// their masks let them show. A grid at work places the object's drawn graphics and shapes
// region by region.
bool hitsPainted(const DisplayObject& o, QPointF twips, bool evenHidden = false) {
    if ((!o.visible && !evenHidden) || (o.scrollRect && !insideScrollRects(o, twips))) {
        return false;
    }
    const std::vector<Scale9Slice> slices = gridSlicesOf(o);
    const std::optional<GridPoint> inGrid =
        slices.empty() ? std::nullopt : gridPointOf(slices, o, worldTransform(o), twips);
    // What the timeline placed and what scripts drew with the drawing methods both count.
    const QTransform toStage = contentTransform(o);
    if (drawingHits(o.drawing.get(), o.ratio, toStage, twips) ||
        (slices.empty()
             ? drawingHits(drawnGraphics(o), o.ratio, toStage, twips)
             : inGrid && drawingHits(drawnGraphics(o), o.ratio, inGrid->toStage, twips))) {
        return true;
    }
    const std::vector<const DisplayObject*> masks = timelineMasks(o);
    size_t index = 0;
    for (const auto& [d, c] : o.children) {
        const DisplayObject* mask = masks[index++];
        if (c->clipDepth > 0 || maskedAway(*c, mask, twips)) {
            continue;
        }
        if (!slices.empty() && c->kind == ObjectKind::Shape) {
            if (c->visible && inGrid &&
                drawingHits(c->drawing.get(), c->ratio, toTransform(c->matrix) * inGrid->toStage,
                            twips)) {
                return true;
            }
        } else if (hitsPainted(*c, twips)) {
            return true;
        }
    }
    return false;
}

// Where a button-like clip takes the mouse: where the clip its `hitArea` names paints, shown
// or hidden, or without one where the clip itself paints.
bool hitsClipArea(DisplayObject& clip, QPointF twips, ActionRunner& runner) {
    DisplayObject* area = runner.scriptDisplayObject(clip, QStringLiteral("hitArea"));
    if (area && area != &clip) {
        return !maskedAway(*area, nullptr, twips) && hitsPainted(*area, twips, true);
    }
    return hitsPainted(clip, twips);
}

DisplayObject* findButton(const DisplayObject& container, QPointF twips, DrawingFactory& f,
                          ActionRunner& runner) {
    const std::vector<const DisplayObject*> masks = timelineMasks(container);
    size_t index = masks.size();
    for (auto it = container.children.rbegin(); it != container.children.rend(); ++it) {
        DisplayObject& o = *it->second;
        const DisplayObject* mask = masks[--index];
        if (!o.visible || o.clipDepth > 0 || maskedAway(o, mask, twips)) {
            continue;
        }
        // A button or button-like clip a script disabled (enabled = false) lets the mouse by.
        const bool disabled = !runner.scriptFlag(o, QStringLiteral("enabled")).value_or(true);
        if (o.kind == ObjectKind::Button && o.button && !disabled) {
            // A button shown in the state of another lies above its holder's own shapes and
            // takes the mouse where it is hit; the holder keeps the rest of its hit area.
            if (DisplayObject* inner = findButton(o, twips, f, runner)) {
                return inner;
            }
            if (hitsButton(o, twips, f)) {
                return it->second.get();
            }
            continue;
        }
        if (o.isClip()) {
            // A clip with mouse handlers takes the mouse for everything inside it.
            if (!disabled && runner.handlesMouse(o)) {
                if (hitsClipArea(o, twips, runner)) {
                    return &o;
                }
                continue;
            }
            if (DisplayObject* b = findButton(o, twips, f, runner)) {
                return b;
            }
        }
    }
    return nullptr;
}

}  // namespace

DisplayObject* Player::buttonAt(QPointF stage) const {
    const QPointF twips = stage * 20.0;
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        if (DisplayObject* b = findButton(*it->second.root, twips, *drawings_, *runner_)) {
            return b;
        }
    }
    return nullptr;
}

void Player::track(TrackedButton& t, const std::shared_ptr<DisplayObject>& object) const {
    t = {};
    if (!object || !object->parent) {
        return;
    }
    t.object = object;
    t.parent = sharedOf(*object->parent);
    t.depth = object->depth;
    t.characterId = object->characterId;
}

std::shared_ptr<DisplayObject> Player::trackedNow(const TrackedButton& t) const {
    if (auto o = t.object.lock(); o && o->parent) {
        return o;
    }
    auto parent = t.parent.lock();
    if (!parent || t.characterId == 0) {
        return nullptr;
    }
    DisplayObject* now = parent->childAt(t.depth);
    if (!now || now->characterId != t.characterId ||
        (now->kind != ObjectKind::Button && !now->isClip())) {
        return nullptr;
    }
    return sharedOf(*now);
}

std::shared_ptr<DisplayObject> Player::tracked(TrackedButton& t) {
    auto o = trackedNow(t);
    if (!o) {
        t = {};
        return nullptr;
    }
    if (t.object.lock() != o) {
        t.object = o;
        const bool down = mousePressed_ && pressedInside_ && o == trackedNow(pressed_);
        setButtonState(*o, down ? ButtonState::Down : ButtonState::Over);
    }
    return o;
}

void Player::mouseMove(QPointF stage) {
    // A move that stays in place is still heard, but what shows rolled over stays.
    const bool moved = stage != mouse_;
    mouse_ = stage;
    leaveKeyboardMode();
    followDrag();
    dragTextSelection(stage);
    runner_->broadcastInput(*this, QStringLiteral("onMouseMove"), 0);
    if (moved) {
        trackPointer(stage);
    } else {
        runQueuedActions();
    }
}

void Player::trackPointer(QPointF stage) {
    if (stage != mouse_) {
        mouse_ = stage;
        followDrag();
    }
    DisplayObject* over = buttonAt(stage);
    if (!mousePressed_) {
        rollOverOnly(over ? sharedOf(*over) : nullptr);
    } else if (auto pressed = tracked(pressed_)) {
        const bool inside = over == pressed.get();
        if (inside) {
            menuTrack(*pressed, nullptr);  // off another item before onto this one
        }
        if (inside != pressedInside_) {
            pressedInside_ = inside;
            namespace bc = swf::button_condition;
            // A menu item lets go of the mouse as the pointer leaves it, turning idle, and
            // takes it again when the pointer comes back still pressed; a plain button keeps
            // the mouse, shown rolled over while the pointer is outside.
            const bool menu = tracksAsMenu(*pressed);
            setButtonState(*pressed, inside ? ButtonState::Down
                                     : menu ? ButtonState::Up
                                            : ButtonState::Over);
            buttonTransition(*pressed,
                             menu ? (inside ? bc::IdleToOverDown : bc::OverDownToIdle)
                                  : (inside ? bc::OutDownToOverDown : bc::OverDownToOutDown));
        }
        if (!inside) {
            menuTrack(*pressed, over);
        }
    }
    runQueuedActions();
}

bool Player::tracksAsMenu(DisplayObject& object) {
    if (object.button && object.button->trackAsMenu) {
        return true;
    }
    return runner_->scriptFlag(object, QStringLiteral("trackAsMenu")).value_or(false);
}

void Player::menuTrack(DisplayObject& pressed, DisplayObject* over) {
    // Pressed on a menu item, the pointer dragged over another item rolls over it with the
    // mouse still down, and off it again.
    auto current = menuOver_.lock();
    if (over && !tracksAsMenu(pressed)) {
        over = nullptr;
    }
    if (current.get() == over) {
        return;
    }
    if (current && current->parent) {
        setButtonState(*current, ButtonState::Up);
        buttonTransition(*current, swf::button_condition::OverDownToIdle);
    }
    menuOver_.reset();
    if (over) {
        menuOver_ = sharedOf(*over);
        setButtonState(*over, ButtonState::Down);
        buttonTransition(*over, swf::button_condition::IdleToOverDown);
    }
}

void Player::mouseDown(QPointF stage) {
    leaveKeyboardMode();
    trackPointer(stage);
    mousePressed_ = true;
    if (!keyboard_.down[vk::LeftButton]) {
        keyboard_.toggled[vk::LeftButton] = !keyboard_.toggled[vk::LeftButton];
    }
    keyboard_.down[vk::LeftButton] = true;
    runner_->broadcastInput(*this, QStringLiteral("onMouseDown"), 0);
    runQueuedActions();
    if (auto hovered = tracked(hovered_)) {
        track(pressed_, hovered);
        pressedInside_ = true;
        setButtonState(*hovered, ButtonState::Down);
        buttonTransition(*hovered, swf::button_condition::OverUpToOverDown);
    } else {
        pressText(stage);
    }
    runQueuedActions();
}

void Player::mouseUp(QPointF stage) {
    leaveKeyboardMode();
    trackPointer(stage);
    mousePressed_ = false;
    selecting_.reset();
    keyboard_.down[vk::LeftButton] = false;
    runner_->broadcastInput(*this, QStringLiteral("onMouseUp"), 0);
    runQueuedActions();
    auto pressed = tracked(pressed_);
    pressed_ = {};
    if (pressed) {
        if (pressedInside_) {
            setButtonState(*pressed, ButtonState::Over);
            buttonTransition(*pressed, swf::button_condition::OverDownToOverUp);
            track(hovered_, pressed);
        } else {
            // A menu item let go of the mouse when the pointer left: it is idle already.
            if (!tracksAsMenu(*pressed)) {
                setButtonState(*pressed, ButtonState::Up);
                buttonTransition(*pressed, swf::button_condition::OutDownToIdle);
            }
            hovered_ = {};
        }
    }
    // Released over another menu item: that one is clicked.
    if (auto item = menuOver_.lock(); item && item->parent) {
        setButtonState(*item, ButtonState::Over);
        buttonTransition(*item, swf::button_condition::OverDownToOverUp);
        track(hovered_, item);
    }
    menuOver_.reset();
    runQueuedActions();
    trackPointer(stage);  // settle roll-overs on whatever is under the pointer now
}

void Player::mouseLeave() {
    if (!mousePressed_) {
        trackPointer(QPointF(-1e9, -1e9));
    }
}

bool Player::wantsHandCursor() const {
    std::shared_ptr<DisplayObject> under = trackedNow(pressed_);
    if (under && !pressedInside_) {
        return false;
    }
    if (!under) {
        // What the keyboard rolled over does not change the pointer.
        under = trackedNow(hovered_);
        if (!under || buttonAt(mouse_) != under.get()) {
            return false;
        }
    }
    // useHandCursor false (on the object or its prototype) keeps the arrow over it.
    return runner_->scriptFlag(*under, QStringLiteral("useHandCursor")).value_or(true);
}

}  // namespace pencora::runtime
