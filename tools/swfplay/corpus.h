// Running the conformance corpus: every folder below a root that holds a test.toml is one
// test. A test runs its movie for num_frames (or num_ticks) frames on the virtual clock,
// injecting its input.json step after each frame and stopping early on fscommand("quit"),
// then compares the trace with output.txt and each captured frame with its expected PNG. A
// socket.json makes the runner the peer of the movie's socket connection (socket_peer.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "output_compare.h"
#include "toml_reader.h"

namespace pencora::swfplay {

struct ImageComparison {
    std::string name;                    // NAME of NAME.expected.png
    std::optional<int> frame;            // capture after this frame; none: after the last
    bool onCommand = false;              // capture on fscommand("captureImage", NAME)
    std::vector<ImageTolerance> checks;  // all must pass
};

struct CorpusTest {
    std::filesystem::path folder;
    std::string name;  // the folder relative to the corpus root, '/'-separated
    int frames = 1;
    std::optional<Approximations> approximations;
    bool compareTrace = false;  // output.txt present
    std::vector<ImageComparison> images;
    std::u16string quality;  // from [player_options] with_renderer, empty for the default
    // [player_options] viewport_dimensions: the control's size in device pixels (the stage
    // is scaled into it); none: the movie's own stage size.
    std::optional<std::pair<int, int>> viewport;
};

// Reads `folder`/test.toml. nullopt with `error` when it cannot be read.
std::optional<CorpusTest> readCorpusTest(const std::filesystem::path& folder,
                                         const std::filesystem::path& root, std::string* error);
// The test settings in a parsed test.toml (the part readCorpusTest does beyond reading files).
CorpusTest corpusTestFrom(const TomlValue& toml);

// The folders below `root` holding a test.toml, sorted by name.
std::vector<std::filesystem::path> findCorpusTests(const std::filesystem::path& root);

// Runs one test with a fresh control.
Verdict runCorpusTest(const CorpusTest& test);

// The same in a child process where the platform has them, so that an engine that crashes
// or hangs on one movie fails that test ("crashed (signal 11)", "timed out after 60 s")
// instead of ending the corpus run.
Verdict runCorpusTestIsolated(const CorpusTest& test, int timeoutSeconds = 60);

}  // namespace pencora::swfplay
