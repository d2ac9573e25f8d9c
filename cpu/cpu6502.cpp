// The 6502 as data: the register file, memory, the flag aliases, the
// addressing-mode groups, the instruction table with the statement text of
// every instruction, the prologue of the generated source, and the processor
// descriptor that ties them together. Also the two lookups by name.
//
// This file, opdesc.cpp and gen.cpp build the opcode-function generator that
// the build runs, so they depend on nothing outside cpu/ but con_printf and
// two headers of the layers below (console.h, platform.h).
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <strings.h>

#include "console.h"
#include "cpu6502.h"

// The live register file. Generated source refers to a register by its index
// here, and the register-change list of the disassembler shows a prefix of
// the table, so the order matters.
// clang-format off
Reg aReg6502[NUM_REGS6502] = {
    {"A",  "Accumulator",       8,  0, 0},
    {"X",  "Index X",           8,  0, 0},
    {"Y",  "Index Y",           8,  0, 0},
    {"S",  "Stack Pointer",     8,  0, 0},
    {"P",  "Processor Status",  8,  0, 0},
    {"RN", "Result Negative",   8,  0, 0},
    {"RZ", "Result Zero",       8,  0, 0},
    {"RU", "Result Undefined",  8,  0, 0},
    {"RV", "Result Overflow",   16, 0, 0},
    {"RC", "Result Carry",      16, 0, 0},
    {"EA", "Effective Address", 16, 0, 0},
    {"LA", "Last Address",      16, 0, 0},
    {"PC", "Program Counter",   16, 0, 0},
    {"EF", "Emulator Flags",    8,  0, 0},
};
// clang-format on

// 64 KB and the guard byte at 0x10000 (see cpu6502.h).
byte abMem6502[MEM_SIZE6502 + 1];

// Flag-bit aliases; bit 5 of P has no name.
// clang-format off
const BitDef aBit6502[] = {
    {"C",         "Carry",        "P0"},
    {"Z",         "Zero",         "P1"},
    {"I",         "Interrupt",    "P2"},
    {"D",         "Decimal",      "P3"},
    {"B",         "Break",        "P4"},
    {"Undefined", "",             "P5"},
    {"V",         "Overflow",     "P6"},
    {"N",         "Sign",         "P7"},
    {"W",         "Memory Write", "EF0"},
};

// Addressing-mode groups. The index of a mode within its group is the value
// of the opcode's mode-select bits; `desc` is the operand format, high byte
// first where there are two bytes.
const InsDef aFetchAlu[8] = {
    {"IndX",   "[[0x%02x+X]]",   "000", 5, 0, "EA = WORD((BYTE(PC++)+X) & 0xff)", nullptr, nullptr, nullptr, nullptr},
    {"ZPage",  "[0x%02x]",       "001", 2, 0, "EA = BYTE(PC++)",                  nullptr, nullptr, nullptr, nullptr},
    {"Imm",    "0x%02x",         "010", 1, 0, "EA = PC++",                        nullptr, nullptr, nullptr, nullptr},
    {"Abs",    "[0x%02x%02x]",   "011", 3, 1, "EA = WORD(PC); PC += 2",           nullptr, nullptr, nullptr, nullptr},
    {"IndY",   "[[0x%02x]+Y]",   "100", 4, 0, "EA = WORD(BYTE(PC++))+Y",          nullptr, nullptr, nullptr, nullptr},
    {"ZPageX", "[0x%02x+X]",     "101", 3, 0, "EA = (BYTE(PC++)+X) & 0xff",       nullptr, nullptr, nullptr, nullptr},
    {"AbsY",   "[0x%02x%02x+Y]", "110", 3, 1, "EA = WORD(PC)+Y; PC += 2",         nullptr, nullptr, nullptr, nullptr},
    {"AbsX",   "[0x%02x%02x+X]", "111", 3, 1, "EA = WORD(PC)+X; PC += 2",         nullptr, nullptr, nullptr, nullptr},
};

const InsDef aFetchY[8] = {
    {"Imm",       "0x%02x",         "000", 1, 0, "EA = PC++",                  nullptr, nullptr, nullptr, nullptr},
    {"ZPage",     "[0x%02x]",       "001", 2, 0, "EA = BYTE(PC++)",            nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "010", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"Abs",       "[0x%02x%02x]",   "011", 3, 1, "EA = WORD(PC); PC += 2",     nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "100", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"ZPageX",    "[0x%02x+X]",     "101", 3, 0, "EA = (BYTE(PC++)+X) & 0xff", nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "110", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"AbsX",      "[0x%02x%02x+X]", "111", 3, 1, "EA = WORD(PC)+X; PC += 2",   nullptr, nullptr, nullptr, nullptr},
};

