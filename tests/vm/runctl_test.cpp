// go, halt, break, trace and ptrace.
#include "vmtest.h"

#include "testutil.h"

namespace
{

class RunControl : public VmTest
{
  protected:
    void SetUp() override
    {
        VmTest::SetUp();
        // 0300 JSR 0400; 0303 INY; 0304 JMP 0304
        // 0400 INX; 0401 RTS
        // 0500 JMP 0500
        poke(0x300, {0x20, 0x00, 0x04, 0xC8, 0x4C, 0x04, 0x03});
        poke(0x400, {0xE8, 0x60});
        poke(0x500, {0x4C, 0x00, 0x05});
        reg("S") = 0xFF;
        reg("PC") = 0x300;
    }

    static int count(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos++)
            n++;
        return n;
    }
};

} // namespace

TEST_F(RunControl, GoHaltAndMessages)
{
    reg("PC") = 0x500;
    EXPECT_EQ(cmd("go"), "CPU now running, use 'halt' to stop\n");
    EXPECT_EQ(cmd("go"), "CPU already running, use 'halt' to stop\n");
    EXPECT_EQ(cmd("trace"), "CPU already running, use 'halt' to stop\n");
    std::string out = cmd("regs");
    EXPECT_NE(out.find("CPU still running, use 'halt' to stop\n"), std::string::npos);
    out = cmd("halt");
    EXPECT_EQ(out.rfind("  A=0x00", 0), 0u) << out;
    EXPECT_EQ(count(out, "\n"), 3); // two register lines and the instruction
    EXPECT_EQ(cmd("halt"), "CPU not running\n");
    EXPECT_TRUE(wait_stopped());
    EXPECT_EQ(reg("PC"), 0x500);
}

