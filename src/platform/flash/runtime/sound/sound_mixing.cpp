#include "platform/flash/runtime/sound/sound_mixing.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/pcm_source.h"
#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {

namespace {

// At most this many sounds at once; a movie starting more loses its oldest.
constexpr size_t kMaxVoices = 64;
// Where this many ended voices stopped is kept for the Sound objects that may ask.
constexpr size_t kRememberedEnds = 256;

// Envelope level (0..32768) for one output channel at `at` 44 kHz samples from the start.
double envelopeLevel(const std::vector<swf::SoundEnvelopePoint>& env, uint64_t at, bool right) {
    auto level = [right](const swf::SoundEnvelopePoint& p) {
        return double(right ? p.right : p.left);
    };
    if (env.empty()) {
        return 32768;
    }
    if (at <= env.front().pos44) {
        return level(env.front());
    }
    for (size_t i = 1; i < env.size(); ++i) {
        if (at <= env[i].pos44) {
            const double span = double(env[i].pos44) - double(env[i - 1].pos44);
            const double t = span > 0 ? (double(at) - double(env[i - 1].pos44)) / span : 1;
            return level(env[i - 1]) + (level(env[i]) - level(env[i - 1])) * t;
        }
    }
    return level(env.back());
}

// Whether the timeline moving from frame `from` to `to` is no plain step forward: it goes
// back, stays, or passes over frames that carry blocks of the stream.
bool skipsSound(const StreamSound& stream, int from, int to) {
    if (from < 0) {
        return false;
    }
    if (to <= from) {
        return true;
    }
    for (int f = from + 1; f < to && size_t(f) < stream.frameStart.size(); ++f) {
        if (stream.frameStart[size_t(f)] >= 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

SoundMixer::VoiceId SoundMixer::start(std::shared_ptr<const SoundPcm> pcm,
                                      const swf::SoundInfo& info,
                                      const std::shared_ptr<DisplayObject>& owner, int soundId,
                                      double offsetMs) {
    if (!pcm || pcm->frames() == 0 || pcm->rate <= 0) {
        return 0;
    }
    Voice v;
    v.id = ++lastId_;
    v.owner = owner;
    v.hasOwner = owner != nullptr;
    v.soundId = soundId;
    const double perSample44 = double(pcm->rate) / 44100.0;
    const double frames = double(pcm->frames());
    v.begin = info.inPoint ? std::min(frames, *info.inPoint * perSample44) : 0;
    v.end = info.outPoint ? std::clamp(*info.outPoint * perSample44, v.begin, frames) : frames;
    v.pos = std::clamp(v.begin + std::max(0.0, offsetMs) * pcm->rate / 1000.0, v.begin, v.end);
    v.begin = v.pos;  // every loop plays the sound from the offset on
    v.loopsLeft = std::max<int>(1, info.loopCount.value_or(1));
    if (info.envelope) {
        v.envelope = *info.envelope;
    }
    v.pcm = std::move(pcm);
    if (voices_.size() >= kMaxVoices) {
        remember(voices_.front());
        voices_.erase(voices_.begin());
    }
    voices_.push_back(std::move(v));
    return lastId_;
}

void SoundMixer::startTag(std::shared_ptr<const SoundPcm> pcm, const swf::SoundInfo& info,
                          const std::shared_ptr<DisplayObject>& owner, int soundId) {
    if (info.syncStop) {
        stopSound(soundId, nullptr);
        return;
    }
    if (info.syncNoMultiple && isPlaying(soundId)) {
        return;
    }
    start(std::move(pcm), info, owner, soundId);
}

void SoundMixer::remember(const Voice& v) {
    if (v.stream) {
        return;
    }
    endedAt_[v.id] = 1000.0 * std::min(v.pos, v.end) / v.pcm->rate;
    if (endedAt_.size() > kRememberedEnds) {
        endedAt_.erase(endedAt_.begin());
    }
}

void SoundMixer::stop(VoiceId voice) {
    std::erase_if(voices_, [this, voice](const Voice& v) {
        if (v.id != voice) {
            return false;
        }
        remember(v);
        return true;
    });
}

void SoundMixer::stopSound(int soundId, const DisplayObject* owner) {
    std::erase_if(voices_, [&](const Voice& v) {
        if (soundId != 0 && v.soundId != soundId) {
            return false;
        }
        if (!owner) {
            remember(v);
            return true;
        }
        auto o = v.owner.lock();
        for (const DisplayObject* p = o.get(); p; p = p->parent) {
            if (p == owner) {
                remember(v);
                return true;
            }
        }
        return false;
    });
}

void SoundMixer::stopAll() {
    for (const Voice& v : voices_) {
        remember(v);
    }
    voices_.clear();
}

bool SoundMixer::isPlaying(int soundId) const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [soundId](const Voice& v) { return v.soundId == soundId && !v.stream; });
}

double SoundMixer::position(VoiceId voice) const {
    for (const Voice& v : voices_) {
        if (v.id == voice) {
            return 1000.0 * v.pos / v.pcm->rate;
        }
    }
    auto ended = endedAt_.find(voice);
    return ended != endedAt_.end() ? ended->second : 0;
}

bool SoundMixer::isLive(VoiceId voice) const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [voice](const Voice& v) { return v.id == voice; });
}

