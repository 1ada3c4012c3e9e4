// swfplay: plays movies through the Flash control's contract, as the player hosts it.
//
//   swfplay render MOVIE OUT.png [--frame N] [--size WxH] [--quality low|high]
//                  [--input input.json] [--clock MS]
//   swfplay trace MOVIE [--frames N] [--input input.json] [--clock MS] [--zone TZ]
//   swfplay corpus DIR [--expect LIST]
//   swfplay bench MOVIE [--size WxH] [--frames N] [--quality low|high] [--whole]
#include <QGuiApplication>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench.h"
#include "corpus.h"
#include "input_script.h"
#include "movie_host.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"

namespace {

using namespace pencora;

int usage() {
    std::cerr << "usage:\n"
                 "  swfplay render MOVIE OUT.png [--frame N] [--size WxH] [--quality low|high]\n"
                 "                 [--input input.json] [--clock MS]\n"
                 "  swfplay trace MOVIE [--frames N] [--input input.json] [--clock MS] "
                 "[--zone TZ]\n"
                 "  swfplay corpus DIR [--expect LIST]\n"
                 "  swfplay bench MOVIE [--size WxH] [--frames N] [--quality low|high] "
                 "[--whole]\n";
    return 2;
}

bool readInt(const std::string& text, int* value) {
    try {
        std::size_t used = 0;
        *value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

bool readMilliseconds(const std::string& text, double* value) {
    try {
        std::size_t used = 0;
        *value = std::stod(text, &used);
        return used == text.size() && std::isfinite(*value);
    } catch (...) {
        return false;
    }
}

// "WxH", each side 1 to the largest picture swfplay draws.
bool readSize(const std::string& size, int* width, int* height) {
    const auto x = size.find('x');
    return x != std::string::npos && readInt(size.substr(0, x), width) &&
           readInt(size.substr(x + 1), height) && *width >= 1 && *height >= 1 &&
           *width <= swfplay::kMaxRenderSide && *height <= swfplay::kMaxRenderSide;
}

// How a movie is shown: the control's size (0: the stage's) and quality (empty: the default).
struct View {
    int width = 0;
    int height = 0;
    std::u16string quality;
};

// Takes args[*i] (and its value) when it is --size or --quality; false for anything else or a
// bad value.
bool readViewOption(const std::vector<std::string>& args, std::size_t* i, View* view) {
    if (*i + 1 >= args.size()) {
        return false;
    }
    if (args[*i] == "--size" && readSize(args[*i + 1], &view->width, &view->height)) {
        ++*i;
        return true;
    }
    if (args[*i] == "--quality" && !(view->quality = swfplay::qualityName(args[*i + 1])).empty()) {
        ++*i;
        return true;
    }
    return false;
}

// Embeds the control and loads `movie` into it as `view` asks; says why not on failure.
bool openMovie(swfplay::MovieHost& host, const std::string& movie, const View& view) {
    if (!host.available()) {
        std::cerr << "swfplay: " << host.error() << "\n";
        return false;
    }
    if (!view.quality.empty()) {
        host.setQuality(view.quality);
    }
    if (!host.load(movie)) {
        std::cerr << "swfplay: " << movie << ": not a movie that loads\n";
        return false;
    }
    if (view.width > 0) {
        host.setSize(view.width, view.height);
    }
    return true;
}

std::string utf8(const std::u16string& s) {
    return QString::fromStdU16String(s).toStdString();
}

// Reads an input script into `input`; says why not on failure.
bool readInput(const std::string& path, swfplay::InputScript* input) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    auto parsed = swfplay::parseInputScript(text.str(), &error);
    if (!in || !parsed) {
        std::cerr << "swfplay: " << path << ": " << (in ? error : "cannot read") << "\n";
        return false;
    }
    *input = std::move(*parsed);
    return true;
}

// Plays `frames` frames, giving the control each step of `input` after its frame; stops
// early when `quit` turns true.
void playWithInput(swfplay::MovieHost& host, int frames, const swfplay::InputScript& input,
                   const bool* quit = nullptr) {
    for (int frame = 0; frame < frames && !(quit && *quit); ++frame) {
        host.advance(1);
        if (!(quit && *quit) && static_cast<std::size_t>(frame) < input.steps.size()) {
            for (const auto& event : input.steps[frame]) {
                host.inject(event);
            }
        }
    }
}

int render(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        return usage();
    }
    int frame = 1;
    View view;
    swfplay::InputScript input;
    std::optional<double> clock;
    double ms = 0;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--frame" && hasValue && readInt(args[i + 1], &frame) && frame >= 1) {
            ++i;
        } else if (args[i] == "--input" && hasValue) {
            if (!readInput(args[++i], &input)) {
                return 1;
            }
        } else if (args[i] == "--clock" && hasValue && readMilliseconds(args[i + 1], &ms)) {
            // A picture of frame N shows timers and clocks read from the date as they stand
            // N frames in, not after the few milliseconds the tool took to get there.
            clock = ms;
            ++i;
        } else if (!readViewOption(args, &i, &view)) {
            return usage();
        }
    }
    swfplay::MovieHost host;
    if (clock && host.available()) {
        host.pinWallClock(*clock);
    }
    if (!openMovie(host, args[0], view)) {
        return 1;
    }
    playWithInput(host, frame, input);
    if (!host.render().save(QString::fromStdString(args[1]), "PNG")) {
        std::cerr << "swfplay: cannot write " << args[1] << "\n";
        return 1;
    }
    return 0;
}

