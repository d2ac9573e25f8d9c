// Placeholders of the instruction-set subsystem, replaced as it is built.
#include <cstdlib>
#include <strings.h>

#include "cpu6502.h"
#include "shell.h"

// clang-format off
Reg aReg6502[] = {
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

byte abMem6502[MEM_SIZE6502 + 1];

CpuDef cpu6502 = {"6502", 256, "aReg6502", aReg6502, NUM_REGS6502, nullptr, 0, nullptr, 0,
                  nullptr, 0, "abMem6502", abMem6502, MEM_SIZE6502, 0x100, 0x100, 1};

const OpDesc* aOpDesc6502;
volatile int fOpUndefined;

void cpu6502_undefined(void)
{
    fOpUndefined = 1;
}

static void op_stub()
{
    cpu6502_undefined();
}

PfnOp aPfnOp6502[256] = {
#define R16 op_stub, op_stub, op_stub, op_stub, op_stub, op_stub, op_stub, op_stub, \
            op_stub, op_stub, op_stub, op_stub, op_stub, op_stub, op_stub, op_stub
    R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16, R16,
#undef R16
};

Reg* reg_find(const char* name)
{
    for (int i = 0; i < NUM_REGS6502; i++)
        if (strcasecmp(aReg6502[i].name, name) == 0)
            return &aReg6502[i];
    return nullptr;
}

uint32_t parse_value(const char* text)
{
    if (!text)
        return 0;
    if (Reg* reg = reg_find(text))
        return static_cast<uint32_t>(reg->value);
    return static_cast<uint32_t>(strtoul(text, nullptr, 16));
}

std::unique_ptr<OpDesc[]> gen_opdesc_array(const CpuDef* cpu)
{
    return std::unique_ptr<OpDesc[]>(new OpDesc[cpu->numOpcodes]());
}

int gen_opcode_listing(const char*)
{
    con_printf("-gl: not available yet\n");
    return 0;
}

int gen_opcode_funcs(const char*)
{
    con_printf("-gc: not available yet\n");
    return 0;
}

int addbcd6502(byte op1, byte op2, byte op3)
{
    return op1 + op2 + op3;
}

int subbcd6502(byte op1, byte op2, byte op3)
{
    return op1 - op2 - op3;
}

int unassemble(int, char**, const Switches*)
{
    con_printf("unassemble: not available yet\n");
    return 0;
}
