// flash.display.BitmapData as a pixel buffer of the machine (bitmap_data.h): construction with
// the size limits of the movie's version, pixel access, fills and the simple pixel operations.
// Drawing one on the stage belongs to the runtime.
//
// Like the original, a method called with too few arguments or on a disposed bitmap does
// nothing and answers -1; one that changed pixels answers 0 (bitmap_data_thorough tests).
#include <cmath>
#include <optional>

#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/avm1/builtins/bitmap_data_args.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace bitmap_args {

BitmapDataObject* bitmapOf(const Value& v) {
    return dynamic_cast<BitmapDataObject*>(nativeOf(v.object()));
}

BitmapDataObject* live(const Value& v) {
    BitmapDataObject* b = bitmapOf(v);
    return b && !b->disposed() ? b : nullptr;
}

Object* geomClass(Machine& m, const char* name) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    Object* geom = flash ? m.get(flash, QStringLiteral("geom")).object() : nullptr;
    return geom ? m.get(geom, QString::fromLatin1(name)).object() : nullptr;
}

// A flash.geom.Rectangle when the class exists, else a plain object with its four fields.
Value makeRectangle(Machine& m, double x, double y, double w, double h) {
    std::vector<Value> args{Value(x), Value(y), Value(w), Value(h)};
    if (Object* ctor = geomClass(m, "Rectangle")) {
        return m.construct(Value(ctor), args);
    }
    Object* o = m.makeObject();
    const char* names[] = {"x", "y", "width", "height"};
    for (size_t i = 0; i < 4; ++i) {
        o->put(QString::fromLatin1(names[i]), args[i]);
    }
    return Value(o);
}

// ({} and {x, y, height} make fillRect answer -1.)
std::optional<Rect> rectOf(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return std::nullopt;
    }
    int fields[4];
    const char* names[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        Value f = m.getMember(v, QString::fromLatin1(names[i]));
        if (f.isUndefined()) {
            return std::nullopt;
        }
        fields[i] = m.toInt32(f);
    }
    return Rect{fields[0], fields[1], fields[2], fields[3]};
}

std::optional<XY> pointOf(Machine& m, const Value& v) {
    if (!v.isObject()) {
        return std::nullopt;
    }
    Value x = m.getMember(v, QStringLiteral("x"));
    Value y = m.getMember(v, QStringLiteral("y"));
    if (x.isUndefined() || y.isUndefined()) {
        return std::nullopt;
    }
    return XY{m.toInt32(x), m.toInt32(y)};
}

}  // namespace bitmap_args

namespace {

using namespace bitmap_args;

int intArg(Machine& m, const std::vector<Value>& args, size_t i) {
    return m.toInt32(argAt(args, i));
}

uint32_t colorArg(Machine& m, const std::vector<Value>& args, size_t i) {
    return uint32_t(m.toInt32(argAt(args, i)));
}

// new BitmapData(width, height[, transparent = true[, fill = 0xFFFFFFFF]]). Too few arguments
// or a size beyond the version's limit make `new` give undefined.
Value bitmapCtor(Machine& m, const Value& self, std::vector<Value>& args) {
    auto* b = dynamic_cast<BitmapDataObject*>(self.object());
    if (!b || args.size() < 2) {
        return Value();
    }
    const int64_t w = m.toInt32(args[0]);
    const int64_t h = m.toInt32(args[1]);
    if (!BitmapDataObject::sizeAllowed(w, h, m.version())) {
        return Value();
    }
    const bool transparent = args.size() > 2 ? m.toBoolean(args[2]) : true;
    const uint32_t fill = args.size() > 3 ? colorArg(m, args, 3) : 0xFFFFFFFFu;
    m.heap().charge(size_t(w * h) * sizeof(uint32_t));
    b->create(int(w), int(h), transparent, fill);
    return self;
}

Value getWidth(Machine&, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    return b ? Value(b->width()) : Value(kFailed);
}

Value getHeight(Machine&, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    return b ? Value(b->height()) : Value(kFailed);
}

Value getTransparent(Machine&, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    return b ? Value(b->transparent()) : Value(kFailed);
}

Value getRectangle(Machine& m, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    return b ? makeRectangle(m, 0, 0, b->width(), b->height()) : Value(kFailed);
}

Value getPixel(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    return Value(double(b->pixel32(intArg(m, args, 0), intArg(m, args, 1)) & 0xFFFFFF));
}

Value getPixel32(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    return Value(double(int32_t(b->pixel32(intArg(m, args, 0), intArg(m, args, 1)))));
}

Value setPixel(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) {
        return Value(kFailed);
    }
    b->setPixel(intArg(m, args, 0), intArg(m, args, 1), colorArg(m, args, 2));
    return Value(kDone);
}

Value setPixel32(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) {
        return Value(kFailed);
    }
    b->setPixel32(intArg(m, args, 0), intArg(m, args, 1), colorArg(m, args, 2));
    return Value(kDone);
}

