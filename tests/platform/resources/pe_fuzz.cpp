// Fuzz target: the resource directory reader over arbitrary bytes. Every resource it accepts
// must lie inside the input.
#include "platform/resources/pe_resource_directory.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto result = pencora::resources::readPeResources({data, size});
    for (const auto& resource : result.resources) {
        if (resource.offset > size || resource.size > size - resource.offset) {
            std::abort();
        }
    }
    return 0;
}
