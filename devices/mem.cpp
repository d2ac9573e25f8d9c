// The Challenger 1P memory map: the ROM table, the region table that `mem`
// prints, loading the built-in ROM images and memory-image files.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "mem.h"
#include "platform.h"
#include "resources.h"
#include "console.h"
#include "lock.h"

RomDef aRomC1P[C_ROMS] = {
    {0xA000, 0x2000, RES_ROM_BASIC, nullptr},
    {0xF800, 0x0800, RES_ROM_SYSTEM, nullptr},
};

// clang-format off
const MemDef aMemC1P[C_MEM_REGIONS] = {
    {0x0000, 0,      "RAM"},
    {0xA000, 0x2000, "BASIC ROM"},
    {0xD000, 0x0400, "Video frame buffer"},
    {0xDC00, 0x0400, "Keyboard status/data"},
    {0xF000, 0x0100, "Cassette status/data"},
    {0xF800, 0x0800, "System ROM"},
};
// clang-format on

uint8_t fRomsLoaded;

// Copies both ROM images from the resource table into memory and keeps
// their addresses for write protection.
static int mem_load_roms()
{
    for (RomDef& rom : aRomC1P) {
        const Resource* res = res_find(static_cast<int>(rom.idRes));
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
        rom.pbImage.store(res->pb, std::memory_order_release);
        con_printf("%d bytes initialized (from 0x%04x to 0x%04x)\n", n, rom.addrBase,
                   rom.addrBase + n - 1);
    }
    fRomsLoaded = 1;
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
    for (int i = 0; i < C_MEM_REGIONS; i++) {
        const MemDef& mem = aMemC1P[i];
        uint32_t last = mem.cbSize              ? mem.addrBase + mem.cbSize - 1
                        : i + 1 < C_MEM_REGIONS ? aMemC1P[i + 1].addrBase - 1
                                                : 0xFFFF;
        if (mem.addrBase != expected)
            con_printf("0x%04x - 0x%04x: UNUSED\n", expected, mem.addrBase - 1);
        con_printf("0x%04x - 0x%04x: %s\n", mem.addrBase, last, mem.pszName);
        expected = last + 1;
    }
    return 0;
}
