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

class NameTable {
  public:
    static constexpr uint32_t kAbsent = UINT32_MAX;

    // The index stored for `name`, or kAbsent; `hash` is hashName(name), for callers that look
    // the same name up in several tables.
    uint32_t find(const QString& name) const;
    uint32_t find(const QString& name, uint32_t hash) const;
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

    size_t slotOf(const QString& name, uint32_t hash) const;
    void grow();

    std::vector<Slot> slots_;  // a power of two long, at most half full
    uint32_t size_ = 0;
};

uint32_t hashName(const QString& name);

}  // namespace pencora::avm1
