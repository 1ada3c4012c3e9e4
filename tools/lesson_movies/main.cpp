// Writes the sample course's lesson movies, one a<code>.swf per lesson of lessons.json (made
// by tools/lesson_texts/make_lesson_texts.py, which also links them into book.dll):
//   lesson_movies <lessons.json> <output folder>
// Glyphs come from the installed AR PL UKai face (Debian: fonts-arphic-ukai); pinyin from the
// same face when it has every letter, else from DejaVu Sans (fonts-dejavu-core).
#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "lesson_data.h"
#include "lesson_movie.h"

namespace {

constexpr const char* kKaiFace = "/usr/share/fonts/truetype/arphic/ukai.ttc";
constexpr const char* kLatinFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char32_t kPinyinLetters[] = U"abcdefghijklmnopqrstuvwxyzāáǎàēéěèīíǐìōóǒòūúǔùüǖǘǚǜ";

bool save(const std::string& path, const pencora::swf::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lesson_movies <lessons.json> <output folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        using namespace lesson_movies;
        EmbeddedFont kai(kKaiFace);
        const bool kaiPinyin = kai.covers(kPinyinLetters);
        EmbeddedFont latin(kaiPinyin ? kKaiFace : kLatinFace);
        const auto lessons = readLessons(argv[1]);
        for (const Lesson& lesson : lessons) {
            const auto bytes = lessonMovie(lesson, {kai, latin});
            const std::string path = std::string(argv[2]) + "/a" + lesson.code + ".swf";
            if (!save(path, bytes)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
        std::printf("%zu movies written (pinyin from %s)\n", lessons.size(),
                    kaiPinyin ? "the Kai face" : "DejaVu Sans");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lesson_movies: %s\n", e.what());
        return 1;
    }
    return 0;
}
