// A lesson movie played by the Flash control as the lesson-text panel hosts it: every button
// sends its command with the lesson's own byte ranges, the page buttons turn the pages, and
// while the reading plays the timeline marks each sentence from the frame its recording
// starts on.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>

#include "lesson_movie.h"
#include "movie_host.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/flash/swf/movie.h"

namespace lesson_movies {
namespace {

using pencora::flash::InputEvent;
using pencora::flash::InputKind;

constexpr const char* kKaiFace = "/usr/share/fonts/truetype/arphic/ukai.ttc";

Lesson sampleLesson(bool pinyin) {
    Lesson l;
    l.code = "020301";
    l.title = U"小小的船";
    l.book = pinyin ? 2 : 7;
    l.pinyin = pinyin;
    const std::u32string texts[] = {U"我们一起来读新字。", U"老师教我们写「船」和「星」。",
                                    U"小明把「船」和「星」写在本子上，我们大声读。",
                                    U"我会读「月」，也会写「弯」。", U"生字都学会了。"};
    int64_t offset = 0;
    double time = 0;
    for (const auto& text : texts) {
        Sentence s;
        for (const char32_t c : text) {
            const bool punctuation =
                std::u32string_view(U"。，「」").find(c) != std::u32string::npos;
            s.tokens.push_back({std::u32string(1, c), punctuation ? "" : "xīng"});
        }
        s.start = offset;
        s.end = offset += 1000 + 72 * static_cast<int64_t>(text.size());
        s.time = time;
        time += 1.5 + 0.1 * static_cast<double>(text.size());
        l.sentences.push_back(std::move(s));
    }
    l.seconds = time;
    return l;
}

class LessonMovie : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QFile::exists(kKaiFace)) {
            GTEST_SKIP() << "the Kai face (fonts-arphic-ukai) is not installed";
        }
        kai_ = std::make_unique<EmbeddedFont>(kKaiFace);
        latin_ = std::make_unique<EmbeddedFont>(kKaiFace);
    }

    // Loads the lesson's movie into a control and collects the commands it sends.
    void load(const Lesson& lesson) {
        lesson_ = lesson;
        bytes_ = lessonMovie(lesson_, {*kai_, *latin_});
        ASSERT_TRUE(dir_.isValid());
        const auto path = std::filesystem::path(dir_.path().toStdString()) / "a.swf";
        QFile file(QString::fromStdString(path.string()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes_.data()), qint64(bytes_.size()));
        file.close();
        ASSERT_TRUE(host_.available()) << host_.error();
        host_.onCommand = [this](const std::u16string& command, const std::u16string& args) {
            commands_.push_back(QString::fromStdU16String(command) + " " +
                                QString::fromStdU16String(args));
        };
        ASSERT_TRUE(host_.load(path));
        host_.advance(1);  // the first frame shows
        layout_ = layoutText(lesson_.sentences, textAreaFor(lesson_));
    }

    void click(double x, double y) {
        for (const auto kind : {InputKind::MouseMove, InputKind::MouseDown, InputKind::MouseUp}) {
            InputEvent e;
            e.kind = kind;
            e.x = x;
            e.y = y;
            host_.inject(e);
            host_.advance(1);
        }
    }
    void click(const Box& b) { click((b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2); }
    void clickSentence(size_t k) { click(layout_.sentences[k].lines.front()); }

    // Whether sentence k is shown with the reading mark behind it.
    bool marked(size_t k) {
        const QImage image = host_.render();
        const Box& b = layout_.sentences[k].lines.front();
        const QColor c = image.pixelColor(int(b.x0 + 2), int((b.y0 + b.y1) / 2));
        return c.red() > 240 && c.green() > 210 && c.green() < 240 && c.blue() < 140;
    }

    QTemporaryDir dir_;
    std::unique_ptr<EmbeddedFont> kai_;
    std::unique_ptr<EmbeddedFont> latin_;
    pencora::swfplay::MovieHost host_;
    Lesson lesson_;
    pencora::swf::Bytes bytes_;
    PageLayout layout_;
    QStringList commands_;
};

QString range(const Sentence& s) {
    return QStringLiteral("lesson_play %1,%2").arg(s.start).arg(s.end);
}

