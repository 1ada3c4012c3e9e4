// The heap of script objects: allocation with a byte cap, mark and sweep between runs.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "platform/flash/avm1/limits.h"
#include "platform/flash/avm1/object.h"

namespace pencora::avm1 {

// Tables that hold objects weakly: an entry lives as long as its key does. After everything
// reachable is marked, `markLive` marks what the entries of marked keys hold (it is called
// again while that marks more); `dropDead` then forgets the entries whose keys go.
struct WeakTables {
    std::function<void(Tracer&)> markLive;
    std::function<void()> dropDead;
};

class Heap {
  public:
    Heap() = default;
    ~Heap();
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    template <class T, class... Args>
    T* make(Args&&... args) {
        if (bytes_ > cap_) {
            throw LimitExceeded{LimitExceeded::Kind::Memory};
        }
        T* o = new T(std::forward<Args>(args)...);
        objects_.push_back(o);
        bytes_ += sizeof(T) + 64;
        return o;
    }
    // Strings and element stores grow outside make(); their owners charge them here.
    void charge(size_t bytes) {
        bytes_ += bytes;
        if (bytes_ > cap_) {
            throw LimitExceeded{LimitExceeded::Kind::Memory};
        }
    }
    void setCap(size_t bytes) { cap_ = bytes; }
    size_t bytes() const { return bytes_; }
    size_t objectCount() const { return objects_.size(); }
    // Marks from the roots, frees the rest, recounts the bytes in use.
    void collect(const std::function<void(Tracer&)>& markRoots, const WeakTables& weak = {});
    // Whether the collection under way has found `o` reachable (for WeakTables).
    static bool reached(const Object* o) { return o && o->marked; }

  private:
    std::vector<Object*> objects_;
    size_t bytes_ = 0;
    size_t cap_ = size_t(512) << 20;
};

}  // namespace pencora::avm1
