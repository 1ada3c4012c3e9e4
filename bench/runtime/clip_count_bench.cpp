// Cost per clip as a movie's clips grow in number: one frame script creates N empty clips
// (createEmptyMovieClip, one depth each), then, depending on the case, looks each up by name
// and by depth, or removes each. The counter per_clip is the time of the whole run divided by
// N; it stays flat when the display list's operations stay close to linear.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "assembler.h"
#include "platform/flash/runtime/swf_movie_engine.h"
#include "platform/flash/swfwrite/movie_builder.h"

namespace {

using namespace pencora;
using avm1::test::Assembler;
using avm1::test::integer;
using avm1::test::reg;
using avm1::test::str;
using Code = swf::ActionCode;

enum class Work { Create, CreateAndLookUp, CreateAndRemove };

// for (r1 = 0; r1 < n; ++r1) { body }
Assembler loop(int n, const Assembler& body) {
    Assembler step;
    step.append(body).push({reg(1)}).op(Code::Increment).storeRegister(1).op(Code::Pop);
    Assembler test;
    test.push({reg(1), integer(n)}).op(Code::Less2).op(Code::Not);
    const int jumpSize = 5;
    const int ifSize = 5;
    const int back = -int(test.bytes.size() + ifSize + step.bytes.size() + jumpSize);
    Assembler out;
    out.push({integer(0)}).storeRegister(1).op(Code::Pop);
    out.append(test).branch(Code::If, int16_t(step.bytes.size() + jumpSize));
    out.append(step).branch(Code::Jump, int16_t(back));
    return out;
}

// Pushes "c" + r1.
Assembler& clipName(Assembler& a) {
    return a.push({str("c"), reg(1)}).op(Code::Add2);
}

Assembler createClips() {
    Assembler body;
    body.push({reg(1)});  // depth
    clipName(body);
    body.push({integer(2)}).getVar("this").push({str("createEmptyMovieClip")});
    body.op(Code::CallMethod).op(Code::Pop);
    return body;
}

Assembler lookUpClips() {
    Assembler body;
    body.getVar("this");
    clipName(body);
    body.op(Code::GetMember).op(Code::Pop);
    body.push({reg(1), integer(1)}).getVar("this").push({str("getInstanceAtDepth")});
    body.op(Code::CallMethod).op(Code::Pop);
    return body;
}

Assembler removeClips() {
    Assembler body;
    body.push({integer(0)}).getVar("this");
    clipName(body);
    body.op(Code::GetMember).push({str("removeMovieClip")}).op(Code::CallMethod).op(Code::Pop);
    return body;
}

swf::Bytes movie(int n, Work work) {
    Assembler script = loop(n, createClips());
    if (work == Work::CreateAndLookUp) {
        script.append(loop(n, lookUpClips()));
    } else if (work == Work::CreateAndRemove) {
        script.append(loop(n, removeClips()));
    }
    // Signals that the script ran to its end rather than into the time limit.
    const std::string done = "FSCommand:done";
    std::vector<uint8_t> url(done.begin(), done.end());
    url.insert(url.end(), {0, 0});
    script.record(Code::GetURL, url);
    script.op(Code::End);
    swfwrite::MovieBuilder m(8);
    m.movie().scriptTimeoutSeconds = 60;
    m.doAction(script.bytes).showFrame();
    return m.write();
}

struct Host : flash::MovieEngineHost {
    bool done = false;
    void fsCommand(std::u16string_view command, std::u16string_view) override {
        done = done || command == u"done";
    }
    std::u16string flashCall(std::u16string_view) override { return {}; }
    void requestFetch(const flash::FetchRequest&) override {}
    void trace(std::u16string_view) override {}
    void invalidate(std::optional<flash::StageRect>) override {}
};

void runClips(benchmark::State& state, Work work) {
    const int n = int(state.range(0));
    const swf::Bytes bytes = movie(n, work);
    for (auto _ : state) {
        Host host;
        auto engine = runtime::createSwfMovieEngine();
        engine->setHost(&host);
        if (!engine->loadMovie(0, bytes, u"clips.swf", {})) {
            state.SkipWithError("the movie did not load");
            return;
        }
        engine->runFrame();
        if (!host.done) {
            state.SkipWithError("the script did not finish");
            return;
        }
    }
    state.counters["per_clip"] = benchmark::Counter(
        double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CreateClips(benchmark::State& state) {
    runClips(state, Work::Create);
}
void BM_CreateAndLookUpClips(benchmark::State& state) {
    runClips(state, Work::CreateAndLookUp);
}
void BM_CreateAndRemoveClips(benchmark::State& state) {
    runClips(state, Work::CreateAndRemove);
}
BENCHMARK(BM_CreateClips)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateAndLookUpClips)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateAndRemoveClips)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
