// Movies and variables that scripts load while the movie plays: loadMovie/loadMovieNum and
// unloadMovie (into a layer or in place of a clip), loadVariables, MovieClipLoader, and the
// plain data fetches of LoadVars and XML. Every request goes out through the player's owner
// (PlayerEvents::fetch, i.e. the control and its site); the answer comes back after the
// engine call that asked for it.
//
// A MovieClipLoader hears, per load: onLoadStart, onLoadProgress and onLoadComplete when the
// data has arrived and the movie has replaced the target, then onLoadInit once the new
// movie's first frame has run (loads that finish in the same tick are told in reverse order);
// onLoadError when nothing arrived. A clip removed before its load finishes cancels the load;
// unloading a target, or loading another movie into it, cancels what is on its way there,
// and a loader listening for the cancelled load hears onLoadError ("LoadNeverCompleted").
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "platform/flash/avm1/host.h"
#include "platform/flash/runtime/display/display_object.h"

namespace pencora::avm1 {
class Machine;
class Object;
}  // namespace pencora::avm1

namespace pencora::runtime {

class ScriptHost;

// A loaded file as an image: JPEG, PNG or GIF by their signatures, null for anything else
// (clip_bitmaps.cpp).
QImage decodeLoadedImage(const QByteArray& data);

// Where a movie goes: a layer (_levelN) or a clip.
struct LoadTarget {
    int level = -1;
    std::weak_ptr<DisplayObject> clip;
};

class MovieLoader {
  public:
    explicit MovieLoader(ScriptHost& host);

    // `listener` is the MovieClipLoader to tell (may be null). `body` goes with a POST; a GET
    // carries its variables in the address already.
    void loadMovie(const LoadTarget& target, const QString& url, const QString& method,
                   const QByteArray& body, avm1::Object* listener);
    // The layer goes, or the clip keeps its place and shows nothing.
    void unloadMovie(const LoadTarget& target);
    // Url-encoded variables set on the target (a clip or _levelN's root) when they arrive.
    void loadVariables(const LoadTarget& target, const QString& url, const QString& method,
                       const QByteArray& body);

    // After each tick: onLoadInit for the movies whose first frame has run.
    void afterTick();
    // The listeners of pending loads, kept alive by the collector.
    void addRoots(std::vector<avm1::Object*>& roots) const;

    // Text of a loaded variables file, as avm1::decodeLoadedText reads it.
    static QString decodeText(const QByteArray& data, bool useCodepage = false);

  private:
    struct Pending {
        LoadTarget target;
        avm1::Object* listener = nullptr;
        bool started = false;  // the fetch has answered and the movie is in place
        QString url;           // the address as the loaded movie's _url reads it
    };
    DisplayObject* resolve(const LoadTarget& target) const;
    // Drops the loads still waiting for an answer for `target`; their listeners hear
    // onLoadError.
    void cancelPending(const LoadTarget& target);
    void arrived(int serial, std::optional<QByteArray> data);
    void broadcast(avm1::Object* listener, const char* event, std::vector<avm1::Value> args);

    ScriptHost& host_;
    std::vector<std::pair<int, Pending>> pending_;  // by request serial, oldest first
    std::vector<Pending> awaitingInit_;
    int lastSerial_ = 0;
};

// MovieClip.prototype's loading methods and the MovieClipLoader class (movie_clip_loader.cpp).
void installMovieLoading(ScriptHost& host, avm1::Object* movieClipPrototype);

// Variables of a clip as a form text ("a=1&b=x"), for GET and POST requests.
QByteArray encodeClipVariables(avm1::Machine& machine, avm1::Object* clip);

}  // namespace pencora::runtime
