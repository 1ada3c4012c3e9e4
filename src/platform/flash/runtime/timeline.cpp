// Root and sprite timelines: loading a layer, the tick, and gotos.
//
// A goto never runs the actions of the frames it skips. Forward, the display-list tags of the
// skipped frames are folded into one set of placements per depth and applied once, so a clip
// placed and removed in between never exists. Backward, the list is rebuilt from the first
// frame the same way; an object that is at the same depth with the same character before and
// after keeps its identity (and its state, a clip its playhead) and only takes the placement of
// the target frame. Objects placed by scripts stay where they are.
#include <QtGlobal>

#include <variant>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/runtime/frame_actions.h"
#include "platform/flash/runtime/player.h"

namespace pencora::runtime {

Player::Player(std::unique_ptr<DrawingFactory> drawings)
    : drawings_(std::move(drawings)), runner_(std::make_unique<FrameActions>()) {}

Player::~Player() = default;

void Player::setActionRunner(std::unique_ptr<ActionRunner> runner) {
    runner_ = runner ? std::move(runner) : std::make_unique<FrameActions>();
}

void Player::load(int layer, std::shared_ptr<const swf::Movie> movie, const QString& url) {
    unload(layer);
    if (!movie) {
        return;
    }
    Layer l;
    l.context = std::make_unique<MovieContext>();
    l.context->movie = std::move(movie);
    l.context->layer = layer;
    l.context->url = url;
    l.root = std::make_shared<DisplayObject>();
    DisplayObject& root = *l.root;
    root.kind = ObjectKind::Clip;
    root.movie = l.context.get();
    root.timeline = &l.context->movie->timeline;
    root.totalFrames = int(root.timeline->frames.size());
    root.depth = layer;
    root.serial = nextSerial();
    layers_[layer] = std::move(l);
}

void Player::unload(int layer) {
    auto it = layers_.find(layer);
    if (it == layers_.end()) {
        return;
    }
    // Queued actions of the layer's clips lose their clips with it.
    retired_.push_back(std::move(it->second));
    layers_.erase(it);
}

DisplayObject* Player::root(int layer) const {
    auto it = layers_.find(layer);
    return it == layers_.end() ? nullptr : it->second.root.get();
}

std::vector<int> Player::layers() const {
    std::vector<int> out;
    for (const auto& [n, l] : layers_) {
        out.push_back(n);
    }
    return out;
}

void Player::runFrame() {
    retired_.clear();
    std::vector<std::shared_ptr<DisplayObject>> roots;
    for (auto& [n, l] : layers_) {
        roots.push_back(l.root);
    }
    for (auto& r : roots) {
        tickTree(*r, true);
    }
    runQueuedActions();
    runFocusRolls();
    runner_->afterTick(*this);
}

void Player::queueActions(DisplayObject& clip, std::shared_ptr<const swf::ActionBlock> block) {
    queue_.push_back({sharedOf(clip), std::move(block)});
}

void Player::tickTree(DisplayObject& clip, bool isLevelRoot) {
    if (clip.isClip()) {
        if (clip.justPlaced) {
            clip.justPlaced = false;
        } else {
            if (clip.frame >= 0) {
                runner_->enterFrameEvent(*this, clip);
            }
            if (clip.parent || isLevelRoot) {
                advanceClip(clip, isLevelRoot);
            }
        }
    }
    std::vector<std::shared_ptr<DisplayObject>> children;
    children.reserve(clip.children.size());
    for (auto& [d, c] : clip.children) {
        if (c->isClip() || c->kind == ObjectKind::Button) {
            children.push_back(c);
        }
    }
    for (auto& c : children) {
        if (c->parent == &clip) {
            tickTree(*c, false);
        }
    }
}

void Player::advanceClip(DisplayObject& clip, bool isLevelRoot) {
    if (clip.totalFrames <= 0) {
        return;
    }
    if (clip.frame < 0) {
        enterFrame(clip, 0, true);
        return;
    }
    if (!clip.playing) {
        return;
    }
    const int next = clip.frame + 1;
    if (next < clip.totalFrames) {
        enterFrame(clip, next, true);
        return;
    }
    if (clip.totalFrames == 1) {
        return;  // a one-frame clip stays put; its frame does not run again
    }
    if (isLevelRoot && !loop_ && clip.movie && clip.movie->layer == 0) {
        clip.playing = false;
        return;
    }
    queueFrameActions(clip, 0);
    rebuildTo(clip, 0);
}

void Player::queueFrameActions(DisplayObject& clip, int frame) {
    if (!clip.timeline || frame < 0 || frame >= int(clip.timeline->frames.size())) {
        return;
    }
    auto self = sharedOf(clip);
    const auto& tags = clip.timeline->frames[size_t(frame)].tags;
    // Init actions run once per sprite, before the frame's own actions.
    for (const swf::ControlTag& tag : tags) {
        if (auto* init = std::get_if<swf::DoInitAction>(&tag)) {
            if (clip.movie->initDone.insert(init->spriteId).second) {
                queue_.push_back({self, decoded(*clip.movie, init->actions)});
            }
        }
    }
    for (const swf::ControlTag& tag : tags) {
        if (auto* action = std::get_if<swf::DoAction>(&tag)) {
            queue_.push_back({self, decoded(*clip.movie, action->actions)});
        }
    }
}

void Player::enterFrame(DisplayObject& clip, int frame, bool runActions) {
    if (!clip.timeline || frame < 0 || frame >= int(clip.timeline->frames.size())) {
        return;
    }
    clip.frame = frame;
    // The clip's own actions go first; clips it places queue theirs behind them.
    if (runActions) {
        queueFrameActions(clip, frame);
    }
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
        if (auto* place = std::get_if<swf::PlaceObject>(&tag)) {
            if (auto* p = placeObject(clip, *place)) {
                p->fromTimeline = true;
            }
        } else if (auto* remove = std::get_if<swf::RemoveObject>(&tag)) {
            removeObject(clip, remove->depth);
        }
    }
}

