// Real speed: the CPU thread paced to the Challenger 1P's clock, and the
// `speed` command and -speed option that turn it on and off.
//
// A paced CPU runs a slice of cycles flat out, then sleeps until the moment
// the machine would have finished them. The deadlines count from the start
// of the paced run, so that the host's late wake-ups do not add up; a CPU
// that has fallen far behind (a busy host, a command holding the machine)
// starts counting afresh instead of racing to catch up.
#include <atomic>
#include <chrono>
#include <strings.h>

#include "console.h"
#include "vm.h"
#include "vm_internal.h"

// Whether the CPU is paced, and the cycles it has run paced.
struct PaceState {
    std::atomic<bool> fPaced;
    std::atomic<int64_t> cCyclesPaced;
};
static PaceState paceState;

constexpr int64_t NS_PER_S = 1000000000;

int64_t pace_now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void pace_start(Pacer* p, int64_t nsNow)
{
    p->nsStart = nsNow;
    p->cCycles = 0;
}

int64_t pace_due(Pacer* p, int64_t nsNow)
{
    const int64_t nsDue = p->nsStart + p->cCycles * NS_PER_S / C1P_CLOCK_HZ;
    if (nsNow - nsDue > PACE_LAG_MAX_NS) {
        pace_start(p, nsNow);
        return 0;
    }
    return nsDue > nsNow ? nsDue - nsNow : 0;
}

void pace_add(Pacer* p, int64_t cCycles)
{
    p->cCycles += cCycles;
    // Whole seconds of cycles move into the start time, so that the count,
    // and its product with the nanoseconds of a second, stay small.
    p->nsStart += p->cCycles / C1P_CLOCK_HZ * NS_PER_S;
    p->cCycles %= C1P_CLOCK_HZ;
    paceState.cCyclesPaced.fetch_add(cCycles, std::memory_order_relaxed);
}

bool pace_on()
{
    return paceState.fPaced.load(std::memory_order_relaxed);
}

int64_t cpu6502_paced_cycles()
{
    return paceState.cCyclesPaced.load(std::memory_order_relaxed);
}

// Sets the speed from its name; false when the name is none of them.
static bool pace_set(const char* name)
{
    bool fPaced;
    if (strcasecmp(name, "real") == 0)
        fPaced = true;
    else if (strcasecmp(name, "max") == 0)
        fPaced = false;
    else
        return false;
    paceState.fPaced.store(fPaced);
    // A CPU running flat out looks at the speed again.
    cpu6502_flag_attention();
    return true;
}

static void pace_bad(const char* name)
{
    con_printf("CPU speed '%s' must be real or max\n", name);
}

int cmd_speed(int argc, char** argv, const Switches*)
{
    if (argc > 1 && !pace_set(argv[1])) {
        pace_bad(argv[1]);
        return 0;
    }
    if (pace_on())
        con_printf("speed real: the CPU runs at the machine's %.3f MHz\n", C1P_CLOCK_HZ / 1e6);
    else
        con_printf("speed max: the CPU runs flat out\n");
    return 0;
}

int opt_speed(const char* value)
{
    if (pace_set(value))
        return 1;
    pace_bad(value);
    return 0;
}
