// swfmonkey: plays a movie under a seeded stream of random input and watches for crashes,
// hangs and runaway memory.
//
//   swfmonkey MOVIE [--seed N] [--frames N] [--no-draw] [--hang-seconds S] [--slow-ms MS]
//                   [--max-mb MB] [--commands PER_MILLE] [--reload-every FRAMES]
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "monkey_run.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"

namespace {

using namespace pencora;

// Exit statuses: what went wrong, for the scripts that run the monkey over many movies.
constexpr int kUsage = 2;
constexpr int kNotAMovie = 1;
constexpr int kHang = 3;
constexpr int kProblem = 4;

int usage() {
    std::fprintf(stderr,
                 "usage: swfmonkey MOVIE [--seed N] [--frames N] [--no-draw] [--hang-seconds S]\n"
                 "                       [--slow-ms MS] [--max-mb MB] [--commands PER_MILLE]\n"
                 "                       [--reload-every FRAMES]\n");
    return kUsage;
}

bool readNumber(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && *value >= 0;
}

// Writes the frame number with what a signal handler may call.
void writeNumber(int n) {
    char digits[16];
    int used = 0;
    unsigned value = n < 0 ? 0 : unsigned(n);
    do {
        digits[sizeof digits - 1 - used++] = char('0' + value % 10);
        value /= 10;
    } while (value && used < int(sizeof digits));
    [[maybe_unused]] auto w = write(2, digits + sizeof digits - used, size_t(used));
}

// The watchdog: a frame still running when the alarm rings is a hang.
void onAlarm(int) {
    static const char kText[] = "swfmonkey: HANG in frame ";
    [[maybe_unused]] auto w = write(2, kText, sizeof kText - 1);
    writeNumber(swfmonkey::currentFrame() + 1);
    w = write(2, "\n", 1);
    _exit(kHang);
}

struct Options {
    std::string movie;
    swfmonkey::RunOptions run;
    unsigned hangSeconds = 120;
};

bool readOptions(const std::vector<std::string>& args, Options* o) {
    if (args.empty()) {
        return false;
    }
    o->movie = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        double v = 0;
        if (args[i] == "--no-draw") {
            o->run.draw = false;
            continue;
        }
        if (i + 1 >= args.size() || !readNumber(args[i + 1], &v)) {
            return false;
        }
        const std::string& name = args[i++];
        if (name == "--seed") {
            o->run.seed = std::uint64_t(v);
        } else if (name == "--frames" && v >= 1 && v <= 1e7) {
            o->run.frames = int(v);
        } else if (name == "--hang-seconds" && v >= 1) {
            o->hangSeconds = unsigned(v);
        } else if (name == "--commands" && v <= 1000) {
            o->run.commandShare = int(v);
        } else if (name == "--slow-ms") {
            o->run.slowFrameMs = v;
        } else if (name == "--max-mb" && v >= 1) {
            o->run.maxResidentMb = v;
        } else if (name == "--reload-every" && v <= 1e7) {
            o->run.reloadEvery = int(v);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    flash::registerFlashControl(flash::createDefaultMovieEngine);
    Options options;
    if (!readOptions(std::vector<std::string>(argv + 1, argv + argc), &options)) {
        return usage();
    }
    // The alarm is wound again as each frame starts: it rings only in a frame (or the load)
    // that runs longer than the limit.
    std::signal(SIGALRM, onAlarm);
    alarm(options.hangSeconds);
    options.run.onFrameStart = [&options](int) { alarm(options.hangSeconds); };
    const swfmonkey::RunReport r = swfmonkey::runMonkey(options.movie, options.run);
    alarm(0);
    if (!r.loaded) {
        std::fprintf(stderr, "swfmonkey: %s: not a movie that loads\n", options.movie.c_str());
        return kNotAMovie;
    }
    std::printf(
        "%s seed %llu: %d frames, %d events, %d commands, %.2f s, slowest frame %d "
        "%.1f ms, resident %.0f -> %.0f -> %.0f MiB, peak %.0f MiB, digest %016llx\n",
        options.movie.c_str(), static_cast<unsigned long long>(options.run.seed), r.framesPlayed,
        r.events, r.commands, r.wallSeconds, r.slowestFrame, r.slowestFrameMs, r.residentAtStartMb,
        r.residentAtHalfMb, r.residentAtEndMb, r.peakResidentMb,
        static_cast<unsigned long long>(r.digest));
    if (r.reloads > 0) {
        std::printf("%d reloads, resident after the first %.0f MiB, after the last %.0f MiB\n",
                    r.reloads, r.residentAtReloadsMb.front(), r.residentAtReloadsMb.back());
    }
    for (const auto& problem : r.problems) {
        std::printf("PROBLEM %s\n", problem.c_str());
    }
    return r.problems.empty() ? 0 : kProblem;
}
