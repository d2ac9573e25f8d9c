// The machine lock and its hand-over between the CPU thread and the others.
#include <mutex>

#include "lock.h"

// The lock's state. fCPUReturning is set while the CPU thread, having given
// the machine to the threads that asked, waits to take it back: new requests
// wait until it has, so that requests coming one after another cannot hold a
// running CPU off for ever.
struct LockState {
    std::mutex mtxMachine;
    std::atomic<uint32_t> dwCPUAttention;
    std::atomic<bool> fCPUReturning;
};
static LockState lockState;

// How many machine locks this thread holds (the CPU thread counts itself
// while it has the machine): a nested lock takes nothing more. One per
// thread, so it stands outside the record.
static thread_local int cMachineHeld;

MachineLock::MachineLock()
{
    if (cMachineHeld++ > 0)
        return;
    while (lockState.fCPUReturning.load())
        lockState.fCPUReturning.wait(true);
    lockState.dwCPUAttention.fetch_add(1);
    lockState.mtxMachine.lock();
}

MachineLock::~MachineLock()
{
    if (--cMachineHeld > 0)
        return;
    lockState.mtxMachine.unlock();
    lockState.dwCPUAttention.fetch_sub(1);
    lockState.dwCPUAttention.notify_all();
}

const std::atomic<uint32_t>& cpu6502_attention()
{
    return lockState.dwCPUAttention;
}

void cpu6502_flag_attention()
{
    lockState.dwCPUAttention.fetch_or(ATTN_FLAGS);
}

void cpu6502_clear_attention()
{
    lockState.dwCPUAttention.fetch_and(~ATTN_FLAGS);
}

void cpu6502_acquire()
{
    lockState.mtxMachine.lock();
    cMachineHeld = 1;
}

void cpu6502_release()
{
    cMachineHeld = 0;
    lockState.mtxMachine.unlock();
}

void cpu6502_yield()
{
    std::atomic<uint32_t>& attention = lockState.dwCPUAttention;
    if (!(attention.load() & ATTN_WANTED))
        return;
    lockState.fCPUReturning = true;
    cpu6502_release();
    for (uint32_t n; (n = attention.load()) & ATTN_WANTED;)
        attention.wait(n);
    cpu6502_acquire();
    lockState.fCPUReturning = false;
    lockState.fCPUReturning.notify_all();
}