namespace {

// What a depth holds after folding a run of frames: the placement as a full PlaceObject and,
// while it is still the same instance, the object that was there before the goto.
struct Folded {
    swf::PlaceObject place;
    DisplayObject* keep = nullptr;
    const swf::PlaceObject* origin = nullptr;  // the tag that placed the character
};

void merge(swf::PlaceObject& into, const swf::PlaceObject& tag) {
    if (tag.matrix)
        into.matrix = tag.matrix;
    if (tag.colorTransform)
        into.colorTransform = tag.colorTransform;
    if (tag.ratio)
        into.ratio = tag.ratio;
    if (tag.name)
        into.name = tag.name;
    if (tag.clipDepth)
        into.clipDepth = tag.clipDepth;
    if (tag.visible)
        into.visible = tag.visible;
    if (tag.blendMode)
        into.blendMode = tag.blendMode;
    if (tag.filters)
        into.filters = tag.filters;
}

swf::PlaceObject placementOf(const DisplayObject& o) {
    swf::PlaceObject p;
    p.depth = uint16_t(o.depth);
    p.characterId = o.characterId;
    p.matrix = o.matrix;
    p.colorTransform = o.colorTransform;
    p.ratio = o.ratio;
    p.clipDepth = o.clipDepth;
    p.blendMode = o.blendMode;
    return p;
}

}  // namespace

void Player::rebuildTo(DisplayObject& clip, int target) {
    const bool backward = target < clip.frame;
    std::map<int, Folded> state;
    int first = 0;
    if (!backward) {
        first = clip.frame + 1;
        for (auto& [d, o] : clip.children) {
            if (o->fromTimeline && d < kScriptDepthBase) {
                state[d] = {placementOf(*o), o.get()};
            }
        }
    }
    for (int f = first; f <= target; ++f) {
        for (const swf::ControlTag& tag : clip.timeline->frames[size_t(f)].tags) {
            if (auto* place = std::get_if<swf::PlaceObject>(&tag)) {
                auto it = state.find(place->depth);
                if (place->move && !place->characterId) {
                    if (it != state.end()) {
                        merge(it->second.place, *place);
                    }
                } else if (place->characterId) {
                    Folded folded;
                    if (place->move && it != state.end()) {
                        folded.place = it->second.place;  // a replace keeps the placement
                        folded.place.name = it->second.place.name;
                    }
                    merge(folded.place, *place);
                    folded.place.depth = place->depth;
                    folded.place.characterId = place->characterId;
                    folded.origin = place;
                    state[place->depth] = std::move(folded);
                }
            } else if (auto* remove = std::get_if<swf::RemoveObject>(&tag)) {
                state.erase(remove->depth);
            }
        }
    }
    if (backward) {
        for (auto& [d, folded] : state) {
            DisplayObject* old = clip.childAt(d);
            if (old && old->fromTimeline && old->characterId == folded.place.characterId) {
                folded.keep = old;
            }
        }
    }
    // Objects of the timeline that do not survive go first.
    std::vector<int> gone;
    for (auto& [d, o] : clip.children) {
        if (!o->fromTimeline || d >= kScriptDepthBase) {
            continue;
        }
        auto it = state.find(d);
        if (it == state.end() || it->second.keep != o.get()) {
            gone.push_back(d);
        }
    }
    for (int d : gone) {
        removeObject(clip, d);
    }
    clip.frame = target;
    for (auto& [d, folded] : state) {
        if (folded.keep) {
            DisplayObject& o = *folded.keep;
            o.matrix = folded.place.matrix.value_or(swf::Matrix{});
            o.colorTransform = folded.place.colorTransform.value_or(swf::ColorTransform{});
            o.ratio = folded.place.ratio.value_or(0);
            if (folded.place.name) {
                o.name = movieText(*folded.place.name, clip.movie->version());
            }
            o.clipDepth = folded.place.clipDepth.value_or(0);
            o.blendMode = folded.place.blendMode.value_or(swf::BlendMode::Normal);
            continue;
        }
        swf::PlaceObject p = folded.place;
        p.move = false;
        if (auto* placed =
                placeObject(clip, p, folded.origin ? &folded.origin->clipActions : nullptr)) {
            placed->fromTimeline = true;
        }
    }
}

