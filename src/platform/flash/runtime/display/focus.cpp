// The keyboard focus: which object holds it, what may take it, the order Tab visits, and what
// the scripts hear when it moves (onKillFocus, onSetFocus, Selection listeners; a button or
// button-like clip reached by Tab also rolls over as if the mouse were on it).
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/flash/avm1/conversions.h"
#include "platform/flash/runtime/display/focus_highlight.h"
#include "platform/flash/runtime/text/text_field_drawing.h"

namespace pencora::runtime {

namespace {

bool isButtonLike(ActionRunner& runner, DisplayObject& o) {
    return o.kind == ObjectKind::Button || (o.isClip() && runner.handlesMouse(o));
}

// A tabIndex is kept as a signed 32-bit index: a number beyond that range wraps around
// (4294967293 orders as -3) and negative indices order before zero. What is not a finite
// number leaves the object out of a custom order.
std::optional<int32_t> validTabIndex(std::optional<double> v) {
    if (!v || !std::isfinite(*v)) {
        return std::nullopt;
    }
    return avm1::doubleToInt32(*v);
}

// A stage coordinate in whole twips; NaN and infinities (an object scaled to nothing) sort last.
int64_t twips(double pixels) {
    const double t = std::round(pixels * 20.0);
    if (!std::isfinite(t) || std::abs(t) > 1e15) {
        return std::numeric_limits<int64_t>::max();
    }
    return int64_t(t);
}

}  // namespace

bool Player::isInputText(DisplayObject& o) {
    if (o.kind != ObjectKind::EditText) {
        return false;
    }
    if (textInput_) {
        return textInput_->isInput(o);
    }
    // Without a text model, what a script made of it, else what the field was defined as.
    if (auto type = runner_->scriptText(o, QStringLiteral("type"))) {
        return *type == u"input";
    }
    const auto* e =
        o.movie && o.movie->movie ? o.movie->movie->findAs<swf::EditText>(o.characterId) : nullptr;
    return e && !e->readOnly;
}

bool Player::focusable(DisplayObject& o) {
    const std::optional<bool> tabEnabled = runner_->scriptFlag(o, QStringLiteral("tabEnabled"));
    switch (o.kind) {
        case ObjectKind::Button:
            return tabEnabled.value_or(true) &&
                   runner_->scriptFlag(o, QStringLiteral("enabled")).value_or(false);
        case ObjectKind::EditText:
            return tabEnabled.value_or(true) && isInputText(o);
        case ObjectKind::Clip:
            if (tabEnabled) {
                return *tabEnabled;
            }
            return runner_->handlesMouse(o) &&
                   runner_->scriptFlag(o, QStringLiteral("enabled")).value_or(false);
        default:
            return false;
    }
}

bool Player::takesScriptFocus(DisplayObject& o) {
    switch (o.kind) {
        case ObjectKind::Button:
            return true;
        case ObjectKind::EditText:
            // A field that cannot be selected cannot hold the caret either.
            return !o.field || o.field->selectable;
        case ObjectKind::Clip:
            return runner_->handlesMouse(o) ||
                   runner_->scriptFlag(o, QStringLiteral("focusEnabled")).value_or(false) ||
                   focusable(o);
        default:
            return false;
    }
}

std::vector<DisplayObject*> Player::tabOrder() {
    std::vector<DisplayObject*> found;
    // A clip given a tab index joins a custom order even without handlers, unless a script
    // said it is not tab-enabled.
    std::vector<DisplayObject*> indexedClips;
    std::function<void(DisplayObject&)> walk = [&](DisplayObject& o) {
        if (!o.visible) {
            return;
        }
        if (o.parent && focusable(o)) {
            found.push_back(&o);
        } else if (o.parent && o.isClip() &&
                   runner_->scriptFlag(o, QStringLiteral("tabEnabled")).value_or(true)) {
            indexedClips.push_back(&o);
        }
        if (!o.isClip() || !runner_->scriptFlag(o, QStringLiteral("tabChildren")).value_or(true)) {
            return;
        }
        for (auto& [d, c] : o.children) {
            walk(*c);
        }
    };
    for (auto& [n, l] : layers_) {
        walk(*l.root);
    }

    std::vector<std::pair<int32_t, DisplayObject*>> custom;
    for (const auto* list : {&found, &indexedClips}) {
        for (DisplayObject* o : *list) {
            if (auto index = validTabIndex(runner_->scriptNumber(*o, QStringLiteral("tabIndex")))) {
                custom.emplace_back(*index, o);
            }
        }
    }
    if (!custom.empty()) {
        std::stable_sort(custom.begin(), custom.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<DisplayObject*> out;
        for (auto& [i, o] : custom) {
            out.push_back(o);
        }
        return out;
    }

    // Without tab indices: reading order of the top-left corners, row by row. Corners are
    // compared in whole twips, as the display keeps them, so that scaled objects drawn at one
    // place count as one place.
    std::vector<std::pair<std::pair<int64_t, int64_t>, DisplayObject*>> placed;
    for (DisplayObject* o : found) {
        const QPointF corner = stageBounds(*o).topLeft();
        placed.emplace_back(std::pair{twips(corner.y()), twips(corner.x())}, o);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    // Tab goes to the next place strictly after the current one, so of several objects at
    // one place only the first met (lowest depth, parent before child) is ever reached.
    std::vector<DisplayObject*> out;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (i == 0 || placed[i].first != placed[i - 1].first) {
            out.push_back(placed[i].second);
        }
    }
    return out;
}

void Player::setTimelineTabIndex(DisplayObject& clip, int depth, int index) {
    // Only what can take the focus keeps one (an empty depth or a shape takes nothing); the
    // index is the object's tabIndex, as if a script had set it.
    DisplayObject* o = clip.childAt(depth);
    if (o && (o->isClip() || o->kind == ObjectKind::Button || o->kind == ObjectKind::EditText)) {
        runner_->setScriptNumber(*o, QStringLiteral("tabIndex"), double(index));
    }
}

void Player::tabFocus(bool backward) {
    const std::vector<DisplayObject*> order = tabOrder();
    if (order.empty()) {
        return;
    }
    DisplayObject* current = focus();
    auto it = std::find(order.begin(), order.end(), current);
    size_t next = 0;
    if (it == order.end()) {
        next = backward ? order.size() - 1 : 0;
    } else {
        const size_t i = size_t(it - order.begin());
        next = backward ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
    }
    setFocus(order[next], true);
}

void Player::setFocus(DisplayObject* object, bool byTab, bool showHighlight) {
    if (byTab || showHighlight) {
        focus_.keyboardMode = true;
    }
    auto old = focus_.object.lock();
    if (old && !old->parent && !sharedOf(*old)) {
        old.reset();
    }
    std::shared_ptr<DisplayObject> now = object ? sharedOf(*object) : nullptr;
    // Every move the keyboard is in charge of rolls, even onto the object that already holds
    // the focus.
    if (focus_.keyboardMode) {
        focus_.pendingRolls.emplace_back(now);
        if (byTab) {
            runFocusRolls();
        }
    }
    if (old.get() == object) {
        // Tabbing round to the field that has the focus selects its text again.
        if (byTab && object && object->field) {
            textFieldFocusChanged(*object, true);
        }
        return;
    }
    focus_.object = now;
    focus_.rectShown = now && showsFocusRect(*now);
    if (old && old->field) {
        textFieldFocusChanged(*old, false);
    }
    if (now && now->field) {
        textFieldFocusChanged(*now, true);
    }
    if (textInput_) {
        if (old && old->kind == ObjectKind::EditText) {
            textInput_->focusChanged(*old, false);
        }
        if (now && now->kind == ObjectKind::EditText) {
            textInput_->focusChanged(*now, true);
        }
    }
    runner_->focusChanged(*this, old.get(), now.get());
    runQueuedActions();
}

std::optional<QRectF> Player::caretRect() const {
    auto f = focus_.object.lock();
    if (!f || !f->parent || f->kind != ObjectKind::EditText) {
        return std::nullopt;
    }
    const std::optional<QRectF> box = textFieldCaret(*f);
    if (!box) {
        return std::nullopt;
    }
    return worldTransform(*f).mapRect(*box);
}

void Player::runFocusRolls() {
    while (!focus_.pendingRolls.empty()) {
        std::vector<std::weak_ptr<DisplayObject>> rolls;
        rolls.swap(focus_.pendingRolls);
        for (auto& weak : rolls) {
            auto target = weak.lock();
            if (target && (!target->parent || !isButtonLike(*runner_, *target))) {
                target.reset();
            }
            // The focus rolls over even what already shows rolled over: out, then over again.
            rollOverOnly(target, true);
        }
        runQueuedActions();
    }
}

void Player::rollOverOnly(const std::shared_ptr<DisplayObject>& target, bool again) {
    // One object at a time shows rolled over, whether the pointer or the focus put it there.
    auto shown = tracked(hovered_);
    if (shown == target && (!again || !target)) {
        return;
    }
    hovered_ = {};
    if (shown) {
        setButtonState(*shown, ButtonState::Up);
        buttonTransition(*shown, swf::button_condition::OverUpToIdle);
    }
    if (target && target->parent) {
        track(hovered_, target);
        setButtonState(*target, ButtonState::Over);
        buttonTransition(*target, swf::button_condition::IdleToOverUp);
    }
}

void Player::leaveKeyboardMode() {
    // The pointer takes over from the keyboard: the focus stays but its highlight goes and
    // keys stop reaching the focused button; what shows rolled over then follows the pointer.
    if (!focus_.keyboardMode) {
        return;
    }
    focus_.keyboardMode = false;
    runFocusRolls();
}

bool Player::focusHighlighted() const {
    auto f = focus_.object.lock();
    return f && f->parent && focus_.keyboardMode;
}

void Player::objectGone(DisplayObject& object) {
    auto inside = [&](const std::shared_ptr<DisplayObject>& o) {
        for (const DisplayObject* p = o.get(); p; p = p->parent) {
            if (p == &object) {
                return true;
            }
        }
        return false;
    };
    if (auto d = drag_.clip.lock(); d && inside(d)) {
        drag_.clip.reset();
    }
    if (auto f = focus_.object.lock(); f && inside(f)) {
        auto kept = f;  // alive while the scripts hear of it
        focus_ = {};
        if (f->field) {
            textFieldFocusChanged(*f, false);
        }
        if (textInput_ && f->kind == ObjectKind::EditText) {
            textInput_->dropComposition(*f);
            textInput_->focusChanged(*f, false);
        }
        runner_->focusChanged(*this, f.get(), nullptr);
    }
}

}  // namespace pencora::runtime
