#include "lesson_movie.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "artwork.h"
#include "platform/flash/swfwrite/action_writer.h"
#include "platform/flash/swfwrite/movie_builder.h"
#include "platform/flash/swfwrite/shape_builder.h"
#include "text_layout.h"

namespace lesson_movies {

namespace {

using namespace pencora;
using swf::Rgba;
using swfwrite::ActionWriter;

constexpr Rgba kPaper{252, 248, 236, 255};
constexpr Rgba kInk{45, 40, 35, 255};
constexpr Rgba kPinyinInk{50, 90, 170, 255};
constexpr Rgba kMark{255, 226, 120, 255};
constexpr Rgba kHover{120, 170, 230, 255};
constexpr Rgba kPressed{60, 120, 200, 255};

constexpr uint16_t kDepthIllustration = 5;
constexpr uint16_t kDepthMark = 8;
constexpr uint16_t kDepthPageNumber = 10;
constexpr uint16_t kDepthSentences = 20;  // one depth per sentence of the shown page
constexpr uint16_t kDepthButtons = 40;

const std::u32string kLabels = U"上一页下一页朗读全文停止0123456789/";

int16_t twips16(double px) {
    return static_cast<int16_t>(std::lround(px * kTwips));
}

swf::Rect boundsOf(const std::vector<Box>& boxes) {
    swf::Rect r;
    r.xMin = r.yMin = INT32_MAX;
    r.xMax = r.yMax = INT32_MIN;
    for (const Box& b : boxes) {
        r.xMin = std::min<int32_t>(r.xMin, twips16(b.x0));
        r.yMin = std::min<int32_t>(r.yMin, twips16(b.y0));
        r.xMax = std::max<int32_t>(r.xMax, twips16(b.x1));
        r.yMax = std::max<int32_t>(r.yMax, twips16(b.y1));
    }
    return r;
}

swf::TextRecord run(uint16_t fontId, double size, Rgba color, double x, double baseline) {
    swf::TextRecord r;
    r.fontId = fontId;
    r.height = static_cast<uint16_t>(std::lround(size * kTwips));
    r.color = color;
    r.xOffset = twips16(x);
    r.yOffset = twips16(baseline);
    return r;
}

// A line of text in one font at its natural advances.
swf::TextRecord line(const EmbeddedFont& font, uint16_t fontId, const std::u32string& text,
                     double size, Rgba color, double x, double baseline) {
    swf::TextRecord r = run(fontId, size, color, x, baseline);
    for (const char32_t c : text) {
        r.glyphs.push_back(
            {font.index(c), static_cast<int32_t>(std::lround(font.advance(c, size) * kTwips))});
    }
    return r;
}

swf::Text textOf(std::vector<swf::TextRecord> records, const std::vector<Box>& area) {
    swf::Text t;
    t.version = 2;
    t.bounds = boundsOf(area);
    t.records = std::move(records);
    return t;
}

// Text centred in a box.
swf::Text label(const EmbeddedFont& font, uint16_t fontId, const std::u32string& text, double size,
                Rgba color, const Box& box) {
    const double x = (box.x0 + box.x1 - font.width(text, size)) / 2;
    const double baseline = (box.y0 + box.y1) / 2 + size * 0.36;
    return textOf({line(font, fontId, text, size, color, x, baseline)}, {box});
}

swf::Text sentenceText(const PlacedSentence& s, const TextArea& area, Fonts fonts, uint16_t kaiId,
                       uint16_t pinyinId) {
    std::vector<swf::TextRecord> records;
    const double inset = (area.cell - area.charSize) / 2;
    for (const PlacedChar& c : s.chars) {
        if (c.c == U' ') {
            continue;
        }
        swf::TextRecord r = run(kaiId, area.charSize, kInk, c.x + inset, c.baseline);
        r.glyphs.push_back(
            {fonts.kai.index(c.c), static_cast<int32_t>(std::lround(area.charSize * kTwips))});
        records.push_back(std::move(r));
        if (area.pinyinSize > 0 && !c.pinyin.empty()) {
            const std::u32string py = QString::fromStdString(c.pinyin).toStdU32String();
            const double width = fonts.pinyin.width(py, area.pinyinSize);
            records.push_back(line(fonts.pinyin, pinyinId, py, area.pinyinSize, kPinyinInk,
                                   c.x + (area.cell - width) / 2,
                                   c.baseline - area.charSize * 0.98));
        }
    }
    return textOf(std::move(records), s.lines);
}

swf::Shape boxes(const std::vector<Box>& list, Rgba color) {
    swfwrite::ShapeBuilder b;
    const uint32_t fill = b.addFill(swfwrite::solidFill(color));
    for (const Box& box : list) {
        b.rectangle(twips16(box.x0), twips16(box.y0), twips16(box.x1), twips16(box.y1), fill);
    }
    return b.build();
}

std::vector<Box> underlines(const std::vector<Box>& lines) {
    std::vector<Box> result;
    for (const Box& b : lines) {
        result.push_back({b.x0 + 4, b.y1 - 4, b.x1 - 4, b.y1 - 1});
    }
    return result;
}

swf::ButtonRecord record(uint8_t states, uint16_t id, uint16_t depth) {
    swf::ButtonRecord r;
    r.states = states;
    r.characterId = id;
    r.depth = depth;
    return r;
}

swf::Button button(uint16_t up, uint16_t over, uint16_t down, uint16_t hit, uint16_t face,
                   swf::Bytes onRelease) {
    namespace bs = swf::button_state;
    swf::Button b;
    b.version = 2;
    b.records = {record(bs::Up, up, 1), record(bs::Over, over, 2), record(bs::Down, down, 3),
                 record(bs::HitTest, hit, 4)};
    if (face) {
        b.records.push_back(record(bs::Up | bs::Over | bs::Down, face, 5));
    }
    b.actions.push_back({swf::button_condition::OverDownToOverUp, 0, std::move(onRelease)});
    return b;
}

// 上一页 / 下一页: report the turn, move `page` within 1..pages, show that page.
swf::Bytes turnPage(bool forward) {
    ActionWriter change;
    change.getVariable("page").op(forward ? swfwrite::action_op::Increment
                                          : swfwrite::action_op::Decrement);
    change.setVariable("page");
    ActionWriter w;
    w.fsCommand("lesson_page", "");
    if (forward) {
        w.getVariable("page").getVariable("pages").op(swfwrite::action_op::Less2);
    } else {
        w.push(1).getVariable("page").op(swfwrite::action_op::Less2);
    }
    w.when(change);
    w.push("page").getVariable("page").op(swfwrite::action_op::Add2).gotoPopped(false);
    return w.bytes();
}

struct ControlButton {
    std::u32string text;
    Box box;
    Rgba color;
    swf::Bytes onRelease;
};

std::vector<ControlButton> controls() {
    ActionWriter readAll, stopReading;
    readAll.fsCommand("read_lx", "true").gotoFrame(1, true);
    stopReading.fsCommand("read_lx", "false").stop();
    return {
        {U"上一页", controlBox(Control::PreviousPage), {110, 170, 90, 255}, turnPage(false)},
        {U"下一页", controlBox(Control::NextPage), {110, 170, 90, 255}, turnPage(true)},
        {U"朗读全文", controlBox(Control::ReadAll), {225, 120, 60, 255}, readAll.bytes()},
        {U"停止", controlBox(Control::Stop), {170, 90, 90, 255}, stopReading.bytes()},
    };
}

Rgba lighter(Rgba c, double t) {
    auto m = [t](uint8_t x) { return static_cast<uint8_t>(x + (255 - x) * t); };
    return {m(c.r), m(c.g), m(c.b), 255};
}

}  // namespace

TextArea textAreaFor(const Lesson& lesson) {
    TextArea a;
    a.left = 36;
    a.top = 96;
    a.width = 504;
    a.height = 412;
    if (lesson.pinyin) {
        a.charSize = 34;
        a.cell = 42;
        a.rowHeight = 82;
        a.pinyinSize = 15;
    } else {
        a.charSize = 30;
        a.cell = 36;
        a.rowHeight = 54;
    }
    a.sentencesPerPage = lesson.poem ? 8 : 3;
    a.centred = lesson.poem;
    return a;
}

Box controlBox(Control which) {
    const double y0 = 528, y1 = 572;
    switch (which) {
        case Control::PreviousPage:
            return {40, y0, 160, y1};
        case Control::NextPage:
            return {176, y0, 296, y1};
        case Control::ReadAll:
            return {470, y0, 620, y1};
        case Control::Stop:
            break;
    }
    return {636, y0, 760, y1};
}

namespace {

std::u32string allText(const Lesson& lesson) {
    std::u32string text = lesson.title + kLabels;
    for (const Sentence& s : lesson.sentences) {
        for (const Token& t : s.tokens) {
            text += t.text;
        }
    }
    return text;
}

std::u32string allPinyin(const Lesson& lesson) {
    std::u32string text;
    for (const Sentence& s : lesson.sentences) {
        for (const Token& t : s.tokens) {
            text += QString::fromStdString(t.pinyin).toStdU32String();
        }
    }
    return text;
}

class Builder {
  public:
    Builder(const Lesson& lesson, Fonts fonts)
        : lesson_(lesson),
          fonts_(fonts),
          area_(textAreaFor(lesson)),
          layout_(layoutText(lesson.sentences, area_)),
          movie_(8, kStageWidth, kStageHeight, kFrameRate) {}