void Player::gotoFrame(DisplayObject& clip, int frame, bool play) {
    if (!clip.isClip() || clip.totalFrames <= 0) {
        return;
    }
    frame = qBound(0, frame, clip.totalFrames - 1);
    clip.playing = play;
    if (frame == clip.frame) {
        return;
    }
    if (clip.frame < 0) {
        enterFrame(clip, 0, true);
        if (frame == 0) {
            return;
        }
    }
    // The clip's actions run before those of the clips the goto places.
    queueFrameActions(clip, frame);
    rebuildTo(clip, frame);
}

std::optional<int> Player::labelFrame(const DisplayObject& clip, const QString& label) const {
    if (!clip.timeline) {
        return std::nullopt;
    }
    const int version = clip.movie ? clip.movie->version() : 6;
    for (size_t f = 0; f < clip.timeline->frames.size(); ++f) {
        for (const std::string& l : clip.timeline->frames[f].labels) {
            if (movieText(l, version).compare(label, Qt::CaseInsensitive) == 0) {
                return int(f);
            }
        }
    }
    return std::nullopt;
}

bool Player::gotoLabel(DisplayObject& clip, const QString& label, bool play) {
    auto f = labelFrame(clip, label);
    if (!f) {
        return false;
    }
    gotoFrame(clip, *f, play);
    return true;
}

QString Player::currentLabel(const DisplayObject& clip) const {
    if (!clip.timeline) {
        return {};
    }
    for (int f = std::min(clip.frame, int(clip.timeline->frames.size()) - 1); f >= 0; --f) {
        const auto& labels = clip.timeline->frames[size_t(f)].labels;
        if (!labels.empty()) {
            return movieText(labels.front(), clip.movie->version());
        }
    }
    return {};
}

void Player::nextFrame(DisplayObject& clip) {
    if (clip.frame + 1 < clip.totalFrames) {
        gotoFrame(clip, clip.frame + 1, false);
    } else {
        clip.playing = false;
    }
}

void Player::prevFrame(DisplayObject& clip) {
    if (clip.frame > 0) {
        gotoFrame(clip, clip.frame - 1, false);
    } else {
        clip.playing = false;
    }
}

void Player::callFrame(DisplayObject& clip, int frame) {
    if (!clip.timeline || frame < 0 || frame >= int(clip.timeline->frames.size())) {
        return;
    }
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
        if (auto* action = std::get_if<swf::DoAction>(&tag)) {
            runner_->run(*this, clip, decoded(*clip.movie, action->actions));
        }
    }
}

void Player::runQueuedActions() {
    // A runaway movie (frames whose actions keep queueing more) is cut off rather than hung.
    constexpr size_t kMaxBlocksPerTick = 100000;
    size_t ran = 0;
    while (!queue_.empty() && ran < kMaxBlocksPerTick) {
        std::vector<QueuedBlock> batch;
        batch.swap(queue_);
        for (auto& q : batch) {
            ++ran;
            auto clip = q.clip.lock();
            if (clip && (clip->parent || sharedOf(*clip))) {
                runner_->run(*this, *clip, q.block);
            }
        }
    }
    queue_.clear();
}

std::shared_ptr<const swf::ActionBlock> Player::decoded(MovieContext& movie,
                                                        const swf::Bytes& bytes) {
    auto& slot = movie.blocks[&bytes];
    if (!slot) {
        slot = std::make_shared<swf::ActionBlock>(swf::decodeActions(bytes));
    }
    return slot;
}

}  // namespace pencora::runtime
