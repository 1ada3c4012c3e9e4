// Target paths: slash syntax ("/a/b", "../c", "_level1/a") and dot syntax ("_root.a.b",
// "_parent.c", "_level1.a"), read as avm1/path_syntax.h says. Instance names match ignoring
// case before SWF 7.
#include "platform/flash/avm1/path_syntax.h"
#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

namespace {

DisplayObject* movieRoot(DisplayObject* o) {
    while (o && o->parent) {
        o = o->parent;
    }
    return o;
}

std::optional<int> levelNumber(const QString& segment) {
    static const QString kLevel = QStringLiteral("_level");
    if (!segment.startsWith(kLevel, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    bool ok = false;
    const int n = segment.mid(kLevel.size()).toInt(&ok);
    return ok && n >= 0 ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

DisplayObject* Player::resolveTarget(DisplayObject* base, const QString& path) const {
    if (!base) {
        base = root(0);
    }
    if (path.isEmpty() || !base) {
        return base;
    }
    const std::optional<avm1::ParsedPath> parsed = avm1::parsePath(path);
    if (!parsed) {
        return nullptr;
    }
    DisplayObject* at = parsed->fromRoot ? movieRoot(base) : base;
    const bool caseSensitive = base->movie && base->movie->version() >= 7;
    for (const avm1::PathStep& step : parsed->steps) {
        if (!at) {
            return nullptr;
        }
        const QString& s = step.name;
        if (step.kind == avm1::PathStep::Kind::Parent ||
            s.compare(u"_parent", Qt::CaseInsensitive) == 0) {
            at = at->parent;
        } else if (s.compare(u"_root", Qt::CaseInsensitive) == 0) {
            at = movieRoot(at);
        } else if (s.compare(u"this", Qt::CaseInsensitive) == 0) {
        } else if (auto n = levelNumber(s)) {
            at = root(*n);
        } else if (DisplayObject* child = at->childNamed(s, caseSensitive)) {
            // A named shape, static text or bitmap stands for the clip it is in.
            if (child->isClip() || child->kind == ObjectKind::Button ||
                child->kind == ObjectKind::EditText) {
                at = child;
            }
        } else {
            return nullptr;
        }
    }
    return at;
}

QString Player::targetPath(const DisplayObject& object, bool slashForm) const {
    QStringList names;
    const DisplayObject* o = &object;
    for (; o->parent; o = o->parent) {
        names.prepend(o->name);
    }
    const int layer = o->movie ? o->movie->layer : 0;
    if (slashForm) {
        const QString head = layer == 0 ? QString() : QStringLiteral("_level%1").arg(layer);
        return head + u'/' + names.join(u'/');
    }
    QString s = QStringLiteral("_level%1").arg(layer);
    for (const QString& n : names) {
        s += u'.' + n;
    }
    return s;
}

}  // namespace pencora::runtime
