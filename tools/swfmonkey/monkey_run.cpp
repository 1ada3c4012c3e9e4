#include "monkey_run.h"

#include <QImage>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <fstream>
#include <set>

#include "monkey_input.h"
#include "movie_host.h"
#include "served_folder.h"

namespace pencora::swfmonkey {

namespace {

std::atomic<int> frameNow{-1};

// The player's window, not the stage, sizes the control: the largest side this many pixels.
constexpr int kControlSide = 1280;

void fold(std::uint64_t& digest, std::u16string_view text) {
    for (char16_t c : text) {
        digest = (digest ^ c) * 0x100000001B3ull;
    }
    digest = (digest ^ 0xFFFF) * 0x100000001B3ull;
}

// Runs one command through the control's scripting interface.
void send(ole::IShockwaveFlash& flash, const ControlCommand& c) {
    using K = ControlCommand::Kind;
    switch (c.kind) {
        case K::Play:
            flash.Play();
            break;
        case K::StopPlay:
            flash.StopPlay();
            break;
        case K::Rewind:
            flash.Rewind();
            break;
        case K::GotoFrame:
            flash.GotoFrame(c.number);
            break;
        case K::SetVariable:
            flash.SetVariable(c.a, c.b);
            break;
        case K::CallLabel:
            flash.TCallLabel(c.a, c.b);
            break;
        case K::LoadMovie:
            flash.LoadMovie(c.number, swfplay::servedAddress(std::filesystem::path(c.a)));
            break;
    }
}

// What the monkey sees before it acts: the stage, the root's frames and labels, the areas.
void look(swfplay::MovieHost& host, View& view) {
    const flash::MovieInfo info = host.info();
    view.stageWidth = std::max(info.stageWidth, 1.0);
    view.stageHeight = std::max(info.stageHeight, 1.0);
    double total = 1;
    if (auto* flash = host.control(); flash && flash->TGetPropertyNum(u"/", 5, &total) >= 0) {
        view.totalFrames = std::clamp(int(total), 1, 16000);
    }
    ole::BSTR label;
    if (auto* flash = host.control();
        flash && flash->TCurrentLabel(u"/", &label) >= 0 && !label.empty() &&
        view.labels.size() < 64 &&
        std::find(view.labels.begin(), view.labels.end(), label) == view.labels.end()) {
        view.labels.push_back(label);
    }
    view.activeAreas = host.activeAreas();
}

void draw(swfplay::MovieHost& host) {
    if (const auto area = host.takeDirty()) {
        QImage scratch(area->size(), QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::white);
        host.drawArea(scratch, *area);
    }
}

struct Clock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double ms() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    }
};

// Loads the movie again into layer 0 when the options ask for it at this frame.
void reloadIfDue(swfplay::MovieHost& host, const std::filesystem::path& movie, int frame,
                 const RunOptions& options, RunReport& report) {
    if (options.reloadEvery > 0 && frame > 0 && frame % options.reloadEvery == 0) {
        host.control()->LoadMovie(
            0, swfplay::servedAddress(std::filesystem::path(movie.filename().u16string())));
        ++report.reloads;
        report.residentAtReloadsMb.push_back(residentMb());
    }
}

// Plays one frame with the monkey's doing after it; false when the run must end.
bool playFrame(swfplay::MovieHost& host, Monkey& monkey, View& view, const RunOptions& options,
               RunReport& report) {
    host.advance(1);
    look(host, view);
    const FrameActions actions = monkey.next(view);
    for (const auto& e : actions.events) {
        host.inject(e);
    }
    for (const auto& c : actions.commands) {
        send(*host.control(), c);
    }
    report.events += int(actions.events.size());
    report.commands += int(actions.commands.size());
    if (options.draw) {
        draw(host);
    }
    if (host.info().scriptsStopped) {
        report.problems.push_back("a script ran past its time limit: the movie's scripts stopped");
        return false;
    }
    return true;
}

}  // namespace

int currentFrame() {
    return frameNow.load();
}

double residentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    if (!(statm >> pages >> resident)) {
        return 0;
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

std::vector<std::u16string> moviesBeside(const std::filesystem::path& movie) {
    std::set<std::u16string> names;
    std::error_code error;
    const auto folder = std::filesystem::absolute(movie).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = entry.path().filename();
        if (entry.is_regular_file(error) && name.extension() == ".swf") {
            names.insert(name.u16string());
        }
    }
    return {names.begin(), names.end()};
}

RunReport runMonkey(const std::filesystem::path& movie, const RunOptions& options) {
    RunReport report;
    swfplay::MovieHost host;
    if (!host.available() || !host.load(movie)) {
        return report;
    }
    report.loaded = true;
    const swfplay::RenderSize stage = swfplay::fitRenderSize(host.stageWidth(), host.stageHeight());
    const double scale = std::min(1.0, double(kControlSide) / std::max(stage.width, stage.height));
    host.setSize(std::max(1, int(stage.width * scale)), std::max(1, int(stage.height * scale)));
    host.onTrace = [&report](const std::u16string& line) { fold(report.digest, line); };
    host.onCommand = [&report](const std::u16string& command, const std::u16string& args) {
        fold(report.digest, command);
        fold(report.digest, args);
    };
    Monkey monkey(options.seed, moviesBeside(movie), options.commandShare);
    View view;
    const Clock run;
    for (int frame = 0; frame < options.frames; ++frame) {
        frameNow = frame;
        if (options.onFrameStart) {
            options.onFrameStart(frame);
        }
        const Clock clock;
        bool goOn = true;
        try {
            reloadIfDue(host, movie, frame, options, report);
            goOn = playFrame(host, monkey, view, options, report);
        } catch (const std::exception& e) {
            report.problems.push_back(std::string("exception out of the control: ") + e.what());
            goOn = false;
        }
        const double ms = clock.ms();
        if (ms > report.slowestFrameMs) {
            report.slowestFrameMs = ms;
            report.slowestFrame = frame + 1;
        }
        report.framesPlayed = frame + 1;
        const double resident = residentMb();
        if (frame == 0) {
            report.residentAtStartMb = resident;
        }
        if (frame == options.frames / 2) {
            report.residentAtHalfMb = resident;
        }
        if (resident > options.maxResidentMb) {
            report.problems.push_back("runaway memory: " + std::to_string(int(resident)) +
                                      " MiB resident at frame " + std::to_string(frame + 1));
            goOn = false;
        }
        if (!goOn) {
            break;
        }
    }
    frameNow = -1;
    report.wallSeconds = run.ms() / 1000;
    report.residentAtEndMb = residentMb();
    report.peakResidentMb = peakResidentMb();
    if (report.slowestFrameMs > options.slowFrameMs) {
        report.problems.push_back("slow frame " + std::to_string(report.slowestFrame) + ": " +
                                  std::to_string(int(report.slowestFrameMs)) + " ms");
    }
    return report;
}

}  // namespace pencora::swfmonkey
