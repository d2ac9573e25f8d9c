// The virtual machine: creating and closing it, the CPU thread and its run
// loop, and the reports of a stopping CPU.
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "cpu6502.h"
#include "mem.h"
#include "console.h"
#include "video.h"
#include "vm.h"
#include "vm_internal.h"

std::atomic<uint32_t> dwCPUFlags;
std::atomic<int32_t> cInsExecuted;
std::atomic<int32_t> cTraceIns;
std::atomic<Event*> hevCPURun;
std::atomic<Event*> hevCPUStop;
std::atomic<int> idCPUThread;

const char* const MSG_NOT_CREATED = "virtual machine not created, use 'create' to create\n";

static Event evCPURun, evCPUStop;
static std::atomic<bool> fCPUThread; // the CPU thread exists: the machine exists
static std::thread hCPUThread;
static std::unique_ptr<OpDesc[]> pOpDesc6502;

// ---------------------------------------------------------------- flags and reports

void cpu6502_set_flags(uint32_t clear, uint32_t set)
{
    uint32_t flags = dwCPUFlags.load();
    while (!dwCPUFlags.compare_exchange_weak(flags, (flags & ~clear) | set)) {
    }
    cpu6502_flag_attention();
}

bool cpu6502_exists()
{
    return fCPUThread.load();
}

bool cpu6502_required()
{
    if (cpu6502_exists())
        return true;
    con_printf("%s", MSG_NOT_CREATED);
    return false;
}

bool cpu6502_init()
{
    pOpDesc6502 = gen_opdesc_array(&cpu6502);
    aOpDesc6502 = pOpDesc6502.get();
    // The layers below report to the machine: the video thread when its
    // window is shown (the creator waits for that) and when it is closed
    // (the machine ends with it); the disassembler asks whether the machine
    // exists and where code breakpoints stand.
    dev_hooks([] { cpu6502_stopped(false); }, cpu6502_exit);
    unassemble_hooks(cpu6502_required, bp_marked);
    return aOpDesc6502 != nullptr;
}

int32_t cpu6502_reset_vector()
{
    return abMem6502[0xFFFC] | (abMem6502[0xFFFD] << 8);
}

// The register display and a fresh prompt, for a stop that no command waits
// for.
static void cpu6502_report()
{
    con_printf("\n");
    cmd_regs(0, nullptr, nullptr);
    con_printf("%s", PROMPT);
}

// The CPU has stopped on its own: wake the waiting command, or report the
// stop itself. Either way the CPU thread still holds the machine, so the
// command sees the registers only once the report is done.
static void cpu6502_stop_report()
{
    if (dwCPUFlags.load() & CPU_SYNC) {
        if (Event* ev = hevCPUStop.load())
            evt_set(ev);
    } else {
        cpu6502_report();
    }
}

// The CPU stops itself, on a breakpoint hit or an undefined opcode: the
// reason, then the waiting command is woken or the stop reported. A report
// of its own starts on a fresh line and runs on into the register display.
static void cpu6502_hit(const char* reason)
{
    dwCPUFlags.fetch_or(CPU_HIT);
    bool sync = dwCPUFlags.load() & CPU_SYNC;
    con_printf(sync ? "%s\n" : "\n%s", reason);
    dwCPUFlags.fetch_and(~(CPU_RUN | CPU_STEP));
    cpu6502_stop_report();
}

void cpu6502_stopped(bool interactive)
{
    if (dwCPUFlags.load() & CPU_SYNC) {
        if (Event* ev = hevCPUStop.load())
            evt_set(ev);
        return;
    }
    MachineLock lock;
    if (interactive)
        con_printf("\n");
    cmd_regs(0, nullptr, nullptr);
    if (interactive)
        con_printf("%s", PROMPT);
}

