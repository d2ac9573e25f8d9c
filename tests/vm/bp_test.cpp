// Breakpoints set with `bp` and met by the running CPU.
#include "vmtest.h"

namespace
{

class Breakpoints : public VmTest
{
  protected:
    void SetUp() override
    {
        VmTest::SetUp();
        // 0300 INX; 0301 CPX #5; 0303 BNE 0300; 0305 NOP; 0306 JMP 0306
        poke(0x300, {0xE8, 0xE0, 0x05, 0xD0, 0xFB, 0xEA, 0x4C, 0x06, 0x03});
        reg("PC") = 0x300;
    }
};

} // namespace

TEST_F(Breakpoints, TemporaryStopsOnceAndIsGone)
{
    EXPECT_EQ(cmd("bp 305"), "code breakpoint @0x0305\n");
    std::string out = run_until_stop("go");
    EXPECT_EQ(out.rfind("CPU now running, use 'halt' to stop\n\nhit: code breakpoint @0x0305\n", 0),
              0u)
        << out;
    EXPECT_NE(out.find(" A=0x00  X=0x05"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 6), PROMPT);
    EXPECT_EQ(reg("PC"), 0x305);
    EXPECT_EQ(cmd("bp /l"), "");
}

TEST_F(Breakpoints, PermanentStopsAtEveryPass)
{
    EXPECT_EQ(cmd("bp /p 300"), "perm code breakpoint @0x0300\n");
    for (int pass = 1; pass <= 3; pass++) {
        run_until_stop("go");
        EXPECT_EQ(reg("PC"), 0x300);
        EXPECT_EQ(reg("X"), pass);
    }
    EXPECT_EQ(cmd("bp /l"), "perm code breakpoint @0x0300\n");
}

TEST_F(Breakpoints, HitThreshold)
{
    EXPECT_EQ(cmd("bp /h:3 300"), "code breakpoint @0x0300 (hit limit=3)\n");
    run_until_stop("go");
    EXPECT_EQ(reg("X"), 3);
    EXPECT_EQ(cmd("bp /l"), ""); // temporary: removed when it triggered
    // A permanent one triggers at every third pass; a limit of 1 is not shown.
    reg("X") = 0;
    reg("PC") = 0x300;
    cmd("bp /p /h:2 300");
    run_until_stop("go");
    EXPECT_EQ(reg("X"), 2);
    // The same breakpoint again is the existing record; a limit of 1 is not
    // shown.
    EXPECT_EQ(cmd("bp /p /h:1 300"), "perm code breakpoint @0x0300\n");
}

TEST_F(Breakpoints, TraceBreakpointPrintsEveryPass)
{
    EXPECT_EQ(cmd("bp /t 300"), "trace code breakpoint @0x0300\n");
    cmd("bp 305");
    std::string out = run_until_stop("go");
    std::string trace = "trace:  exec near 0x0300 (ins=3)\n";
    EXPECT_EQ(out.rfind("CPU now running, use 'halt' to stop\n" + trace + trace + trace + trace +
                            "\nhit: code breakpoint @0x0305\n",
                        0),
              0u)
        << out;
    EXPECT_EQ(cmd("bp /l"), "trace code breakpoint @0x0300\n");
}

TEST_F(Breakpoints, InstructionCountThreshold)
{
    // Never by count, only when five or more instructions ran since the last
    // breakpoint event: the second pass (six instructions) triggers.
    EXPECT_EQ(cmd("bp /p /h:0 /i:5 300"), "perm code breakpoint @0x0300 (ins limit=5)\n");
    run_until_stop("go");
    EXPECT_EQ(reg("X"), 2);
}

TEST_F(Breakpoints, NewerTraceBreakpointHidesOlderHaltingOne)
{
    cmd("bp 300");
    cmd("bp /t 300");
    cmd("bp 305");
    std::string out = run_until_stop("go");
    EXPECT_NE(out.find("hit: code breakpoint @0x0305"), std::string::npos) << out;
    EXPECT_EQ(cmd("bp /l"), "trace code breakpoint @0x0300\ncode breakpoint @0x0300\n");
}

