// How scripts make clips, and what happens when any clip is made: attachMovie's init object,
// the class Object.registerClass gave its symbol, onClipEvent(initialize) and (construct);
// duplicateMovieClip; dragging.
//
// A clip with a class gets the class's prototype first; then the init object's properties are
// copied onto it, its initialize and construct events run, and the constructor runs with the
// clip as `this` (on_construct, movieclip_init_object). All of it happens while the clip is
// placed, before the frame scripts queued for the same frame, so a frame script already sees
// its clips constructed. A clip placed by the timeline may belong to a class whose
// registerClass sits in an init action of the same frame, which is queued but has not run:
// such init actions run first.
#include <algorithm>
#include <climits>
#include <cmath>
#include <variant>

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/display/clip_bounds.h"
#include "platform/flash/runtime/drawing/clip_graphics.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"
#include "platform/flash/runtime/text/text_field_class.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

constexpr uint32_t kInitialize = swf::clip_event::Initialize;
constexpr uint32_t kConstruct = swf::clip_event::Construct;

int versionOf(const DisplayObject& clip) {
    return clip.movie ? clip.movie->version() : 8;
}

// The clip whose timeline is the clip's movie: a layer's root, or the clip a movie was loaded
// into.
DisplayObject* movieRootOf(DisplayObject& clip) {
    DisplayObject* r = &clip;
    while (r->parent && r->parent->movie == clip.movie) {
        r = r->parent;
    }
    return r;
}

}  // namespace

bool ScriptHost::isInitBlock(MovieContext& movie, const swf::ActionBlock* block) {
    if (!movie.initBlocksKnown && movie.movie) {
        movie.initBlocksKnown = true;
        for (const swf::Frame& frame : movie.movie->timeline.frames) {
            for (const swf::ControlTag& tag : frame.tags) {
                if (auto* init = std::get_if<swf::DoInitAction>(&tag)) {
                    movie.initBlocks.insert(player_.decoded(movie, init->actions).get());
                }
            }
        }
    }
    return movie.initBlocks.count(block) > 0;
}

void ScriptHost::runPendingInitActions(DisplayObject& clip) {
    DisplayObject* root = movieRootOf(clip);
    MovieContext* movie = clip.movie;
    if (!movie || !movie->movie || root->timeline != &movie->movie->timeline) {
        return;
    }
    const int last = std::min(root->frame, int(root->timeline->frames.size()) - 1);
    for (int f = 0; f <= last; ++f) {
        for (const swf::ControlTag& tag : root->timeline->frames[size_t(f)].tags) {
            auto* init = std::get_if<swf::DoInitAction>(&tag);
            // Only those the timeline has already queued.
            if (!init || !movie->initDone.count(init)) {
                continue;
            }
            auto block = player_.decoded(*movie, init->actions);
            isInitBlock(*movie, block.get());
            if (movie->initRan.insert(block.get()).second) {
                machine_->runBlock(block, scriptObject(*root), movie->version());
            }
        }
    }
}

avm1::Object* ScriptHost::registeredClass(DisplayObject& clip) {
    if (!clip.movie || !clip.characterId) {
        return nullptr;
    }
    const std::vector<QString> names = exportNames(*clip.movie, clip.characterId);
    if (names.empty()) {
        return nullptr;
    }
    if (!placingByScript_) {
        runPendingInitActions(clip);
    }
    const int version = versionOf(clip);
    avm1::Property* table =
        machine_->globalFor(version)->find(avm1::registeredClassTable(version), version);
    avm1::Object* classes = table ? table->value.object() : nullptr;
    if (!classes) {
        return nullptr;
    }
    for (const QString& name : names) {
        if (avm1::Property* p = classes->find(name, versionOf(clip))) {
            avm1::Object* ctor = p->value.object();
            if (ctor && ctor->kind() == avm1::ObjectKind::Function) {
                return ctor;
            }
        }
    }
    return nullptr;
}

void ScriptHost::construct(DisplayObject& clip, avm1::Object* init) {
    if (!placingByScript_) {
        // The timeline is in the middle of a frame's tags: its clips are initialized and
        // constructed once they are all placed, before the next script runs.
        if (clip.isClip() && (clip.clipActions || exportsOf(clip) || hasOnConstruct(clip))) {
            pendingConstructs_.push_back({player_.sharedOf(clip), nullptr});
        }
        return;
    }
    avm1::Object* ctor = initialize(clip, init);
    finishConstruct(clip, ctor);
}

bool ScriptHost::exportsOf(const DisplayObject& clip) const {
    return clip.movie && clip.characterId && !exportNames(*clip.movie, clip.characterId).empty();
}

