// Writes action byte code for frame and button scripts: the records an authoring tool emits
// for stop, play, gotoAndStop/gotoAndPlay (by number, by label, by computed value), getURL,
// variables and simple conditions. Records are appended in order; `bytes()` ends the block.
#pragma once

#include <cstdint>
#include <string>

#include "platform/flash/swf/control_tags.h"

namespace pencora::swfwrite {

class ActionWriter {
  public:
    ActionWriter& stop();
    ActionWriter& play();
    // gotoAndStop / gotoAndPlay on the script's timeline; frames count from 0 in the file.
    ActionWriter& gotoFrame(uint16_t frame, bool andPlay = false);
    ActionWriter& gotoLabel(const std::string& label, bool andPlay = false);
    // Goes to the frame or label on the stack (GotoFrame2), popping it.
    ActionWriter& gotoPopped(bool andPlay = false);
    // getURL with constant strings; "FSCommand:name" sends a command to the host.
    ActionWriter& getUrl(const std::string& url, const std::string& target = "");
    ActionWriter& fsCommand(const std::string& command, const std::string& args);

    ActionWriter& push(const std::string& text);
    ActionWriter& push(int32_t number);
    ActionWriter& getVariable(const std::string& name);
    // name = the value on the stack.
    ActionWriter& setVariable(const std::string& name);
    ActionWriter& setVariable(const std::string& name, const std::string& value);
    ActionWriter& setVariable(const std::string& name, int32_t value);
    // One of the stack operators without operands (Add2, Less2, Not, Increment, ...).
    ActionWriter& op(uint8_t code);
    // Pops a condition and runs `body` only when it is true.
    ActionWriter& when(const ActionWriter& body);

    const swf::Bytes& code() const { return bytes_; }
    // The block closed with End.
    swf::Bytes bytes() const;

  private:
    ActionWriter& record(uint8_t code, const swf::Bytes& payload);

    swf::Bytes bytes_;
};

// Operator codes for ActionWriter::op.
namespace action_op {
inline constexpr uint8_t Not = 0x12;
inline constexpr uint8_t Add2 = 0x47;
inline constexpr uint8_t Less2 = 0x48;
inline constexpr uint8_t Equals2 = 0x49;
inline constexpr uint8_t Increment = 0x50;
inline constexpr uint8_t Decrement = 0x51;
inline constexpr uint8_t Greater = 0x67;
}  // namespace action_op

}  // namespace pencora::swfwrite
