// The generated opcode functions, executed through the dispatch table.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cpu_test.h"

namespace
{

class Exec : public testing::Test
{
  protected:
    void SetUp() override
    {
        cpu_reset();
    }

    // Sets the four lazy flags the way PLP would.
    static void set_flags(bool n, bool v, bool z, bool c)
    {
        reg(REG_S) = 0xFE;
        poke(0x01FF, {static_cast<uint8_t>((n << 7) | (v << 6) | (z << 1) | (c ? 1 : 0))});
        run_one(0x0F00, {0x28}); // PLP
    }
};

TEST_F(Exec, LoadImmediateSetsFlagsEaAndPc)
{
    run_one(0x0200, {0xA9, 0x80}); // LDA #0x80
    EXPECT_EQ(reg(REG_A), 0x80);
    EXPECT_TRUE(flag_n());
    EXPECT_FALSE(flag_z());
    EXPECT_EQ(reg(REG_EA), 0x0201);
    EXPECT_EQ(reg(REG_PC), 0x0202);
    EXPECT_FALSE(flag_w());

    run_one(0x0200, {0xA2, 0x00}); // LDX #0
    EXPECT_EQ(reg(REG_X), 0);
    EXPECT_TRUE(flag_z());
    EXPECT_FALSE(flag_n());
}

TEST_F(Exec, StoreWritesMemoryAndLeavesFlags)
{
    set_flags(true, true, false, true);
    const uint8_t before = status();
    reg(REG_A) = 0x5A;
    run_one(0x0200, {0x8D, 0x00, 0xD0}); // STA 0xD000
    EXPECT_EQ(peek(0xD000), 0x5A);
    EXPECT_TRUE(flag_w());
    EXPECT_EQ(reg(REG_EA), 0xD000);
    EXPECT_EQ(status(), before);

    reg(REG_X) = 0x11;
    reg(REG_Y) = 0x22;
    run_one(0x0200, {0x86, 0x40}); // STX 0x40
    run_one(0x0200, {0x84, 0x41}); // STY 0x41
    EXPECT_EQ(peek(0x40), 0x11);
    EXPECT_EQ(peek(0x41), 0x22);
}

TEST_F(Exec, AddAndSubtractFlags)
{
    reg(REG_A) = 0x50;
    set_flags(false, false, false, false);
    run_one(0x0200, {0x69, 0x50}); // ADC #0x50
    EXPECT_EQ(reg(REG_A), 0xA0);
    EXPECT_TRUE(flag_n());
    EXPECT_FALSE(flag_z());
    EXPECT_FALSE(flag_c());
    EXPECT_TRUE(flag_v());

    reg(REG_A) = 0x50;
    set_flags(false, false, false, true);
    run_one(0x0200, {0xE9, 0xB0}); // SBC #0xB0
    EXPECT_EQ(reg(REG_A), 0xA0);
    EXPECT_FALSE(flag_c()); // a borrow
    EXPECT_TRUE(flag_v());

    reg(REG_A) = 0xFF;
    set_flags(false, false, false, true);
    run_one(0x0200, {0x69, 0x00}); // ADC #0 with carry: wraps to zero
    EXPECT_EQ(reg(REG_A), 0x00);
    EXPECT_TRUE(flag_z());
    EXPECT_TRUE(flag_c());
    EXPECT_FALSE(flag_v());
}

TEST_F(Exec, CompareSetsCarryAsNoBorrow)
{
    reg(REG_A) = 0x42;
    run_one(0x0200, {0xC9, 0x42}); // CMP #0x42
    EXPECT_TRUE(flag_z());
    EXPECT_TRUE(flag_c());
    EXPECT_FALSE(flag_n());

    reg(REG_A) = 0x10;
    run_one(0x0200, {0xC9, 0x20}); // CMP #0x20
    EXPECT_EQ(reg(REG_RN), -16);   // the negative difference, taken whole
    EXPECT_EQ(reg(REG_RZ), -16);
    EXPECT_FALSE(flag_z());
    EXPECT_FALSE(flag_c());
    EXPECT_TRUE(flag_n());
    EXPECT_EQ(reg(REG_A), 0x10);

    reg(REG_X) = 0x80;
    run_one(0x0200, {0xE0, 0x7F}); // CPX #0x7F
    EXPECT_TRUE(flag_c());
    EXPECT_FALSE(flag_z());
    EXPECT_FALSE(flag_n());

    reg(REG_Y) = 0x00;
    run_one(0x0200, {0xC0, 0x01}); // CPY #1
    EXPECT_FALSE(flag_c());
    EXPECT_TRUE(flag_n());
}

TEST_F(Exec, BitTestsWithoutChangingA)
{
    reg(REG_A) = 0x01;
    poke(0x40, {0xC0});
    run_one(0x0200, {0x24, 0x40}); // BIT 0x40
    EXPECT_TRUE(flag_z());
    EXPECT_TRUE(flag_n());
    EXPECT_TRUE(flag_v());
    EXPECT_EQ(reg(REG_A), 0x01);
    EXPECT_FALSE(flag_w());

    poke(0x1234, {0x01});
    run_one(0x0200, {0x2C, 0x34, 0x12}); // BIT 0x1234
    EXPECT_FALSE(flag_z());
    EXPECT_FALSE(flag_n());
    EXPECT_FALSE(flag_v());
}

TEST_F(Exec, ShiftsAndRotatesGoThroughCarry)
{
    reg(REG_A) = 0x81;
    run_one(0x0200, {0x0A}); // ASL A
    EXPECT_EQ(reg(REG_A), 0x02);
    EXPECT_TRUE(flag_c());
    EXPECT_FALSE(flag_n());
    EXPECT_FALSE(flag_z());
    EXPECT_FALSE(flag_w());
    EXPECT_EQ(reg(REG_EA), 0xFFFF);

    reg(REG_A) = 0x01;
    run_one(0x0200, {0x4A}); // LSR A
    EXPECT_EQ(reg(REG_A), 0x00);
    EXPECT_TRUE(flag_c());
    EXPECT_TRUE(flag_z());

    reg(REG_A) = 0x80;
    set_flags(false, false, false, true);
    run_one(0x0200, {0x2A}); // ROL A: carry in at bit 0, bit 7 out
    EXPECT_EQ(reg(REG_A), 0x01);
    EXPECT_TRUE(flag_c());

    reg(REG_A) = 0x01;
    set_flags(false, false, false, true);
    run_one(0x0200, {0x6A}); // ROR A: carry in at bit 7, bit 0 out
    EXPECT_EQ(reg(REG_A), 0x80);
    EXPECT_TRUE(flag_c());
    EXPECT_TRUE(flag_n());

    poke(0x40, {0x40});
    set_flags(false, false, false, false);
    run_one(0x0200, {0x26, 0x40}); // ROL 0x40
    EXPECT_EQ(peek(0x40), 0x80);
    EXPECT_FALSE(flag_c());
    EXPECT_TRUE(flag_n());
    EXPECT_TRUE(flag_w());

    poke(0x40, {0x02});
    set_flags(false, false, false, true);
    run_one(0x0200, {0x66, 0x40}); // ROR 0x40
    EXPECT_EQ(peek(0x40), 0x81);
    EXPECT_FALSE(flag_c());

    poke(0x1234, {0xFF});
    run_one(0x0200, {0x4E, 0x34, 0x12}); // LSR 0x1234
    EXPECT_EQ(peek(0x1234), 0x7F);
    EXPECT_TRUE(flag_c());
    EXPECT_FALSE(flag_n());
    EXPECT_EQ(reg(REG_EA), 0x1234);
}

TEST_F(Exec, IncrementAndDecrementNarrowToAByte)
{
    poke(0x10, {0x01});
    run_one(0x0200, {0xC6, 0x10}); // DEC 0x10
    EXPECT_EQ(peek(0x10), 0x00);
    EXPECT_TRUE(flag_z());
    EXPECT_TRUE(flag_w());
    EXPECT_EQ(reg(REG_EA), 0x0010);

    run_one(0x0200, {0xC6, 0x10}); // DEC 0x10 again: 0xFF
    EXPECT_EQ(peek(0x10), 0xFF);
    EXPECT_TRUE(flag_n());

    run_one(0x0200, {0xE6, 0x10}); // INC 0x10: back to 0
    EXPECT_EQ(peek(0x10), 0x00);
    EXPECT_TRUE(flag_z());

    reg(REG_X) = 0xFF;
    run_one(0x0200, {0xE8}); // INX
    EXPECT_EQ(reg(REG_X), 0);
    EXPECT_TRUE(flag_z());

    reg(REG_Y) = 0;
    run_one(0x0200, {0x88}); // DEY
    EXPECT_EQ(reg(REG_Y), 0xFF);
    EXPECT_TRUE(flag_n());
}

TEST_F(Exec, TransfersAndFlagInstructions)
{
    reg(REG_A) = 0x80;
    run_one(0x0200, {0xAA}); // TAX
    EXPECT_EQ(reg(REG_X), 0x80);
    EXPECT_TRUE(flag_n());

    reg(REG_X) = 0x00;
    run_one(0x0200, {0x9A}); // TXS: no flags
    EXPECT_EQ(reg(REG_S), 0);
    EXPECT_TRUE(flag_n());

    run_one(0x0200, {0x38}); // SEC
    EXPECT_TRUE(flag_c());
    run_one(0x0200, {0x18}); // CLC
    EXPECT_FALSE(flag_c());
    run_one(0x0200, {0x78}); // SEI
    EXPECT_EQ(reg(REG_P) & 0x04, 0x04);
    run_one(0x0200, {0x58}); // CLI
    EXPECT_EQ(reg(REG_P) & 0x04, 0);
    run_one(0x0200, {0xF8}); // SED
    EXPECT_EQ(reg(REG_P) & 0x08, 0x08);
    run_one(0x0200, {0xD8}); // CLD
    EXPECT_EQ(reg(REG_P) & 0x08, 0);
    set_flags(false, true, false, false);
    EXPECT_TRUE(flag_v());
    run_one(0x0200, {0xB8}); // CLV
    EXPECT_FALSE(flag_v());
}

TEST_F(Exec, PushAndPullPackTheLazyFlags)
{
    reg(REG_S) = 0xFF;
    reg(REG_P) = 0x80;             // a stale N in P
    run_one(0x0200, {0xA9, 0x00}); // LDA #0
    run_one(0x0200, {0x08});       // PHP
    EXPECT_EQ(peek(0x01FF), 0x32); // Z, B and bit 5; N from the lazy flag
    EXPECT_EQ(reg(REG_P), 0x02);   // P itself has no B or bit 5
    EXPECT_EQ(reg(REG_S), 0xFE);
    EXPECT_FALSE(flag_w());

    poke(0x01FF, {0xFF});
    reg(REG_S) = 0xFE;
    run_one(0x0200, {0x28}); // PLP of 0xFF
    EXPECT_TRUE(flag_c() && flag_z() && flag_n() && flag_v());
    EXPECT_EQ(reg(REG_RV), 0);
    EXPECT_EQ(reg(REG_RU), 0x80);
    EXPECT_EQ(reg(REG_P), 0xFF);

    // Every combination of N, V, Z and C survives PLP then PHP.
    for (int bits = 0; bits < 16; bits++) {
        const bool n = bits & 8, v = bits & 4, z = bits & 2, c = bits & 1;
        set_flags(n, v, z, c);
        run_one(0x0200, {0x08}); // PHP
        EXPECT_EQ(peek(0x01FF), (n << 7) | (v << 6) | 0x30 | (z << 1) | (c ? 1 : 0));
    }
}

TEST_F(Exec, StackPointerStaysWideAndOnlyTheAddressWraps)
{
    reg(REG_S) = 0;
    reg(REG_A) = 0x11;
    run_one(0x0200, {0x48}); // PHA
    EXPECT_EQ(peek(0x0100), 0x11);
    EXPECT_EQ(reg(REG_S), -1);
    reg(REG_A) = 0x22;
    run_one(0x0200, {0x48}); // PHA
    EXPECT_EQ(peek(0x01FF), 0x22);
    EXPECT_EQ(reg(REG_S), -2);
    EXPECT_FALSE(flag_w());

    reg(REG_S) = 0xFF;
    run_one(0x0200, {0x68}); // PLA
    EXPECT_EQ(reg(REG_S), 0x100);
    EXPECT_EQ(reg(REG_A), 0x11); // read at 0x0100
}

TEST_F(Exec, SubroutineCallAndReturn)
{
    reg(REG_S) = 0xFF;
    run_one(0x1000, {0x20, 0x00, 0x20}); // JSR 0x2000
    EXPECT_EQ(peek(0x01FF), 0x10);
    EXPECT_EQ(peek(0x01FE), 0x02);
    EXPECT_EQ(reg(REG_S), 0xFD);
    EXPECT_EQ(reg(REG_PC), 0x2000);
    EXPECT_EQ(reg(REG_EA), 0x1001);
    EXPECT_FALSE(flag_w());

    run_one(0x2000, {0x60}); // RTS
    EXPECT_EQ(reg(REG_PC), 0x1003);
    EXPECT_EQ(reg(REG_S), 0xFF);
    EXPECT_EQ(reg(REG_EA), 0xFFFF);
}

TEST_F(Exec, BreakPushesStatusWithBAndSetsI)
{
    poke(0xFFFE, {0x00, 0x30});
    reg(REG_S) = 0xFF;
    set_flags(true, false, false, true);
    reg(REG_S) = 0xFF;
    run_one(0x1000, {0x00, 0xEA}); // BRK
    EXPECT_EQ(peek(0x01FF), 0x10);
    EXPECT_EQ(peek(0x01FE), 0x02);
    EXPECT_EQ(peek(0x01FD), 0xB1); // N, bit 5, B, C
    EXPECT_EQ(reg(REG_S), 0xFC);
    EXPECT_EQ(reg(REG_PC), 0x3000);
    EXPECT_EQ(reg(REG_P) & 0x10, 0); // B clear afterwards
    EXPECT_EQ(reg(REG_P) & 0x04, 0x04);
    EXPECT_EQ(reg(REG_EA), 0xFFFE);
    EXPECT_FALSE(flag_w());

    run_one(0x3000, {0x40}); // RTI
    EXPECT_EQ(reg(REG_PC), 0x1002);
    EXPECT_EQ(reg(REG_S), 0xFF);
    EXPECT_TRUE(flag_n());
    EXPECT_TRUE(flag_c());
    EXPECT_EQ(reg(REG_P) & 0x04, 0); // I as pushed
}

TEST_F(Exec, BranchesTakeTheSignedDisplacement)
{
    set_flags(false, false, false, false);
    run_one(0x1000, {0xD0, 0xFE}); // BNE * with Z clear
    EXPECT_EQ(reg(REG_PC), 0x1000);
    EXPECT_EQ(reg(REG_EA), 0xFFFF);
    set_flags(false, false, true, false);
    run_one(0x1000, {0xD0, 0xFE}); // not taken
    EXPECT_EQ(reg(REG_PC), 0x1002);

    set_flags(false, false, true, false);
    run_one(0x0200, {0xF0, 0x80}); // BEQ -128
    EXPECT_EQ(reg(REG_PC), 0x0182);
    run_one(0x02F0, {0xF0, 0x7F}); // BEQ +127 across a page
    EXPECT_EQ(reg(REG_PC), 0x0371);

    // Each branch, with its flag set and clear: {opcode, flag, taken when set}.
    struct Case {
        uint8_t opcode;
        char flag;
        bool whenSet;
    };
    const Case cases[] = {{0x10, 'N', false}, {0x30, 'N', true},  {0x50, 'V', false},
                          {0x70, 'V', true},  {0x90, 'C', false}, {0xB0, 'C', true},
                          {0xD0, 'Z', false}, {0xF0, 'Z', true}};
    for (const Case& c : cases) {
        for (bool set : {false, true}) {
            set_flags(c.flag == 'N' && set, c.flag == 'V' && set, c.flag == 'Z' && set,
                      c.flag == 'C' && set);
            run_one(0x0400, {c.opcode, 0x10});
            EXPECT_EQ(reg(REG_PC), set == c.whenSet ? 0x0412 : 0x0402)
                << "opcode " << int(c.opcode) << " flag set " << set;
        }
    }
}

TEST_F(Exec, JumpsAndTheirKeptPageBehaviour)
{
    run_one(0x1000, {0x4C, 0x34, 0x12}); // JMP 0x1234
    EXPECT_EQ(reg(REG_PC), 0x1234);
    EXPECT_EQ(reg(REG_EA), 0x1001);

    // The pointer's high byte comes from the next address, across the page.
    poke(0x10FF, {0x78});
    poke(0x1000, {0x99});
    poke(0x1100, {0x56});
    run_one(0x0200, {0x6C, 0xFF, 0x10}); // JMP [0x10FF]
    EXPECT_EQ(reg(REG_PC), 0x5678);
    EXPECT_EQ(reg(REG_EA), 0x10FF);

    // A word at 0xFFFF takes its high byte from 0x0000.
    poke(0xFFFF, {0x21});
    poke(0x0000, {0x43});
    run_one(0x0200, {0x6C, 0xFF, 0xFF}); // JMP [0xFFFF]
    EXPECT_EQ(reg(REG_PC), 0x4321);
}

TEST_F(Exec, IndexedAndIndirectAddresses)
{
    // (zp),Y with the pointer at 0xFF: its high byte comes from 0x0100.
    poke(0x00FF, {0x00});
    poke(0x0000, {0x77});
    poke(0x0100, {0x30});
    poke(0x3005, {0x5A});
    reg(REG_Y) = 5;
    run_one(0x0200, {0xB1, 0xFF}); // LDA [[0xFF]+Y]
    EXPECT_EQ(reg(REG_EA), 0x3005);
    EXPECT_EQ(reg(REG_A), 0x5A);

    // (zp,X) wraps within the zero page.
    poke(0x0000, {0x00, 0x40});
    poke(0x4000, {0xA5});
    reg(REG_X) = 1;
    run_one(0x0200, {0xA1, 0xFF}); // LDA [[0xFF+X]]
    EXPECT_EQ(reg(REG_EA), 0x4000);
    EXPECT_EQ(reg(REG_A), 0xA5);

    // zp,X wraps within the zero page.
    poke(0x0010, {0x66});
    reg(REG_X) = 0x20;
    run_one(0x0200, {0xB5, 0xF0}); // LDA [0xF0+X]
    EXPECT_EQ(reg(REG_EA), 0x0010);
    EXPECT_EQ(reg(REG_A), 0x66);

    // Absolute indexed sums past 0xFFFF stay in EA but reach 0x0010.
    run_one(0x0200, {0xBD, 0xF0, 0xFF}); // LDA [0xFFF0+X]
    EXPECT_EQ(reg(REG_EA), 0x10010);
    EXPECT_EQ(reg(REG_A), 0x66);
    reg(REG_A) = 0x99;
    reg(REG_Y) = 0x20;
    run_one(0x0200, {0x99, 0xF0, 0xFF}); // STA [0xFFF0+Y]
    EXPECT_EQ(reg(REG_EA), 0x10010);
    EXPECT_EQ(peek(0x0010), 0x99);
    EXPECT_TRUE(flag_w());

    // An instruction at 0xFFFE: its operand word is at 0xFFFF and 0x0000.
    poke(0x0000, {0x12});
    poke(0x1244, {0x3C});
    run_one(0xFFFE, {0xAD, 0x44}); // LDA [0x1244]
    EXPECT_EQ(reg(REG_A), 0x3C);
    EXPECT_EQ(reg(REG_PC), 0x0001);
}

// The mode of every defined opcode leaves EA where the operand is, and only
// stores and read-modify-write instructions on memory set W.
TEST_F(Exec, EffectiveAddressAndWriteFlagOfEveryOpcode)
{
    ASSERT_NE(aOpDesc6502, nullptr);
    const std::map<std::string, int32_t> eaOfMode = {
        {"IndX", 0x3040},   {"ZPage", 0x0034},  {"Imm", 0x0301},  {"Abs", 0x1234},
        {"IndY", 0x4082},   {"ZPageX", 0x0035}, {"AbsY", 0x1236}, {"AbsX", 0x1235},
        {"ZPageY", 0x0036}, {"Acc", 0xFFFF}};
    const std::set<std::string> writers = {"STA", "STX", "STY", "ASL", "LSR",
                                           "ROL", "ROR", "INC", "DEC"};
    for (int op = 0; op < 256; op++) {
        const OpDesc& d = aOpDesc6502[op];
        cpu_reset();
        reg(REG_X) = 1;
        reg(REG_Y) = 2;
        reg(REG_S) = 0xFF;
        poke(0x0034, {0x80, 0x40, 0x30});
        run_one(0x0300, {static_cast<uint8_t>(op), 0x34, 0x12});
        SCOPED_TRACE(testing::Message() << "opcode 0x" << std::hex << op);
        if (!d.ins) {
            EXPECT_EQ(reg(REG_EA), 0xFFFF);
            EXPECT_FALSE(flag_w());
            EXPECT_EQ(fOpUndefined, 1);
            continue;
        }
        const std::string ins = d.ins->name;
        int32_t ea = 0xFFFF;
        if (d.mode && d.ins->fetch == aFetchJmp)
            ea = d.mode == &aFetchJmp[0] ? 0x0301 : 0x1234;
        else if (d.mode)
            ea = eaOfMode.at(d.mode->name);
        else if (ins == "BRK")
            ea = 0xFFFE;
        EXPECT_EQ(reg(REG_EA), ea);
        const bool writes = writers.count(ins) && d.mode && d.mode->lastByte >= 0;
        EXPECT_EQ(flag_w(), writes);
        EXPECT_EQ(fOpUndefined, 0);
    }
}

TEST_F(Exec, UndefinedOpcodesChangeNothing)
{
    for (int i = 0; i < NUM_REGS6502; i++)
        aReg6502[i].value = 0x40 + i;
    reg(REG_PC) = 0x0200;
    poke(0x0200, {0x02, 0x03});
    poke(0x0040, {1, 2, 3, 4});
    std::vector<uint8_t> memBefore(abMem6502, abMem6502 + MEM_SIZE6502);
    cpu_step();
    EXPECT_EQ(fOpUndefined, 1);
    EXPECT_EQ(reg(REG_PC), 0x0201);
    for (int i = 0; i < NUM_REGS6502; i++) {
        if (i != REG_PC && i != REG_EA && i != REG_EF) {
            EXPECT_EQ(aReg6502[i].value, 0x40 + i) << aReg6502[i].name;
        }
    }
    EXPECT_TRUE(std::equal(memBefore.begin(), memBefore.end(), abMem6502));
}

TEST_F(Exec, DispatchTableReachesOneFunctionPerDefinedOpcode)
{
    ASSERT_NE(aOpDesc6502, nullptr);
    std::set<PfnOp> defined, undefined;
    for (int op = 0; op < 256; op++)
        (aOpDesc6502[op].ins ? defined : undefined).insert(aPfnOp6502[op]);
    EXPECT_EQ(defined.size(), 151u);
    ASSERT_EQ(undefined.size(), 1u);
    EXPECT_EQ(defined.count(*undefined.begin()), 0u);
}

} // namespace