const InsDef aFetchX[8] = {
    {"Imm",       "0x%02x",         "000", 1, 0, "EA = PC++",                  nullptr, nullptr, nullptr, nullptr},
    {"ZPage",     "[0x%02x]",       "001", 2, 0, "EA = BYTE(PC++)",            nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "010", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"Abs",       "[0x%02x%02x]",   "011", 3, 1, "EA = WORD(PC); PC += 2",     nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "100", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"ZPageY",    "[0x%02x+Y]",     "101", 3, 0, "EA = (BYTE(PC++)+Y) & 0xff", nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "110", 0, 0, nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"AbsY",      "[0x%02x%02x+Y]", "111", 3, 1, "EA = WORD(PC)+Y; PC += 2",   nullptr, nullptr, nullptr, nullptr},
};

// The accumulator form has no memory operand (lastByte -1): its `code` is
// never used, the generator rewrites the instruction to work on A instead.
const InsDef aFetchRmw[8] = {
    {"Undefined", "",               "000", 0, 0,  nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"ZPage",     "[0x%02x]",       "001", 4, 0,  "EA = BYTE(PC++)",            nullptr, nullptr, nullptr, nullptr},
    {"Acc",       "A",              "010", 1, -1, "EA = (int)&A",               nullptr, nullptr, nullptr, nullptr},
    {"Abs",       "[0x%02x%02x]",   "011", 5, 1,  "EA = WORD(PC); PC += 2",     nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "100", 0, 0,  nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"ZPageX",    "[0x%02x+X]",     "101", 5, 0,  "EA = (BYTE(PC++)+X) & 0xff", nullptr, nullptr, nullptr, nullptr},
    {"Undefined", "",               "110", 0, 0,  nullptr,                      nullptr, nullptr, nullptr, nullptr},
    {"AbsX",      "[0x%02x%02x+X]", "111", 6, 1,  "EA = WORD(PC)+X; PC += 2",   nullptr, nullptr, nullptr, nullptr},
};

// JMP and JSR. The `Abs` here sets EA to the operand bytes themselves, so
// that M is the jump target.
const InsDef aFetchJmp[2] = {
    {"Abs", "0x%02x%02x",   "0", 2, 1, "EA = PC; PC += 2",       nullptr, nullptr, nullptr, nullptr},
    {"Ind", "[0x%02x%02x]", "1", 4, 1, "EA = WORD(PC); PC += 2", nullptr, nullptr, nullptr, nullptr},
};

