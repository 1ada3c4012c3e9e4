#include "fake_engine.h"

#include <cstring>

namespace pencora::flash::testing {

namespace {

std::string narrow(std::u16string_view s) {
    return std::string(s.begin(), s.end());
}

class FakeEngine final : public MovieEngine {
  public:
    explicit FakeEngine(FakeEngineState& s) : s_(s) {}

    void setHost(MovieEngineHost* host) override { s_.host = host; }
    bool loadMovie(
        int layer, std::span<const std::uint8_t> bytes, std::u16string_view url,
        const std::vector<std::pair<std::u16string, std::u16string>>& parameters) override {
        s_.calls.push_back("load " + std::to_string(layer) + " " + narrow(url));
        if (bytes.size() < 3 || std::memcmp(bytes.data(), "FWS", 3) != 0) {
            if (layer == 0) {
                s_.loaded = false;  // what is not a movie leaves the layer empty
            }
            return false;
        }
        s_.loadedBytes.assign(bytes.begin(), bytes.end());
        s_.loadedUrl = url;
        s_.loadedParameters = parameters;
        if (layer == 0) {
            s_.loaded = true;
        }
        return true;
    }
    void unloadMovie(int layer) override {
        s_.calls.push_back("unload " + std::to_string(layer));
        if (layer == 0) {
            s_.loaded = false;
        }
    }
    void fetchCompleted(int id, std::span<const std::uint8_t> bytes) override {
        s_.fetched.emplace_back(id, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    void fetchFailed(int id) override { s_.failedFetches.push_back(id); }
    MovieInfo movieInfo() const override {
        MovieInfo info = s_.info;
        info.loaded = s_.loaded;
        return s_.loaded ? info : MovieInfo{};
    }
    void runFrame() override {
        s_.calls.push_back("runFrame");
        if (s_.onFrame) {
            s_.onFrame(*s_.host);
        }
        s_.calls.push_back("runFrame done");
    }
    void advanceClock(double ms) override {
        s_.calls.push_back("clock " + std::to_string(static_cast<int>(ms * 1000)));
    }
    void setLoop(bool) override {}
    void setStageDisplay(const StageDisplay& display) override { s_.displays.push_back(display); }
    void render(const RenderTarget& target, const RenderOptions& options) override {
        s_.renderTargets.push_back(target);
        s_.renderOptions.push_back(options);
        if (!options.paintBackground) {
            return;
        }
        for (int y = target.clipTop; y < target.clipBottom; ++y) {
            for (int x = target.clipLeft; x < target.clipRight; ++x) {
                std::uint8_t* p = target.bits + y * target.stride + x * 4;
                p[0] = 0x33;
                p[1] = 0x22;
                p[2] = 0x11;
                p[3] = 0xFF;
            }
        }
    }
    void handleInput(const InputEvent& event) override {
        s_.input.push_back(event);
        if (s_.onInput) {
            s_.onInput(*s_.host, event);
        }
    }
    CursorShape cursor() const override { return s_.cursor; }
    std::optional<StageRect> caretRect() const override { return s_.caret; }
    bool gotoFrame(std::u16string_view target, int frame, bool play) override {
        s_.calls.push_back("goto " + narrow(target) + " " + std::to_string(frame) +
                           (play ? " play" : " stop"));
        s_.frame = frame;
        s_.playing = play;
        return true;
    }
    bool gotoLabel(std::u16string_view target, std::u16string_view label, bool) override {
        s_.calls.push_back("gotoLabel " + narrow(target) + " " + narrow(label));
        return true;
    }
    bool play(std::u16string_view) override {
        s_.playing = true;
        return true;
    }
    bool stop(std::u16string_view) override {
        s_.playing = false;
        return true;
    }
    std::optional<int> currentFrame(std::u16string_view target) const override {
        if (!target.empty() && target != u"/") {
            return std::nullopt;
        }
        return s_.frame;
    }
    std::optional<std::u16string> currentLabel(std::u16string_view) const override {
        return std::nullopt;
    }
    std::optional<int> totalFrames(std::u16string_view) const override {
        return s_.info.frameCount;
    }
    bool isPlaying(std::u16string_view) const override { return s_.playing; }
    bool callFrame(std::u16string_view, int) override { return true; }
    bool callLabel(std::u16string_view, std::u16string_view) override { return true; }
    std::optional<std::u16string> getVariable(std::u16string_view path) const override {
        const auto it = s_.variables.find(std::u16string(path));
        return it == s_.variables.end() ? std::nullopt : std::optional(it->second);
    }
    bool setVariable(std::u16string_view path, std::u16string_view value) override {
        s_.variables[std::u16string(path)] = value;
        return true;
    }
    std::optional<std::u16string> getProperty(std::u16string_view, int) const override {
        return std::nullopt;
    }
    std::optional<double> getPropertyNumber(std::u16string_view target, int index) const override {
        if (target == u"/clip" && index == 0) {
            return 12.5;
        }
        return std::nullopt;
    }
    bool setProperty(std::u16string_view, int, std::u16string_view) override { return true; }
    bool setPropertyNumber(std::u16string_view, int, double) override { return true; }
    std::optional<std::u16string> callFunction(std::u16string_view request) override {
        if (request == u"<invoke name=\"ping\"/>") {
            return u"<string>pong</string>";
        }
        return std::nullopt;
    }

  private:
    FakeEngineState& s_;
};

}  // namespace

std::unique_ptr<MovieEngine> makeFakeEngine(FakeEngineState& state) {
    return std::make_unique<FakeEngine>(state);
}

}  // namespace pencora::flash::testing
