// Shared between the files of the virtual machine only.
#pragma once

#include <atomic>
#include <mutex>

#include "platform.h"
#include "vm.h"

// The two auto-reset events; null while no machine exists. The event objects
// themselves live for the whole process, so a thread that read a pointer just
// before the machine ended signals a harmless, still valid object.
extern std::atomic<Event*> hevCPURun;
extern std::atomic<Event*> hevCPUStop;

// True once the CPU thread has finished with registers and memory after a
// stop, until it is started again. A command waiting for a stop waits for
// this, not only for the event, so a stray signal cannot wake it early.
extern std::atomic<bool> fCPUIdle;

// Kernel id of the CPU thread (0 when none).
extern std::atomic<int> idCPUThread;

// Guards the breakpoint list and bpRemoved. The CPU thread holds it only for
// a lookup and a copy of the record found; commands hold it across a lookup
// and every use of the record returned.
extern std::recursive_mutex mtxBp;
extern std::atomic<Breakpoint*> pbpList;
// The kinds of breakpoint in the list (bit 1 << BPK_...), and for each kind
// a map of the addresses its breakpoints can match: the run loop makes only
// the lookups that can find something (none at all while the list is empty).
enum { BPK_CODE, BPK_READ, BPK_WRITE };
extern std::atomic<uint32_t> dwBpKinds;
extern std::atomic<uint64_t> aqwBpMap[3][1024];

inline bool bp_mapped(int kind, int32_t addr)
{
    return (aqwBpMap[kind][addr >> 6].load(std::memory_order_relaxed) >> (addr & 63)) & 1;
}

// Adds like bp_add; *created tells whether a new record was made.
Breakpoint* bp_add_ex(int32_t addr, int32_t addrUpper, uint32_t flags, bool* created);
// Removes exactly this record if it is still in the list.
void bp_remove_record(const Breakpoint* bp);

// Clears and sets bits of dwCPUFlags in one atomic step.
void cpu6502_set_flags(uint32_t clear, uint32_t set);

// Reads the reset vector at 0xFFFC.
int32_t cpu6502_reset_vector();

// Lowers the CPU thread to below-normal priority.
void cpu6502_lower_priority();

// Sets `mode` and CPU_SYNC, starts the CPU and waits until it has stopped
// (or the machine ended).
void cpu6502_run_sync(uint32_t mode);
