#include "platform/flash/swfwrite/movie_builder.h"

#include "platform/flash/swfwrite/encode.h"

namespace pencora::swfwrite {

TimelineBuilder& TimelineBuilder::tag(swf::ControlTag t) {
    if (const auto* l = std::get_if<swf::FrameLabel>(&t)) {
        current_.labels.push_back(l->name);
    }
    current_.tags.push_back(std::move(t));
    return *this;
}

TimelineBuilder& TimelineBuilder::place(uint16_t characterId, uint16_t depth,
                                        const swf::Matrix& m) {
    swf::PlaceObject p;
    p.version = 2;
    p.characterId = characterId;
    p.depth = depth;
    p.matrix = m;
    return tag(p);
}

TimelineBuilder& TimelineBuilder::move(uint16_t depth, const swf::Matrix& m) {
    swf::PlaceObject p;
    p.version = 2;
    p.move = true;
    p.depth = depth;
    p.matrix = m;
    return tag(p);
}

TimelineBuilder& TimelineBuilder::remove(uint16_t depth) {
    swf::RemoveObject r;
    r.depth = depth;
    return tag(r);
}

TimelineBuilder& TimelineBuilder::doAction(swf::Bytes actions) {
    return tag(swf::DoAction{std::move(actions)});
}

TimelineBuilder& TimelineBuilder::label(const std::string& name) {
    return tag(swf::FrameLabel{name, false});
}

TimelineBuilder& TimelineBuilder::startSound(uint16_t soundId, const swf::SoundInfo& info) {
    return tag(swf::StartSound{soundId, info});
}

TimelineBuilder& TimelineBuilder::showFrame() {
    timeline_.frames.push_back(std::move(current_));
    current_ = swf::Frame{};
    return *this;
}

swf::Timeline TimelineBuilder::timeline() const {
    swf::Timeline t = timeline_;
    if (!current_.tags.empty()) {
        t.frames.push_back(current_);
    }
    return t;
}

swf::Sprite TimelineBuilder::sprite(uint16_t id) const {
    swf::Sprite s;
    s.id = id;
    s.timeline = timeline();
    s.frameCount = static_cast<uint16_t>(s.timeline.frames.size());
    return s;
}

MovieBuilder::MovieBuilder(uint8_t version, int widthPx, int heightPx, double frameRate) {
    movie_.header.version = version;
    movie_.header.frameSize = {0, widthPx * 20, 0, heightPx * 20};
    movie_.header.frameRate = frameRate;
}

uint16_t MovieBuilder::define(swf::Character c) {
    uint16_t id = std::visit([](const auto& ch) { return ch.id; }, c);
    if (id == 0) {
        while (movie_.dictionary.count(nextId_)) {
            ++nextId_;
        }
        id = nextId_++;
        std::visit([id](auto& ch) { ch.id = id; }, c);
    }
    movie_.dictionary.insert_or_assign(id, std::move(c));
    return id;
}

MovieBuilder& MovieBuilder::background(swf::Rgba color) {
    movie_.backgroundColor = color;
    return *this;
}

swf::Movie MovieBuilder::build() const {
    swf::Movie m = movie_;
    m.timeline = timeline();
    m.header.frameCount = static_cast<uint16_t>(m.timeline.frames.size());
    return m;
}

swf::Bytes MovieBuilder::write(swf::Compression compression) const {
    return writeMovie(build(), compression);
}

}  // namespace pencora::swfwrite
