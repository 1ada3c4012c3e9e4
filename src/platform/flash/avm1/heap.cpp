#include "platform/flash/avm1/heap.h"

namespace pencora::avm1 {

namespace {

class Marker : public Tracer {
  public:
    void mark(Object* o) override {
        if (o && !o->marked) {
            o->marked = true;
            pending.push_back(o);
        }
    }
    std::vector<Object*> pending;
};

// An explicit work list, so long prototype or list chains cannot overflow the C++ stack.
void drain(Marker& marker) {
    while (!marker.pending.empty()) {
        Object* o = marker.pending.back();
        marker.pending.pop_back();
        o->traceRefs(marker);
    }
}

}  // namespace

Heap::~Heap() {
    for (Object* o : objects_) {
        delete o;
    }
}

void Heap::collect(const std::function<void(Tracer&)>& markRoots, const WeakTables& weak) {
    Marker marker;
    markRoots(marker);
    drain(marker);
    if (weak.markLive) {
        // What a live key's entry holds may make another key live in turn.
        for (weak.markLive(marker); !marker.pending.empty(); weak.markLive(marker)) {
            drain(marker);
        }
    }
    if (weak.dropDead) {
        weak.dropDead();
    }
    size_t kept = 0;
    size_t bytes = 0;
    for (Object* o : objects_) {
        if (o->marked) {
            o->marked = false;
            objects_[kept++] = o;
            bytes += o->footprint();
        } else {
            delete o;
        }
    }
    objects_.resize(kept);
    bytes_ = bytes;
}

}  // namespace pencora::avm1
