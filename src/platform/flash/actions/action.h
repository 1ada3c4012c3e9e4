// Action records: the bytecode of DoAction, DoInitAction, button and clip-event blocks, decoded
// once by the reader layer so the interpreter never touches raw bytes.
//
// A block decodes into one flat list. Function bodies, try/catch/finally parts and `with` bodies
// stay in that list right after the record that opens them; the opening record names where each
// part ends as an index into the list. Branches (Jump, If, WaitForFrame skips) are resolved to
// indices too. An index equal to the list's size means "end of block".
//
// A branch may leave its block for action records elsewhere in the file; those records come
// after the block's own (from ActionBlock::outsideBegin on), linked by `next` and by their
// branches like the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pencora::swf {

enum class ActionCode : uint8_t {
    End = 0x00,
    NextFrame = 0x04,
    PrevFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    ToggleQuality = 0x08,
    StopSounds = 0x09,
    Add = 0x0A,
    Subtract = 0x0B,
    Multiply = 0x0C,
    Divide = 0x0D,
    Equals = 0x0E,
    Less = 0x0F,
    And = 0x10,
    Or = 0x11,
    Not = 0x12,
    StringEquals = 0x13,
    StringLength = 0x14,
    StringExtract = 0x15,
    Pop = 0x17,
    ToInteger = 0x18,
    GetVariable = 0x1C,
    SetVariable = 0x1D,
    SetTarget2 = 0x20,
    StringAdd = 0x21,
    GetProperty = 0x22,
    SetProperty = 0x23,
    CloneSprite = 0x24,
    RemoveSprite = 0x25,
    Trace = 0x26,
    StartDrag = 0x27,
    EndDrag = 0x28,
    StringLess = 0x29,
    Throw = 0x2A,
    CastOp = 0x2B,
    ImplementsOp = 0x2C,
    FSCommand2 = 0x2D,
    RandomNumber = 0x30,
    MBStringLength = 0x31,
    CharToAscii = 0x32,
    AsciiToChar = 0x33,
    GetTime = 0x34,
    MBStringExtract = 0x35,
    MBCharToAscii = 0x36,
    MBAsciiToChar = 0x37,
    Delete = 0x3A,
    Delete2 = 0x3B,
    DefineLocal = 0x3C,
    CallFunction = 0x3D,
    Return = 0x3E,
    Modulo = 0x3F,
    NewObject = 0x40,
    DefineLocal2 = 0x41,
    InitArray = 0x42,
    InitObject = 0x43,
    TypeOf = 0x44,
    TargetPath = 0x45,
    Enumerate = 0x46,
    Add2 = 0x47,
    Less2 = 0x48,
    Equals2 = 0x49,
    ToNumber = 0x4A,
    ToString = 0x4B,
    PushDuplicate = 0x4C,
    StackSwap = 0x4D,
    GetMember = 0x4E,
    SetMember = 0x4F,
    Increment = 0x50,
    Decrement = 0x51,
    CallMethod = 0x52,
    NewMethod = 0x53,
    InstanceOf = 0x54,
    Enumerate2 = 0x55,
    BitAnd = 0x60,
    BitOr = 0x61,
    BitXor = 0x62,
    BitLShift = 0x63,
    BitRShift = 0x64,
    BitURShift = 0x65,
    StrictEquals = 0x66,
    Greater = 0x67,
    StringGreater = 0x68,
    Extends = 0x69,
    GotoFrame = 0x81,
    GetURL = 0x83,
    StoreRegister = 0x87,
    ConstantPool = 0x88,
    WaitForFrame = 0x8A,
    SetTarget = 0x8B,
    GoToLabel = 0x8C,
    WaitForFrame2 = 0x8D,
    DefineFunction2 = 0x8E,
    Try = 0x8F,
    With = 0x94,
    Push = 0x96,
    Jump = 0x99,
    GetURL2 = 0x9A,
    DefineFunction = 0x9B,
    If = 0x9D,
    Call = 0x9E,
    GotoFrame2 = 0x9F,
};