// Waits until the video window is shown (its thread signals hevCPUStop), in
// short slices: when the video thread ends without showing one, the wait
// gives up with that thread's error code. Returns 0 or the error code.
int cpu6502_wait()
{
    int err = 0;
    Event* ev = hevCPUStop.load();
    while (ev && !(dwCPUFlags.load() & CPU_EXIT) && !evt_wait_for(ev, 50)) {
        if (!dev_exists()) {
            err = dev_error() ? dev_error() : EIO;
            break;
        }
    }
    dwCPUFlags.fetch_and(~CPU_SYNC);
    return err;
}

void cpu6502_run_sync(uint32_t mode)
{
    Event* evRun = hevCPURun.load();
    Event* evStop = hevCPUStop.load();
    if (!evRun || !evStop)
        return;
    evt_reset(evStop);
    // Stepping is on only when asked for: a trace halted by Ctrl-C leaves
    // CPU_STEP behind.
    cpu6502_set_flags(CPU_HIT | CPU_STEP, mode | CPU_SYNC);
    evt_set(evRun);
    // Done when CPU_RUN is clear (the CPU stopped, or a Ctrl-C halted it), or
    // when the machine ends (closing the window ends it during a trace).
    for (;;) {
        uint32_t now = dwCPUFlags.load();
        if ((now & CPU_EXIT) || !cpu6502_exists() || !(now & CPU_RUN))
            break;
        evt_wait_for(evStop, 100);
    }
    // The CPU thread reports a stop while it holds the machine; once the
    // machine is ours it has done so, and CPU_SYNC may go.
    {
        MachineLock lock;
    }
    dwCPUFlags.fetch_and(~CPU_SYNC);
}

void cpu6502_halt()
{
    // A halted CPU is not stepping either: a later `go` must run free.
    cpu6502_set_flags(CPU_RUN | CPU_STEP, 0);
}

bool cpu6502_wait_stopped(int ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (dwCPUFlags.load() & CPU_RUN) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    MachineLock lock;
    return true;
}

void cpu6502_exit()
{
    if (Event* ev = hevCPURun.load()) {
        cpu6502_set_flags(CPU_HIT, CPU_EXIT);
        evt_set(ev);
    }
}

// ---------------------------------------------------------------- the run loop

// Looks up the breakpoints of one access (q: the lookup's flags; addr: the
// data address, or the next instruction's address for code) after an
// instruction; prints a trace line and stops the CPU as the record found
// says. True when the CPU stopped.
static bool cpu6502_check_bp(int32_t addr, uint32_t q, int32_t pc)
{
    Breakpoint found;
    {
        std::lock_guard<std::recursive_mutex> lock(mtxBp);
        Breakpoint* bp = bp_find(addr, 0, q);
        if (!bp)
            return false;
        found = *bp;
    }
    if ((found.flags & BP_TRACE) && !(q & BP_DATA))
        con_printf("trace:  exec near 0x%04x (ins=%d)\n", pc & 0xFFFF, found.cIns);
    else if (found.flags & BP_TRACE)
        con_printf((q & BP_WRITE) ? "trace: write 0x%04x near 0x%04x (ins=%d)\n"
                                  : "trace:  read 0x%04x near 0x%04x (ins=%d)\n",
                   addr, pc & 0xFFFF, found.cIns);
    if (found.flags & BP_HIT) {
        char reason[BP_TEXT_SIZE + 8] = "hit: ";
        bp_format(&found, reason + 5, sizeof reason - 5);
        cpu6502_hit(reason);
        return true;
    }
    return false;
}

// The checks after an instruction that its pages ask for: the device hooks,
// then the data breakpoints, then the code breakpoints at pc (the next
// instruction). True when the CPU stopped.
static bool cpu6502_checks(int32_t ea, bool write, uint8_t pgData, int32_t pc, uint8_t pgCode)
{
    if (write) {
        if (pgData & PG_DEV_WRITE)
            mem_after_store(static_cast<uint32_t>(ea));
        if ((pgData & PG_BP_WRITE) && bp_mapped(BPK_WRITE, ea) &&
            cpu6502_check_bp(ea, BP_HIT | BP_DATA | BP_WRITE, pc))
            return true;
    } else {
        if (pgData & PG_DEV_READ)
            mem_after_read(static_cast<uint32_t>(ea));
        if ((pgData & PG_BP_READ) && bp_mapped(BPK_READ, ea) &&
            cpu6502_check_bp(ea, BP_HIT | BP_DATA, pc))
            return true;
    }
    return (pgCode & PG_BP_CODE) && bp_mapped(BPK_CODE, pc) && cpu6502_check_bp(pc, BP_HIT, pc);
}

