// The virtual machine: creating and closing it, the CPU thread and its run
// loop, and the reports of a stopping CPU.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>
#include <thread>

#include "console.h"
#include "cpu6502.h"
#include "mem.h"
#include "platform.h"
#include "video.h"
#include "vm.h"
#include "vm_internal.h"

// The machine's state: the instruction count, the CPU thread and the two
// auto-reset events by which the commands start it and hear of its stops.
// The event pointers are null while no machine exists; the event objects
// themselves live for the whole process, so a thread that read a pointer
// just before the machine ended signals a harmless, still valid object.
struct MachineState {
    std::atomic<int32_t> cInsExecuted; // since the last breakpoint event
    Event evCPURun, evCPUStop;
    std::atomic<Event*> hevCPURun;  // wakes the CPU thread
    std::atomic<Event*> hevCPUStop; // wakes a command that waits for a stop
    std::atomic<int> idCPUThread;   // kernel id of the CPU thread (0 when none)
    std::thread hCPUThread;
    std::unique_ptr<OpDesc[]> pOpDesc6502; // what aOpDesc6502 points at
};
static MachineState machineState;

// ---------------------------------------------------------------- start-up and counts

static void cpu6502_exit();

bool cpu6502_init()
{
    machineState.pOpDesc6502 = gen_opdesc_array(&cpu6502);
    aOpDesc6502 = machineState.pOpDesc6502.get();
    cyc6502_init(aOpDesc6502, cpu6502.numOpcodes);
    // The layers below report to the machine: the video thread when its
    // window is shown (the creator waits for that) and when it is closed
    // (the machine ends with it); the disassembler asks whether the machine
    // exists and where code breakpoints stand.
    dev_hooks([] { cpu6502_stopped(false); }, cpu6502_exit);
    unassemble_hooks(cpu6502_required, bp_marked);
    return aOpDesc6502 != nullptr;
}

int32_t cpu6502_count()
{
    return machineState.cInsExecuted.load();
}

int32_t cpu6502_restart_count()
{
    return machineState.cInsExecuted.exchange(0);
}

int32_t cpu6502_reset_vector()
{
    return abMem6502[0xFFFC] | (abMem6502[0xFFFD] << 8);
}

void cpu6502_lower_priority()
{
    if (int tid = machineState.idCPUThread.load())
        plat_lower_priority(tid);
}

// ---------------------------------------------------------------- stops

