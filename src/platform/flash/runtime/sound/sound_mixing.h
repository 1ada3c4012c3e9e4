// The sounds of one player: event sounds (StartSound/StartSound2 and Sound.start), the stream
// sound of each clip kept in step with its timeline, and the volume and pan transforms of
// Sound objects, movie-wide and per clip. The mix is 44.1 kHz stereo; the engine hands each
// frame's share to the audio library's PCM source (feedSoundOutput).
//
// A voice's gain is the movie-wide transform times those of the clip that owns it and of
// every clip above it, so the volume movie's `new Sound().setVolume(v)` reaches every sound.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/flash/runtime/sound/sound_decode.h"
#include "platform/flash/swf/movie.h"

namespace pencora::runtime {

struct DisplayObject;

// What Sound.setVolume/setPan/setTransform set: percentages, the matrix that routes the
// source's left and right channels to the outputs.
struct SoundTransform {
    int volume = 100;
    int ll = 100, lr = 0, rl = 0, rr = 100;
};

class SoundMixer {
  public:
    static constexpr int kRate = 44100;
    using VoiceId = int;

    // Starts a sound; `owner` is the clip whose timeline or Sound object started it (null for
    // the movie-wide Sound). `soundId` (the character id, 0 for none) is what StartSound's
    // stop and no-multiple flags match. `offsetMs` skips into the sound. 0 when nothing plays.
    VoiceId start(std::shared_ptr<const SoundPcm> pcm, const swf::SoundInfo& info,
                  const std::shared_ptr<DisplayObject>& owner, int soundId, double offsetMs = 0);
    // StartSound of a timeline frame: its stop and no-multiple flags, then start.
    void startTag(std::shared_ptr<const SoundPcm> pcm, const swf::SoundInfo& info,
                  const std::shared_ptr<DisplayObject>& owner, int soundId);
    void stop(VoiceId voice);
    // Every voice playing `soundId` (all voices when 0) whose owner is `owner` or below it
    // (any owner when null).
    void stopSound(int soundId, const DisplayObject* owner);
    void stopAll();
    bool isPlaying(int soundId) const;
    // Milliseconds into the sound's data, of the voice: where each loop has got to while it
    // plays, where it was stopped, the end of its data once it has played out; 0 for a voice
    // never started or long forgotten.
    double position(VoiceId voice) const;
    bool isLive(VoiceId voice) const;
    // Whether a stream sound is playing: one with sound left whose timeline is playing.
    bool streamPlaying() const;
    // Voices that ended by themselves since the last call, oldest first.
    std::vector<VoiceId> takeFinished();

    // The stream sound of `clip` as its timeline enters `frame`: starts or moves the clip's
    // stream voice to that frame's block and lets it play to the next block.
    void streamFrame(const std::shared_ptr<DisplayObject>& clip, int frame);

    SoundTransform& movieTransform() { return movie_; }
    // The transform of a clip's sounds, made at 100 % on first use.
    SoundTransform& clipTransform(const std::shared_ptr<const DisplayObject>& clip);
    // The transform set for a clip, if any.
    const SoundTransform* findClipTransform(const DisplayObject* clip);

    // Mixes the next `frames` stereo frames into `out` (2 * frames samples, overwritten).
    void mix(int16_t* out, size_t frames);
    size_t voiceCount() const { return voices_.size(); }

  private:
    struct Voice {
        VoiceId id = 0;
        std::shared_ptr<const SoundPcm> pcm;
        std::weak_ptr<DisplayObject> owner;
        bool hasOwner = false;
        int soundId = 0;
        double pos = 0;     // in source frames
        double begin = 0;   // loop start
        double end = 0;     // loop end (exclusive)
        double limit = -1;  // streams: stop here unless the timeline moves it on
        int loopsLeft = 1;
        uint64_t played = 0;  // output frames since the start, for the envelope
        std::vector<swf::SoundEnvelopePoint> envelope;
        bool stream = false;
        int frame = -1;  // streams: the frame whose block the voice last moved to
    };
    struct ClipEntry {
        std::weak_ptr<const DisplayObject> clip;
        SoundTransform transform;
    };
    struct StreamCache {
        std::weak_ptr<const swf::Movie> movie;
        std::shared_ptr<const StreamSound> sound;
    };
    // Gains of a voice's left and right source channels into the left and right outputs.
    void gains(const Voice& v, double (&g)[4]);
    void applyTransform(const SoundTransform& t, double (&g)[4]) const;
    std::shared_ptr<const StreamSound> streamOf(const DisplayObject& clip);
    // Keeps where an ending voice got to, for position().
    void remember(const Voice& v);

    std::vector<Voice> voices_;
    std::vector<VoiceId> finished_;
    std::map<VoiceId, double> endedAt_;  // milliseconds, the most recent voices only
    std::map<const DisplayObject*, ClipEntry> clips_;
    std::map<const swf::Timeline*, StreamCache> streams_;
    SoundTransform movie_;
    VoiceId lastId_ = 0;
};

// Gives the audio library the mix for `milliseconds` of playing time: one PCM source per
// output, opened when the library is running and a sound plays. The mix advances even
// without a device, so positions and completions follow the movie's clock.
class SoundOutput {
  public:
    SoundOutput() = default;
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;
    void feed(SoundMixer& mixer, double milliseconds);

  private:
    uint32_t source_ = 0;
    double carry_ = 0;  // fraction of a frame left from the last feed
    std::vector<int16_t> buffer_;
};

}  // namespace pencora::runtime
