// Writes the player's raw-data movies of our own into a folder (normally src/player/resources):
// FLVPLAYBACK, the FLV player movie, and its skins CLEAROVERALL, STEEL and MOJAVE, each a
// compressed version 8 movie. Run it again after changing a movie and commit its output:
//   player_movies src/player/resources
//
// The FLV player holds the instance "flv", whose variables contentPath, skin and volume the
// player sets (flv.contentPath, flv.skin, flv.volume). Each frame it plays a new contentPath
// through a NetStream (shown in "flv", heard through it), applies a new volume to flv's
// sound and loads a new skin into the clip "skinbar" along the bottom. "playflv" and
// "stopflv", its external calls, resume and pause the video and play and stop "flv".
// For the skins it offers _root.toggle(), _root.seekTo(fraction) and
// _root.volumeTo(fraction), and keeps _root.paused and _root.duration up to date.
//
// Each skin is a bar with a play/pause button, a seek bar with its thumb and a volume bar,
// in a look of its own.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"
#include "script.h"

namespace {

using namespace pencora;
using player_movies::Script;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kBarHeight = 30;

swf::Shape box(int x0, int y0, int x1, int y1, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    const std::uint32_t fill = b.addFill(swfwrite::solidFill(color));
    b.rectangle(x0 * 20, y0 * 20, x1 * 20, y1 * 20, fill);
    return b.build();
}

swf::Shape triangle(int x0, int y0, int x1, int y1, swf::Rgba color) {
    swfwrite::ShapeBuilder b;
    b.fill1(b.addFill(swfwrite::solidFill(color)));
    b.moveTo(x0 * 20, y0 * 20).lineTo(x1 * 20, (y0 + y1) * 10).lineTo(x0 * 20, y1 * 20);
    b.lineTo(x0 * 20, y0 * 20);
    return b.build();
}

bool save(const std::string& folder, const std::string& name, const swf::Bytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

swf::PlaceObject named(uint16_t id, uint16_t depth, const std::string& name, int x = 0, int y = 0) {
    swf::PlaceObject p;
    p.depth = depth;
    p.characterId = id;
    swf::Matrix m;
    m.tx = x * 20;
    m.ty = y * 20;
    p.matrix = m;
    p.name = name;
    return p;
}

Script differs(const std::string& a, const std::string& b) {
    return Script::unary(Script::binary(Script::get(a), Script::get(b), Script::kEquals2),
                         Script::kNot);
}

// Once a frame: a new address, volume or skin set by the player takes effect.
Script followPlayerVariables() {
    Script play = Script::set("_root.shownPath", Script::get("_root.flv.contentPath"));
    play.then(Script::set("_root.ended", Script::boolean(false)));
    play.then(Script::run(Script::call("_root.ns.play", {Script::get("_root.flv.contentPath")})));
    Script volume = Script::set("_root.shownVolume", Script::get("_root.flv.volume"));
    volume.then(Script::run(
        Script::call("_root.snd.setVolume",
                     {Script::unary(Script::get("_root.flv.volume"), Script::kToNumber)})));
    Script skin = Script::set("_root.shownSkin", Script::get("_root.flv.skin"));
    skin.then(Script::run(Script::call("_root.skinbar.unloadMovie")));
    skin.then(Script::when(
        Script::get("_root.flv.skin"),
        Script::run(Script::call("_root.skinbar.loadMovie", {Script::get("_root.flv.skin")}))));
    Script s = Script::when(differs("_root.flv.contentPath", "_root.shownPath"),
                            Script::when(Script::get("_root.flv.contentPath"), play));
    s.then(Script::when(differs("_root.flv.volume", "_root.shownVolume"), volume));
    s.then(Script::when(differs("_root.flv.skin", "_root.shownSkin"), skin));
    return s;
}

// onMetaData: the duration for the seek bar, and the picture fitted to the stage.
Script onMetaData() {
    Script s = Script::set("_root.duration", Script::get("info.duration"));
    Script fit = Script::set(
        "_root.flv._xscale",
        Script::binary(Script::number(kWidth * 100), Script::get("info.width"), Script::kDivide));
    fit.then(Script::set("_root.flv._yscale",
                         Script::binary(Script::number(kHeight * 100), Script::get("info.height"),
                                        Script::kDivide)));
    s.then(Script::when(
        Script::binary(Script::number(0), Script::get("info.height"), Script::kLess2),
        Script::when(Script::binary(Script::number(0), Script::get("info.width"), Script::kLess2),
                     fit)));
    return s;
}

Script onStatus() {
    Script ended = Script::set("_root.ended", Script::boolean(true));
    ended.then(Script::set("_root.paused", Script::boolean(true)));
    return Script::when(Script::binary(Script::get("info.code"), Script::str("NetStream.Play.Stop"),
                                       Script::kEquals2),
                        ended);
}

Script pauseVideo(bool paused) {
    Script s = Script::set("_root.paused", Script::boolean(paused));
    s.then(Script::run(Script::call("_root.ns.pause", {Script::boolean(paused)})));
    s.then(Script::run(Script::call(paused ? "_root.flv.stop" : "_root.flv.play")));
    return s;
}

// Play/pause; after the end it starts again from the beginning.
Script toggle() {
    Script restart = Script::run(Script::call("_root.ns.seek", {Script::number(0)}));
    restart.then(Script::set("_root.ended", Script::boolean(false)));
    Script resume = pauseVideo(false);
    Script s = Script::when(Script::get("_root.ended"), restart);
    s.then(Script::when(Script::get("_root.paused"), resume));
    s.then(Script::when(
        Script::unary(Script::get("_root.paused"), Script::kNot),
        Script::when(Script::unary(Script::get("_root.ended"), Script::kNot), pauseVideo(true))));
    return s;
}

Script seekTo() {
    Script s = Script::run(Script::call(
        "_root.ns.seek", {Script::binary(Script::get("fraction"), Script::get("_root.duration"),
                                         Script::kMultiply)}));
    s.then(Script::set("_root.ended", Script::boolean(false)));
    return s;
}

Script volumeTo() {
    return Script::set(
        "_root.flv.volume",
        Script::call("Math.round", {Script::binary(Script::get("fraction"), Script::number(100),
                                                   Script::kMultiply)}));
}

Script addCallback(const std::string& name, const Script& function) {
    return Script::run(Script::call("flash.external.ExternalInterface.addCallback",
                                    {Script::str(name), Script::null(), function}));
}

Script playerScript() {
    Script s = Script::set("paused", Script::boolean(false));
    s.then(Script::set("ended", Script::boolean(false)));
    s.then(Script::set("duration", Script::number(0)));
    s.then(Script::set("nc", Script::newObject("NetConnection")));
    s.then(Script::run(Script::call("nc.connect", {Script::null()})));
    s.then(Script::set("ns", Script::newObject("NetStream", {Script::get("nc")})));
    s.then(Script::run(Script::call("flv.attachAudio", {Script::get("ns")})));
    s.then(Script::run(
        Script::call("Video.prototype.attachVideo.call", {Script::get("flv"), Script::get("ns")})));
    s.then(Script::set("snd", Script::newObject("Sound", {Script::get("flv")})));
    s.then(Script::set("ns.onMetaData", Script::function({"info"}, onMetaData())));
    s.then(Script::set("ns.onStatus", Script::function({"info"}, onStatus())));
    s.then(Script::set("toggle", Script::function({}, toggle())));
    s.then(Script::set("seekTo", Script::function({"fraction"}, seekTo())));
    s.then(Script::set("volumeTo", Script::function({"fraction"}, volumeTo())));
    s.then(Script::run(
        Script::call("this.createEmptyMovieClip", {Script::str("skinbar"), Script::number(10)})));
    s.then(Script::set("skinbar._y", Script::number(kHeight - kBarHeight)));
    s.then(Script::set("onEnterFrame", Script::function({}, followPlayerVariables())));
    s.then(addCallback("playflv", Script::function({}, pauseVideo(false))));
    s.then(addCallback("stopflv", Script::function({}, pauseVideo(true))));
    return s;
}

swf::Bytes flvPlayback() {
    swfwrite::MovieBuilder b(8, kWidth, kHeight, 24);
    b.background({0, 0, 0, 255});
    const std::uint16_t area = b.define(box(0, 0, kWidth, kHeight, {16, 16, 16, 255}));
    // The video: pictures and sound of the stream; two frames that stop at once, so that
    // "playflv" and "stopflv" show on its timeline too.
    swfwrite::TimelineBuilder frames;
    frames.doAction(Script::run(Script::call("this.stop")).end()).showFrame().showFrame();
    const std::uint16_t video = b.define(frames.sprite());
    b.place(area, 1).place(named(video, 2, "flv"));
    b.doAction(playerScript().end()).showFrame();
    return b.write(swf::Compression::Zlib);
}

struct Look {
    swf::Rgba bar;
    swf::Rgba face;   // button and thumb
    swf::Rgba track;  // seek and volume bars
    swf::Rgba level;  // the volume set
    int trackHeight;
    int thumbWidth;
};

constexpr int kTrackX = 34;
constexpr int kTrackWidth = 216;
constexpr int kVolumeX = 262;
constexpr int kVolumeWidth = 48;

// A clip showing a pause sign on frame 1 and a play sign on frame 2.
uint16_t playButton(swfwrite::MovieBuilder& b, const Look& look) {
    const uint16_t back = b.define(box(0, 0, 22, 22, look.track));
    const uint16_t bars = [&] {
        swfwrite::ShapeBuilder s;
        const std::uint32_t fill = s.addFill(swfwrite::solidFill(look.face));
        s.rectangle(6 * 20, 5 * 20, 9 * 20, 17 * 20, fill);
        s.rectangle(13 * 20, 5 * 20, 16 * 20, 17 * 20, fill);
        return b.define(s.build());
    }();
    const uint16_t arrow = b.define(triangle(7, 5, 17, 17, look.face));
    swfwrite::TimelineBuilder t;
    t.place(back, 1)
        .place(bars, 2)
        .doAction(Script::run(Script::call("this.stop")).end())
        .showFrame();
    t.remove(2).place(arrow, 3).showFrame();
    return b.define(t.sprite());
}

uint16_t spriteOf(swfwrite::MovieBuilder& b, const swf::Shape& shape) {
    const uint16_t id = b.define(shape);
    swfwrite::TimelineBuilder t;
    t.place(id, 1).showFrame();
    return b.define(t.sprite());
}

// Once a frame: the button's sign, the thumb at the playhead, the volume bar.
Script followVideo(const Look& look) {
    Script s = Script::run(Script::call("this.button.gotoAndStop", {Script::number(1)}));
    s.then(Script::when(Script::get("_root.paused"),
                        Script::run(Script::call("this.button.gotoAndStop", {Script::number(2)}))));
    const Script share = Script::binary(Script::get("_root.ns.time"), Script::get("_root.duration"),
                                        Script::kDivide);
    const Script x = Script::binary(
        Script::number(kTrackX - look.thumbWidth / 2),
        Script::binary(share, Script::number(kTrackWidth), Script::kMultiply), Script::kAdd2);
    s.then(Script::when(
        Script::binary(Script::number(0), Script::get("_root.duration"), Script::kLess2),
        Script::set("this.thumb._x", x)));
    s.then(Script::set("this.level._xscale",
                       Script::unary(Script::get("_root.flv.volume"), Script::kToNumber)));
    return s;
}

Script skinScript(const Look& look) {
    Script s = Script::set("button.onRelease",
                           Script::function({}, Script::run(Script::call("_root.toggle"))));
    auto fraction = [](int width) {
        return Script::binary(Script::get("this._xmouse"), Script::number(width), Script::kDivide);
    };
    s.then(Script::set(
        "track.onRelease",
        Script::function({}, Script::run(Script::call("_root.seekTo", {fraction(kTrackWidth)})))));
    s.then(Script::set("volume.onRelease",
                       Script::function({}, Script::run(Script::call("_root.volumeTo",
                                                                     {fraction(kVolumeWidth)})))));
    s.then(Script::set("onEnterFrame", Script::function({}, followVideo(look))));
    return s;
}

swf::Bytes skin(const Look& look) {
    swfwrite::MovieBuilder b(8, kWidth, kBarHeight, 24);
    b.background(look.bar);
    const int top = (kBarHeight - look.trackHeight) / 2;
    const uint16_t bar = b.define(box(0, 0, kWidth, kBarHeight, look.bar));
    const uint16_t button = playButton(b, look);
    const uint16_t track =
        spriteOf(b, box(0, top, kTrackWidth, top + look.trackHeight, look.track));
    const uint16_t thumb = spriteOf(b, box(0, 5, look.thumbWidth, kBarHeight - 5, look.face));
    const uint16_t volume = spriteOf(b, box(0, 8, kVolumeWidth, kBarHeight - 8, look.track));
    const uint16_t level = spriteOf(b, box(0, 8, kVolumeWidth, kBarHeight - 8, look.level));
    b.place(bar, 1).place(named(button, 2, "button", 5, 4));
    b.place(named(track, 3, "track", kTrackX, 0));
    b.place(named(thumb, 4, "thumb", kTrackX - look.thumbWidth / 2, 0));
    b.place(named(volume, 5, "volume", kVolumeX, 0)).place(named(level, 6, "level", kVolumeX, 0));
    b.doAction(skinScript(look).end()).showFrame();
    return b.write(swf::Compression::Zlib);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: player_movies <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    // Clear: light and airy, a thin line to seek on; steel: dark metal with a broad groove;
    // mojave: sand and earth with a wide thumb.
    const Look clear{
        {235, 238, 242, 200}, {60, 70, 80, 255}, {190, 196, 204, 255}, {90, 150, 220, 255}, 4, 8};
    const Look steel{
        {70, 78, 88, 255}, {215, 222, 230, 255}, {40, 45, 52, 255}, {150, 170, 190, 255}, 10, 6};
    const Look mojave{
        {206, 170, 118, 255}, {96, 58, 28, 255}, {232, 208, 168, 255}, {178, 90, 40, 255}, 8, 14};
    const bool ok = save(folder, "FLVPLAYBACK", flvPlayback()) &&
                    save(folder, "CLEAROVERALL", skin(clear)) &&
                    save(folder, "STEEL", skin(steel)) && save(folder, "MOJAVE", skin(mojave));
    return ok ? 0 : 1;
}
