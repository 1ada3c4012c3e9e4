#include "platform/flash/runtime/display/movie_loader.h"

#include <QUrl>

#include <algorithm>

#include "platform/flash/avm1/loaded_text.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/display/movie_url.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/display/shared_library.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/swf/movie.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

QString formDecode(const QString& s, bool inCodePage = false) {
    return avm1::formDecoded(s, inCodePage);
}

// The variables of an address's query ("a.swf?x=1&y=2"), set on the clip a movie loads into,
// as the host's FlashVars are on the first movie.
void setQueryVariables(avm1::Machine& m, avm1::Object* clip, QString url) {
    const qsizetype query = url.indexOf(QLatin1Char('?'));
    if (!clip || query < 0) {
        return;
    }
    url.truncate(url.indexOf(QLatin1Char('#')) < 0 ? url.size() : url.indexOf(QLatin1Char('#')));
    for (const QString& pair : url.mid(query + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        m.set(clip, formDecode(eq < 0 ? pair : pair.left(eq)),
              Value(eq < 0 ? QString() : formDecode(pair.mid(eq + 1))));
    }
}

bool sameTarget(const LoadTarget& a, const LoadTarget& b) {
    if (a.level >= 0 || b.level >= 0) {
        return a.level == b.level;
    }
    auto clip = a.clip.lock();
    return clip && clip == b.clip.lock();
}

int scriptVersion(ScriptHost& host) {
    DisplayObject* root = host.player().root(0);
    return root && root->movie ? root->movie->version() : 8;
}

}  // namespace

QByteArray encodeClipVariables(avm1::Machine& m, avm1::Object* clip) {
    QByteArray out;
    if (!clip) {
        return out;
    }
    for (const avm1::Property& p : clip->properties()) {
        const Value& v = p.value;
        if (p.getter || (v.object() && v.object()->kind() == avm1::ObjectKind::Function)) {
            continue;
        }
        if (!out.isEmpty()) {
            out += '&';
        }
        out += QUrl::toPercentEncoding(p.name) + '=' + QUrl::toPercentEncoding(m.toString(v));
    }
    return out;
}

QString MovieLoader::decodeText(const QByteArray& data, bool useCodepage) {
    return avm1::decodeLoadedText(data, useCodepage);
}

MovieLoader::MovieLoader(ScriptHost& host) : host_(host) {}

DisplayObject* MovieLoader::resolve(const LoadTarget& target) const {
    if (target.level >= 0) {
        return host_.player().root(target.level);
    }
    auto clip = target.clip.lock();
    // Off every list: the clip was removed, and its load with it.
    if (!clip || !host_.player().sharedOf(*clip)) {
        return nullptr;
    }
    return clip.get();
}

void MovieLoader::loadMovie(const LoadTarget& target, const QString& url, const QString& method,
                            const QByteArray& body, avm1::Object* listener) {
    // A target takes one movie at a time: the newest request wins, whatever order the
    // answers come back in.
    cancelPending(target);
    const int serial = ++lastSerial_;
    // A relative address reads against the first movie's address, as the fetch takes it.
    DisplayObject* first = host_.player().root(0);
    const QString base = first && first->movie ? first->movie->url : QString();
    pending_.push_back({serial, Pending{target, listener, false, absoluteMovieUrl(url, base)}});
    host_.player().events().fetch(
        url, method, body,
        [this, serial](std::optional<QByteArray> data) { arrived(serial, std::move(data)); });
}

void MovieLoader::arrived(int serial, std::optional<QByteArray> data) {
    auto it = std::find_if(pending_.begin(), pending_.end(),
                           [serial](const auto& p) { return p.first == serial; });
    if (it == pending_.end()) {
        return;
    }
    Pending load = std::move(it->second);
    pending_.erase(it);
    if (load.target.level < 0 && !resolve(load.target)) {
        return;  // cancelled
    }
    if (!data) {
        DisplayObject* target = resolve(load.target);
        if (target && load.target.level < 0) {
            target->failedUrl = load.url;
        }
        broadcast(load.listener, "onLoadError",
                  {target ? Value(host_.scriptObject(*target)) : Value(),
                   Value(QStringLiteral("URLNotFound")), Value(0)});
        return;
    }
    Player& player = host_.player();
    const auto* begin = reinterpret_cast<const uint8_t*>(data->constData());
    swf::ReadResult read = swf::readMovie(std::span(begin, size_t(data->size())));
    std::shared_ptr<const swf::Movie> movie = read ? read.movie : nullptr;
    DisplayObject* target = nullptr;
    if (load.target.level >= 0) {
        if (!movie) {
            return;  // not a movie: the layer stays as it was
        }
        player.load(load.target.level, movie, load.url);
        target = player.root(load.target.level);
    } else {
        target = resolve(load.target);
        host_.resetClipScript(*target);
        player.loadIntoClip(*target, movie, movie ? load.url : QString());
        load.target.clip = player.sharedOf(*target);
        if (!movie) {
            // An image file: the clip shows the picture at its origin, one pixel per pixel.
            const QImage image = decodeLoadedImage(*data);
            if (!image.isNull()) {
                player.placeBitmap(*target, 0, makeBitmapDrawing(image, false));
                target->showsImage = true;
            }
        }
        if (movie || target->showsImage) {
            host_.clipMovieArrived(*target);
        }
    }
    if (!target) {
        return;
    }
    const double bytes = movie || target->showsImage ? double(data->size()) : 0.0;
    avm1::Object* object = host_.scriptObject(*target);
    if (movie) {
        setQueryVariables(host_.machine(), object, load.url);
    }
    broadcast(load.listener, "onLoadStart", {Value(object)});
    broadcast(load.listener, "onLoadProgress", {Value(object), Value(bytes), Value(bytes)});
    broadcast(load.listener, "onLoadComplete", {Value(object), Value(0)});
    if (load.listener) {
        load.started = true;
        awaitingInit_.push_back(std::move(load));
    }
}

