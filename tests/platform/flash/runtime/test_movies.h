// Small builders shared by the runtime tests: action bytecode for the stack-free actions,
// solid squares, constant sounds, and a recorder of what the player reports.
#pragma once

#include <QString>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/flash/runtime/display/player.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace pencora::runtime::test {

inline void appendText(swf::Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

// `frames` frames of 16-bit mono at 44.1 kHz, all at `level`.
inline swf::Sound constantSound(int16_t level, uint32_t frames) {
    swf::Sound s;
    s.format = swf::SoundFormat::UncompressedLittleEndian;
    s.rate = 3;
    s.is16Bit = true;
    s.sampleCount = frames;
    for (uint32_t i = 0; i < frames; ++i) {
        s.data.push_back(uint8_t(uint16_t(level) & 0xFF));
        s.data.push_back(uint8_t(uint16_t(level) >> 8));
    }
    return s;
}

// The head of a stream of 16-bit mono at 44.1 kHz, `samplesPerBlock` frames to each block.
inline swf::SoundStreamHead pcmStreamHead(uint16_t samplesPerBlock) {
    swf::SoundStreamHead head;
    head.format = swf::SoundFormat::UncompressedLittleEndian;
    head.streamRate = 3;
    head.playbackRate = 3;
    head.stream16Bit = true;
    head.samplesPerBlock = samplesPerBlock;
    return head;
}

struct Actions {
    swf::Bytes bytes;
    Actions& op(uint8_t code) {
        bytes.push_back(code);
        return *this;
    }
    Actions& stop() { return op(0x07); }
    Actions& play() { return op(0x06); }
    Actions& nextFrame() { return op(0x04); }
    Actions& prevFrame() { return op(0x05); }
    Actions& gotoFrame(uint16_t f) {
        bytes.insert(bytes.end(), {0x81, 2, 0, uint8_t(f), uint8_t(f >> 8)});
        return *this;
    }
    Actions& withText(uint8_t code, std::vector<std::string> texts) {
        swf::Bytes body;
        for (const auto& t : texts) {
            appendText(body, t);
        }
        bytes.insert(bytes.end(), {code, uint8_t(body.size()), uint8_t(body.size() >> 8)});
        bytes.insert(bytes.end(), body.begin(), body.end());
        return *this;
    }
    Actions& gotoLabel(const std::string& l) { return withText(0x8C, {l}); }
    Actions& setTarget(const std::string& t) { return withText(0x8B, {t}); }
    Actions& getUrl(const std::string& url, const std::string& window) {
        return withText(0x83, {url, window});
    }
    // Marks a point in the log: getURL("FSCommand:" + name, arg).
    Actions& say(const std::string& name, const std::string& arg = {}) {
        return getUrl("FSCommand:" + name, arg);
    }
    swf::Bytes end() {
        bytes.push_back(0);
        return bytes;
    }
};

// A solid square shape from (x0, y0) to (x1, y1) in pixels.
inline swf::Shape square(double x0, double y0, double x1, double y1, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    const uint32_t fill = b.addFill(swfwrite::solidFill(color));
    b.rectangle(int32_t(x0 * 20), int32_t(y0 * 20), int32_t(x1 * 20), int32_t(y1 * 20), fill);
    return b.build();
}

// Static text of two letters of a font whose one glyph fills its em square above the
// baseline, the letters `height` pixels tall and 30 pixels apart, the first at (x, baseline).
inline swf::Text boxLetters(swfwrite::MovieBuilder& b, swf::Rect bounds, int height,
                            swf::Rgba color, int x, int baseline) {
    swf::Font font;
    font.version = 2;
    font.name = "Box";
    swfwrite::ShapeBuilder glyph;
    glyph.rectangle(0, -1024, 1024, 0, 1);
    font.glyphs = {glyph.records()};
    font.codes = {'A'};
    swf::Text text;
    text.version = 2;
    text.bounds = bounds;
    swf::TextRecord line;
    line.fontId = b.define(font);
    line.height = uint16_t(height * 20);
    line.color = color;
    line.xOffset = int16_t(x * 20);
    line.yOffset = int16_t(baseline * 20);
    line.glyphs = {{0, 30 * 20}, {0, 30 * 20}};
    text.records = {line};
    return text;
}

// A clip of one frame holding `characters` at depths 1, 2 and on.
inline uint16_t clipOf(swfwrite::MovieBuilder& b, std::initializer_list<uint16_t> characters) {
    swfwrite::TimelineBuilder inner;
    uint16_t depth = 1;
    for (uint16_t id : characters) {
        inner.place(id, depth++);
    }
    inner.showFrame();
    return b.define(inner.sprite());
}

// A clip showing a 40 x 40 square of `color` at its origin.
inline uint16_t squareClip(swfwrite::MovieBuilder& b, swf::Rgba color) {
    return clipOf(b, {b.define(square(0, 0, 40, 40, color))});
}

// A button showing and hit by a 40 x 40 square of `color`, without actions yet.
inline swf::Button squareButton(swfwrite::MovieBuilder& b, swf::Rgba color) {
    swf::Button button;
    button.version = 2;
    const uint16_t shape = b.define(square(0, 0, 40, 40, color));
    for (uint8_t state : {swf::button_state::Up, swf::button_state::HitTest}) {
        swf::ButtonRecord r;
        r.states = state;
        r.characterId = shape;
        r.depth = 1;
        button.records.push_back(r);
    }
    return button;
}

inline swf::Matrix at(double x, double y) {
    swf::Matrix m;
    m.tx = int32_t(x * 20);
    m.ty = int32_t(y * 20);
    return m;
}

// A placing of a named instance.
inline swf::PlaceObject named(uint16_t characterId, uint16_t depth, const std::string& name) {
    swf::PlaceObject p;
    p.characterId = characterId;
    p.depth = depth;
    p.name = name;
    return p;
}

// A placing of the kind that may carry filters, a blend mode and caching.
inline swf::PlaceObject placing3(uint16_t characterId, uint16_t depth, swf::Matrix matrix = {}) {
    swf::PlaceObject p;
    p.version = 3;
    p.characterId = characterId;
    p.depth = depth;
    p.matrix = matrix;
    return p;
}

// A 40 x 40 movie whose clip "box" at depth 1 holds a square of `color` over 10..20 (pixels),
// placed by `p` with its character, depth and name filled in (at the origin unless `p` has a
// matrix); no frame is shown yet.
inline swfwrite::MovieBuilder boxMovie(swf::Rgba color, swf::PlaceObject p = {}) {
    swfwrite::MovieBuilder b(8, 40, 40);
    const uint16_t sprite = clipOf(b, {b.define(square(10, 10, 20, 20, color))});
    p.version = 3;
    p.characterId = sprite;
    p.depth = 1;
    if (!p.matrix) {
        p.matrix = swf::Matrix{};
    }
    p.name = "box";
    b.place(p);
    return b;
}

struct Recorder : PlayerEvents {
    std::vector<std::string> log;
    void fsCommand(const QString& command, const QString& args) override {
        log.push_back(args.isEmpty() ? command.toStdString()
                                     : (command + u' ' + args).toStdString());
    }
    void loadMovie(int layer, const QString& url) override {
        log.push_back("load " + std::to_string(layer) + " " + url.toStdString());
    }
    std::vector<std::string> take() {
        auto out = std::move(log);
        log.clear();
        return out;
    }
};

inline std::shared_ptr<const swf::Movie> share(const swfwrite::MovieBuilder& b) {
    return std::make_shared<const swf::Movie>(b.build());
}

// A player whose reports go to a recorder, for tests of timelines without a script host.
struct RecordedPlayer {
    Player player;
    Recorder events;
    RecordedPlayer() { player.setEvents(&events); }
    DisplayObject& root() { return *player.root(0); }
    // Loads the movie on level 0 and runs its first frame.
    void load(const swfwrite::MovieBuilder& b) {
        player.load(0, share(b));
        player.runFrame();
    }
};

// A movie with an empty sprite "holder" at depth 1, the actions `first` run in frame 1 and
// `second` in frame 2 (each ending in End).
inline swf::Bytes holderMovie(uint8_t version, const swf::Bytes& first, const swf::Bytes& second,
                              std::optional<uint32_t> fileAttributes = std::nullopt) {
    swfwrite::MovieBuilder b(version);
    b.movie().fileAttributes = fileAttributes;
    swfwrite::TimelineBuilder empty;
    empty.showFrame();
    swf::PlaceObject p;
    p.characterId = b.define(empty.sprite());
    p.depth = 1;
    p.name = "holder";
    b.place(p);
    b.doAction(first).showFrame();
    b.doAction(second).showFrame();
    return b.write();
}

}  // namespace pencora::runtime::test
