// Fuzz target for swfplay's readers of corpus files: test.toml (first byte even) and
// input.json (odd).
#include <cstddef>
#include <cstdint>
#include <string>

#include "input_script.h"
#include "toml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        pencora::swfplay::parseToml(text);
    } else {
        std::string error;
        pencora::swfplay::parseInputScript(text, &error);
    }
    return 0;
}
