// Creating and closing the machine, the device hooks of the run loop, and
// the stop on an undefined opcode.
#include "vmtest.h"

#include "cassette.h"
#include "kbd.h"
#include "testutil.h"

TEST_F(VmTest, SecondCreateAndCommandsWithoutMachine)
{
    EXPECT_EQ(cmd("create"), "virtual machine already created, use 'close' to destroy\n");
    EXPECT_EQ(cmd("close"), "");
    EXPECT_FALSE(cpu6502_exists());
    mem_load(nullptr); // loaded: else `go` would load them and create the machine
    for (const char* line : {"close", "bp 300", "go", "halt", "break", "trace", "ptrace", "dump",
                             "edit 300 1", "regs", "unassemble"})
        EXPECT_EQ(cmd(line), MSG_NOT_CREATED) << line;
    // Silent when closed or halted by the program itself.
    testing::internal::CaptureStdout();
    cpu6502_close(0, nullptr, nullptr);
    cmd_halt(0, nullptr, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(VmTest, CreateStartsAtTheResetVector)
{
    EXPECT_EQ(reg("PC"), 0);
    cmd("close");
    poke(0xFFFC, {0x34, 0x12});
    cmd("create");
    EXPECT_EQ(reg("PC"), 0x1234);
    EXPECT_EQ(reg("LA"), 0x1234);
    // Memory, registers and breakpoints survive close and create.
    cmd("bp 500");
    reg("A") = 0x42;
    cmd("close");
    cmd("create");
    EXPECT_EQ(reg("A"), 0x42);
    EXPECT_EQ(cmd("bp /l"), "code breakpoint @0x0500\n");
}

TEST_F(VmTest, UndefinedOpcodeStopsWithPcPastIt)
{
    // 0300 NOP; 0301 (undefined 02); 0302 INX; 0303 JMP 0303
    poke(0x300, {0xEA, 0x02, 0xE8, 0x4C, 0x03, 0x03});
    reg("PC") = 0x300;
    std::string out = run_until_stop("go");
    EXPECT_EQ(
        out.rfind("CPU now running, use 'halt' to stop\n\nundefined opcode 0x02 at 0x0301\n", 0),
        0u)
        << out;
    EXPECT_EQ(reg("PC"), 0x302);
    // go resumes after it.
    cmd("bp 303");
    run_until_stop("go");
    EXPECT_EQ(reg("X"), 1);
    // A trace ends on it like on a breakpoint.
    reg("PC") = 0x301;
    out = cmd("trace 3");
    EXPECT_EQ(out.rfind("undefined opcode 0x02 at 0x0301\n", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0x302);
}

TEST_F(VmTest, RomStoresAreUndoneOnceImagesAreLoaded)
{
    // 0300 LDA #55; STA A000; STA C000; STA FFFF; STA A100; JMP 030e
    poke(0x300, {0xA9, 0x55, 0x8D, 0x00, 0xA0, 0x8D, 0x00, 0xC0, 0x8D, 0xFF, 0xFF, 0x8D, 0x00, 0xA1,
                 0x4C, 0x0E, 0x03});
    reg("PC") = 0x300;
    // Before the images are loaded a store into a ROM range stands.
    cmd("bp 30e");
    run_until_stop("go");
    EXPECT_EQ(abMem6502[0xA000], 0x55);

    ASSERT_EQ(mem_load(nullptr) + 0, 1);
    byte romA000 = abMem6502[0xA000], romFFFF = abMem6502[0xFFFF];
    reg("PC") = 0x300;
    cmd("bp /d /w a100");
    std::string out = run_until_stop("go");
    // The write breakpoint still matches the address of the undone store.
    EXPECT_NE(out.find("hit: data write breakpoint @0xa100"), std::string::npos) << out;
    EXPECT_EQ(abMem6502[0xA000], romA000);
    EXPECT_EQ(abMem6502[0xFFFF], romFFFF);
    EXPECT_EQ(abMem6502[0xC000], 0x55);

    // An image loaded over a ROM (an original dump) and a byte edited there
    // are what the stores leave, not the built-in image.
    TempDir dir;
    write_file(dir.file("dump.rom"), "\x11\x22");
    cmd("load 9fff \"" + dir.file("dump.rom") + "\"");
    cmd("edit ffff 77");
    cmd("edit a100 66");
    ASSERT_EQ(abMem6502[0xA000], 0x22);
    reg("PC") = 0x300;
    cmd("bp 30e");
    run_until_stop("go");
    EXPECT_EQ(reg("PC"), 0x30E);
    EXPECT_EQ(abMem6502[0x9FFF], 0x11);
    EXPECT_EQ(abMem6502[0xA000], 0x22);
    EXPECT_EQ(abMem6502[0xA100], 0x66);
    EXPECT_EQ(abMem6502[0xFFFF], 0x77);
}

TEST_F(VmTest, CassetteAndKeyboardHooks)
{
    kbd_reset();
    // 0300 LDA #FE; STA DC00 (row 0); LDA #77; STA F001; LDA F000; JMP 030f
    poke(0x300, {0xA9, 0xFE, 0x8D, 0x00, 0xDC, 0xA9, 0x77, 0x8D, 0x01, 0xF0, 0xAD, 0x00, 0xF0, 0x4C,
                 0x0F, 0x03});
    reg("PC") = 0x300;
    cmd("bp 30f");
    run_until_stop("go");
    // Row 0 with shift lock on reads 0xFE everywhere in the keyboard range.
    EXPECT_EQ(abMem6502[0xDC00], 0xFE);
    EXPECT_EQ(abMem6502[0xDFFF], 0xFE);
    // A store into the cassette page leaves what the interface puts back.
    EXPECT_EQ(abMem6502[0xF001], cas_snapshot().bData);
}
