// The Video class: what scripts see of a placed video.
#pragma once

namespace pencora::runtime {

class ScriptHost;

// Defines Video and its prototype (clear, smoothing, deblocking, width, height).
void installVideoClass(ScriptHost& host);

}  // namespace pencora::runtime
