// Helpers shared by the instruction-set tests: a clean machine, programs in
// memory, one instruction executed the way the CPU thread executes it, and
// the flags read back from the lazy-flag registers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "cpu6502.h"

// Registers (all of them, shown values included), memory and the
// undefined-opcode note all cleared.
void cpu_reset();

// Copies `bytes` into memory at `addr`.
void poke(uint32_t addr, std::initializer_list<uint8_t> bytes);
uint8_t peek(uint32_t addr);

// The live value of a register by index.
int32_t& reg(RegIndex r);

// Executes the instruction at PC as the run loop does: the guard byte takes
// the byte at 0x0000, then fetch, PC + 1, W cleared, EA = 0xFFFF, dispatch;
// afterwards PC is kept within 16 bits.
void cpu_step();

// Puts `bytes` at `addr`, sets PC there and executes one instruction.
void run_one(uint32_t addr, std::initializer_list<uint8_t> bytes);

// The flags as the program sees them: N, Z, C, V from the lazy registers,
// the others from P.
bool flag_n();
bool flag_z();
bool flag_c();
bool flag_v();
// The status byte as PHP would pack it (without the bits PHP forces on).
uint8_t status();
bool flag_w();

// The console output of `f`.
template <typename F>
std::string capture_stdout(F f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}
