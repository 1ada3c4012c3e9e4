// Bitmaps that are no character of a movie: MovieClip.attachBitmap shows a script's BitmapData
// (and follows later changes to its pixels), and a clip that loads a JPEG, PNG or GIF file shows
// the image.
#include "platform/flash/avm1/bitmap_data.h"
#include "platform/flash/render/bitmap_decode.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Value;

QImage pixelsOf(const avm1::BitmapDataObject& b) {
    if (b.disposed()) {
        return {};
    }
    QImage image(b.width(), b.height(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < b.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            row[x] = b.raw(x, y);
        }
    }
    return image;
}

avm1::BitmapDataObject* bitmapDataOf(const Value& v) {
    avm1::Object* o = v.object();
    return o && o->kind() == avm1::ObjectKind::Host ? dynamic_cast<avm1::BitmapDataObject*>(o)
                                                    : nullptr;
}

namespace {

// mc.attachBitmap(bitmap, depth[, pixelSnapping[, smoothing]])
Value attachBitmap(Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* parent = thisClip(m, self);
    avm1::BitmapDataObject* bitmap = bitmapDataOf(argAt(args, 0));
    if (!parent || !bitmap || args.size() < 2) {
        return {};
    }
    const auto depth = scriptDepth(m, args[1]);
    if (!depth) {
        return {};
    }
    const bool smoothing = args.size() > 3 && m.toBoolean(args[3]);
    ScriptHost& host = hostOf(m);
    if (DisplayObject* placed = host.player().placeBitmap(*parent, *depth, nullptr)) {
        host.attachBitmap(*placed, bitmap, smoothing);
    }
    return {};
}

}  // namespace

void installClipBitmaps(Machine& m, avm1::Object* proto) {
    proto->putNative(m, QStringLiteral("attachBitmap"), attachBitmap,
                     avm1::kDontEnum | avm1::kVersion8);
}

void ScriptHost::attachBitmap(DisplayObject& object, avm1::Object* bitmap, bool smoothing) {
    attachedBitmaps_.push_back({player_.sharedOf(object), bitmap, smoothing, QImage()});
    refreshAttachedBitmaps();
}

void ScriptHost::refreshAttachedBitmaps() {
    std::erase_if(attachedBitmaps_, [](const AttachedBitmap& a) { return a.object.expired(); });
    for (AttachedBitmap& a : attachedBitmaps_) {
        auto* data = static_cast<avm1::BitmapDataObject*>(a.bitmap);
        QImage now = pixelsOf(*data);
        if (now == a.shown && !a.shown.isNull()) {
            continue;
        }
        a.shown = now;
        auto object = a.object.lock();
        object->drawing = makeBitmapDrawing(now, a.smoothing);
    }
}

DisplayObject* Player::placeBitmap(DisplayObject& parent, int depth,
                                   std::shared_ptr<const CharacterDrawing> drawing) {
    auto object = std::make_shared<DisplayObject>();
    object->kind = ObjectKind::Bitmap;
    object->depth = depth;
    object->parent = &parent;
    object->movie = parent.movie;
    object->serial = nextSerial();
    object->fromTimeline = false;
    object->drawing = std::move(drawing);
    if (parent.childAt(depth)) {
        removeObject(parent, depth);
    }
    DisplayObject* placed = object.get();
    parent.children[depth] = std::move(object);
    return placed;
}

// A loaded file as an image: JPEG, PNG or GIF by their signatures, null for anything else.
QImage decodeLoadedImage(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const std::span<const uint8_t> d(bytes, size_t(data.size()));
    auto starts = [&](std::initializer_list<uint8_t> p) {
        return d.size() >= p.size() && std::equal(p.begin(), p.end(), d.begin());
    };
    if (!starts({0xff, 0xd8}) && !starts({0x89, 'P', 'N', 'G'}) && !starts({'G', 'I', 'F', '8'})) {
        return {};
    }
    swf::JpegBitmap bitmap;
    bitmap.data.assign(d.begin(), d.end());
    return swf::render::decodeJpegBitmap(bitmap, {});
}

}  // namespace pencora::runtime
