// Builds a movie frame by frame: define characters (ids handed out in order), place and
// remove them, run raw action bytes, label frames, start sounds, then write the file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swfwrite/byte_writer.h"

namespace pencora::swfwrite {

// The control tags of one timeline (the root's or a sprite's), frame by frame.
class TimelineBuilder {
public:
    TimelineBuilder& tag(swf::ControlTag t);
    TimelineBuilder& place(uint16_t characterId, uint16_t depth, const swf::Matrix& m = {});
    TimelineBuilder& place(const swf::PlaceObject& p) { return tag(p); }
    TimelineBuilder& move(uint16_t depth, const swf::Matrix& m);
    TimelineBuilder& remove(uint16_t depth);
    TimelineBuilder& doAction(swf::Bytes actions);
    TimelineBuilder& label(const std::string& name);
    TimelineBuilder& startSound(uint16_t soundId, const swf::SoundInfo& info = {});
    TimelineBuilder& showFrame();

    // The frames so far, with a pending frame closed if it holds tags.
    swf::Timeline timeline() const;
    swf::Sprite sprite(uint16_t id = 0) const;

private:
    swf::Timeline timeline_;
    swf::Frame current_;
};

class MovieBuilder : public TimelineBuilder {
public:
    explicit MovieBuilder(uint8_t version = 8, int widthPx = 550, int heightPx = 400,
                          double frameRate = 12.0);

    // Adds a character; an id of 0 is replaced by the next free one. Returns the id.
    uint16_t define(swf::Character c);
    MovieBuilder& background(swf::Rgba color);
    swf::Movie& movie() { return movie_; }

    // The movie as records (with the pending frame) and as a file.
    swf::Movie build() const;
    swf::Bytes write(swf::Compression compression = swf::Compression::None) const;

private:
    swf::Movie movie_;
    uint16_t nextId_ = 1;
};

}  // namespace pencora::swfwrite
