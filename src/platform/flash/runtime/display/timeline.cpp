// Root and sprite timelines: loading a layer, the tick, and gotos.
//
// A goto never runs the actions of the frames it skips. Forward, the display-list tags of the
// skipped frames are folded into one set of placements per depth and applied once, so a clip
// placed and removed in between never exists. Backward, the list is rebuilt from the first
// frame the same way; an object that is at the same depth with the same character before and
// after keeps its identity (and its state, a clip its playhead) and only takes the placement of
// the target frame. Objects placed by scripts stay where they are.
#include <QtGlobal>

#include <algorithm>
#include <variant>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/runtime/display/frame_actions.h"
#include "platform/flash/runtime/display/movie_url.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/display/shared_library.h"

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
    l.context->url = absoluteMovieUrl(url);
    l.root = std::make_shared<DisplayObject>();
    DisplayObject& root = *l.root;
    root.kind = ObjectKind::Clip;
    root.movie = l.context.get();
    root.timeline = &l.context->movie->timeline;
    root.totalFrames = int(root.timeline->frames.size());
    root.declaredFrames = l.context->movie->header.frameCount;
    root.depth = layer;
    root.serial = nextSerial();
    auto& placed = layers_[layer] = std::move(l);
    requestImports(*this, *placed.root);
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

namespace {

// The frame is done and shows: what each object shows is its ratio now.
void markShown(DisplayObject& o) {
    o.shownRatio = o.ratio;
    for (auto& [d, c] : o.children) {
        markShown(*c);
    }
}

}  // namespace

void Player::runFrame() {
    ++framesSinceClock_;
    retired_.clear();
    dropUnusedClipMovies();
    std::vector<std::shared_ptr<DisplayObject>> playing;
    for (auto& [n, l] : layers_) {
        playing.push_back(l.root);
    }
    arrivedThisTick_ = showArrivedMovies();
    for (auto& r : playing) {
        if (onList(*r)) {
            tickLayer(r);
        }
    }
    arrivedThisTick_.clear();
    runQueuedActions();
    runFocusRolls();
    // Buttons the timeline re-placed under the mouse show the state the mouse left them in.
    tracked(hovered_);
    tracked(pressed_);
    // Buttons come, go and move under a resting pointer too: what is under it now rolls
    // over (or is dragged over). What the focus rolled over stays until the pointer moves.
    const auto shown = trackedNow(hovered_);
    if (!focus_.keyboardMode && !(shown && shown == focus_.object.lock())) {
        trackPointer(mouse_);
    }
    runner_->afterTick(*this);
    for (auto& [n, l] : layers_) {
        markShown(*l.root);
    }
}

namespace {

void collectClips(const std::shared_ptr<DisplayObject>& o,
                  std::vector<std::shared_ptr<DisplayObject>>& out) {
    if (o->isClip()) {
        out.push_back(o);
    }
    // A text field holds the clips of its markup's pictures.
    for (auto& [d, c] : o->children) {
        if (c->isClip() || c->kind == ObjectKind::Button || c->kind == ObjectKind::EditText) {
            collectClips(c, out);
        }
    }
}

}  // namespace

std::vector<std::shared_ptr<DisplayObject>> Player::showArrivedMovies() {
    std::vector<std::shared_ptr<DisplayObject>> arrived;
    bool anyPlaying = false;
    for (auto& [n, l] : layers_) {
        if (l.root->frame < 0) {
            arrived.push_back(l.root);
        } else {
            anyPlaying = true;
        }
    }
    for (auto& [weak, context] : clipMovies_) {
        auto clip = weak.lock();
        if (clip && clip->movie == context.get() && clip->frame < 0 && onList(*clip) &&
            !clip->unloading) {
            arrived.push_back(clip);
        }
    }
    // The very first tick shows every layer's first frame in the usual order.
    if (!anyPlaying || arrived.empty()) {
        return {};
    }
    for (auto& o : arrived) {
        advanceClip(*o, !o->parent);
    }
    runQueuedActions();
    return arrived;
}

