// The disassembler: line layout, operands, the register-change list and the
// running address LA.
#include "cpu_test.h"
#include "shell.h"
#include "testutil.h"

namespace
{

std::string line(uint32_t addr, int argc)
{
    char buf[512];
    unassemble_line(buf, sizeof buf, addr, argc);
    return buf;
}

// `text` padded with spaces to column 40, then the newline.
const auto padded = [](const std::string& text) {
    return text + std::string(40 - text.size(), ' ') + "\n";
};

// The output of the command with these words, /i:count (none if < 0) and
// the switches of `mask`.
std::string command(std::vector<std::string> words, int count, uint32_t mask = 0)
{
    Switches sw{};
    sw.mask = mask | (count >= 0 ? SW_I : 0), sw.valued = sw.mask & SW_I;
    sw.value['i' - 'a'] = static_cast<uint32_t>(count);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    return capture_stdout([&] { unassemble_lines(int(argv.size()), argv.data(), &sw); });
}

// Bytes in their columns, the mnemonic in column 19, the operand formats, the
// branch target, and the address that follows (not reduced past 0xFFFF).
TEST(Unasm, LinesOfEveryKind)
{
    cpu_reset();
    // clang-format off
    const struct { uint32_t addr; std::vector<uint8_t> bytes; const char* text; uint32_t next; } cases[] = {
        {0x0200, {0xA9, 0x80},       "0x0200: a9 80      LDA 0x80",       0x0202},
        {0x0200, {0x8D, 0x00, 0xD0}, "0x0200: 8d 00 d0   STA [0xd000]",   0x0203},
        {0x0200, {0x61, 0x10},       "0x0200: 61 10      ADC [[0x10+X]]", 0x0202},
        {0x020a, {0x20, 0x34, 0x12}, "0x020a: 20 34 12   JSR 0x1234",     0x020D},
        {0x0200, {0x0A},             "0x0200: 0a         ASL A",          0x0201},
        {0x0200, {0x60},             "0x0200: 60         RTS ",           0x0201},
        {0x0200, {0xFF},             "0x0200: ff         undefined ' '",  0x0201},
        {0x0200, {0x42},             "0x0200: 42         undefined 'B'",  0x0201},
        {0x0206, {0xD0, 0xFE},       "0x0206: d0 fe      BNE 0x0206",     0x0208},
        {0xFFFE, {0x10, 0x05},       "0xfffe: 10 05      BPL 0x0005",     0x10000},
        {0xFFFE, {0xAD, 0xCD, 0xAB}, "0xfffe: ad cd ab   LDA [0xabcd]",   0x10001},
        {0x1FFFE, {0xAD, 0xCD, 0xAB}, "0xfffe: ad cd ab   LDA [0xabcd]",  0x10001},
    };
    // clang-format on
    for (const auto& c : cases) {
        char buf[512];
        poke(c.addr, c.bytes);
        EXPECT_EQ(unassemble_line(buf, sizeof buf, c.addr, 1), c.next) << c.text;
        EXPECT_EQ(buf, padded(c.text));
    }
}

// " name=value" for each of A, X, Y, S and P changed since last shown.
TEST(Unasm, RegisterChangeListAndStepNumber)
{
    cpu_reset();
    const std::string nop = "0x0200: ea         NOP " + std::string(17, ' ');
    poke(0x0200, {0xEA});
    reg(REG_A) = 0x12, reg(REG_S) = -1; // a wide value shows its low 16 bits
    reg(REG_PC) = 0x0200;               // PC is not considered
    EXPECT_EQ(line(0x0200, 2), nop + " A=0x12 S=0xffff\n");
    reg(REG_A) = 0x34, reg(REG_X) = 0x05, reg(REG_P) = 0x30;
    EXPECT_EQ(line(0x0200, 2), nop + " A=0x34 X=0x05 P=0x30\n");
    EXPECT_EQ(line(0x0200, 0), nop + "\n"); // nothing changed since
    // argc 1 never lists; a negative argc prints the step number first.
    reg(REG_Y) = 0x80;
    EXPECT_EQ(line(0x0200, 1), nop + "\n");
    EXPECT_EQ(line(0x0200, -7), nop + ";000007 Y=0x80\n");
    EXPECT_EQ(aReg6502[REG_PC].valueShown, 0);
}

// The command goes on from LA and leaves LA after the last line; /i:0 only
// sets LA; an address may be a register name; /l keeps the lines off the
// screen; without switches it shows the instruction at PC.
TEST(Unasm, CommandContinuesAtTheLastAddress)
{
    cpu_reset();
    poke(0x0200, {0xA9, 0x01, 0xEA, 0xEA});
    EXPECT_EQ(command({"u", "200"}, 2),
              padded("0x0200: a9 01      LDA 0x01") + padded("0x0202: ea         NOP "));
    EXPECT_EQ(command({"u"}, 2),
              padded("0x0203: ea         NOP ") + padded("0x0204: 00         BRK "));
    EXPECT_EQ(reg(REG_LA), 0x0205);
    EXPECT_EQ(split_lines(command({"u"}, -1)).size(), 18u); // the default count
    EXPECT_EQ(command({"u", "1200"}, 0), "");
    EXPECT_EQ(reg(REG_LA), 0x1200);
    reg(REG_PC) = 0x1ABCD;
    command({"u", "pc"}, 0);
    EXPECT_EQ(reg(REG_LA), 0xABCD);
    EXPECT_EQ(command({"u", "200"}, 3, SW_L), "");
    EXPECT_EQ(reg(REG_LA), 0x0204);
    EXPECT_EQ(capture_stdout([] { con_printf("on\n"); }), "on\n"); // the console is back

    poke(0x0400, {0xE8});
    reg(REG_PC) = 0x0400, reg(REG_X) = 3;
    char name[] = "regs";
    char* argv[] = {name};
    EXPECT_EQ(capture_stdout([&] { unassemble_lines(0, argv, nullptr); }),
              "0x0400: e8         INX " + std::string(17, ' ') + " X=0x03\n");
    EXPECT_EQ(reg(REG_LA), 0x0401);
}

} // namespace