TEST_F(RunControl, GoToAnAddressOrRange)
{
    std::string out = run_until_stop("go 303");
    EXPECT_EQ(out.rfind("code breakpoint @0x0303\n\nhit: code breakpoint @0x0303\n", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0x303);
    EXPECT_EQ(reg("X"), 1);
    EXPECT_EQ(cmd("bp /l"), "");
    // Standing on a breakpoint, go executes that instruction first.
    cmd("bp /p 303");
    run_until_stop("go 304 310");
    EXPECT_EQ(reg("PC"), 0x304);
    EXPECT_EQ(reg("Y"), 1);
    EXPECT_EQ(cmd("bp /l"), "perm code breakpoint @0x0303\n");
}

TEST_F(RunControl, TraceCountsAndStepNumbers)
{
    std::string out = cmd("trace");
    EXPECT_EQ(count(out, "\n"), 1) << out; // the instruction and the changed registers
    EXPECT_NE(out.find(" S=0xfd"), std::string::npos) << out;
    EXPECT_EQ(out.find(";0"), std::string::npos);
    EXPECT_EQ(reg("PC"), 0x400);
    out = cmd("t3");
    EXPECT_NE(out.find(";000001"), std::string::npos) << out;
    EXPECT_NE(out.find(";000002"), std::string::npos);
    EXPECT_NE(out.find(";000003"), std::string::npos);
    EXPECT_EQ(reg("PC"), 0x304);
    // No count, or none that reads as one, is one step; a count that is not
    // plain decimal is noted with what it reads as.
    for (auto [line, note] : {std::pair{"trace 0", ""},
                              {"trace x", "note: 'x' is not a decimal count; it reads as 0\n"}}) {
        reg("PC") = 0x400;
        out = cmd(line);
        EXPECT_EQ(out.substr(0, strlen(note)), note) << line;
        EXPECT_EQ(out.find("note:", strlen(note)), std::string::npos) << out;
        EXPECT_EQ(reg("PC"), 0x401) << line;
    }
    EXPECT_EQ(cpu6502_steps(), 1);
}

TEST_F(RunControl, TraceStopsAtABreakpoint)
{
    cmd("bp 401");
    std::string out = cmd("trace 10");
    EXPECT_NE(out.find("hit: code breakpoint @0x0401\n"), std::string::npos) << out;
    EXPECT_EQ(reg("PC"), 0x401);
    EXPECT_EQ(count(out, ";0000"), 2);
}

TEST_F(RunControl, PtraceStepsOverSubroutines)
{
    std::string out = cmd("ptrace");
    EXPECT_EQ(out.rfind("hit: code breakpoint @0x0303\n", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0x303);
    EXPECT_EQ(reg("X"), 1);
    EXPECT_EQ(cmd("bp /l"), "");
    // Elsewhere ptrace steps like trace; 'p' is ptrace, 't' is trace.
    cmd("p");
    EXPECT_EQ(reg("PC"), 0x304);
    reg("PC") = 0x300;
    cmd("t");
    EXPECT_EQ(reg("PC"), 0x400);
}

TEST_F(RunControl, RunawayPtraceEndsOnCtrlCWithoutItsBreakpoint)
{
    poke(0x300, {0x20, 0x00, 0x05}); // JSR 0500, which never returns
    std::thread ctrlc([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cmd_halt(0, nullptr, nullptr);
    });
    std::string out = cmd("ptrace");
    ctrlc.join();
    EXPECT_EQ(reg("PC"), 0x500);
    EXPECT_EQ(cmd("bp /l"), "");
    EXPECT_FALSE(cpu6502_flags() & CPU_RUN);
}

TEST_F(RunControl, VerboseTraceStaysUntilQuiet)
{
    std::string out = cmd("trace /v");
    EXPECT_NE(out.find(" RV=0x"), std::string::npos) << out;
    out = cmd("trace");
    EXPECT_NE(out.find(" RV=0x"), std::string::npos) << out;
    out = cmd("trace /q");
    EXPECT_EQ(out, ""); // quiet: shown in the log only
    out = cmd("trace");
    EXPECT_EQ(out.find(" RV=0x"), std::string::npos) << out;
}

TEST_F(RunControl, BreakResetsPcAndLa)
{
    poke(0xFFFC, {0x00, 0x05});
    reg("PC") = 0x300;
    reg("LA") = 0x123;
    EXPECT_EQ(cmd("break"), "");
    EXPECT_EQ(reg("PC"), 0x500);
    EXPECT_EQ(reg("LA"), 0x500);
    cmd("go");
    std::string out = cmd("break");
    EXPECT_EQ(out.rfind("  A=0x", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0x500);
}

TEST_F(RunControl, CtrlCEndsALongTrace)
{
    reg("PC") = 0x500;
    std::thread ctrlc([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cmd_halt(0, nullptr, nullptr);
    });
    std::string out = cmd("trace 100000000");
    ctrlc.join();
    EXPECT_LT(count(out, "\n"), 10000000);
    EXPECT_FALSE(cpu6502_flags() & CPU_RUN);
    // The next trace runs normally.
    EXPECT_EQ(count(cmd("trace 2"), ";00000"), 2);
}

// A trace that Ctrl-C ended leaves no stepping behind: the next go runs free
// and the next ptrace steps over its subroutine.
TEST_F(RunControl, AfterAnInterruptedTraceGoAndPtraceRunFree)
{
    reg("PC") = 0x500;
    std::thread ctrlc([] {
        while (!(cpu6502_flags() & CPU_RUN))
            std::this_thread::yield();
        cmd_halt(0, nullptr, nullptr);
    });
    cmd("trace /q 2000000000");
    ctrlc.join();
    // go: still running however long one waits for a stop.
    cmd("go");
    EXPECT_FALSE(wait_stopped(300));
    cmd("halt");
    // ptrace over JSR 0400 stops at its return, not after the call.
    reg("PC") = 0x300;
    EXPECT_EQ(cmd("ptrace").rfind("hit: code breakpoint @0x0303\n", 0), 0u);
    EXPECT_EQ(reg("PC"), 0x303);
}

TEST_F(RunControl, GoReusesAnExistingBreakpoint)
{
    cmd("bp /p 303");
    std::string out = run_until_stop("go 303");
    EXPECT_EQ(out.rfind("perm code breakpoint @0x0303\n", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0x303);
    EXPECT_EQ(cmd("bp /l"), "perm code breakpoint @0x0303\n");
    // The unassembly marks every code breakpoint, and marking counts nothing.
    cmd("bp /t 304");
    out = cmd("u 303 /i:2");
    EXPECT_EQ(out.substr(0, 22), "0x0303: c8        *INY");
    EXPECT_EQ(out.substr(out.find('\n') + 1, 22), "0x0304: 4c 04 03  *JMP");
}

TEST_F(RunControl, PtraceReturnAddressWrapsAt64K)
{
    // FFFD JSR 0400: the return address 0x10000 is 0x0000.
    poke(0xFFFD, {0x20, 0x00, 0x04});
    poke(0x0000, {0xEA});
    reg("PC") = 0xFFFD;
    std::string out = cmd("ptrace");
    EXPECT_EQ(out.rfind("hit: code breakpoint @0x0000\n", 0), 0u) << out;
    EXPECT_EQ(reg("PC"), 0);
}

TEST_F(RunControl, LoggedTraceGoesToTheLogOnly)
{
    TempDir dir;
    std::string log = dir.file("t.txt");
    cmd("log \"" + log + "\"");
    std::string out = cmd("trace /l 2");
    EXPECT_EQ(out, "");
    // With a log, /q /l shows every step in the log; /q alone runs the steps
    // in one go and shows only the last, in the log.
    reg("PC") = 0x300;
    EXPECT_EQ(cmd("trace /q /l 2"), "");
    reg("PC") = 0x300;
    EXPECT_EQ(cmd("trace /q 2"), "");
    cmd("log /c");
    std::string text = read_file(log);
    EXPECT_EQ(count(text, ";000001"), 3) << text;
    EXPECT_EQ(count(text, ";000002"), 2) << text;
    // With a log open the change list covers RN..EA too.
    EXPECT_NE(text.find("EA=0x"), std::string::npos) << text;
}
