// Drives the engine the way the control does: bytes written by the SWF writer, frames run,
// input delivered in stage pixels, frames drawn into a 32-bit buffer.
#pragma once

#include <QGuiApplication>
#include <QImage>

#include <optional>
#include <string>
#include <vector>

#include "platform/flash/runtime/swf_movie_engine.h"
#include "test_movies.h"

namespace pencora::runtime::test {

struct FakeHost : flash::MovieEngineHost {
    std::vector<std::pair<std::u16string, std::u16string>> commands;
    std::vector<std::optional<flash::StageRect>> invalidated;
    std::vector<flash::FetchRequest> fetches;
    void fsCommand(std::u16string_view c, std::u16string_view a) override {
        commands.emplace_back(c, a);
    }
    std::u16string flashCall(std::u16string_view) override { return {}; }
    void requestFetch(const flash::FetchRequest& r) override { fetches.push_back(r); }
    void trace(std::u16string_view) override {}
    void invalidate(std::optional<flash::StageRect> area) override { invalidated.push_back(area); }
};

// A host that keeps what the movie traces.
struct TraceHost : FakeHost {
    std::vector<std::u16string> lines;
    void trace(std::u16string_view line) override { lines.emplace_back(line); }
};

// A host that keeps what the movie traces, as UTF-8.
struct TracingHost : FakeHost {
    std::vector<std::string> lines;
    void trace(std::u16string_view line) override {
        lines.push_back(QString::fromUtf16(line.data(), qsizetype(line.size())).toStdString());
    }
};

// Device fonts are measured through Qt, which wants an application object (without one fields
// still work, with rough measures).
inline void ensureGuiApplication() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}

struct EngineFixture {
    FakeHost host;
    std::unique_ptr<flash::MovieEngine> engine = createSwfMovieEngine();

    EngineFixture() { engine->setHost(&host); }

    bool load(const swfwrite::MovieBuilder& b, int frames = 1) {
        const swf::Bytes bytes = b.write(swf::Compression::Zlib);
        if (!engine->loadMovie(0, bytes, u"test.swf", {})) {
            return false;
        }
        for (int i = 0; i < frames; ++i) {
            engine->runFrame();
        }
        return true;
    }

    // Draws the stage at `scale` into a buffer filled with `under` first.
    QImage render(int width, int height, flash::Quality quality = flash::Quality::High,
                  double scale = 1, bool background = true, QRgb under = 0) {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(under);
        flash::RenderTarget t{image.bits(), width, height, int(image.bytesPerLine()), 0, 0,
                              width,        height};
        flash::RenderOptions o;
        o.matrix.a = o.matrix.d = scale;
        o.quality = quality;
        o.paintBackground = background;
        engine->render(t, o);
        return image;
    }
};

}  // namespace pencora::runtime::test
