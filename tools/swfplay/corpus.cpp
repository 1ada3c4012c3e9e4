#include "corpus.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "input_script.h"
#include "movie_host.h"
#include "socket_peer.h"

#if defined(__unix__) || defined(__APPLE__)
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#define PENCORA_SWFPLAY_FORK 1
#endif

namespace pencora::swfplay {

namespace {

std::optional<std::string> readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A lone surrogate (a movie may print half a pair) becomes U+FFFD, as the reference output
// has it, not the '?' Qt would write.
std::string utf8(const std::u16string& s) {
    std::u16string clean = s;
    for (size_t i = 0; i < clean.size(); ++i) {
        const char16_t c = clean[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
            ++i;  // a whole pair
        } else if (high || low) {
            clean[i] = 0xFFFD;
        }
    }
    return QString::fromStdU16String(clean).toStdString();
}

// One check of an image comparison table: tolerance and max_outliers, defaults 0.
ImageTolerance toleranceOf(const TomlValue& t) {
    ImageTolerance check;
    if (const auto* v = t.find("tolerance")) {
        check.tolerance = static_cast<int>(v->asInteger().value_or(0));
    }
    if (const auto* v = t.find("max_outliers")) {
        check.maxOutliers = static_cast<long>(v->asInteger().value_or(0));
    }
    return check;
}

// A check applies without a platform filter, or with one naming x86_64.
bool checkApplies(const TomlValue& check) {
    const auto* filter = check.find("filter");
    if (!filter) {
        return true;
    }
    std::string text = filter->asString().value_or("");
    if (filter->type == TomlValue::Type::Table) {
        for (const auto& [key, value] : filter->table) {
            text += key + "=" + value.asString().value_or("") + " ";
        }
    }
    return text.find("x86_64") != std::string::npos;
}

}  // namespace

CorpusTest corpusTestFrom(const TomlValue& toml) {
    CorpusTest test;
    if (const auto* n = toml.find("num_frames"); n && n->asInteger()) {
        test.frames = static_cast<int>(*n->asInteger());
    } else if (const auto* t = toml.find("num_ticks"); t && t->asInteger()) {
        test.frames = static_cast<int>(*t->asInteger());
    }
    test.frames = std::clamp(test.frames, 1, 100000);
    if (const auto* a = toml.find("approximations")) {
        Approximations approx;
        if (const auto* e = a->find("epsilon")) {
            approx.epsilon = e->asNumber().value_or(0);
        }
        if (const auto* b = a->find("bare_numbers")) {
            approx.bareNumbers = b->asBool().value_or(false);
        }
        if (const auto* p = a->find("number_patterns")) {
            for (const auto& item : p->array) {
                if (item.asString()) {
                    approx.numberPatterns.push_back(*item.asString());
                }
            }
        }
        test.approximations = approx;
    }
    if (const auto* images = toml.find("image_comparisons");
        images && images->type == TomlValue::Type::Table) {
        for (const auto& [name, table] : images->table) {
            ImageComparison image;
            image.name = name;
            if (const auto* trigger = table.find("trigger")) {
                if (trigger->asInteger()) {
                    image.frame = static_cast<int>(*trigger->asInteger());
                } else if (trigger->asString() == "fs_command") {
                    image.onCommand = true;
                }
            }
            if (const auto* checks = table.find("checks")) {
                for (const auto& check : checks->array) {
                    if (checkApplies(check)) {
                        image.checks.push_back(toleranceOf(check));
                    }
                }
            }
            if (image.checks.empty()) {
                image.checks.push_back(toleranceOf(table));
            }
            test.images.push_back(std::move(image));
        }
    }
    if (const auto* options = toml.find("player_options")) {
        if (const auto* renderer = options->find("with_renderer")) {
            if (const auto* q = renderer->find("quality")) {
                test.quality = qualityName(q->asString().value_or(""));
            }
        }
        if (const auto* view = options->find("viewport_dimensions")) {
            const auto* w = view->find("width");
            const auto* h = view->find("height");
            const double scale = [&] {
                const auto* f = view->find("scale_factor");
                return f ? f->asNumber().value_or(1.0) : 1.0;
            }();
            if (w && h && w->asNumber() && h->asNumber()) {
                const int width = static_cast<int>(std::lround(*w->asNumber() * scale));
                const int height = static_cast<int>(std::lround(*h->asNumber() * scale));
                if (width >= 1 && height >= 1 && width <= 16384 && height <= 16384) {
                    test.viewport = std::make_pair(width, height);
                }
            }
        }
    }
    return test;
}

std::optional<CorpusTest> readCorpusTest(const std::filesystem::path& folder,
                                         const std::filesystem::path& root, std::string* error) {
    const auto text = readText(folder / "test.toml");
    if (!text) {
        *error = "cannot read test.toml";
        return std::nullopt;
    }
    const TomlDocument doc = parseToml(*text);
    if (!doc.root) {
        *error = "test.toml: " + doc.error;
        return std::nullopt;
    }
    CorpusTest test = corpusTestFrom(*doc.root);
    test.folder = folder;
    test.name = std::filesystem::relative(folder, root).generic_string();
    test.compareTrace = std::filesystem::exists(folder / "output.txt");
    return test;
}

std::vector<std::filesystem::path> findCorpusTests(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && it->path().filename() == "test.toml") {
            out.push_back(it->path().parent_path());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The reference output was recorded at 2001-02-03 04:05:06 local time in a zone 5 h 45 min
// east of UTC (the date test prints both), so every test runs on that clock and in that zone.
constexpr double kCorpusWallClock = 981152406000.0;  // 2001-02-02 22:20:06 UTC
constexpr const char* kCorpusTimeZone = "<+0545>-05:45";

Verdict runCorpusTest(const CorpusTest& test) {
    setenv("TZ", kCorpusTimeZone, 1);
    tzset();
    MovieHost host;
    if (!host.available()) {
        return Verdict{false, host.error()};
    }
    host.pinWallClock(kCorpusWallClock);
    std::string trace;
    host.onTrace = [&](const std::u16string& line) { trace += utf8(line) + "\n"; };
    bool quit = false;
    std::vector<std::string> commandCaptures;
    host.onCommand = [&](const std::u16string& command, const std::u16string& args) {
        if (command == u"quit") {
            quit = true;
        } else if (command == u"captureImage") {
            commandCaptures.push_back(utf8(args));
        }
    };
    if (!test.quality.empty()) {
        host.setQuality(test.quality);
    }
    ole::ComPtr<ScriptedPeer> peer;
    if (const auto json = readText(test.folder / "socket.json")) {
        std::string error;
        auto steps = parseSocketScript(*json, &error);
        if (!steps) {
            return Verdict{false, "socket.json: " + error};
        }
        peer = ole::makeCom<ScriptedPeer>(std::move(*steps));
        host.setSocketHost(peer);
    }
    if (!host.load(test.folder / "test.swf")) {
        return Verdict{false, "the movie did not load"};
    }
    if (test.viewport) {
        host.setSize(test.viewport->first, test.viewport->second);
    }
    InputScript input;
    if (const auto json = readText(test.folder / "input.json")) {
        std::string error;
        auto parsed = parseInputScript(*json, &error);
        if (!parsed) {
            return Verdict{false, "input.json: " + error};
        }
        input = std::move(*parsed);
    }

    std::map<std::string, QImage> captured;
    auto captureDue = [&](int frame, bool last) {
        for (const auto& image : test.images) {
            const bool due = image.onCommand ? false : (image.frame ? *image.frame == frame : last);
            if (due && !captured.count(image.name)) {
                captured[image.name] = host.render();
            }
        }
        for (const auto& name : commandCaptures) {
            captured[name] = host.render();
        }
        commandCaptures.clear();
    };
    int frame = 0;
    while (frame < test.frames && !quit) {
        host.advance(1);
        ++frame;
        if (quit) {
            captureDue(frame, true);
            break;
        }
        // A frame is captured once its input has been applied, as the reference frames show
        // it (a Tab after frame 1 already highlights in frame 1's image).
        if (static_cast<std::size_t>(frame - 1) < input.steps.size()) {
            for (const auto& event : input.steps[frame - 1]) {
                host.inject(event);
            }
        }
        captureDue(frame, frame == test.frames || quit);
    }
    if (quit) {
        captureDue(frame, true);
    }

    if (peer) {
        if (const std::string problem = peer->problem(true); !problem.empty()) {
            return Verdict{false, "socket peer: " + problem};
        }
    }
    if (test.compareTrace) {
        const auto expected = readText(test.folder / "output.txt").value_or("");
        Verdict v = compareTrace(trace, expected, test.approximations);
        if (!v.pass) {
            v.reason = "trace " + v.reason;
            return v;
        }
    }
    for (const auto& image : test.images) {
        const auto it = captured.find(image.name);
        if (it == captured.end()) {
            return Verdict{false, "image " + image.name + " was never captured"};
        }
        const auto expectedPath = test.folder / (image.name + ".expected.png");
        // SWFPLAY_SAVE_DIR=DIR keeps each captured frame as DIR/NAME.actual.png for a look.
        if (const char* dir = std::getenv("SWFPLAY_SAVE_DIR"); dir && *dir) {
            const auto actualPath = std::filesystem::path(dir) / (image.name + ".actual.png");
            it->second.save(QString::fromStdU16String(actualPath.u16string()));
        }
        QImage expected(QString::fromStdU16String(expectedPath.u16string()));
        if (expected.isNull()) {
            return Verdict{false, "image " + image.name + ": no readable expected image"};
        }
        for (const auto& check : image.checks) {
            Verdict v = compareImages(it->second, expected, check);
            if (!v.pass) {
                v.reason = "image " + image.name + ": " + v.reason;
                return v;
            }
        }
    }
    return Verdict{};
}

Verdict runCorpusTestIsolated(const CorpusTest& test, int timeoutSeconds) {
#ifdef PENCORA_SWFPLAY_FORK
    int fds[2];
    if (pipe(fds) != 0) {
        return runCorpusTest(test);
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return runCorpusTest(test);
    }
    if (child == 0) {
        close(fds[0]);
        Verdict v;
        try {
            v = runCorpusTest(test);
        } catch (const std::exception& e) {
            v = Verdict{false, std::string("error: ") + e.what()};
        }
        const std::string message = (v.pass ? "1" : "0") + v.reason;
        std::size_t sent = 0;
        while (sent < message.size()) {
            const ssize_t n = write(fds[1], message.data() + sent, message.size() - sent);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    std::string message;
    bool timedOut = false;
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsedMs =
            (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        const long leftMs = timeoutSeconds * 1000L - elapsedMs;
        if (leftMs <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min(leftMs, 1000L)));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;  // the child closed its end
        }
        message.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (timedOut) {
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (timedOut) {
        return Verdict{false, "timed out after " + std::to_string(timeoutSeconds) + " s"};
    }
    if (WIFSIGNALED(status)) {
        return Verdict{false, "crashed (signal " + std::to_string(WTERMSIG(status)) + ")"};
    }
    if (message.empty()) {
        return Verdict{
            false, "ended without a verdict (exit " + std::to_string(WEXITSTATUS(status)) + ")"};
    }
    return Verdict{message[0] == '1', message.substr(1)};
#else
    (void)timeoutSeconds;
    return runCorpusTest(test);
#endif
}

}  // namespace pencora::swfplay