// swfplay bench MOVIE [--size WxH] [--frames N] [--quality low|high] [--whole]: the cost of
// one frame as the player shows it, and how much of the stage each frame redraws (with
// --whole: all of it, every frame).
int bench(const std::vector<std::string>& args) {
    if (args.empty()) {
        return usage();
    }
    int frames = 240;
    bool whole = false;
    View view;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--whole") {
            whole = true;
        } else if (args[i] == "--frames" && hasValue && readInt(args[i + 1], &frames) &&
                   frames >= 1 && frames <= 1000000) {
            ++i;
        } else if (!readViewOption(args, &i, &view)) {
            return usage();
        }
    }
    swfplay::MovieHost host;
    if (!openMovie(host, args[0], view)) {
        return 1;
    }
    const int width = view.width > 0 ? view.width : host.stageWidth();
    const int height = view.width > 0 ? view.height : host.stageHeight();
    host.setSize(width, height);
    const auto figures =
        swfplay::summarize(swfplay::playFrames(host, width, height, frames, whole));
    std::printf("%s at %dx%d, %d frames\n", args[0].c_str(), width, height, figures.frames);
    std::printf("frame cost: median %.3f ms, 95th percentile %.3f ms\n", figures.medianMs,
                figures.p95Ms);
    std::printf("stage redrawn: %.1f %% a frame on average (whole stage %d, nothing %d)\n",
                figures.meanRedrawn * 100, figures.fullRedraws, figures.idleFrames);
    return 0;
}

