// The run loop: S kept to 8 bits as the processor keeps it, a machine
// without ROM running off into BRK, and what other threads see of a running
// CPU (always the state between two instructions).
#include "vmtest.h"

#include <set>
#include <thread>

#include "kbd.h"

// The stack pointer wraps within its page as the 6502's does: a push at S=0
// leaves 0xFF, a pull at 0xFF leaves 0, and TSX/CPX see the 8-bit value.
TEST_F(VmTest, StackPointerStaysWithinEightBits)
{
    struct {
        const char* what;
        std::initializer_list<int> code; // at 0x0300
        int32_t s;                       // S before the code
        int steps;
        int32_t sAfter, xAfter, pcAfter;
    } cases[] = {
        // LDX #0; TXS; PHA; TSX; CPX #FF; BEQ +2; BRK; NOP
        {"push at 0",
         {0xA2, 0x00, 0x9A, 0x48, 0xBA, 0xE0, 0xFF, 0xF0, 0x01},
         0,
         6,
         0xFF,
         0xFF,
         0x30A},
        // LDX #FF; TXS; PLA; TSX; CPX #0; BEQ +2
        {"pull at FF",
         {0xA2, 0xFF, 0x9A, 0x68, 0xBA, 0xE0, 0x00, 0xF0, 0x01},
         0,
         6,
         0x00,
         0x00,
         0x30A},
        // JSR 0310 with S = 0: the return address goes to 0x0100 and 0x01FF
        {"call at 0", {0x20, 0x10, 0x03}, 0, 1, 0xFE, 0, 0x310},
        // RTS at S = 0xFF pulls from 0x0100 and 0x0101
        {"return at FF", {0x60}, 0xFF, 1, 0x01, 0, 0x1234},
        // A stack pointer set beyond 8 bits is taken as its low byte: NOP; TSX
        {"set wide", {0xEA, 0xBA}, 0x1F0, 2, 0xF0, 0xF0, 0x302},
    };
    for (const auto& c : cases) {
        reset_state();
        poke(0x300, c.code);
        poke(0x100, {0x33, 0x12}); // a return address 0x1233 at 0x0100
        reg("S") = c.s;
        reg("PC") = 0x300;
        cmd("trace /q " + std::to_string(c.steps));
        EXPECT_EQ(reg("S"), c.sAfter) << c.what;
        EXPECT_EQ(reg("X"), c.xAfter) << c.what;
        // The compare found X equal to the 8-bit value: the branch was taken.
        EXPECT_EQ(reg("PC"), c.pcAfter) << c.what;
    }
    // The call pushed its return address 0x0302 at 0x0100 (high) and 0x01FF.
    reset_state();
    poke(0x300, {0x20, 0x10, 0x03});
    reg("PC") = 0x300;
    cmd("trace");
    EXPECT_EQ(abMem6502[0x100], 0x03);
    EXPECT_EQ(abMem6502[0x1FF], 0x02);
}

// Without ROM images memory is all zero: `go` runs BRK after BRK through the
// zero vector, each pushing three bytes. S goes round its page and never
// beyond it.
TEST_F(VmTest, BrkLoopWithoutRomKeepsTheStackInItsPage)
{
    cmd("trace /q 300000");
    EXPECT_GE(reg("S"), 0);
    EXPECT_LE(reg("S"), 0xFF);
    EXPECT_EQ(reg("PC"), 0);
    cmd("go");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < 20; i++) {
        std::string out = cmd("regs s");
        ASSERT_EQ(out.substr(0, 5), "s: 0x") << out;
        EXPECT_EQ(out.size(), 8u) << out; // "s: 0x" and two digits
    }
    cmd("halt");
    EXPECT_LE(reg("S"), 0xFF);
}

