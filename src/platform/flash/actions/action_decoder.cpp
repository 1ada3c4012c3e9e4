#include "platform/flash/actions/action_decoder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_set>

namespace pencora::swf {

namespace {

// Reads the payload of one record, never past the record's length: a field the payload holds
// only part of, or none of, reads as zero (a string as what is left of the payload), and ok()
// turns false from then on.
class RecordReader {
  public:
    RecordReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    size_t remaining() const { return size_ - pos_; }

    uint8_t u8() { return uint8_t(little(1)); }
    uint16_t u16() { return uint16_t(little(2)); }
    uint32_t u32() { return uint32_t(little(4)); }
    float f32() {
        uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // Doubles in Push are stored as two little-endian 32-bit halves, high half first.
    double f64() {
        uint32_t hi = u32();
        uint32_t lo = u32();
        uint64_t bits = (uint64_t(hi) << 32) | lo;
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    std::string str() {
        const void* end = pos_ < size_ ? std::memchr(data_ + pos_, 0, size_ - pos_) : nullptr;
        const size_t len =
            end ? size_t(static_cast<const uint8_t*>(end) - (data_ + pos_)) : size_ - pos_;
        std::string s(reinterpret_cast<const char*>(data_ + pos_), len);
        pos_ += len;
        if (end) {
            ++pos_;
        } else {
            ok_ = false;
        }
        return s;
    }

  private:
    // `n` bytes, least significant first; those past the payload are zero.
    uint32_t little(size_t n) {
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i, ++pos_) {
            if (pos_ >= size_) {
                ok_ = false;
                return v;
            }
            v |= uint32_t(data_[pos_]) << (8 * i);
        }
        return v;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// A branch or region edge noted while decoding, by byte offset; resolved to an action index
// once every record is known.
struct Fixup {
    uint32_t* slot;  // null: the target of the action itself
    int64_t byteOffset;
    bool mustBeExact;  // branches must land on a record; region edges may fall short of one
    size_t actionIndex;
};

// "0x96": how notes name an action code.
std::string hexCode(uint8_t code) {
    static const char kDigits[] = "0123456789abcdef";
    return std::string("0x") + kDigits[code >> 4] + kDigits[code & 0xF];
}

void decodePush(RecordReader& r, Action& a) {
    while (r.ok() && r.remaining() > 0) {
        PushValue v;
        uint8_t type = r.u8();
        switch (type) {
            case 0:
                v.type = PushValue::Type::String;
                v.text = r.str();
                break;
            case 1:
                v.type = PushValue::Type::Float;
                v.number = r.f32();
                break;
            case 2:
                v.type = PushValue::Type::Null;
                break;
            case 3:
                v.type = PushValue::Type::Undefined;
                break;
            case 4:
                v.type = PushValue::Type::Register;
                v.index = r.u8();
                break;
            case 5:
                v.type = PushValue::Type::Boolean;
                v.number = r.u8() ? 1 : 0;
                break;
            case 6:
                v.type = PushValue::Type::Double;
                v.number = r.f64();
                break;
            case 7:
                v.type = PushValue::Type::Integer;
                v.number = int32_t(r.u32());
                break;
            case 8:
                v.type = PushValue::Type::Constant;
                v.index = r.u8();
                break;
            case 9:
                v.type = PushValue::Type::Constant;
                v.index = r.u16();
                break;
            default:
                // An unknown value type cannot be skipped: its length is unknown.
                v.type = PushValue::Type::Undefined;
                a.values.push_back(v);
                return;
        }
        if (r.ok()) {
            a.values.push_back(std::move(v));
        }
    }
}

// Decodes records one at a time. The block is read from its start; a branch into the middle
// of a record (assemblers and obfuscators write them) starts another run of records there,
// which ends where it meets a record already read. The records are then put in byte order and
// each one's `next` names the record that follows it in its own run.
class BlockDecoder {
  public:
    // `file` holds the block at [begin, end). Branches that leave the block are followed into
    // the rest of `file` (see decodeActionsInFile); with `file` being the block alone they end it.
    BlockDecoder(std::span<const uint8_t> file, size_t begin, size_t end)
        : bytes_(file), begin_(begin), end_(end) {
        // Reserve a rough guess only; the list grows with what is actually read.
        block_.actions.reserve(std::min<size_t>((end - begin) / 2 + 1, 1 << 16));
    }

    ActionBlock decode() {
        decodeRun(begin_, end_, false);
        for (size_t i = 0; i < fixups_.size(); ++i) {
            const Fixup f = fixups_[i];  // decodeRun may grow the list
            if (!f.mustBeExact || f.byteOffset < 0 || f.byteOffset >= int64_t(bytes_.size()) ||
                starts_.contains(uint32_t(f.byteOffset))) {
                continue;
            }
            ordered_ = false;
            if (inBlock(f.byteOffset)) {
                decodeRun(size_t(f.byteOffset), end_, false);
            } else {
                decodeRun(size_t(f.byteOffset), bytes_.size(), true);
            }
        }
        putInByteOrder();
        resolve();
        toBlockOffsets();
        return std::move(block_);
    }

  private:
    // Most records read outside the block, for all its branches together.
    static constexpr size_t kMaxOutsideRecords = 1 << 16;

    bool inBlock(int64_t pos) const { return pos >= int64_t(begin_) && pos < int64_t(end_); }

    // Reads records from `pos` until `limit`, a record already read or one that cannot be read.
    // Outside the block a run also ends after an End record: code reached by a branch ends
    // there, and what follows it is some other tag's data.
    void decodeRun(size_t pos, size_t limit, bool outside) {
        while (pos < limit && !starts_.contains(uint32_t(pos))) {
            if (outside && outsideRecords_ >= kMaxOutsideRecords) {
                block_.notes.push_back("too many actions reached outside the block");
                return;
            }
            size_t next = 0;
            if (!decodeRecord(pos, limit, next)) {
                return;
            }
            if (outside) {
                ++outsideRecords_;
                if (bytes_[pos] == uint8_t(ActionCode::End)) {
                    return;
                }
            }
            pos = next;
        }
    }

    bool decodeRecord(size_t pos, size_t limit, size_t& nextPos);
    bool readOperands(RecordReader& r, Action& a, size_t index, int64_t next);
    void putInByteOrder();
    void resolve();
    void toBlockOffsets();
    uint32_t indexAt(int64_t byteOffset, bool exact, size_t from);

    std::span<const uint8_t> bytes_;
    size_t begin_;
    size_t end_;
    ActionBlock block_;
    std::vector<uint32_t> ends_;  // byte offset after each record
    std::unordered_set<uint32_t> starts_;
    std::vector<Fixup> fixups_;
    std::vector<std::shared_ptr<FunctionDef>> functions_;
    std::vector<std::shared_ptr<TryDef>> tries_;
    bool ordered_ = true;  // one run only: the records follow each other
    size_t outsideRecords_ = 0;
    uint32_t inside_ = 0;  // after putInByteOrder: how many records lie inside the block
};

bool BlockDecoder::decodeRecord(size_t pos, size_t size, size_t& nextPos) {
    Action a;
    a.offset = uint32_t(pos);
    a.rawCode = bytes_[pos];
    a.code = ActionCode(a.rawCode);
    size_t payload = 0;
    size_t header = 1;
    if (a.rawCode >= 0x80) {
        if (size - pos < 3) {
            block_.notes.push_back("truncated action header at offset " + std::to_string(pos));
            return false;
        }
        payload = size_t(bytes_[pos + 1]) | (size_t(bytes_[pos + 2]) << 8);
        header = 3;
        if (size - pos - header < payload) {
            block_.notes.push_back("action " + hexCode(a.rawCode) + " at offset " +
                                   std::to_string(pos) + " claims " + std::to_string(payload) +
                                   " bytes, only " + std::to_string(size - pos - header) +
                                   " remain");
            return false;
        }
    }
    const size_t next = pos + header + payload;
    const size_t index = block_.actions.size();
    RecordReader r(bytes_.data() + pos + header, payload);
    // Operands the record's length leaves out read as zero; the next record still starts
    // where the length says.
    if (!readOperands(r, a, index, int64_t(next))) {
        block_.notes.push_back("operands of action " + hexCode(a.rawCode) + " at offset " +
                               std::to_string(pos) + " run past its length");
    }
    block_.actions.push_back(std::move(a));
    ends_.push_back(uint32_t(next));
    starts_.insert(uint32_t(pos));
    nextPos = next;
    return true;
}

// Reads the operands of `a`, noting its branches and regions. False when the record is too
// short for them.
bool BlockDecoder::readOperands(RecordReader& r, Action& a, size_t index, int64_t next) {
    switch (a.code) {
        case ActionCode::GotoFrame:
            a.frame = r.u16();
            break;
        case ActionCode::GetURL:
            a.text = r.str();
            a.text2 = r.str();
            break;
        case ActionCode::StoreRegister:
        case ActionCode::GetURL2:
            a.byteArg = r.u8();
            break;
        case ActionCode::ConstantPool: {
            uint16_t count = r.u16();
            for (uint32_t i = 0; i < count && r.ok(); ++i) {
                std::string s = r.str();
                if (r.ok()) {
                    a.strings.push_back(std::move(s));
                }
            }
            // A pool that claims more strings than it holds keeps the ones it has.
            r = RecordReader(nullptr, 0);
            break;
        }
        case ActionCode::WaitForFrame:
            a.frame = r.u16();
            a.byteArg = r.u8();
            break;
        case ActionCode::WaitForFrame2:
            a.byteArg = r.u8();
            break;
        case ActionCode::SetTarget:
        case ActionCode::GoToLabel:
            a.text = r.str();
            break;
        case ActionCode::GotoFrame2:
            a.byteArg = r.u8();
            if (a.byteArg & 0x02) {
                a.frame = r.u16();
            }
            break;
        case ActionCode::Push:
            decodePush(r, a);
            break;
        case ActionCode::Jump:
        case ActionCode::If: {
            int16_t off = int16_t(r.u16());
            fixups_.push_back({nullptr, next + off, true, index});
            break;
        }
        case ActionCode::With: {
            uint16_t len = r.u16();
            fixups_.push_back({nullptr, next + len, false, index});
            break;
        }
        case ActionCode::DefineFunction:
        case ActionCode::DefineFunction2: {
            auto f = std::make_shared<FunctionDef>();
            f->version2 = a.code == ActionCode::DefineFunction2;
            f->name = r.str();
            uint16_t count = r.u16();
            if (f->version2) {
                f->registerCount = r.u8();
                f->flags = r.u16();
            } else {
                f->registerCount = 4;
            }
            for (uint32_t i = 0; i < count && r.ok(); ++i) {
                FunctionParam p;
                if (f->version2) {
                    p.reg = r.u8();
                }
                p.name = r.str();
                f->params.push_back(std::move(p));
            }
            uint16_t codeSize = r.u16();
            fixups_.push_back({&f->bodyBegin, next, false, index});
            fixups_.push_back({&f->bodyEnd, next + codeSize, false, index});
            functions_.push_back(f);
            a.function = f;
            break;
        }
        case ActionCode::Try: {
            auto t = std::make_shared<TryDef>();
            uint8_t flags = r.u8();
            t->hasCatch = flags & 0x01;
            t->hasFinally = flags & 0x02;
            t->catchInRegister = flags & 0x04;
            uint16_t trySize = r.u16();
            uint16_t catchSize = r.u16();
            uint16_t finallySize = r.u16();
            if (t->catchInRegister) {
                t->catchRegister = r.u8();
            } else {
                t->catchName = r.str();
            }
            fixups_.push_back({&t->tryBegin, next, false, index});
            int64_t c = next + trySize;
            int64_t f = c + catchSize;
            int64_t e = f + finallySize;
            fixups_.push_back({&t->catchBegin, c, false, index});
            fixups_.push_back({&t->finallyBegin, f, false, index});
            fixups_.push_back({&t->end, e, false, index});
            tries_.push_back(t);
            a.tryDef = t;
            break;
        }
        default:
            // Actions without operands, and unknown records whose payload is skipped.
            break;
    }
    return r.ok();
}

// Records inside the block come first, in byte order, so the block still starts at index 0;
// records reached outside it follow, in byte order too.
void BlockDecoder::putInByteOrder() {
    const size_t n = block_.actions.size();
    inside_ = uint32_t(n);
    if (ordered_) {
        return;
    }
    std::vector<uint32_t> order(n);
    for (uint32_t i = 0; i < n; ++i) {
        order[i] = i;
    }
    auto key = [&](uint32_t i) {
        const uint32_t offset = block_.actions[i].offset;
        return std::pair<bool, uint32_t>(!inBlock(offset), offset);
    };
    std::sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return key(x) < key(y); });
    std::vector<uint32_t> newIndex(n);
    std::vector<Action> actions;
    std::vector<uint32_t> ends;
    actions.reserve(n);
    ends.reserve(n);
    inside_ = 0;
    for (uint32_t i = 0; i < n; ++i) {
        newIndex[order[i]] = i;
        inside_ += inBlock(block_.actions[order[i]].offset) ? 1 : 0;
        actions.push_back(std::move(block_.actions[order[i]]));
        ends.push_back(ends_[order[i]]);
    }
    block_.actions = std::move(actions);
    ends_ = std::move(ends);
    for (Fixup& f : fixups_) {
        f.actionIndex = newIndex[f.actionIndex];
    }
    if (inside_ < n) {
        block_.outsideBegin = inside_;
    }
}

// The index of the record at `byteOffset`: among the block's records for an offset inside
// the block, among those read outside it otherwise. A region edge outside the block, of a
// region that starts inside it, is the end of the block.
uint32_t BlockDecoder::indexAt(int64_t byteOffset, bool exact, size_t from) {
    const uint32_t count = uint32_t(block_.actions.size());
    if (byteOffset < 0 || byteOffset >= int64_t(bytes_.size())) {
        return count;
    }
    const bool inside = inBlock(byteOffset);
    if (!inside && !exact && from < inside_) {
        return count;
    }
    auto first = block_.actions.begin() + (inside ? 0 : inside_);
    auto last = block_.actions.begin() + (inside ? inside_ : count);
    auto it = std::lower_bound(first, last, uint32_t(byteOffset),
                               [](const Action& act, uint32_t off) { return act.offset < off; });
    if (exact && (it == last || it->offset != uint32_t(byteOffset))) {
        block_.notes.push_back("branch of the action at offset " +
                               std::to_string(block_.actions[from].offset) +
                               " lands on bytes that read as no action");
        return count;
    }
    return it == last ? count : uint32_t(it - block_.actions.begin());
}

// Offsets were kept within the file while decoding; the block's records are named by their
// offset in the block, those outside it by their distance from the block's start (below it,
// counted down from 2^32).
void BlockDecoder::toBlockOffsets() {
    if (begin_ == 0) {
        return;
    }
    for (Action& a : block_.actions) {
        a.offset = uint32_t(a.offset - begin_);
    }
}

// Branches of Jump, If and With are written to their action by index (slot is null); region
// edges go into the shared function and try records.
void BlockDecoder::resolve() {
    const uint32_t count = uint32_t(block_.actions.size());
    for (uint32_t i = 0; i < count; ++i) {
        block_.actions[i].next = i + 1;
        if (!ordered_) {
            // In another run the following record may lie anywhere; past the last byte, or
            // where no record could be read, the block ends. The block's own records end it
            // at its last byte too, as they would had nothing been read outside it.
            block_.actions[i].next = indexAt(ends_[i], false, i);
            if (i < inside_ && ends_[i] >= end_) {
                block_.actions[i].next = count;
            }
            if (block_.actions[i].next < count &&
                block_.actions[block_.actions[i].next].offset != ends_[i]) {
                block_.actions[i].next = count;
            }
        }
    }
    for (const Fixup& f : fixups_) {
        uint32_t value = indexAt(f.byteOffset, f.mustBeExact, f.actionIndex);
        if (!f.slot) {
            block_.actions[f.actionIndex].target = value;
        } else {
            *f.slot = value;
        }
    }
    for (Action& a : block_.actions) {
        if (a.code == ActionCode::WaitForFrame || a.code == ActionCode::WaitForFrame2) {
            // The skip counts the records that follow in the action's own run.
            uint32_t t = a.next;
            for (int k = 0; k < a.byteArg && t < count; ++k) {
                t = block_.actions[t].next;
            }
            a.target = t;
        }
        if (a.code == ActionCode::With) {
            a.target = std::min(a.target, count);
        }
    }
    // Region ends never reach before the region's start.
    for (auto& fn : functions_) {
        fn->bodyBegin = std::min(fn->bodyBegin, count);
        fn->bodyEnd = std::clamp(fn->bodyEnd, fn->bodyBegin, count);
    }
    for (auto& t : tries_) {
        t->tryBegin = std::min(t->tryBegin, count);
        t->catchBegin = std::clamp(t->catchBegin, t->tryBegin, count);
        t->finallyBegin = std::clamp(t->finallyBegin, t->catchBegin, count);
        t->end = std::clamp(t->end, t->finallyBegin, count);
    }
}

}  // namespace

ActionBlock decodeActions(std::span<const uint8_t> bytes) {
    return BlockDecoder(bytes, 0, bytes.size()).decode();
}

ActionBlock decodeActionsInFile(std::span<const uint8_t> file, size_t offset, size_t size) {
    if (offset > file.size() || size > file.size() - offset) {
        return {};
    }
    return BlockDecoder(file, offset, offset + size).decode();
}

const char* actionName(ActionCode code) {
    switch (code) {
#define PENCORA_ACTION_NAME(n) \
    case ActionCode::n:        \
        return #n;
        PENCORA_ACTION_NAME(End)
        PENCORA_ACTION_NAME(NextFrame)
        PENCORA_ACTION_NAME(PrevFrame)
        PENCORA_ACTION_NAME(Play)
        PENCORA_ACTION_NAME(Stop)
        PENCORA_ACTION_NAME(ToggleQuality)
        PENCORA_ACTION_NAME(StopSounds)
        PENCORA_ACTION_NAME(Add)
        PENCORA_ACTION_NAME(Subtract)
        PENCORA_ACTION_NAME(Multiply)
        PENCORA_ACTION_NAME(Divide)
        PENCORA_ACTION_NAME(Equals)
        PENCORA_ACTION_NAME(Less)
        PENCORA_ACTION_NAME(And)
        PENCORA_ACTION_NAME(Or)
        PENCORA_ACTION_NAME(Not)
        PENCORA_ACTION_NAME(StringEquals)
        PENCORA_ACTION_NAME(StringLength)
        PENCORA_ACTION_NAME(StringExtract)
        PENCORA_ACTION_NAME(Pop)
        PENCORA_ACTION_NAME(ToInteger)
        PENCORA_ACTION_NAME(GetVariable)
        PENCORA_ACTION_NAME(SetVariable)
        PENCORA_ACTION_NAME(SetTarget2)
        PENCORA_ACTION_NAME(StringAdd)
        PENCORA_ACTION_NAME(GetProperty)
        PENCORA_ACTION_NAME(SetProperty)
        PENCORA_ACTION_NAME(CloneSprite)
        PENCORA_ACTION_NAME(RemoveSprite)
        PENCORA_ACTION_NAME(Trace)
        PENCORA_ACTION_NAME(StartDrag)
        PENCORA_ACTION_NAME(EndDrag)
        PENCORA_ACTION_NAME(StringLess)
        PENCORA_ACTION_NAME(Throw)
        PENCORA_ACTION_NAME(CastOp)
        PENCORA_ACTION_NAME(ImplementsOp)
        PENCORA_ACTION_NAME(FSCommand2)
        PENCORA_ACTION_NAME(RandomNumber)
        PENCORA_ACTION_NAME(MBStringLength)
        PENCORA_ACTION_NAME(CharToAscii)
        PENCORA_ACTION_NAME(AsciiToChar)
        PENCORA_ACTION_NAME(GetTime)
        PENCORA_ACTION_NAME(MBStringExtract)
        PENCORA_ACTION_NAME(MBCharToAscii)
        PENCORA_ACTION_NAME(MBAsciiToChar)
        PENCORA_ACTION_NAME(Delete)
        PENCORA_ACTION_NAME(Delete2)
        PENCORA_ACTION_NAME(DefineLocal)
        PENCORA_ACTION_NAME(CallFunction)
        PENCORA_ACTION_NAME(Return)
        PENCORA_ACTION_NAME(Modulo)
        PENCORA_ACTION_NAME(NewObject)
        PENCORA_ACTION_NAME(DefineLocal2)
        PENCORA_ACTION_NAME(InitArray)
        PENCORA_ACTION_NAME(InitObject)
        PENCORA_ACTION_NAME(TypeOf)
        PENCORA_ACTION_NAME(TargetPath)
        PENCORA_ACTION_NAME(Enumerate)
        PENCORA_ACTION_NAME(Add2)
        PENCORA_ACTION_NAME(Less2)
        PENCORA_ACTION_NAME(Equals2)
        PENCORA_ACTION_NAME(ToNumber)
        PENCORA_ACTION_NAME(ToString)
        PENCORA_ACTION_NAME(PushDuplicate)
        PENCORA_ACTION_NAME(StackSwap)
        PENCORA_ACTION_NAME(GetMember)
        PENCORA_ACTION_NAME(SetMember)
        PENCORA_ACTION_NAME(Increment)
        PENCORA_ACTION_NAME(Decrement)
        PENCORA_ACTION_NAME(CallMethod)
        PENCORA_ACTION_NAME(NewMethod)
        PENCORA_ACTION_NAME(InstanceOf)
        PENCORA_ACTION_NAME(Enumerate2)
        PENCORA_ACTION_NAME(BitAnd)
        PENCORA_ACTION_NAME(BitOr)
        PENCORA_ACTION_NAME(BitXor)
        PENCORA_ACTION_NAME(BitLShift)
        PENCORA_ACTION_NAME(BitRShift)
        PENCORA_ACTION_NAME(BitURShift)
        PENCORA_ACTION_NAME(StrictEquals)
        PENCORA_ACTION_NAME(Greater)
        PENCORA_ACTION_NAME(StringGreater)
        PENCORA_ACTION_NAME(Extends)
        PENCORA_ACTION_NAME(GotoFrame)
        PENCORA_ACTION_NAME(GetURL)
        PENCORA_ACTION_NAME(StoreRegister)
        PENCORA_ACTION_NAME(ConstantPool)
        PENCORA_ACTION_NAME(WaitForFrame)
        PENCORA_ACTION_NAME(SetTarget)
        PENCORA_ACTION_NAME(GoToLabel)
        PENCORA_ACTION_NAME(WaitForFrame2)
        PENCORA_ACTION_NAME(DefineFunction2)
        PENCORA_ACTION_NAME(Try)
        PENCORA_ACTION_NAME(With)
        PENCORA_ACTION_NAME(Push)
        PENCORA_ACTION_NAME(Jump)
        PENCORA_ACTION_NAME(GetURL2)
        PENCORA_ACTION_NAME(DefineFunction)
        PENCORA_ACTION_NAME(If)
        PENCORA_ACTION_NAME(Call)
        PENCORA_ACTION_NAME(GotoFrame2)
#undef PENCORA_ACTION_NAME
        default:
            return "Action";
    }
}

}  // namespace pencora::swf