    swf::Bytes build() {
        defineParts();
        writeTimeline();
        return movie_.write(swf::Compression::Zlib);
    }

  private:
    void defineParts() {
        fonts_.kai.clear();
        fonts_.kai.use(allText(lesson_));
        fonts_.pinyin.clear();
        if (area_.pinyinSize > 0) {
            fonts_.pinyin.use(allPinyin(lesson_));
        }
        movie_.background(kPaper);
        kaiId_ = movie_.define(fonts_.kai.font(0, "AR PL UKai CN"));
        pinyinId_ = area_.pinyinSize > 0 ? movie_.define(fonts_.pinyin.font(0, "Pinyin")) : 0;

        // Title band and title.
        staticAt(movie_.define(roundedBox({16, 12, 784, 76}, 14, {236, 246, 228, 255}, 2,
                                          {150, 190, 130, 255})),
                 1);
        staticAt(movie_.define(label(fonts_.kai, kaiId_, lesson_.title, 38, {60, 100, 50, 255},
                                     {16, 12, 784, 76})),
                 2);
        // The illustration in a frame at the right.
        const Box picture{560, 96, 772, 332};
        staticAt(movie_.define(
                     roundedBox({picture.x0 - 6, picture.y0 - 6, picture.x1 + 6, picture.y1 + 6},
                                10, {255, 255, 255, 255}, 2, {190, 180, 150, 255})),
                 3);
        staticAt(
            defineIllustration(movie_, sceneFor(lesson_.title), std::stoi(lesson_.code), picture),
            kDepthIllustration);

        for (const PlacedSentence& s : layout_.sentences) {
            defineSentence(s);
        }
        for (int p = 0; p < layout_.pages; ++p) {
            const std::u32string number =
                QString("%1/%2").arg(p + 1).arg(layout_.pages).toStdU32String();
            pageNumbers_.push_back(movie_.define(
                label(fonts_.kai, kaiId_, number, 22, {120, 110, 90, 255}, {304, 528, 462, 572})));
        }
        uint16_t depth = kDepthButtons;
        for (const ControlButton& c : controls()) {
            staticAt(defineControl(c), depth++);
        }
    }

