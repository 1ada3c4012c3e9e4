// The character and paragraph format of a stretch of text in a text field. Every field is
// optional: an unset field in a format read back from a range means the range mixes values,
// and an unset field in a format applied to a range leaves that field alone.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace pencora::runtime {

enum class TextAlign { Left, Right, Center, Justify };
enum class TextDisplay { Block, Inline, None };

struct TextFormat {
    std::optional<QString> font;
    std::optional<int> size;  // points (pixels at 100 %)
    std::optional<uint32_t> color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<QString> url;
    std::optional<QString> target;
    std::optional<TextAlign> align;
    std::optional<int> leftMargin;
    std::optional<int> rightMargin;
    std::optional<int> indent;
    std::optional<int> leading;
    std::optional<int> blockIndent;
    std::optional<std::vector<int>> tabStops;
    std::optional<bool> bullet;
    std::optional<bool> kerning;
    std::optional<double> letterSpacing;
    std::optional<TextDisplay> display;

    // Fields set in `over` replace those here.
    void apply(const TextFormat& over);
    // Keeps only the fields on which this and `other` agree.
    void intersect(const TextFormat& other);
    // Every field set: what a new text field starts with.
    static TextFormat defaults();

    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// The paragraph fields of a format (alignment, margins, indents, leading, tab stops, bullet)
// alone, and the format without them.
TextFormat paragraphPart(const TextFormat& f);
TextFormat characterPart(TextFormat f);

QString alignName(TextAlign a);
// "left", "right", "center", "justify", any case; nullopt for anything else.
std::optional<TextAlign> parseAlign(const QString& name);

}  // namespace pencora::runtime
