// Opening a large lesson-movie library and reading one movie out of it.
//
// The library is linked like a course's: 300 movies of 1 MiB as resources of type "Flash"
// named "a" + code, compiled by MinGW-w64 `windres` and linked by its `ld` into a DLL of
// about 300 MB. It is made once in the temporary folder and reused by later runs; without
// the MinGW-w64 binutils the benchmark says so and skips.
//
// Reported: the time to open the library (directory only) and read one movie, and the growth
// of the process's resident memory across one open and read (`rss_growth_MB`).
#include "platform/resources/pe_resource_library.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace stdfs = std::filesystem;
using pencora::resources::PeResourceLibrary;

namespace {

constexpr int kMovies = 300;
constexpr size_t kMovieSize = 1 << 20;

std::string codeOf(int i) {
    char code[8];
    std::snprintf(code, sizeof code, "%02d%02d%02d", 1 + i / 30, 1 + i / 5 % 6, 1 + i % 5);
    return code;
}

void writeMovie(const stdfs::path& file, int seed) {
    std::vector<char> bytes(kMovieSize);
    uint32_t state = 0x9E3779B9u ^ static_cast<uint32_t>(seed);
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    bytes[0] = 'F', bytes[1] = 'W', bytes[2] = 'S';
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// The library's path, or empty when it cannot be made.
stdfs::path ensureLibrary() {
    const stdfs::path folder = stdfs::temp_directory_path() / "pencora-bench-pe";
    const stdfs::path library = folder / "book.dll";
    if (stdfs::exists(library)) {
        return library;
    }
    stdfs::create_directories(folder / "movies");
    std::ofstream script(folder / "book.rc");
    for (int i = 0; i < kMovies; ++i) {
        const stdfs::path movie = folder / "movies" / (codeOf(i) + ".swf");
        writeMovie(movie, i);
        script << 'a' << codeOf(i) << " Flash \"" << movie.string() << "\"\n";
    }
    script.close();
    const std::string dir = folder.string();
    const bool made = run("x86_64-w64-mingw32-windres --preprocessor=cpp --preprocessor-arg=-xc "
                          "--preprocessor-arg=-DRC_INVOKED '" +
                          dir + "/book.rc' -O coff -o '" + dir + "/book.o'") &&
                      run("x86_64-w64-mingw32-ld --dll -e 0 -s -o '" + dir + "/book.dll.part' '" +
                          dir + "/book.o'");
    stdfs::remove_all(folder / "movies");
    stdfs::remove(folder / "book.o");
    if (!made) {
        return {};
    }
    stdfs::rename(folder / "book.dll.part", library);
    return library;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

void BM_OpenLibraryAndReadOneMovie(benchmark::State& state) {
    const stdfs::path path = ensureLibrary();
    if (path.empty()) {
        state.SkipWithError("cannot make the library: MinGW-w64 windres/ld missing");
        return;
    }
    const QString file = QString::fromStdString(path.string());
    const QString code = QStringLiteral("A") + QString::fromStdString(codeOf(kMovies / 2));
    const long before = residentKiB();
    long after = before;
    for (auto _ : state) {
        PeResourceLibrary library;
        if (!library.open(file)) {
            state.SkipWithError(library.error().toStdString().c_str());
            return;
        }
        const auto* movie = library.find(u"FLASH", code);
        QByteArray bytes = movie ? library.read(*movie) : QByteArray();
        benchmark::DoNotOptimize(bytes.data());
        after = std::max(after, residentKiB());
    }
    state.counters["library_MB"] = double(stdfs::file_size(path)) / 1e6;
    state.counters["rss_growth_MB"] = double(after - before) / 1024.0;
}
BENCHMARK(BM_OpenLibraryAndReadOneMovie)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
