// Shared between the files of the virtual machine only.
#pragma once

#include <atomic>

#include "vm.h"

// ---------------------------------------------------------------- status (status.cpp)

// Clears and sets bits of the status word in one atomic step, and has the
// running CPU look at it.
void cpu6502_set_flags(uint32_t clear, uint32_t set);
// Sets the steps of the next trace.
void cpu6502_set_steps(int32_t count);
// The CPU thread says that it exists, or no longer does.
void cpu6502_set_exists(bool exists);

// ---------------------------------------------------------------- breakpoints (bp.cpp)

// What the run loop must look at after an instruction, one byte per 256-byte
// page of the address space: the device pages of the memory map (fixed) and
// the pages on which a breakpoint of each kind can match. An instruction
// whose pages have no bit set costs two table reads. A store into the page
// runs a device hook (video, keyboard, cassette, ROM); a read from it runs
// one (cassette).
constexpr uint8_t PG_DEV_WRITE = 0x01;
constexpr uint8_t PG_DEV_READ = 0x02;
constexpr uint8_t PG_BP_CODE = 0x04;
constexpr uint8_t PG_BP_READ = 0x08;
constexpr uint8_t PG_BP_WRITE = 0x10;

// The kinds of breakpoint.
enum { BPK_CODE, BPK_READ, BPK_WRITE, C_BP_KINDS };

// The page table and, for each kind of breakpoint, a bit map of the
// addresses its breakpoints can match. bp.cpp rewrites them whenever the
// list changes; the run loop reads them after every instruction, through
// the read-only view that bp_tables gives.
struct BpTables {
    std::atomic<uint8_t> abPageChecks[256];
    std::atomic<uint64_t> aqwBpMap[C_BP_KINDS][0x10000 / 64];
};
const BpTables& bp_tables();

inline bool bp_mapped(const BpTables& tables, int kind, int32_t addr)
{
    return (tables.aqwBpMap[kind][addr >> 6].load(std::memory_order_relaxed) >> (addr & 63)) & 1;
}

// The CPU thread's lookup after an instruction (addr: the data address, or
// the next instruction's address for code; q: BP_DATA and BP_WRITE as the
// access was): a match counts against its record's thresholds, *pcIns being
// the instructions executed since the last breakpoint event. The first
// record that meets a threshold (BP_HIT then set) or traces is copied into
// *found with that count, the count restarts at 0, and a temporary record is
// removed. False when no record did.
bool bp_hit(int32_t addr, uint32_t q, int32_t* pcIns, Breakpoint* found);
// Adds like bp_add; *created tells whether a new record was made.
Breakpoint* bp_add_ex(int32_t addr, int32_t addrUpper, uint32_t flags, bool* created);
// Adds like bp_add, sets the thresholds that /h:# and /i:# of `sw` (if any)
// give, and prints the record; false after "unable to allocate breakpoint".
bool bp_set(int32_t addr, int32_t addrUpper, uint32_t flags, const Switches* sw);
// An address parameter of `bp` and `go` (see parse_value), reduced to 16
// bits as every memory access is: a breakpoint at 0x12345 would never match.
int32_t bp_address(const char* text);
// Removes exactly this record if it is still in the list.
void bp_remove_record(const Breakpoint* bp);

// ---------------------------------------------------------------- real speed (pace.cpp)

// The machine's clock: a 3.93216 MHz crystal divided by 4.
constexpr int64_t C1P_CLOCK_HZ = 983040;
// A paced CPU runs this many cycles (10 ms of the machine's time) between
// two looks at the host's clock.
constexpr int32_t PACE_SLICE_CYCLES = static_cast<int32_t>(C1P_CLOCK_HZ / 100);
// A paced CPU this far behind its deadline starts counting afresh.
constexpr int64_t PACE_LAG_MAX_NS = 100000000;

// A paced run: the host time (steady clock, nanoseconds) at which it began,
// and the cycles run since.
struct Pacer {
    int64_t nsStart;
    int64_t cCycles;
};
// The steady clock in nanoseconds.
int64_t pace_now();
// Starts counting at nsNow.
void pace_start(Pacer* p, int64_t nsNow);
// The nanoseconds until the cycles run so far are due (0: run on); a run
// more than PACE_LAG_MAX_NS behind starts counting afresh at nsNow.
int64_t pace_due(Pacer* p, int64_t nsNow);
// Counts cycles that have run.
void pace_add(Pacer* p, int64_t cCycles);
// True while the CPU is to run at the machine's speed.
bool pace_on();

// ---------------------------------------------------------------- the CPU thread (machine.cpp)

// Reads the reset vector at 0xFFFC.
int32_t cpu6502_reset_vector();

// Lowers the CPU thread to below-normal priority.
void cpu6502_lower_priority();

// Sets `mode` (CPU_RUN, and CPU_STEP to count steps down) and starts the CPU
// without waiting for it.
void cpu6502_start(uint32_t mode);

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

// The CPU has stopped: wakes the command that waits for the stop, or shows
// the register display (after a fresh line and with a fresh prompt when
// `interactive`).
void cpu6502_stopped(bool interactive);
