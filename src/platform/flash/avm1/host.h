// The seam between the ActionScript machine and the movie runtime.
//
// The machine knows nothing of the display list. The runtime (display list, timeline, sound,
// fetching) implements Host once per player and hands the machine the clip objects it makes:
//
//  * Every display object that scripts can see (movie clips, buttons, text fields) is a
//    ClipObject (clip_object.h) that the runtime creates with Machine::makeClip() and gives a
//    ClipBinding. The binding answers the clip's built-in properties (_x, _currentframe ...) and
//    its children by instance name; the clip's own variables live in the object like any other
//    property. Its prototype is the class prototype the runtime installs (MovieClip.prototype ...)
//    with Machine::defineClass(), whose natives the runtime implements.
//  * Frame scripts, init actions, clip events and button actions run through
//    Machine::runBlock(block, clip, version); event handlers through Machine::callMethod().
//  * Everything a script asks of the world outside the machine goes through Host: target
//    paths, clip properties by index, timeline control, trace output, getURL/fscommand, fetches,
//    the clock. Every method has a harmless default so a test host overrides only what it needs.
//
// All calls happen on the user-interface thread. Object pointers handed to the host stay valid
// until the next collection, which the machine also starts by itself after a run that made
// much garbage; every collection asks the host for what it holds (addRoots): the script
// objects of its display objects, playing sounds, listeners of loads ... A clip's script
// object outlives its display object only while scripts still reach it.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class Object;

// The 22 clip properties of GetProperty/SetProperty, by index.
enum class ClipProperty : int {
    X = 0,
    Y = 1,
    XScale = 2,
    YScale = 3,
    CurrentFrame = 4,
    TotalFrames = 5,
    Alpha = 6,
    Visible = 7,
    Width = 8,
    Height = 9,
    Rotation = 10,
    Target = 11,
    FramesLoaded = 12,
    Name = 13,
    DropTarget = 14,
    Url = 15,
    HighQuality = 16,
    FocusRect = 17,
    SoundBufTime = 18,
    Quality = 19,
    XMouse = 20,
    YMouse = 21,
};

// getURL, getURL2, fscommand ("FSCommand:" addresses), loadMovie and loadVariables.
struct UrlRequest {
    enum class Method { None, Get, Post };
    QString url;
    QString target;  // window name, "_levelN", or a clip's target path
    Method method = Method::None;
    bool loadVariables = false;    // GetURL2 flag: load variables instead of a movie
    bool targetIsClip = false;     // GetURL2 flag: target names a clip, not a window
    Object* sourceClip = nullptr;  // the clip whose variables a GET/POST sends
    QByteArray variables;          // url-encoded variables of sourceClip when a method is set
};

// Data fetched for LoadVars, XML.load, loadVariables: the runtime fetches through the site's
// bind host and calls `done` later (on the UI thread, after the current frame's scripts, never
// from inside fetch()) with what arrived.
struct FetchRequest {
    QString url;
    UrlRequest::Method method = UrlRequest::Method::Get;
    QByteArray body;
    std::function<void(bool ok, const QByteArray& data)> done;
};

// What happens on a connection XMLSocket asked for: it opened (or failed to), bytes came from
// the peer, or the peer closed it. The bytes are as they came, cut anywhere.
struct SocketEvents {
    std::function<void(bool ok)> connected;
    std::function<void(const QByteArray& bytes)> received;
    std::function<void()> closed;
};

class Host {
  public:
    virtual ~Host() = default;

    // Milliseconds since the movie started: getTimer, setInterval. Tests advance it by hand.
    virtual double milliseconds() { return 0; }
    // Milliseconds since 1970-01-01 UTC: what new Date() reads. Tests pin it.
    virtual double wallClock() {
        return double(std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count());
    }
    // One line of trace() output.
    virtual void trace(const QString& line) { (void)line; }

    // Resolves a target path relative to `base` (the clip whose code runs): "a.b", "a/b",
    // "/a/b", "../a", "_root.a", "_parent", "_levelN", "this". Null when there is no such clip.
    virtual Object* resolveTarget(Object* base, const QString& path) {
        (void)base;
        (void)path;
        return nullptr;
    }
    // The clip's path as scripts print it: "_level0.a.b" (dot form) or "/a/b" (slash form).
    virtual QString targetPath(Object* clip, bool slashForm) {
        (void)clip;
        (void)slashForm;
        return {};
    }
    // _root of the movie `base` belongs to, and _levelN.
    virtual Object* root(Object* base) {
        (void)base;
        return nullptr;
    }
    virtual Object* level(int n) {
        (void)n;
        return nullptr;
    }

