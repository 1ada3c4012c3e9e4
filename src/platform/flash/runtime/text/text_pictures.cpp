#include "platform/flash/runtime/text/text_pictures.h"

#include <cmath>

#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/display/clip_bounds.h"
#include "platform/flash/runtime/display/shared_library.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/text_field_class.h"

namespace pencora::runtime {

using avm1::Machine;
using avm1::Value;

namespace {

// A field inside the clip of another field's picture may show pictures of its own, but not
// one level further: a symbol whose field shows that same symbol would nest without end.
constexpr int kMaxPictureNesting = 2;

int pictureDepth(size_t index) {
    return int(index) + 1;
}

// The picture a clip of the field stands for, if it is one of them.
const TextPicture* pictureOf(const DisplayObject& field, const DisplayObject& clip) {
    if (!field.field || clip.parent != &field) {
        return nullptr;
    }
    const size_t index = size_t(clip.depth - 1);
    return clip.depth >= 1 && index < field.field->pictures.size() ? &field.field->pictures[index]
                                                                   : nullptr;
}

bool mayShowPictures(const DisplayObject& field) {
    int nesting = 0;
    for (const DisplayObject* o = &field; o->parent; o = o->parent) {
        if (o != &field && o->parent->field && ++nesting >= kMaxPictureNesting) {
            return false;
        }
    }
    return true;
}

std::optional<uint16_t> symbolNamed(const DisplayObject& field, const QString& name) {
    if (!field.movie || !field.movie->movie) {
        return std::nullopt;
    }
    if (auto id = exportedCharacter(*field.movie, name)) {
        return id;
    }
    return importedCharacter(*field.movie, name);
}

void placePicture(ScriptHost& host, DisplayObject& field, size_t index) {
    // A copy: the scripts placing runs may give the field other markup.
    const TextPicture p = field.field->pictures[index];
    const std::optional<uint16_t> symbol = symbolNamed(field, p.src);
    Player::ScriptPlacement place{symbol.value_or(0), pictureDepth(index), p.id, nullptr};
    DisplayObject* clip = host.placeClip(field, place, nullptr);
    if (!clip) {
        return;
    }
    if (p.id.isEmpty()) {
        host.player().nameInstance(*clip);
    }
    if (!symbol) {
        // Not a symbol: a file, fetched as loadMovie fetches one.
        LoadTarget target{-1, host.player().sharedOf(*clip)};
        host.loader().loadMovie(target, p.src, QStringLiteral("GET"), {}, nullptr);
    }
}

// Replaces the field's clips with new ones for the pictures its markup has now.
void placePictures(ScriptHost& host, DisplayObject& field) {
    TextField& f = *field.field;
    f.picturesPlaced = f.picturesSet;
    std::vector<int> depths;
    for (const auto& [depth, child] : field.children) {
        depths.push_back(depth);
    }
    for (int depth : depths) {
        host.player().removeObject(field, depth);
    }
    if (!mayShowPictures(field)) {
        return;
    }
    const uint64_t set = f.picturesSet;
    for (size_t i = 0; i < f.pictures.size() && field.field.get() == &f && f.picturesSet == set;
         ++i) {
        placePicture(host, field, i);
    }
}

// What a clip shows, in its own twips; nothing while it shows nothing.
std::optional<QRectF> ownArea(const DisplayObject& clip) {
    const std::optional<QRectF> r = contentBounds(clip, QTransform(), true);
    if (!r || r->width() <= 0 || r->height() <= 0) {
        return std::nullopt;
    }
    return r;
}

// Takes each picture's own size from what its clip shows; answers whether one changed.
bool measurePictures(DisplayObject& field) {
    bool changed = false;
    std::vector<TextPicture>& pictures = field.field->pictures;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const DisplayObject* clip = field.childAt(pictureDepth(i));
        const std::optional<QRectF> area = clip ? ownArea(*clip) : std::nullopt;
        const std::optional<QSizeF> size =
            area ? std::optional<QSizeF>(area->size()) : std::nullopt;
        if (size != pictures[i].ownSize) {
            pictures[i].ownSize = size;
            changed = true;
        }
    }
    return changed;
}

}  // namespace

void syncTextPictures(ScriptHost& host, DisplayObject& field) {
    if (!field.field) {
        return;
    }
    std::shared_ptr<TextField> keep = field.field;
    bool changed = false;
    if (keep->picturesPlaced != keep->picturesSet) {
        placePictures(host, field);
        changed = true;
    }
    if (field.field != keep) {
        return;  // a script the placing ran gave the object other text
    }
    if (measurePictures(field) || changed) {
        textFieldChanged(field);
    }
}

void arrangeTextPictures(DisplayObject& field, const TextLayout& layout) {
    const TextField& f = *field.field;
    if (f.pictures.empty() && field.children.empty()) {
        field.childClip.reset();
        return;
    }
    field.childClip = f.bounds;
    const double scrollTop = f.scroll > 1 && size_t(f.scroll - 1) < layout.lines.size()
                                 ? layout.lines[size_t(f.scroll - 1)].y - kGutter
                                 : 0;
    const QPointF shift = f.bounds.topLeft() - QPointF(f.hscroll * 20.0, scrollTop);
    for (size_t i = 0; i < layout.pictureBoxes.size(); ++i) {
        DisplayObject* clip = field.childAt(pictureDepth(i));
        if (!clip || clip->scriptTransformed) {
            continue;  // a script has moved it: it stays where the script put it
        }
        const QRectF box = layout.pictureBoxes[i].translated(shift);
        const std::optional<QRectF> own = ownArea(*clip);
        const double sx = own ? box.width() / own->width() : 1;
        const double sy = own ? box.height() / own->height() : 1;
        const QPointF origin = own ? own->topLeft() : QPointF();
        swf::Matrix m;
        m.a = sx;
        m.d = sy;
        m.tx = int32_t(std::lround(box.left() - origin.x() * sx));
        m.ty = int32_t(std::lround(box.top() - origin.y() * sy));
        clip->matrix = m;
    }
}

Value getImageReference(Machine& m, const Value& self, std::vector<Value>& args) {
    ScriptHost& host = hostOf(m);
    DisplayObject* field = host.displayOf(self.object());
    if (!field || !field->field || args.empty() || !field->movie || field->movie->version() < 8) {
        return {};
    }
    const QString id = m.toString(args[0]);
    for (const auto& [depth, child] : field->children) {
        const TextPicture* p = pictureOf(*field, *child);
        if (p && !p->id.isEmpty() && p->id == id) {
            return Value(host.scriptObject(*child));
        }
    }
    return {};
}

}  // namespace pencora::runtime
