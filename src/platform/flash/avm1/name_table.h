// A map from property names to indexes, for the look-ups every variable and member access makes.
//
// Names are hashed here with a short multiply-and-xor over their UTF-16 units: Qt's string hash
// costs far more than the rest of a look-up on short names. The seed is chosen once per run, so
// a movie cannot pick names that all land in one slot. Entries are only added or all cleared,
// as the object's property table needs; an entry keeps its name, sharing the object's string.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace pencora::avm1 {

inline uint32_t hashName(const QString& name);

// Whether two names are the same, case and all. Names that share their characters (both
// from one push literal) are settled by the pointers; others are short, and a loop costs less
// than a call of memcmp.
inline bool sameName(const QString& a, const QString& b) {
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

// A name with its hashName(), worked out once and handed down a walk that asks one object
// after another (the scope chain, a prototype chain).
struct HashedName {
    explicit HashedName(const QString& name) : text(name), hash(hashName(name)) {}
    HashedName(const QString& name, uint32_t nameHash) : text(name), hash(nameHash) {}
    const QString& text;
    uint32_t hash;
};

class NameTable {
  public:
    static constexpr uint32_t kAbsent = UINT32_MAX;

    // The index stored for `name`, or kAbsent; `hash` is hashName(name), for callers that look
    // the same name up in several tables.
    uint32_t find(const QString& name) const;
    uint32_t find(const QString& name, uint32_t hash) const {
        return size_ == 0 ? kAbsent : slots_[slotOf(name, hash)].index;
    }
    bool contains(const QString& name) const { return find(name) != kAbsent; }
    // Adds `name` unless it is there; an existing entry keeps its index.
    void insert(const QString& name, uint32_t index);
    void clear();
    bool isEmpty() const { return size_ == 0; }

  private:
    struct Slot {
        QString name;
        uint32_t hash = 0;
        uint32_t index = kAbsent;  // kAbsent marks an empty slot
    };

    size_t slotOf(const QString& name, uint32_t hash) const {
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
    void grow();

    std::vector<Slot> slots_;  // a power of two long, at most half full
    uint32_t size_ = 0;
};

// The seed of hashName, drawn once per run.
uint64_t makeNameSeed();

inline uint32_t hashName(const QString& name) {
    static const uint64_t seed = makeNameSeed();
    uint64_t h = seed ^ uint64_t(name.size());
    const QChar* p = name.constData();
    for (qsizetype i = 0, n = name.size(); i < n; ++i) {
        h = (h ^ p[i].unicode()) * 0x100000001B3ull;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return uint32_t(h);
}

}  // namespace pencora::avm1