bool SoundMixer::streamPlaying() const {
    return std::any_of(voices_.begin(), voices_.end(), [](const Voice& v) {
        if (!v.stream || v.pos >= v.end) {
            return false;
        }
        auto owner = v.owner.lock();
        return owner && owner->playing;
    });
}

std::vector<SoundMixer::VoiceId> SoundMixer::takeFinished() {
    return std::exchange(finished_, {});
}

std::shared_ptr<const StreamSound> SoundMixer::streamOf(const DisplayObject& clip) {
    if (!clip.timeline || !clip.movie || !clip.movie->movie) {
        return nullptr;
    }
    StreamCache& c = streams_[clip.timeline];
    if (c.movie.lock() != clip.movie->movie) {
        c.movie = clip.movie->movie;
        c.sound = decodeStreamSound(*clip.timeline);
    }
    return c.sound;
}

void SoundMixer::streamFrame(const std::shared_ptr<DisplayObject>& clip, int frame) {
    if (!clip) {
        return;
    }
    auto stream = streamOf(*clip);
    if (!stream || frame < 0 || size_t(frame) >= stream->frameStart.size() ||
        stream->frameStart[size_t(frame)] < 0) {
        return;
    }
    const double start = double(stream->frameStart[size_t(frame)]);
    double next = double(stream->pcm->frames());
    for (size_t f = size_t(frame) + 1; f < stream->frameStart.size(); ++f) {
        if (stream->frameStart[f] >= 0) {
            next = double(stream->frameStart[f]);
            break;
        }
    }
    auto it = std::find_if(voices_.begin(), voices_.end(), [&](const Voice& v) {
        return v.stream && v.pcm == stream->pcm && v.owner.lock() == clip;
    });
    if (it == voices_.end()) {
        if (start >= double(stream->pcm->frames())) {
            return;
        }
        swf::SoundInfo info;
        const VoiceId id = this->start(stream->pcm, info, clip, 0);
        it = std::find_if(voices_.begin(), voices_.end(),
                          [id](const Voice& v) { return v.id == id; });
        if (it == voices_.end()) {
            return;
        }
        it->stream = true;
        it->pos = start;
    } else if (skipsSound(*stream, it->frame, frame) ||
               std::abs(it->pos - start) > next - start + 1) {
        it->pos = start;  // a goto, or the timeline fell behind: follow the timeline
    }
    it->frame = frame;
    // Plays through this frame's block and one more frame's worth, so a frame that comes a
    // little late does not leave a gap; a clip that stops stops its stream there.
    it->limit = std::min(double(stream->pcm->frames()), next + (next - start));
}

SoundTransform& SoundMixer::clipTransform(const std::shared_ptr<const DisplayObject>& clip) {
    if (!clip) {
        return movie_;
    }
    auto it = clips_.find(clip.get());
    if (it == clips_.end() || it->second.clip.lock() != clip) {
        // A clip born where a dead one lived starts afresh.
        it = clips_.insert_or_assign(clip.get(), ClipEntry{clip, {}}).first;
    }
    return it->second.transform;
}

const SoundTransform* SoundMixer::findClipTransform(const DisplayObject* clip) {
    auto it = clips_.find(clip);
    if (it == clips_.end()) {
        return nullptr;
    }
    if (it->second.clip.expired()) {
        clips_.erase(it);
        return nullptr;
    }
    return &it->second.transform;
}

