#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

void installGeometry(Machine& m) {
    (void)m;
}

}  // namespace pencora::avm1
