// dump, edit and regs.
#include "vmtest.h"

TEST_F(VmTest, DumpFormatContinuationAndWrap)
{
    poke(0x200, {0x41, 0x42, 0x00, 0x7E, 0x7F, 0x20});
    std::string out = cmd("dump 200");
    std::vector<std::string> lines;
    for (size_t pos = 0, nl; (nl = out.find('\n', pos)) != std::string::npos; pos = nl + 1)
        lines.push_back(out.substr(pos, nl - pos));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0],
              "0x0200: 41 42 00 7e 7f 20 00 00-00 00 00 00 00 00 00 00  AB.~. ..........");
    EXPECT_EQ(lines[7].substr(0, 8), "0x0270: ");
    EXPECT_EQ(reg("LA"), 0x280);
    EXPECT_EQ(cmd("dump").substr(0, 8), "0x0280: ");

    out = cmd("dump fff0");
    EXPECT_EQ(out.substr(0, 8), "0xfff0: ");
    EXPECT_NE(out.find("\n0x0000: "), std::string::npos);
    EXPECT_EQ(reg("LA"), 0x70);

    reg("A") = 0x1234;
    out = cmd("dump A");
    EXPECT_EQ(out.substr(out.find('\n') + 1, 8), "0x1234: ") << out;
    EXPECT_EQ(cmd("dump 0A").substr(0, 8), "0x000a: ");
}

TEST_F(VmTest, EditBytesStringsAndWrap)
{
    abMem6502[0xFFFF] = 0x11;
    EXPECT_EQ(cmd("edit ffff 22 141"), "0xffff: 0x11<-0x22 0x00<-0x41 \n");
    EXPECT_EQ(abMem6502[0x0000], 0x41);
    EXPECT_EQ(reg("LA"), 1);
    EXPECT_EQ(cmd("edit 300 $AB \"$c d\" $"),
              "0x0300: 0x00<-0x41 0x00<-0x42 0x00<-0x63 0x00<-0x20 0x00<-0x64 \n");
    EXPECT_EQ(reg("LA"), 0x305);
    reg("X") = 0x77;
    cmd("edit 400 x");
    EXPECT_EQ(abMem6502[0x400], 0x77);
}

TEST_F(VmTest, RegsShowSetAndDisplay)
{
    EXPECT_EQ(cmd("regs pc 200"), "pc: 0x0000<-0x0200\n");
    EXPECT_EQ(reg("PC"), 0x200);
    EXPECT_EQ(cmd("regs A 1FF"), "A: 0x00<-0x1ff\n");
    EXPECT_EQ(reg("A"), 0x1FF);
    EXPECT_EQ(cmd("regs a"), "a: 0x1ff\n");
    EXPECT_EQ(cmd("regs zz"), "unknown register: zz\n");
    cmd("regs x pc");
    EXPECT_EQ(reg("X"), 0x200);

    std::string out = cmd("regs");
    std::string first = out.substr(0, out.find('\n'));
    EXPECT_EQ(first, "  A=0x1ff  X=0x200  Y=0x00  S=0x00  P=0x00  RN=0x00  RZ=0x00  RU=0x00");
    std::string second =
        out.substr(first.size() + 1, out.find('\n', first.size() + 1) - first.size() - 1);
    EXPECT_EQ(second, " RV=0x0000 RC=0x0000 EA=0x0000 LA=0x0000 PC=0x0200  EF=0x00");
}

TEST_F(VmTest, LoadRestoresRomRangesChangedByEdit)
{
    testing::internal::CaptureStdout();
    mem_load(nullptr);
    testing::internal::GetCapturedStdout();
    byte original = abMem6502[0xA000];
    cmd("edit a000 ff");
    EXPECT_EQ(abMem6502[0xA000], 0xFF); // edit changes ROM like any byte
    EXPECT_EQ(cmd("load"), "8192 bytes initialized (from 0xa000 to 0xbfff)\n"
                           "2048 bytes initialized (from 0xf800 to 0xffff)\n");
    EXPECT_EQ(abMem6502[0xA000], original);
}

// A register name that also reads as a hexadecimal number (A, EA, EF) stands
// for the register, and the command says so once, before its own output;
// other names and numbers pass without a word.
TEST_F(VmTest, RegisterNamesThatReadAsNumbersAreNoted)
{
    const std::string noteEa = "note: 'ea' is taken as register EA (0x0123); write 0ea for the "
                               "number 0xea\n";
    struct {
        const char* line;
        std::string before; // printed before the command's own output
    } cases[] = {
        {"edit 300 ea ea 0ea", noteEa}, // once, however often
        {"edit 300 Ef", "note: 'Ef' is taken as register EF (0x00); write 0Ef for the number "
                        "0xEf\n"},
        {"edit 300 a", "note: 'a' is taken as register A (0x05); write 0a for the number 0xa\n"},
        {"edit 300 0a 0ea x pc", ""},
        {"dump ea", noteEa},
        {"unassemble ea /i:1", noteEa},
        {"regs a ea", noteEa},
        {"regs ea", ""}, // the register's name, not a value
        {"bp ea", noteEa},
        {"bp /c ea", noteEa},
    };
    for (const auto& c : cases) {
        reg("A") = 5;
        reg("EA") = 0x123;
        std::string out = cmd(c.line);
        EXPECT_EQ(out.substr(0, c.before.size()), c.before) << c.line;
        EXPECT_EQ(out.find("note:", c.before.size()), std::string::npos) << c.line << "\n" << out;
    }
    // The register's value was taken.
    cmd("edit 300 ea 0ea");
    EXPECT_EQ(abMem6502[0x300], 0x23);
    EXPECT_EQ(abMem6502[0x301], 0xEA);
}

// A value that is no plain hexadecimal number still reads as far as it goes
// (none at all as 0), and the command says what it became, once for each
// such parameter, before its own output.
TEST_F(VmTest, ValuesThatAreNoPlainNumbersAreNoted)
{
    struct {
        const char* line;
        std::string before;
    } cases[] = {
        {"edit zz 5", "note: 'zz' is not a hexadecimal number; it reads as 0x0\n"},
        {"edit 300 5g -1", "note: '5g' is not a hexadecimal number; it reads as 0x5\n"
                           "note: '-1' is not a hexadecimal number; it reads as 0xffffffff\n"},
        {"dump 0x", "note: '0x' is not a hexadecimal number; it reads as 0x0\n"},
        {"bp 3g0", "note: '3g0' is not a hexadecimal number; it reads as 0x3\n"},
        {"regs x q", "note: 'q' is not a hexadecimal number; it reads as 0x0\n"},
        {"edit 300 0x1F 1f $zz", ""},
        {"unassemble 0X300", ""},
    };
    for (const auto& c : cases) {
        std::string out = cmd(c.line);
        EXPECT_EQ(out.substr(0, c.before.size()), c.before) << c.line << "\n" << out;
        EXPECT_EQ(out.find("note:", c.before.size()), std::string::npos) << c.line << "\n" << out;
    }
    // What was noted is what the command used.
    EXPECT_EQ(abMem6502[0x0000], 0x05);
    EXPECT_EQ(reg("X"), 0);
}
