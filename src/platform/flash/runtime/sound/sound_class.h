// The Sound class of scripts (sound_class.cpp).
#pragma once

namespace pencora::runtime {

class ScriptHost;

void installSoundClass(ScriptHost& host);
// After each tick: onSoundComplete for the sounds that ended.
void notifySoundsFinished(ScriptHost& host);

}  // namespace pencora::runtime