    void defineSentence(const PlacedSentence& s) {
        const size_t k = marks_.size();
        marks_.push_back(movie_.define(boxes(s.lines, kMark)));
        const uint16_t text = movie_.define(sentenceText(s, area_, fonts_, kaiId_, pinyinId_));
        const uint16_t area = movie_.define(boxes(s.lines, kHover));
        // Pointed at, the sentence is underlined, so a reading mark behind it stays seen.
        const uint16_t hover = movie_.define(boxes(underlines(s.lines), kHover));
        const uint16_t pressed = movie_.define(boxes(underlines(s.lines), kPressed));
        const Sentence& sentence = lesson_.sentences[k];
        ActionWriter w;
        w.fsCommand("lesson_play",
                    std::to_string(sentence.start) + "," + std::to_string(sentence.end));
        w.gotoLabel("s" + std::to_string(k + 1));
        // Up shows the text alone; over and down add the underline.
        swf::Button b = button(text, hover, pressed, area, 0, w.bytes());
        b.records.push_back(record(swf::button_state::Over | swf::button_state::Down, text, 5));
        sentenceButtons_.push_back(movie_.define(b));
    }

    uint16_t defineControl(const ControlButton& c) {
        const uint16_t up = movie_.define(roundedBox(c.box, 12, c.color));
        const uint16_t over = movie_.define(roundedBox(c.box, 12, lighter(c.color, 0.25)));
        const uint16_t down = movie_.define(
            roundedBox({c.box.x0 + 1, c.box.y0 + 2, c.box.x1 - 1, c.box.y1 + 1}, 12, c.color));
        const uint16_t face =
            movie_.define(label(fonts_.kai, kaiId_, c.text, 24, {255, 255, 255, 255}, c.box));
        return movie_.define(button(up, over, down, up, face, c.onRelease));
    }