int trace(const std::vector<std::string>& args) {
    if (args.empty()) {
        return usage();
    }
    int frames = 1;
    std::string inputPath;
    std::optional<double> clock;
    double ms = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--frames" && hasValue && readInt(args[i + 1], &frames) && frames >= 1) {
            ++i;
        } else if (args[i] == "--input" && hasValue) {
            inputPath = args[++i];
        } else if (args[i] == "--clock" && hasValue && readMilliseconds(args[i + 1], &ms)) {
            clock = ms;
            ++i;
        } else if (args[i] == "--zone" && hasValue) {
            setenv("TZ", args[++i].c_str(), 1);
            tzset();
        } else {
            return usage();
        }
    }
    swfplay::InputScript input;
    if (!inputPath.empty() && !readInput(inputPath, &input)) {
        return 1;
    }
    swfplay::MovieHost host;
    if (!host.available()) {
        std::cerr << "swfplay: " << host.error() << "\n";
        return 1;
    }
    if (clock) {
        host.pinWallClock(*clock);
    }
    host.onTrace = [](const std::u16string& line) { std::cout << utf8(line) << "\n"; };
    bool quit = false;
    host.onCommand = [&quit](const std::u16string& command, const std::u16string& args) {
        std::cout << "fscommand " << utf8(command) << " \"" << utf8(args) << "\"\n";
        quit = quit || command == u"quit";
    };
    if (!host.load(args[0])) {
        std::cerr << "swfplay: " << args[0] << ": not a movie that loads\n";
        return 1;
    }
    playWithInput(host, frames, input, &quit);
    std::cout.flush();
    return 0;
}

// The names listed in a ratchet file: one test name a line; blank lines and lines starting
// with '#' are skipped.
std::set<std::string> readTestList(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::set<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        if (!line.empty() && line.front() != '#') {
            names.insert(line);
        }
    }
    return names;
}

// swfplay corpus DIR [--expect LIST]: with a list of tests that passed before, any of them
// that no longer passes is named on a REGRESSION line and the exit status is 1. The list is
// a ratchet: tests that newly pass are reported as NEW so they can be added to it.
int corpus(const std::vector<std::string>& args) {
    std::optional<std::set<std::string>> expected;
    if (args.size() == 3 && args[1] == "--expect") {
        expected = readTestList(args[2]);
    } else if (args.size() != 1) {
        return usage();
    }
    const std::filesystem::path root = args[0];
    if (!std::filesystem::is_directory(root)) {
        std::cerr << "swfplay: " << args[0] << ": not a folder\n";
        return 1;
    }
    int passed = 0, total = 0;
    std::vector<std::string> regressions, newlyPassing;
    for (const auto& folder : swfplay::findCorpusTests(root)) {
        ++total;
        std::string error;
        const auto test = swfplay::readCorpusTest(folder, root, &error);
        const std::string name = std::filesystem::relative(folder, root).generic_string();
        swfplay::Verdict verdict;
        if (!test) {
            verdict = swfplay::Verdict{false, error};
        } else {
            try {
                verdict = swfplay::runCorpusTestIsolated(*test);
            } catch (const std::exception& e) {
                verdict = swfplay::Verdict{false, std::string("error: ") + e.what()};
            }
        }
        if (verdict.pass) {
            ++passed;
            std::cout << "PASS " << name << "\n";
            if (expected && !expected->contains(name)) {
                newlyPassing.push_back(name);
            }
        } else {
            std::cout << "FAIL " << name << ": " << verdict.reason << "\n";
            if (expected && expected->contains(name)) {
                regressions.push_back(name);
            }
        }
        if (expected) {
            expected->erase(name);
        }
        std::cout.flush();
    }
    std::cout << "conformance: " << passed << " of " << total << " pass\n";
    if (!expected) {
        return 0;
    }
    for (const auto& name : *expected) {
        regressions.push_back(name + " (missing from the corpus)");
    }
    for (const auto& name : newlyPassing) {
        std::cout << "NEW " << name << "\n";
    }
    for (const auto& name : regressions) {
        std::cout << "REGRESSION " << name << "\n";
    }
    return regressions.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    // The engine behind the control is chosen in one place: createDefaultMovieEngine.
    flash::registerFlashControl(flash::createDefaultMovieEngine);

    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return usage();
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (args[0] == "render") {
            return render(rest);
        }
        if (args[0] == "trace") {
            return trace(rest);
        }
        if (args[0] == "corpus") {
            return corpus(rest);
        }
        if (args[0] == "bench") {
            return bench(rest);
        }
    } catch (const std::exception& e) {
        std::cerr << "swfplay: " << e.what() << "\n";
        return 1;
    }
    return usage();
}
