// Pictures of a NetStream shown in a Video object or a clip (attachVideo), and a stream's
// sound under a clip (MovieClip.attachAudio).
#pragma once

namespace pencora::runtime {

class DisplayObject;
class ScriptHost;

// Adds attachVideo to the Video class's prototype and attachAudio to MovieClip's.
void installStreamPictures(ScriptHost& host);
// Takes away the stream picture a Video object or clip shows, if any.
void clearStreamPicture(DisplayObject& video);

}  // namespace pencora::runtime
