// Classes for devices and services the player does not offer: cameras, microphones, printing,
// video streams and screen readers. Movies find them where they expect
// them; every request answers that nothing is there (no camera, no printer, no connection).
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

namespace {

Value nothing(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

Value no(Machine&, const Value&, std::vector<Value>&) {
    return Value(false);
}

Value nullAnswer(Machine&, const Value&, std::vector<Value>&) {
    return Value::null();
}

// The stub classes' constructors answer nothing when called on an object (super()).
Value answerNothing(Machine&, const Value&, std::vector<Value>&) {
    return Value();
}

struct StubClass {
    const char* name;
    std::vector<NativeEntry> prototype;
    std::vector<NativeEntry> statics;
};

FunctionObject* makeStubClass(Machine& m, const StubClass& stub) {
    Object* proto = m.makeObject();
    installTable(m, proto, stub.prototype.data(), stub.prototype.size());
    FunctionObject* ctor = m.makeClass(answerNothing, proto);
    installTable(m, ctor, stub.statics.data(), stub.statics.size());
    return ctor;
}

Object* package(Machine& m, const char* name) {
    Object* flash = m.get(m.global(), QStringLiteral("flash")).object();
    if (!flash) {
        return nullptr;
    }
    const QString n = QString::fromLatin1(name);
    if (Object* p = m.get(flash, n).object()) {
        return p;
    }
    Object* p = m.makeObject();
    flash->put(n, Value(p));
    return p;
}

}  // namespace

void installDeviceClasses(Machine& m) {
    const StubClass globals[] = {
        // Camera.get() and Microphone.get() find no device.
        {"Camera",
         {{"setMode", nothing},
          {"setMotionLevel", nothing},
          {"setQuality", nothing},
          {"setKeyFrameInterval", nothing},
          {"setLoopback", nothing}},
         {{"get", nullAnswer}}},
        {"Microphone",
         {{"setGain", nothing},
          {"setRate", nothing},
          {"setSilenceLevel", nothing},
          {"setUseEchoSuppression", nothing}},
         {{"get", nullAnswer}}},
        {"NetStream",
         {{"play", nothing},
          {"pause", nothing},
          {"seek", nothing},
          {"close", nothing},
          {"setBufferTime", nothing},
          {"attachAudio", nothing},
          {"attachVideo", nothing},
          {"publish", nothing},
          {"receiveAudio", nothing},
          {"receiveVideo", nothing},
          {"send", nothing}},
         {}},
        // PrintJob.start() is refused: there is no printer to ask.
        {"PrintJob", {{"start", no}, {"addPage", no}, {"send", nothing}}, {}},
        {"Video", {{"attachVideo", nothing}, {"clear", nothing}}, {}},
    };
    for (const StubClass& stub : globals) {
        m.global()->put(QString::fromLatin1(stub.name), Value(makeStubClass(m, stub)), kDontEnum);
    }
    // The static list of device names is empty.
    for (const char* cls : {"Camera", "Microphone"}) {
        if (Object* c = m.get(m.global(), QString::fromLatin1(cls)).object()) {
            c->put(QStringLiteral("names"), Value(m.makeArray()), kDontEnum);
        }
    }

    Object* accessibility = m.makeObject();
    const NativeEntry accessibilityRows[] = {
        {"isActive", no},
        {"sendEvent", nothing},
        {"updateProperties", nothing},
    };
    installTable(m, accessibility, accessibilityRows);
    m.global()->put(QStringLiteral("Accessibility"), Value(accessibility), kDontEnum);

    // flash.net's FileReference classes: file_reference.cpp.
    package(m, "net");
    if (Object* text = package(m, "text")) {
        const StubClass renderer{"TextRenderer", {}, {{"setAdvancedAntialiasingTable", nothing}}};
        FunctionObject* c = makeStubClass(m, renderer);
        c->put(QStringLiteral("maxLevel"), Value(4));
        text->put(QStringLiteral("TextRenderer"), Value(c));
    }
}

}  // namespace pencora::avm1
