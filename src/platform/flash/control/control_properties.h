// The Flash control's own properties (what its dispatch properties read and write, apart
// from those that ask the movie), their text forms, and the saved-state format the control
// writes through IPersistStreamInit::Save and reads back with Load.
//
// Saved state: "PnFl", a 16-bit version (1), a 32-bit record count, then per record a
// 16-bit property number (as a signed dispatch number), a 1-byte kind (1 = 32-bit integer,
// 2 = Boolean byte, 3 = UTF-16 text with a 32-bit length in units) and the value; all
// little-endian. Unknown numbers are skipped; a record reaching past the end rejects the
// whole block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/flash/control/movie_engine.h"
#include "platform/flash/control/stage_layout.h"

namespace pencora::flash {

enum class WindowMode { Window, Opaque, Transparent };

struct ControlProperties {
    std::u16string movie;
    WindowMode windowMode = WindowMode::Window;
    std::u16string quality = u"High";  // Low, Medium, High, Best, AutoLow, AutoHigh
    bool loop = true;
    bool playing = true;
    ScaleMode scaleMode = ScaleMode::ShowAll;
    int align = 0;
    std::int32_t backgroundColor = -1;  // 0xRRGGBB; -1: the movie's own
    bool menu = true;
    std::u16string base;
    bool deviceFont = false;
    bool embedMovie = false;
    std::u16string swRemote;
    std::u16string flashVars;
    std::u16string allowScriptAccess = u"sameDomain";
    std::u16string movieData;
    bool seamlessTabbing = true;

    friend bool operator==(const ControlProperties&, const ControlProperties&) = default;
};

std::vector<std::uint8_t> saveControlState(const ControlProperties& properties);
std::optional<ControlProperties> loadControlState(std::span<const std::uint8_t> bytes);

// Text forms, read ignoring case; an unknown text gives the default (Window, ShowAll, High).
WindowMode parseWindowMode(std::u16string_view text);
std::u16string windowModeText(WindowMode mode);
ScaleMode parseScaleMode(std::u16string_view text);
std::u16string scaleModeText(ScaleMode mode);
// The canonical spelling of a quality name; "High" for an unknown one.
std::u16string canonicalQuality(std::u16string_view text);
// The Quality property's number: 0 Low, 1 High (Medium, Best), 2 AutoLow, 3 AutoHigh.
int qualityNumber(std::u16string_view quality);
std::u16string qualityFromNumber(int number);
Quality renderQuality(std::u16string_view quality);
// SAlign letters "L", "T", "R", "B" in any order and case ↔ alignment bits.
int parseAlign(std::u16string_view letters);
std::u16string alignText(int bits);
// "#RRGGBB", "RRGGBB" or "0xRRGGBB" → 0xRRGGBB; empty or malformed → -1.
std::int32_t parseColor(std::u16string_view text);
std::u16string colorText(std::int32_t color);

// "a=1&b=x%20y" → pairs, names and values URL-decoded ('+' as a space).
std::vector<std::pair<std::u16string, std::u16string>> parseQueryVariables(
    std::u16string_view text);

}  // namespace pencora::flash
