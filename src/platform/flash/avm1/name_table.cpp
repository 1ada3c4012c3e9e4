#include "platform/flash/avm1/name_table.h"

#include <random>

namespace pencora::avm1 {

uint64_t makeNameSeed() {
    std::random_device rd;
    return (uint64_t(rd()) << 32) ^ rd() ^ 0x9E3779B97F4A7C15ull;
}

uint32_t NameTable::find(const QString& name) const {
    return find(name, hashName(name));
}

void NameTable::insert(const QString& name, uint32_t index) {
    if ((size_ + 1) * 2 > slots_.size()) {
        grow();
    }
    const uint32_t hash = hashName(name);
    Slot& slot = slots_[slotOf(name, hash)];
    if (slot.index != kAbsent) {
        return;
    }
    slot = Slot{name, hash, index};
    ++size_;
}

void NameTable::clear() {
    slots_.clear();
    size_ = 0;
}

void NameTable::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 8 : old.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (Slot& s : old) {
        if (s.index == kAbsent) {
            continue;
        }
        size_t i = s.hash & mask;
        while (slots_[i].index != kAbsent) {
            i = (i + 1) & mask;
        }
        slots_[i] = std::move(s);
    }
}

}  // namespace pencora::avm1
