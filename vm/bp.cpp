// Breakpoints: the list, its lookups, adding, printing, clearing, and the
// `bp` command; and the tables that tell the run loop which pages and
// addresses it must look at after an instruction.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>

#include "console.h"
#include "cpu6502.h"
#include "mem.h"
#include "vm.h"
#include "vm_internal.h"

constexpr int32_t NO_INS_LIMIT = 0x7FFFFFFF;

// The breakpoints' state. mtx guards the list and `removed`: the CPU thread
// holds it only for a lookup and a copy of the record found; commands hold
// it across a lookup and every use of the record returned. The tables are
// rewritten under it whenever the list changes and read by the run loop
// without it.
struct BpState {
    std::recursive_mutex mtx;
    std::atomic<Breakpoint*> pbpList; // newest first
    Breakpoint removed;               // a copy of the record removed last
    BpTables tables;
};
static BpState bpState;

const BpTables& bp_tables()
{
    return bpState.tables;
}

// The checks of each page that do not depend on breakpoints: the hooks of
// its region of the memory map.
static uint8_t bp_device_checks(int page)
{
    const uint8_t hooks = mem_page_hooks(page);
    return ((hooks & MEM_HOOK_STORE) ? PG_DEV_WRITE : 0) |
           ((hooks & MEM_HOOK_READ) ? PG_DEV_READ : 0);
}

// Recomputes, after every change of the list, which addresses and pages
// each kind of breakpoint (code, data read, data write) can match. Each word
// goes from its old to its new value in one store, so the CPU thread never
// sees a bit of an unchanged breakpoint cleared.
static void bp_maps()
{
    static uint64_t aqwMap[C_BP_KINDS][0x10000 / 64];
    memset(aqwMap, 0, sizeof aqwMap);
    for (Breakpoint* bp = bpState.pbpList; bp; bp = bp->pNext) {
        int k = !(bp->flags & BP_DATA) ? BPK_CODE : (bp->flags & BP_WRITE) ? BPK_WRITE : BPK_READ;
        int32_t lo = bp->addr < 0 ? 0 : bp->addr;
        int32_t hi = (bp->flags & BP_RANGE) ? bp->addrUpper : bp->addr;
        for (int32_t a = lo; a <= hi && a <= 0xFFFF; a++)
            aqwMap[k][a >> 6] |= 1ull << (a & 63);
    }
    BpTables& tables = bpState.tables;
    for (int k = 0; k < C_BP_KINDS; k++)
        for (size_t i = 0; i < std::size(aqwMap[k]); i++)
            tables.aqwBpMap[k][i].store(aqwMap[k][i], std::memory_order_relaxed);
    static const uint8_t abKind[C_BP_KINDS] = {PG_BP_CODE, PG_BP_READ, PG_BP_WRITE};
    for (int page = 0; page < static_cast<int>(std::size(tables.abPageChecks)); page++) {
        uint8_t pg = bp_device_checks(page);
        for (int k = 0; k < C_BP_KINDS; k++)
            if (aqwMap[k][page * 4] | aqwMap[k][page * 4 + 1] | aqwMap[k][page * 4 + 2] |
                aqwMap[k][page * 4 + 3])
                pg |= abKind[k];
        tables.abPageChecks[page].store(pg, std::memory_order_relaxed);
    }
}

// The device pages are in the table from the start.
[[maybe_unused]] static const bool fPageChecksInit = (bp_maps(), true);

// Unlinks a record, keeps a copy of it and frees it; returns the copy.
static Breakpoint* bp_remove(Breakpoint* bp, Breakpoint* prev)
{
    if (prev)
        prev->pNext = bp->pNext;
    else
        bpState.pbpList = bp->pNext;
    bpState.removed = *bp;
    bpState.removed.pNext = nullptr;
    delete bp;
    bp_maps();
    return &bpState.removed;
}

