#include "trace_host.h"

#include <cmath>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/avm1/conversions.h"

namespace pencora::tools {

using avm1::Value;

class TraceHost::RootBinding : public avm1::ClipBinding {
public:
    explicit RootBinding(TraceHost& h) : host(h) {}
    bool get(avm1::Machine&, const QString& name, Value& out) override {
        if (name == QLatin1String("_currentframe")) {
            out = Value(host.frame_ + 1);
        } else if (name == QLatin1String("_totalframes") ||
                   name == QLatin1String("_framesloaded")) {
            out = Value(int(host.movie_->timeline.frames.size()));
        } else if (name == QLatin1String("_name")) {
            out = Value(QString());
        } else if (name == QLatin1String("_target")) {
            out = Value("/");
        } else if (name == QLatin1String("_url")) {
            out = Value("file:///test.swf");
        } else if (name == QLatin1String("_version")) {
            out = Value("LNX 10,0,0,0");
        } else {
            return false;
        }
        return true;
    }
    bool set(avm1::Machine&, const QString&, const Value&) override { return false; }
    TraceHost& host;
};

TraceHost::TraceHost(std::shared_ptr<const swf::Movie> movie) : movie_(std::move(movie)) {
    version_ = movie_->header.version;
    machine_ = std::make_unique<avm1::Machine>(*this, version_);
    avm1::ScriptLimits limits;
    limits.seconds = 5;
    machine_->setLimits(limits);
    binding_ = std::make_unique<RootBinding>(*this);
    root_ = machine_->makeClip(machine_->protos().object, binding_.get());
}

TraceHost::~TraceHost() {
    if (root_) {
        root_->detach();
    }
}

void TraceHost::runFrameScripts(int frame) {
    if (frame < 0 || size_t(frame) >= movie_->timeline.frames.size()) {
        return;
    }
    const swf::Frame& f = movie_->timeline.frames[size_t(frame)];
    // Init actions first, then the frame's own actions, in file order.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& tag : f.tags) {
            const swf::Bytes* bytes = nullptr;
            if (pass == 0) {
                if (auto* init = std::get_if<swf::DoInitAction>(&tag)) {
                    bytes = &init->actions;
                }
            } else if (auto* act = std::get_if<swf::DoAction>(&tag)) {
                bytes = &act->actions;
            }
            if (!bytes) {
                continue;
            }
            auto block = std::make_shared<swf::ActionBlock>(swf::decodeActions(*bytes));
            machine_->runBlock(block, root_, version_);
            if (quit_) {
                return;
            }
        }
    }
}

void TraceHost::run(int frames) {
    const double frameMs = 1000.0 / (movie_->header.frameRate > 0 ? movie_->header.frameRate : 12);
    const int total = int(movie_->timeline.frames.size());
    for (int i = 0; i < frames && !quit_; ++i) {
        if (i > 0) {
            machine_->callMethod(root_, QStringLiteral("onEnterFrame"), {}, version_);
            if (pendingFrame_ < 0 && playing_ && total > 1) {
                pendingFrame_ = frame_ + 1 < total ? frame_ + 1 : 0;
            }
        } else {
            pendingFrame_ = 0;
        }
        // Gotos from scripts move the playhead and run the target frame's scripts, a few
        // times at most per frame.
        for (int hops = 0; pendingFrame_ >= 0 && hops < 8 && !quit_; ++hops) {
            int target = pendingFrame_;
            pendingFrame_ = -1;
            frame_ = target;
            runFrameScripts(target);
        }
        pendingFrame_ = -1;
        clock_ += frameMs;
        machine_->runTimers();
    }
}

avm1::Object* TraceHost::resolveTarget(avm1::Object*, const QString& path) {
    if (path == QLatin1String("/") || path == QLatin1String("_root") ||
        path == QLatin1String("_level0") || path == QLatin1String("/_level0")) {
        return root_;
    }
    return nullptr;
}

QString TraceHost::targetPath(avm1::Object*, bool slashForm) {
    return slashForm ? QStringLiteral("/") : QStringLiteral("_level0");
}

Value TraceHost::getClipProperty(avm1::Object* clip, avm1::ClipProperty p) {
    if (clip != root_) {
        return Value();
    }
    switch (p) {
        case avm1::ClipProperty::CurrentFrame:
            return Value(frame_ + 1);
        case avm1::ClipProperty::TotalFrames:
        case avm1::ClipProperty::FramesLoaded:
            return Value(int(movie_->timeline.frames.size()));
        case avm1::ClipProperty::Target:
            return Value("/");
        case avm1::ClipProperty::Name:
            return Value(QString());
        case avm1::ClipProperty::XScale:
        case avm1::ClipProperty::YScale:
        case avm1::ClipProperty::Alpha:
            return Value(100);
        case avm1::ClipProperty::Visible:
            return Value(true);
        default:
            return Value(0);
    }
}

void TraceHost::play(avm1::Object* clip) {
    if (clip == root_) {
        playing_ = true;
    }
}

void TraceHost::stop(avm1::Object* clip) {
    if (clip == root_) {
        playing_ = false;
    }
}

void TraceHost::nextFrame(avm1::Object* clip) {
    gotoFrame(clip, frame_ + 1, false);
}

void TraceHost::prevFrame(avm1::Object* clip) {
    gotoFrame(clip, frame_ - 1, false);
}

void TraceHost::gotoFrame(avm1::Object* clip, int frame, bool andPlay) {
    if (clip != root_) {
        return;
    }
    int total = int(movie_->timeline.frames.size());
    frame = std::clamp(frame, 0, std::max(total - 1, 0));
    playing_ = andPlay;
    if (frame != frame_) {
        pendingFrame_ = frame;
    }
}

bool TraceHost::gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) {
    const auto& frames = movie_->timeline.frames;
    for (size_t i = 0; i < frames.size(); ++i) {
        for (const auto& l : frames[i].labels) {
            if (QString::fromUtf8(l.c_str()).compare(label, Qt::CaseInsensitive) == 0) {
                gotoFrame(clip, int(i), andPlay);
                return true;
            }
        }
    }
    return false;
}

bool TraceHost::frameLoaded(avm1::Object*, int frame) {
    return frame < int(movie_->timeline.frames.size());
}

void TraceHost::getUrl(const avm1::UrlRequest& r) {
    if (r.url.compare(QLatin1String("FSCommand:quit"), Qt::CaseInsensitive) == 0) {
        quit_ = true;
    }
}

}  // namespace pencora::tools
