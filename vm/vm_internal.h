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

// Kernel id of the CPU thread (0 when none).
extern std::atomic<int> idCPUThread;

// Guards the breakpoint list and bpRemoved. The CPU thread holds it only for
// a lookup and a copy of the record found; commands hold it across a lookup
// and every use of the record returned.
extern std::recursive_mutex mtxBp;
extern std::atomic<Breakpoint*> pbpList;
// What the run loop must look at after an instruction, one byte per 256-byte
// page of the address space: the device ranges (fixed) and the pages on
// which a breakpoint of each kind can match (rewritten whenever the list
// changes). An instruction whose pages have no bit set costs two table reads.
// A store into the page runs a device hook (video, keyboard, cassette, ROM);
// a read from it runs one (cassette).
constexpr uint8_t PG_DEV_WRITE = 0x01;
constexpr uint8_t PG_DEV_READ = 0x02;
constexpr uint8_t PG_BP_CODE = 0x04;
constexpr uint8_t PG_BP_READ = 0x08;
constexpr uint8_t PG_BP_WRITE = 0x10;
extern std::atomic<uint8_t> abPageChecks[256];

// For each kind of breakpoint (code, data read, data write) a bit map of the
// addresses its breakpoints can match.
enum { BPK_CODE, BPK_READ, BPK_WRITE };
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
// (or the machine ended). Must be called without the machine lock.
void cpu6502_run_sync(uint32_t mode);

// Clears CPU_RUN (and CPU_STEP): the CPU stops after the instruction in
// progress. The caller then takes the machine lock, which it gets once the
// CPU has stopped, to look at the stopped machine.
void cpu6502_halt();

// Waits until the CPU is neither running nor holding the machine (a stop
// that the CPU thread reports itself), or `ms` milliseconds have passed.
// True when it has stopped; the caller may then take the machine lock.
bool cpu6502_wait_stopped(int ms);
