// The CPU thread's status word, the steps a trace has left, and whether the
// machine exists: what the commands look at before they do anything, kept
// beneath the breakpoints, the commands and the CPU thread that use them.
#include <atomic>

#include "console.h"
#include "vm.h"
#include "vm_internal.h"

const char* const MSG_NOT_CREATED = "virtual machine not created, use 'create' to create\n";

// The status. The main thread and the CPU thread meet through dwCPUFlags and
// the two events of machine.cpp; every change of the flags from outside
// the CPU thread raises the machine lock's attention word, so that the
// running CPU looks at them.
struct StatusState {
    std::atomic<uint32_t> dwCPUFlags;
    std::atomic<int32_t> cTraceIns; // steps left of a trace
    std::atomic<bool> fCPUThread;   // the CPU thread exists: the machine exists
};
static StatusState statusState;

uint32_t cpu6502_flags()
{
    return statusState.dwCPUFlags.load();
}

void cpu6502_set_flags(uint32_t clear, uint32_t set)
{
    std::atomic<uint32_t>& flags = statusState.dwCPUFlags;
    uint32_t now = flags.load();
    while (!flags.compare_exchange_weak(now, (now & ~clear) | set)) {
    }
    cpu6502_flag_attention();
}

int32_t cpu6502_steps()
{
    return statusState.cTraceIns.load();
}

void cpu6502_set_steps(int32_t count)
{
    statusState.cTraceIns.store(count);
}

bool cpu6502_exists()
{
    return statusState.fCPUThread.load();
}

void cpu6502_set_exists(bool exists)
{
    statusState.fCPUThread.store(exists);
}

bool cpu6502_required()
{
    if (cpu6502_exists())
        return true;
    con_printf("%s", MSG_NOT_CREATED);
    return false;
}
