// A text field: its text with format runs, its settings, and what its layout measures. Made
// from a DefineEditText or by createTextField; the script class (text_field_class.cpp) and the
// drawing (text_field_drawing.cpp) both work on this model. Paragraphs end at '\r'.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/flash/runtime/text/text_format.h"
#include "platform/flash/swf/characters.h"

namespace pencora::avm1 {
class Object;
}

namespace pencora::runtime {

struct TextSpan {
    int length = 0;
    TextFormat format;  // every field set
};

enum class AutoSize { None, Left, Center, Right };

// A picture the markup's <img> stands in the text: a clip of an exported symbol or a loaded
// JPEG or movie, with the text flowing past it on the side it does not take. Sizes in pixels.
struct TextPicture {
    QString src;
    QString id;                // the instance name of the clip made for it; empty: none given
    std::optional<int> width;  // as the tag gave them; unset: the content's own size
    std::optional<int> height;
    bool alignRight = false;
    int hspace = 8;  // clear room left and right of it, and above and below it
    int vspace = 8;
    int at = 0;  // index into the text where the tag stood
    // The content's own size in twips once its clip holds something.
    std::optional<QSizeF> ownSize;

    // The size it takes, in twips: the tag's, else the content's own, else nothing.
    QSizeF shownSize() const;
    bool operator==(const TextPicture&) const = default;
};

// One laid-out line, in field twips from the field's top-left corner.
struct TextLine {
    int start = 0;  // index into the text
    int length = 0;
    double x = 0;
    double y = 0;  // top of the line box
    double width = 0;
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    // The first line of a bulleted paragraph shows the bullet at `bulletX` on its baseline.
    bool bullet = false;
    double bulletX = 0;
    // A justified line whose spaces were widened to fill it (the advances say by how much).
    bool justified = false;
};

// How far a character of `advance` twips steps with `spacing` twips of letter spacing: spacing
// never takes a character back, and where it would leave it no advance at all the character
// keeps its own.
inline double spacedAdvance(double advance, double spacing) {
    return advance + spacing > 0 ? advance + spacing : advance;
}

// How far the text of a bulleted paragraph in format `f` stands right of its bullet, in twips.
double bulletIndent(const TextFormat& f);

// How wide a piece of text is in one format, and the font's vertical metrics, in twips.
// The layout asks through this so tests and embedded fonts can answer without Qt fonts.
class TextMeasure {
  public:
    virtual ~TextMeasure() = default;
    virtual double advance(const TextFormat& f, QStringView text) const = 0;
    virtual double ascent(const TextFormat& f) const = 0;
    virtual double descent(const TextFormat& f) const = 0;
    // How much closer (negative) or further apart `right` stands after `left` in one format.
    virtual double kerning(const TextFormat&, QChar, QChar) const { return 0; }
};

struct TextField {
    // Settings.
    QRectF bounds;  // twips, in the field's own space
    bool html = false;
    bool multiline = false;
    bool wordWrap = false;
    bool password = false;
    bool editable = false;  // type "input"
    bool selectable = true;
    bool border = false;
    bool background = false;
    bool condenseWhite = false;
    bool embedFonts = false;
    bool mouseWheelEnabled = true;
    AutoSize autoSize = AutoSize::None;
    uint32_t borderColor = 0x000000;
    uint32_t backgroundColor = 0xFFFFFF;
    int maxChars = 0;  // 0: no limit; below 0: nothing may be typed
    std::optional<QString> restrict;
    QString variable;
    QString antiAliasType = QStringLiteral("normal");
    QString gridFitType = QStringLiteral("pixel");
    double sharpness = 0;
    double thickness = 0;
    std::optional<uint16_t> fontId;  // the embedded font of the definition
    std::optional<double> tabIndex;
    avm1::Object* styleSheet = nullptr;  // kept alive by the field's script object

