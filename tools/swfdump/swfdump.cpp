// Usage: swfdump MOVIE.swf...          summary, dictionary and warnings of each movie
//        swfdump --load-rate DIR       reads every .swf below DIR, prints a load count
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "platform/flash/swf/movie.h"
#include "platform/flash/swf/tag_codes.h"

namespace swf = pencora::swf;

namespace {

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

const char* kindName(const swf::Character& c) {
    static const char* names[] = {"Shape",  "MorphShape", "JpegBitmap", "LosslessBitmap",
                                  "Font",   "Text",       "EditText",   "Sprite",
                                  "Button", "Sound",      "VideoStream"};
    static_assert(std::size(names) == std::variant_size_v<swf::Character>);
    return names[c.index()];
}

void countTags(const swf::Timeline& tl, std::map<std::string, int>& counts) {
    for (const auto& frame : tl.frames) {
        for (const auto& t : frame.tags) {
            if (auto* u = std::get_if<swf::UnknownTag>(&t)) {
                counts[std::string("unknown ") + std::to_string(u->code)]++;
            } else {
                static const char* names[] = {
                    "PlaceObject", "RemoveObject",       "DoAction",        "DoInitAction",
                    "StartSound",  "StartSound2",        "SoundStreamHead", "SoundStreamBlock",
                    "FrameLabel",  "SetBackgroundColor", "ExportAssets",    "ImportAssets",
                    "SetTabIndex"};
                static_assert(std::size(names) + 1 == std::variant_size_v<swf::ControlTag>);
                counts[names[t.index()]]++;
            }
        }
    }
}

int dump(const std::filesystem::path& path) {
    auto bytes = readFile(path);
    auto result = swf::readMovie(bytes);
    if (!result) {
        std::printf("%s: rejected: %s\n", path.c_str(), result.error.c_str());
        return 1;
    }
    const swf::Movie& m = *result.movie;
    std::printf("%s: SWF %u, %s, %u bytes, stage %dx%d twips, %.2f fps, %u frames (%zu read)\n",
                path.c_str(), m.header.version,
                m.header.compression == swf::Compression::None   ? "FWS"
                : m.header.compression == swf::Compression::Zlib ? "CWS"
                                                                 : "ZWS",
                m.header.fileLength, m.header.frameSize.xMax - m.header.frameSize.xMin,
                m.header.frameSize.yMax - m.header.frameSize.yMin, m.header.frameRate,
                m.header.frameCount, m.timeline.frames.size());
    std::map<std::string, int> kinds;
    std::map<std::string, int> tags;
    countTags(m.timeline, tags);
    for (const auto& [id, c] : m.dictionary) {
        kinds[kindName(c)]++;
        if (auto* s = std::get_if<swf::Sprite>(&c)) {
            countTags(s->timeline, tags);
        }
    }
    for (const auto& [k, n] : kinds) {
        std::printf("  %-20s %d\n", k.c_str(), n);
    }
    for (const auto& [k, n] : tags) {
        std::printf("  tag %-16s %d\n", k.c_str(), n);
    }
    if (std::getenv("SWFDUMP_VERBOSE")) {
        for (const auto& [id, c] : m.dictionary) {
            if (auto* s = std::get_if<swf::Shape>(&c)) {
                std::printf(
                    "  shape %u v%u bounds %d..%d x %d..%d: %zu fills, %zu lines, %zu records\n",
                    id, s->version, s->bounds.xMin, s->bounds.xMax, s->bounds.yMin, s->bounds.yMax,
                    s->fills.size(), s->lines.size(), s->records.size());
            }
        }
        for (size_t f = 0; f < m.timeline.frames.size(); ++f) {
            for (const auto& t : m.timeline.frames[f].tags) {
                if (auto* p = std::get_if<swf::PlaceObject>(&t)) {
                    std::printf(
                        "  frame %zu place v%u depth %u char %d move %d clip %d matrix %s\n", f + 1,
                        p->version, p->depth, p->characterId ? *p->characterId : -1, p->move,
                        p->clipDepth ? *p->clipDepth : 0,
                        p->matrix
                            ? (std::to_string(p->matrix->a) + "," + std::to_string(p->matrix->b) +
                               "," + std::to_string(p->matrix->c) + "," +
                               std::to_string(p->matrix->d) + "," + std::to_string(p->matrix->tx) +
                               "," + std::to_string(p->matrix->ty))
                                  .c_str()
                            : "-");
                }
            }
        }
    }
    for (const auto& w : m.warnings) {
        std::printf("  warning: %s\n", w.c_str());
    }
    return 0;
}

int loadRate(const std::filesystem::path& dir) {
    int total = 0, clean = 0, withWarnings = 0, rejected = 0;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.is_regular_file() && e.path().extension() == ".swf") {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        ++total;
        auto result = swf::readMovie(readFile(path));
        if (!result) {
            ++rejected;
            std::printf("REJECTED %s: %s\n", path.c_str(), result.error.c_str());
        } else if (!result.movie->warnings.empty()) {
            ++withWarnings;
            std::printf("WARN %s: %s\n", path.c_str(), result.movie->warnings.front().c_str());
        } else {
            ++clean;
        }
    }
    std::printf("load rate: %d of %d clean, %d with warnings, %d rejected\n", clean, total,
                withWarnings, rejected);
    return rejected == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-rate") {
        return loadRate(argv[2]);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: swfdump MOVIE.swf... | swfdump --load-rate DIR\n");
        return 2;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        failures += dump(argv[i]);
    }
    return failures == 0 ? 0 : 1;
}
