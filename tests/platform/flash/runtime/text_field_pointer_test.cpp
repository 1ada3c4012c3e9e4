// The pointer in text fields: where a press puts the caret, drag selection, Tab back into the
// focused field, and auto-sized fields keeping their anchor in place.
#include <gtest/gtest.h>

#include "fixed_measure.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/scripting/script_host.h"
#include "platform/flash/runtime/text/text_field_class.h"
#include "platform/flash/runtime/text/text_field_drawing.h"
#include "platform/flash/runtime/text/text_field_pointer.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::FixedMeasure;

TEST(CaretIndexAt, NearestBoundaryOnTheLineUnderThePoint) {
    TextField f;
    f.bounds = QRectF(0, 0, 2000, 400);
    f.multiline = true;
    f.newFormat = TextFormat::defaults();
    f.setText(QStringLiteral("abcd\refgh\rij"));
    const FixedMeasure measure;
    const TextLayout l = layoutText(f, measure);
    ASSERT_EQ(l.lines.size(), 3u);
    auto at = [&](double xPx, double yPx) {
        return caretIndexAt(f, l, QPointF(xPx * 20, yPx * 20));
    };
    // Lines start after the 2 px gutter, 15 px apart; a character is passed from its middle.
    EXPECT_EQ(at(2, 5), 0);
    EXPECT_EQ(at(6.9, 5), 0);
    EXPECT_EQ(at(7.1, 5), 1);
    EXPECT_EQ(at(35, 5), 3);
    EXPECT_EQ(at(90, 5), 4) << "right of a line: its end, before the paragraph break";
    EXPECT_EQ(at(0, 18), 5) << "left of a line: its start";
    EXPECT_EQ(at(15, 18), 6);
    EXPECT_EQ(at(15, -30), 1) << "above the text counts as the first line";
    EXPECT_EQ(at(90, 500), 12) << "below it as the last";

    // Scrolled by a line and 5 px sideways, the same point lands one line down, half a
    // character further.
    f.scroll = 2;
    f.hscroll = 5;
    EXPECT_EQ(at(15, 5), 7);
    EXPECT_EQ(at(15, 18), 12);

    TextField empty;
    EXPECT_EQ(caretIndexAt(empty, layoutText(empty, measure), QPointF(100, 100)), 0);
}

struct TextPointerTest : testing::Test, PlayerEvents {
    Player player;

    TextPointerTest() {
        player.setEvents(this);
        player.setActionRunner(std::make_unique<ScriptHost>(player));
    }
    void trace(const QString&) override {}

    // An input field "t" at (10, 10), 200 x 60 px, holding "hello world\rsecond".
    DisplayObject& loadField(bool selectable = true) {
        swfwrite::MovieBuilder b(8, 300, 200);
        swf::EditText e;
        e.bounds = {0, 4000, 0, 1200};
        e.multiline = true;
        e.readOnly = false;
        e.noSelect = !selectable;
        e.initialText = "hello world\rsecond";
        swf::PlaceObject p;
        p.characterId = b.define(e);
        p.depth = 1;
        p.name = "t";
        p.matrix = test::at(10, 10);
        b.place(p).showFrame();
        player.load(0, test::share(b));
        player.runFrame();
        DisplayObject* o = player.root(0)->childNamed(QStringLiteral("t"), true);
        EXPECT_TRUE(o && o->field);
        return *o;
    }
    // The stage point (pixels) just right of the boundary before character `i`, on its line.
    QPointF boundary(DisplayObject& o, int i) {
        const TextLayout l = layoutText(*o.field, measureFor(o));
        const TextLine* line = &l.lines.front();
        for (const TextLine& each : l.lines) {
            if (each.start <= i) {
                line = &each;
            }
        }
        double x = line->x;
        for (int c = line->start; c < i; ++c) {
            x += l.advances[size_t(c)];
        }
        return QPointF(10 + (x + 2) / 20, 10 + (line->y + line->ascent / 2) / 20);
    }
    std::pair<int, int> selection(DisplayObject& o) {
        return {o.field->selectionBegin, o.field->selectionEnd};
    }
};

