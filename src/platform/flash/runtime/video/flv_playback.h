// One FLV video playing on the movie's clock: the file's packets, its audio decoded once and
// played through the player's mixer, its pictures decoded as the playhead reaches them.
// NetStream drives it and turns what it reports into onStatus calls.
#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/flash/flv/flv_file.h"
#include "platform/flash/runtime/sound/sound_mixing.h"

namespace pencora::flash::video {
class VideoDecoder;
struct DecodedFrame;
}  // namespace pencora::flash::video

namespace pencora::runtime {

struct DisplayObject;

class FlvPlayback {
  public:
    explicit FlvPlayback(SoundMixer& mixer);
    ~FlvPlayback();
    FlvPlayback(const FlvPlayback&) = delete;
    FlvPlayback& operator=(const FlvPlayback&) = delete;

    // Takes the fetched file. False when it is no FLV file we can read.
    bool open(std::span<const uint8_t> bytes);
    bool isOpen() const { return file_.has_value(); }
    const flv::File* file() const { return file_ ? &*file_ : nullptr; }

    // Moves the playhead by `milliseconds` while playing; the status codes this caused
    // ("NetStream.Buffer.Full", then at the end "NetStream.Buffer.Flush",
    // "NetStream.Play.Stop", "NetStream.Buffer.Empty"), in order.
    std::vector<QString> advance(double milliseconds);
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    bool ended() const { return ended_; }
    // To the last keyframe at or before `seconds` (clamped to the file); playing goes on
    // from there, also after the end.
    void seek(double seconds);
    void close();

    // Seconds from the file's start.
    double time() const { return playheadMs_ / 1000.0; }
    double durationMs() const { return durationMs_; }

    // The clip whose Sound objects control the sound (attachAudio); null: the movie-wide one.
    void setAudioOwner(const std::shared_ptr<DisplayObject>& owner);
    // The picture shown now, and whether it changed since the last call.
    const QImage& picture() const { return picture_; }
    bool takePictureChanged();

  private:
    void startAudio();
    void stopAudio();
    void showPicturesUpTo(double ms);
    void decodePicture(const flv::Packet& packet);
    void showPicture(const std::optional<flash::video::DecodedFrame>& frame);

    SoundMixer& mixer_;
    std::optional<flv::File> file_;
    std::shared_ptr<const SoundPcm> audio_;
    double audioStartMs_ = 0;  // of the file's first sound, from its start
    std::unique_ptr<flash::video::VideoDecoder> decoder_;
    SoundMixer::VoiceId voice_ = 0;
    std::weak_ptr<DisplayObject> audioOwner_;
    double startMs_ = 0;  // the first packet's time: the file's zero
    double durationMs_ = 0;
    double playheadMs_ = 0;
    size_t nextPacket_ = 0;  // the next video packet to decode
    bool paused_ = false;
    bool ended_ = false;
    bool bufferFull_ = false;
    QImage picture_;
    bool pictureChanged_ = false;
};

}  // namespace pencora::runtime
