// The 6502 as data: the processor description, the register file, memory,
// the opcode descriptor array, the dispatch table, the generators and the
// disassembler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cpu.h"

struct Switches;

// A flag-bit alias: `name` stands for the bit view `def`. A row whose `desc`
// is empty forms no alias.
struct BitDef {
    const char* name;
    const char* desc;
    const char* def;
};

// One record type serves instructions and addressing modes alike.
struct InsDef {
    const char* name;            // mnemonic, or addressing-mode name
    const char* desc;            // description, or operand format of a mode
    const char* opcode;          // bit pattern "011???01", or mode index
    uint8_t cycles;              // clock cycles of the record (cycles.cpp adds them up)
    int8_t lastByte;             // index of the last byte of the record's run
    const char* code;            // statement text; null when absent
    const char* flags;           // descriptive; null when absent
    const InsDef* fetch;         // addressing-mode group; null when absent
    const char* maskFetch;       // modes used, highest index first; null: all
    const char* maskOpcodeFetch; // mode-select bits; null: the '?' bits
};

struct CpuDef {
    const char* name;
    int32_t numOpcodes;
    const char* regArrayName;
    Reg* regs;
    int32_t numRegs;
    const BitDef* bitDefs;
    int32_t numBitDefs;
    const InsDef* insDefs;
    int32_t numInsDefs;
    const char* const* prologue;
    int32_t numPrologue;
    const char* memArrayName;
    byte* mem;
    int32_t memSize;
    int32_t stackBase;
    int32_t stackSize;
    int8_t stackWidth;
};

// One entry per opcode: the instruction and its addressing mode, or none.
struct OpDesc {
    const InsDef* ins;
    const InsDef* mode;
};

// Indices into the register table; generated source refers to registers by
// these indices, other code by name through reg_find.
// clang-format off
enum RegIndex {
    REG_A, REG_X, REG_Y, REG_S, REG_P, REG_RN, REG_RZ, REG_RU, REG_RV, REG_RC,
    REG_EA, REG_LA, REG_PC, REG_EF, NUM_REGS6502
};
// clang-format on

constexpr int32_t MEM_SIZE6502 = 0x10000;

extern CpuDef cpu6502;
extern Reg aReg6502[];
// The 64 KB of emulated memory, plus one guard byte at 0x10000 so that a word
// read at 0xFFFF stays inside the array. The run loop copies the byte at
// 0x0000 into the guard before each instruction that can read such a word
// (one at 0xFFFE, and JMP (indirect)), so that it takes its high byte from
// 0x0000, as the 16-bit address space wraps.
extern byte abMem6502[];
extern const BitDef aBit6502[];
extern const InsDef aIns6502[];
extern const char* const aszPrologue6502[];
// The addressing-mode groups the instruction records point to.
extern const InsDef aFetchAlu[];
extern const InsDef aFetchY[];
extern const InsDef aFetchX[];
extern const InsDef aFetchRmw[];
extern const InsDef aFetchJmp[];

// The descriptor array built at start-up by cpu6502_init; read-only after.
extern const OpDesc* aOpDesc6502;
// The dispatch table of the generated opcode functions.
extern PfnOp aPfnOp6502[];

// Set by cpu6502_undefined when an undefined opcode has run; the CPU thread
// reads and clears it.
extern volatile int fOpUndefined;

// Register lookup by name, ignoring case; null when there is none.
Reg* reg_find(const char* name);
// A register name's value, or else the text read as hexadecimal (0 for none).
uint32_t parse_value(const char* text);
// The register name wins even where it also reads as a hexadecimal number
// (A, EA, EF). For each such name among the value parameters argv[first] to
// argv[last], prints once, before the command's own output, a notice that
// the register is meant and how to write the number ("0ea"). A parameter
// that is neither a register nor a plain hexadecimal number ("zz", "5g",
// "-1") gets a notice of what it reads as.
void parse_value_notices(int argc, char* const* argv, int first, int last);

// A text field of the tables as the generators print it: null as empty.
inline const char* gen_text(const char* s)
{
    return s ? s : "";
}

// Expands the instruction table into numOpcodes entries; null after a fault
// (every fault reported through con_printf).
std::unique_ptr<OpDesc[]> gen_opdesc_array(const CpuDef* cpu);

// Generators: option handlers of -gl and -gc (0 on failure, -1 on success).
int gen_opcode_listing(const char* file);
int gen_opcode_funcs(const char* file);

// Clock cycles. cyc6502_init builds the cycle table from the descriptor
// array (count entries) at start-up; cyc6502_cycles gives the cycles of the
// instruction `opcode` just executed from `pc`, with PC and EA as it left
// them (EA not reduced to 16 bits) and X and Y as they are now.
void cyc6502_init(const OpDesc* desc, int count);
int cyc6502_cycles(byte opcode, int32_t pc, int32_t pcNext, int32_t ea);

// Decimal-mode arithmetic of ADC and SBC.
int addbcd6502(byte op1, byte op2, byte op3);
int subbcd6502(byte op1, byte op2, byte op3);

// What the disassembler asks of the virtual machine above it, which
// registers both at start-up: whether the machine exists (`unassemble` needs
// it; false after printing why not), and whether a code breakpoint stands at
// an address (its line is marked '*'). Without them the command works on
// memory alone and marks nothing.
void unassemble_hooks(bool (*pfnRequired)(), bool (*pfnMarked)(int32_t addr));
// The `unassemble` command; also shows one instruction at PC for the tracer,
// `regs` and the stop reports.
int unassemble(int argc, char** argv, const Switches* sw);
// The command's work once the virtual machine is known to exist.
int unassemble_lines(int argc, char** argv, const Switches* sw);
// Formats the line of the instruction at `addr` into `buf` (ending in "\n"),
// with the tail that `argc` selects as for unassemble, and returns the
// address that follows the instruction (not reduced). Updates `valueShown` of
// the registers it considers for the register-change list.
uint32_t unassemble_line(char* buf, size_t size, uint32_t addr, int argc);
