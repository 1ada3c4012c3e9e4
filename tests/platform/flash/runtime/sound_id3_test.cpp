// A loaded MP3's ID3 tag: the frames read from each tag version and text encoding, broken
// tags read no further than they hold, and what scripts see of it (Sound.id3 and onID3).
#include <gtest/gtest.h>

#include "../avm1/assembler.h"
#include "engine_fixture.h"
#include "platform/flash/runtime/sound/id3_tags.h"

namespace pencora::runtime {
namespace {

using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::str;
using Code = swf::ActionCode;
using Bytes = std::vector<uint8_t>;
using test::TracingHost;

// `n` in four bytes of seven bits each, as tag sizes (and frame sizes from version 2.4) are;
// in four bytes of eight bits otherwise.
void appendSize(Bytes& out, uint32_t n, bool syncSafe) {
    const int bits = syncSafe ? 7 : 8;
    for (int shift = 3 * bits; shift >= 0; shift -= bits) {
        out.push_back(uint8_t((n >> shift) & (syncSafe ? 0x7F : 0xFF)));
    }
}

Bytes frame(int version, const std::string& id, const Bytes& body) {
    Bytes out(id.begin(), id.end());
    const auto n = uint32_t(body.size());
    if (version == 2) {
        out.insert(out.end(), {uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    } else {
        appendSize(out, n, version == 4);
        out.insert(out.end(), {0, 0});  // flags
    }
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes text(uint8_t encoding, const std::string& s) {
    Bytes out{encoding};
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

Bytes tag(int version, const std::vector<Bytes>& frames, uint32_t claimedExtra = 0) {
    Bytes out{'I', 'D', '3', uint8_t(version), 0, 0};
    uint32_t n = claimedExtra;
    for (const Bytes& f : frames) {
        n += uint32_t(f.size());
    }
    appendSize(out, n, true);
    for (const Bytes& f : frames) {
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

std::vector<std::string> read(const Bytes& file) {
    std::vector<std::string> out;
    for (const Id3Frame& f : readId3Frames(file)) {
        out.push_back(f.id.toStdString() + "=" + f.value.toStdString());
    }
    return out;
}

TEST(Id3Tags, FramesOfEachVersionAndEncoding) {
    // Latin-1, UTF-16 with a byte-order mark, UTF-16 big-endian, UTF-8.
    const Bytes utf16{1, 0xFF, 0xFE, 0x2D, 0x4E, 0, 0};
    const Bytes utf16be{2, 0x4E, 0x2D};
    const Bytes comment{0, 'e', 'n', 'g', 'd', 'e', 's', 'c', 0, 'h', 'i'};
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        const Bytes file =
            tag(version,
                {frame(version, "TIT2", text(0, "Caf\xE9")), frame(version, "TPE1", utf16),
                 frame(version, "TALB", utf16be), frame(version, "APIC", {0, 1, 2, 3}),
                 frame(version, "COMM", comment), frame(version, "TRCK", text(3, "\xE4\xB8\xAD"))});
        EXPECT_EQ(read(file), (std::vector<std::string>{"TIT2=Café", "TPE1=中", "TALB=中",
                                                        "COMM=hi", "TRCK=中"}))
            << "pictures are no text; a comment loses its language and description";
    }
    EXPECT_EQ(read(tag(2, {frame(2, "TT2", text(0, "Song")), frame(2, "COM", comment)})),
              (std::vector<std::string>{"TIT2=Song", "COMM=hi"}))
        << "version 2.2 names read as their later equals";
    EXPECT_EQ(id3Alias(QStringLiteral("TIT2")), u"songname");
    EXPECT_EQ(id3Alias(QStringLiteral("TPOS")), u"");
}

TEST(Id3Tags, BrokenTagsReadOnlyWhatTheyHold) {
    const Bytes good = frame(3, "TIT2", text(0, "Song"));
    Bytes claimsTooMuch = frame(3, "TPE1", text(0, "Someone"));
    claimsTooMuch[7] = 0xFF;  // its size now passes the end of the tag
    EXPECT_EQ(read(tag(3, {good, claimsTooMuch})), (std::vector<std::string>{"TIT2=Song"}));
    // The tag claims more than the file has; the frames that are there still read.
    EXPECT_EQ(read(tag(3, {good}, 5000)), (std::vector<std::string>{"TIT2=Song"}));
    Bytes cut = tag(3, {good});
    cut.resize(cut.size() - 2);
    EXPECT_TRUE(read(cut).empty());
    EXPECT_TRUE(read({'I', 'D', '3'}).empty());
    EXPECT_TRUE(read(tag(9, {good})).empty()) << "an unknown version is not guessed at";
    EXPECT_TRUE(read({}).empty());
    // Text without its terminator, and a frame of no bytes.
    EXPECT_EQ(read(tag(3, {frame(3, "TIT2", {}), frame(3, "TPE1", {1, 0xFF})})),
              (std::vector<std::string>{"TPE1="}));
}

// s = new Sound(); `before`; s.onID3 = trace id3 fields; s.onLoad = trace "loaded" and try
// to replace id3; s.loadSound("a.mp3", false).
swf::Bytes soundMovie(const Assembler& before) {
    Assembler code;
    code.push({str("s"), integer(0), str("Sound")}).op(Code::NewObject).op(Code::SetVariable);
    code.append(before);
    Assembler onId3;
    onId3.push({str("id3 ")}).getVar("s").push({str("id3")}).op(Code::GetMember);
    onId3.op(Code::Add2).trace();
    for (const char* field : {"songname", "TIT2", "comment", "COMM"}) {
        onId3.getVar("s").push({str("id3")}).op(Code::GetMember).push({str(field)});
        onId3.op(Code::GetMember).trace();
    }
    code.getVar("s").push({str("onID3")}).function("", {}, onId3).op(Code::SetMember);
    Assembler onLoad;
    onLoad.push({str("loaded")}).trace();
    onLoad.getVar("s").push({str("id3"), str("x")}).op(Code::SetMember);
    onLoad.getVar("s").push({str("id3")}).op(Code::GetMember).push({str("TIT2")});
    onLoad.op(Code::GetMember).trace();
    code.getVar("s").push({str("onLoad")}).function("", {"ok"}, onLoad).op(Code::SetMember);
    code.push({avm1::test::boolean(false), str("a.mp3"), integer(2)})
        .getVar("s")
        .push({str("loadSound")});
    code.op(Code::CallMethod).op(Code::Pop).op(Code::End);
    swfwrite::MovieBuilder b(8);
    b.doAction(code.bytes).showFrame();
    return b.write();
}

TEST(SoundId3, TheTagArrivesBeforeOnLoadAndStaysAsItCame) {
    const Bytes comment1{0, 'e', 'n', 'g', 0, 'o', 'n', 'e'};
    const Bytes comment2{0, 'e', 'n', 'g', 0, 't', 'w', 'o'};
    Bytes file = tag(3, {frame(3, "COMM", comment1), frame(3, "TIT2", text(0, "Song")),
                         frame(3, "COMM", comment2)});
    file.insert(file.end(), 64, 0);  // no audio worth the name: the tag still counts

    for (bool scriptSetsItFirst : {false, true}) {
        SCOPED_TRACE(scriptSetsItFirst);
        TracingHost host;
        auto engine = createSwfMovieEngine();
        engine->setHost(&host);
        Assembler before;
        if (scriptSetsItFirst) {
            before.getVar("s").push({str("id3"), str("mine")}).op(Code::SetMember);
        }
        ASSERT_TRUE(engine->loadMovie(0, soundMovie(before), u"main.swf", {}));
        engine->runFrame();
        ASSERT_EQ(host.fetches.size(), 1u);
        engine->fetchCompleted(host.fetches[0].id, file);
        if (scriptSetsItFirst) {
            EXPECT_EQ(host.lines,
                      (std::vector<std::string>{"id3 mine", "undefined", "undefined", "undefined",
                                                "undefined", "loaded", "undefined"}));
        } else {
            EXPECT_EQ(host.lines, (std::vector<std::string>{"id3 undefined", "Song", "Song", "two",
                                                            "one,two", "loaded", "Song"}))
                << "the tag object has no prototype, and scripts cannot replace it";
        }
    }
}

}  // namespace
}  // namespace pencora::runtime
