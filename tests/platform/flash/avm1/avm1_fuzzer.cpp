// Fuzz target: decodes random bytes as an action block and runs it on a fresh machine with
// tight limits. The first byte picks the SWF version (4 to 10) and, with its top bit set, has
// the block be the middle third of the rest, decoded inside it, so that branches may leave it on
// either side; the rest is bytecode.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/machine.h"

namespace {

class FuzzHost : public pencora::avm1::Host {
  public:
    double milliseconds() override { return clock; }
    pencora::avm1::Object* root(pencora::avm1::Object*) override { return rootClip; }
    pencora::avm1::Object* level(int n) override { return n == 0 ? rootClip : nullptr; }
    double clock = 0;
    pencora::avm1::Object* rootClip = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int version = 4 + data[0] % 7;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    auto block = std::make_shared<pencora::swf::ActionBlock>(
        data[0] & 0x80
            ? pencora::swf::decodeActionsInFile(bytes, bytes.size() / 3, bytes.size() / 3)
            : pencora::swf::decodeActions(bytes));
    FuzzHost host;
    pencora::avm1::Machine machine(host, version);
    pencora::avm1::ScriptLimits limits;
    limits.seconds = 2;
    limits.maxActions = 20000;
    limits.maxDepth = 64;
    limits.maxHeapBytes = size_t(64) << 20;
    limits.maxStringLength = size_t(1) << 20;
    limits.maxArrayLength = 1u << 16;
    machine.setLimits(limits);
    pencora::avm1::Object* root = machine.makeObject();
    host.rootClip = root;
    machine.runBlock(block, root, version);
    // Timers the block set up, then a collection, then the same block again on the survivors.
    host.clock = 1000;
    machine.runTimers();
    machine.collectGarbage({root});
    machine.runBlock(block, root, version);
    return 0;
}