avm1::Object* ScriptHost::initialize(DisplayObject& clip, avm1::Object* init) {
    avm1::Object* ctor = registeredClass(clip);
    if (!ctor && !init && !(clipEventsOf(clip) & kInitialize)) {
        return nullptr;
    }
    avm1::ClipObject* object = scriptObject(clip);
    if (ctor) {
        const Value proto = machine_->get(ctor, QStringLiteral("prototype"));
        if (proto.isObject()) {
            object->setProto(proto.object());
        }
    }
    if (init) {
        std::vector<QString> names = machine_->enumerate(init);
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            machine_->set(object, *it, machine_->get(init, *it));
        }
    }
    runEarlyEvent(clip, kInitialize);
    return ctor;
}

bool ScriptHost::hasOnConstruct(DisplayObject& clip) {
    if (versionOf(clip) < 7 || !clip.isClip()) {
        return false;
    }
    // Looked up without making a script object for every clip the timeline places.
    avm1::Object* from = clip.script ? scriptObject(clip) : movieClipPrototype(clip);
    const Value v = from ? machine_->get(from, QStringLiteral("onConstruct")) : Value();
    return v.isObject() && v.object()->kind() == avm1::ObjectKind::Function;
}

uint32_t ScriptHost::clipEventsOf(const DisplayObject& clip) const {
    uint32_t events = 0;
    if (clip.clipActions) {
        for (const swf::ClipAction& a : *clip.clipActions) {
            events |= a.events;
        }
    }
    return events & clip.clipEventMask;
}

void ScriptHost::runEarlyEvent(DisplayObject& clip, uint32_t event) {
    if (!(clipEventsOf(clip) & event)) {
        return;
    }
    for (const swf::ClipAction& a : *clip.clipActions) {
        if (a.events & event) {
            machine_->runBlock(player_.decoded(*clip.movie, a.actions), scriptObject(clip),
                               versionOf(clip));
        }
    }
}

void ScriptHost::finishConstruct(DisplayObject& clip, avm1::Object* ctor) {
    runEarlyEvent(clip, kConstruct);
    if (ctor && clip.script) {
        machine_->callValue(Value(ctor), Value(scriptObject(clip)), {}, versionOf(clip));
    }
    // From SWF 7 a clip's onConstruct method (MovieClip.prototype's, usually) runs last. What
    // it throws stops there, reported like any uncaught exception (movieclip_onconstruct).
    if (hasOnConstruct(clip)) {
        avm1::ClipObject* object = scriptObject(clip);
        const Value handler = machine_->get(object, QStringLiteral("onConstruct"));
        if (handler.isObject() && handler.object()->kind() == avm1::ObjectKind::Function) {
            const bool nested = machine_->current() != nullptr;
            const avm1::RunResult r =
                machine_->callValue(handler, Value(object), {}, versionOf(clip));
            if (nested && r.status == avm1::RunResult::Status::Uncaught) {
                trace(QStringLiteral("Warning: Uncaught exception, ") +
                      machine_->toString(r.value));
            }
        }
    }
}

void ScriptHost::runPendingConstructs() {
    while (!pendingConstructs_.empty()) {
        std::vector<PendingConstruct> batch;
        batch.swap(pendingConstructs_);
        // Every clip of the batch is initialized before any is constructed
        // (placeobject_all_event_flags).
        for (PendingConstruct& p : batch) {
            if (auto clip = p.clip.lock(); clip && clip->parent) {
                p.ctor = initialize(*clip, nullptr);
            }
        }
        for (PendingConstruct& p : batch) {
            if (auto clip = p.clip.lock(); clip && clip->parent) {
                finishConstruct(*clip, p.ctor);
                listenForLoad(*clip);
            }
        }
    }
}

DisplayObject* ScriptHost::placeClip(DisplayObject& parent, const Player::ScriptPlacement& place,
                                     avm1::Object* init) {
    // A constructor run while the clip is placed may place clips of its own.
    const PendingInit outer = pendingInit_;
    pendingInit_ = {init, &parent, place.depth};
    const bool wasPlacing = placingByScript_;
    placingByScript_ = true;
    DisplayObject* clip = player_.placeByScript(parent, place);
    placingByScript_ = wasPlacing;
    pendingInit_ = outer;
    return clip;
}

DisplayObject* ScriptHost::duplicateClip(DisplayObject& source, const QString& name, int depth,
                                         avm1::Object* init) {
    if (source.kind == ObjectKind::EditText) {
        return duplicateTextField(*this, source, name, depth);
    }
    // The root of a layer has no parent to hold a copy.
    if (!source.parent || !source.isClip()) {
        return nullptr;
    }
    Player::ScriptPlacement p{source.characterId, depth, name, &source};
    return placeClip(*source.parent, p, init);
}

// startDrag and stopDrag live with the mouse input (input_scripts.cpp, display/drag.cpp).

}  // namespace pencora::runtime
