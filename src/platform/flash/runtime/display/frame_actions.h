// The timeline actions that need no stack, enough for simple movies before the script machine
// runs them: play, stop, the gotos, getURL (with "FSCommand:" addresses), setTarget,
// waitForFrame, toggleQuality and stopSounds. Every other action is skipped.
#pragma once

#include "platform/flash/runtime/display/player.h"

namespace pencora::runtime {

class FrameActions : public ActionRunner {
  public:
    void run(Player& player, DisplayObject& clip,
             const std::shared_ptr<const swf::ActionBlock>& block) override;
};

// getURL's address and window: "FSCommand:cmd" raises the command with the window as its
// arguments, "_levelN" windows load into that layer, other windows are browser navigations.
void dispatchGetUrl(Player& player, const QString& url, const QString& window);

}  // namespace pencora::runtime
