// The one application object of a test program, made on first use. Widgets of the tests run
// on Qt's offscreen platform (set by the test command).
#pragma once

namespace pencora::testing {

void ensureApplication();

}  // namespace pencora::testing
