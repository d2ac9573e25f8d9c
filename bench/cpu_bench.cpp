// Instructions per second through the CPU thread's run loop: the machine is
// created (headless), a program is stepped a fixed number of instructions
// the way a quiet trace does, and the time of the whole run is measured.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "cpu6502.h"
#include "shell.h"
#include "vm.h"
#include "vm_internal.h"

namespace
{

void poke(int addr, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        abMem6502[addr++ & 0xFFFF] = static_cast<byte>(b);
}

// 0300 LDX #0; 0302 LDA 0400,X; ADC #1; STA 0400,X; INX; BNE 0302; JMP 0300
void load_loop()
{
    poke(0x300, {0xA2, 0x00, 0xBD, 0x00, 0x04, 0x69, 0x01, 0x9D, 0x00, 0x04, 0xE8, 0xD0, 0xF5, 0x4C,
                 0x00, 0x03});
}

// The same loop storing into video memory: every store repaints a cell.
void load_video_loop()
{
    poke(0x300, {0xA2, 0x00, 0xBD, 0x00, 0xD0, 0x69, 0x01, 0x9D, 0x00, 0xD0, 0xE8, 0xD0, 0xF5, 0x4C,
                 0x00, 0x03});
}

void run_steps(benchmark::State& state)
{
    const int32_t count = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        cTraceIns = count;
        cpu6502_run_sync(CPU_RUN | CPU_STEP);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_RunLoop(benchmark::State& state)
{
    load_loop();
    reg_find("PC")->value = 0x300;
    run_steps(state);
}

void BM_RunLoopWithBreakpoints(benchmark::State& state)
{
    load_loop();
    reg_find("PC")->value = 0x300;
    // Breakpoints elsewhere: every instruction pays for the lookups.
    bp_add(0x1000, 0, BP_PERM);
    bp_add(0x2000, 0, BP_DATA | BP_PERM);
    bp_add(0x2000, 0, BP_DATA | BP_WRITE | BP_PERM);
    run_steps(state);
    bp_clear();
}

void BM_RunLoopWithCodeBreakpoint(benchmark::State& state)
{
    load_loop();
    reg_find("PC")->value = 0x300;
    // The usual debugging case: one code breakpoint elsewhere.
    bp_add(0x1000, 0, BP_PERM);
    run_steps(state);
    bp_clear();
}

void BM_RunLoopVideoStores(benchmark::State& state)
{
    load_video_loop();
    reg_find("PC")->value = 0x300;
    run_steps(state);
}

BENCHMARK(BM_RunLoop)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunLoopWithBreakpoints)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunLoopWithCodeBreakpoint)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RunLoopVideoStores)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!cpu6502_init() || cpu6502_create(0, nullptr, nullptr) != 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cpu6502_close(0, nullptr, nullptr);
    return 0;
}