// Executes instructions while the CPU is to run as `flags` says (CPU_RUN
// set) and no other thread wants the machine. After each instruction PC is
// kept within 16 bits and S within 8, as the processor's registers are.
// Stepping (counting down cTraceIns) and running free are two copies of the
// loop, so that the free one carries no count.
template <bool fStep>
static void cpu6502_run(uint32_t flags)
{
    int32_t& rPC = aReg6502[REG_PC].value;
    int32_t& rS = aReg6502[REG_S].value;
    int32_t& rEA = aReg6502[REG_EA].value;
    // The write flag is bit 0 of EF, which the opcode functions set through
    // its low byte: the loop reads and clears it through that byte too, as a
    // whole-word access right after a byte store stalls the processor.
    byte& bEF = *reinterpret_cast<byte*>(&aReg6502[REG_EF].value);
    const std::atomic<uint32_t>& attention = cpu6502_attention();
    int32_t cStep = cTraceIns.load(std::memory_order_relaxed);
    int32_t cIns = cInsExecuted.load(std::memory_order_relaxed);
    int32_t pc = rPC & 0xFFFF;
    rS &= 0xFF;
    for (;;) {
        const byte opcode = abMem6502[pc];
        rPC = pc + 1;
        bEF &= ~1;
        rEA = 0xFFFF;
        // A word read at 0xFFFF takes its high byte from 0x0000. Only an
        // instruction at 0xFFFE (its operand word) and JMP (indirect) (its
        // pointer) can read one.
        if ((pc == 0xFFFE) | (opcode == 0x6C))
            abMem6502[MEM_SIZE6502] = abMem6502[0];
        aPfnOp6502[opcode]();
        // Registers are written back only when an instruction took them out
        // of their width, which few do.
        const int32_t pcLast = pc;
        pc = rPC;
        if (static_cast<uint32_t>(pc) > 0xFFFF)
            rPC = pc &= 0xFFFF;
        if (static_cast<uint32_t>(rS) > 0xFF)
            rS &= 0xFF;
        cInsExecuted.store(++cIns, std::memory_order_relaxed);
        if (fOpUndefined) {
            fOpUndefined = 0;
            // PC stays past the opcode, as after any instruction.
            char reason[48];
            snprintf(reason, sizeof reason, "undefined opcode 0x%02x at 0x%04x", opcode,
                     pcLast & 0xFFFF);
            cpu6502_hit(reason);
            break;
        }

        const int32_t ea = rEA & 0xFFFF;
        const bool write = bEF & 1;
        const uint8_t pgData = abPageChecks[ea >> 8].load(std::memory_order_relaxed) &
                               (write ? PG_DEV_WRITE | PG_BP_WRITE : PG_DEV_READ | PG_BP_READ);
        const uint8_t pgCode = abPageChecks[pc >> 8].load(std::memory_order_relaxed) & PG_BP_CODE;
        if (pgData | pgCode) {
            bool stopped = cpu6502_checks(ea, write, pgData, pc, pgCode);
            // A breakpoint event restarts the instruction count.
            cIns = cInsExecuted.load(std::memory_order_relaxed);
            pc = rPC & 0xFFFF;
            if (stopped)
                break;
        }

        if (fStep && --cStep == 0) {
            dwCPUFlags.fetch_and(~(CPU_RUN | CPU_STEP));
            cTraceIns.store(0, std::memory_order_relaxed);
            cpu6502_stop_report();
            return;
        }
        if (attention.load(std::memory_order_relaxed) != 0)
            break;
        // Every change of the flags raises ATTN_FLAGS; they are compared
        // now and then all the same.
        if ((cIns & 0xFFF) == 0 && dwCPUFlags.load(std::memory_order_relaxed) != flags)
            break;
    }
    if (fStep)
        cTraceIns.store(cStep, std::memory_order_relaxed);
}

