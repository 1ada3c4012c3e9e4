// Fuzz target for what the Flash control reads from outside: its saved state (first byte 0),
// movie headers in the stand-in engine (1), and addresses it may read as local files (2).
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/flash/control/control_properties.h"
#include "platform/flash/control/local_fetch.h"
#include "platform/flash/control/stub_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            pencora::flash::loadControlState(rest);
            break;
        case 1: {
            auto engine = pencora::flash::createStubMovieEngine();
            if (engine->loadMovie(0, rest, u"fuzz.swf", {})) {
                engine->runFrame();
                engine->movieInfo();
            }
            break;
        }
        default: {
            std::u16string address;
            for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
                address += static_cast<char16_t>(rest[i] | (rest[i + 1] << 8));
            }
            pencora::flash::localFilePath(address, u"/base/");
            pencora::flash::parseQueryVariables(address);
            break;
        }
    }
    return 0;
}