    // Content.
    QString text;
    std::vector<TextSpan> spans;  // cover `text` exactly, in order
    TextFormat newFormat;         // what inserted text gets
    int scroll = 1;               // first visible line, from 1
    int hscroll = 0;              // pixels scrolled horizontally
    int selectionBegin = -1;
    int selectionEnd = -1;
    bool focused = false;  // holds the keyboard focus: shows its selection or caret
    // Where the text an input method is still composing stands in `text` (begin -1: nothing
    // is composed). Scripts read it with the rest; it is drawn underlined and goes through
    // the typing rules only when the input method commits it.
    int composingBegin = -1;
    int composingLength = 0;
    // The text the definition gave (empty for fields made by scripts), as HTML when `html`.
    QString initialText;
    // The html source as last set (htmlText reads it back for fields that are not html), and
    // whether the field took line breaks then.
    std::optional<QString> lastHtml;
    bool lastHtmlMultiline = false;
    // How far auto-sizing has moved the field left along its own x axis, in twips.
    double autoSizeShift = 0;
    // scroll, maxscroll, hscroll and maxhscroll as listeners last heard of them, and whether
    // the field changed since they were compared.
    std::array<int, 4> scrollsNotified{1, 1, 0, 0};
    bool scrollsToCheck = false;
    int version = 8;  // SWF version of the movie the field belongs to: HTML rules differ by it
    // The pictures of the markup (text_pictures.h), in the order of their tags, and a count
    // that moves whenever the markup replaces them, so that their clips follow.
    std::vector<TextPicture> pictures;
    uint64_t picturesSet = 0;
    uint64_t picturesPlaced = 0;  // the count the field's clips were made for

    // Built from a definition in a movie of version `swfVersion`.
    static TextField fromDefinition(const swf::EditText& def, const swf::Font* font,
                                    int swfVersion);

    // Replaces everything with `s` in the new text format (each '\n' becomes '\r').
    void setText(const QString& s);
    // Replaces [begin, end) with `s`; the inserted text takes the format at `begin` (or the
    // new text format in an empty field).
    void replace(int begin, int end, const QString& s);
    // Applies the set fields of `f` to [begin, end); paragraph settings go to every paragraph
    // the range touches.
    void applyFormat(int begin, int end, const TextFormat& f);
    // The fields on which all of [begin, end) agree; an empty range reads the character
    // before it.
    TextFormat formatOf(int begin, int end) const;
    // The composed range [begin, end), if it is still whole inside the text.
    std::optional<std::pair<int, int>> composing() const;
    // What a script sees of the text: `*` per character for passwords is not applied here.
    int length() const { return int(text.size()); }

    // Paragraph [start, end) around index i (end excludes the '\r').
    std::pair<int, int> paragraphAt(int i) const;

  private:
    void normalise();
    void splitAt(int index);
};

// Text as a script sets it: every '\n' becomes '\r', so "\r\n" ends two lines.
QString normaliseLineEnds(const QString& s);

// Line breaking and the measures scripts read.
struct TextLayout {
    std::vector<TextLine> lines;
    double textWidth = 0;  // twips, widest line and its left margin, without the gutter
    double textHeight = 0;
    // The height the lines take with an empty last line after a final break: what an
    // auto-sized box grows to, so that the caret there shows.
    double boxHeight = 0;
    // Twips per character of the text, letter spacing included and tabs as far as they reach
    // (paragraph ends take none).
    std::vector<double> advances;
    // Where each of the field's pictures is drawn, in field twips like the lines, in order.
    std::vector<QRectF> pictureBoxes;
};
TextLayout layoutText(const TextField& field, const TextMeasure& measure);

// Scrolling measures of a laid-out field: its lines (at least one), how many fit below line
// `fromLine` (at least one), the last line scrolling can bring to the top and how many pixels
// the widest line reaches past the box.
int lineCount(const TextLayout& l);
int visibleLines(const TextField& f, const TextLayout& l, int fromLine);
int maxScroll(const TextField& f, const TextLayout& l);
int maxHScroll(const TextField& f, const TextLayout& l);
// Brings the scroll positions back within those limits after the text or the box changed.
void clampScrolling(TextField& f, const TextLayout& l);

// The 2-pixel gutter inside a field's bounds, in twips.
inline constexpr double kGutter = 40;

}  // namespace pencora::runtime