static void cpu6502_thread()
{
    cpu6502_acquire();
    aReg6502[REG_LA].value = aReg6502[REG_PC].value = cpu6502_reset_vector();
    // Publishing the id tells `create` that the thread has started and PC
    // holds the reset vector.
    idCPUThread = plat_thread_id();
    bool fRan = false;
    for (;;) {
        cpu6502_yield();
        // Cleared before the flags are read: a change from now on raises it
        // again.
        cpu6502_clear_attention();
        uint32_t flags = dwCPUFlags.load(std::memory_order_acquire);
        if (flags & CPU_EXIT)
            break;
        if (!(flags & CPU_RUN)) {
            // Halted by another thread while a command waits for the stop:
            // wake it (it also polls, so a lost wake-up costs only time).
            if (fRan && (flags & CPU_SYNC))
                evt_set(&evCPUStop);
            fRan = false;
            cpu6502_release();
            evt_wait(&evCPURun);
            cpu6502_acquire();
            continue;
        }
        fRan = true;
        if (flags & CPU_STEP)
            cpu6502_run<true>(flags);
        else
            cpu6502_run<false>(flags);
    }

    // Exit sequence: the machine no longer exists. A command still waiting
    // for a stop is woken.
    idCPUThread = 0;
    fCPUThread = false;
    hevCPURun = nullptr;
    hevCPUStop = nullptr;
    dwCPUFlags = 0;
    evt_set(&evCPUStop);
    cpu6502_release();
}

void cpu6502_lower_priority()
{
    if (int tid = idCPUThread.load())
        plat_lower_priority(tid);
}

int cpu6502_create(int argc, char** argv, const Switches* sw)
{
    if (cpu6502_exists()) {
        con_printf("virtual machine already created, use 'close' to destroy\n");
        return 0;
    }
    // A thread that ended on its own (its window was closed) is collected.
    if (hCPUThread.joinable())
        hCPUThread.join();

    dwCPUFlags = CPU_SYNC;
    evt_reset(&evCPURun);
    evt_reset(&evCPUStop);
    hevCPURun = &evCPURun;
    hevCPUStop = &evCPUStop;

    int err = dev_create(argc, argv, sw, &devVideo);
    if (err == 0)
        err = cpu6502_wait();
    if (err == 0) {
        fCPUThread = true;
        try {
            hCPUThread = std::thread(cpu6502_thread);
        } catch (const std::system_error& e) {
            fCPUThread = false;
            err = e.code().value() ? e.code().value() : EAGAIN;
        }
        if (err == 0) {
            while (idCPUThread.load() == 0 && cpu6502_exists())
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            return 0;
        }
    }
    dev_close(argc, argv, sw, &devVideo);
    con_printf("cpu6502_create: unable to create virtual machine (%d)\n", err);
    hevCPUStop = nullptr;
    hevCPURun = nullptr;
    dwCPUFlags = 0;
    return err;
}

int cpu6502_close(int argc, char** argv, const Switches* sw)
{
    if (argc != 0 && !cpu6502_required())
        return 0;
    if (Event* ev = hevCPURun.load()) {
        cpu6502_set_flags(CPU_HIT, CPU_EXIT);
        evt_set(ev);
    }
    dev_close(argc, argv, sw, &devVideo);
    // The CPU thread ends as soon as it sees CPU_EXIT; waiting for it means
    // that a `create` right after `close` finds no machine, and that the
    // process never ends under a running CPU thread.
    if (hCPUThread.joinable())
        hCPUThread.join();
    return 0;
}
