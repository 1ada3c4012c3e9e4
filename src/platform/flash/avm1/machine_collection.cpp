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

void Machine::collectGarbage(const std::vector<Object*>& roots) {
    if (impl_->runDepth > 0) {
        return;  // objects on the C++ stack of a run are not visible to the marker
    }
    heap_.collect([&](Tracer& t) {
        t.mark(global_);
        for (Object* o :
             {protos_.object, protos_.function, protos_.array, protos_.string, protos_.number,
              protos_.boolean, protos_.date, protos_.error, protos_.xmlNode, protos_.xml,
              protos_.movieClip, protos_.button, protos_.textField, impl_->objectToString}) {
            if (o) {
                t.mark(o);
            }
        }
        for (Object* o : roots) {
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
        for (const auto& table : impl_->nativeTables) {
            for (Object* o : table) {
                t.mark(o);
            }
        }
        if (impl_->setNativeAccessor) {
            t.mark(impl_->setNativeAccessor);
        }
        for (auto it = impl_->interfaces.begin(); it != impl_->interfaces.end(); ++it) {
            t.mark(it.key());
            for (Object* o : it.value()) {
                t.mark(o);
            }
        }
    });
    impl_->liveBytesAfterGc = heap_.bytes();
}

void Machine::pin(Object* o) {
    impl_->pinned.insert(o);
}

void Machine::unpin(Object* o) {
    impl_->pinned.erase(o);
}

}  // namespace pencora::avm1
