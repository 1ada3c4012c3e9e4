// Usage: avm1run MOVIE.swf [--frames N]   prints the movie's trace output, one line per call
//        avm1run corpus DIR [--list]      runs every trace test below DIR (folders with
//                                         test.swf, output.txt, test.toml), prints
//                                         PASS/FAIL per test and "avm1: P of T pass"
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/swf/movie.h"
#include "trace_host.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct TestConfig {
    int frames = 1;
    double epsilon = -1;
    QString numberPattern;
};

TestConfig readConfig(const fs::path& toml) {
    TestConfig c;
    QString text = QString::fromStdString(readText(toml));
    QRegularExpression frames(QStringLiteral("^num_(?:frames|ticks)\\s*=\\s*(\\d+)"),
                              QRegularExpression::MultilineOption);
    if (auto m = frames.match(text); m.hasMatch()) {
        c.frames = m.captured(1).toInt();
    }
    QRegularExpression eps(QStringLiteral("^epsilon\\s*=\\s*([0-9.eE+-]+)"),
                           QRegularExpression::MultilineOption);
    if (auto m = eps.match(text); m.hasMatch()) {
        c.epsilon = m.captured(1).toDouble();
    }
    return c;
}

QStringList runMovie(const fs::path& path, int frames, std::string* error) {
    std::string bytes = readText(path);
    auto result = pencora::swf::readMovie(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (!result) {
        if (error) {
            *error = "movie rejected: " + result.error;
        }
        return {};
    }
    pencora::tools::TraceHost host(result.movie,
                                   QString::fromStdString(path.parent_path().string()));
    host.run(frames);
    return host.lines;
}

// Lines match exactly, or number by number within epsilon when the test allows it.
bool linesMatch(const QString& got, const QString& want, double epsilon) {
    if (got == want) {
        return true;
    }
    if (epsilon < 0) {
        return false;
    }
    static const QRegularExpression number(QStringLiteral("-?\\d+(?:\\.\\d+)?(?:e[-+]?\\d+)?"));
    QString gotRest = got;
    QString wantRest = want;
    QList<double> a, b;
    gotRest.replace(number, QStringLiteral("#"));
    wantRest.replace(number, QStringLiteral("#"));
    if (gotRest != wantRest) {
        return false;
    }
    for (auto it = number.globalMatch(got); it.hasNext();) {
        a << it.next().captured().toDouble();
    }
    for (auto it = number.globalMatch(want); it.hasNext();) {
        b << it.next().captured().toDouble();
    }
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (std::fabs(a[i] - b[i]) > epsilon) {
            return false;
        }
    }
    return true;
}

int runCorpus(const fs::path& dir, bool list) {
    std::vector<fs::path> tests;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file() && e.path().filename() == "test.toml" &&
            fs::exists(e.path().parent_path() / "output.txt")) {
            tests.push_back(e.path().parent_path());
        }
    }
    std::sort(tests.begin(), tests.end());
    int pass = 0;
    for (const auto& t : tests) {
        std::string name = fs::relative(t, dir).string();
        TestConfig cfg = readConfig(t / "test.toml");
        std::string error;
        QStringList got = runMovie(t / "test.swf", cfg.frames, &error);
        QString want = QString::fromStdString(readText(t / "output.txt"));
        QStringList wantLines = want.split('\n');
        if (!wantLines.isEmpty() && wantLines.back().isEmpty()) {
            wantLines.pop_back();
        }
        bool ok = error.empty() && got.size() == wantLines.size();
        qsizetype firstBad = -1;
        for (qsizetype i = 0; i < std::min(got.size(), wantLines.size()); ++i) {
            if (!linesMatch(got[i], wantLines[i], cfg.epsilon)) {
                ok = false;
                firstBad = i;
                break;
            }
        }
        if (ok) {
            ++pass;
            std::printf("PASS %s\n", name.c_str());
        } else if (!list) {
            if (!error.empty()) {
                std::printf("FAIL %s: %s\n", name.c_str(), error.c_str());
            } else if (firstBad >= 0) {
                std::printf("FAIL %s: line %lld: got \"%s\", want \"%s\"\n", name.c_str(),
                            (long long)firstBad + 1, got[firstBad].left(80).toUtf8().constData(),
                            wantLines[firstBad].left(80).toUtf8().constData());
            } else {
                std::printf("FAIL %s: %lld lines, want %lld\n", name.c_str(), (long long)got.size(),
                            (long long)wantLines.size());
            }
        }
        std::fflush(stdout);
    }
    std::printf("avm1: %d of %zu pass\n", pass, tests.size());
    return 0;
}

}  // namespace

// --dump: the root timeline's actions, one record a line.
void dumpBlock(const pencora::swf::Bytes& bytes) {
    auto block = pencora::swf::decodeActions(bytes);
    for (size_t i = 0; i < block.actions.size(); ++i) {
        const auto& a = block.actions[i];
        std::printf("  %4zu %02x %s", i, a.rawCode, pencora::swf::actionName(a.code));
        for (const auto& v : a.values) {
            using T = pencora::swf::PushValue::Type;
            switch (v.type) {
                case T::String:
                    std::printf(" \"%s\"", v.text.c_str());
                    break;
                case T::Register:
                    std::printf(" r%u", v.index);
                    break;
                case T::Constant:
                    std::printf(" c%u", v.index);
                    break;
                case T::Null:
                    std::printf(" null");
                    break;
                case T::Undefined:
                    std::printf(" undef");
                    break;
                case T::Boolean:
                    std::printf(" %s", v.number ? "true" : "false");
                    break;
                default:
                    std::printf(" %g", v.number);
                    break;
            }
        }
        for (const auto& s : a.strings) {
            std::printf(" '%s'", s.c_str());
        }
        if (a.function) {
            std::printf(" fn '%s' end=%u", a.function->name.c_str(), a.function->bodyEnd);
        }
        if (a.code == pencora::swf::ActionCode::Jump || a.code == pencora::swf::ActionCode::If) {
            std::printf(" -> %u", a.target);
        }
        if (!a.text.empty()) {
            std::printf(" '%s'", a.text.c_str());
        }
        std::printf("\n");
    }
}

int dumpMovie(const char* path) {
    std::string bytes = readText(path);
    auto result = pencora::swf::readMovie(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (!result) {
        return 1;
    }
    int f = 0;
    for (const auto& frame : result.movie->timeline.frames) {
        ++f;
        for (const auto& tag : frame.tags) {
            if (auto* a = std::get_if<pencora::swf::DoAction>(&tag)) {
                std::printf("frame %d DoAction\n", f);
                dumpBlock(a->actions);
            } else if (auto* a = std::get_if<pencora::swf::DoInitAction>(&tag)) {
                std::printf("frame %d DoInitAction %u\n", f, a->spriteId);
                dumpBlock(a->actions);
            }
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--dump") {
        return dumpMovie(argv[2]);
    }
    if (argc >= 3 && std::string(argv[1]) == "corpus") {
        bool list = argc >= 4 && std::string(argv[3]) == "--list";
        return runCorpus(argv[2], list);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: avm1run MOVIE.swf [--frames N] | avm1run corpus DIR\n");
        return 2;
    }
    int frames = 1;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--frames") {
            frames = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    std::string error;
    QStringList lines = runMovie(argv[1], frames, &error);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const QString& l : lines) {
        std::printf("%s\n", l.toUtf8().constData());
    }
    return 0;
}