// Whether a record is one the query asks for: the same kind (code, data
// read, data write), and the same range (BP_RANGE in q), or an address that
// the record's address or range takes in.
static bool bp_matches(const Breakpoint* bp, int32_t addr, int32_t addrUpper, uint32_t q)
{
    const uint32_t TYPE = BP_DATA | BP_WRITE;
    if ((bp->flags & TYPE) != (q & TYPE))
        return false;
    if (q & BP_RANGE)
        return bp->addr == addr && bp->addrUpper == addrUpper;
    if (bp->flags & BP_RANGE)
        return bp->addr <= addr && addr <= bp->addrUpper;
    return bp->addr == addr;
}

Breakpoint* bp_find(int32_t addr, int32_t addrUpper, uint32_t q)
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    Breakpoint* prev = nullptr;
    for (Breakpoint* bp = bpState.pbpList; bp; prev = bp, bp = bp->pNext)
        if (bp_matches(bp, addr, addrUpper, q))
            return (q & BP_REMOVE) ? bp_remove(bp, prev) : bp;
    return nullptr;
}

bool bp_marked(int32_t addr)
{
    return bp_find(addr, 0, 0) != nullptr;
}

bool bp_hit(int32_t addr, uint32_t q, int32_t* pcIns, Breakpoint* found)
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    Breakpoint* prev = nullptr;
    for (Breakpoint* bp = bpState.pbpList; bp; prev = bp, bp = bp->pNext) {
        if (!bp_matches(bp, addr, 0, q))
            continue;
        bp->flags &= ~BP_HIT;
        if (*pcIns >= bp->cInsLimit)
            bp->flags |= BP_HIT;
        if (bp->cHitLimit > 0 && --bp->cHitCount <= 0) {
            bp->cHitCount = bp->cHitLimit;
            bp->flags |= BP_HIT;
        }
        if (!(bp->flags & (BP_HIT | BP_TRACE)))
            continue;
        bp->cIns = *pcIns;
        *pcIns = 0;
        *found = *bp;
        found->pNext = nullptr;
        // A temporary breakpoint goes once it has met its thresholds.
        if (!(bp->flags & BP_PERM))
            bp_remove(bp, prev);
        return true;
    }
    return false;
}

// An identical breakpoint: the same kind (code or data, read or write, halt
// or trace) on the same address or the same range.
static Breakpoint* bp_same(int32_t addr, int32_t addrUpper, uint32_t flags)
{
    const uint32_t KIND = BP_DATA | BP_WRITE | BP_TRACE | BP_RANGE;
    for (Breakpoint* bp = bpState.pbpList; bp; bp = bp->pNext)
        if ((bp->flags & KIND) == (flags & KIND) && bp->addr == addr &&
            (!(flags & BP_RANGE) || bp->addrUpper == addrUpper))
            return bp;
    return nullptr;
}

Breakpoint* bp_add_ex(int32_t addr, int32_t addrUpper, uint32_t flags, bool* created)
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    *created = false;
    if (Breakpoint* bp = bp_same(addr, addrUpper, flags))
        return bp;
    if ((flags & BP_RANGE) && addrUpper < addr)
        return nullptr;
    Breakpoint* bp = new (std::nothrow) Breakpoint{};
    if (!bp)
        return nullptr;
    bp->flags = flags;
    bp->addr = addr;
    bp->addrUpper = addrUpper;
    if (!(flags & BP_TRACE))
        bp->cHitLimit = bp->cHitCount = 1;
    bp->cInsLimit = NO_INS_LIMIT;
    bp->pNext = bpState.pbpList;
    bpState.pbpList = bp;
    bp_maps();
    *created = true;
    return bp;
}

Breakpoint* bp_add(int32_t addr, int32_t addrUpper, uint32_t flags)
{
    bool created;
    return bp_add_ex(addr, addrUpper, flags, &created);
}

int32_t bp_address(const char* text)
{
    return static_cast<int32_t>(parse_value(text) & 0xFFFF);
}

