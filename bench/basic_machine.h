// Shared by the benchmarks that boot one machine into BASIC for all their
// runs: the machine is booted when a benchmark first asks for it and closed
// after the last one.
#pragma once

#include <benchmark/benchmark.h>

#include "c1p_harness.h"

inline bool fBenchBooted = false;

// Boots the machine into BASIC the first time it is asked; true once BASIC
// waits at its prompt.
inline bool bench_start_basic()
{
    return fBenchBooted || (fBenchBooted = c1p::boot_basic());
}

// Runs the registered benchmarks, then closes the machine if one was booted.
inline int bench_run(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (fBenchBooted)
        c1p::shutdown();
    return 0;
}
