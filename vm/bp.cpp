// Breakpoints: the list, its one lookup, adding, printing, clearing, and the
// `bp` command.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cpu6502.h"
#include "mem.h"
#include "console.h"
#include "vm.h"
#include "vm_internal.h"

std::recursive_mutex mtxBp;
std::atomic<Breakpoint*> pbpList;
static Breakpoint bpRemoved;

std::atomic<uint64_t> aqwBpMap[3][1024];
std::atomic<uint8_t> abPageChecks[256];

constexpr int32_t NO_INS_LIMIT = 0x7FFFFFFF;

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
    static uint64_t aqwMap[3][1024];
    memset(aqwMap, 0, sizeof aqwMap);
    for (Breakpoint* bp = pbpList; bp; bp = bp->pNext) {
        int k = !(bp->flags & BP_DATA) ? BPK_CODE : (bp->flags & BP_WRITE) ? BPK_WRITE : BPK_READ;
        int32_t lo = bp->addr < 0 ? 0 : bp->addr;
        int32_t hi = (bp->flags & BP_RANGE) ? bp->addrUpper : bp->addr;
        for (int32_t a = lo; a <= hi && a <= 0xFFFF; a++)
            aqwMap[k][a >> 6] |= 1ull << (a & 63);
    }
    for (int k = 0; k < 3; k++)
        for (int i = 0; i < 1024; i++)
            aqwBpMap[k][i].store(aqwMap[k][i], std::memory_order_relaxed);
    static const uint8_t abKind[3] = {PG_BP_CODE, PG_BP_READ, PG_BP_WRITE};
    for (int page = 0; page < 256; page++) {
        uint8_t pg = bp_device_checks(page);
        for (int k = 0; k < 3; k++)
            if (aqwMap[k][page * 4] | aqwMap[k][page * 4 + 1] | aqwMap[k][page * 4 + 2] |
                aqwMap[k][page * 4 + 3])
                pg |= abKind[k];
        abPageChecks[page].store(pg, std::memory_order_relaxed);
    }
}

// The device pages are in the table from the start.
[[maybe_unused]] static const bool fPageChecksInit = (bp_maps(), true);

// Unlinks a record, keeps a copy of it in bpRemoved and frees it.
static Breakpoint* bp_remove(Breakpoint* bp, Breakpoint* prev)
{
    if (prev)
        prev->pNext = bp->pNext;
    else
        pbpList = bp->pNext;
    bpRemoved = *bp;
    bpRemoved.pNext = nullptr;
    delete bp;
    bp_maps();
    return &bpRemoved;
}

// Evaluate mode (BP_HIT in q) counts a match against the record's
// thresholds and returns the record on its hit path; remove mode (BP_REMOVE)
// removes the first match. A plain lookup (neither bit) reports the first
// match and changes nothing: the unassembly marks breakpoints with it.
Breakpoint* bp_find(int32_t addr, int32_t addrUpper, uint32_t q)
{
    std::lock_guard<std::recursive_mutex> lock(mtxBp);
    const uint32_t TYPE = BP_DATA | BP_WRITE;
    Breakpoint* prev = nullptr;
    for (Breakpoint* bp = pbpList; bp; prev = bp, bp = bp->pNext) {
        if ((bp->flags & TYPE) != (q & TYPE))
            continue;
        bool match;
        if (q & BP_RANGE)
            match = bp->addr == addr && bp->addrUpper == addrUpper;
        else if (bp->flags & BP_RANGE)
            match = bp->addr <= addr && addr <= bp->addrUpper;
        else
            match = bp->addr == addr;
        if (!match)
            continue;
        if (!(q & (BP_HIT | BP_REMOVE)))
            return bp;
        bp->flags &= ~BP_HIT;
        if (q & BP_HIT) {
            if (cInsExecuted.load() >= bp->cInsLimit)
                bp->flags |= BP_HIT;
            if (bp->cHitLimit > 0 && --bp->cHitCount <= 0) {
                bp->cHitCount = bp->cHitLimit;
                bp->flags |= BP_HIT;
            }
        }
        if (q & BP_REMOVE)
            return bp_remove(bp, prev);
        if (bp->flags & (BP_HIT | BP_TRACE)) {
            bp->cIns = cInsExecuted.load();
            cInsExecuted = 0;
            if ((q & BP_HIT) && !(bp->flags & BP_PERM))
                return bp_remove(bp, prev);
            return bp;
        }
    }
    return nullptr;
}

bool bp_marked(int32_t addr)
{
    return bp_find(addr, 0, 0) != nullptr;
}

// An identical breakpoint: the same kind (code or data, read or write, halt
// or trace) on the same address or the same range.
static Breakpoint* bp_same(int32_t addr, int32_t addrUpper, uint32_t flags)
{
    const uint32_t KIND = BP_DATA | BP_WRITE | BP_TRACE | BP_RANGE;
    for (Breakpoint* bp = pbpList; bp; bp = bp->pNext)
        if ((bp->flags & KIND) == (flags & KIND) && bp->addr == addr &&
            (!(flags & BP_RANGE) || bp->addrUpper == addrUpper))
            return bp;
    return nullptr;
}

Breakpoint* bp_add_ex(int32_t addr, int32_t addrUpper, uint32_t flags, bool* created)
{
    std::lock_guard<std::recursive_mutex> lock(mtxBp);
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
    bp->pNext = pbpList;
    pbpList = bp;
    bp_maps();
    *created = true;
    return bp;
}

Breakpoint* bp_add(int32_t addr, int32_t addrUpper, uint32_t flags)
{
    bool created;
    return bp_add_ex(addr, addrUpper, flags, &created);
}

void bp_remove_record(const Breakpoint* target)
{
    std::lock_guard<std::recursive_mutex> lock(mtxBp);
    Breakpoint* prev = nullptr;
    for (Breakpoint* bp = pbpList; bp; prev = bp, bp = bp->pNext)
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
    std::lock_guard<std::recursive_mutex> lock(mtxBp);
    while (Breakpoint* bp = pbpList)
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
    int32_t upper = argc > 2 ? static_cast<int32_t>(parse_value(argv[2])) : 0;

    std::lock_guard<std::recursive_mutex> lock(mtxBp);
    if (sw->mask & SW_C) {
        if (argc < 2)
            bp_clear();
        else if (!bp_find(static_cast<int32_t>(parse_value(argv[1])), upper,
                          type | range | BP_REMOVE))
            con_printf("no such breakpoint: %s (use the same combination of /d and /w options)\n",
                       argv[1]);
    }
    if (sw->mask & SW_L)
        for (Breakpoint* bp = pbpList; bp; bp = bp->pNext)
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
    Breakpoint* bp = bp_add(static_cast<int32_t>(parse_value(argv[1])), upper, flags);
    if (!bp) {
        con_printf("unable to allocate breakpoint\n");
        return 0;
    }
    if ((sw->mask & SW_H) && (sw->valued & SW_H))
        bp->cHitLimit = bp->cHitCount = static_cast<int32_t>(sw->value['h' - 'a']);
    if ((sw->mask & SW_I) && (sw->valued & SW_I))
        bp->cInsLimit = static_cast<int32_t>(sw->value['i' - 'a']);
    bp_print(bp);
    return 0;
}
