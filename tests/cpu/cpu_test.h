// Helpers of the instruction-set tests: a clean machine, one instruction run
// as the CPU thread runs it, the status byte, and the expected opcode map.
#pragma once

#include <cstring>
#include <iterator>
#include <span>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "cpu6502.h"
#include "vm.h"

// Bits of the status byte.
constexpr int F_N = 0x80, F_V = 0x40, F_D = 0x08, F_I = 0x04, F_Z = 0x02, F_C = 0x01;

constexpr auto reg = [](RegIndex r) -> int32_t& { return aReg6502[r].value; };
constexpr auto peek = [](uint32_t addr) { return abMem6502[addr & 0xFFFF]; };

// The descriptor array built as at start-up; registers (shown values
// included), memory and the undefined-opcode note cleared.
inline void cpu_reset()
{
    ASSERT_TRUE(aOpDesc6502 || cpu6502_init());
    for (Reg& r : std::span(aReg6502, NUM_REGS6502))
        r.value = r.valueShown = 0;
    memset(abMem6502, 0, MEM_SIZE6502 + 1);
    fOpUndefined = 0;
}

inline void poke(uint32_t addr, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes)
        abMem6502[addr++ & 0xFFFF] = b;
}

// Puts `bytes` at `addr` and executes one instruction from there as the run
// loop does: the guard byte takes the byte at 0x0000, then fetch, PC + 1, W
// cleared, EA = 0xFFFF, dispatch; afterwards PC is kept to 16 bits.
inline void run_one(uint32_t addr, const std::vector<uint8_t>& bytes)
{
    poke(addr, bytes);
    abMem6502[MEM_SIZE6502] = abMem6502[0];
    reg(REG_PC) = static_cast<int32_t>(addr + 1);
    reg(REG_EF) &= ~1;
    reg(REG_EA) = 0xFFFF;
    aPfnOp6502[peek(addr)]();
    reg(REG_PC) &= 0xFFFF;
}

// The status byte as the program sees it (N, V, Z, C from the lazy
// registers, the others from P), without the bits PHP forces on.
inline int status()
{
    const int32_t rv = reg(REG_RV);
    const bool v = (((rv & 0xFF) ^ reg(REG_RU) ^ (rv >> 1)) & 0x80) != 0;
    return (reg(REG_P) & 0x3C) | (reg(REG_RN) & 0x80) | (v ? F_V : 0) |
           ((reg(REG_RZ) & 0xFF) == 0 ? F_Z : 0) | ((reg(REG_RC) & 0x100) ? F_C : 0);
}

// Sets P and the lazy flags the way PLP does; S ends at 0xFF.
inline void set_status(int p)
{
    reg(REG_S) = 0xFE;
    poke(0x01FF, {static_cast<uint8_t>(p)});
    run_one(0x0F00, {0x28});
}

template <typename F>
std::string capture_stdout(F f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// The expected opcode map, one row of 16 opcodes per string: instruction and
// mode as the opcode function names them, '-' where no instruction claims it.
// clang-format off
inline const char* const kOpcodeMap[16] = {
    "BRK ORA_IndX - - - ORA_ZPage ASL_ZPage - PHP ORA_Imm ASL_Acc - - ORA_Abs ASL_Abs -",
    "BPL ORA_IndY - - - ORA_ZPageX ASL_ZPageX - CLC ORA_AbsY - - - ORA_AbsX ASL_AbsX -",
    "JSR_Abs AND_IndX - - BIT_ZPage AND_ZPage ROL_ZPage - PLP AND_Imm ROL_Acc - BIT_Abs AND_Abs ROL_Abs -",
    "BMI AND_IndY - - - AND_ZPageX ROL_ZPageX - SEC AND_AbsY - - - AND_AbsX ROL_AbsX -",
    "RTI EOR_IndX - - - EOR_ZPage LSR_ZPage - PHA EOR_Imm LSR_Acc - JMP_Abs EOR_Abs LSR_Abs -",
    "BVC EOR_IndY - - - EOR_ZPageX LSR_ZPageX - CLI EOR_AbsY - - - EOR_AbsX LSR_AbsX -",
    "RTS ADC_IndX - - - ADC_ZPage ROR_ZPage - PLA ADC_Imm ROR_Acc - JMP_Ind ADC_Abs ROR_Abs -",
    "BVS ADC_IndY - - - ADC_ZPageX ROR_ZPageX - SEI ADC_AbsY - - - ADC_AbsX ROR_AbsX -",
    "- STA_IndX - - STY_ZPage STA_ZPage STX_ZPage - DEY - TXA - STY_Abs STA_Abs STX_Abs -",
    "BCC STA_IndY - - STY_ZPageX STA_ZPageX STX_ZPageY - TYA STA_AbsY TXS - - STA_AbsX - -",
    "LDY_Imm LDA_IndX LDX_Imm - LDY_ZPage LDA_ZPage LDX_ZPage - TAY LDA_Imm TAX - LDY_Abs LDA_Abs LDX_Abs -",
    "BCS LDA_IndY - - LDY_ZPageX LDA_ZPageX LDX_ZPageY - CLV LDA_AbsY TSX - LDY_AbsX LDA_AbsX LDX_AbsY -",
    "CPY_Imm CMP_IndX - - CPY_ZPage CMP_ZPage DEC_ZPage - INY CMP_Imm DEX - CPY_Abs CMP_Abs DEC_Abs -",
    "BNE CMP_IndY - - - CMP_ZPageX DEC_ZPageX - CLD CMP_AbsY - - - CMP_AbsX DEC_AbsX -",
    "CPX_Imm SBC_IndX - - CPX_ZPage SBC_ZPage INC_ZPage - INX SBC_Imm NOP - CPX_Abs SBC_Abs INC_Abs -",
    "BEQ SBC_IndY - - - SBC_ZPageX INC_ZPageX - SED SBC_AbsY - - - SBC_AbsX INC_AbsX -",
};
// clang-format on

// The expected entry of `op`, e.g. "ADC_IndX" or "NOP"; "" for none.
inline std::string opcode_entry(int op)
{
    std::istringstream row(kOpcodeMap[op >> 4]);
    const std::string word = *std::next(std::istream_iterator<std::string>(row), op & 15);
    return word == "-" ? "" : word;
}
