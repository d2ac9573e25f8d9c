// Instructions per second through the CPU thread's run loop, and beside it
// a plain switch-based C interpreter (ref6502.c, written for this
// comparison) on the same workload, built with the same compiler and
// options. The machine is created (headless) and the workload run the way a
// quiet trace runs it: the CPU thread's real loop, with its device hooks and
// breakpoint checks, counting down a fixed number of instructions.
//
//   build/bench/tessaly_bench --benchmark_filter=Workload
//
// Before measuring, both cores run the workload side by side and must agree
// on registers and memory, so that they are known to do the same work.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cpu6502.h"
#include "ref6502.h"
#include "shell.h"
#include "vm.h"
#include "vm_internal.h"

namespace
{

constexpr int WORKLOAD_BASE = 0x0300;
std::vector<byte> abWorkload;
byte abRefMem[MEM_SIZE6502];

void poke(int addr, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        abMem6502[addr++ & 0xFFFF] = static_cast<byte>(b);
}

bool load_workload()
{
    FILE* f = fopen(TESSALY_WORKLOAD_BIN, "rb");
    if (!f)
        return false;
    for (int c; (c = getc(f)) != EOF;)
        abWorkload.push_back(static_cast<byte>(c));
    fclose(f);
    return !abWorkload.empty();
}

// Both cores at the workload's start, with memory otherwise clear.
void start_workload(Ref6502* ref)
{
    memset(abMem6502, 0, MEM_SIZE6502 + 1);
    memcpy(abMem6502 + WORKLOAD_BASE, abWorkload.data(), abWorkload.size());
    for (int i = 0; i < NUM_REGS6502; i++)
        aReg6502[i].value = 0;
    aReg6502[REG_S].value = 0xFF;
    aReg6502[REG_PC].value = WORKLOAD_BASE;
    memcpy(abRefMem, abMem6502, MEM_SIZE6502);
    *ref = Ref6502{0, 0, 0, 0xFF, 0x20, WORKLOAD_BASE, abRefMem};
}

// The CPU thread executes `count` instructions, as `trace /q` runs them.
void run_tessaly(int32_t count)
{
    cpu6502_set_steps(count);
    cpu6502_run_sync(CPU_RUN | CPU_STEP);
}

// The least any loop over the opcode functions does: fetch the opcode, step
// PC past it and call the function the dispatch table holds, with nothing
// else (no write flag, effective address, hooks, breakpoints, counters or
// hand-over to other threads). It is not a way to run the machine; it
// measures what one call per instruction into the generated functions,
// with the registers in the register file, costs by itself, the bound
// under any run loop built on them. The workload needs none of what it
// leaves out (its PC and S never leave their width).
void run_fetch_and_call(int32_t count)
{
    int32_t& rPC = aReg6502[REG_PC].value;
    for (int32_t i = 0; i < count; i++) {
        const byte opcode = abMem6502[rPC];
        rPC++;
        aPfnOp6502[opcode]();
    }
}

// Runs both cores side by side and compares them after each slice: first
// through the run loop, then through the bare fetch and call.
bool cores_agree(void (*run)(int32_t count), const char* what)
{
    Ref6502 ref;
    start_workload(&ref);
    for (int slice = 0; slice < 40; slice++) {
        run(100'003);
        ref6502_run(&ref, 100'003);
        const Reg* r = aReg6502;
        if (r[REG_A].value != ref.a || r[REG_X].value != ref.x || r[REG_Y].value != ref.y ||
            r[REG_S].value != ref.s || r[REG_PC].value != ref.pc ||
            memcmp(abMem6502, abRefMem, MEM_SIZE6502) != 0) {
            fprintf(stderr,
                    "%s and the reference core disagree after %d instructions: PC %04x/%04x "
                    "A %02x/%02x X %02x/%02x Y %02x/%02x S %02x/%02x\n",
                    what, (slice + 1) * 100'003, r[REG_PC].value, ref.pc, r[REG_A].value, ref.a,
                    r[REG_X].value, ref.x, r[REG_Y].value, ref.y, r[REG_S].value, ref.s);
            return false;
        }
    }
    return true;
}

constexpr int32_t WORKLOAD_SLICE = 20'000'000;

void BM_WorkloadReferenceCore(benchmark::State& state)
{
    Ref6502 ref;
    start_workload(&ref);
    for (auto _ : state)
        ref6502_run(&ref, WORKLOAD_SLICE);
    benchmark::DoNotOptimize(ref);
    state.SetItemsProcessed(state.iterations() * WORKLOAD_SLICE);
}

// Times `run` on the workload from its start, a slice an iteration.
void time_workload(benchmark::State& state, void (*run)(int32_t count))
{
    Ref6502 ref;
    start_workload(&ref);
    for (auto _ : state)
        run(WORKLOAD_SLICE);
    state.SetItemsProcessed(state.iterations() * WORKLOAD_SLICE);
}

void BM_WorkloadFetchAndCall(benchmark::State& state)
{
    time_workload(state, run_fetch_and_call);
}

void BM_WorkloadTessalyRunLoop(benchmark::State& state)
{
    time_workload(state, run_tessaly);
}

// The same through `go`: the CPU runs free (no step count) until a
// permanent breakpoint at the workload's main loop finds that at least a
// slice of instructions ran since the last stop; the record tells how many.
void BM_WorkloadTessalyGo(benchmark::State& state)
{
    Ref6502 ref;
    start_workload(&ref);
    Breakpoint* bp = bp_add(WORKLOAD_BASE + 4, 0, BP_PERM); // START
    bp->cHitLimit = bp->cHitCount = 0;
    bp->cInsLimit = WORKLOAD_SLICE;
    int64_t cIns = 0;
    con_disable(); // the stop reports
    for (auto _ : state) {
        // Once run_sync is back the CPU has stopped and given up the
        // machine: the record is as the CPU thread left it.
        cpu6502_run_sync(CPU_RUN);
        cIns += bp->cIns;
    }
    con_enable();
    bp_clear();
    state.SetItemsProcessed(cIns);
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
    for (auto _ : state)
        run_tessaly(count);
    state.SetItemsProcessed(state.iterations() * count);
}

// A breakpoint set for a run: address, flags and (when not 0) hit limit.
struct BpSpec {
    int32_t addr;
    uint32_t flags;
    int32_t cHitLimit = 0;
};

// Runs the loop that `load` puts at 0x0300 with these breakpoints set.
void run_loop(benchmark::State& state, void (*load)(), std::initializer_list<BpSpec> bps = {})
{
    load();
    reg_find("PC")->value = 0x300;
    for (const BpSpec& spec : bps) {
        Breakpoint* bp = bp_add(spec.addr, 0, spec.flags);
        if (bp && spec.cHitLimit)
            bp->cHitLimit = bp->cHitCount = spec.cHitLimit;
    }
    run_steps(state);
    bp_clear();
}

void BM_RunLoop(benchmark::State& state)
{
    run_loop(state, load_loop);
}

void BM_RunLoopWithBreakpoints(benchmark::State& state)
{
    // Breakpoints elsewhere: every instruction pays for the lookups.
    run_loop(
        state, load_loop,
        {{0x1000, BP_PERM}, {0x2000, BP_DATA | BP_PERM}, {0x2000, BP_DATA | BP_WRITE | BP_PERM}});
}

void BM_RunLoopWithBreakpointsOnItsPages(benchmark::State& state)
{
    // Breakpoints on the pages the loop runs and stores in: every instruction
    // makes the lookups that can match. The code breakpoint is one the loop
    // never meets; the loop stores into every byte of its data page, so the
    // write breakpoint there is met once a pass, with a hit limit it never
    // reaches.
    run_loop(state, load_loop,
             {{0x3F0, BP_PERM}, {0x4FF, BP_DATA | BP_WRITE | BP_PERM, 0x7FFFFFFF}});
}

void BM_RunLoopVideoStores(benchmark::State& state)
{
    run_loop(state, load_video_loop);
}

// The workload's rates are per second of processor time of the whole process
// (for the run loop: the CPU thread's), so that a machine busy with other
// work slows neither side's figure.
BENCHMARK(BM_WorkloadReferenceCore)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_WorkloadFetchAndCall)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_WorkloadTessalyRunLoop)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_WorkloadTessalyGo)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_RunLoop)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunLoopWithBreakpoints)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunLoopWithBreakpointsOnItsPages)
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
    if (!load_workload()) {
        fprintf(stderr, "cannot read the workload %s\n", TESSALY_WORKLOAD_BIN);
        return 1;
    }
    if (!cores_agree(run_tessaly, "the run loop") ||
        !cores_agree(run_fetch_and_call, "fetch and call"))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cpu6502_close(0, nullptr, nullptr);
    return 0;
}
