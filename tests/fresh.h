// The program's state as a fresh process has it, for the tests and tools that
// run one machine after another in one process: memory (the guard byte
// included) and registers clear, no breakpoints, the instruction count at 0,
// no ROM images loaded.
#pragma once

#include <cstring>

#include "cpu6502.h"
#include "mem.h"
#include "vm.h"

inline void fresh_program_state()
{
    bp_clear();
    memset(abMem6502, 0, MEM_SIZE6502 + 1);
    for (int i = 0; i < NUM_REGS6502; i++)
        aReg6502[i].value = aReg6502[i].valueShown = 0;
    cpu6502_restart_count();
    mem_reset();
}
