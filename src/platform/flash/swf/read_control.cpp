#include "platform/flash/swf/tag_readers.h"

namespace pencora::swf::detail {

namespace {

uint32_t readClipEventFlags(ByteReader& r, uint8_t swfVersion) {
    // Up to SWF 5 the flags are two bytes; from SWF 6 on, four.
    return swfVersion <= 5 ? r.u16() : r.u32();
}

void readClipActions(ByteReader& r, uint8_t swfVersion, PlaceObject& place) {
    r.u16();  // reserved
    place.allClipEvents = readClipEventFlags(r, swfVersion);
    for (;;) {
        uint32_t events = readClipEventFlags(r, swfVersion);
        if (events == 0) {
            break;
        }
        ClipAction action;
        action.events = events;
        uint32_t size = r.u32();
        if (size > r.remaining()) {
            r.fail("clip action of " + std::to_string(size) + " bytes beyond the tag");
        }
        ByteReader body = r.sub(size, "clip action");
        if ((events & clip_event::KeyPress) && !body.atEnd()) {
            action.keyCode = body.u8();
        }
        action.actions.fileOffset = uint32_t(body.fileOffset());
        auto bytes = body.rest();
        action.actions.assign(bytes.begin(), bytes.end());
        place.clipActions.push_back(std::move(action));
        if (r.atEnd()) {
            break;  // some writers leave out the end flag
        }
    }
}

}  // namespace

PlaceObject readPlaceObject(ByteReader& r, uint8_t version, uint8_t swfVersion) {
    PlaceObject p;
    p.version = version;
    if (version == 1) {
        p.characterId = r.u16();
        p.depth = r.u16();
        p.matrix = readMatrix(r);
        if (!r.atEnd()) {
            p.colorTransform = readColorTransform(r, false);
        }
        return p;
    }
    uint8_t f1 = r.u8();
    uint8_t f2 = version >= 3 ? r.u8() : 0;
    const bool hasClipActions = f1 & 0x80;
    const bool hasClipDepth = f1 & 0x40;
    const bool hasName = f1 & 0x20;
    const bool hasRatio = f1 & 0x10;
    const bool hasColorTransform = f1 & 0x08;
    const bool hasMatrix = f1 & 0x04;
    const bool hasCharacter = f1 & 0x02;
    p.move = f1 & 0x01;
    const bool hasBackground = f2 & 0x40;
    const bool hasVisible = f2 & 0x20;
    const bool hasImage = f2 & 0x10;
    const bool hasClassName = f2 & 0x08;
    const bool hasCacheAsBitmap = f2 & 0x04;
    const bool hasBlendMode = f2 & 0x02;
    const bool hasFilters = f2 & 0x01;
    p.depth = r.u16();
    if (hasClassName || (hasImage && hasCharacter)) {
        p.className = r.string();
    }
    if (hasCharacter) {
        p.characterId = r.u16();
    }
    if (hasMatrix) {
        p.matrix = readMatrix(r);
    }
    if (hasColorTransform) {
        p.colorTransform = readColorTransform(r, true);
    }
    if (hasRatio) {
        p.ratio = r.u16();
    }
    if (hasName) {
        p.name = r.string();
    }
    if (hasClipDepth) {
        p.clipDepth = r.u16();
    }
    if (hasFilters) {
        p.filters = readFilterList(r);
    }
    if (hasBlendMode) {
        uint8_t mode = r.u8();
        p.blendMode = mode >= 1 && mode <= 14 ? static_cast<BlendMode>(mode) : BlendMode::Normal;
    }
    if (hasCacheAsBitmap) {
        // Some writers set the flag without the byte; a missing byte means "on".
        p.cacheAsBitmap = r.atEnd() ? true : r.u8() != 0;
    }
    if (hasVisible) {
        p.visible = r.u8() != 0;
    }
    if (hasBackground) {
        p.backgroundColor = readRgba(r);
    }
    if (hasClipActions) {
        readClipActions(r, swfVersion, p);
    }
    return p;
}

SoundInfo readSoundInfo(ByteReader& r) {
    SoundInfo info;
    uint8_t flags = r.u8();
    info.syncStop = flags & 0x20;
    info.syncNoMultiple = flags & 0x10;
    if (flags & 0x01) {
        info.inPoint = r.u32();
    }
    if (flags & 0x02) {
        info.outPoint = r.u32();
    }
    if (flags & 0x04) {
        info.loopCount = r.u16();
    }
    if (flags & 0x08) {
        uint8_t points = r.u8();
        info.envelope.emplace();
        for (unsigned i = 0; i < points; ++i) {
            SoundEnvelopePoint p;
            p.pos44 = r.u32();
            p.left = r.u16();
            p.right = r.u16();
            info.envelope->push_back(p);
        }
    }
    return info;
}

Sound readDefineSound(ByteReader& r) {
    Sound s;
    s.id = r.u16();
    uint8_t flags = r.u8();
    s.format = static_cast<SoundFormat>(flags >> 4);
    s.rate = (flags >> 2) & 3;
    s.is16Bit = flags & 0x02;
    s.stereo = flags & 0x01;
    s.sampleCount = r.u32();
    auto data = r.rest();
    s.data.assign(data.begin(), data.end());
    return s;
}

VideoStream readDefineVideoStream(ByteReader& r) {
    VideoStream v;
    v.id = r.u16();
    v.frameCount = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    uint8_t flags = r.u8();
    v.deblocking = (flags >> 1) & 7;
    v.smoothing = flags & 1;
    v.codecId = r.u8();
    return v;
}

SoundStreamHead readSoundStreamHead(ByteReader& r, uint8_t version) {
    SoundStreamHead h;
    h.version = version;
    uint8_t p = r.u8();
    h.playbackRate = (p >> 2) & 3;
    h.playback16Bit = p & 0x02;
    h.playbackStereo = p & 0x01;
    uint8_t s = r.u8();
    h.format = static_cast<SoundFormat>(s >> 4);
    h.streamRate = (s >> 2) & 3;
    h.stream16Bit = s & 0x02;
    h.streamStereo = s & 0x01;
    h.samplesPerBlock = r.u16();
    if (h.format == SoundFormat::Mp3 && r.remaining() >= 2) {
        h.latencySeek = r.s16();
    }
    return h;
}

}  // namespace pencora::swf::detail
