// swfplay's container for the Flash control: it creates the control by class identifier and
// embeds it exactly as the player does (client site, InitNew, sinks, ambient change,
// windowless DoVerb, object rectangle, IViewObject::Draw). Its bind host serves the loaded
// movie's folder as the root of every address (see served_folder.h), so a movie reads as
// "file:///NAME" wherever it lies. Frames run on the control's virtual clock through its
// tooling interface.
#pragma once

#include <QImage>
#include <QRect>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input_script.h"
#include "platform/flash/control/movie_engine.h"
#include "platform/ole/shockwave_flash.h"
#include "platform/ole/socket_host.h"

namespace pencora::swfplay {

// The largest side of a rendered picture, whether asked for with --size or taken from a
// movie's header: a header may declare a stage of millions of pixels.
constexpr int kMaxRenderSide = 16384;

struct RenderSize {
    int width;
    int height;
};

// The stage size shrunk, keeping its proportions, until neither side exceeds
// kMaxRenderSide; each side is at least 1.
RenderSize fitRenderSize(int width, int height);

class MovieHost {
  public:
    MovieHost();
    ~MovieHost();
    MovieHost(const MovieHost&) = delete;
    MovieHost& operator=(const MovieHost&) = delete;

    // False when no control is registered or it refused to embed; `error` says why.
    bool available() const;
    const std::string& error() const;

    // Where the movie's socket connections go from the next load() on; none: refused.
    void setSocketHost(ole::ComPtr<ole::ISocketHost> sockets);
    // Loads the movie into layer 0; false when the control loaded nothing.
    bool load(const std::filesystem::path& movie);
    flash::MovieInfo info() const;
    // The stage size in whole pixels (550 x 400 while no movie gives one).
    int stageWidth() const;
    int stageHeight() const;

    void setQuality(const std::u16string& quality);  // "Low", "Medium", "High", "Best"
    // Where the control sits; by default the stage size, fitted by fitRenderSize.
    void setSize(int width, int height);
    void advance(int frames);
    // What the movie's Date reads at its first frame (ms since 1970 UTC).
    void pinWallClock(double millisecondsSinceEpoch);
    void inject(const flash::InputEvent& event);
    // A script's event: input for the movie, or new text on the clipboard.
    void inject(const ScriptEvent& event);
    // The current frame as the control draws it (content aspect) at the set size.
    QImage render();

    // The area the control asked to have repainted since the last call (its whole rectangle
    // when it named none), clipped to the control; nullopt when it asked for nothing.
    std::optional<QRect> takeDirty();
    // Draws the control's `area` (the transparent aspect, over what `scratch` holds) at 0, 0 of
    // `scratch`, as the player composes a dirty area: the drawing origin moved to the area's
    // corner.
    void drawArea(QImage& scratch, const QRect& area);

    // The control's scripting interface, as the player drives it; null when unavailable.
    ole::IShockwaveFlash* control() const;
    // The boxes of what acts on the pointer now (MovieEngine::activeAreas), in stage pixels.
    std::vector<flash::StageRect> activeAreas();

    // Lines of trace() output and FSCommands, as they arrive.
    std::function<void(const std::u16string& line)> onTrace;
    std::function<void(const std::u16string& command, const std::u16string& args)> onCommand;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// "Low" for "low", and so on; empty for an unknown name.
std::u16string qualityName(std::string_view text);

}  // namespace pencora::swfplay
