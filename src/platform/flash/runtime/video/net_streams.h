// NetStream and Video for ActionScript: FLV files fetched through the control
// and played on the movie's clock (flv_playback.h), their status told to onStatus, their
// pictures shown in the Video objects (or clips) they are attached to, their sound mixed
// with the movie's.
#pragma once

#include <QString>

#include <memory>
#include <vector>

namespace pencora::avm1 {
class Object;
}

namespace pencora::runtime {

class ScriptHost;
struct DisplayObject;
class NetStreamObject;

// The streams of one player that are playing or may play again, and the status calls waiting
// for the next tick. The script host moves them on with its clock.
class NetStreams {
  public:
    explicit NetStreams(ScriptHost& host);
    ~NetStreams();
    NetStreams(const NetStreams&) = delete;
    NetStreams& operator=(const NetStreams&) = delete;

    // Moves every stream's playhead and delivers the waiting and new status calls.
    void advance(double milliseconds);

    // Calls target.onStatus({code, level}) at the next tick.
    void queueStatus(avm1::Object* target, const QString& code, const QString& level);
    void activate(NetStreamObject* stream);
    void deactivate(NetStreamObject* stream);
    // `screen` shows the pictures of `stream` (null: nothing) from now on.
    void attach(const std::shared_ptr<DisplayObject>& screen, NetStreamObject* stream);
    // The streams shown by screens that are still alive: a screen keeps its stream.
    void addRoots(std::vector<avm1::Object*>& roots) const;

  private:
    struct Status {
        avm1::Object* target;
        QString code;
        QString level;
    };
    struct Screen {
        std::weak_ptr<DisplayObject> object;
        NetStreamObject* stream;
    };
    void deliver(const Status& status);
    void showPictures();

    ScriptHost& host_;
    std::vector<NetStreamObject*> active_;
    std::vector<Status> pending_;
    std::vector<Screen> screens_;
};

// Gives the script machine's NetStream and Video classes their playing methods, and
// MovieClip.attachAudio (after MovieClip itself).
void installVideoClasses(ScriptHost& host);

}  // namespace pencora::runtime
