// Table-driven checks of what small scripts trace across consecutive SWF versions.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "postfix.h"
#include "test_host.h"

namespace pencora::avm1::test {

// A postfix expression and what trace prints for it in each version of a table's range, the
// first version first; a null result repeats the one of the version before, "-" skips it.
struct VersionRow {
    const char* code;
    const char* results[4];
};

// Runs each row after `prelude` in SWF `first` to `last` (at most four versions) on a fresh
// machine and checks what it traces.
inline void checkVersionRows(int first, int last, const std::vector<VersionRow>& rows,
                             const Assembler& prelude = {}) {
    for (const VersionRow& r : rows) {
        const char* expected = r.results[0];
        for (int v = first; v <= last; ++v) {
            expected = r.results[v - first] ? r.results[v - first] : expected;
            if (std::string(expected) == "-") {
                continue;
            }
            Assembler as = prelude;
            as.append(postfix(r.code)).trace();
            Fixture f(v);
            EXPECT_EQ(f.run(as).join('|').toStdString(), expected) << r.code << " in SWF " << v;
        }
    }
}

}  // namespace pencora::avm1::test