// Commands that look at a running CPU get it between two instructions: PC is
// always the address of an instruction of the loop, never one of its operand
// bytes, and a store is never seen half done.
TEST_F(VmTest, RunningCpuIsSeenBetweenInstructions)
{
    // 0300 LDA 0400; 0303 INC 0400; 0306 JMP 0300
    poke(0x300, {0xAD, 0x00, 0x04, 0xEE, 0x00, 0x04, 0x4C, 0x00, 0x03});
    reg("PC") = 0x300;
    cmd("go");
    const std::set<std::string> starts = {"pc: 0x0300\n", "pc: 0x0303\n", "pc: 0x0306\n"};
    std::set<std::string> seen;
    for (int i = 0; i < 300; i++) {
        std::string out = cmd("regs pc");
        EXPECT_TRUE(starts.count(out)) << out;
        seen.insert(out);
    }
    std::string out = cmd("halt");
    EXPECT_NE(out.find("PC=0x030"), std::string::npos) << out;
    EXPECT_TRUE(starts.count("pc: 0x0" + out.substr(out.find("PC=0x0") + 6, 3) + "\n")) << out;
    // Keys typed while the CPU runs reach the keyboard range between two of
    // its instructions.
    poke(0x300, {0xAD, 0x00, 0xDF, 0x4C, 0x00, 0x03}); // LDA DF00; JMP 0300
    reg("PC") = 0x300;
    cmd("go");
    for (int i = 0; i < 200; i++)
        kbd_message(WM_CHAR, i & 1 ? 'a' : 'b', 0);
    cmd("halt");
    EXPECT_FALSE(cpu6502_flags() & CPU_RUN);
}

// A key event refreshes the keyboard range, but never between a program's
// store of a row selection and the keyboard's look at the stored byte: the
// program always reads the row it selected, never another row's keys.
TEST_F(VmTest, KeysNeverChangeTheRowAProgramSelects)
{
    kbd_reset();
    // 0300 LDA #7F; STA DF00 (row 7); LDA #FE; STA DF00 (row 0); LDA DF00;
    // CMP #7F (row 7 with '1' down); BNE 0313; INC 10; 0313 JMP 0300
    poke(0x300, {0xA9, 0x7F, 0x8D, 0x00, 0xDF, 0xA9, 0xFE, 0x8D, 0x00, 0xDF, 0xAD,
                 0x00, 0xDF, 0xC9, 0x7F, 0xD0, 0x02, 0xE6, 0x10, 0x4C, 0x00, 0x03});
    reg("PC") = 0x300;
    // The program runs (it selects rows) before, while and after keys come.
    auto until_selections = [](uint32_t after) {
        for (int i = 0; i < 10000 && kbd_selections() <= after; i++)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return kbd_selections() > after;
    };
    cmd("go");
    ASSERT_TRUE(until_selections(kbd_selections()));
    for (int i = 0; i < 20000; i++)
        kbd_message(WM_CHAR, '1', 0);
    EXPECT_TRUE(until_selections(kbd_selections()));
    cmd("halt");
    EXPECT_EQ(abMem6502[0x10], 0);
}

// A word read at 0xFFFF takes its high byte from 0x0000: the operand of an
// instruction at 0xFFFE, and the pointer of JMP (0xFFFF).
TEST_F(VmTest, WordsAtTheTopOfMemoryWrapToZero)
{
    struct {
        const char* what;
        int addr;                        // where the instruction starts
        std::initializer_list<int> code; // its bytes from addr on (wrapping)
        int32_t pc;                      // PC after it
        int32_t a;                       // A after it
    } cases[] = {
        {"JMP (FFFF)", 0x300, {0x6C, 0xFF, 0xFF}, 0x1234, 0},
        {"JMP at FFFE", 0xFFFE, {0x4C, 0x34, 0x12}, 0x1234, 0},
        {"JSR at FFFE", 0xFFFE, {0x20, 0x34, 0x12}, 0x1234, 0},
        {"LDA abs at FFFE", 0xFFFE, {0xAD, 0x34, 0x12}, 0x0001, 0x5A},
    };
    for (const auto& c : cases) {
        reset_state();
        abMem6502[MEM_SIZE6502] = 0x99; // what the guard byte held before
        poke(c.addr, c.code);
        abMem6502[0xFFFF] = 0x34;
        abMem6502[0x0000] = 0x12;
        abMem6502[0x1234] = 0x5A;
        reg("S") = 0xFF;
        reg("PC") = c.addr;
        cmd("trace /q 1");
        EXPECT_EQ(reg("PC"), c.pc) << c.what;
        EXPECT_EQ(reg("A"), c.a) << c.what;
    }
}