    void staticAt(uint16_t id, uint16_t depth) { statics_.emplace_back(id, depth); }

    // Replaces the shown page's sentences and number with those of page p.
    void showPage(int p) {
        if (shownPage_ == p) {
            return;
        }
        if (shownPage_ >= 0) {
            movie_.remove(kDepthPageNumber);
            for (uint16_t d = 0; d < shownCount_; ++d) {
                movie_.remove(static_cast<uint16_t>(kDepthSentences + d));
            }
        }
        movie_.place(pageNumbers_[static_cast<size_t>(p)], kDepthPageNumber);
        uint16_t d = 0;
        for (size_t k = 0; k < layout_.sentences.size(); ++k) {
            if (layout_.sentences[k].page == p) {
                movie_.place(sentenceButtons_[k], static_cast<uint16_t>(kDepthSentences + d++));
            }
        }
        shownPage_ = p;
        shownCount_ = d;
    }

    void mark(int k) {
        if (marked_) {
            movie_.remove(kDepthMark);
        }
        marked_ = k >= 0;
        if (marked_) {
            movie_.place(marks_[static_cast<size_t>(k)], kDepthMark);
        }
    }

    swf::Bytes pageScript(int p, bool andStop) {
        ActionWriter w;
        w.setVariable("page", p + 1);
        if (andStop) {
            w.stop();
        }
        return w.bytes();
    }

    void writeTimeline() {
        // Frame 0: everything in place on the first page.
        for (const auto& [id, depth] : statics_) {
            movie_.place(id, depth);
        }
        showPage(0);
        ActionWriter init;
        init.setVariable("pages", layout_.pages).setVariable("page", 1);
        movie_.doAction(init.bytes());
        movie_.showFrame();

        // The reading, one sentence after another.
        int frame = 1;
        for (size_t k = 0; k < lesson_.sentences.size(); ++k) {
            const int start = std::max(frame, frameAt(lesson_.sentences[k].time));
            for (; frame < start; ++frame) {
                movie_.showFrame();
            }
            const int page = layout_.sentences[k].page;
            showPage(page);
            mark(static_cast<int>(k));
            movie_.label("s" + std::to_string(k + 1));
            movie_.doAction(pageScript(page, false));
            movie_.showFrame();
            ++frame;
        }
        const int end = std::max(frame, frameAt(lesson_.seconds));
        for (; frame < end; ++frame) {
            movie_.showFrame();
        }
        mark(-1);
        movie_.label("end");
        ActionWriter halt;
        halt.stop();
        movie_.doAction(halt.bytes());
        movie_.showFrame();

        // One still frame per page for the page buttons.
        for (int p = 0; p < layout_.pages; ++p) {
            showPage(p);
            movie_.label("page" + std::to_string(p + 1));
            movie_.doAction(pageScript(p, true));
            movie_.showFrame();
        }
    }

    const Lesson& lesson_;
    Fonts fonts_;
    TextArea area_;
    PageLayout layout_;
    swfwrite::MovieBuilder movie_;
    uint16_t kaiId_ = 0;
    uint16_t pinyinId_ = 0;
    std::vector<std::pair<uint16_t, uint16_t>> statics_;
    std::vector<uint16_t> marks_;
    std::vector<uint16_t> sentenceButtons_;
    std::vector<uint16_t> pageNumbers_;
    int shownPage_ = -1;
    uint16_t shownCount_ = 0;
    bool marked_ = false;
};

}  // namespace

int frameAt(double seconds) {
    return 1 + static_cast<int>(std::lround(seconds * kFrameRate));
}

swf::Bytes lessonMovie(const Lesson& lesson, Fonts fonts) {
    return Builder(lesson, fonts).build();
}

}  // namespace lesson_movies
