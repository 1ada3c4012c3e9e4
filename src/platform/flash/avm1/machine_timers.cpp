// The interval timers of setInterval and setTimeout.
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

int Machine::addTimer(const Value& fn, const Value& thisValue, const QString& method,
                      std::vector<Value> args, double interval, bool repeat) {
    Timer t;
    t.id = impl_->nextTimerId++;
    t.function = fn;
    t.thisValue = thisValue;
    t.method = method;
    t.args = std::move(args);
    t.interval = std::isfinite(interval) && interval > 0 ? interval : 0;
    t.due = host_.milliseconds() + t.interval;
    t.repeat = repeat;
    impl_->timers[t.id] = std::move(t);
    return impl_->timers.rbegin()->first;
}

void Machine::removeTimer(int id) {
    impl_->timers.erase(id);
}

void Machine::runTimers() {
    double now = host_.milliseconds();
    std::vector<int> due;
    for (auto& [id, t] : impl_->timers) {
        if (t.due <= now) {
            due.push_back(id);
        }
    }
    for (int id : due) {
        auto it = impl_->timers.find(id);
        if (it == impl_->timers.end()) {
            continue;  // cleared by an earlier timer
        }
        Timer t = it->second;
        if (t.repeat) {
            // Intervals shorter than the frame fire once per call, as the original's do.
            it->second.due = std::max(t.due + std::max(t.interval, 1.0), now);
            if (it->second.due <= now) {
                it->second.due = now + std::max(t.interval, 1.0);
            }
        } else {
            impl_->timers.erase(it);
        }
        if (!t.method.isEmpty()) {
            if (Object* o = t.thisValue.object()) {
                callMethod(o, t.method, t.args, defaultVersion_);
            }
        } else {
            callValue(t.function, Value(), t.args, defaultVersion_);
        }
    }
}

}  // namespace pencora::avm1