Value fillRect(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    std::optional<Rect> r = rectOf(m, args[0]);
    if (!r) {
        return Value(kFailed);
    }
    b->fillRect(r->x, r->y, r->w, r->h, colorArg(m, args, 1));
    return Value(kDone);
}

Value floodFill(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) {
        return Value(kFailed);
    }
    return Value(b->floodFill(intArg(m, args, 0), intArg(m, args, 1), colorArg(m, args, 2)) ? 1
                                                                                            : 0);
}

Value scroll(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    b->scroll(intArg(m, args, 0), intArg(m, args, 1));
    return Value(kDone);
}

// colorTransform(rect, transform): answers -2 for a bad rectangle and -3 for anything but a
// real ColorTransform, -1 otherwise, the same as for too few arguments (bitmap_data_thorough).
Value colorTransform(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 2) {
        return Value(kFailed);
    }
    std::optional<Rect> r = rectOf(m, args[0]);
    if (!r) {
        return Value(-2);
    }
    Object* ctClass = geomClass(m, "ColorTransform");
    if (!ctClass || !m.instanceOf(args[1], ctClass)) {
        return Value(-3);
    }
    const char* names[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                           "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};
    double t[8];
    for (size_t i = 0; i < 8; ++i) {
        t[i] = m.toNumber(m.getMember(args[1], QString::fromLatin1(names[i])));
    }
    b->colorTransform(r->x, r->y, r->w, r->h, t);
    return Value(kFailed);
}

// compare(other): -2 when other is no live bitmap, -3 / -4 when the widths / heights differ,
// otherwise a new transparent bitmap of the differences: where the colours differ, opaque
// with the channel differences; where only alpha differs, white with the alpha difference.
Value compare(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.empty()) {
        return Value(kFailed);
    }
    BitmapDataObject* o = live(args[0]);
    if (!o) {
        return Value(-2);
    }
    if (o->width() != b->width()) {
        return Value(-3);
    }
    if (o->height() != b->height()) {
        return Value(-4);
    }
    auto* diff = m.heap().make<BitmapDataObject>(b->proto());
    m.heap().charge(size_t(b->width()) * size_t(b->height()) * sizeof(uint32_t));
    diff->create(b->width(), b->height(), true, 0);
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width(); ++x) {
            const uint32_t p = b->pixel32(x, y);
            const uint32_t q = o->pixel32(x, y);
            uint32_t d = 0;
            if ((p & 0xFFFFFF) != (q & 0xFFFFFF)) {
                auto sub = [&](int shift) {
                    return ((((p >> shift) & 0xFF) - ((q >> shift) & 0xFF)) & 0xFF) << shift;
                };
                d = 0xFF000000u | sub(16) | sub(8) | sub(0);
            } else if (p != q) {
                d = ((((p >> 24) - (q >> 24)) & 0xFF) << 24) | 0xFFFFFF;
            }
            diff->setPixel32(x, y, d);
        }
    }
    return Value(diff);
}

bool opaqueEnough(const BitmapDataObject& b, int x, int y, int threshold) {
    return b.contains(x, y) && int(b.pixel32(x, y) >> 24) >= threshold;
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject[, secondPoint, secondAlphaThreshold]):
// this bitmap sits at firstPoint; secondObject is a Point, a Rectangle or another bitmap placed
// at secondPoint. A bad firstPoint answers -2, a bad second object -3, a bad second point -4;
// an object with x and y that is none of these simply misses.
Value hitTest(Machine& m, const Value& self, std::vector<Value>& args) {
    BitmapDataObject* b = live(self);
    if (!b || args.size() < 3) {
        return Value(kFailed);
    }
    std::optional<XY> first = pointOf(m, args[0]);
    if (!first) {
        return Value(-2);
    }
    const int threshold = intArg(m, args, 1);
    const Value& second = args[2];
    if (BitmapDataObject* o = bitmapOf(second)) {
        if (o->disposed()) {
            return Value(-3);
        }
        XY at;
        if (args.size() > 3) {
            std::optional<XY> p = pointOf(m, args[3]);
            if (!p) {
                return Value(-4);
            }
            at = *p;
        }
        const int threshold2 = args.size() > 4 ? intArg(m, args, 4) : 1;
        // Stage pixels both bitmaps cover.
        const int64_t x0 = std::max<int64_t>(first->x, at.x);
        const int64_t y0 = std::max<int64_t>(first->y, at.y);
        const int64_t x1 =
            std::min<int64_t>(int64_t(first->x) + b->width(), int64_t(at.x) + o->width());
        const int64_t y1 =
            std::min<int64_t>(int64_t(first->y) + b->height(), int64_t(at.y) + o->height());
        for (int64_t y = y0; y < y1; ++y) {
            for (int64_t x = x0; x < x1; ++x) {
                if (opaqueEnough(*b, int(x - first->x), int(y - first->y), threshold) &&
                    opaqueEnough(*o, int(x - at.x), int(y - at.y), threshold2)) {
                    return Value(true);
                }
            }
        }
        return Value(false);
    }
    std::optional<XY> p = pointOf(m, second);
    if (!p) {
        return Value(-3);
    }
    if (Object* rectClass = geomClass(m, "Rectangle");
        rectClass && m.instanceOf(second, rectClass)) {
        std::optional<Rect> r = rectOf(m, second);
        if (!r) {
            return Value(-3);
        }
        // Only the part of the rectangle over the bitmap matters.
        const int64_t x0 = std::max<int64_t>(r->x, first->x);
        const int64_t y0 = std::max<int64_t>(r->y, first->y);
        const int64_t x1 = std::min<int64_t>(int64_t(r->x) + r->w, int64_t(first->x) + b->width());
        const int64_t y1 = std::min<int64_t>(int64_t(r->y) + r->h, int64_t(first->y) + b->height());
        for (int64_t y = y0; y < y1; ++y) {
            for (int64_t x = x0; x < x1; ++x) {
                if (opaqueEnough(*b, int(x - first->x), int(y - first->y), threshold)) {
                    return Value(true);
                }
            }
        }
        return Value(false);
    }
    Object* pointClass = geomClass(m, "Point");
    if (!pointClass || !m.instanceOf(second, pointClass)) {
        return Value(false);
    }
    return Value(opaqueEnough(*b, p->x - first->x, p->y - first->y, threshold));
}

