#include "tag_bytes.h"

namespace pencora::swf::testing {

std::vector<uint8_t> tagBytes(uint16_t code, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> t;
    auto u16 = [&](uint16_t v) {
        t.push_back(static_cast<uint8_t>(v));
        t.push_back(static_cast<uint8_t>(v >> 8));
    };
    if (body.size() < 0x3f) {
        u16(static_cast<uint16_t>((code << 6) | body.size()));
    } else {
        u16(static_cast<uint16_t>((code << 6) | 0x3f));
        u16(static_cast<uint16_t>(body.size()));
        u16(static_cast<uint16_t>(body.size() >> 16));
    }
    t.insert(t.end(), body.begin(), body.end());
    return t;
}

std::vector<uint8_t> movieWithTags(const std::vector<std::vector<uint8_t>>& tags, uint8_t version) {
    // Stage 0..11000 x 0..8000 twips (RECT nbits=15), 24 fps, 1 frame.
    std::vector<uint8_t> body = {0x78, 0x00, 0x05, 0x5f, 0x00, 0x00, 0x0f,
                                 0xa0, 0x00, 0x00, 0x18, 0x01, 0x00};
    for (const auto& t : tags) {
        body.insert(body.end(), t.begin(), t.end());
    }
    body.insert(body.end(), {0x40, 0x00, 0x00, 0x00});  // ShowFrame, End
    std::vector<uint8_t> file = {'F', 'W', 'S', version};
    uint32_t length = static_cast<uint32_t>(body.size() + 8);
    for (int i = 0; i < 4; ++i) {
        file.push_back(static_cast<uint8_t>(length >> (8 * i)));
    }
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

namespace {

Matrix translate(int32_t x, int32_t y) {
    Matrix m;
    m.tx = x;
    m.ty = y;
    return m;
}

// The square of side 160 twips at (20,20) used by the shape rows: fill bits 1, line bits 0;
// style change moveTo(20,20) fill1=1; four straight edges of 9 bits; end record.
const std::vector<uint8_t> kSquareRecords = {0x10, 0x14, 0xca, 0x29, 0xdc, 0x50, 0x6e,
                                             0xa8, 0x37, 0x2c, 0x1b, 0xb6, 0x00, 0x00};

std::vector<ShapeRecord> squareRecords() {
    StyleChange move;
    move.moveX = 20;
    move.moveY = 20;
    move.fill1 = 1;
    return {move, StraightEdge{160, 0}, StraightEdge{0, 160}, StraightEdge{-160, 0},
            StraightEdge{0, -160}};
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

}  // namespace

std::vector<TagRow> tagRows() {
    std::vector<TagRow> rows;

    rows.push_back({"SetBackgroundColor",
                    tag::SetBackgroundColor,
                    {0xff, 0x00, 0x80},
                    ControlTag{SetBackgroundColor{Rgba{255, 0, 128, 255}}}});

    {
        // flags HasMatrix|HasCharacter, depth 1, character 1,
        // matrix hasScale:1=0 hasRotate:1=0 nbits:5=7 tx:7=20 ty:7=40
        PlaceObject p;
        p.depth = 1;
        p.characterId = 1;
        p.matrix = translate(20, 40);
        rows.push_back({"PlaceObject2 new character",
                        tag::PlaceObject2,
                        {0x06, 0x01, 0x00, 0x01, 0x00, 0x0e, 0x51, 0x40},
                        ControlTag{p}});
    }
    {
        // flags HasClipDepth|HasName|HasRatio|HasColorTransform|HasMatrix|Move, depth 3,
        // matrix hasScale:1=1 nbits:5=19 a:19=2.0 d:19=0.5 hasRotate:1=1 nbits:5=16
        // b:16=0.25 c:16=-0.25 nbits:5=8 tx:8=-100 ty:8=0,
        // colour transform hasAdd:1=0 hasMult:1=1 nbits:4=10 r=128 g=256 b=256 a=64,
        // ratio 0x1234, name "ab", clip depth 7
        PlaceObject p;
        p.move = true;
        p.depth = 3;
        Matrix m;
        m.a = 2.0;
        m.d = 0.5;
        m.b = 0.25;
        m.c = -0.25;
        m.tx = -100;
        p.matrix = m;
        ColorTransform cx;
        cx.rMult = 128;
        cx.aMult = 64;
        p.colorTransform = cx;
        p.ratio = 0x1234;
        p.name = "ab";
        p.clipDepth = 7;
        rows.push_back({"PlaceObject2 move with transform, ratio, name, clip depth",
                        tag::PlaceObject2,
                        {0x7d, 0x03, 0x00, 0xcd, 0x00, 0x00, 0x08, 0x00, 0x0c, 0x10,
                         0x00, 0x30, 0x00, 0x11, 0x38, 0x00, 0x68, 0x80, 0x40, 0x10,
                         0x01, 0x00, 0x34, 0x12, 'a',  'b',  0x00, 0x07, 0x00},
                        ControlTag{p}});
    }
    {
        // PlaceObject3: flags HasCharacter, flags2 HasCacheAsBitmap|HasBlendMode|HasFilterList,
        // depth 2, character 9, one Blur filter (blurX 4.0, blurY 2.5, passes 1),
        // blend mode Multiply, cache as bitmap on.
        PlaceObject p;
        p.version = 3;
        p.depth = 2;
        p.characterId = 9;
        Filter blur;
        blur.type = FilterType::Blur;
        blur.blurX = 4.0;
        blur.blurY = 2.5;
        blur.passes = 1;
        p.filters = std::vector<Filter>{blur};
        p.blendMode = BlendMode::Multiply;
        p.cacheAsBitmap = true;
        rows.push_back({"PlaceObject3 filter, blend mode, cache as bitmap",
                        tag::PlaceObject3,
                        {0x02, 0x07, 0x02, 0x00, 0x09, 0x00, 0x01, 0x01, 0x00, 0x00, 0x04, 0x00,
                         0x00, 0x80, 0x02, 0x00, 0x08, 0x03, 0x01},
                        ControlTag{p}});
    }
    {
        // SWF 6 clip actions: reserved u16, all events u32, then
        // {events Load|EnterFrame, size 2, actions 07 00} and
        // {events KeyPress, size 2 (key code + 1 action byte), key 13, action 00}, end u32 0.
        PlaceObject p;
        p.depth = 1;
        p.characterId = 2;
        p.allClipEvents = clip_event::Load | clip_event::EnterFrame | clip_event::KeyPress;
        p.clipActions = {ClipAction{clip_event::Load | clip_event::EnterFrame, 0, {0x07, 0x00}},
                         ClipAction{clip_event::KeyPress, 13, {0x00}}};
        rows.push_back({"PlaceObject2 clip actions (SWF 6 flags)",
                        tag::PlaceObject2,
                        {0x82, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00, 0x03,
                         0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x02,
                         0x00, 0x02, 0x00, 0x00, 0x00, 0x0d, 0x00, 0x00, 0x00, 0x00, 0x00},
                        ControlTag{p},
                        6});
    }
    {
        // SWF 5 clip actions use 16-bit event flags and a 16-bit end flag.
        PlaceObject p;
        p.depth = 1;
        p.characterId = 2;
        p.allClipEvents = clip_event::MouseDown;
        p.clipActions = {ClipAction{clip_event::MouseDown, 0, {0x06, 0x00}}};
        rows.push_back({"PlaceObject2 clip actions (SWF 5 flags)",
                        tag::PlaceObject2,
                        {0x82, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x10, 0x00, 0x02,
                         0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00},
                        ControlTag{p},
                        5});
    }
    {
        // PlaceObject (1): character 4, depth 2, identity matrix, colour transform
        // hasAdd:1=1 hasMult:1=0 nbits:4=9 r=255 g=-255 b=0.
        PlaceObject p;
        p.version = 1;
        p.characterId = 4;
        p.depth = 2;
        p.matrix = Matrix{};
        ColorTransform cx;
        cx.rAdd = 255;
        cx.gAdd = -255;
        p.colorTransform = cx;
        rows.push_back({"PlaceObject with colour transform",
                        tag::PlaceObject,
                        {0x04, 0x00, 0x02, 0x00, 0x00, 0xa5, 0xff, 0x01, 0x00, 0x00},
                        ControlTag{p}});
    }
    {
        RemoveObject r;
        r.version = 1;
        r.characterId = 3;
        r.depth = 2;
        rows.push_back(
            {"RemoveObject", tag::RemoveObject, {0x03, 0x00, 0x02, 0x00}, ControlTag{r}});
        RemoveObject r2;
        r2.depth = 5;
        rows.push_back({"RemoveObject2", tag::RemoveObject2, {0x05, 0x00}, ControlTag{r2}});
    }
    rows.push_back({"DoAction keeps raw bytes",
                    tag::DoAction,
                    {0x07, 0x06, 0x00},
                    ControlTag{DoAction{{0x07, 0x06, 0x00}}}});
    rows.push_back({"DoInitAction",
                    tag::DoInitAction,
                    {0x05, 0x00, 0x07, 0x00},
                    ControlTag{DoInitAction{5, {0x07, 0x00}}}});
    rows.push_back({"FrameLabel named anchor",
                    tag::FrameLabel,
                    {'g', 'o', 0x00, 0x01},
                    ControlTag{FrameLabel{"go", true}}});
    rows.push_back(
        {"FrameLabel", tag::FrameLabel, {'g', 'o', 0x00}, ControlTag{FrameLabel{"go", false}}});
    rows.push_back({"SetTabIndex",
                    tag::SetTabIndex,
                    {0x03, 0x00, 0x07, 0x01},
                    ControlTag{SetTabIndex{3, 263}}});
    rows.push_back({"ExportAssets",
                    tag::ExportAssets,
                    {0x01, 0x00, 0x07, 0x00, 'c', 'l', 'i', 'p', 0x00},
                    ControlTag{ExportAssets{{{7, "clip"}}}}});
    rows.push_back(
        {"ImportAssets2",
         tag::ImportAssets2,
         {'l', 'i', 'b', '.', 's', 'w', 'f', 0x00, 0x01, 0x00, 0x01, 0x00, 0x09, 0x00, 'x', 0x00},
         ControlTag{ImportAssets{2, "lib.swf", {{9, "x"}}}}});
    {
        // StartSound 3: flags HasLoops|HasInPoint|SyncNoMultiple, in point 100, loops 2.
        StartSound s;
        s.soundId = 3;
        s.info.syncNoMultiple = true;
        s.info.inPoint = 100;
        s.info.loopCount = 2;
        rows.push_back({"StartSound with loops",
                        tag::StartSound,
                        {0x03, 0x00, 0x15, 0x64, 0x00, 0x00, 0x00, 0x02, 0x00},
                        ControlTag{s}});
        // An envelope of one point, and stop.
        StartSound stop;
        stop.soundId = 3;
        stop.info.syncStop = true;
        stop.info.envelope = std::vector<SoundEnvelopePoint>{{44100, 32768, 0}};
        rows.push_back({"StartSound stop with envelope",
                        tag::StartSound,
                        {0x03, 0x00, 0x28, 0x01, 0x44, 0xac, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00},
                        ControlTag{stop}});
    }
    {
        // SoundStreamHead2: playback 44 kHz 16-bit stereo; MP3 22 kHz 16-bit mono,
        // 1152 samples per block, latency seek 576.
        SoundStreamHead h;
        h.version = 2;
        h.playbackRate = 3;
        h.playback16Bit = true;
        h.playbackStereo = true;
        h.format = SoundFormat::Mp3;
        h.streamRate = 2;
        h.stream16Bit = true;
        h.streamStereo = false;
        h.samplesPerBlock = 1152;
        h.latencySeek = 576;
        rows.push_back({"SoundStreamHead2 MP3",
                        tag::SoundStreamHead2,
                        {0x0f, 0x2a, 0x80, 0x04, 0x40, 0x02},
                        ControlTag{h}});
    }
    {
        Sound s;
        s.id = 4;
        s.format = SoundFormat::UncompressedLittleEndian;
        s.rate = 1;
        s.is16Bit = true;
        s.stereo = false;
        s.sampleCount = 2;
        s.data = {0x01, 0x00, 0xff, 0x7f};
        rows.push_back({"DefineSound PCM",
                        tag::DefineSound,
                        {0x04, 0x00, 0x36, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0xff, 0x7f},
                        Character{s}});
    }
    {
        // DefineShape (1): id 1, bounds 0..200 (nbits 9), one solid RGB fill, no lines.
        Shape s;
        s.id = 1;
        s.version = 1;
        s.bounds = {0, 200, 0, 200};
        s.edgeBounds = s.bounds;
        FillStyle red;
        red.color = Rgba{255, 0, 0, 255};
        s.fills = {red};
        s.records = squareRecords();
        rows.push_back({"DefineShape solid square", tag::DefineShape,
                        concat({{0x01, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00},
                                {0x01, 0x00, 0xff, 0x00, 0x00},
                                {0x00},
                                kSquareRecords}),
                        Character{s}});
    }
    {
        // DefineShape3: a linear gradient (RGBA stops, pad, normal interpolation) with an
        // identity matrix, and a clipped bitmap fill (bitmap 7, identity matrix).
        Shape s;
        s.id = 2;
        s.version = 3;
        s.bounds = {0, 200, 0, 200};
        s.edgeBounds = s.bounds;
        FillStyle grad;
        grad.type = FillType::LinearGradient;
        grad.gradient.stops = {{0, Rgba{255, 0, 0, 255}}, {255, Rgba{0, 0, 255, 128}}};
        FillStyle bmp;
        bmp.type = FillType::ClippedBitmap;
        bmp.bitmapId = 7;
        s.fills = {grad, bmp};
        s.records = squareRecords();
        rows.push_back({"DefineShape3 gradient and bitmap fills", tag::DefineShape3,
                        concat({{0x02, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00},
                                {0x02, 0x10, 0x00, 0x02, 0x00, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00,
                                 0x00, 0xff, 0x80, 0x41, 0x07, 0x00, 0x00},
                                {0x00},
                                // fillBits 2; moveTo(20,20) fill1:2=1; edges as before
                                {0x20, 0x14, 0xca, 0x28, 0xee, 0x28, 0x37, 0x54, 0x1b, 0x96, 0x0d,
                                 0xdb, 0x00, 0x00}}),
                        Character{s}});
    }
    {
        // DefineShape4: edge bounds, winding-rule flag, one LINESTYLE2 (width 40, square start
        // cap, miter join with limit 2.5, no horizontal scaling, pixel hinting, no close, no
        // end cap, colour), records: lineStyle=1 moveTo(0,0), a curve, a general line.
        Shape s;
        s.id = 3;
        s.version = 4;
        s.bounds = {0, 200, 0, 200};
        s.edgeBounds = {0, 200, 0, 200};
        s.usesFillWindingRule = true;
        LineStyle l;
        l.width = 40;
        l.startCap = CapStyle::Square;
        l.join = JoinStyle::Miter;
        l.miterLimit = 2.5;
        l.noHScale = true;
        l.pixelHinting = true;
        l.noClose = true;
        l.endCap = CapStyle::None;
        l.color = Rgba{1, 2, 3, 4};
        s.lines = {l};
        StyleChange c;
        c.moveX = 0;
        c.moveY = 0;
        c.line = 1;
        s.records = {c, CurvedEdge{10, -10, 10, 10}, StraightEdge{-15, -3}};
        rows.push_back({"DefineShape4 line style 2 with curve", tag::DefineShape4,
                        concat({{0x03, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00, 0x48, 0x01, 0x90,
                                 0x00, 0x64, 0x00, 0x04},
                                {0x00},
                                {0x01, 0x28, 0x00, 0xa5, 0x05, 0x80, 0x02, 0x01, 0x02, 0x03, 0x04},
                                {0x01, 0x24, 0x26, 0x35, 0x59, 0x4a, 0xcf, 0x1e, 0x80}}),
                        Character{s}});
    }
    {
        // DefineText: id 5, bounds 0..200, identity matrix, glyph bits 1, advance bits 9;
        // record: HasFont|HasColor|HasXOffset, font 2, colour 10,20,30, x 50, height 240,
        // glyphs (0, 200) (1, 100).
        Text t;
        t.id = 5;
        t.bounds = {0, 200, 0, 200};
        TextRecord r;
        r.fontId = 2;
        r.color = Rgba{10, 20, 30, 255};
        r.xOffset = 50;
        r.height = 240;
        r.glyphs = {{0, 200}, {1, 100}};
        t.records = {r};
        rows.push_back(
            {"DefineText one run",
             tag::DefineText,
             {0x05, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00, 0x00, 0x01, 0x09, 0x8d, 0x02,
              0x00, 0x0a, 0x14, 0x1e, 0x32, 0x00, 0xf0, 0x00, 0x02, 0x32, 0x26, 0x40, 0x00},
             Character{t}});
    }
    {
        // DefineEditText: HasText|WordWrap|HasTextColor|HasFont; HasLayout|Border|HTML;
        // font 2 height 240, colour, layout (centre, margins 20/40, indent 0, leading 2),
        // variable "v", text "hi".
        EditText e;
        e.id = 6;
        e.bounds = {0, 200, 0, 200};
        e.wordWrap = true;
        e.fontId = 2;
        e.fontHeight = 240;
        e.textColor = Rgba{0, 0, 0, 255};
        e.hasLayout = true;
        e.border = true;
        e.html = true;
        e.align = TextAlign::Center;
        e.leftMargin = 20;
        e.rightMargin = 40;
        e.leading = 2;
        e.variableName = "v";
        e.initialText = "hi";
        rows.push_back({"DefineEditText",
                        tag::DefineEditText,
                        {0x06, 0x00, 0x48, 0x01, 0x90, 0x00, 0x64, 0x00, 0xc5, 0x2a, 0x02,
                         0x00, 0xf0, 0x00, 0x00, 0x00, 0x00, 0xff, 0x02, 0x14, 0x00, 0x28,
                         0x00, 0x00, 0x00, 0x02, 0x00, 'v',  0x00, 'h',  'i',  0x00},
                        Character{e}});
    }
    {
        // DefineButton2: not a menu; one record (up|over|down|hit, character 1, depth 1,
        // identity matrix, identity colour transform hasAdd:1=0 hasMult:1=0 nbits:4=1);
        // two conditions: release (size 6, actions 07 00) and roll over (last, actions 06 00).
        Button b;
        b.id = 8;
        b.version = 2;
        ButtonRecord rec;
        rec.states =
            button_state::Up | button_state::Over | button_state::Down | button_state::HitTest;
        rec.characterId = 1;
        rec.depth = 1;
        b.records = {rec};
        b.actions = {ButtonCondAction{button_condition::OverDownToOverUp, 0, {0x07, 0x00}},
                     ButtonCondAction{button_condition::IdleToOverUp, 0, {0x06, 0x00}}};
        rows.push_back(
            {"DefineButton2 with two conditions",
             tag::DefineButton2,
             {0x08, 0x00, 0x00, 0x0a, 0x00, 0x0f, 0x01, 0x00, 0x01, 0x00, 0x00, 0x04, 0x00,
              0x06, 0x00, 0x08, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01, 0x00, 0x06, 0x00},
             Character{b}});
    }
    {
        // DefineButton (1): one record, then the release actions up to the end.
        Button b;
        b.id = 9;
        b.version = 1;
        ButtonRecord rec;
        rec.states = button_state::Up | button_state::HitTest;
        rec.characterId = 1;
        rec.depth = 2;
        b.records = {rec};
        b.actions = {ButtonCondAction{button_condition::OverDownToOverUp, 0, {0x07, 0x00}}};
        rows.push_back({"DefineButton release actions",
                        tag::DefineButton,
                        {0x09, 0x00, 0x09, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00},
                        Character{b}});
    }
    {
        // DefineFont2 with wide codes, name "F", two glyphs: an empty one (a space: just
        // the SHAPE header and the end record) and a one-edge outline; offsets count from
        // the offset table.
        Font f;
        f.id = 2;
        f.version = 2;
        f.name = "F";
        f.wideCodes = true;
        f.glyphs = {{}, {}};
        f.codes = {0x20, 0x4e2d};
        // Glyph 1: fill bits 1, moveTo(0,0) fill1=1 (move bits 1), a vertical edge of 9 bits.
        StyleChange c;
        c.moveX = 0;
        c.moveY = 0;
        c.fill1 = 1;
        f.glyphs[1] = {c, StraightEdge{0, 160}};
        rows.push_back(
            {"DefineFont2 wide codes",
             tag::DefineFont2,
             {0x02, 0x00, 0x04, 0x00, 0x01, 'F',  0x02, 0x00, 0x06, 0x00, 0x08, 0x00, 0x0e,
              0x00, 0x10, 0x00, 0x10, 0x14, 0x27, 0x75, 0x40, 0x00, 0x20, 0x00, 0x2d, 0x4e},
             Character{f}});
    }
    return rows;
}

}  // namespace pencora::swf::testing