void MovieLoader::cancelPending(const LoadTarget& target) {
    std::vector<Pending> cancelled;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (sameTarget(it->second.target, target)) {
            cancelled.push_back(std::move(it->second));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    for (const Pending& load : cancelled) {
        DisplayObject* clip = resolve(load.target);
        broadcast(load.listener, "onLoadError",
                  {clip ? Value(host_.scriptObject(*clip)) : Value(),
                   Value(QStringLiteral("LoadNeverCompleted")), Value(0)});
    }
}

void MovieLoader::unloadMovie(const LoadTarget& target) {
    // What was still on its way to the target never arrives.
    cancelPending(target);
    Player& player = host_.player();
    if (target.level >= 0) {
        player.unload(target.level);
        return;
    }
    if (DisplayObject* clip = resolve(target)) {
        host_.clipUnloading(*clip);
        host_.resetClipScript(*clip);
        player.loadIntoClip(*clip, nullptr, QString());
    }
}

void MovieLoader::loadVariables(const LoadTarget& target, const QString& url, const QString& method,
                                const QByteArray& body) {
    host_.player().events().fetch(
        url, method, body, [this, target](std::optional<QByteArray> data) {
            DisplayObject* clip = resolve(target);
            if (!data || !clip) {
                return;
            }
            avm1::Machine& m = host_.machine();
            avm1::Object* object = host_.scriptObject(*clip);
            // While System.useCodepage is true the escapes are bytes of the code page.
            const bool inCodePage = avm1::usesCodepage(m);
            for (const QString& pair : decodeText(*data, inCodePage).split(QLatin1Char('&'))) {
                if (pair.isEmpty()) {
                    continue;
                }
                const qsizetype eq = pair.indexOf(QLatin1Char('='));
                const QString name = formDecode(eq < 0 ? pair : pair.left(eq), inCodePage);
                const QString value = eq < 0 ? QString() : formDecode(pair.mid(eq + 1), inCodePage);
                m.set(object, name, Value(value));
            }
            host_.clipDataArrived(*clip);
        });
}

void MovieLoader::afterTick() {
    if (awaitingInit_.empty()) {
        return;
    }
    std::vector<Pending> ready;
    for (auto it = awaitingInit_.begin(); it != awaitingInit_.end();) {
        DisplayObject* target = resolve(it->target);
        if (!target) {
            it = awaitingInit_.erase(it);
        } else if (target->frame >= 0 || target->totalFrames == 0) {
            ready.push_back(std::move(*it));
            it = awaitingInit_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = ready.rbegin(); it != ready.rend(); ++it) {
        if (DisplayObject* target = resolve(it->target)) {
            broadcast(it->listener, "onLoadInit", {Value(host_.scriptObject(*target))});
        }
    }
}

void MovieLoader::addRoots(std::vector<avm1::Object*>& roots) const {
    for (const auto& [serial, p] : pending_) {
        if (p.listener) {
            roots.push_back(p.listener);
        }
    }
    for (const Pending& p : awaitingInit_) {
        if (p.listener) {
            roots.push_back(p.listener);
        }
    }
}

void MovieLoader::broadcast(avm1::Object* listener, const char* event,
                            std::vector<avm1::Value> args) {
    if (!listener) {
        return;
    }
    args.insert(args.begin(), Value(QString::fromLatin1(event)));
    host_.machine().callMethod(listener, QStringLiteral("broadcastMessage"), std::move(args),
                               scriptVersion(host_));
}

}  // namespace pencora::runtime

// ---- Player: movies in place of clips ----------------------------------------------------------

namespace pencora::runtime {

void Player::loadIntoClip(DisplayObject& clip, std::shared_ptr<const swf::Movie> movie,
                          const QString& url) {
    for (auto& [depth, child] : clip.children) {
        child->parent = nullptr;
        child->script.reset();
    }
    clip.children.clear();
    clip.drawing = nullptr;
    clip.frame = -1;
    clip.playing = true;
    clip.justPlaced = false;
    clip.showsImage = false;
    clip.failedUrl.clear();
    const int layer = clip.movie ? clip.movie->layer : 0;
    if (!movie) {
        clip.timeline = nullptr;
        clip.totalFrames = 0;
        clip.declaredFrames = -1;
        // An empty clip belongs to the movie around it again, so its context stays valid.
        if (clip.parent) {
            clip.movie = clip.parent->movie;
        }
        return;
    }
    auto context = std::make_unique<MovieContext>();
    context->movie = std::move(movie);
    context->layer = layer;
    context->url = url;
    clip.movie = context.get();
    clip.timeline = &context->movie->timeline;
    clip.totalFrames = int(clip.timeline->frames.size());
    clip.declaredFrames = context->movie->header.frameCount;
    clipMovies_.emplace_back(sharedOf(clip), std::move(context));
    requestImports(*this, clip);
}

void Player::dropUnusedClipMovies() {
    std::erase_if(clipMovies_, [](const auto& entry) {
        auto clip = entry.first.lock();
        return !clip || clip->movie != entry.second.get();
    });
}

}  // namespace pencora::runtime
