// One monkey run: loads a movie into the control as the player embeds it, plays it frame by
// frame on the virtual clock with the monkey's input between frames, draws what each frame
// changed, and keeps watch over time and memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pencora::swfmonkey {

struct RunOptions {
    std::uint64_t seed = 1;
    int frames = 600;
    bool draw = true;
    int commandShare = 14;  // control commands in a thousand things done
    // A frame slower than this is named as slow; the watchdog of main() ends a hung one.
    double slowFrameMs = 5000;
    // What the process may hold (resident, MiB) before the run counts as runaway growth.
    double maxResidentMb = 3072;
    // Every this many frames the movie is loaded again into layer 0 through the control, as
    // a lesson player replaces its movie (0: never), to show what each load leaves behind.
    int reloadEvery = 0;
    // Called as each frame starts (0-based), where a watchdog is wound again.
    std::function<void(int frame)> onFrameStart;
};

struct RunReport {
    bool loaded = false;
    int framesPlayed = 0;
    double wallSeconds = 0;
    double slowestFrameMs = 0;
    int slowestFrame = 0;
    double peakResidentMb = 0;     // the process's high-water mark
    double residentAtStartMb = 0;  // after the first frame
    double residentAtHalfMb = 0;   // after half the frames: growth from here on never settles
    double residentAtEndMb = 0;
    int events = 0;
    int commands = 0;
    int reloads = 0;
    std::vector<double> residentAtReloadsMb;  // just before each reload
    // Everything the movie traced and sent, folded; the same seed gives the same digest.
    std::uint64_t digest = 0xCBF29CE484222325ull;
    // What went wrong, one line each; empty for a clean run.
    std::vector<std::string> problems;
};

// The frame being played, for the watchdog's message; -1 before the first.
int currentFrame();

RunReport runMonkey(const std::filesystem::path& movie, const RunOptions& options);

// The movies of a folder (sorted file names ending in .swf) that LoadMovie may bring in.
std::vector<std::u16string> moviesBeside(const std::filesystem::path& movie);

// Resident memory of this process now, and at its highest, in MiB (0 where unknown).
double residentMb();
double peakResidentMb();

}  // namespace pencora::swfmonkey