// The instruction table, in alphabetical order of mnemonic. An instruction's
// cycles and its addressing mode's add up to its time on the processor when
// no index crosses a page and no branch is taken (cycles.cpp adds those);
// JSR's own 4 are its opcode fetch, an internal step and its two pushes.
// Every statement that stores into memory ends with "W = 1". PHP and BRK
// push the status byte with B and bit 5 set, as the chip does, and BRK sets
// I after pushing; P itself keeps the bits it holds.
const InsDef aIns6502[] = {
    {"ADC", "Add with Carry", "011???01", 1, 0,
     "RC = (D? addbcd6502(A,ML,LAZY_C) : (A + ML + LAZY_C)); SET_LAZY_OV(A,ML,RC); A = RCL; SET_LAZY_NZ(RCL)",
     "NV----ZC", aFetchAlu, nullptr, nullptr},
    {"AND", "Logical AND", "001???01", 1, 0,
     "A = A & ML; SET_LAZY_NZ(A)",
     "N-----Z-", aFetchAlu, nullptr, nullptr},
    {"ASL", "Arithmetic Shift Left", "000???10", 1, 0,
     "RC = ML << 1; ML = RCL; SET_LAZY_NZ(RCL); W = 1",
     "N-----ZC", aFetchRmw, "10101110", nullptr},
    {"BCC", "Branch if Carry Clear", "10010000", 2, 1,
     "PC = PC + (LAZY_C == 0? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BCS", "Branch if Carry Set", "10110000", 2, 1,
     "PC = PC + (LAZY_C == 1? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BEQ", "Branch if Equal", "11110000", 2, 1,
     "PC = PC + (LAZY_Z == 1? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BIT", "Compare Bits with Accumulator", "0010?100", 1, 0,
     "SET_LAZY_Z((A & ML) == 0); SET_LAZY_N(ML7); SET_LAZY_V(ML6)",
     "NV----Z-", aFetchAlu, "00001010", "00011100"},
    {"BMI", "Branch if Minus", "00110000", 2, 1,
     "PC = PC + (LAZY_N == 1? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BNE", "Branch if Not Equal", "11010000", 2, 1,
     "PC = PC + (LAZY_Z == 0? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BPL", "Branch if Plus", "00010000", 2, 1,
     "PC = PC + (LAZY_N == 0? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BRK", "Break", "00000000", 7, 0,
     "PC++; STACK(S--) = PCH; STACK(S--) = PCL; B = 1; C = LAZY_C; Z = LAZY_Z; V = LAZY_V; N = LAZY_N; STACK(S--) = P | 0x30; B = 0; I = 1; EA = 0xFFFE; PC = M",
     "-----I--", nullptr, nullptr, nullptr},
    {"BVC", "Branch if Overflow Clear", "01010000", 2, 1,
     "PC = PC + (LAZY_V == 0? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"BVS", "Branch if Overflow Set", "01110000", 2, 1,
     "PC = PC + (LAZY_V == 1? SBYTE(PC) : 0) + 1",
     nullptr, nullptr, nullptr, nullptr},
    {"CLC", "Clear Carry", "00011000", 2, 0,
     "SET_LAZY_C(0)",
     "-------C", nullptr, nullptr, nullptr},
    {"CLD", "Clear Decimal", "11011000", 2, 0,
     "D = 0",
     "----D---", nullptr, nullptr, nullptr},
    {"CLI", "Clear Interrupt", "01011000", 2, 0,
     "I = 0",
     "-----I--", nullptr, nullptr, nullptr},
    {"CLV", "Clear Overflow", "10111000", 2, 0,
     "SET_LAZY_V(0)",
     "-V------", nullptr, nullptr, nullptr},
    {"CMP", "Compare to Accumulator", "110???01", 1, 0,
     "RC = A - ML; SET_LAZY_NZ(RC); SET_LAZY_C(!LAZY_C)",
     "N-----ZC", aFetchAlu, nullptr, nullptr},
    {"CPX", "Compare to X", "1110??00", 1, 0,
     "RC = X - ML; SET_LAZY_NZ(RC); SET_LAZY_C(!LAZY_C)",
     "N-----ZC", aFetchX, "1011", nullptr},
    {"CPY", "Compare to Y", "1100??00", 1, 0,
     "RC = Y - ML; SET_LAZY_NZ(RC); SET_LAZY_C(!LAZY_C)",
     "N-----ZC", aFetchY, "1011", nullptr},
    {"DEC", "Decrement", "110??110", 1, 0,
     "ML = ML - 1; SET_LAZY_NZ(ML); W = 1",
     "N-----Z-", aFetchRmw, "10101010", "00011100"},
    {"DEX", "Decrement X", "11001010", 2, 0,
     "X = (byte)(X - 1); SET_LAZY_NZ(X)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"DEY", "Decrement Y", "10001000", 2, 0,
     "Y = (byte)(Y - 1); SET_LAZY_NZ(Y)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"EOR", "Logical Exclusive-OR", "010???01", 1, 0,
     "A = A ^ ML; SET_LAZY_NZ(A)",
     "N-----Z-", aFetchAlu, nullptr, nullptr},
    {"INC", "Increment", "111??110", 1, 0,
     "ML = ML + 1; SET_LAZY_NZ(ML); W = 1",
     "N-----Z-", aFetchRmw, "10101010", "00011100"},
    {"INX", "Increment X", "11101000", 2, 0,
     "X = (byte)(X + 1); SET_LAZY_NZ(X)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"INY", "Increment Y", "11001000", 2, 0,
     "Y = (byte)(Y + 1); SET_LAZY_NZ(Y)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"JMP", "Jump to Address", "01?01100", 1, 0,
     "PC = M",
     nullptr, aFetchJmp, "11", "00100000"},
    {"JSR", "Jump to Subroutine", "00100000", 4, 0,
     "word T = M; PC--; STACK(S--) = PCH; STACK(S--) = PCL; PC = T",
     nullptr, aFetchJmp, "01", "00010000"},
    {"LDA", "Load Accumulator", "101???01", 1, 0,
     "A = ML; SET_LAZY_NZ(ML)",
     "N-----Z-", aFetchAlu, nullptr, nullptr},
    {"LDX", "Load X", "101???10", 1, 0,
     "X = ML; SET_LAZY_NZ(ML)",
     "N-----Z-", aFetchX, "10101011", nullptr},
    {"LDY", "Load Y", "101???00", 1, 0,
     "Y = ML; SET_LAZY_NZ(ML)",
     "N-----Z-", aFetchY, "10101011", nullptr},
    {"LSR", "Logical Shift Right", "010???10", 1, 0,
     "SET_LAZY_C(ML0); ML = RCL = ML >> 1; SET_LAZY_NZ(RCL); W = 1",
     "N-----ZC", aFetchRmw, "10101110", nullptr},
    {"NOP", "No Operation", "11101010", 2, 0,
     nullptr,
     nullptr, nullptr, nullptr, nullptr},
    {"ORA", "Logical Inclusive-OR", "000???01", 1, 0,
     "A = A | ML; SET_LAZY_NZ(A)",
     "N-----Z-", aFetchAlu, nullptr, nullptr},
    {"PHA", "Push Accumulator", "01001000", 3, 0,
     "STACK(S--) = A",
     nullptr, nullptr, nullptr, nullptr},
    {"PHP", "Push Processor Status", "00001000", 3, 0,
     "C = LAZY_C; Z = LAZY_Z; V = LAZY_V; N = LAZY_N; STACK(S--) = P | 0x30",
     nullptr, nullptr, nullptr, nullptr},
    {"PLA", "Pull Accumulator", "01101000", 4, 0,
     "A = STACK(++S); SET_LAZY_NZ(A)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"PLP", "Pull Processor Status", "00101000", 4, 0,
     "P = STACK(++S); SET_LAZY_C(C); SET_LAZY_Z(Z); SET_LAZY_N(N); SET_LAZY_V(V)",
     "NV-BDIZC", nullptr, nullptr, nullptr},
    {"ROL", "Rotate Left", "001???10", 1, 0,
     "RCL = ML; RC = RC << 1; RCL0 = RCH1; ML = RCL; SET_LAZY_NZ(RCL); W = 1",
     "N-----ZC", aFetchRmw, "10101110", nullptr},
    {"ROR", "Rotate Right", "011???10", 1, 0,
     "RCL = ML; RCH1 = RCL0; RC = RC >> 1; ML = RCL; SET_LAZY_NZ(RCL); W = 1",
     "N-----ZC", aFetchRmw, "10101110", nullptr},
    {"RTI", "Return From Interrupt", "01000000", 6, 0,
     "P = STACK(++S); SET_LAZY_C(C); SET_LAZY_Z(Z); SET_LAZY_N(N); SET_LAZY_V(V); PCL = STACK(++S); PCH = STACK(++S)",
     "NV-BDIZC", nullptr, nullptr, nullptr},
    {"RTS", "Return From Subroutine", "01100000", 6, 0,
     "PCL = STACK(++S); PCH = STACK(++S); PC++",
     nullptr, nullptr, nullptr, nullptr},
    {"SBC", "Subtract with Carry", "111???01", 1, 0,
     "RC = (D? subbcd6502(A,ML,!LAZY_C) : (A - ML - !LAZY_C)); SET_LAZY_OV(A,ML,RC); A = RCL; SET_LAZY_NZ(RCL); SET_LAZY_C(!LAZY_C)",
     "NV----ZC", aFetchAlu, nullptr, nullptr},
    {"SEC", "Set Carry", "00111000", 2, 0,
     "SET_LAZY_C(1)",
     "-------C", nullptr, nullptr, nullptr},
    {"SED", "Set Decimal", "11111000", 2, 0,
     "D = 1",
     "----D---", nullptr, nullptr, nullptr},
    {"SEI", "Set Interrupt", "01111000", 2, 0,
     "I = 1",
     "-----I--", nullptr, nullptr, nullptr},
    {"STA", "Store Accumulator", "100???01", 1, 0,
     "ML = A; W = 1",
     nullptr, aFetchAlu, "11111011", nullptr},
    {"STX", "Store X", "100???10", 1, 0,
     "ML = X; W = 1",
     nullptr, aFetchX, "00101010", nullptr},
    {"STY", "Store Y", "100???00", 1, 0,
     "ML = Y; W = 1",
     nullptr, aFetchY, "00101010", nullptr},
    {"TAX", "Transfer A to X", "10101010", 2, 0,
     "X = A; SET_LAZY_NZ(A)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"TAY", "Transfer A to Y", "10101000", 2, 0,
     "Y = A; SET_LAZY_NZ(A)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"TSX", "Transfer S to X", "10111010", 2, 0,
     "X = S; SET_LAZY_NZ(S)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"TXA", "Transfer X to A", "10001010", 2, 0,
     "A = X; SET_LAZY_NZ(X)",
     "N-----Z-", nullptr, nullptr, nullptr},
    {"TXS", "Transfer X to S", "10011010", 2, 0,
     "S = X",
     nullptr, nullptr, nullptr, nullptr},
    {"TYA", "Transfer Y to A", "10011000", 2, 0,
     "A = Y; SET_LAZY_NZ(Y)",
     "N-----Z-", nullptr, nullptr, nullptr},
};

