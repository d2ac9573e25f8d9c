// The virtual machine: the CPU thread and its hand-shake with the commands,
// breakpoints, run control, and the memory and register commands.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lock.h"

struct Switches;

// Bits of the CPU thread's status word, dwCPUFlags.
constexpr uint32_t CPU_RUN = 0x1;
constexpr uint32_t CPU_STEP = 0x2;
constexpr uint32_t CPU_HIT = 0x4;
constexpr uint32_t CPU_SYNC = 0x10000000;
constexpr uint32_t CPU_EXIT = 0x80000000;

// The status word as it is now.
uint32_t cpu6502_flags();
// The instructions the CPU has executed since the last breakpoint event (a
// record that triggered or traced), and the same with the count restarted.
int32_t cpu6502_count();
int32_t cpu6502_restart_count();
// The steps a trace has left to run on the CPU thread (1 between commands).
int32_t cpu6502_steps();

// Bits of Breakpoint::flags and of the lookups' query flags.
constexpr uint32_t BP_DATA = 0x1;
constexpr uint32_t BP_WRITE = 0x2;
constexpr uint32_t BP_TRACE = 0x4;
constexpr uint32_t BP_RANGE = 0x8;
constexpr uint32_t BP_PERM = 0x10000000;
constexpr uint32_t BP_HIT = 0x40000000;
constexpr uint32_t BP_REMOVE = 0x80000000;

struct Breakpoint {
    Breakpoint* pNext;
    uint32_t flags;
    int32_t addr;
    int32_t addrUpper;
    int32_t cHitLimit;
    int32_t cHitCount;
    int32_t cIns;
    int32_t cInsLimit;
};

// The message every command that needs the machine prints without one.
extern const char* const MSG_NOT_CREATED;

// True while the virtual machine (its CPU thread) exists.
bool cpu6502_exists();
// The same, printing MSG_NOT_CREATED when there is no machine.
bool cpu6502_required();

// Start-up: the opcode descriptor array, and the hooks by which the layers
// below report to the machine. False when the descriptor array is faulty.
bool cpu6502_init();
int cpu6502_create(int argc, char** argv, const Switches* sw);
int cpu6502_close(int argc, char** argv, const Switches* sw);

// The first record of the kind that q gives (BP_DATA, BP_WRITE) matching
// addr (with BP_RANGE in q: exactly the range addr..addrUpper); with
// BP_REMOVE in q the record is removed, and a copy of it returned. Null when
// none matches.
Breakpoint* bp_find(int32_t addr, int32_t addrUpper, uint32_t q);
// True when a code breakpoint matches addr (the disassembler's mark).
bool bp_marked(int32_t addr);
// Adds a breakpoint, or finds the identical one; null when a range is
// empty or no memory is left.
Breakpoint* bp_add(int32_t addr, int32_t addrUpper, uint32_t flags);
// The one-line description of a breakpoint, as `bp` lists it, without a
// newline; BP_TEXT_SIZE bytes always hold it.
constexpr size_t BP_TEXT_SIZE = 128;
void bp_format(const Breakpoint* bp, char* text, size_t size);
// The description and a newline.
void bp_print(const Breakpoint* bp);
void bp_clear();

// Command handlers.
int cmd_bp(int argc, char** argv, const Switches* sw);
int cmd_go(int argc, char** argv, const Switches* sw);
int cmd_halt(int argc, char** argv, const Switches* sw);
int cmd_break(int argc, char** argv, const Switches* sw);
int cmd_trace(int argc, char** argv, const Switches* sw);
int cmd_dump(int argc, char** argv, const Switches* sw);
int cmd_edit(int argc, char** argv, const Switches* sw);
int cmd_regs(int argc, char** argv, const Switches* sw);
int cmd_speed(int argc, char** argv, const Switches* sw);

// The -speed option: real or max.
int opt_speed(const char* value);
// The cycles the CPU has run at the machine's speed, since the program
// started (for measurements).
int64_t cpu6502_paced_cycles();
