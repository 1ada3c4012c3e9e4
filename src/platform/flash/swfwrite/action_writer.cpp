#include "platform/flash/swfwrite/action_writer.h"

#include <stdexcept>

namespace pencora::swfwrite {

namespace {

constexpr uint8_t kEnd = 0x00;
constexpr uint8_t kPlay = 0x06;
constexpr uint8_t kStop = 0x07;
constexpr uint8_t kGetVariable = 0x1C;
constexpr uint8_t kSetVariable = 0x1D;
constexpr uint8_t kGotoFrame = 0x81;
constexpr uint8_t kGetUrl = 0x83;
constexpr uint8_t kGoToLabel = 0x8C;
constexpr uint8_t kPush = 0x96;
constexpr uint8_t kIf = 0x9D;
constexpr uint8_t kGotoFrame2 = 0x9F;

constexpr uint8_t kPushString = 0;
constexpr uint8_t kPushInteger = 7;

void appendString(swf::Bytes& out, const std::string& text) {
    if (text.find('\0') != std::string::npos) {
        throw std::invalid_argument("action string holds a NUL byte");
    }
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

}  // namespace

ActionWriter& ActionWriter::record(uint8_t code, const swf::Bytes& payload) {
    if (payload.size() > 0xFFFF) {
        throw std::length_error("action record longer than 65535 bytes");
    }
    bytes_.push_back(code);
    bytes_.push_back(static_cast<uint8_t>(payload.size()));
    bytes_.push_back(static_cast<uint8_t>(payload.size() >> 8));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    return *this;
}

ActionWriter& ActionWriter::op(uint8_t code) {
    if (code >= 0x80) {
        throw std::invalid_argument("op() takes only actions without operands");
    }
    bytes_.push_back(code);
    return *this;
}

ActionWriter& ActionWriter::stop() {
    return op(kStop);
}

ActionWriter& ActionWriter::play() {
    return op(kPlay);
}

ActionWriter& ActionWriter::gotoFrame(uint16_t frame, bool andPlay) {
    record(kGotoFrame, {static_cast<uint8_t>(frame), static_cast<uint8_t>(frame >> 8)});
    return andPlay ? play() : *this;
}

ActionWriter& ActionWriter::gotoLabel(const std::string& label, bool andPlay) {
    swf::Bytes payload;
    appendString(payload, label);
    record(kGoToLabel, payload);
    return andPlay ? play() : *this;
}

ActionWriter& ActionWriter::gotoPopped(bool andPlay) {
    return record(kGotoFrame2, {static_cast<uint8_t>(andPlay ? 1 : 0)});
}

ActionWriter& ActionWriter::getUrl(const std::string& url, const std::string& target) {
    swf::Bytes payload;
    appendString(payload, url);
    appendString(payload, target);
    return record(kGetUrl, payload);
}

ActionWriter& ActionWriter::fsCommand(const std::string& command, const std::string& args) {
    return getUrl("FSCommand:" + command, args);
}

ActionWriter& ActionWriter::push(const std::string& text) {
    swf::Bytes payload{kPushString};
    appendString(payload, text);
    return record(kPush, payload);
}

ActionWriter& ActionWriter::push(int32_t number) {
    const auto bits = static_cast<uint32_t>(number);
    return record(kPush, {kPushInteger, static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                          static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)});
}

ActionWriter& ActionWriter::getVariable(const std::string& name) {
    push(name);
    return op(kGetVariable);
}

ActionWriter& ActionWriter::setVariable(const std::string& name) {
    // The value is on the stack already; SetVariable wants the name below it.
    push(name);
    op(0x4D);  // StackSwap
    return op(kSetVariable);
}

ActionWriter& ActionWriter::setVariable(const std::string& name, const std::string& value) {
    push(name);
    push(value);
    return op(kSetVariable);
}

ActionWriter& ActionWriter::setVariable(const std::string& name, int32_t value) {
    push(name);
    push(value);
    return op(kSetVariable);
}

ActionWriter& ActionWriter::when(const ActionWriter& body) {
    const auto size = body.bytes_.size();
    if (size > 0x7FFF) {
        throw std::length_error("conditional body too long for a branch");
    }
    op(action_op::Not);
    record(kIf, {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)});
    bytes_.insert(bytes_.end(), body.bytes_.begin(), body.bytes_.end());
    return *this;
}

swf::Bytes ActionWriter::bytes() const {
    swf::Bytes out = bytes_;
    out.push_back(kEnd);
    return out;
}

}  // namespace pencora::swfwrite
