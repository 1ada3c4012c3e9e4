// A host with one root clip and a root timeline, enough to run frame scripts that need no
// display list. Time moves only when the caller advances it, one frame at a time, as the
// corpus runner expects.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/host.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/swf/movie.h"

namespace pencora::tools {

class TraceHost : public avm1::Host {
  public:
    // `folder` is where the movie's relative fetches are served from.
    TraceHost(std::shared_ptr<const swf::Movie> movie, QString folder);
    ~TraceHost() override;

    // Runs `frames` frames of the root timeline; stops early on fscommand("quit").
    void run(int frames);
    QStringList lines;

    double milliseconds() override { return clock_; }
    void trace(const QString& line) override { lines << line; }
    avm1::Object* resolveTarget(avm1::Object* base, const QString& path) override;
    QString targetPath(avm1::Object* clip, bool slashForm) override;
    avm1::Object* root(avm1::Object*) override { return root_; }
    avm1::Object* level(int n) override { return n == 0 ? root_ : nullptr; }
    void addRoots(std::vector<avm1::Object*>& roots) override { roots.push_back(root_); }
    avm1::Value getClipProperty(avm1::Object* clip, avm1::ClipProperty p) override;
    void setClipProperty(avm1::Object*, avm1::ClipProperty, const avm1::Value&) override {}
    void play(avm1::Object* clip) override;
    void stop(avm1::Object* clip) override;
    void nextFrame(avm1::Object* clip) override;
    void prevFrame(avm1::Object* clip) override;
    void gotoFrame(avm1::Object* clip, int frame, bool andPlay) override;
    bool gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) override;
    bool frameLoaded(avm1::Object*, int frame) override;
    void getUrl(const avm1::UrlRequest& r) override;
    void fetch(avm1::FetchRequest request) override;

    class RootBinding;

  private:
    void runFrameScripts(int frame);

    std::shared_ptr<const swf::Movie> movie_;
    std::unique_ptr<avm1::Machine> machine_;
    std::unique_ptr<RootBinding> binding_;
    avm1::ClipObject* root_ = nullptr;
    int version_ = 8;
    int frame_ = 0;
    int pendingFrame_ = -1;
    bool playing_ = true;
    bool quit_ = false;
    double clock_ = 0;
    QString folder_;
    std::vector<avm1::FetchRequest> fetches_;  // answered at the end of the frame
};

}  // namespace pencora::tools