TEST_F(Breakpoints, DataReadWriteAndReadModifyWrite)
{
    // 0300 LDA 0200; 0303 STA 0201; 0306 INC 0202; 0309 JMP 0309
    poke(0x300, {0xAD, 0x00, 0x02, 0x8D, 0x01, 0x02, 0xEE, 0x02, 0x02, 0x4C, 0x09, 0x03});
    EXPECT_EQ(cmd("bp /d 201"), "data read  breakpoint @0x0201\n");
    EXPECT_EQ(cmd("bp /d 202"), "data read  breakpoint @0x0202\n");
    EXPECT_EQ(cmd("bp /d /w 200"), "data write breakpoint @0x0200\n");
    EXPECT_EQ(cmd("bp /p 309"), "perm code breakpoint @0x0309\n");
    // A read breakpoint ignores writes, a write breakpoint reads, and the
    // read-modify-write INC counts as a write only.
    std::string out = run_until_stop("go");
    EXPECT_NE(out.find("hit: perm code breakpoint @0x0309"), std::string::npos) << out;

    reg("PC") = 0x300;
    cmd("bp /d /w 202");
    out = run_until_stop("go");
    EXPECT_NE(out.find("hit: data write breakpoint @0x0202"), std::string::npos) << out;
    EXPECT_EQ(reg("PC"), 0x309);

    reg("PC") = 0x300;
    cmd("bp /d 200");
    out = run_until_stop("go");
    EXPECT_NE(out.find("hit: data read  breakpoint @0x0200"), std::string::npos) << out;
    EXPECT_EQ(reg("PC"), 0x303);
}

TEST_F(Breakpoints, RangesAndRemoval)
{
    poke(0x300, {0xAD, 0x50, 0x02, 0x4C, 0x03, 0x03});
    EXPECT_EQ(cmd("bp /d 200 2ff"), "data read  breakpoint @0x0200-0x02ff\n");
    EXPECT_EQ(cmd("bp /c 200 2ff"),
              "no such breakpoint: 200 (use the same combination of /d and /w options)\n");
    std::string out = run_until_stop("go");
    EXPECT_NE(out.find("hit: data read  breakpoint @0x0200-0x02ff"), std::string::npos) << out;

    cmd("bp /p /d 200 2ff");
    EXPECT_EQ(cmd("bp /c /d 250"), "");
    EXPECT_EQ(cmd("bp /l"), "");
    EXPECT_EQ(cmd("bp 300 200"), "unable to allocate breakpoint\n");
    EXPECT_EQ(cmd("go 300 200"), "unable to allocate breakpoint\n");
    EXPECT_FALSE(cpu6502_flags() & CPU_RUN);
}

TEST_F(Breakpoints, CommandMessagesAndListing)
{
    EXPECT_EQ(cmd("bp /w 300"), "bad options\n");
    EXPECT_EQ(cmd("bp"), "argument required\n");
    EXPECT_EQ(cmd("bp /p /d /w /h:3 200 2ff"),
              "perm data write breakpoint @0x0200-0x02ff (hit limit=3)\n");
    EXPECT_EQ(cmd("bp 300"), "code breakpoint @0x0300\n");
    // The same breakpoint again is the existing record, with new thresholds.
    EXPECT_EQ(cmd("bp /i:20 300"), "code breakpoint @0x0300 (ins limit=20)\n");
    EXPECT_EQ(cmd("bp /l 400"), "code breakpoint @0x0300 (ins limit=20)\n"
                                "perm data write breakpoint @0x0200-0x02ff (hit limit=3)\n");
    EXPECT_EQ(cmd("bp /c /l"), "");
    EXPECT_EQ(cmd("bp /c 300"),
              "no such breakpoint: 300 (use the same combination of /d and /w options)\n");
    reg("A") = 0x1234;
    // A register name that also reads as a number is the register, with a
    // notice.
    EXPECT_EQ(cmd("bp a"), "note: 'a' is taken as register A (0x1234); write 0a for the number "
                           "0xa\ncode breakpoint @0x1234\n");
    // Addresses are 16 bits, as every access is: a register past 0xFFFF (as
    // EA after an indexed access), or a number too wide, stands for the
    // address reached.
    reg("LA") = 0x1000E;
    EXPECT_EQ(cmd("bp /p /d la"), "perm data read  breakpoint @0x000e\n");
    EXPECT_EQ(cmd("bp /p 12345"), "perm code breakpoint @0x2345\n");
    EXPECT_EQ(cmd("bp /c 2345"), "");
    EXPECT_EQ(cmd("bp /c /d 1000e"), "");
    EXPECT_EQ(cmd("bp /l"), "code breakpoint @0x1234\n");
}

TEST_F(Breakpoints, ChangedWhileTheCpuRuns)
{
    // 0300 JMP 0300, with breakpoints added and removed under it.
    poke(0x300, {0x4C, 0x00, 0x03});
    cmd("go");
    for (int i = 0; i < 200; i++) {
        cmd("bp /t /d 1000");
        cmd("bp /c /d 1000");
    }
    std::string out = run_until_stop("bp 300");
    EXPECT_NE(out.find("hit: code breakpoint @0x0300"), std::string::npos) << out;
    EXPECT_EQ(cmd("bp /l"), "");
}