// Whenever the CPU stops, the CPU thread still holds the machine: a command
// that waits for the stop sees the registers only once the report is done.
void cpu6502_stopped(bool interactive)
{
    if (cpu6502_flags() & CPU_SYNC) {
        if (Event* ev = machineState.hevCPUStop.load())
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

// The CPU stops itself, on a breakpoint hit or an undefined opcode: the
// reason, then the waiting command is woken or the stop reported. A report
// of its own starts on a fresh line and runs on into the register display.
static void cpu6502_hit(const char* reason)
{
    cpu6502_set_flags(0, CPU_HIT);
    bool sync = cpu6502_flags() & CPU_SYNC;
    con_printf(sync ? "%s\n" : "\n%s", reason);
    cpu6502_set_flags(CPU_RUN | CPU_STEP, 0);
    cpu6502_stopped(true);
}

// ---------------------------------------------------------------- the commands' hand-shake

// Waits until the video window is shown (its thread signals hevCPUStop), in
// short slices: when the video thread ends without showing one, the wait
// gives up with that thread's error code. Returns 0 or the error code.
static int cpu6502_wait()
{
    int err = 0;
    Event* ev = machineState.hevCPUStop.load();
    while (ev && !(cpu6502_flags() & CPU_EXIT) && !evt_wait_for(ev, 50)) {
        if (!dev_exists()) {
            err = dev_error() ? dev_error() : EIO;
            break;
        }
    }
    cpu6502_set_flags(CPU_SYNC, 0);
    return err;
}

void cpu6502_start(uint32_t mode)
{
    if (Event* ev = machineState.hevCPURun.load()) {
        cpu6502_set_flags(CPU_HIT | CPU_STEP, mode);
        evt_set(ev);
    }
}

void cpu6502_run_sync(uint32_t mode)
{
    Event* evRun = machineState.hevCPURun.load();
    Event* evStop = machineState.hevCPUStop.load();
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
        uint32_t now = cpu6502_flags();
        if ((now & CPU_EXIT) || !cpu6502_exists() || !(now & CPU_RUN))
            break;
        evt_wait_for(evStop, 100);
    }
    // The CPU thread reports a stop while it holds the machine; once the
    // machine is ours it has done so, and CPU_SYNC may go.
    {
        MachineLock lock;
    }
    cpu6502_set_flags(CPU_SYNC, 0);
}

void cpu6502_halt()
{
    // A halted CPU is not stepping either: a later `go` must run free.
    cpu6502_set_flags(CPU_RUN | CPU_STEP, 0);
}

bool cpu6502_wait_stopped(int ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (cpu6502_flags() & CPU_RUN) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    MachineLock lock;
    return true;
}

// Tells the CPU thread to end (it does so before its next instruction).
static void cpu6502_exit()
{
    if (Event* ev = machineState.hevCPURun.load()) {
        cpu6502_set_flags(CPU_HIT, CPU_EXIT);
        evt_set(ev);
    }
}

// ---------------------------------------------------------------- the run loop

// Looks up the breakpoints of one access (q: the lookup's flags; addr: the
// data address, or the next instruction's address for code) after an
// instruction, with *pcIns the instructions since the last breakpoint
// event; prints a trace line and stops the CPU as the record found says.
// True when the CPU stopped.
static bool cpu6502_check_bp(int32_t addr, uint32_t q, int32_t pc, int32_t* pcIns)
{
    Breakpoint found;
    if (!bp_hit(addr, q, pcIns, &found))
        return false;
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
// instruction). A breakpoint event restarts *pcIns. True when the CPU
// stopped.
static bool cpu6502_checks(const BpTables& tables, int32_t ea, bool write, uint8_t pgData,
                           int32_t pc, uint8_t pgCode, int32_t* pcIns)
{
    if (write) {
        if (pgData & PG_DEV_WRITE)
            mem_after_store(static_cast<uint32_t>(ea));
        if ((pgData & PG_BP_WRITE) && bp_mapped(tables, BPK_WRITE, ea) &&
            cpu6502_check_bp(ea, BP_DATA | BP_WRITE, pc, pcIns))
            return true;
    } else {
        if (pgData & PG_DEV_READ)
            mem_after_read(static_cast<uint32_t>(ea));
        if ((pgData & PG_BP_READ) && bp_mapped(tables, BPK_READ, ea) &&
            cpu6502_check_bp(ea, BP_DATA, pc, pcIns))
            return true;
    }
    return (pgCode & PG_BP_CODE) && bp_mapped(tables, BPK_CODE, pc) &&
           cpu6502_check_bp(pc, 0, pc, pcIns);
}

// Executes instructions while the CPU is to run as `flags` says (CPU_RUN
// set) and no other thread wants the machine. After each instruction PC is
// kept within 16 bits and S within 8, as the processor's registers are.
// Stepping (counting the trace's steps down), running free and running
// paced are copies of the loop, so that the free one carries no count: the
// paced one counts clock cycles and stops after a slice of them. Returns the
// cycles run (paced only).
template <bool fStep, bool fPaced>
static int32_t cpu6502_run(uint32_t flags)
{
    int32_t& rPC = aReg6502[REG_PC].value;
    int32_t& rS = aReg6502[REG_S].value;
    int32_t& rEA = aReg6502[REG_EA].value;
    // The write flag is bit 0 of EF, which the opcode functions set through
    // its low byte: the loop reads and clears it through that byte too, as a
    // whole-word access right after a byte store stalls the processor.
    byte& bEF = *reinterpret_cast<byte*>(&aReg6502[REG_EF].value);
    const std::atomic<uint32_t>& attention = cpu6502_attention();
    const BpTables& tables = bp_tables();
    std::atomic<int32_t>& cInsExecuted = machineState.cInsExecuted;
    int32_t cStep = fStep ? cpu6502_steps() : 0;
    int32_t cCycles = 0;
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
        if constexpr (fPaced)
            cCycles += cyc6502_cycles(opcode, pcLast, pc, rEA);
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
        const uint8_t pgData = tables.abPageChecks[ea >> 8].load(std::memory_order_relaxed) &
                               (write ? PG_DEV_WRITE | PG_BP_WRITE : PG_DEV_READ | PG_BP_READ);
        const uint8_t pgCode =
            tables.abPageChecks[pc >> 8].load(std::memory_order_relaxed) & PG_BP_CODE;
        if (pgData | pgCode) {
            bool stopped = cpu6502_checks(tables, ea, write, pgData, pc, pgCode, &cIns);
            cInsExecuted.store(cIns, std::memory_order_relaxed);
            pc = rPC & 0xFFFF;
            if (stopped)
                break;
        }

        if (fStep && --cStep == 0) {
            cpu6502_set_flags(CPU_RUN | CPU_STEP, 0);
            cpu6502_set_steps(0);
            cpu6502_stopped(true);
            return cCycles;
        }
        if (attention.load(std::memory_order_relaxed) != 0)
            break;
        // Every change of the flags raises the attention word; they are
        // compared now and then all the same.
        if ((cIns & 0xFFF) == 0 && cpu6502_flags() != flags)
            break;
        if (fPaced && cCycles >= PACE_SLICE_CYCLES)
            break;
    }
    if (fStep)
        cpu6502_set_steps(cStep);
    return cCycles;
}

// ---------------------------------------------------------------- the CPU thread

static void cpu6502_thread()
{
    cpu6502_acquire();
    aReg6502[REG_LA].value = aReg6502[REG_PC].value = cpu6502_reset_vector();
    // Publishing the id tells `create` that the thread has started and PC
    // holds the reset vector.
    machineState.idCPUThread = plat_thread_id();
    bool fRan = false;
    Pacer pacer{};
    bool fPacing = false; // pacer counts the paced run in progress
    for (;;) {
        cpu6502_yield();
        // Cleared before the flags are read: a change from now on raises it
        // again.
        cpu6502_clear_attention();
        uint32_t flags = cpu6502_flags();
        if (flags & CPU_EXIT)
            break;
        if (!(flags & CPU_RUN)) {
            // Halted by another thread while a command waits for the stop:
            // wake it (it also polls, so a lost wake-up costs only time).
            if (fRan && (flags & CPU_SYNC))
                evt_set(&machineState.evCPUStop);
            fRan = false;
            fPacing = false;
            cpu6502_release();
            evt_wait(&machineState.evCPURun);
            cpu6502_acquire();
            continue;
        }
        fRan = true;
        // Stepping is never paced: a trace shows each step as it comes.
        if ((flags & CPU_STEP) || !pace_on()) {
            fPacing = false;
            if (flags & CPU_STEP)
                cpu6502_run<true, false>(flags);
            else
                cpu6502_run<false, false>(flags);
            continue;
        }
        if (!fPacing)
            pace_start(&pacer, pace_now());
        fPacing = true;
        if (int64_t nsWait = pace_due(&pacer, pace_now())) {
            // Ahead of the machine's clock: sleep without the machine, so
            // that commands and keys get it at once. Ending the machine or a
            // new `go` wake the thread early; it looks at the flags again.
            cpu6502_release();
            evt_wait_for(&machineState.evCPURun, static_cast<int>((nsWait + 999999) / 1000000));
            cpu6502_acquire();
            continue;
        }
        pace_add(&pacer, cpu6502_run<false, true>(flags));
    }

    // Exit sequence: the machine no longer exists. A command still waiting
    // for a stop is woken.
    machineState.idCPUThread = 0;
    cpu6502_set_exists(false);
    machineState.hevCPURun = nullptr;
    machineState.hevCPUStop = nullptr;
    cpu6502_set_flags(~0u, 0);
    evt_set(&machineState.evCPUStop);
    cpu6502_release();
}

int cpu6502_create(int argc, char** argv, const Switches* sw)
{
    if (cpu6502_exists()) {
        con_printf("virtual machine already created, use 'close' to destroy\n");
        return 0;
    }
    // A thread that ended on its own (its window was closed) is collected.
    if (machineState.hCPUThread.joinable())
        machineState.hCPUThread.join();

    cpu6502_set_flags(~0u, CPU_SYNC);
    evt_reset(&machineState.evCPURun);
    evt_reset(&machineState.evCPUStop);
    machineState.hevCPURun = &machineState.evCPURun;
    machineState.hevCPUStop = &machineState.evCPUStop;

    int err = dev_create(argc, argv, sw, &devVideo);
    if (err == 0)
        err = cpu6502_wait();
    if (err == 0) {
        cpu6502_set_exists(true);
        try {
            machineState.hCPUThread = std::thread(cpu6502_thread);
        } catch (const std::system_error& e) {
            cpu6502_set_exists(false);
            err = e.code().value() ? e.code().value() : EAGAIN;
        }
        if (err == 0) {
            while (machineState.idCPUThread.load() == 0 && cpu6502_exists())
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            return 0;
        }
    }
    dev_close(argc, argv, sw, &devVideo);
    con_printf("cpu6502_create: unable to create virtual machine (%d)\n", err);
    machineState.hevCPUStop = nullptr;
    machineState.hevCPURun = nullptr;
    cpu6502_set_flags(~0u, 0);
    return err;
}

int cpu6502_close(int argc, char** argv, const Switches* sw)
{
    if (argc != 0 && !cpu6502_required())
        return 0;
    cpu6502_exit();
    dev_close(argc, argv, sw, &devVideo);
    // The CPU thread ends as soon as it sees CPU_EXIT; waiting for it means
    // that a `create` right after `close` finds no machine, and that the
    // process never ends under a running CPU thread.
    if (machineState.hCPUThread.joinable())
        machineState.hCPUThread.join();
    return 0;
}
