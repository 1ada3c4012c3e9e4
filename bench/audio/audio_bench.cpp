// How fast a sound starts and what decoding costs.
//
//  - play_file to the first audible frame the mixer hands to the device, for a one-second
//    pronunciation and for a twenty-minute lesson reading. The library runs without a
//    device and the mix is pulled at once, so the device's own buffer is not counted.
//  - CPU time of decoding (and resampling to 44.1 kHz) one second of MP3.
//
// The MP3s are written like the sample course's (22.05 kHz mono, 48 kbit/s CBR) as a tone
// that sounds from its first sample, into the temporary folder; the twenty-minute one is
// made once and reused by later runs.
#include "listening.h"
#include "platform/audio/bass.h"
#include "platform/audio/decoder.h"
#include "platform/audio/output_probe.h"
#include "platform/fs/program_path.h"
#include "sound/play_file.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace stdfs = std::filesystem;
using namespace pencora;
using namespace pencora::audio::testing;

namespace {

stdfs::path benchFolder() {
    const stdfs::path folder = stdfs::temp_directory_path() / "pencora-bench-audio";
    stdfs::create_directories(folder / "Data" / "sound");
    stdfs::create_directories(folder / "DATA" / "lessonread");
    return folder;
}

stdfs::path ensureTone(const stdfs::path& file, double seconds) {
    if (!stdfs::exists(file)) {
        const stdfs::path part = file.string() + ".part";
        if (!writeTone(part, ToneFormat::Mp3, 22050, 1, seconds, 440, 0.5)) {
            return {};
        }
        stdfs::rename(part, file);
    }
    return file;
}

void playToFirstSound(benchmark::State& state, const char* relative, const stdfs::path& file,
                      const stdfs::path& programFolder = benchFolder()) {
    if (file.empty()) {
        state.SkipWithError("cannot write MP3");
        return;
    }
    fs::setProgramFolder(QString::fromStdString(programFolder.string()));
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) {
        state.SkipWithError("no audio library");
        return;
    }
    uint32_t slot = 0;
    std::vector<float> block(2 * 64);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        sound::play_file(slot, QString::fromUtf8(relative));
        bool heard = false;
        while (!heard) {
            audio::pullOutput(block.data(), 64);
            for (float s : block) {
                heard = heard || std::fabs(s) > 1e-3f;
            }
        }
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    BASS_StreamFree(slot);
    BASS_Free();
}

void BM_PlayFileToFirstSound_Pronunciation(benchmark::State& state) {
    playToFirstSound(state, "Data\\sound\\xiáng.mp3",
                     ensureTone(benchFolder() / "Data" / "sound" / "xiáng.mp3", 1.0));
}

void BM_PlayFileToFirstSound_Reading20min(benchmark::State& state) {
    playToFirstSound(state, "DATA\\lessonread\\010201.mp3",
                     ensureTone(benchFolder() / "DATA" / "lessonread" / "010201.mp3", 20 * 60));
}

// A real pronunciation of the sample course: the speech starts after about 0.1 s of
// silence, which the mixer hands over as fast as it is pulled.
void BM_PlayFileToFirstSound_SamplePronunciation(benchmark::State& state) {
    const stdfs::path course = stdfs::path(PENCORA_SOURCE_DIR) / "sample-content";
    playToFirstSound(state, "Data\\sound\\xiáng.mp3", course / "Data" / "sound" / "xiáng.mp3",
                     course);
}

void BM_DecodeOneSecondOfMp3(benchmark::State& state) {
    const stdfs::path file = ensureTone(benchFolder() / "DATA" / "lessonread" / "010201.mp3", 1200);
    auto decoder = audio::Decoder::open(audio::ByteRange::openFile(file, 0, 0), 44100);
    if (!decoder) {
        state.SkipWithError("cannot open MP3");
        return;
    }
    audio::FrameRing ring(65536);
    std::vector<float> sink(2 * 65536);
    for (auto _ : state) {
        decoder->fill(ring, 22050);  // one second of the 22.05 kHz source
        ring.mixInto(sink.data(), ring.readable(), 1.0f);
        if (decoder->finished()) {
            decoder = audio::Decoder::open(audio::ByteRange::openFile(file, 0, 0), 44100);
        }
    }
}

}  // namespace

BENCHMARK(BM_PlayFileToFirstSound_Pronunciation)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayFileToFirstSound_Reading20min)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayFileToFirstSound_SamplePronunciation)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeOneSecondOfMp3)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
