// Usage: swfstill MOVIE OUT.png [--frame N] [--low]
//        swfstill --visual DIR    each test folder's first expected frame against ours
//
// A deliberately small display list: place/move/remove by depth, sprites advancing one
// frame per tick, clip-depth masks; no actions, no buttons, no filters or blend modes.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "platform/flash/render/color_transform.h"
#include "platform/flash/render/drawable.h"
#include "platform/flash/render/paint_styles.h"
#include "platform/flash/swf/movie.h"

namespace swf = pencora::swf;
namespace render = pencora::swf::render;

namespace {

struct Instance;
using DisplayList = std::map<uint16_t, std::shared_ptr<Instance>>;

struct Instance {
    uint16_t id = 0;
    swf::Matrix matrix;
    swf::ColorTransform cx;
    uint16_t ratio = 0;
    uint16_t clipDepth = 0;
    const swf::Sprite* sprite = nullptr;
    size_t frame = 0;  // next frame of a sprite to run
    DisplayList children;
};

void runFrame(const swf::Movie& movie, const swf::Timeline& tl, size_t frame, DisplayList& list);

void runFrameImpl(const swf::Movie& movie, const swf::Timeline& tl, size_t frame,
                  DisplayList& list) {
    if (frame >= tl.frames.size()) {
        return;
    }
    for (const auto& tag : tl.frames[frame].tags) {
        if (const auto* p = std::get_if<swf::PlaceObject>(&tag)) {
            auto it = list.find(p->depth);
            std::shared_ptr<Instance> inst;
            if (p->move && it != list.end()) {
                inst = it->second;
                if (p->characterId && *p->characterId != inst->id) {
                    inst->id = *p->characterId;
                    inst->sprite = movie.findAs<swf::Sprite>(inst->id);
                    inst->children.clear();
                    inst->frame = 0;
                    if (inst->sprite) {
                        runFrame(movie, inst->sprite->timeline, inst->frame++, inst->children);
                    }
                }
            } else if (!p->move && p->characterId) {
                inst = std::make_shared<Instance>();
                inst->id = *p->characterId;
                inst->sprite = movie.findAs<swf::Sprite>(inst->id);
                list[p->depth] = inst;
                if (inst->sprite) {
                    runFrame(movie, inst->sprite->timeline, inst->frame++, inst->children);
                }
            } else {
                continue;
            }
            if (p->matrix) {
                inst->matrix = *p->matrix;
            }
            if (p->colorTransform) {
                inst->cx = *p->colorTransform;
            }
            if (p->ratio) {
                inst->ratio = *p->ratio;
            }
            if (p->clipDepth) {
                inst->clipDepth = *p->clipDepth;
            }
        } else if (const auto* r = std::get_if<swf::RemoveObject>(&tag)) {
            list.erase(r->depth);
        }
    }
}

void runFrame(const swf::Movie& movie, const swf::Timeline& tl, size_t frame, DisplayList& list) {
    runFrameImpl(movie, tl, frame, list);
}

void tick(const swf::Movie& movie, DisplayList& list) {
    for (auto& [depth, inst] : list) {
        if (inst->sprite && !inst->sprite->timeline.frames.empty()) {
            tick(movie, inst->children);
            if (inst->frame >= inst->sprite->timeline.frames.size()) {
                inst->frame = 0;
                inst->children.clear();
            }
            runFrame(movie, inst->sprite->timeline, inst->frame++, inst->children);
        }
    }
}

QPainterPath coverage(render::Library& lib, const Instance& inst, const QTransform& m) {
    QPainterPath out;
    if (inst.sprite) {
        for (const auto& [d, child] : inst.children) {
            out = out.united(coverage(lib, *child, render::toQTransform(child->matrix) * m));
        }
        return out;
    }
    auto d = lib.prepare(inst.id);
    if (d) {
        out = render::coverage(*d, m, inst.ratio / 65535.0);
    }
    return out;
}

void paint(render::Library& lib, const DisplayList& list, QPainter& p, const QTransform& m,
           const swf::ColorTransform& cx) {
    uint16_t clipUntil = 0;
    bool clipping = false;
    for (const auto& [depth, inst] : list) {
        if (clipping && depth > clipUntil) {
            p.restore();
            clipping = false;
        }
        const QTransform world = render::toQTransform(inst->matrix) * m;
        const auto ctx = render::combine(cx, inst->cx);
        if (inst->clipDepth) {
            if (clipping) {
                p.restore();
            }
            p.save();
            p.setClipPath(coverage(lib, *inst, world), Qt::IntersectClip);
            clipping = true;
            clipUntil = inst->clipDepth;
            continue;
        }
        if (inst->sprite) {
            paint(lib, inst->children, p, world, ctx);
        } else if (auto d = lib.prepare(inst->id)) {
            render::draw(*d, p, world, ctx, inst->ratio / 65535.0);
        }
    }
    if (clipping) {
        p.restore();
    }
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QImage renderFrame(const std::shared_ptr<const swf::Movie>& movie, int frames, bool antialias) {
    const auto& fs = movie->header.frameSize;
    const int w = (fs.xMax - fs.xMin) / 20;
    const int h = (fs.yMax - fs.yMin) / 20;
    QImage image(std::max(w, 1), std::max(h, 1), QImage::Format_ARGB32_Premultiplied);
    const swf::Rgba bg = movie->backgroundColor.value_or(swf::Rgba{255, 255, 255, 255});
    image.fill(QColor(bg.r, bg.g, bg.b));
    DisplayList root;
    for (int f = 0; f < frames; ++f) {
        tick(*movie, root);
        runFrame(*movie, movie->timeline, static_cast<size_t>(f), root);
    }
    render::Library lib(movie);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, antialias);
    QTransform m =
        QTransform::fromTranslate(-fs.xMin, -fs.yMin) * QTransform::fromScale(0.05, 0.05);
    paint(lib, root, p, m, {});
    return image;
}

int intKey(const QString& toml, const QString& key, int fallback) {
    QRegularExpression re("(^|\\n)\\s*" + QRegularExpression::escape(key) + "\\s*=\\s*(\\d+)");
    auto m = re.match(toml);
    return m.hasMatch() ? m.captured(2).toInt() : fallback;
}

int visual(const std::filesystem::path& dir) {
    int total = 0, pass = 0;
    std::vector<std::filesystem::path> tests;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.path().filename() == "test.toml") {
            tests.push_back(e.path().parent_path());
        }
    }
    std::sort(tests.begin(), tests.end());
    for (const auto& t : tests) {
        QFile f(QString::fromStdString((t / "test.toml").string()));
        f.open(QIODevice::ReadOnly);
        const QString toml = QString::fromUtf8(f.readAll());
        std::filesystem::path expectedPath;
        for (const auto& e : std::filesystem::directory_iterator(t)) {
            if (e.path().string().ends_with(".expected.png")) {
                if (expectedPath.empty() || e.path() < expectedPath) {
                    expectedPath = e.path();
                }
            }
        }
        if (expectedPath.empty()) {
            continue;
        }
        ++total;
        const int frames = intKey(toml, "trigger", intKey(toml, "num_frames", 1));
        const int tolerance = intKey(toml, "tolerance", 0);
        const int outliers = intKey(toml, "max_outliers", 0);
        const bool low = toml.contains("quality = \"low\"");
        auto result = swf::readMovie(readFile(t / "test.swf"));
        const std::string name = std::filesystem::relative(t, dir).string();
        if (!result) {
            std::printf("FAIL %s: %s\n", name.c_str(), result.error.c_str());
            continue;
        }
        QImage got = renderFrame(result.movie, frames, !low);
        QImage want(QString::fromStdString(expectedPath.string()));
        want = want.convertToFormat(QImage::Format_ARGB32);
        got = got.convertToFormat(QImage::Format_ARGB32);
        if (got.size() != want.size()) {
            std::printf("FAIL %s: size %dx%d, expected %dx%d\n", name.c_str(), got.width(),
                        got.height(), want.width(), want.height());
            continue;
        }
        int bad = 0;
        for (int y = 0; y < got.height(); ++y) {
            for (int x = 0; x < got.width(); ++x) {
                QRgb a = got.pixel(x, y), b = want.pixel(x, y);
                int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                if (d > tolerance) {
                    ++bad;
                }
            }
        }
        if (bad <= outliers) {
            ++pass;
            std::printf("PASS %s\n", name.c_str());
        } else {
            std::printf("FAIL %s: %d pixels off (allowed %d, tolerance %d)\n", name.c_str(), bad,
                        outliers, tolerance);
            got.save(QString::fromStdString("/tmp/swfstill-" + std::to_string(total) + ".png"));
        }
    }
    std::printf("visual (no scripts): %d of %d pass\n", pass, total);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing here opens a window; without a display the offscreen platform does.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--visual") {
        return visual(argv[2]);
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: swfstill MOVIE OUT.png [--frame N] [--low] | --visual DIR\n");
        return 2;
    }
    int frame = 1;
    bool low = false;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--frame" && i + 1 < argc) {
            frame = std::atoi(argv[++i]);
        }
        if (std::string(argv[i]) == "--low") {
            low = true;
        }
    }
    auto result = swf::readMovie(readFile(argv[1]));
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    return renderFrame(result.movie, frame, !low).save(argv[2]) ? 0 : 1;
}
