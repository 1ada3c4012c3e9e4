// A movie engine that hands every call to the stand-in engine; tests override the calls
// whose behaviour they need to change.
#pragma once

#include <memory>

#include "platform/flash/control/movie_engine.h"
#include "platform/flash/control/stub_engine.h"

namespace pencora::swfplay::test {

class ForwardingEngine : public flash::MovieEngine {
  public:
    void setHost(flash::MovieEngineHost* host) override { inner_->setHost(host); }
    bool loadMovie(int layer, std::span<const std::uint8_t> bytes, std::u16string_view url,
                   const std::vector<std::pair<std::u16string, std::u16string>>& p) override {
        return inner_->loadMovie(layer, bytes, url, p);
    }
    void unloadMovie(int layer) override { inner_->unloadMovie(layer); }
    void fetchCompleted(int id, std::span<const std::uint8_t> b) override {
        inner_->fetchCompleted(id, b);
    }
    void fetchFailed(int id) override { inner_->fetchFailed(id); }
    flash::MovieInfo movieInfo() const override { return inner_->movieInfo(); }
    void runFrame() override { inner_->runFrame(); }
    void advanceClock(double ms) override { inner_->advanceClock(ms); }
    void setLoop(bool loop) override { inner_->setLoop(loop); }
    void render(const flash::RenderTarget& t, const flash::RenderOptions& o) override {
        inner_->render(t, o);
    }
    void handleInput(const flash::InputEvent& e) override { inner_->handleInput(e); }
    flash::CursorShape cursor() const override { return inner_->cursor(); }
    bool gotoFrame(std::u16string_view t, int f, bool p) override {
        return inner_->gotoFrame(t, f, p);
    }
    bool gotoLabel(std::u16string_view t, std::u16string_view l, bool p) override {
        return inner_->gotoLabel(t, l, p);
    }
    bool play(std::u16string_view t) override { return inner_->play(t); }
    bool stop(std::u16string_view t) override { return inner_->stop(t); }
    std::optional<int> currentFrame(std::u16string_view t) const override {
        return inner_->currentFrame(t);
    }
    std::optional<std::u16string> currentLabel(std::u16string_view t) const override {
        return inner_->currentLabel(t);
    }
    std::optional<int> totalFrames(std::u16string_view t) const override {
        return inner_->totalFrames(t);
    }
    bool isPlaying(std::u16string_view t) const override { return inner_->isPlaying(t); }
    bool callFrame(std::u16string_view t, int f) override { return inner_->callFrame(t, f); }
    bool callLabel(std::u16string_view t, std::u16string_view l) override {
        return inner_->callLabel(t, l);
    }
    std::optional<std::u16string> getVariable(std::u16string_view p) const override {
        return inner_->getVariable(p);
    }
    bool setVariable(std::u16string_view p, std::u16string_view v) override {
        return inner_->setVariable(p, v);
    }
    std::optional<std::u16string> getProperty(std::u16string_view t, int i) const override {
        return inner_->getProperty(t, i);
    }
    std::optional<double> getPropertyNumber(std::u16string_view t, int i) const override {
        return inner_->getPropertyNumber(t, i);
    }
    bool setProperty(std::u16string_view t, int i, std::u16string_view v) override {
        return inner_->setProperty(t, i, v);
    }
    bool setPropertyNumber(std::u16string_view t, int i, double v) override {
        return inner_->setPropertyNumber(t, i, v);
    }
    std::optional<std::u16string> callFunction(std::u16string_view r) override {
        return inner_->callFunction(r);
    }

  protected:
    std::unique_ptr<flash::MovieEngine> inner_ = flash::createStubMovieEngine();
};

}  // namespace pencora::swfplay::test
