// The settings menu popset of ToolButton3 — the voice-prompt switch N1 and the skin submenu
// N3 with its five looks — and the web-site button ToolButton1.
#pragma once

class QObject;
class Tfrm_Main;

namespace pencora::settings {

// The product's home page, opened by ToolButton1.
inline constexpr char kHomePage[] = "https://pencora.example/";

void install(Tfrm_Main& frm);

// Skin choice from one of the five items of N3 (its Hint is the skin number): applies the
// look, then ticks the item and makes it the bold default, all others unticked. A look
// that cannot be applied goes on to the general error report with the marks as they were.
void N5Click(Tfrm_Main& frm, QObject* Sender);

// Opens the home page in the user's browser; a failure is silent.
void ToolButton1Click(Tfrm_Main& frm, QObject* Sender);

}  // namespace pencora::settings