    virtual Value getClipProperty(Object* clip, ClipProperty p) {
        (void)clip;
        (void)p;
        return Value();
    }
    virtual void setClipProperty(Object* clip, ClipProperty p, const Value& v) {
        (void)clip;
        (void)p;
        (void)v;
    }

    // Timeline control of one clip. Frames are counted from 0 here.
    virtual void play(Object* clip) { (void)clip; }
    virtual void stop(Object* clip) { (void)clip; }
    virtual void nextFrame(Object* clip) { (void)clip; }
    virtual void prevFrame(Object* clip) { (void)clip; }
    virtual void gotoFrame(Object* clip, int frame, bool andPlay) {
        (void)clip;
        (void)frame;
        (void)andPlay;
    }
    // Returns false when the label does not exist.
    virtual bool gotoLabel(Object* clip, const QString& label, bool andPlay) {
        (void)clip;
        (void)label;
        (void)andPlay;
        return false;
    }
    // The frames a clip's timeline holds, which may differ from the _totalframes its movie
    // declares; a goto by frame number reaches only these.
    virtual Value heldFrames(Object* clip) {
        return getClipProperty(clip, ClipProperty::TotalFrames);
    }
    virtual bool frameLoaded(Object* clip, int frame) {
        (void)clip;
        (void)frame;
        return true;
    }
    // The Call action: runs the actions of one frame of `clip` (a number, a label, or
    // "path:frame" already split by the machine) without moving the playhead.
    virtual void callFrame(Object* clip, const Value& frame) {
        (void)clip;
        (void)frame;
    }
    virtual void cloneSprite(Object* source, const QString& name, int depth) {
        (void)source;
        (void)name;
        (void)depth;
    }
    virtual void removeSprite(Object* clip) { (void)clip; }

    // A clip's placement as flash.geom.Transform reads and writes it: the matrix (a, b, c, d,
    // tx, ty with tx and ty in pixels) and the colour transform (red, green, blue, alpha
    // multipliers as factors, then the four offsets), the clip's own or combined with every
    // parent's. False when `clip` is no display object.
    struct ClipTransform {
        double matrix[6] = {1, 0, 0, 1, 0, 0};
        double color[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    };
    virtual bool clipTransform(Object* clip, bool concatenated, ClipTransform& out) {
        (void)clip;
        (void)concatenated;
        (void)out;
        return false;
    }
    virtual void setClipMatrix(Object* clip, const double (&matrix)[6]) {
        (void)clip;
        (void)matrix;
    }
    virtual void setClipColorTransform(Object* clip, const double (&color)[8]) {
        (void)clip;
        (void)color;
    }
    virtual void startDrag(Object* clip, bool lockCenter, const double* rectOrNull) {
        (void)clip;
        (void)lockCenter;
        (void)rectOrNull;
    }
    virtual void stopDrag() {}
    virtual void toggleQuality() {}
    virtual void stopSounds() {}

    virtual void getUrl(const UrlRequest& request) { (void)request; }
    // ExternalInterface.call: `request` in the control's XML call format
    // (external_interface.h); the container's answer, empty when it gave none.
    virtual QString externalCall(const QString& request) {
        (void)request;
        return {};
    }
    virtual void fetch(FetchRequest request) {
        if (request.done) {
            request.done(false, {});
        }
    }
    // XMLSocket: asks for a connection to `host`:`port` (an empty host is the one the movie
    // came from) and answers the connection's id, never 0. The host reports through `events`
    // (the machine holds each report back until its next timers run, so a host may report
    // at once). The default refuses every connection.
    virtual int openSocket(const QString& host, int port, SocketEvents events) {
        (void)host;
        (void)port;
        if (events.connected) {
            events.connected(false);
        }
        return ++lastRefusedSocket_;
    }
    // Bytes for the peer of an open connection; nothing for an unknown id.
    virtual void sendSocket(int id, const QByteArray& bytes) {
        (void)id;
        (void)bytes;
    }
    // The movie closes the connection: no event follows.
    virtual void closeSocket(int id) { (void)id; }

    // Adds the objects the host keeps (for its display objects, sounds, loads, ...) to `roots`:
    // each collection keeps them and what they reach. Nothing must run here.
    virtual void addRoots(std::vector<Object*>& roots) { (void)roots; }

    // The machine has just made a second set of built-in classes (movies up to SWF 6 and
    // movies from SWF 7 on each see their own, machine.h): install the runtime's classes there
    // too. `firstGlobal` is the _global of the set made first, for what both must share.
    virtual void installClassesAgain(Object* firstGlobal) { (void)firstGlobal; }

  private:
    int lastRefusedSocket_ = 0;
};

}  // namespace pencora::avm1
