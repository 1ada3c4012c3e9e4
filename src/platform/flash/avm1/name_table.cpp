#include "platform/flash/avm1/name_table.h"

#include <random>

namespace pencora::avm1 {

namespace {

// Names that share their characters (both from one push literal) are settled by the pointers;
// others are short, and a loop here costs less than a call of memcmp.
bool sameName(const QString& a, const QString& b) {
    const qsizetype n = a.size();
    if (n != b.size()) {
        return false;
    }
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    if (pa == pb) {
        return true;
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] != pb[i]) {
            return false;
        }
    }
    return true;
}

uint64_t runSeed() {
    static const uint64_t seed = [] {
        std::random_device rd;
        return (uint64_t(rd()) << 32) ^ rd() ^ 0x9E3779B97F4A7C15ull;
    }();
    return seed;
}

}  // namespace

uint32_t hashName(const QString& name) {
    uint64_t h = runSeed() ^ uint64_t(name.size());
    const QChar* p = name.constData();
    for (qsizetype i = 0, n = name.size(); i < n; ++i) {
        h = (h ^ p[i].unicode()) * 0x100000001B3ull;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return uint32_t(h);
}

size_t NameTable::slotOf(const QString& name, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].index != kAbsent) {
        if (slots_[i].hash == hash && sameName(slots_[i].name, name)) {
            return i;
        }
        i = (i + 1) & mask;
    }
    return i;
}

uint32_t NameTable::find(const QString& name) const {
    return find(name, hashName(name));
}

uint32_t NameTable::find(const QString& name, uint32_t hash) const {
    if (size_ == 0) {
        return kAbsent;
    }
    return slots_[slotOf(name, hash)].index;
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
