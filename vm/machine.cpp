// The virtual machine: creating and closing it, the CPU thread and its run
// loop, and the reports of a stopping CPU.
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "cassette.h"
#include "cpu6502.h"
#include "kbd.h"
#include "mem.h"
#include "shell.h"
#include "video.h"
#include "vm.h"
#include "vm_internal.h"

std::atomic<uint32_t> dwCPUFlags;
std::atomic<int32_t> cInsExecuted;
std::atomic<int32_t> cTraceIns;
std::atomic<Event*> hevCPURun;
std::atomic<Event*> hevCPUStop;
std::atomic<bool> fCPUIdle{true};
std::atomic<int> idCPUThread;

const char* const MSG_NOT_CREATED = "virtual machine not created, use 'create' to create\n";

static Event evCPURun, evCPUStop;
static std::atomic<bool> fCPUThread; // the CPU thread exists: the machine exists
static std::thread hCPUThread;
static std::unique_ptr<OpDesc[]> pOpDesc6502;

void cpu6502_set_flags(uint32_t clear, uint32_t set)
{
    uint32_t flags = dwCPUFlags.load();
    while (!dwCPUFlags.compare_exchange_weak(flags, (flags & ~clear) | set)) {
    }
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
    con_show();
}

// The CPU is done with registers and memory: wake a waiting command, or
// report the stop itself.
static void cpu6502_stop_report()
{
    if (dwCPUFlags.load() & CPU_SYNC) {
        fCPUIdle = true;
        if (Event* ev = hevCPUStop.load())
            evt_set(ev);
    } else {
        cpu6502_report();
        fCPUIdle = true;
    }
}

void cpu6502_hit(Breakpoint* bp)
{
    dwCPUFlags.fetch_or(CPU_HIT);
    bool sync = dwCPUFlags.load() & CPU_SYNC;
    if (!sync)
        con_printf("\n");
    con_printf("hit: ");
    bp_print(bp, !sync);
    dwCPUFlags.fetch_and(~(CPU_RUN | CPU_STEP));
    cpu6502_stop_report();
}

// An undefined opcode stops the CPU like a breakpoint hit, with PC past it.
static void cpu6502_undefined_stop(byte opcode, int32_t addr)
{
    dwCPUFlags.fetch_or(CPU_HIT);
    bool sync = dwCPUFlags.load() & CPU_SYNC;
    if (!sync)
        con_printf("\n");
    con_printf("undefined opcode 0x%02x at 0x%04x%s", opcode, addr & 0xFFFF, sync ? "\n" : "");
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
    if (interactive)
        con_printf("\n");
    cmd_regs(0, nullptr, nullptr);
    if (interactive) {
        con_printf("%s", PROMPT);
        con_show();
    }
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
    fCPUIdle = false;
    cpu6502_set_flags(CPU_HIT, mode | CPU_SYNC);
    evt_set(evRun);
    // Done when the CPU has cleared CPU_RUN and finished its instruction, or
    // when the machine ends (closing the window ends it during a trace).
    for (;;) {
        uint32_t now = dwCPUFlags.load();
        if ((now & CPU_EXIT) || !cpu6502_exists())
            break;
        if (!(now & CPU_RUN) && fCPUIdle.load())
            break;
        evt_wait_for(evStop, 100);
    }
    dwCPUFlags.fetch_and(~CPU_SYNC);
}

void cpu6502_exit()
{
    if (Event* ev = hevCPURun.load()) {
        cpu6502_set_flags(CPU_HIT, CPU_EXIT);
        evt_set(ev);
    }
    con_show();
}

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
        cpu6502_hit(&found);
        return true;
    }
    return false;
}

