#include "platform/flash/runtime/display/display_object.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/loaded_text.h"

namespace pencora::runtime {

DisplayObject::~DisplayObject() {
    for (auto& [d, child] : children) {
        if (child->parent == this) {
            child->parent = nullptr;
        }
    }
    setMask(*this, nullptr);
    if (masking) {
        masking->maskedBy = nullptr;
    }
}

void setMask(DisplayObject& clip, DisplayObject* mask) {
    if (clip.maskedBy) {
        clip.maskedBy->masking = nullptr;
        clip.maskedBy = nullptr;
    }
    if (!mask || mask == &clip) {
        return;
    }
    if (mask->masking) {
        mask->masking->maskedBy = nullptr;
    }
    mask->masking = &clip;
    clip.maskedBy = mask;
}

bool onDisplayList(const DisplayObject& object) {
    for (const DisplayObject* o = &object; o->parent; o = o->parent) {
        if (o->unloading || o->parent->childAt(o->depth) != o) {
            return false;
        }
    }
    return true;
}

DisplayObject* DisplayObject::childAt(int d) const {
    auto it = children.find(d);
    return it == children.end() ? nullptr : it->second.get();
}

DisplayObject* DisplayObject::childNamed(const QString& n, bool caseSensitive) const {
    return children.named(n, caseSensitive);
}

void DisplayObject::rename(const QString& newName) {
    name = newName;
    if (parent) {
        const auto it = parent->children.find(depth);
        if (it != parent->children.end() && it->second.get() == this) {
            parent->children.renamed(depth);
        }
    }
}

// ---- ChildList ----------------------------------------------------------------------------

namespace {

QString nameKey(const QString& name) {
    return name.toCaseFolded();
}

bool sameName(const QString& a, const QString& b, bool caseSensitive) {
    return a.compare(b, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
}

}  // namespace

ChildList::Slot& ChildList::Slot::operator=(std::shared_ptr<DisplayObject> child) {
    list_.place(depth_, std::move(child));
    return *this;
}

ChildList& ChildList::operator=(const ChildList& other) {
    if (this != &other) {
        map_ = other.map_;
        byName_.clear();
        keyAt_.clear();
        indexed_ = false;
    }
    return *this;
}

void ChildList::place(int depth, std::shared_ptr<DisplayObject> child) {
    unindex(depth);
    const DisplayObject* added = child.get();
    map_[depth] = std::move(child);
    index(depth, added);
}

ChildList::iterator ChildList::erase(iterator it) {
    unindex(it->first);
    return map_.erase(it);
}

std::size_t ChildList::erase(int depth) {
    unindex(depth);
    return map_.erase(depth);
}

void ChildList::clear() {
    map_.clear();
    byName_.clear();
    keyAt_.clear();
}

void ChildList::swap(Map& other) {
    map_.swap(other);
    byName_.clear();
    keyAt_.clear();
    indexed_ = false;
}

void ChildList::renamed(int depth) {
    unindex(depth);
    const auto it = map_.find(depth);
    if (it != map_.end()) {
        index(depth, it->second.get());
    }
}

void ChildList::index(int depth, const DisplayObject* child) const {
    if (!indexed_ || !child) {
        return;
    }
    QString key = nameKey(child->name);
    byName_[key][depth] = child;
    keyAt_[depth] = std::move(key);
}

void ChildList::unindex(int depth) const {
    if (!indexed_) {
        return;
    }
    const auto key = keyAt_.find(depth);
    if (key == keyAt_.end()) {
        return;
    }
    const auto bucket = byName_.find(key->second);
    if (bucket != byName_.end()) {
        bucket->erase(depth);
        if (bucket->empty()) {
            byName_.erase(bucket);
        }
    }
    keyAt_.erase(key);
}

void ChildList::buildIndex() const {
    byName_.clear();
    keyAt_.clear();
    indexed_ = true;
    for (const auto& [depth, child] : map_) {
        index(depth, child.get());
    }
}

DisplayObject* ChildList::scan(const QString& name, bool caseSensitive) const {
    for (const auto& [depth, child] : map_) {
        if (child && sameName(child->name, name, caseSensitive)) {
            return child.get();
        }
    }
    return nullptr;
}

DisplayObject* ChildList::named(const QString& name, bool caseSensitive) const {
    if (!indexed_) {
        buildIndex();
    }
    const auto bucket = byName_.constFind(nameKey(name));
    if (bucket == byName_.constEnd()) {
        return nullptr;
    }
    bool stale = false;
    for (const auto& [depth, indexed] : *bucket) {
        const auto it = map_.find(depth);
        if (it == map_.end() || it->second.get() != indexed) {
            stale = true;
            continue;
        }
        if (sameName(indexed->name, name, caseSensitive)) {
            return it->second.get();
        }
        stale = stale || nameKey(indexed->name) != bucket.key();
    }
    if (!stale) {
        return nullptr;
    }
    // A child renamed or replaced behind the index's back: read the list itself once and
    // index it again.
    DisplayObject* found = scan(name, caseSensitive);
    buildIndex();
    return found;
}

QTransform toTransform(const swf::Matrix& m) {
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

QTransform worldTransform(const DisplayObject& object) {
    QTransform t = toTransform(object.matrix);
    for (const DisplayObject* p = object.parent; p; p = p->parent) {
        t = t * scrollShift(*p) * toTransform(p->matrix);
    }
    return t;
}

QTransform scrollShift(const DisplayObject& object) {
    if (!object.scrollRect) {
        return {};
    }
    return QTransform::fromTranslate(-object.scrollRect->x() * 20, -object.scrollRect->y() * 20);
}

QTransform contentTransform(const DisplayObject& object) {
    return scrollShift(object) * worldTransform(object);
}

bool insideScrollRects(const DisplayObject& object, QPointF stage) {
    for (const DisplayObject* o = &object; o; o = o->parent) {
        if (!o->scrollRect) {
            continue;
        }
        bool invertible = false;
        const QPointF local = worldTransform(*o).inverted(&invertible).map(stage);
        const QRectF shown(0, 0, o->scrollRect->width() * 20, o->scrollRect->height() * 20);
        // The rectangle holds its left and top edges, not its right and bottom ones.
        if (!invertible || local.x() < shown.left() || local.y() < shown.top() ||
            local.x() >= shown.right() || local.y() >= shown.bottom()) {
            return false;
        }
    }
    return true;
}

ColorTransformF worldColorTransform(const DisplayObject& object) {
    ColorTransformF c = ColorTransformF::from(object.colorTransform);
    for (const DisplayObject* p = object.parent; p; p = p->parent) {
        c = ColorTransformF::from(p->colorTransform).after(c);
    }
    return c;
}

ColorTransformF ColorTransformF::from(const swf::ColorTransform& c) {
    return {c.rMult / 256.0, c.gMult / 256.0, c.bMult / 256.0, c.aMult / 256.0,
            double(c.rAdd),  double(c.gAdd),  double(c.bAdd),  double(c.aAdd)};
}

ColorTransformF ColorTransformF::after(const ColorTransformF& in) const {
    return {rMult * in.rMult,       gMult * in.gMult,       bMult * in.bMult,
            aMult * in.aMult,       rMult * in.rAdd + rAdd, gMult * in.gAdd + gAdd,
            bMult * in.bAdd + bAdd, aMult * in.aAdd + aAdd};
}

swf::ColorTransform ColorTransformF::toFixed() const {
    auto m = [](double v) { return int16_t(std::lround(std::clamp(v * 256, -32768.0, 32767.0))); };
    auto a = [](double v) { return int16_t(std::lround(std::clamp(v, -32768.0, 32767.0))); };
    return {m(rMult), m(gMult), m(bMult), m(aMult), a(rAdd), a(gAdd), a(bAdd), a(aAdd)};
}

bool ColorTransformF::isIdentity() const {
    return *this == ColorTransformF{};
}

swf::Rgba ColorTransformF::apply(swf::Rgba c) const {
    auto ch = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 255.0))); };
    return {ch(c.r * rMult + rAdd), ch(c.g * gMult + gAdd), ch(c.b * bMult + bAdd),
            ch(c.a * aMult + aAdd)};
}

QString movieText(const std::string& bytes, int swfVersion) {
    return avm1::decodeMovieString(bytes, swfVersion);
}

}  // namespace pencora::runtime