// Copied verbatim into the generated source: the lazy-flag vocabulary of the
// statement texts and the decimal-mode functions they call.
const char* const aszPrologue6502[] = {
    "#define LAZY_C (RCH0)",
    "#define SET_LAZY_C(b) (RCH0 = (b))",
    "#define LAZY_N (RN7)",
    "#define SET_LAZY_N(b) (RN7 = (b))",
    "#define SET_LAZY_NZ(v) (RN = RZ = (v))",
    "#define LAZY_Z ((byte)RZ == 0)",
    "#define SET_LAZY_Z(b) (RZ = !(b))",
    "#define LAZY_V ((((RVL ^ RU) ^ (RV >> 1)) & 0x80) != 0)",
    "#define SET_LAZY_V(b) (RV = 0, RU = ((b)? 0x80 : 0x00))",
    "#define SET_LAZY_OV(a,b,r) (RU = (a) ^ (b), RV = (r))",
    "",
    "int addbcd6502(byte op1, byte op2, byte op3);",
    "int subbcd6502(byte op1, byte op2, byte op3);",
};

CpuDef cpu6502 = {
    "6502",                     // name
    256,                        // numOpcodes
    "aReg6502",                 // regArrayName
    aReg6502,                   // regs
    NUM_REGS6502,               // numRegs
    aBit6502,                   // bitDefs
    std::size(aBit6502),        // numBitDefs
    aIns6502,                   // insDefs
    std::size(aIns6502),        // numInsDefs
    aszPrologue6502,            // prologue
    std::size(aszPrologue6502), // numPrologue
    "abMem6502",                // memArrayName
    abMem6502,                  // mem
    MEM_SIZE6502,               // memSize
    0x100,                      // stackBase
    0x100,                      // stackSize
    1,                          // stackWidth
};
// clang-format on

