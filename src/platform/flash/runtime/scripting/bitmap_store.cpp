#include "platform/flash/runtime/scripting/bitmap_store.h"

namespace pencora::runtime {

avm1::Object* bitmapDataPrototype(avm1::Machine& m) {
    using avm1::Value;
    const Value flash = m.get(m.global(), QStringLiteral("flash"));
    const Value display =
        flash.isObject() ? m.getMember(flash, QStringLiteral("display")) : Value();
    const Value cls =
        display.isObject() ? m.getMember(display, QStringLiteral("BitmapData")) : Value();
    return cls.isObject() ? m.getMember(cls, QStringLiteral("prototype")).object() : nullptr;
}

void storePainted(avm1::BitmapDataObject& bitmap, const QImage& image, QPoint at,
                  const QRect& area) {
    const QRect target = area.intersected(QRect(at, image.size()))
                             .intersected(QRect(0, 0, bitmap.width(), bitmap.height()));
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y - at.y()));
        for (int x = target.left(); x <= target.right(); ++x) {
            const uint32_t p = row[x - at.x()];
            if (bitmap.transparent() || p >> 24 == 0xFF) {
                bitmap.setRaw(x, y, p);
            } else {
                bitmap.setPixel32(x, y, avm1::unpremultiply(p));
            }
        }
    }
}

}  // namespace pencora::runtime
