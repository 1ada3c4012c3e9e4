// Placing, moving, replacing and removing characters by depth.
#include <variant>

#include "platform/flash/runtime/player.h"

namespace pencora::runtime {

namespace {

ObjectKind kindOf(const swf::Character& c) {
    if (std::holds_alternative<swf::Shape>(c) || std::holds_alternative<swf::MorphShape>(c)) {
        return ObjectKind::Shape;
    }
    if (std::holds_alternative<swf::Sprite>(c))
        return ObjectKind::Clip;
    if (std::holds_alternative<swf::Button>(c))
        return ObjectKind::Button;
    if (std::holds_alternative<swf::Text>(c))
        return ObjectKind::Text;
    if (std::holds_alternative<swf::EditText>(c))
        return ObjectKind::EditText;
    if (std::holds_alternative<swf::JpegBitmap>(c) ||
        std::holds_alternative<swf::LosslessBitmap>(c)) {
        return ObjectKind::Bitmap;
    }
    return ObjectKind::Other;
}

}  // namespace

std::shared_ptr<DisplayObject> Player::instantiate(DisplayObject& parent, uint16_t characterId,
                                                   int depth) {
    MovieContext* movie = parent.movie;
    const swf::Character* c = movie && movie->movie ? movie->movie->find(characterId) : nullptr;
    if (!c) {
        return nullptr;
    }
    // A sprite never holds itself, and nesting stops somewhere: a hostile movie whose sprites
    // place each other would otherwise recurse without end.
    constexpr int kMaxNesting = 64;
    int nesting = 0;
    for (const DisplayObject* a = &parent; a; a = a->parent, ++nesting) {
        if ((a->characterId == characterId && a->movie == movie && a->parent) ||
            nesting >= kMaxNesting) {
            return nullptr;
        }
    }
    auto object = std::make_shared<DisplayObject>();
    object->kind = kindOf(*c);
    object->characterId = characterId;
    object->depth = depth;
    object->parent = &parent;
    object->movie = movie;
    object->serial = nextSerial();
    // Every instance gets a name of its own until its tag or a script names it.
    object->name = QStringLiteral("instance%1").arg(++instanceCount_);
    if (auto* sprite = std::get_if<swf::Sprite>(c)) {
        object->timeline = &sprite->timeline;
        object->totalFrames = int(sprite->timeline.frames.size());
    } else if (auto* button = std::get_if<swf::Button>(c)) {
        object->button = button;
    } else if (auto* edit = std::get_if<swf::EditText>(c)) {
        if (edit->initialText) {
            object->text = movieText(*edit->initialText, movie->version());
        }
    }
    if (object->kind == ObjectKind::Shape || object->kind == ObjectKind::Text ||
        object->kind == ObjectKind::Bitmap || object->kind == ObjectKind::EditText) {
        auto it = movie->drawings.find(characterId);
        if (it == movie->drawings.end()) {
            it = movie->drawings.emplace(characterId, drawings_->prepare(movie->movie, characterId))
                     .first;
        }
        object->drawing = it->second;
    }
    return object;
}

void Player::applyPlace(DisplayObject& object, const swf::PlaceObject& place) {
    if (place.matrix) {
        object.matrix = *place.matrix;
    }
    if (place.colorTransform) {
        object.colorTransform = *place.colorTransform;
    }
    if (place.ratio) {
        object.ratio = *place.ratio;
    }
    if (place.name) {
        object.name = movieText(*place.name, object.movie ? object.movie->version() : 6);
    }
    if (place.clipDepth) {
        object.clipDepth = *place.clipDepth;
    }
    if (place.visible) {
        object.visible = *place.visible;
    }
    if (place.blendMode) {
        object.blendMode = *place.blendMode;
    }
    if (!place.clipActions.empty()) {
        object.clipActions = &place.clipActions;
    }
}

DisplayObject* Player::placeObject(DisplayObject& clip, const swf::PlaceObject& place,
                                   const std::vector<swf::ClipAction>* events) {
    const int depth = place.depth;
    DisplayObject* existing = clip.childAt(depth);
    if (place.move && !place.characterId) {
        // Move: change what the tag gives of the object already there.
        if (existing) {
            applyPlace(*existing, place);
        }
        return existing;
    }
    if (!place.characterId) {
        return nullptr;
    }
    auto object = instantiate(clip, *place.characterId, depth);
    if (!object) {
        return existing;
    }
    if (place.move && existing) {
        // Replace: the new character takes over the old one's place on the list, matrix,
        // colour, ratio, name and mask depth, except where the tag gives new ones.
        object->matrix = existing->matrix;
        object->colorTransform = existing->colorTransform;
        object->ratio = existing->ratio;
        object->name = existing->name;
        object->clipDepth = existing->clipDepth;
    }
    applyPlace(*object, place);
    if (events && !events->empty()) {
        object->clipActions = events;
    }
    if (existing) {
        removeObject(clip, depth);
    }
    DisplayObject& placed = *object;
    clip.children[depth] = std::move(object);
    if (placed.isClip()) {
        enterFrame(placed, 0, true);
        placed.justPlaced = true;
        runner_->placed(*this, placed);
    } else if (placed.kind == ObjectKind::Button) {
        buildButtonChildren(placed);
    }
    return &placed;
}

void Player::removeObject(DisplayObject& clip, int depth) {
    auto it = clip.children.find(depth);
    if (it == clip.children.end()) {
        return;
    }
    objectGone(*it->second);  // focus and drag let go while its path still reads
    it = clip.children.find(depth);
    if (it == clip.children.end()) {
        return;
    }
    std::shared_ptr<DisplayObject> gone = std::move(it->second);
    clip.children.erase(it);
    gone->parent = nullptr;
    gone->script.reset();  // scripts holding the clip now hold a plain object
}

std::shared_ptr<DisplayObject> Player::sharedOf(DisplayObject& object) const {
    if (object.parent) {
        auto it = object.parent->children.find(object.depth);
        if (it != object.parent->children.end() && it->second.get() == &object) {
            return it->second;
        }
        return nullptr;
    }
    for (const auto& [n, layer] : layers_) {
        if (layer.root.get() == &object) {
            return layer.root;
        }
    }
    return nullptr;
}

}  // namespace pencora::runtime
