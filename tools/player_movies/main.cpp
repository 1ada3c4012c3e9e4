// Writes the player's raw-data movies of our own into a folder (normally src/player/resources):
// FLVPLAYBACK, the FLV player movie, and its skins CLEAROVERALL, STEEL and MOJAVE, each a
// compressed version 8 movie. Run it again after changing a movie and commit its output:
//   player_movies src/player/resources
//
// The FLV player holds the instance "flv" (a video area whose contentPath, skin and volume
// the player sets as the variables flv.contentPath, flv.skin, flv.volume) and registers the
// external calls "playflv" and "stopflv", which play and stop "flv". Decoding the video
// itself is not done here. Each skin is a control bar of its own colour.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"

namespace {

using namespace pencora;

struct Actions {
    swf::Bytes bytes;
    void record(std::uint8_t code, const swf::Bytes& body) {
        bytes.push_back(code);
        bytes.push_back(static_cast<std::uint8_t>(body.size()));
        bytes.push_back(static_cast<std::uint8_t>(body.size() >> 8));
        bytes.insert(bytes.end(), body.begin(), body.end());
    }
    Actions& pushString(const std::string& s) {
        swf::Bytes b{0};
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
        record(0x96, b);
        return *this;
    }
    Actions& pushNull() {
        record(0x96, {2});
        return *this;
    }
    Actions& pushInt(std::int32_t v) {
        record(0x96, {7, std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                      std::uint8_t(v >> 24)});
        return *this;
    }
    Actions& op(std::uint8_t code) {
        bytes.push_back(code);
        return *this;
    }
    // An anonymous function without parameters, left on the stack.
    Actions& function(const swf::Bytes& body) {
        record(0x9B, {0, 0, 0, std::uint8_t(body.size()), std::uint8_t(body.size() >> 8)});
        bytes.insert(bytes.end(), body.begin(), body.end());
        return *this;
    }
    // flv.<method>()
    Actions& callOnFlv(const std::string& method) {
        pushInt(0).pushString("flv").op(0x1C).pushString(method).op(0x52).op(0x17);
        return *this;
    }
    // flash.external.ExternalInterface.addCallback(name, null, <function on the stack>)
    Actions& addCallback(const std::string& name) {
        pushNull().pushString(name).pushInt(3);
        pushString("flash").op(0x1C).pushString("external").op(0x4E);
        pushString("ExternalInterface").op(0x4E).pushString("addCallback").op(0x52).op(0x17);
        return *this;
    }
    swf::Bytes end() {
        bytes.push_back(0);
        return bytes;
    }
};

swf::Shape box(int x0, int y0, int x1, int y1, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    const std::uint32_t fill = b.addFill(swfwrite::solidFill(color));
    b.rectangle(x0 * 20, y0 * 20, x1 * 20, y1 * 20, fill);
    return b.build();
}

bool save(const std::string& folder, const std::string& name, const swf::Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

swf::Bytes flvPlayback() {
    swfwrite::MovieBuilder b(8, 320, 240, 24);
    b.background({0, 0, 0, 255});
    // The video area: a sprite of two frames that stops at once; "playflv" plays it.
    const std::uint16_t area = b.define(box(0, 0, 320, 240, {16, 16, 16, 255}));
    swfwrite::TimelineBuilder frames;
    frames.place(area, 1).doAction(Actions().op(0x07).end()).showFrame().showFrame();
    const std::uint16_t video = b.define(frames.sprite());
    swf::PlaceObject place;
    place.depth = 1;
    place.characterId = video;
    place.matrix = swf::Matrix{};
    place.name = "flv";
    b.place(place);
    Actions play;
    play.callOnFlv("play");
    Actions stop;
    stop.callOnFlv("stop");
    Actions a;
    a.function(play.end()).addCallback("playflv");
    a.function(stop.end()).addCallback("stopflv");
    a.op(0x07);
    b.doAction(a.end()).showFrame();
    return b.write(swf::Compression::Zlib);
}

swf::Bytes skin(swf::Rgba bar, swf::Rgba button) {
    swfwrite::MovieBuilder b(8, 320, 30, 24);
    b.background(bar);
    const std::uint16_t playButton = b.define(box(6, 6, 24, 24, button));
    const std::uint16_t track = b.define(box(32, 12, 310, 18, button));
    b.place(playButton, 1).place(track, 2).doAction(Actions().op(0x07).end()).showFrame();
    return b.write(swf::Compression::Zlib);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: player_movies <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = save(folder, "FLVPLAYBACK", flvPlayback()) &&
                    save(folder, "CLEAROVERALL", skin({230, 230, 230, 255}, {90, 90, 90, 255})) &&
                    save(folder, "STEEL", skin({120, 130, 140, 255}, {220, 225, 230, 255})) &&
                    save(folder, "MOJAVE", skin({196, 160, 110, 255}, {90, 60, 30, 255}));
    return ok ? 0 : 1;
}
