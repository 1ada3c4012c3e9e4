// addRequestHeader of LoadVars and XML: the HTTP headers a movie asks to send with its POSTs,
// kept on the object in order. The fetches go through the site's bind host, which takes no
// headers of the movie's own, so they are recorded and not sent.
#pragma once

#include <vector>

#include "platform/flash/avm1/value.h"

namespace pencora::avm1 {

class Machine;

// addRequestHeader(name, value) or addRequestHeader([name1, value1, name2, value2, ...]).
Value addRequestHeader(Machine& m, const Value& self, std::vector<Value>& args);

}  // namespace pencora::avm1