const OpDesc* aOpDesc6502;

Reg* reg_find(const char* name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < NUM_REGS6502; i++)
        if (strcasecmp(aReg6502[i].name, name) == 0)
            return &aReg6502[i];
    return nullptr;
}

uint32_t parse_value(const char* text)
{
    if (!text)
        return 0;
    if (const Reg* reg = reg_find(text))
        return static_cast<uint32_t>(reg->value);
    return static_cast<uint32_t>(strtoul(text, nullptr, 16));
}

// True when the text is a hexadecimal number and nothing else (an optional
// "0x" first, as parse_value accepts it).
static bool parse_is_hex(const char* text)
{
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && text[2])
        text += 2;
    return text[0] && text[strspn(text, "0123456789abcdefABCDEF")] == 0;
}

void parse_value_notices(int argc, char* const* argv, int first, int last)
{
    const Reg* apRegNoted[NUM_REGS6502];
    int cNoted = 0;
    for (int i = first; i < argc && i <= last; i++) {
        const char* text = argv[i];
        const Reg* reg = reg_find(text);
        const bool hex = parse_is_hex(text);
        // Text that is no plain number still reads as one, as far as it
        // goes; the user is told what it became. (A '$' parameter of `edit`
        // is a string, not a value.)
        if (!reg && !hex && text[0] != '$')
            con_printf("note: '%s' is not a hexadecimal number; it reads as 0x%x\n", text,
                       parse_value(text));
        if (!reg || !hex)
            continue;
        bool noted = false;
        for (int k = 0; k < cNoted; k++)
            noted = noted || apRegNoted[k] == reg;
        if (noted)
            continue;
        apRegNoted[cNoted++] = reg;
        con_printf("note: '%s' is taken as register %s (0x%0*x); write 0%s for the number 0x%s\n",
                   text, reg->name, reg->size == 8 ? 2 : 4,
                   static_cast<unsigned>(reg->value & 0xFFFF), text, text);
    }
}