Value dispose(Machine&, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    if (!b) {
        return Value(kFailed);
    }
    b->dispose();
    return Value();
}

Value clone(Machine& m, const Value& self, std::vector<Value>&) {
    BitmapDataObject* b = live(self);
    if (!b) {
        return Value(kFailed);
    }
    auto* copy = m.heap().make<BitmapDataObject>(b->proto());
    m.heap().charge(size_t(b->width()) * size_t(b->height()) * sizeof(uint32_t));
    copy->create(b->width(), b->height(), b->transparent(), 0);
    for (int y = 0; y < b->height(); ++y) {
        for (int x = 0; x < b->width(); ++x) {
            copy->setRaw(x, y, b->raw(x, y));
        }
    }
    return Value(copy);
}

// draw, applyFilter and generateFilterRect need the renderer, which the runtime brings: it
// replaces these. Without it they answer -1 on a disposed bitmap, as every method does, and
// otherwise leave the pixels as they are.
Value notDrawnYet(Machine&, const Value& self, std::vector<Value>&) {
    return live(self) ? Value() : Value(kFailed);
}

const NativeEntry kPrototype[] = {
    {"getPixel", getPixel},
    {"getPixel32", getPixel32},
    {"setPixel", setPixel},
    {"setPixel32", setPixel32},
    {"fillRect", fillRect},
    {"floodFill", floodFill},
    {"scroll", scroll},
    {"colorTransform", colorTransform},
    {"compare", compare},
    {"hitTest", hitTest},
    {"dispose", dispose},
    {"clone", clone},
    {"draw", notDrawnYet},
    {"applyFilter", notDrawnYet},
    {"generateFilterRect", notDrawnYet},
};

const NativeEntry kGetters[] = {
    {"width", getWidth},
    {"height", getHeight},
    {"transparent", getTransparent},
    {"rectangle", getRectangle},
};

// `new`: the bitmap replaces the plain object the machine made, taking over its prototype and
// constructor links.
Value constructBitmap(Machine& m, const Value& self, std::vector<Value>& args) {
    Object* plain = self.object();
    auto* b = m.heap().make<BitmapDataObject>(plain ? plain->proto() : nullptr);
    if (plain) {
        for (const Property& p : plain->properties()) {
            b->put(p.name, p.value, p.flags);
        }
    }
    return bitmapCtor(m, Value(b), args);
}

}  // namespace

void installBitmapData(Machine& m) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    if (!flash) {
        return;
    }
    Object* display = m.get(flash, QStringLiteral("display")).object();
    if (!display) {
        display = m.makeObject();
        flash->put(QStringLiteral("display"), Value(display));
    }
    Object* proto = m.makeObject();
    installTable(m, proto, kPrototype);
    installBitmapDataCopies(m, proto);
    installBitmapDataNoise(m, proto);
    for (const NativeEntry& g : kGetters) {
        const QString name = QString::fromLatin1(g.name);
        // Enumerable: a for..in over a bitmap lists them (bitmap_data_thorough compare test).
        proto->put(name, Value(), 0);
        proto->find(name, 100)->getter = m.makeNative(g.fn);
    }
    FunctionObject* ctor = m.makeClass(bitmapCtor, proto, constructBitmap);
    ctor->constructMayFail = true;
    display->put(QStringLiteral("BitmapData"), Value(ctor));
}

}  // namespace pencora::avm1