// One operand of Push. Strings are kept as the movie's bytes; the machine decides their encoding
// from the movie's version.
struct PushValue {
    enum class Type : uint8_t {
        String = 0,
        Float = 1,
        Null = 2,
        Undefined = 3,
        Register = 4,
        Boolean = 5,
        Double = 6,
        Integer = 7,
        Constant = 8,  // both the 8-bit and the 16-bit constant-pool forms
    };
    Type type = Type::Undefined;
    double number = 0;   // Float, Double, Integer; Boolean as 0/1
    uint32_t index = 0;  // Register number or constant-pool index
    std::string text;    // String
};

// Flags of DefineFunction2, as stored in the record.
enum FunctionFlags : uint16_t {
    kPreloadThis = 0x0001,
    kSuppressThis = 0x0002,
    kPreloadArguments = 0x0004,
    kSuppressArguments = 0x0008,
    kPreloadSuper = 0x0010,
    kSuppressSuper = 0x0020,
    kPreloadRoot = 0x0040,
    kPreloadParent = 0x0080,
    kPreloadGlobal = 0x0100,
};

struct FunctionParam {
    uint8_t reg = 0;  // 0: the parameter is a local variable, not a register
    std::string name;
};

// DefineFunction and DefineFunction2. The body is the actions [bodyBegin, bodyEnd) of the block.
struct FunctionDef {
    std::string name;
    std::vector<FunctionParam> params;
    uint8_t registerCount = 0;  // DefineFunction2 only; DefineFunction functions use 4
    uint16_t flags = 0;
    bool version2 = false;
    uint32_t bodyBegin = 0;
    uint32_t bodyEnd = 0;
};

// Try: [tryBegin, catchBegin) is the try body, [catchBegin, finallyBegin) the catch body,
// [finallyBegin, end) the finally body.
struct TryDef {
    bool hasCatch = false;
    bool hasFinally = false;
    bool catchInRegister = false;
    uint8_t catchRegister = 0;
    std::string catchName;
    uint32_t tryBegin = 0;
    uint32_t catchBegin = 0;
    uint32_t finallyBegin = 0;
    uint32_t end = 0;
};

struct Action {
    ActionCode code = ActionCode::End;
    // Byte offset of the record inside its block; for a record outside the block, its
    // distance from the block's start (modulo 2^32 for records before it).
    uint32_t offset = 0;
    // Jump and If: where a taken branch goes. With: end of the body. WaitForFrame/2: where the
    // skip lands when the frame is not loaded.
    uint32_t target = 0;
    // The record after this one: the next in the list, unless a branch into the middle of a
    // record made the decoder read overlapping runs of records.
    uint32_t next = 0;
    uint16_t frame = 0;   // GotoFrame, WaitForFrame; GotoFrame2: scene bias
    uint8_t byteArg = 0;  // StoreRegister: register; GetURL2: method flags; GotoFrame2: flags;
                          // WaitForFrame/2: skip count as stored
    std::string text;     // GetURL: url; SetTarget: target; GoToLabel: label
    std::string text2;    // GetURL: window target
    std::vector<PushValue> values;                // Push
    std::vector<std::string> strings;             // ConstantPool
    std::shared_ptr<const FunctionDef> function;  // DefineFunction/2
    std::shared_ptr<const TryDef> tryDef;         // Try
    uint8_t rawCode = 0;  // the code byte as read, also for codes this list does not name
};

struct ActionBlock {
    std::vector<Action> actions;
    // Problems met while decoding (truncated record, branch into the middle of a record ...).
    // Decoding stops at the first record that cannot be read; what came before stays usable.
    std::vector<std::string> notes;
    // Index of the first record read outside the block; none when past the list. Those
    // records are reached only by branches, from the block or from a function body or
    // other region in it, and they run as part of whatever branched there.
    uint32_t outsideBegin = UINT32_MAX;
};

const char* actionName(ActionCode code);

}  // namespace pencora::swf
