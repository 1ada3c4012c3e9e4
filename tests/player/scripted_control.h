// A scripted stand-in for the Shockwave Flash control, registered under its class identifier
// so that a test sees every call the player makes: each call is written to `log` as text.
// LoadMovie fetches its address through the site as the real control does (bind host,
// moniker, storage bind) and keeps what arrives; Draw paints an opaque red square at
// (10, 10)-(30, 30) of the object rectangle and leaves everything else untouched.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ole/class_registry.h"
#include "platform/ole/shockwave_flash.h"

namespace pencora::player::testing {

struct ScriptedControl;

struct ControlScript {
    ole::LONG version = 0x000A0000;
    bool giveInPlaceObject = true;
    bool fetchOnLoad = true;
    ole::HRESULT loadMovieResult = ole::S_OK;
    std::vector<std::string> log;
    // What each fetch brought: the address and the bytes (or "<failed>"/"<refused>").
    std::vector<std::pair<std::string, std::string>> fetched;
    ScriptedControl* last = nullptr;
    int created = 0;
    bool seen(const std::string& entry) const;
};

struct ScriptedControl;

// Registers the scripted control for the scope of the object.
class ScriptedControlRegistration {
  public:
    explicit ScriptedControlRegistration(ControlScript& script);

  private:
    ole::ScopedClassRegistration registration_;
};

// Raises an event of the control through its connected event sink (arguments left to right).
void fireEvent(ScriptedControl* control, ole::DISPID id, std::vector<ole::VARIANT> args);
// Sets a property of the control as if the movie changed it and reports the change.
void changeProperty(ScriptedControl* control, ole::DISPID id, ole::VARIANT value);
// How often the control drew, and the bounds of its last drawing.
int drawCount(ScriptedControl* control);
std::optional<ole::RECTL> lastDrawBounds(ScriptedControl* control);
// The control's site as it was handed over.
ole::IOleClientSite* siteOf(ScriptedControl* control);
// Fetches an address through the site as the control would.
std::pair<ole::HRESULT, std::string> fetchThroughSite(ScriptedControl* control,
                                                      const std::u16string& address);

}  // namespace pencora::player::testing
