// The machine lock: whoever holds it may read and change the registers and
// emulated memory. The CPU thread holds it for as long as it executes
// instructions and hands it over between two instructions to any thread that
// asks (a command, a key event); a command that finds the CPU stopped gets it
// at once. Taking it is the only way another thread sees the registers and
// memory as the CPU left them: it orders the CPU's last writes before the
// reader's reads, which no flag polled with a time limit can do.
//
// Lock order: the machine lock first, then the breakpoint, keyboard,
// cassette, console or video locks. Nobody who holds one of those asks for
// the machine. A holder never waits for the CPU thread to do anything.
#pragma once

#include <atomic>
#include <cstdint>

struct MachineLock {
    MachineLock();
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;
};

// The CPU thread's side of the lock.
//
// What the running CPU must look at, in one word that the run loop reads
// after every instruction: how many threads other than the CPU thread hold
// the machine or wait for it (ATTN_WANTED), and ATTN_FLAGS once another
// thread has changed the CPU's orders (to stop or end it). While it is 0 the
// loop needs to read nothing else.
constexpr uint32_t ATTN_WANTED = 0xFFFF;
constexpr uint32_t ATTN_FLAGS = 0x10000;
const std::atomic<uint32_t>& cpu6502_attention();
// Raise and clear ATTN_FLAGS.
void cpu6502_flag_attention();
void cpu6502_clear_attention();

// The CPU thread takes the machine and lets go of it; while it has it, it
// counts as holding a machine lock (a command that it runs itself, its stop
// report, takes nothing more).
void cpu6502_acquire();
void cpu6502_release();
// Between two instructions: hands the machine to the threads that asked for
// it and takes it back once they are done; later requests wait for that.
void cpu6502_yield();
