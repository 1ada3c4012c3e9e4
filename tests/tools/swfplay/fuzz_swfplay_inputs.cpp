// Fuzz target for swfplay's readers of corpus files, chosen by the first byte modulo 3:
// test.toml (0), input.json (1) and socket.json (2).
#include <cstddef>
#include <cstdint>
#include <string>

#include "input_script.h"
#include "socket_peer.h"
#include "toml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string error;
    switch (data[0] % 3) {
        case 0:
            pencora::swfplay::parseToml(text);
            break;
        case 1:
            pencora::swfplay::parseInputScript(text, &error);
            break;
        default:
            pencora::swfplay::parseSocketScript(text, &error);
            break;
    }
    return 0;
}
