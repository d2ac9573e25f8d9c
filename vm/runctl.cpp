// Run control: go, halt, break, trace and ptrace.
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "console.h"
#include "cpu6502.h"
#include "mem.h"
#include "video.h"
#include "vm.h"
#include "vm_internal.h"

// The run-control commands' state.
struct RunCtlState {
    uint32_t fTraceVerbose; // bit 0: each trace step shows the full register display
    // Set by Ctrl-C: a trace of several steps ends after the step in
    // progress, instead of going on with the next one.
    std::atomic<bool> fTraceCancel;
};
static RunCtlState runCtlState;

int cmd_go(int argc, char** argv, const Switches*)
{
    if (!cpu6502_exists()) {
        // The first `go` of a session boots the machine.
        if (!mem_roms_loaded() && mem_load(nullptr) && mem_roms_loaded() &&
            cpu6502_create(0, nullptr, nullptr) == 0)
            cpu6502_lower_priority();
        if (!cpu6502_required())
            return 0;
    }
    if (cpu6502_flags() & CPU_RUN) {
        con_printf("CPU already running, use 'halt' to stop\n");
        dev_show();
        return 0;
    }
    if (argc > 1) {
        MachineLock machine;
        parse_value_notices(argc, argv, 1, 2);
        int32_t upper = argc > 2 ? bp_address(argv[2]) : 0;
        if (!bp_set(bp_address(argv[1]), upper, argc > 2 ? BP_RANGE : 0, nullptr))
            return 0;
    }
    // The message comes before the start, so that it always stands before
    // whatever the running CPU prints.
    if (argc <= 1) {
        con_printf("CPU now running, use 'halt' to stop\n");
        if (argc == 1)
            dev_show();
    }
    cpu6502_start(CPU_RUN);
    return 0;
}

int cmd_halt(int argc, char**, const Switches*)
{
    if (argc == 0)
        runCtlState.fTraceCancel = true;
    if (!cpu6502_exists()) {
        if (argc != 0)
            con_printf("%s", MSG_NOT_CREATED);
        return 0;
    }
    if (!(cpu6502_flags() & CPU_RUN)) {
        if (argc > 0)
            con_printf("CPU not running\n");
        return 0;
    }
    // The CPU finishes the instruction in progress before the machine is
    // ours, so what is shown is the state between two instructions.
    cpu6502_halt();
    MachineLock machine;
    cpu6502_stopped(argc == 0);
    return 0;
}

// Puts PC and LA at the reset vector.
static void cpu6502_reset_pc()
{
    Reg* la = reg_find("LA");
    la->value = cpu6502_reset_vector();
    reg_find("PC")->value = la->value;
}

int cmd_break(int, char**, const Switches*)
{
    if (!cpu6502_required())
        return 0;
    bool running = cpu6502_flags() & CPU_RUN;
    if (running)
        cpu6502_halt();
    MachineLock machine;
    cpu6502_reset_pc();
    if (running)
        cpu6502_stopped(false);
    return 0;
}

// `trace` and `ptrace` share this handler; the command word as typed tells
// them apart ('p' is ptrace, which steps over subroutine calls).
int cmd_trace(int argc, char** argv, const Switches* sw)
{
    if (!cpu6502_required())
        return 0;
    if (cpu6502_flags() & CPU_RUN) {
        con_printf("CPU already running, use 'halt' to stop\n");
        return 0;
    }
    bool ptrace = tolower(static_cast<unsigned char>(argv[0][0])) == 'p';
    if (sw->mask & SW_V)
        runCtlState.fTraceVerbose |= 1;
    else if (sw->mask & SW_Q)
        runCtlState.fTraceVerbose &= ~1u;
    if (argc > 1) {
        unsigned long count = strtoul(argv[1], nullptr, 10);
        if (count > 0x7FFFFFFF)
            count = 0x7FFFFFFF;
        if (!argv[1][0] || argv[1][strspn(argv[1], "0123456789")] != 0)
            con_printf("note: '%s' is not a decimal count; it reads as %lu\n", argv[1], count);
        cpu6502_set_steps(static_cast<int32_t>(count));
    }
    if (cpu6502_steps() <= 0)
        cpu6502_set_steps(1);

    // A quiet trace (not logged) runs all its steps on the CPU thread; any
    // other shows each step, one step at a time.
    int32_t cSteps = 1;
    if (!((sw->mask & SW_Q) && !((sw->mask & SW_L) && log_active()))) {
        cSteps = cpu6502_steps();
        cpu6502_set_steps(1);
    }
    Reg* pc = reg_find("PC");
    runCtlState.fTraceCancel = false;
    bool quietOrLogged = sw->mask & (SW_Q | SW_L);
    for (int32_t k = 1; k <= cSteps; k++) {
        uint32_t mode = CPU_RUN | CPU_STEP;
        Breakpoint* bpReturn = nullptr;
        bool call;
        int32_t addrReturn;
        {
            MachineLock machine;
            call = ptrace && abMem6502[pc->value & 0xFFFF] == 0x20;
            // The return address wraps within the 16-bit address space.
            addrReturn = (pc->value + 3) & 0xFFFF;
        }
        if (call) {
            bool created = false;
            Breakpoint* bp = bp_add_ex(addrReturn, 0, 0, &created);
            if (bp) {
                mode = CPU_RUN;
                if (created)
                    bpReturn = bp;
            }
        }
        cpu6502_run_sync(mode);
        // A subroutine that never returned was stopped some other way: its
        // temporary breakpoint goes with the command. (When it triggered,
        // the CPU thread has removed it already; nothing was allocated in
        // the meantime, so the pointer cannot name another record.)
        if (bpReturn)
            bp_remove_record(bpReturn);
        if (!cpu6502_exists())
            break;

        MachineLock machine;
        if (quietOrLogged)
            con_disable();
        if (con_active()) {
            int stepArgc = argc > 1 ? -k : 0;
            if (runCtlState.fTraceVerbose & 1)
                cmd_regs(stepArgc, nullptr, nullptr);
            else
                unassemble(stepArgc, nullptr, nullptr);
        }
        if (quietOrLogged)
            con_enable();
        cpu6502_set_steps(1);
        if ((cpu6502_flags() & CPU_HIT) || runCtlState.fTraceCancel.load())
            break;
    }
    return 0;
}
