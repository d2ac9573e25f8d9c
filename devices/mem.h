// Memory map, ROM images and image loading.
#pragma once

#include <atomic>
#include <cstdint>

#include "cpu6502.h"

struct Switches;

// One ROM of the machine: loaded from a built-in resource, and kept for
// write protection once loaded. pbImage is set on the main thread and read
// by the CPU thread, hence atomic; the bytes it points at never change.
struct RomDef {
    uint32_t addrBase;
    uint32_t cbSize;
    uint32_t idRes;
    std::atomic<const byte*> pbImage; // null until loaded
};

constexpr int C_ROMS = 2;
extern RomDef aRomC1P[C_ROMS];

// One region of the memory map, as `mem` prints it.
struct MemDef {
    uint32_t addrBase;
    uint32_t cbSize; // 0: up to the next region
    const char* pszName;
};

constexpr int C_MEM_REGIONS = 6;
extern const MemDef aMemC1P[C_MEM_REGIONS];

// Device ranges of the memory map.
constexpr uint32_t VIDEO_BASE = 0xD000, VIDEO_END = 0xD3FF;
constexpr uint32_t KBD_BASE = 0xDC00, KBD_END = 0xDFFF;
constexpr uint32_t CAS_BASE = 0xF000, CAS_END = 0xF0FF;

extern uint8_t fRomsLoaded;

// Loads both ROM images (null or empty spec) or "{addr}:{file}"; 1 or 0.
int mem_load(const char* spec);
int cmd_load(int argc, char** argv, const Switches* sw);
int cmd_mem(int argc, char** argv, const Switches* sw);

// ROM write protection: the CPU thread calls this after an instruction that
// stored to ea outside the device ranges. A store into a ROM range is undone
// from the ROM's image; before the images have been loaded there is nothing
// to restore from, and the store stands.
inline void mem_rom_undo(uint32_t ea)
{
    for (const RomDef& rom : aRomC1P)
        if (ea - rom.addrBase < rom.cbSize)
            if (const byte* pb = rom.pbImage.load(std::memory_order_acquire))
                abMem6502[ea] = pb[ea - rom.addrBase];
}
