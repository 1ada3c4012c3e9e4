#include "platform/flash/runtime/display/display_object.h"

#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace pencora::runtime {

DisplayObject::~DisplayObject() {
    for (auto& [d, child] : children) {
        if (child->parent == this) {
            child->parent = nullptr;
        }
    }
}

DisplayObject* DisplayObject::childAt(int d) const {
    auto it = children.find(d);
    return it == children.end() ? nullptr : it->second.get();
}

DisplayObject* DisplayObject::childNamed(const QString& n, bool caseSensitive) const {
    // The lowest depth wins when two children share a name.
    for (const auto& [d, child] : children) {
        if (child->name.compare(n, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0) {
            return child.get();
        }
    }
    return nullptr;
}

QTransform toTransform(const swf::Matrix& m) {
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

QTransform worldTransform(const DisplayObject& object) {
    QTransform t = toTransform(object.matrix);
    for (const DisplayObject* p = object.parent; p; p = p->parent) {
        t = t * toTransform(p->matrix);
    }
    return t;
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
    if (swfVersion >= 6) {
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    }
    // Movies before SWF 6 carry the author's code page; for this course that is GBK.
    QStringDecoder gbk("GB18030");
    if (gbk.isValid()) {
        QString s = gbk(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        if (!gbk.hasError()) {
            return s;
        }
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

}  // namespace pencora::runtime
