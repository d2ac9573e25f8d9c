// The host's processor time that a machine idling at BASIC's prompt costs,
// paced to the machine's clock (`speed real`) and flat out (`speed max`),
// on a headless machine. The firmware polls the keyboard all the while, so
// the CPU never stops: paced, it runs the machine's 983,040 cycles a second
// and sleeps between slices of them; flat out, it keeps a host core busy.
//
//   build/bench/pace_bench
//
// Counters: cpu_percent, the process's processor time (all its threads,
// user and system, from getrusage) per wall-clock time, in percent of one
// core; mhz, the emulated clock the paced CPU achieved (cycles run per
// wall-clock second); ips, 6502 instructions per wall-clock second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <sys/resource.h>
#include <thread>

#include "basic_machine.h"
#include "vm.h"

namespace
{

double cpu_seconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

void BM_IdleAtThePrompt(benchmark::State& state, const char* speed)
{
    if (!bench_start_basic()) {
        state.SkipWithError("BASIC did not start");
        return;
    }
    c1p::cmd(std::string("speed ") + speed);
    // The first slices settle before the measurement.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int seconds = static_cast<int>(state.range(0));
    double cpu = 0, wall = 0, cycles = 0, ins = 0;
    for (auto _ : state) {
        const double cpu0 = cpu_seconds();
        const int64_t cycles0 = cpu6502_paced_cycles();
        const uint32_t ins0 = c1p::instructions();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ins = c1p::instructions() - ins0;
        cycles = static_cast<double>(cpu6502_paced_cycles() - cycles0);
        cpu = cpu_seconds() - cpu0;
        state.SetIterationTime(wall);
    }
    c1p::cmd("speed max");
    if (c1p::last_line() != "OK")
        state.SkipWithError(("not at the prompt: " + c1p::screen_text()).c_str());
    state.counters["cpu_percent"] = 100 * cpu / wall;
    state.counters["mhz"] = cycles / wall / 1e6;
    state.counters["ips"] = ins / wall;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("IdlePaced", BM_IdleAtThePrompt, "real")
        ->Arg(5)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("IdleFlatOut", BM_IdleAtThePrompt, "max")
        ->Arg(2)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    return bench_run(argc, argv);
}
