// The bundled sample course has a sound for everything it can play: a pronunciation for
// every entry of every character file, read as the program reads them, and every cue and
// voice prompt. Made by tools/sample_sounds/make_sample_sounds.py; when this fails after the
// course changed, run that again.
#include "content/content_paths.h"
#include "content/word_lists.h"
#include "platform/audio/bass.h"
#include "platform/fs/program_path.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QStringList>

using namespace pencora;

namespace {

class SampleCourse : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::setProgramFolder(QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"));
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override {
        BASS_Free();
        fs::setProgramFolder({});
    }
    // True when the file exists and decodes as a sound.
    static bool plays(const QString& relativePath) {
        const QString path = fs::resolveProgramPath(relativePath);
        const HSTREAM h = BASS_StreamCreateFile(0, path.utf16(), 0, 0, BASS_UNICODE);
        BASS_StreamFree(h);
        return QFile::exists(path) && h != 0;
    }
};

}  // namespace

TEST_F(SampleCourse, EveryEntryOfEveryBookHasAPronunciation) {
    QSet<QString> missing;
    int entries = 0;
    for (int book = 1; book <= 12; ++book) {
        const QString file = fs::resolveProgramPath(content::hanziFileRelativePath(book));
        const QStringList pinyin =
            content::ReadAttributeList(file, QStringLiteral("lesson"), QStringLiteral("PinYin1"));
        EXPECT_FALSE(pinyin.isEmpty()) << "book " << book;
        for (const QString& p : pinyin) {
            ++entries;
            // As stored, and trimmed as the 听音辨音 question and the word list look it up.
            for (const QString& name : {p, p.trimmed()}) {
                if (!plays(content::pronunciationRelativePath(name))) {
                    missing.insert(name);
                }
            }
        }
    }
    EXPECT_GT(entries, 1000);
    EXPECT_TRUE(missing.isEmpty())
        << missing.size() << " missing, e.g. " << missing.values().value(0).toStdString();
}

TEST_F(SampleCourse, EveryCueAndVoicePromptPlays) {
    const char* names[] = {"begin.mp3",   "right.wav",    "think.mp3", "replay.mp3",
                           "tingxie.mp3", "tingxie2.mp3", "tbxkw.mp3", "zcsj.mp3",
                           "tyrz.mp3",    "kyrz.mp3",     "tyby.mp3",  "kzry.mp3",
                           "wnnx.mp3",    "szb.mp3",      "set.mp3",   "home.mp3"};
    for (const char* name : names) {
        EXPECT_TRUE(plays(content::cueRelativePath(QString::fromLatin1(name)))) << name;
    }
    QFile right(fs::resolveProgramPath(content::cueRelativePath(u"right.wav")));
    ASSERT_TRUE(right.open(QIODevice::ReadOnly));
    const QByteArray head = right.read(12);
    EXPECT_TRUE(head.startsWith("RIFF") && head.mid(8, 4) == "WAVE") << "a real WAV file";
}
