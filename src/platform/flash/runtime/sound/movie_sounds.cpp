// The sounds a timeline starts as it plays its frames, and the frames the timelines skip to
// keep up with a stream sound.
#include <algorithm>
#include <cmath>

#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/display/shared_library.h"

namespace pencora::runtime {

std::shared_ptr<const SoundPcm> Player::soundOf(MovieContext& movie, uint16_t id) {
    if (!movie.movie || !movie.movie->find(id)) {
        // A sound the movie borrows is decoded with the library it comes from, once that has
        // arrived; until then there is nothing to play and nothing to remember.
        const ResolvedCharacter borrowed = resolveCharacter(movie, id);
        return borrowed.movie && borrowed.movie != &movie ? soundOf(*borrowed.movie, borrowed.id)
                                                          : nullptr;
    }
    auto it = movie.sounds.find(id);
    if (it != movie.sounds.end()) {
        return it->second;
    }
    std::shared_ptr<const SoundPcm> pcm;
    if (movie.movie) {
        if (const auto* sound = movie.movie->findAs<swf::Sound>(id)) {
            pcm = decodeSound(*sound);
        }
    }
    movie.sounds.emplace(id, pcm);
    return pcm;
}

uint16_t Player::exportedId(const MovieContext& movie, const QString& name) const {
    if (!movie.movie) {
        return 0;
    }
    const auto scan = [&](const swf::Timeline& timeline) -> uint16_t {
        for (const swf::Frame& f : timeline.frames) {
            for (const swf::ControlTag& tag : f.tags) {
                if (const auto* e = std::get_if<swf::ExportAssets>(&tag)) {
                    for (const auto& [id, exported] : e->assets) {
                        if (QString::fromUtf8(exported).compare(name, Qt::CaseInsensitive) == 0) {
                            return id;
                        }
                    }
                }
            }
        }
        return 0;
    };
    return scan(movie.movie->timeline);
}

void Player::playFrameSounds(DisplayObject& clip, int frame) {
    if (!clip.timeline || !clip.movie || frame < 0 || frame >= int(clip.timeline->frames.size())) {
        return;
    }
    std::shared_ptr<DisplayObject> self;
    for (const swf::ControlTag& tag : clip.timeline->frames[size_t(frame)].tags) {
        if (const auto* start = std::get_if<swf::StartSound>(&tag)) {
            if (!self) {
                self = sharedOf(clip);
            }
            sounds_.startTag(soundOf(*clip.movie, start->soundId), start->info, self,
                             start->soundId);
        } else if (const auto* start2 = std::get_if<swf::StartSound2>(&tag)) {
            const uint16_t id = exportedId(*clip.movie, QString::fromStdString(start2->className));
            if (id != 0) {
                sounds_.startTag(soundOf(*clip.movie, id), start2->info, sharedOf(clip), id);
            }
        } else if (std::holds_alternative<swf::SoundStreamBlock>(tag)) {
            sounds_.streamFrame(sharedOf(clip), frame);
        }
    }
}

namespace {

// Frames skipped at most in one go: a clock that jumped far (a machine that slept) leaves the
// rest of its lead to the stream, which follows its timeline again.
constexpr int kMostFramesSkipped = 8;

}  // namespace

int Player::framesOwedToClock(double milliseconds, double frameMs) {
    const int played = std::exchange(framesSinceClock_, 0);
    if (!(frameMs > 0) || !sounds_.streamPlaying()) {
        clockLead_ = 0;
        return 0;
    }
    // A frame played a little early is credited, no more than one frame's worth.
    clockLead_ = std::max(-frameMs, clockLead_ + milliseconds - played * frameMs);
    const int owed = std::min(kMostFramesSkipped, int(std::floor(clockLead_ / frameMs)));
    if (owed <= 0) {
        return 0;
    }
    clockLead_ = std::min(clockLead_ - owed * frameMs, frameMs);
    framesSinceClock_ = -owed;  // the frames the caller runs now are paid for already
    return owed;
}

}  // namespace pencora::runtime
