// Garbage collection: what the machine itself keeps alive besides the runtime's roots.
#include <QStringList>

#include <cmath>

#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/conversions.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"
#include "platform/flash/avm1/super_object.h"

namespace pencora::avm1 {

namespace {

void markBuiltins(Tracer& t, Object* global, const Prototypes& p, Object* objectToString,
                  const QHash<int, QHash<int, Object*>>& nativeTables, Object* setNativeAccessor) {
    for (Object* o : {global, p.object, p.function, p.array, p.string, p.number, p.boolean, p.date,
                      p.error, p.xmlNode, p.xml, p.movieClip, p.button, p.textField, p.video,
                      objectToString, setNativeAccessor}) {
        if (o) {
            t.mark(o);
        }
    }
    for (const auto& table : nativeTables) {
        for (Object* o : table) {
            t.mark(o);
        }
    }
}

// The interfaces a class implements live as long as its prototype does: the table holds its
// keys weakly, and an entry of a prototype no longer reached is forgotten with it.
WeakTables interfaceTable(Machine::Impl& st) {
    WeakTables w;
    w.markLive = [&st](Tracer& t) {
        for (const auto& [proto, list] : st.interfaces) {
            if (Heap::reached(proto)) {
                for (Object* o : list) {
                    t.mark(o);
                }
            }
        }
    };
    w.dropDead = [&st] {
        std::erase_if(st.interfaces, [](const auto& entry) { return !Heap::reached(entry.first); });
    };
    return w;
}

}  // namespace

void Machine::collectGarbage(const std::vector<Object*>& roots) {
    if (impl_->runDepth > 0) {
        return;  // objects on the C++ stack of a run are not visible to the marker
    }
    std::vector<Object*> held = roots;
    host_.addRoots(held);
    heap_.collect(
        [&](Tracer& t) {
            const ParkedBuiltins& parked = impl_->parked;
            markBuiltins(t, global_, protos_, impl_->objectToString, impl_->nativeTables,
                         impl_->setNativeAccessor);
            markBuiltins(t, parked.global, parked.protos, parked.objectToString,
                         parked.nativeTables, parked.setNativeAccessor);
            for (Object* o : held) {
                t.mark(o);
            }
            for (Object* o : impl_->pinned) {
                t.mark(o);
            }
            for (auto& [id, timer] : impl_->timers) {
                t.mark(timer.function);
                t.mark(timer.thisValue);
                for (const Value& v : timer.args) {
                    t.mark(v);
                }
            }
        },
        interfaceTable(*impl_));
    dropUnusedPreparedBlocks(*impl_);
    impl_->liveBytesAfterGc = heap_.bytes();
}

void dropUnusedPreparedBlocks(Machine::Impl& st) {
    std::erase_if(st.prepared, [](const auto& entry) {
        return entry.second->block.use_count() <= 1;  // the prepared block alone holds it
    });
}

void Machine::pin(Object* o) {
    impl_->pinned.insert(o);
}

void Machine::unpin(Object* o) {
    impl_->pinned.erase(o);
}

}  // namespace pencora::avm1
