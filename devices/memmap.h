// The Challenger 1P's memory map: one table of the regions of the 64 KB
// address space, in address order, with what answers in each. The CPU
// thread's bus functions (mem.h) run a region's hooks after the emulated
// program stores into it or reads from it, `mem` prints the table, ROM
// loading and write protection take the ROM regions from it, and each device
// finds its own range here. Every address outside the device and ROM
// regions, the unused ranges included, behaves as plain memory.
#pragma once

#include <cstdint>
#include <iterator>

#include "resources.h"

// A region's hook: runs after an access to the address ea of its region.
typedef void (*PfnMemHook)(uint32_t ea);

// The hooks, each defined by the device it belongs to.
void mem_rom_undo(uint32_t ea);   // mem.cpp: a store into ROM is undone from the image
void mem_rom_edited(uint32_t ea); // mem.cpp: the image takes the edited byte
void dev_stored(uint32_t ea);     // video.cpp: the cell shows its new code
void kbd_stored(uint32_t ea);     // kbd.cpp: a row selection
void cas_stored(uint32_t ea);     // cassette.cpp: the register keeps its own value
void cas_loaded(uint32_t ea);     // cassette.cpp: a read of a data register takes its byte

struct MemDef {
    uint32_t addrBase;
    uint32_t cbSize;     // 0: up to the next region (the last one: up to 0xFFFF)
    const char* pszName; // as `mem` prints it
    int idRes;           // resource id of a ROM's image; 0 for any other region
    PfnMemHook pfnStore; // after the emulated program stored into the region
    PfnMemHook pfnRead;  // after it read from the region
    PfnMemHook pfnEdit;  // after the debugger changed a byte of it (`edit`)
};

enum MemRegion { MEM_RAM, MEM_BASIC_ROM, MEM_VIDEO, MEM_KBD, MEM_CAS, MEM_SYSTEM_ROM };

// clang-format off
inline constexpr MemDef aMemC1P[] = {
//   base    size    name                    idRes           pfnStore      pfnRead     pfnEdit
    {0x0000, 0,      "RAM",                  0,              nullptr,      nullptr,    nullptr},
    {0xA000, 0x2000, "BASIC ROM",            RES_ROM_BASIC,  mem_rom_undo, nullptr,    mem_rom_edited},
    {0xD000, 0x0400, "Video frame buffer",   0,              dev_stored,   nullptr,    dev_stored},
    {0xDC00, 0x0400, "Keyboard status/data", 0,              kbd_stored,   nullptr,    nullptr},
    {0xF000, 0x0100, "Cassette status/data", 0,              cas_stored,   cas_loaded, nullptr},
    {0xF800, 0x0800, "System ROM",           RES_ROM_SYSTEM, mem_rom_undo, nullptr,    mem_rom_edited},
};
// clang-format on
constexpr int C_MEM_REGIONS = static_cast<int>(std::size(aMemC1P));

// The first and last address of a region.
constexpr uint32_t mem_base(MemRegion r)
{
    return aMemC1P[r].addrBase;
}
constexpr uint32_t mem_end(MemRegion r)
{
    return aMemC1P[r].cbSize       ? aMemC1P[r].addrBase + aMemC1P[r].cbSize - 1
           : r + 1 < C_MEM_REGIONS ? aMemC1P[r + 1].addrBase - 1
                                   : 0xFFFF;
}

// The device ranges.
constexpr uint32_t VIDEO_BASE = mem_base(MEM_VIDEO), VIDEO_END = mem_end(MEM_VIDEO);
constexpr uint32_t KBD_BASE = mem_base(MEM_KBD), KBD_END = mem_end(MEM_KBD);
constexpr uint32_t CAS_BASE = mem_base(MEM_CAS), CAS_END = mem_end(MEM_CAS);