void SoundMixer::applyTransform(const SoundTransform& t, double (&g)[4]) const {
    // g: source left->left, left->right, right->left, right->right. The transform sends
    // its left input to the left speaker by ll and to the right one by rl, its right input
    // to the left by lr and to the right by rr (Sound.setTransform's documented formula).
    const double vol = std::max(0, t.volume) / 100.0;
    const double ll = g[0] * t.ll / 100.0 + g[1] * t.lr / 100.0;
    const double lr = g[0] * t.rl / 100.0 + g[1] * t.rr / 100.0;
    const double rl = g[2] * t.ll / 100.0 + g[3] * t.lr / 100.0;
    const double rr = g[2] * t.rl / 100.0 + g[3] * t.rr / 100.0;
    g[0] = ll * vol;
    g[1] = lr * vol;
    g[2] = rl * vol;
    g[3] = rr * vol;
}

void SoundMixer::gains(const Voice& v, double (&g)[4]) {
    g[0] = 1;
    g[1] = 0;
    g[2] = 0;
    g[3] = 1;
    if (auto owner = v.owner.lock()) {
        for (const DisplayObject* p = owner.get(); p; p = p->parent) {
            if (const SoundTransform* t = findClipTransform(p)) {
                applyTransform(*t, g);
            }
        }
    }
    applyTransform(movie_, g);
}

void SoundMixer::mix(int16_t* out, size_t frames) {
    std::vector<float> acc(frames * 2, 0.0f);
    for (auto it = voices_.begin(); it != voices_.end();) {
        Voice& v = *it;
        if (v.hasOwner && v.owner.expired()) {
            remember(v);
            it = voices_.erase(it);  // its clip is gone, and its sound with it
            continue;
        }
        double g[4];
        gains(v, g);
        const SoundPcm& pcm = *v.pcm;
        const double step = double(pcm.rate) / kRate;
        const size_t total = pcm.frames();
        const bool stereo = pcm.channels == 2;
        bool ended = false;
        for (size_t i = 0; i < frames; ++i) {
            const double end = v.limit >= 0 ? std::min(v.end, v.limit) : v.end;
            if (v.pos >= end) {
                if (v.limit >= 0 && v.limit < v.end) {
                    ended = true;  // a stream waiting for its timeline
                    break;
                }
                // A loop with nothing in it (started at or past the end) ends the voice.
                if (--v.loopsLeft > 0 && v.begin < end) {
                    v.pos = v.begin;
                } else {
                    ended = true;
                    break;
                }
            }
            const size_t a = std::min(size_t(v.pos), total - 1);
            const size_t b = std::min(a + 1, total - 1);
            const double f = v.pos - double(a);
            double left, right;
            if (stereo) {
                left = pcm.samples[2 * a] * (1 - f) + pcm.samples[2 * b] * f;
                right = pcm.samples[2 * a + 1] * (1 - f) + pcm.samples[2 * b + 1] * f;
            } else {
                left = right = pcm.samples[a] * (1 - f) + pcm.samples[b] * f;
            }
            if (!v.envelope.empty()) {
                left *= envelopeLevel(v.envelope, v.played, false) / 32768.0;
                right *= envelopeLevel(v.envelope, v.played, true) / 32768.0;
            }
            acc[2 * i] += float(left * g[0] + right * g[2]);
            acc[2 * i + 1] += float(left * g[1] + right * g[3]);
            v.pos += step;
            ++v.played;
        }
        if (ended) {
            if (!v.stream) {
                remember(v);
                finished_.push_back(v.id);
                it = voices_.erase(it);
                continue;
            }
            if (v.limit >= double(total) || v.limit < 0) {
                it = voices_.erase(it);
                continue;
            }
        }
        ++it;
    }
    for (size_t i = 0; i < frames * 2; ++i) {
        out[i] = int16_t(std::clamp(std::lround(acc[i]), -32768L, 32767L));
    }
}

SoundOutput::~SoundOutput() {
    if (source_) {
        audio::pcmSourceClose(source_);
    }
}

void SoundOutput::feed(SoundMixer& mixer, double milliseconds) {
    const double exact = milliseconds * SoundMixer::kRate / 1000.0 + carry_;
    const size_t frames = size_t(std::max(0.0, std::floor(exact)));
    carry_ = exact - double(frames);
    if (frames == 0) {
        return;
    }
    if (mixer.voiceCount() == 0 && !source_) {
        return;
    }
    buffer_.resize(frames * 2);
    mixer.mix(buffer_.data(), frames);
    if (!source_) {
        source_ = audio::pcmSourceOpen(SoundMixer::kRate, 2);
    }
    if (source_ && audio::pcmSourceWrite(source_, buffer_.data(), frames) == 0 &&
        audio::pcmSourceQueued(source_) == 0) {
        // The library was shut down and started again: the old source is gone.
        audio::pcmSourceClose(source_);
        source_ = 0;
    }
}

}  // namespace pencora::runtime
