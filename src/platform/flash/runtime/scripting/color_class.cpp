// The Color class of scripts: new Color(target) tints a clip through its colour transform.
// setRGB/getRGB set and read the added colour (multipliers 0); setTransform/getTransform use
// percentages (ra, ga, ba, aa) and offsets (rb, gb, bb, ab). The target is looked up on every
// call, so a Color made for a clip that has gone does nothing until a clip comes to stand at
// its path, whether the target was given as a path or as the clip.
#include <algorithm>
#include <cmath>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/natives.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

const QString kTarget = QStringLiteral("__colorTarget");

DisplayObject* targetOf(avm1::Machine& m, const Value& self) {
    avm1::Object* o = self.object();
    if (!o) {
        return nullptr;
    }
    const Value target = m.get(o, kTarget);
    ScriptHost& host = hostOf(m);
    if (target.isString()) {
        return host.displayOf(host.resolveTarget(host.level(0), target.string()));
    }
    // A reference to a removed clip stands for the clip now at its path, as everywhere else.
    return host.displayOf(avm1::currentClip(m, target.object()));
}

int16_t fixedMult(double percent) {
    return std::isfinite(percent) ? int16_t(std::clamp(percent * 256.0 / 100.0, -32768.0, 32767.0))
                                  : int16_t(0);
}

int16_t fixedAdd(double offset) {
    return std::isfinite(offset) ? int16_t(std::clamp(offset, -32768.0, 32767.0)) : int16_t(0);
}

Value colorCtor(avm1::Machine&, const Value& self, std::vector<Value>& args) {
    if (avm1::Object* o = self.object()) {
        o->put(kTarget, avm1::argAt(args, 0), avm1::kDontEnum);
    }
    return Value();
}

Value colorSetRGB(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = targetOf(m, self);
    if (!clip) {
        return Value();
    }
    const uint32_t rgb = uint32_t(m.toInt32(avm1::argAt(args, 0)));
    swf::ColorTransform& c = clip->colorTransform;
    c.rMult = c.gMult = c.bMult = 0;
    c.rAdd = int16_t((rgb >> 16) & 0xFF);
    c.gAdd = int16_t((rgb >> 8) & 0xFF);
    c.bAdd = int16_t(rgb & 0xFF);
    clip->scriptTransformed = true;
    return Value();
}

Value colorGetRGB(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* clip = targetOf(m, self);
    if (!clip) {
        return Value();
    }
    const swf::ColorTransform& c = clip->colorTransform;
    return Value(double((uint32_t(c.rAdd & 0xFF) << 16) | (uint32_t(c.gAdd & 0xFF) << 8) |
                        uint32_t(c.bAdd & 0xFF)));
}

Value colorSetTransform(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = targetOf(m, self);
    avm1::Object* t = avm1::argAt(args, 0).object();
    if (!clip || !t) {
        return Value();
    }
    swf::ColorTransform& c = clip->colorTransform;
    // Only the fields the object has change.
    auto mult = [&](const char* name, int16_t& field) {
        if (m.hasProperty(t, QLatin1String(name))) {
            field = fixedMult(m.toNumber(m.get(t, QLatin1String(name))));
        }
    };
    auto add = [&](const char* name, int16_t& field) {
        if (m.hasProperty(t, QLatin1String(name))) {
            field = fixedAdd(m.toNumber(m.get(t, QLatin1String(name))));
        }
    };
    mult("ra", c.rMult);
    mult("ga", c.gMult);
    mult("ba", c.bMult);
    mult("aa", c.aMult);
    add("rb", c.rAdd);
    add("gb", c.gAdd);
    add("bb", c.bAdd);
    add("ab", c.aAdd);
    clip->scriptTransformed = true;
    return Value();
}

Value colorGetTransform(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    DisplayObject* clip = targetOf(m, self);
    if (!clip) {
        return Value();
    }
    const swf::ColorTransform& c = clip->colorTransform;
    avm1::Object* out = m.makeObject();
    auto percent = [](int16_t v) { return Value(v * 100.0 / 256.0); };
    out->put(QStringLiteral("ra"), percent(c.rMult));
    out->put(QStringLiteral("rb"), Value(double(c.rAdd)));
    out->put(QStringLiteral("ga"), percent(c.gMult));
    out->put(QStringLiteral("gb"), Value(double(c.gAdd)));
    out->put(QStringLiteral("ba"), percent(c.bMult));
    out->put(QStringLiteral("bb"), Value(double(c.bAdd)));
    out->put(QStringLiteral("aa"), percent(c.aMult));
    out->put(QStringLiteral("ab"), Value(double(c.aAdd)));
    return Value(out);
}

}  // namespace

void installColorClass(avm1::Machine& m) {
    avm1::Object* proto = m.makeObject();
    proto->putNative(m, QStringLiteral("setRGB"), colorSetRGB);
    proto->putNative(m, QStringLiteral("getRGB"), colorGetRGB);
    proto->putNative(m, QStringLiteral("setTransform"), colorSetTransform);
    proto->putNative(m, QStringLiteral("getTransform"), colorGetTransform);
    m.defineClass(QStringLiteral("Color"), colorCtor, proto);
}

}  // namespace pencora::runtime
