// Stream pictures: Video.attachVideo(netStream) shows the stream's pictures in the Video
// object, and clearStreamPicture takes the last one away (Video.clear calls it). Called on a movie
// clip (Video.prototype.attachVideo.call(clip, ns)) they show the pictures in a bitmap at the
// clip's origin, under the clip's own content. MovieClip.attachAudio(stream) puts the stream's
// sound under the clip, so the clip's Sound objects set its volume.
#include "platform/flash/runtime/video/stream_pictures.h"

#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/scripting/movieclip_natives.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/video/net_stream_object.h"
#include "platform/flash/runtime/video/net_streams.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

// Below every depth a timeline or script uses.
constexpr int kPictureDepth = -32769;

// Where a video object's pictures go: itself, or a bitmap inside a clip.
std::shared_ptr<DisplayObject> screenOf(ScriptHost& host, DisplayObject& video) {
    if (!video.isClip()) {
        return host.player().sharedOf(video);
    }
    DisplayObject* bitmap = video.childAt(kPictureDepth);
    if (!bitmap || bitmap->kind != ObjectKind::Bitmap) {
        bitmap = host.player().placeBitmap(video, kPictureDepth, nullptr);
    }
    return bitmap ? host.player().sharedOf(*bitmap) : nullptr;
}

Value attachVideo(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* video = thisClip(m, self);
    if (!video) {
        return {};
    }
    ScriptHost& host = hostOf(m);
    if (auto screen = screenOf(host, *video)) {
        host.netStreams().attach(screen, netStreamOf(argAt(args, 0)));
    }
    return {};
}

Value attachAudio(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    DisplayObject* clip = thisClip(m, self);
    NetStreamObject* stream = netStreamOf(argAt(args, 0));
    if (clip && stream) {
        stream->playback.setAudioOwner(hostOf(m).player().sharedOf(*clip));
    }
    return {};
}

}  // namespace

void clearStreamPicture(DisplayObject& video) {
    DisplayObject* screen = video.isClip() ? video.childAt(kPictureDepth) : &video;
    if (screen) {
        screen->drawing = nullptr;
    }
}

void installStreamPictures(ScriptHost& host) {
    avm1::Machine& m = host.machine();
    avm1::Object* proto = classPrototype(m, QStringLiteral("Video"), nullptr);
    proto->putNative(m, QStringLiteral("attachVideo"), attachVideo, avm1::kDontEnum);
    if (avm1::Object* clip = m.protos().movieClip) {
        clip->putNative(m, QStringLiteral("attachAudio"), attachAudio,
                        avm1::kDontEnum | avm1::kVersion6);
    }
}

}  // namespace pencora::runtime