bool Player::inArrivedMovie(const DisplayObject& clip) const {
    for (const DisplayObject* o = &clip; o; o = o->parent) {
        for (const auto& arrived : arrivedThisTick_) {
            if (arrived.get() == o) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::shared_ptr<DisplayObject>> Player::executionOrder(
    const std::shared_ptr<DisplayObject>& root) const {
    std::vector<std::shared_ptr<DisplayObject>> clips;
    collectClips(root, clips);
    std::stable_sort(clips.begin(), clips.end(),
                     [](const auto& a, const auto& b) { return a->serial > b->serial; });
    return clips;
}

void Player::tickLayer(const std::shared_ptr<DisplayObject>& root) {
    // The clips of the layer as they stand when the tick begins, newest first: a clip placed
    // after its parent runs its frame before the parent's (execution_order1), siblings placed
    // later before those placed earlier (looping_child_swf5). A clip placed during the tick is
    // not in the list: it has shown its first frame and advances from the next tick on.
    std::vector<std::shared_ptr<DisplayObject>> clips = executionOrder(root);
    for (auto& c : clips) {
        c->justPlaced = false;
    }
    for (auto& c : clips) {
        const bool isRoot = c == root;
        if (!isRoot && (!onList(*c) || c->unloading)) {
            continue;  // removed by an earlier clip's frame this tick
        }
        if (inArrivedMovie(*c)) {
            continue;  // has just shown its first frame, or was placed by it
        }
        if (c->frame >= 0) {
            runner_->enterFrameEvent(*this, *c);
        }
        if (isRoot || onList(*c)) {
            advanceClip(*c, isRoot);
        }
    }
}

bool Player::onList(const DisplayObject& clip) const {
    const DisplayObject* o = &clip;
    while (o->parent) {
        o = o->parent;
    }
    for (const auto& [n, layer] : layers_) {
        if (layer.root.get() == o) {
            return true;
        }
    }
    return false;
}

void Player::queueActions(DisplayObject& clip, std::shared_ptr<const swf::ActionBlock> block) {
    queue_.push_back({sharedOf(clip), std::move(block)});
}

void Player::queueLoadActions(DisplayObject& clip, std::shared_ptr<const swf::ActionBlock> block) {
    (frameLoads_ ? *frameLoads_ : queue_).push_back({sharedOf(clip), std::move(block)});
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
    if ((isLevelRoot && !loop_ && clip.movie && clip.movie->layer == 0) ||
        !clip.timeline->complete) {
        clip.playing = false;
        return;
    }
    queueFrameActions(clip, 0);
    rebuildTo(clip, 0);
    // Playing on into the first frame plays its sounds as any frame's: an event sound there
    // starts again on every loop, a stream sound goes back to its first block.
    playFrameSounds(clip, 0);
}

void Player::queueInitActions(DisplayObject& clip, int frame) {
    auto self = sharedOf(clip);
    // Init actions run once each, before the frame's own actions, whether or not their sprite
    // is defined and however many name the same one.
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
        if (auto* init = std::get_if<swf::DoInitAction>(&tag)) {
            if (clip.movie->initDone.insert(init).second) {
                queue_.push_back({self, decoded(*clip.movie, init->actions)});
            }
        } else if (auto* import = std::get_if<swf::ImportAssets>(&tag)) {
            queueLibraryInitActions(*this, clip, *import);
        }
    }
}

void Player::queueFrameActions(DisplayObject& clip, int frame) {
    if (!clip.timeline || frame < 0 || frame >= int(clip.timeline->frames.size())) {
        return;
    }
    auto self = sharedOf(clip);
    queueInitActions(clip, frame);
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
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
    // The frame's tags in file order: a script before a placement runs before the placed
    // clip's first frame (execution_order1), one after it after (sound_nested_clips).
    std::shared_ptr<DisplayObject> self;
    std::vector<QueuedBlock> loads;
    std::vector<QueuedBlock>* const outerLoads = frameLoads_;
    if (runActions) {
        queueInitActions(clip, frame);
        self = sharedOf(clip);
        playFrameSounds(clip, frame);
        frameLoads_ = &loads;
    }
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
        if (auto* action = std::get_if<swf::DoAction>(&tag)) {
            if (runActions) {
                queue_.push_back({self, decoded(*clip.movie, action->actions)});
            }
        } else if (auto* place = std::get_if<swf::PlaceObject>(&tag)) {
            if (auto* p = placeObject(clip, *place)) {
                p->fromTimeline = true;
                if (place->characterId) {
                    p->placedBy = place;
                }
            }
        } else if (auto* remove = std::get_if<swf::RemoveObject>(&tag)) {
            removeObject(clip, remove->depth);
        } else if (auto* tabIndex = std::get_if<swf::SetTabIndex>(&tag)) {
            setTimelineTabIndex(clip, tabIndex->depth, tabIndex->tabIndex);
        }
    }
    frameLoads_ = outerLoads;
    queue_.insert(queue_.end(), std::make_move_iterator(loads.begin()),
                  std::make_move_iterator(loads.end()));
}

namespace {

// What a depth holds after folding a run of frames: the placement as a full PlaceObject and,
// while it is still the same instance, the object that was there before the goto.
struct Folded {
    swf::PlaceObject place;
    DisplayObject* keep = nullptr;
    const swf::PlaceObject* origin = nullptr;  // the tag that placed the character
    size_t order = 0;                          // where that tag comes in the frames folded
    // The name a replacement takes over from the object it replaces, when no tag gave one.
    QString inheritedName;
    // The last tab index the frames folded gave the object at this depth.
    std::optional<uint16_t> tabIndex;
};

// The fields the tag gives replace those of `into`.
void merge(swf::PlaceObject& into, const swf::PlaceObject& tag) {
    auto take = [&](auto field) {
        if (tag.*field) {
            into.*field = tag.*field;
        }
    };
    using P = swf::PlaceObject;
    take(&P::matrix);
    take(&P::colorTransform);
    take(&P::ratio);
    take(&P::name);
    take(&P::clipDepth);
    take(&P::visible);
    take(&P::blendMode);
    take(&P::filters);
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
    p.filters = o.filters;
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
                state[d] = {placementOf(*o), o.get(), nullptr, 0, {}, {}};
            }
        }
    }
    size_t order = 0;
    for (int f = first; f <= target; ++f) {
        for (const swf::ControlTag& tag : clip.timeline->frames[size_t(f)].tags) {
            ++order;
            if (auto* place = std::get_if<swf::PlaceObject>(&tag)) {
                auto it = state.find(place->depth);
                if (place->move && !place->characterId) {
                    if (it != state.end()) {
                        merge(it->second.place, *place);
                    }
                } else if (place->characterId) {
                    if (!place->move && it != state.end()) {
                        continue;  // placing on an occupied depth fails, as in playing
                    }
                    Folded folded;
                    if (place->move && it != state.end()) {
                        folded.place = it->second.place;  // a replace keeps the placement
                        folded.place.name = it->second.place.name;
                        const Folded& before = it->second;
                        folded.inheritedName =
                            before.keep ? before.keep->name : before.inheritedName;
                        // Replacing an object by its own character keeps the object.
                        if (before.keep && before.keep->characterId == *place->characterId) {
                            folded.keep = before.keep;
                        }
                    }
                    merge(folded.place, *place);
                    folded.place.depth = place->depth;
                    folded.place.characterId = place->characterId;
                    folded.origin = place;
                    folded.order = order;
                    state[place->depth] = std::move(folded);
                }
            } else if (auto* remove = std::get_if<swf::RemoveObject>(&tag)) {
                state.erase(remove->depth);
            } else if (auto* tabIndex = std::get_if<swf::SetTabIndex>(&tag)) {
                if (auto it = state.find(tabIndex->depth); it != state.end()) {
                    it->second.tabIndex = tabIndex->tabIndex;
                }
            }
        }
    }
    if (backward) {
        for (auto& [d, folded] : state) {
            DisplayObject* old = clip.childAt(d);
            if (old && old->fromTimeline && old->characterId == folded.place.characterId &&
                (!old->placedBy || old->placedBy == folded.origin)) {
                folded.keep = old;
            }
        }
    }
    // Objects of the timeline that do not survive go first.
    std::vector<int> gone;
    for (auto& [d, o] : clip.children) {
        if (!o->fromTimeline || d >= kScriptDepthBase || o->unloading) {
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
    // New objects are placed in the order of their tags, so their first frames queue their
    // actions in that order too (goto_execution_order2).
    std::vector<Folded*> placing;
    for (auto& [d, folded] : state) {
        placing.push_back(&folded);
    }
    std::stable_sort(placing.begin(), placing.end(),
                     [](const Folded* a, const Folded* b) { return a->order < b->order; });
    for (Folded* entry : placing) {
        Folded& folded = *entry;
        if (folded.keep) {
            DisplayObject& o = *folded.keep;
            if (!o.scriptTransformed) {
                o.matrix = folded.place.matrix.value_or(swf::Matrix{});
                o.colorTransform = folded.place.colorTransform.value_or(swf::ColorTransform{});
            }
            o.ratio = folded.place.ratio.value_or(0);
            if (folded.place.name) {
                o.rename(movieText(*folded.place.name, clip.movie->version()));
            }
            o.clipDepth = folded.place.clipDepth.value_or(0);
            o.blendMode = folded.place.blendMode.value_or(swf::BlendMode::Normal);
            o.filters = folded.place.filters.value_or(std::vector<swf::Filter>{});
            if (folded.origin) {
                o.placedBy = folded.origin;
            }
            // Going back keeps what a script made of a kept object's index since.
            if (folded.tabIndex && !backward) {
                setTimelineTabIndex(clip, o.depth, *folded.tabIndex);
            }
            continue;
        }
        swf::PlaceObject p = folded.place;
        p.move = false;
        if (auto* placed =
                placeObject(clip, p, folded.origin ? &folded.origin->clipActions : nullptr)) {
            placed->fromTimeline = true;
            placed->placedBy = folded.origin;
            if (!folded.place.name && !folded.inheritedName.isEmpty()) {
                placed->rename(folded.inheritedName);
            }
            if (folded.tabIndex) {
                setTimelineTabIndex(clip, placed->depth, *folded.tabIndex);
            }
        }
    }
}

void Player::gotoFrame(DisplayObject& clip, int frame, bool play) {
    if (!clip.isClip() || clip.totalFrames <= 0 || frame < 0) {
        return;
    }
    frame = std::min(frame, clip.totalFrames - 1);
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
    // The clips the goto places queue their first frames before the target frame's own
    // actions (execution_order3).
    rebuildTo(clip, frame);
    queueFrameActions(clip, frame);
    // The frame arrived at plays its sounds; the frames passed over play none. A stream moves
    // to the new frame's block, or runs out shortly when that frame has none.
    playFrameSounds(clip, frame);
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
    while ((!queue_.empty() || !unloading_.empty()) && ran < kMaxBlocksPerTick) {
        if (queue_.empty()) {
            runUnloadHandlers();
            continue;
        }
        std::vector<QueuedBlock> batch;
        batch.swap(queue_);
        for (auto& q : batch) {
            ++ran;
            // A clip removed since its block was queued runs nothing more: neither one whose
            // unload handlers still wait nor one inside a removed clip.
            auto clip = q.clip.lock();
            if (clip && onList(*clip) && onDisplayList(*clip)) {
                runner_->run(*this, *clip, q.block);
            }
        }
    }
    queue_.clear();
}

void Player::runUnloadHandlers() {
    std::vector<std::weak_ptr<DisplayObject>> batch;
    batch.swap(unloading_);
    for (auto& weak : batch) {
        auto clip = weak.lock();
        if (!clip || !clip->unloading || !clip->parent) {
            continue;
        }
        runner_->unloadEvent(*this, *clip);
        // The handlers may have removed the parent or the clip already.
        if (DisplayObject* parent = clip->parent;
            parent && parent->childAt(clip->depth) == clip.get()) {
            removeObject(*parent, clip->depth);
        }
    }
}

namespace {

// The block as decoded inside the movie's file, when the file holds these very bytes there;
// otherwise (a movie built in memory) as decoded on its own.
swf::ActionBlock decodeInFile(const swf::Movie* movie, const swf::ActionBytes& bytes) {
    const swf::Bytes* body = movie && movie->body ? movie->body.get() : nullptr;
    if (body && bytes.fileOffset != swf::ActionBytes::kUnknownOffset &&
        bytes.fileOffset >= swf::Movie::kBodyOffset) {
        const size_t start = bytes.fileOffset - swf::Movie::kBodyOffset;
        if (start <= body->size() && bytes.size() <= body->size() - start &&
            std::equal(bytes.begin(), bytes.end(), body->begin() + start)) {
            return swf::decodeActionsInFile(*body, start, bytes.size());
        }
    }
    return swf::decodeActions(bytes);
}

}  // namespace

std::shared_ptr<const swf::ActionBlock> Player::decoded(MovieContext& movie,
                                                        const swf::ActionBytes& bytes) {
    auto& slot = movie.blocks[&bytes];
    if (!slot) {
        slot = std::make_shared<swf::ActionBlock>(decodeInFile(movie.movie.get(), bytes));
    }
    return slot;
}

}  // namespace pencora::runtime