TEST_F(LessonMovie, ButtonsSendTheirCommandsAndTurnPages) {
    load(sampleLesson(true));
    ASSERT_EQ(layout_.pages, 2);
    QStringList expected;
    // The sentences of the first page, the next page and its sentences, back again.
    for (size_t k = 0; k < layout_.sentences.size(); ++k) {
        if (layout_.sentences[k].page == 0) {
            clickSentence(k);
            expected << range(lesson_.sentences[k]);
        }
    }
    click(controlBox(Control::NextPage));
    expected << "lesson_page ";
    for (size_t k = 0; k < layout_.sentences.size(); ++k) {
        if (layout_.sentences[k].page == 1) {
            clickSentence(k);
            expected << range(lesson_.sentences[k]);
        }
    }
    // Past the last page the page stays.
    click(controlBox(Control::NextPage));
    clickSentence(4);
    expected << "lesson_page " << range(lesson_.sentences[4]);
    click(controlBox(Control::PreviousPage));
    click(controlBox(Control::PreviousPage));
    clickSentence(0);
    expected << "lesson_page "
             << "lesson_page " << range(lesson_.sentences[0]);
    click(controlBox(Control::ReadAll));
    click(controlBox(Control::Stop));
    expected << "read_lx true"
             << "read_lx false";
    EXPECT_EQ(commands_.join(" | ").toStdString(), expected.join(" | ").toStdString());
}

TEST_F(LessonMovie, ReadingMarksEachSentenceFromItsFirstFrame) {
    for (const bool pinyin : {true, false}) {
        SCOPED_TRACE(pinyin ? "with pinyin" : "without pinyin");
        commands_.clear();
        load(sampleLesson(pinyin));
        int frame = 0;
        for (size_t k = 0; k < lesson_.sentences.size(); ++k) {
            const int first = frameAt(lesson_.sentences[k].time);
            host_.advance(first - 1 - frame);
            EXPECT_FALSE(marked(k)) << "sentence " << k << " one frame early";
            host_.advance(1);
            frame = first;
            EXPECT_TRUE(marked(k)) << "sentence " << k << " on frame " << first;
        }
        // A sentence clicked while the last one is read holds still, marked, on its page.
        ASSERT_EQ(layout_.sentences[3].page, layout_.sentences[4].page);
        clickSentence(3);
        host_.advance(5);
        EXPECT_TRUE(marked(3));
        EXPECT_FALSE(marked(4));
        ASSERT_FALSE(commands_.isEmpty());
        EXPECT_EQ(commands_.back().toStdString(), range(lesson_.sentences[3]).toStdString());
    }
}

TEST_F(LessonMovie, TimelineStopsAfterTheReadingAndOnEveryPage) {
    load(sampleLesson(true));
    const auto read = pencora::swf::readMovie(bytes_);
    ASSERT_TRUE(read);
    const auto& frames = read.movie->timeline.frames;
    auto frameOf = [&](const std::string& label) {
        for (size_t f = 0; f < frames.size(); ++f) {
            const auto& labels = frames[f].labels;
            if (std::find(labels.begin(), labels.end(), label) != labels.end()) {
                return static_cast<int>(f);
            }
        }
        return -1;
    };
    for (size_t k = 0; k < lesson_.sentences.size(); ++k) {
        EXPECT_EQ(frameOf("s" + std::to_string(k + 1)), frameAt(lesson_.sentences[k].time));
    }
    const int end = frameOf("end");
    EXPECT_EQ(end, frameAt(lesson_.seconds));
    EXPECT_EQ(frameOf("page1"), end + 1);
    EXPECT_EQ(frameOf("page2"), end + 2);
    EXPECT_EQ(static_cast<int>(frames.size()), end + 3);
    // Played on, the movie rests on its last sentence's page without a mark.
    host_.advance(end + 20);
    for (size_t k = 0; k < lesson_.sentences.size(); ++k) {
        EXPECT_FALSE(marked(k));
    }
    EXPECT_TRUE(commands_.isEmpty());
}

}  // namespace
}  // namespace lesson_movies

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    pencora::flash::registerFlashControl(pencora::flash::createDefaultMovieEngine);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
