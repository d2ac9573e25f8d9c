// The memory map's functions: the CPU thread's bus, ROM images, image loading
// and the `load` and `mem` commands. The map itself is memmap.h.
#pragma once

#include <cstdint>

#include "cpu6502.h"
#include "memmap.h"

struct Switches;

// The bus: after an instruction that stored into the address ea, or read from
// it, runs the hook of ea's region. The CPU thread calls them only for the
// pages that mem_page_hooks marks.
void mem_after_store(uint32_t ea);
void mem_after_read(uint32_t ea);
// The debugger changed the byte at addr: what shows it shows it again.
void mem_after_edit(uint32_t addr);

// Which hooks the 256-byte page has (regions begin and end on page
// boundaries).
constexpr uint8_t MEM_HOOK_STORE = 0x01;
constexpr uint8_t MEM_HOOK_READ = 0x02;
uint8_t mem_page_hooks(int page);

// Loads both ROM images (null or empty spec) or "{addr}:{file}"; 1 or 0.
// Once a ROM's image is loaded, a store of the emulated program into its
// region is undone (mem_rom_undo) from the image, with what `load` and
// `edit` put over it since; before, the store stands.
int mem_load(const char* spec);
// True once both ROM images have been loaded.
bool mem_roms_loaded();
// Forgets the ROM images, as at start: no write protection, and `go` loads
// them again. Memory is left as it is.
void mem_reset();

int cmd_load(int argc, char** argv, const Switches* sw);
int cmd_mem(int argc, char** argv, const Switches* sw);
