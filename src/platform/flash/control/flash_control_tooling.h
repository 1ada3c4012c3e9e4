// A private interface of the Flash control for tools and tests (swfplay, the control's own
// tests), never used by the player: trace output, deterministic stepping on a virtual clock,
// and input straight in stage coordinates. Ask the control for it with QueryInterface.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "platform/flash/control/movie_engine.h"
#include "platform/ole/unknown.h"

namespace pencora::flash {

struct IFlashControlTooling : ole::IUnknown {
    static constexpr ole::IID kIid = ole::guid("{5E1B7C3A-9D24-4F6B-8A71-3C2E9F0D4B16}");
    // Receives each trace() line as the movie prints it; an empty function drops them.
    virtual ole::HRESULT SetTraceSink(std::function<void(std::u16string_view)> sink) = 0;
    // On: the frame timer stops and frames run only through AdvanceFrames. Off: the timer
    // runs again at the movie's frame rate.
    virtual ole::HRESULT UseVirtualClock(ole::BOOL on) = 0;
    // Runs `count` frames, each followed by one frame's duration (1000 / frame rate ms) on the
    // movie's clock, exactly as the timer would.
    virtual ole::HRESULT AdvanceFrames(int count) = 0;
    virtual ole::HRESULT InjectInput(const InputEvent& event) = 0;
    virtual ole::HRESULT GetMovieInfo(MovieInfo* info) = 0;
    // Fixes what `new Date()` reads (milliseconds since 1970 UTC); the movie's clock moves on
    // from there. NaN goes back to the system clock.
    virtual ole::HRESULT PinWallClock(double millisecondsSinceEpoch) = 0;
    // The boxes of the buttons, clips with mouse handlers and input text fields that show now,
    // in stage pixels (MovieEngine::activeAreas).
    virtual ole::HRESULT GetActiveAreas(std::vector<StageRect>* areas) = 0;
};

}  // namespace pencora::flash
