// Placing, moving, replacing and removing characters by depth.
#include <variant>

#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/display/shared_library.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/text/text_field.h"
#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/video/video_drawing.h"
#include "platform/flash/runtime/video/video_playback.h"

namespace pencora::runtime {

namespace {

ObjectKind kindOf(const swf::Character& c) {
    if (std::holds_alternative<swf::Shape>(c) || std::holds_alternative<swf::MorphShape>(c)) {
        return ObjectKind::Shape;
    }
    if (std::holds_alternative<swf::Sprite>(c)) {
        return ObjectKind::Clip;
    }
    if (std::holds_alternative<swf::Button>(c)) {
        return ObjectKind::Button;
    }
    if (std::holds_alternative<swf::Text>(c)) {
        return ObjectKind::Text;
    }
    if (std::holds_alternative<swf::EditText>(c)) {
        return ObjectKind::EditText;
    }
    if (std::holds_alternative<swf::JpegBitmap>(c) ||
        std::holds_alternative<swf::LosslessBitmap>(c)) {
        return ObjectKind::Bitmap;
    }
    if (std::holds_alternative<swf::VideoStream>(c)) {
        return ObjectKind::Video;
    }
    return ObjectKind::Other;
}

}  // namespace

const std::shared_ptr<const CharacterDrawing>& preparedDrawing(MovieContext& movie, uint16_t id,
                                                               DrawingFactory& factory) {
    auto it = movie.drawings.find(id);
    if (it == movie.drawings.end()) {
        it = movie.drawings.emplace(id, factory.prepare(movie.movie, id)).first;
    }
    return it->second;
}

std::shared_ptr<DisplayObject> Player::instantiate(DisplayObject& parent, uint16_t characterId,
                                                   int depth, bool byScript) {
    // An imported character is the library's: the object belongs to that movie.
    const ResolvedCharacter found =
        parent.movie ? resolveCharacter(*parent.movie, characterId) : ResolvedCharacter{};
    MovieContext* movie = found.movie;
    const swf::Character* c = found.character;
    // Fonts and sounds show nothing: a placement naming one leaves its depth as it was.
    if (!c || std::holds_alternative<swf::Font>(*c) || std::holds_alternative<swf::Sound>(*c)) {
        return nullptr;
    }
    characterId = found.id;
    // A timeline never places its own sprite inside itself, and nesting stops somewhere: a
    // hostile movie whose sprites place each other would otherwise recurse without end.
    constexpr int kMaxNesting = 64;
    int nesting = 0;
    // A clip a movie was loaded into shows that movie's main timeline, not its character.
    for (const DisplayObject* a = &parent; a; a = a->parent, ++nesting) {
        const bool showsSprite =
            !a->movie || !a->movie->movie || a->timeline != &a->movie->movie->timeline;
        if ((!byScript && a->characterId == characterId && a->movie == movie && a->parent &&
             showsSprite) ||
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
    if (auto* sprite = std::get_if<swf::Sprite>(c)) {
        object->timeline = &sprite->timeline;
        object->totalFrames = int(sprite->timeline.frames.size());
        object->declaredFrames = sprite->frameCount;
    } else if (auto* button = std::get_if<swf::Button>(c)) {
        object->button = button;
    } else if (auto* edit = std::get_if<swf::EditText>(c)) {
        const swf::Font* font =
            edit->fontId ? movie->movie->findAs<swf::Font>(*edit->fontId) : nullptr;
        object->field =
            std::make_shared<TextField>(TextField::fromDefinition(*edit, font, movie->version()));
        if (auto s = movie->movie->textSettings.find(characterId);
            s != movie->movie->textSettings.end()) {
            TextField& f = *object->field;
            f.antiAliasType =
                s->second.advanced ? QStringLiteral("advanced") : QStringLiteral("normal");
            static const char* const kGridFit[] = {"none", "pixel", "subpixel"};
            f.gridFitType = QString::fromLatin1(kGridFit[std::min<int>(s->second.gridFit, 2)]);
            f.thickness = s->second.thickness;
            f.sharpness = s->second.sharpness;
        }
        textFieldChanged(*object);
        return object;
    } else if (auto* stream = std::get_if<swf::VideoStream>(c)) {
        // Each placed video decodes on its own: two instances may show different frames.
        object->video = std::make_shared<VideoPlayback>(movie->movie, *stream);
        object->drawing = makeVideoDrawing(object->video);
        return object;
    }
    if (object->kind == ObjectKind::Shape || object->kind == ObjectKind::Text ||
        object->kind == ObjectKind::Bitmap || object->kind == ObjectKind::EditText) {
        object->drawing = preparedDrawing(*movie, characterId, *drawings_);
    }
    if (auto grid = movie->movie->scalingGrids.find(characterId);
        grid != movie->movie->scalingGrids.end() && (object->timeline || object->button)) {
        const swf::Rect& r = grid->second;
        object->scale9Grid = QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax));
    }
    return object;
}

void Player::applyPlace(DisplayObject& object, const swf::PlaceObject& place) {
    // What a script has taken over stays as the script left it.
    if (place.matrix && !object.scriptTransformed) {
        object.matrix = *place.matrix;
    }
    if (place.colorTransform && !object.scriptTransformed) {
        object.colorTransform = *place.colorTransform;
    }
    if (place.ratio) {
        object.ratio = *place.ratio;
    }
    if (place.name) {
        object.rename(movieText(*place.name, object.movie ? object.movie->version() : 6));
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
    if (place.filters) {
        object.filters = *place.filters;
    }
    if (place.cacheAsBitmap) {
        object.cacheAsBitmap = *place.cacheAsBitmap;
    }
    if (place.backgroundColor) {
        const swf::Rgba& c = *place.backgroundColor;
        object.opaqueBackground = (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
    }
    if (!place.clipActions.empty()) {
        object.clipActions = &place.clipActions;
        object.clipEventMask = place.allClipEvents;
    }
}

DisplayObject* Player::placeObject(DisplayObject& clip, const swf::PlaceObject& place,
                                   const std::vector<swf::ClipAction>* events) {
    const int depth = place.depth;
    DisplayObject* existing = clip.childAt(depth);
    if (place.move && !place.characterId) {
        // Move: change what the tag gives of the object already there. A clip a script has
        // taken over (swapDepths) no longer follows the timeline (movieclip_depth_methods).
        if (existing && existing->fromTimeline) {
            applyPlace(*existing, place);
        }
        return existing;
    }
    if (!place.characterId) {
        return nullptr;
    }
    if (existing && !place.move) {
        // A depth holds one object: placing another there fails, and the player says so in
        // its trace output (placeobject_occupied_depth).
        this->events().trace(
            QStringLiteral("Warning: Failed to place object at depth %1.").arg(depth));
        return nullptr;
    }
    if (existing && existing->characterId == *place.characterId && existing->movie == clip.movie) {
        // Replacing an object by its own character keeps it: only the placement changes.
        applyPlace(*existing, place);
        return existing;
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
    object->shownRatio = object->ratio;
    nameInstance(*object);
    if (events && !events->empty()) {
        object->clipActions = events;
    }
    if (existing) {
        removeObject(clip, depth);
    }
    // Held while the runner is told: its scripts may remove what was just placed.
    const std::shared_ptr<DisplayObject> keep = object;
    DisplayObject& placed = *object;
    clip.children[depth] = std::move(object);
    if (placed.isClip()) {
        enterFrame(placed, 0, true);
        placed.justPlaced = true;
        runner_->placed(*this, placed);
    } else if (placed.kind == ObjectKind::Button) {
        buildButtonChildren(placed);
    } else if (placed.kind == ObjectKind::EditText) {
        runner_->placed(*this, placed);
    }
    return placed.parent == &clip ? &placed : nullptr;
}

void Player::nameInstance(DisplayObject& object) {
    // Clips and buttons placed without a name are called "instance1", "instance2" ... in the
    // order the player makes them; shapes and texts take no number (funky_function_calls).
    if (object.name.isEmpty() && (object.isClip() || object.kind == ObjectKind::Button)) {
        object.name = QStringLiteral("instance%1").arg(++instances_);
    }
}

void Player::detachScripts(DisplayObject& object) {
    // The whole subtree goes: scripts holding any clip of it now hold a removed clip, which
    // they may find again by its path if another clip comes to stand there.
    if (object.script) {
        object.script->removedFromList(targetPath(object, false));
    }
    for (auto& [d, child] : object.children) {
        detachScripts(*child);
    }
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
    std::shared_ptr<DisplayObject> gone = it->second;
    if (!gone->unloading && gone->isClip() && runner_->handlesUnload(*gone)) {
        // A clip with unload handlers leaves its depth for one below every other and stays
        // there, still a clip on the list, until its handlers have run (unload_clip_event).
        // Scripts count depths from -16384, so the depth they see becomes -32769 minus the
        // one they saw: -16385 at most, below anything a script or a timeline may place.
        const int below = -1 - depth;
        clip.children.erase(it);
        if (clip.children.count(below)) {
            removeObject(clip, below);
        }
        gone->depth = below;
        gone->unloading = true;
        clip.children[below] = gone;
        unloading_.push_back(gone);
        return;
    }
    detachScripts(*gone);
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

DisplayObject* Player::placeByScript(DisplayObject& parent, const ScriptPlacement& place) {
    std::shared_ptr<DisplayObject> object;
    if (place.characterId) {
        object = instantiate(parent, place.characterId, place.depth, true);
    } else {
        // An empty clip: one frame with nothing on it, playing from the start.
        object = std::make_shared<DisplayObject>();
        object->kind = ObjectKind::Clip;
        object->depth = place.depth;
        object->parent = &parent;
        object->movie = parent.movie;
        object->serial = nextSerial();
        object->totalFrames = 1;
        object->frame = 0;
    }
    if (!object) {
        return nullptr;
    }
    object->fromTimeline = false;
    object->name = place.name;
    if (const DisplayObject* from = place.copyOf) {
        object->matrix = from->matrix;
        object->colorTransform = from->colorTransform;
        object->ratio = from->ratio;
        object->shownRatio = from->ratio;
        object->visible = from->visible;
        object->blendMode = from->blendMode;
        object->clipActions = from->clipActions;
        object->clipEventMask = from->clipEventMask;
        if (from->graphics) {
            object->graphics = from->graphics->copy(nextSerial());
        }
    }
    if (parent.childAt(place.depth)) {
        removeObject(parent, place.depth);
    }
    const std::shared_ptr<DisplayObject> keep = object;  // scripts below may remove it
    DisplayObject& placed = *object;
    parent.children[place.depth] = std::move(object);
    if (placed.isClip()) {
        if (placed.timeline) {
            enterFrame(placed, 0, true);
        }
        // Scripts run after the tick has advanced every clip, so the new clip takes part in
        // the next tick like any other (create_empty_movie_clip).
        placed.justPlaced = false;
        runner_->placed(*this, placed);
    } else if (placed.kind == ObjectKind::Button) {
        buildButtonChildren(placed);
    }
    return placed.parent == &parent ? &placed : nullptr;
}

void Player::swapDepth(DisplayObject& child, int depth) {
    DisplayObject* parent = child.parent;
    // A clip waiting for its unload handlers is leaving: it neither comes back among the
    // living nor sends one of them down where it waits.
    if (!parent || child.unloading) {
        return;
    }
    if (const DisplayObject* there = parent->childAt(depth); there && there->unloading) {
        return;
    }
    // A clip moved by a script is no longer the timeline's: later frames leave it alone, even
    // when it was "moved" to the depth it had.
    child.fromTimeline = false;
    if (child.depth == depth) {
        return;
    }
    auto self = parent->children.find(child.depth);
    if (self == parent->children.end() || self->second.get() != &child) {
        return;
    }
    std::shared_ptr<DisplayObject> moving = std::move(self->second);
    parent->children.erase(self);
    const int from = moving->depth;
    if (auto other = parent->children.find(depth); other != parent->children.end()) {
        std::shared_ptr<DisplayObject> displaced = std::move(other->second);
        parent->children.erase(other);
        displaced->depth = from;
        displaced->fromTimeline = false;
        parent->children[from] = std::move(displaced);
    }
    moving->depth = depth;
    parent->children[depth] = std::move(moving);
}

}  // namespace pencora::runtime
