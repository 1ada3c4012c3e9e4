// The script machine on two workloads, reported as operations per second (items_per_second):
//  - TightLoop: `for (i = 0; i < n; i++) sum += i` on timeline variables; one item is one
//    iteration (about ten actions).
//  - StringArrayWork: a = []; for (i < n) a.push("item" + i); s = a.join(","); b = s.split(",");
//    b.sort(); one item is one element going through push, join, split and sort.
#include <benchmark/benchmark.h>

#include "assembler.h"
#include "platform/flash/avm1/machine.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;
using Code = pencora::swf::ActionCode;

namespace {

class BenchHost : public Host {};

// while (i < n) { body; i++ }  with i and n as timeline variables.
Assembler loop(int n, const Assembler& body) {
    Assembler cond;
    cond.getVar("i").push({integer(n)}).op(Code::Less2).op(Code::Not);
    Assembler step;
    step.append(body).push({str("i")}).getVar("i").op(Code::Increment).op(Code::SetVariable);
    Assembler as;
    as.setVar("i", integer(0)).append(cond).branch(Code::If, int16_t(step.bytes.size() + 5));
    as.append(step).branch(Code::Jump,
                           int16_t(-(int(step.bytes.size()) + 5 + int(cond.bytes.size()) + 5)));
    return as;
}

void TightLoop(benchmark::State& state) {
    const int n = int(state.range(0));
    BenchHost host;
    Machine m(host, 8);
    Object* root = m.makeObject();
    Assembler body;
    body.push({str("sum")}).getVar("sum").getVar("i").op(Code::Add2).op(Code::SetVariable);
    Assembler as;
    as.setVar("sum", integer(0)).append(loop(n, body));
    auto block = as.block();
    for (auto _ : state) {
        RunResult r = m.runBlock(block, root, 8);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(TightLoop)->Arg(100000);

void StringArrayWork(benchmark::State& state) {
    const int n = int(state.range(0));
    BenchHost host;
    Machine m(host, 8);
    Object* root = m.makeObject();
    m.collectGarbage({root});
    Assembler body;
    body.push({str("item")})
        .getVar("i")
        .op(Code::Add2)
        .push({integer(1)})
        .getVar("a")
        .push({str("push")})
        .op(Code::CallMethod)
        .op(Code::Pop);
    Assembler as;
    as.push({str("a"), integer(0)}).op(Code::InitArray).op(Code::SetVariable);
    as.append(loop(n, body));
    as.push({str("s"), str(","), integer(1)})
        .getVar("a")
        .push({str("join")})
        .op(Code::CallMethod)
        .op(Code::SetVariable);
    as.push({str("b"), str(","), integer(1)})
        .getVar("s")
        .push({str("split")})
        .op(Code::CallMethod)
        .op(Code::SetVariable);
    as.push({integer(0)}).getVar("b").push({str("sort")}).op(Code::CallMethod).op(Code::Pop);
    auto block = as.block();
    for (auto _ : state) {
        RunResult r = m.runBlock(block, root, 8);
        benchmark::DoNotOptimize(r);
        m.collectGarbage({root});
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(StringArrayWork)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
