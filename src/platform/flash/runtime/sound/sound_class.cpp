// The Sound class. `new Sound()` speaks for the whole movie: its volume and pan reach every
// sound of the player (the volume movie relies on this). `new Sound(clip)` speaks for the
// sounds of that clip and the clips inside it. A Sound whose clip is gone answers undefined.
// attachSound takes an exported sound of the clip's movie, loadSound an MP3 fetched through
// the control (its ID3 tag becoming `id3`, announced by onID3 before onLoad); start and stop
// play them through the player's mixer.
#include <cmath>
#include <limits>
#include <map>

#include "platform/flash/avm1/activation.h"
#include "platform/flash/avm1/array_object.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/runtime/display/movie_loader.h"
#include "platform/flash/runtime/display/shared_library.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/sound/id3_tags.h"
#include "platform/flash/runtime/sound/sound_class.h"

namespace pencora::runtime {

using avm1::Value;

namespace {

Value getDuration(avm1::Machine& m, const Value& self, std::vector<Value>&);
Value getPosition(avm1::Machine& m, const Value& self, std::vector<Value>&);

class SoundObject : public avm1::Object {
  public:
    explicit SoundObject(avm1::Object* proto) : Object(proto, avm1::ObjectKind::Host) {}

    // duration and position read the sound until a script stores its own value there.
    bool getOwnVirtual(avm1::Machine& m, const QString& name, Value& out) override {
        const bool duration = name == u"duration";
        if ((!duration && name != u"position") || find(name, m.version())) {
            return false;
        }
        std::vector<Value> none;
        out = duration ? getDuration(m, Value(static_cast<Object*>(this)), none)
                       : getPosition(m, Value(static_cast<Object*>(this)), none);
        return true;
    }

