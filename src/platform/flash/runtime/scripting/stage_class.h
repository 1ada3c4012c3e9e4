// The Stage and System objects of scripts (stage_class.cpp).
#pragma once

namespace pencora::runtime {

class ScriptHost;

void installStageAndSystem(ScriptHost& host);

}  // namespace pencora::runtime
