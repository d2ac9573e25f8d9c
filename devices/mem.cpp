// The memory map at work: the bus functions that run the regions' hooks,
// ROM write protection, loading the built-in ROM images and memory-image
// files, and the `load` and `mem` commands.
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "console.h"
#include "lock.h"
#include "mem.h"
#include "platform.h"
#include "resources.h"

// The state of the memory map. Write protection keeps what each ROM region
// holds as the debugger last set it: the built-in image, and whatever `load`
// and `edit` put over it since (an original ROM dump, a patch). A store of
// the emulated program into a ROM region is undone from there, so that it
// never changes memory, whatever was loaded. The copy is indexed by address
// (only the ROM regions' bytes are used); the main thread writes it and the
// CPU thread reads it, each holding the machine lock.
struct MemState {
    byte abRom[MEM_SIZE6502];
    std::atomic<bool> afRomKept[C_MEM_REGIONS]; // the region's image was loaded
    std::atomic<bool> fRomsLoaded;              // both images loaded
};
static MemState memState;

// The region of each 256-byte page; a page of no region (an unused range)
// counts as RAM, which has no hooks.
static constexpr std::array<uint8_t, 256> abPageRegion = [] {
    std::array<uint8_t, 256> ab{};
    for (int r = 0; r < C_MEM_REGIONS; r++) {
        const MemRegion region = static_cast<MemRegion>(r);
        for (uint32_t page = mem_base(region) >> 8; page <= mem_end(region) >> 8; page++)
            ab[page] = static_cast<uint8_t>(r);
    }
    return ab;
}();

static_assert(
    [] {
        for (int r = 0; r < C_MEM_REGIONS; r++)
            if ((mem_base(static_cast<MemRegion>(r)) & 0xFF) ||
                (mem_end(static_cast<MemRegion>(r)) & 0xFF) != 0xFF)
                return false;
        return true;
    }(),
    "the regions of the memory map begin and end on page boundaries");

static const MemDef& mem_region_of(uint32_t addr)
{
    return aMemC1P[abPageRegion[(addr >> 8) & 0xFF]];
}

void mem_after_store(uint32_t ea)
{
    if (PfnMemHook pfn = mem_region_of(ea).pfnStore)
        pfn(ea);
}

void mem_after_read(uint32_t ea)
{
    if (PfnMemHook pfn = mem_region_of(ea).pfnRead)
        pfn(ea);
}

void mem_after_edit(uint32_t addr)
{
    if (PfnMemHook pfn = mem_region_of(addr).pfnEdit)
        pfn(addr);
}

uint8_t mem_page_hooks(int page)
{
    const MemDef& region = aMemC1P[abPageRegion[page & 0xFF]];
    return (region.pfnStore ? MEM_HOOK_STORE : 0) | (region.pfnRead ? MEM_HOOK_READ : 0);
}

void mem_rom_undo(uint32_t ea)
{
    if (memState.afRomKept[abPageRegion[(ea >> 8) & 0xFF]])
        abMem6502[ea] = memState.abRom[ea];
}

void mem_rom_edited(uint32_t addr)
{
    if (memState.afRomKept[abPageRegion[(addr >> 8) & 0xFF]])
        memState.abRom[addr] = abMem6502[addr];
}

bool mem_roms_loaded()
{
    return memState.fRomsLoaded;
}

void mem_reset()
{
    for (auto& f : memState.afRomKept)
        f = false;
    memState.fRomsLoaded = false;
}

// Copies both ROM images from the resource table into memory and keeps
// their addresses for write protection.
static int mem_load_roms()
{
    for (int r = 0; r < C_MEM_REGIONS; r++) {
        const MemDef& rom = aMemC1P[r];
        if (!rom.idRes)
            continue;
        const Resource* res = res_find(rom.idRes);
        // A built-in resource has no system error code when it is missing:
        // report ENOENT. An image that does not fill its ROM range exactly
        // is refused (EINVAL), since write protection reads cbSize bytes of
        // it; the build checks both sizes, so neither should ever happen.
        int error = !res ? ENOENT : res->cb != rom.cbSize ? EINVAL : 0;
        if (error) {
            con_printf("unable to load ROM(s) (error %d)\n", error);
            return 0;
        }
        int n = static_cast<int>(res->cb);
        memcpy(cpu6502.mem + rom.addrBase, res->pb, res->cb);
        memcpy(memState.abRom + rom.addrBase, res->pb, res->cb);
        memState.afRomKept[r] = true;
        con_printf("%d bytes initialized (from 0x%04x to 0x%04x)\n", n, rom.addrBase,
                   rom.addrBase + n - 1);
    }
    memState.fRomsLoaded = true;
    return 1;
}

// Loads the file of "{addr}:{file}" into memory at addr, up to the end of
// memory.
static int mem_load_image(const char* spec)
{
    char* end;
    unsigned long addr = strtoul(spec, &end, 16);
    // 0 is also what strtoul gives when there is no number at all; overflow
    // and negative numbers come out far above the memory size.
    if (addr == 0 || addr >= static_cast<unsigned long>(cpu6502.memSize) || *end != ':') {
        con_printf("bad address (%s)\n", spec);
        return 0;
    }
    const char* file = end + 1;
    FilePtr f(fopen(file, "rb"));
    // Linux opens a directory for reading; there is nothing to load from it.
    struct stat st;
    if (!f || fstat(fileno(f.get()), &st) != 0 || S_ISDIR(st.st_mode)) {
        con_printf("unable to open '%s'\n", file);
        return 0;
    }
    int n = static_cast<int>(fread(cpu6502.mem + addr, 1, cpu6502.memSize - addr, f.get()));
    // Each byte loaded counts as edited: a screen cell is shown, a ROM range
    // keeps the image loaded over it.
    for (int i = 0; i < n; i++)
        mem_after_edit(static_cast<uint32_t>(addr + i));
    con_printf("%d bytes read (0x%04x to 0x%04x)\n", n, static_cast<unsigned>(addr),
               static_cast<unsigned>(addr + n - 1));
    return 1;
}

int mem_load(const char* spec)
{
    // Loading changes memory under a CPU that may be running: between two of
    // its instructions.
    MachineLock machine;
    if (!spec || !*spec)
        return mem_load_roms();
    return mem_load_image(spec);
}

int cmd_load(int argc, char** argv, const Switches*)
{
    if (argc <= 1) {
        mem_load(nullptr);
    } else if (argc == 3) {
        // The joined text goes into a string that fits it, however long the
        // file name: no fixed buffer to overflow and no path refused.
        std::string spec = std::string(argv[1]) + ":" + argv[2];
        mem_load(spec.c_str());
    } else {
        con_printf("invalid argument(s)\n");
    }
    return 0;
}

int cmd_mem(int, char**, const Switches*)
{
    uint32_t expected = 0;
    for (int r = 0; r < C_MEM_REGIONS; r++) {
        const uint32_t base = mem_base(static_cast<MemRegion>(r));
        const uint32_t last = mem_end(static_cast<MemRegion>(r));
        if (base != expected)
            con_printf("0x%04x - 0x%04x: UNUSED\n", expected, base - 1);
        con_printf("0x%04x - 0x%04x: %s\n", base, last, aMemC1P[r].pszName);
        expected = last + 1;
    }
    return 0;
}