    bool hasTarget = false;
    // The owner as a target path, looked up on every call: a Sound made before its clip, or
    // for a clip renamed since, follows the path and not the clip (sound_owner_reference).
    QString targetPath;
    std::weak_ptr<DisplayObject> pathBase;  // the timeline that made it: relative paths start there
    std::shared_ptr<const SoundPcm> pcm;
    int soundId = 0;
    // Every start still playing, each told once when it has played out; position reads the
    // latest start, playing or not.
    std::vector<SoundMixer::VoiceId> voices;
    SoundMixer::VoiceId lastVoice = 0;
    int version = 8;  // of the script that started it: how onSoundComplete is looked up
    double bytes = 0;
    bool loading = false;
};

SoundObject* soundOf(const Value& self) {
    avm1::Object* o = avm1::nativeOf(self.object());
    return o && o->kind() == avm1::ObjectKind::Host ? dynamic_cast<SoundObject*>(o) : nullptr;
}

// The timeline of the script running now, or null.
DisplayObject* callingTimeline(avm1::Machine& m) {
    avm1::Activation* a = m.current();
    return a ? hostOf(m).displayOf(a->target ? a->target : a->originalTarget) : nullptr;
}

// The clip a Sound with an owner speaks for now, or null.
std::shared_ptr<DisplayObject> ownerNow(avm1::Machine& m, SoundObject* s) {
    if (!s->hasTarget) {
        return nullptr;
    }
    Player& player = hostOf(m).player();
    // A relative path starts at the timeline of the script calling now (sound_nested_clips);
    // without a calling script, at the timeline that made the Sound.
    DisplayObject* base = callingTimeline(m);
    std::shared_ptr<DisplayObject> maker = s->pathBase.lock();
    if (!base && maker && maker->parent) {
        base = maker.get();
    }
    DisplayObject* clip = player.resolveTarget(base ? base : player.root(0), s->targetPath);
    return clip ? player.sharedOf(*clip) : nullptr;
}

// The transform this Sound controls; null when its clip is gone.
SoundTransform* transformOf(avm1::Machine& m, SoundObject* s) {
    if (!s) {
        return nullptr;
    }
    SoundMixer& mixer = hostOf(m).player().sounds();
    if (!s->hasTarget) {
        return &mixer.movieTransform();
    }
    auto clip = ownerNow(m, s);
    if (!clip) {
        return nullptr;
    }
    return &mixer.clipTransform(clip);
}

// Numbers as the original stores them: cut to an integer, NaN and infinities as the
// smallest integer.
int soundInt(avm1::Machine& m, const Value& v) {
    if (v.isUndefined()) {
        return 0;  // a missing argument
    }
    const double n = m.toNumber(v);
    if (!std::isfinite(n) || n <= -2147483648.0 || n >= 2147483648.0) {
        return std::numeric_limits<int>::min();
    }
    return int(std::trunc(n));
}

// The pan read back from a transform: how far the left side is turned down, or else how far
// the right side is, negative. 32-bit arithmetic, as the transform's numbers are stored.
int panOf(const SoundTransform& t) {
    const auto magnitude = [](int v) { return v < 0 ? int(0u - uint32_t(v)) : v; };
    if (t.ll != 100) {
        return int(100u - uint32_t(magnitude(t.ll)));
    }
    return int(uint32_t(magnitude(t.rr)) - 100u);
}

Value soundConstruct(avm1::Machine& m, const Value&, std::vector<Value>& args) {
    auto* s = m.heap().make<SoundObject>(m.protos().object);
    // Prototype: Sound.prototype, found through the class so subclasses keep theirs.
    Value ctor = m.get(m.global(), QStringLiteral("Sound"));
    if (avm1::Object* c = ctor.object()) {
        s->setProto(m.get(c, QStringLiteral("prototype")).object());
    }
    const Value target = argAt(args, 0);
    if (!target.isNullish()) {
        s->hasTarget = true;
        ScriptHost& host = hostOf(m);
        avm1::Object* o = target.object();
        // A display object by its path; anything else through its toString.
        s->targetPath = o && host.displayOf(o) ? host.targetPath(o, true) : m.toString(target);
        if (DisplayObject* made = callingTimeline(m)) {
            s->pathBase = host.player().sharedOf(*made);
        }
    }
    return Value(static_cast<avm1::Object*>(s));
}

Value soundCall(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

Value getVolume(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    SoundTransform* t = transformOf(m, soundOf(self));
    return t ? Value(t->volume) : Value();
}
Value setVolume(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (SoundTransform* t = transformOf(m, soundOf(self))) {
        t->volume = soundInt(m, argAt(args, 0));
    }
    return {};
}

Value getPan(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    SoundTransform* t = transformOf(m, soundOf(self));
    if (!t) {
        return {};
    }
    return Value(double(panOf(*t)));
}
Value setPan(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    if (SoundTransform* t = transformOf(m, soundOf(self))) {
        const long long pan = soundInt(m, argAt(args, 0));
        // No clamping: setPan(200) turns the left side to -100, as the original does.
        t->ll = pan >= 0 ? int(100 - pan) : 100;
        t->rr = pan < 0 ? int(100 + pan) : 100;
        t->lr = 0;
        t->rl = 0;
    }
    return {};
}

Value getTransform(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    SoundTransform* t = transformOf(m, soundOf(self));
    if (!t) {
        return {};
    }
    avm1::Object* o = m.makeObject();
    o->put(QStringLiteral("ll"), Value(t->ll));
    o->put(QStringLiteral("lr"), Value(t->lr));
    o->put(QStringLiteral("rr"), Value(t->rr));
    o->put(QStringLiteral("rl"), Value(t->rl));
    return Value(o);
}
Value setTransform(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    SoundTransform* t = transformOf(m, soundOf(self));
    avm1::Object* o = argAt(args, 0).object();
    if (!t || !o) {
        return {};
    }
    // Only the object's own members count; they convert as 32-bit integers (NaN is 0).
    const auto take = [&](const char* name, int& field) {
        const QString n = QString::fromLatin1(name);
        if (o->find(n, m.version())) {
            field = m.toInt32(m.get(o, n));
        }
    };
    take("ll", t->ll);
    take("lr", t->lr);
    take("rr", t->rr);
    take("rl", t->rl);
    return {};
}

// The clip whose movie holds a Sound's exported sounds and whose sounds it starts.
DisplayObject* ownerClip(avm1::Machine& m, SoundObject* s) {
    if (s->hasTarget) {
        return ownerNow(m, s).get();
    }
    return hostOf(m).player().root(0);
}

// A sound the clip's movie exports, or one it imports from a library, under `name`; 0 for none.
uint16_t soundNamed(Player& player, DisplayObject& clip, const QString& name) {
    const uint16_t id = player.exportedId(*clip.movie, name);
    return id ? id : importedCharacter(*clip.movie, name).value_or(0);
}

Value attachSound(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    SoundObject* s = soundOf(self);
    DisplayObject* clip = s ? ownerClip(m, s) : nullptr;
    if (!clip || !clip->movie || args.empty()) {
        return {};
    }
    Player& player = hostOf(m).player();
    const uint16_t id = soundNamed(player, *clip, m.toString(args[0]));
    auto pcm = id ? player.soundOf(*clip->movie, id) : nullptr;
    if (!pcm) {
        return {};  // an unknown name leaves the sound attached before
    }
    s->pcm = pcm;
    s->soundId = id;
    const ResolvedCharacter defined = resolveCharacter(*clip->movie, id);
    const auto* sound = defined.character ? std::get_if<swf::Sound>(defined.character) : nullptr;
    s->bytes = sound ? double(sound->data.size()) : 0;
    return {};
}

Value start(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    SoundObject* s = soundOf(self);
    if (!s || !s->pcm) {
        return {};
    }
    Player& player = hostOf(m).player();
    std::shared_ptr<DisplayObject> owner;
    if (s->hasTarget) {
        owner = ownerNow(m, s);
        if (!owner) {
            return {};
        }
    }
    swf::SoundInfo info;
    const double offset = args.empty() ? 0 : m.toNumber(args[0]);
    if (args.size() > 1) {
        const int loops = soundInt(m, args[1]);
        info.loopCount = uint16_t(std::clamp(loops, 1, 65535));
    }
    const SoundMixer::VoiceId voice = player.sounds().start(
        s->pcm, info, owner, s->soundId, std::isfinite(offset) ? offset * 1000 : 0);
    if (voice) {
        s->voices.push_back(voice);
    }
    s->lastVoice = voice;
    s->version = m.version();
    hostOf(m).pinSound(s);
    return {};
}

Value stop(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    SoundObject* s = soundOf(self);
    if (!s) {
        return {};
    }
    Player& player = hostOf(m).player();
    DisplayObject* clip = ownerClip(m, s);
    if (s->hasTarget && !clip) {
        return {};
    }
    if (!args.empty()) {
        if (!clip || !clip->movie) {
            return {};
        }
        const uint16_t id = soundNamed(player, *clip, m.toString(args[0]));
        if (id) {
            player.sounds().stopSound(id, s->hasTarget ? clip : nullptr);
        }
        return {};
    }
    if (s->hasTarget) {
        player.sounds().stopSound(0, clip);
    } else {
        player.sounds().stopAll();
    }
    return {};
}

Value getDuration(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    SoundObject* s = soundOf(self);
    if (!s || !s->pcm || (s->hasTarget && !ownerClip(m, s))) {
        return {};
    }
    return Value(std::round(s->pcm->milliseconds()));
}

Value getPosition(avm1::Machine& m, const Value& self, std::vector<Value>&) {
    SoundObject* s = soundOf(self);
    if (!s || !s->pcm || (s->hasTarget && !ownerClip(m, s))) {
        return {};
    }
    return Value(std::round(hostOf(m).player().sounds().position(s->lastVoice)));
}

Value getBytesLoaded(avm1::Machine&, const Value& self, std::vector<Value>&) {
    SoundObject* s = soundOf(self);
    return s && s->pcm ? Value(s->bytes) : Value();
}

// The file's ID3 frames as Sound.id3 shows them: each frame by its name and its short name
// when it has one, a frame met again (several comments) keeping all its values while its
// short name reads the last. The object has no prototype, as the original's has none.
avm1::Object* makeId3Object(avm1::Machine& m, const std::vector<Id3Frame>& frames) {
    avm1::Object* id3 = m.makeObject();
    id3->setProto(nullptr);
    std::map<QString, avm1::ArrayObject*> repeated;
    for (const Id3Frame& f : frames) {
        const QString alias = id3Alias(f.id);
        if (!alias.isEmpty()) {
            id3->put(alias, Value(f.value), 0);
        }
        avm1::Property* old = id3->find(f.id, 10);
        if (!old) {
            id3->put(f.id, Value(f.value), 0);
            continue;
        }
        avm1::ArrayObject*& all = repeated[f.id];
        if (!all) {
            all = m.makeArray({old->value});
            old->value = Value(static_cast<avm1::Object*>(all));
        }
        std::vector<Value> more{Value(f.value)};
        m.callMethodValue(Value(static_cast<avm1::Object*>(all)), QStringLiteral("push"), more);
    }
    return id3;
}

// A loaded file's tag reaches the sound before onLoad: `id3` is set unless the script has set
// one already, and is then left as the tag gave it; onID3 follows.
void deliverId3(avm1::Machine& m, SoundObject* s, const QByteArray& data, int version) {
    const auto* begin = reinterpret_cast<const uint8_t*>(data.constData());
    const std::vector<Id3Frame> frames = readId3Frames(std::span(begin, size_t(data.size())));
    if (frames.empty()) {
        return;
    }
    if (!s->find(QStringLiteral("id3"), version)) {
        s->put(QStringLiteral("id3"), Value(makeId3Object(m, frames)),
               avm1::kDontEnum | avm1::kReadOnly);
    }
    m.callMethod(avm1::ownerOf(s), QStringLiteral("onID3"), {}, version);
}

Value loadSound(avm1::Machine& m, const Value& self, std::vector<Value>& args) {
    SoundObject* s = soundOf(self);
    if (!s || args.empty()) {
        return {};
    }
    const bool streaming = m.toBoolean(argAt(args, 1));
    s->loading = true;
    avm1::FetchRequest r;
    r.url = m.toString(args[0]);
    avm1::Machine* machine = &m;
    const int version = m.version();
    r.done = [machine, s, streaming, version](bool ok, const QByteArray& data) {
        s->loading = false;
        std::shared_ptr<const SoundPcm> pcm;
        if (ok) {
            const auto* begin = reinterpret_cast<const uint8_t*>(data.constData());
            pcm = decodeMp3File(std::span(begin, size_t(data.size())));
        }
        if (pcm) {
            s->pcm = pcm;
            s->soundId = 0;
            s->bytes = double(data.size());
        }
        if (ok) {
            deliverId3(*machine, s, data, version);
        }
        machine->callMethod(avm1::ownerOf(s), QStringLiteral("onLoad"), {Value(pcm != nullptr)},
                            version);
        if (pcm && streaming) {
            std::vector<Value> none;
            start(*machine, Value(static_cast<avm1::Object*>(s)), none);
            s->version = version;
        }
    };
    hostOf(m).pinSound(s);
    m.host().fetch(std::move(r));
    return {};
}

// setDuration and setPosition exist but do nothing in the original either.
Value ignored(avm1::Machine&, const Value&, std::vector<Value>&) {
    return {};
}

struct Row {
    const char* name;
    avm1::NativeFn fn;
    uint16_t flags = avm1::kDontEnum;
};
constexpr uint16_t kFromSwf6 = avm1::kDontEnum | avm1::kVersion6;
constexpr Row kMethods[] = {
    {"getVolume", getVolume},
    {"setVolume", setVolume},
    {"getPan", getPan},
    {"setPan", setPan},
    {"getTransform", getTransform},
    {"setTransform", setTransform},
    {"attachSound", attachSound},
    {"start", start},
    {"stop", stop},
    {"getDuration", getDuration, kFromSwf6},
    {"setDuration", ignored, kFromSwf6},
    {"getPosition", getPosition, kFromSwf6},
    {"setPosition", ignored, kFromSwf6},
    {"getBytesLoaded", getBytesLoaded, kFromSwf6},
    {"getBytesTotal", getBytesLoaded, kFromSwf6},
    {"loadSound", loadSound, kFromSwf6},
};

}  // namespace

void installSoundClass(ScriptHost& host) {
    avm1::Machine& m = host.machine();
    avm1::Object* proto = m.makeObject();
    for (const Row& row : kMethods) {
        proto->putNative(m, QString::fromLatin1(row.name), row.fn, row.flags);
    }
    m.defineClass(QStringLiteral("Sound"), soundCall, proto)->constructNative = soundConstruct;
}

void notifySoundsFinished(ScriptHost& host) {
    // Completions are told to the Sound objects that started them (onSoundComplete); the
    // objects are found through the pins kept while a sound may still complete.
    for (SoundMixer::VoiceId id : host.player().sounds().takeFinished()) {
        const std::set<avm1::Object*> pins = host.soundPins();
        for (avm1::Object* o : pins) {
            auto* s = dynamic_cast<SoundObject*>(o);
            if (s && std::erase(s->voices, id) > 0) {
                host.machine().callMethod(avm1::ownerOf(s), QStringLiteral("onSoundComplete"), {},
                                          s->version);
            }
        }
    }
    // A sound stopped by a script or a StopSounds never completes; an object with nothing
    // left playing is let go.
    const SoundMixer& mixer = host.player().sounds();
    std::erase_if(host.soundPins(), [&mixer](avm1::Object* o) {
        auto* s = dynamic_cast<SoundObject*>(o);
        if (!s) {
            return true;
        }
        std::erase_if(s->voices, [&mixer](SoundMixer::VoiceId v) { return !mixer.isLive(v); });
        return !s->loading && s->voices.empty();
    });
}

}  // namespace pencora::runtime
