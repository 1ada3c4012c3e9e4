// A host for machine tests: collects trace lines, keeps a clock the test moves by hand, and
// offers one plain object as the timeline clip.
#pragma once

#include <QStringList>

#include <memory>

#include "assembler.h"
#include "platform/flash/avm1/machine.h"

namespace pencora::avm1::test {

class TestHost : public Host {
  public:
    double milliseconds() override { return clock; }
    double wallClock() override { return wall; }
    void trace(const QString& line) override { lines << line; }
    Object* root(Object*) override { return rootClip; }
    Object* level(int n) override { return n == 0 ? rootClip : nullptr; }
    void addRoots(std::vector<Object*>& roots) override { roots.push_back(rootClip); }
    void getUrl(const UrlRequest& r) override { urls << r.url + QStringLiteral("|") + r.target; }

    double clock = 0;
    double wall = 981152406000;  // 2001-02-03 04:05:06 at GMT+0545
    Object* rootClip = nullptr;
    QStringList lines;
    QStringList urls;
};

// A machine with a root clip; run() executes a block on it and returns what was traced.
struct Fixture {
    explicit Fixture(int version = 8) : machine(host, version), version(version) {
        host.rootClip = machine.makeObject();
        machine.collectGarbage({host.rootClip});
    }
    QStringList run(const Assembler& code, RunResult* result = nullptr) {
        host.lines.clear();
        RunResult r = machine.runBlock(code.block(), host.rootClip, version);
        if (result) {
            *result = r;
        }
        return host.lines;
    }
    TestHost host;
    Machine machine;
    int version;
};

// What `as` traces on a fresh machine of `version`.
inline QStringList tracedIn(int version, const Assembler& as) {
    Fixture f(version);
    return f.run(as);
}

}  // namespace pencora::avm1::test