TEST_F(TextPointerTest, PressFocusesAndPlacesTheCaretDragSelectsEvenOutside) {
    DisplayObject& t = loadField();
    player.mouseMove(boundary(t, 3));
    player.mouseDown(boundary(t, 3));
    EXPECT_EQ(player.focus(), &t);
    EXPECT_EQ(selection(t), std::make_pair(3, 3)) << "the caret, not the whole text";
    player.mouseMove(boundary(t, 14));
    EXPECT_EQ(selection(t), std::make_pair(3, 14)) << "across the paragraph break";
    player.mouseMove(QPointF(1, 1));
    EXPECT_EQ(selection(t), std::make_pair(3, 0)) << "above and left of the field: its start";
    player.mouseUp(QPointF(1, 1));
    // Moving with the button up selects nothing more.
    player.mouseMove(QPointF(290, 190));
    EXPECT_EQ(selection(t), std::make_pair(3, 0));
    // Typing replaces what was selected.
    player.textInput(u'X');
    EXPECT_EQ(t.field->text, QStringLiteral("Xlo world\rsecond"));
}

TEST_F(TextPointerTest, UnselectableFieldsIgnoreThePointer) {
    DisplayObject& t = loadField(false);
    player.mouseDown(boundary(t, 3));
    player.mouseUp(boundary(t, 3));
    EXPECT_EQ(player.focus(), nullptr);
    EXPECT_EQ(selection(t), std::make_pair(-1, -1));
}

TEST_F(TextPointerTest, TabBackIntoTheFocusedFieldSelectsItAll) {
    DisplayObject& t = loadField();
    player.mouseDown(boundary(t, 2));
    player.mouseUp(boundary(t, 2));
    ASSERT_EQ(selection(t), std::make_pair(2, 2));
    player.keyDown(vk::Tab);
    player.keyUp(vk::Tab);
    EXPECT_EQ(player.focus(), &t) << "the only stop";
    EXPECT_EQ(selection(t), std::make_pair(0, t.field->length()));
}

TEST_F(TextPointerTest, AutoSizeGrowsByTheTextAndKeepsItsAnchor) {
    DisplayObject& t = loadField();
    TextField& f = *t.field;
    f.setText(QStringLiteral("a much longer line than the field is wide"));
    struct Case {
        AutoSize kind;
        double kept;  // 0 left edge, 0.5 centre, 1 right edge
    };
    for (const Case c :
         {Case{AutoSize::Left, 0}, Case{AutoSize::Center, 0.5}, Case{AutoSize::Right, 1}}) {
        f.bounds = QRectF(0, 0, 4000, 1200);
        t.matrix.tx = 200;
        f.autoSize = c.kind;
        const double anchor = t.matrix.tx + 4000 * c.kept;
        textFieldChanged(t);
        const TextLayout l = layoutText(f, measureFor(t));
        EXPECT_EQ(f.bounds.width(), std::round(l.textWidth) + 80) << "whole twips and gutters";
        EXPECT_EQ(f.bounds.height(), std::round(l.textHeight) + 80);
        EXPECT_EQ(f.bounds.left(), 0) << "the position moves, not the box";
        EXPECT_NEAR(t.matrix.tx + f.bounds.width() * c.kept, anchor, 0.5) << int(c.kind);
    }
    // With word wrap only the height follows the text.
    f.wordWrap = true;
    f.bounds = QRectF(0, 0, 4000, 1200);
    t.matrix.tx = 200;
    textFieldChanged(t);
    EXPECT_EQ(f.bounds.width(), 4000);
    EXPECT_EQ(t.matrix.tx, 200);
}

}  // namespace
}  // namespace pencora::runtime