bool bp_set(int32_t addr, int32_t addrUpper, uint32_t flags, const Switches* sw)
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    Breakpoint* bp = bp_add(addr, addrUpper, flags);
    if (!bp) {
        con_printf("unable to allocate breakpoint\n");
        return false;
    }
    if (sw && (sw->mask & SW_H) && (sw->valued & SW_H))
        bp->cHitLimit = bp->cHitCount = static_cast<int32_t>(sw->value['h' - 'a']);
    if (sw && (sw->mask & SW_I) && (sw->valued & SW_I))
        bp->cInsLimit = static_cast<int32_t>(sw->value['i' - 'a']);
    bp_print(bp);
    return true;
}

void bp_remove_record(const Breakpoint* target)
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    Breakpoint* prev = nullptr;
    for (Breakpoint* bp = bpState.pbpList; bp; prev = bp, bp = bp->pNext)
        if (bp == target) {
            bp_remove(bp, prev);
            return;
        }
}

void bp_format(const Breakpoint* bp, char* text, size_t size)
{
    const char* kind = (bp->flags & BP_TRACE) ? "trace " : (bp->flags & BP_PERM) ? "perm " : "";
    const char* access = !(bp->flags & BP_DATA) ? "" : (bp->flags & BP_WRITE) ? " write" : " read ";
    size_t len = 0;
    auto add = [&](int n) { len += n > 0 ? std::min(static_cast<size_t>(n), size - 1 - len) : 0; };
    add(snprintf(text, size, "%s%s%s breakpoint @0x%04x", kind,
                 (bp->flags & BP_DATA) ? "data" : "code", access, bp->addr));
    if (bp->flags & BP_RANGE)
        add(snprintf(text + len, size - len, "-0x%04x", bp->addrUpper));
    if (bp->cHitLimit > 1)
        add(snprintf(text + len, size - len, " (hit limit=%d)", bp->cHitLimit));
    if (bp->cInsLimit < NO_INS_LIMIT)
        add(snprintf(text + len, size - len, " (ins limit=%d)", bp->cInsLimit));
}

void bp_print(const Breakpoint* bp)
{
    char text[BP_TEXT_SIZE];
    bp_format(bp, text, sizeof text);
    con_printf("%s\n", text);
}

void bp_clear()
{
    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    while (Breakpoint* bp = bpState.pbpList)
        bp_find(bp->addr, bp->addrUpper, (bp->flags & (BP_DATA | BP_WRITE | BP_RANGE)) | BP_REMOVE);
}

int cmd_bp(int argc, char** argv, const Switches* sw)
{
    if (!cpu6502_required())
        return 0;
    uint32_t type = 0;
    if (sw->mask & SW_D)
        type |= BP_DATA;
    if (sw->mask & SW_W)
        type |= BP_WRITE;
    uint32_t range = argc > 2 ? BP_RANGE : 0;
    // Addresses may be given by register names, read from the machine.
    MachineLock machine;
    parse_value_notices(argc, argv, 1, 2);
    int32_t upper = argc > 2 ? bp_address(argv[2]) : 0;

    std::lock_guard<std::recursive_mutex> lock(bpState.mtx);
    if (sw->mask & SW_C) {
        if (argc < 2)
            bp_clear();
        else if (!bp_find(bp_address(argv[1]), upper, type | range | BP_REMOVE))
            con_printf("no such breakpoint: %s (use the same combination of /d and /w options)\n",
                       argv[1]);
    }
    if (sw->mask & SW_L)
        for (Breakpoint* bp = bpState.pbpList; bp; bp = bp->pNext)
            bp_print(bp);
    if (sw->mask & (SW_C | SW_L))
        return 0;
    if ((sw->mask & SW_W) && !(sw->mask & SW_D)) {
        con_printf("bad options\n");
        return 0;
    }
    if (argc < 2) {
        con_printf("argument required\n");
        return 0;
    }
    uint32_t flags = type | range;
    if (sw->mask & SW_T)
        flags |= BP_TRACE | BP_PERM;
    if (sw->mask & SW_P)
        flags |= BP_PERM;
    bp_set(bp_address(argv[1]), upper, flags, sw);
    return 0;
}
