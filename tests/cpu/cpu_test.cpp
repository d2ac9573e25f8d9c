#include "cpu_test.h"

#include <cstring>

#include "vm.h"

void cpu_reset()
{
    for (int i = 0; i < NUM_REGS6502; i++)
        aReg6502[i].value = aReg6502[i].valueShown = 0;
    memset(abMem6502, 0, MEM_SIZE6502 + 1);
    fOpUndefined = 0;
}

void poke(uint32_t addr, std::initializer_list<uint8_t> bytes)
{
    for (uint8_t b : bytes)
        abMem6502[addr++ & 0xFFFF] = b;
}

uint8_t peek(uint32_t addr)
{
    return abMem6502[addr & 0xFFFF];
}

int32_t& reg(RegIndex r)
{
    return aReg6502[r].value;
}

void cpu_step()
{
    abMem6502[MEM_SIZE6502] = abMem6502[0];
    int32_t& pc = reg(REG_PC);
    uint8_t opcode = abMem6502[pc & 0xFFFF];
    pc++;
    reg(REG_EF) &= ~1;
    reg(REG_EA) = 0xFFFF;
    aPfnOp6502[opcode]();
    pc &= 0xFFFF;
}

void run_one(uint32_t addr, std::initializer_list<uint8_t> bytes)
{
    poke(addr, bytes);
    reg(REG_PC) = static_cast<int32_t>(addr);
    cpu_step();
}

bool flag_n()
{
    return (reg(REG_RN) & 0x80) != 0;
}

bool flag_z()
{
    return (reg(REG_RZ) & 0xFF) == 0;
}

bool flag_c()
{
    return (reg(REG_RC) & 0x100) != 0;
}

bool flag_v()
{
    int32_t rv = reg(REG_RV);
    return (((rv & 0xFF) ^ reg(REG_RU) ^ (rv >> 1)) & 0x80) != 0;
}

uint8_t status()
{
    return static_cast<uint8_t>((reg(REG_P) & 0x3C) | (flag_n() << 7) | (flag_v() << 6) |
                                (flag_z() << 1) | (flag_c() ? 1 : 0));
}

bool flag_w()
{
    return (reg(REG_EF) & 1) != 0;
}

namespace
{

// The descriptor array that start-up builds, built once for the whole run.
class CpuEnvironment : public testing::Environment
{
  public:
    void SetUp() override
    {
        ASSERT_TRUE(cpu6502_init());
    }
};

const testing::Environment* const envCpu = testing::AddGlobalTestEnvironment(new CpuEnvironment);

} // namespace