// Runs after every instruction that stored to memory.
static inline void cpu6502_write_hooks(int32_t ea)
{
    if (ea >= 0xD000 && ea <= 0xD3FF) {
        dev_invalidate(ea - 0xD000, 1, &devVideo);
    } else if (ea >= 0xDC00 && ea <= 0xDFFF) {
        kbd_write(abMem6502[ea]);
    } else if (ea >= 0xF000 && ea <= 0xF0FF) {
        abMem6502[ea] = cas_write(ea - 0xF000, abMem6502[ea]);
    } else {
        // A store into ROM is undone from the image; before the images are
        // loaded there is nothing to restore from, and the store stands.
        mem_rom_undo(static_cast<uint32_t>(ea));
    }
}

static void cpu6502_thread()
{
    int32_t* pEA = &reg_find("EA")->value;
    int32_t* pPC = &reg_find("PC")->value;
    int32_t* pEF = &reg_find("EF")->value;
    int32_t* pLA = &reg_find("LA")->value;

    *pLA = *pPC = cpu6502_reset_vector();
    // Publishing the id tells `create` that the thread has started and PC
    // holds the reset vector.
    idCPUThread = plat_thread_id();
    for (;;) {
        uint32_t flags = dwCPUFlags.load(std::memory_order_relaxed);
        if (!(flags & (CPU_RUN | CPU_EXIT))) {
            if (!fCPUIdle.exchange(true) && (flags & CPU_SYNC))
                evt_set(&evCPUStop);
            evt_wait(&evCPURun);
            continue;
        }
        if (flags & CPU_EXIT)
            break;
        fCPUIdle.store(false, std::memory_order_relaxed);

        int32_t pc = *pPC & 0xFFFF;
        byte opcode = abMem6502[pc];
        *pPC = pc + 1;
        *pEF &= ~1;
        *pEA = 0xFFFF;
        // A word read at 0xFFFF takes its high byte from 0x0000.
        abMem6502[MEM_SIZE6502] = abMem6502[0];
        aPfnOp6502[opcode]();
        *pPC &= 0xFFFF;
        cInsExecuted.store(cInsExecuted.load(std::memory_order_relaxed) + 1,
                           std::memory_order_relaxed);
        if (fOpUndefined) {
            fOpUndefined = 0;
            cpu6502_undefined_stop(opcode, pc);
            continue;
        }

        int32_t ea = *pEA & 0xFFFF;
        uint32_t kinds = dwBpKinds.load(std::memory_order_relaxed);
        if (*pEF & 1) {
            cpu6502_write_hooks(ea);
            if ((kinds & (1u << BPK_WRITE)) && bp_mapped(BPK_WRITE, ea) &&
                cpu6502_check_bp(ea, BP_HIT | BP_DATA | BP_WRITE, *pPC))
                continue;
        } else {
            if (ea >= 0xF000 && ea <= 0xF0FF)
                cas_read(ea - 0xF000);
            if ((kinds & (1u << BPK_READ)) && bp_mapped(BPK_READ, ea) &&
                cpu6502_check_bp(ea, BP_HIT | BP_DATA, *pPC))
                continue;
        }
        if ((kinds & (1u << BPK_CODE)) && bp_mapped(BPK_CODE, *pPC) &&
            cpu6502_check_bp(*pPC, BP_HIT, *pPC))
            continue;

        if (!(flags & CPU_STEP))
            continue;
        if (cTraceIns.fetch_sub(1) - 1 != 0)
            continue;
        dwCPUFlags.fetch_and(~(CPU_RUN | CPU_STEP));
        cpu6502_stop_report();
    }

    // Exit sequence: the machine no longer exists. A command still waiting
    // for a stop is woken.
    idCPUThread = 0;
    fCPUIdle = true;
    fCPUThread = false;
    hevCPURun = nullptr;
    hevCPUStop = nullptr;
    dwCPUFlags = 0;
    evt_set(&evCPUStop);
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
        fCPUIdle = true;
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
            if (argc != 0)
                con_show();
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
    con_show();
    dev_close(argc, argv, sw, &devVideo);
    // The CPU thread ends as soon as it sees CPU_EXIT; waiting for it means
    // that a `create` right after `close` finds no machine, and that the
    // process never ends under a running CPU thread.
    if (hCPUThread.joinable())
        hCPUThread.join();
    return 0;
}
