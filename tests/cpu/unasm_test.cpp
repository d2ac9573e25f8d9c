// The disassembler: line layout, operands, the register-change list and the
// running address LA.
#include <string>

#include "cpu_test.h"
#include "shell.h"
#include "testutil.h"
#include "vm.h"

namespace
{

class Unasm : public testing::Test
{
  protected:
    void SetUp() override
    {
        cpu_reset();
    }

    // The line for the instruction at `addr`; `next` receives the address
    // after it.
    static std::string line(uint32_t addr, int argc = 1, uint32_t* next = nullptr)
    {
        char buf[512];
        uint32_t after = unassemble_line(buf, sizeof buf, addr, argc);
        if (next)
            *next = after;
        return buf;
    }

    // `text` padded with spaces to column 40, then the newline.
    static std::string padded(const std::string& text)
    {
        return text + std::string(40 - text.size(), ' ') + "\n";
    }

    static Switches switches(uint32_t mask, int count = -1)
    {
        Switches sw{};
        sw.mask = mask;
        if (count >= 0) {
            sw.mask |= SW_I;
            sw.valued |= SW_I;
            sw.value['i' - 'a'] = static_cast<uint32_t>(count);
        }
        return sw;
    }
};

TEST_F(Unasm, LinesPutTheMnemonicAndTheTailInTheirColumns)
{
    poke(0x0200, {0xA9, 0x80});
    poke(0x0203, {0x8D, 0x00, 0xD0, 0xD0, 0xFE, 0x0A, 0xFF});
    uint32_t next;
    EXPECT_EQ(line(0x0200, 1, &next), padded("0x0200: a9 80      LDA 0x80"));
    EXPECT_EQ(next, 0x0202u);
    EXPECT_EQ(line(0x0203, 1, &next), padded("0x0203: 8d 00 d0   STA [0xd000]"));
    EXPECT_EQ(next, 0x0206u);
    EXPECT_EQ(line(0x0206), padded("0x0206: d0 fe      BNE 0x0206"));
    EXPECT_EQ(line(0x0208, 1, &next), padded("0x0208: 0a         ASL A"));
    EXPECT_EQ(next, 0x0209u);
    EXPECT_EQ(line(0x0209, 1, &next), padded("0x0209: ff         undefined ' '"));
    EXPECT_EQ(next, 0x020Au);
}

TEST_F(Unasm, OperandFormatsOfEveryKind)
{
    poke(0x0300, {0x42});             // undefined, printable
    poke(0x0301, {0x61, 0x10});       // ADC [[0x10+X]]
    poke(0x0303, {0x71, 0x10});       // ADC [[0x10]+Y]
    poke(0x0305, {0xB6, 0x10});       // LDX [0x10+Y]
    poke(0x0307, {0x6C, 0x34, 0x12}); // JMP [0x1234]
    poke(0x030A, {0x20, 0x34, 0x12}); // JSR 0x1234
    poke(0x030D, {0xBE, 0x34, 0x12}); // LDX [0x1234+Y]
    poke(0x0310, {0x60});             // RTS
    EXPECT_EQ(line(0x0300), padded("0x0300: 42         undefined 'B'"));
    EXPECT_EQ(line(0x0301), padded("0x0301: 61 10      ADC [[0x10+X]]"));
    EXPECT_EQ(line(0x0303), padded("0x0303: 71 10      ADC [[0x10]+Y]"));
    EXPECT_EQ(line(0x0305), padded("0x0305: b6 10      LDX [0x10+Y]"));
    EXPECT_EQ(line(0x0307), padded("0x0307: 6c 34 12   JMP [0x1234]"));
    EXPECT_EQ(line(0x030A), padded("0x030a: 20 34 12   JSR 0x1234"));
    EXPECT_EQ(line(0x030D), padded("0x030d: be 34 12   LDX [0x1234+Y]"));
    EXPECT_EQ(line(0x0310), padded("0x0310: 60         RTS "));
}

TEST_F(Unasm, BranchTargetsAndAddressesWrapAt64K)
{
    poke(0x0200, {0x30, 0x80});
    EXPECT_EQ(line(0x0200), padded("0x0200: 30 80      BMI 0x0182"));
    poke(0xFFFE, {0x10, 0x05});
    EXPECT_EQ(line(0xFFFE), padded("0xfffe: 10 05      BPL 0x0005"));

    // An instruction at 0xFFFE with a two-byte operand shows the bytes at
    // 0xFFFF and 0x0000, and the next line starts at 0x0001.
    poke(0xFFFE, {0xAD, 0xCD});
    poke(0x0000, {0xAB});
    uint32_t next;
    EXPECT_EQ(line(0xFFFE, 1, &next), padded("0xfffe: ad cd ab   LDA [0xabcd]"));
    EXPECT_EQ(next & 0xFFFF, 0x0001u);
    EXPECT_EQ(line(0x1FFFE), padded("0xfffe: ad cd ab   LDA [0xabcd]"));
}

TEST_F(Unasm, RegisterChangeListAndStepNumber)
{
    const std::string nop = "0x0200: ea         NOP " + std::string(17, ' ');
    poke(0x0200, {0xEA});
    reg(REG_A) = 0x12;
    reg(REG_S) = -1;      // a wide value shows its low 16 bits
    reg(REG_PC) = 0x0200; // beyond the five registers considered
    EXPECT_EQ(line(0x0200, 2), nop + " A=0x12 S=0xffff\n");
    reg(REG_A) = 0x34;
    reg(REG_X) = 0x05;
    EXPECT_EQ(line(0x0200, 2), nop + " A=0x34 X=0x05\n");
    // Nothing changed since: no list.
    EXPECT_EQ(line(0x0200, 0), nop + "\n");
    // argc 1 never lists; a negative argc prints the step number first.
    reg(REG_Y) = 0x80;
    EXPECT_EQ(line(0x0200, 1), nop + "\n");
    EXPECT_EQ(line(0x0200, -7), nop + ";000007 Y=0x80\n");
    EXPECT_EQ(aReg6502[REG_PC].valueShown, 0); // never considered
}

TEST_F(Unasm, CommandContinuesAtTheLastAddress)
{
    poke(0x0200, {0xA9, 0x01, 0xEA, 0xEA});
    char name[] = "unassemble";
    char addr[] = "200";
    char* argv[] = {name, addr};
    Switches sw = switches(0, 2);
    std::string out = capture_stdout([&] { unassemble_lines(2, argv, &sw); });
    EXPECT_EQ(out, padded("0x0200: a9 01      LDA 0x01") + padded("0x0202: ea         NOP "));
    EXPECT_EQ(reg(REG_LA), 0x0203);

    out = capture_stdout([&] { unassemble_lines(1, argv, &sw); });
    EXPECT_EQ(out, padded("0x0203: ea         NOP ") + padded("0x0204: 00         BRK "));
    EXPECT_EQ(reg(REG_LA), 0x0205);

    // Without /i:# eighteen lines.
    sw = switches(0);
    out = capture_stdout([&] { unassemble_lines(1, argv, &sw); });
    EXPECT_EQ(split_lines(out).size(), 18u);
    EXPECT_EQ(reg(REG_LA), 0x0205 + 18);
}

TEST_F(Unasm, CountBelowOneOnlySetsTheLastAddress)
{
    char name[] = "unassemble";
    char addr[] = "1200";
    char* argv[] = {name, addr};
    Switches sw = switches(0, 0);
    std::string out = capture_stdout([&] { unassemble_lines(2, argv, &sw); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(reg(REG_LA), 0x1200);

    // A register name stands for its value.
    char regName[] = "pc";
    argv[1] = regName;
    reg(REG_PC) = 0x1ABCD;
    unassemble_lines(2, argv, &sw);
    EXPECT_EQ(reg(REG_LA), 0xABCD);
}

TEST_F(Unasm, WithoutSwitchesShowsTheInstructionAtPc)
{
    poke(0x0400, {0xE8});
    reg(REG_PC) = 0x0400;
    reg(REG_X) = 3;
    char name[] = "regs";
    char* argv[] = {name};
    std::string out = capture_stdout([&] { unassemble_lines(0, argv, nullptr); });
    EXPECT_EQ(out, "0x0400: e8         INX " + std::string(17, ' ') + " X=0x03\n");
    EXPECT_EQ(reg(REG_LA), 0x0401);
}

TEST_F(Unasm, LoggedLinesStayOffTheScreen)
{
    poke(0x0200, {0xEA});
    char name[] = "unassemble";
    char addr[] = "200";
    char* argv[] = {name, addr};
    Switches sw = switches(SW_L, 3);
    std::string out = capture_stdout([&] { unassemble_lines(2, argv, &sw); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(reg(REG_LA), 0x0203);
    // The console is back on afterwards.
    out = capture_stdout([] { con_printf("on\n"); });
    EXPECT_EQ(out, "on\n");
}

TEST_F(Unasm, CommandNeedsTheVirtualMachine)
{
    if (cpu6502_exists())
        GTEST_SKIP() << "a virtual machine exists";
    char name[] = "unassemble";
    char* argv[] = {name};
    Switches sw = switches(0);
    reg(REG_LA) = 0x1234;
    std::string out = capture_stdout([&] { unassemble(1, argv, &sw); });
    EXPECT_EQ(out, "virtual machine not created, use 'create' to create\n");
    EXPECT_EQ(reg(REG_LA), 0x1234);
}

} // namespace
