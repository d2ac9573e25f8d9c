// Real speed: the pacer's deadlines, the `speed` command and -speed option,
// and a paced CPU that runs no faster than the machine's clock while go,
// halt, breakpoints and trace report exactly as they do flat out.
#include "vmtest.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "testutil.h"
#include "vm_internal.h"

namespace
{

constexpr int64_t MS = 1000000; // nanoseconds
constexpr int64_t T0 = 5000 * MS;
// 62.5 ms of the machine's clock.
constexpr int64_t SIXTEENTH = C1P_CLOCK_HZ / 16;

// Each slice's cycles are due when the machine would have run them; a late
// wake-up is made up by the next slice, but a run more than 100 ms behind
// starts counting afresh; a year of cycles at once keeps the arithmetic in
// range.
TEST(Pacer, DeadlinesFollowTheMachinesClock)
{
    Pacer p;
    pace_start(&p, T0);
    const struct {
        int64_t cycles; // run, then
        int64_t now;    // the clock reads
        int64_t wait;   // the time until they are due
    } steps[] = {
        {0, T0, 0},
        {SIXTEENTH, T0, 62500000},
        {0, T0 + 62500000, 0},
        {SIXTEENTH, T0 + 100 * MS, 25 * MS},
        {0, T0 + 224 * MS, 0},                          // 99 ms late: made up
        {SIXTEENTH, T0 + 224 * MS, 0},                  // due at 187.5 ms
        {SIXTEENTH, T0 + 240 * MS, 10 * MS},            // due at 250 ms
        {0, T0 + 350 * MS + 1, 0},                      // over 100 ms late: afresh
        {SIXTEENTH, T0 + 350 * MS + 1, 62500000},       // counted from 350 ms
        {C1P_CLOCK_HZ * 2, T0 + 1400 * MS, 1012500001}, // due at 2412.5 ms
    };
    int i = 0;
    for (const auto& s : steps) {
        pace_add(&p, s.cycles);
        EXPECT_EQ(pace_due(&p, s.now), s.wait) << "step " << i++;
    }
    const int64_t year = int64_t(365) * 24 * 3600;
    pace_start(&p, T0);
    pace_add(&p, C1P_CLOCK_HZ * year + SIXTEENTH);
    EXPECT_EQ(pace_due(&p, T0 + year * 1000 * MS), 62500000);
}

// The speed is shown, and set by name in either case; a bad name changes
// nothing. A fresh program runs flat out; -speed sets the speed before the
// prompt, and a bad value ends the start-up.
TEST(Speed, CommandAndOption)
{
    auto speed = [](const std::string& line) {
        std::vector<char> buf(CMD_LINE_SIZE + 1, 0);
        memcpy(buf.data(), line.data(), line.size());
        testing::internal::CaptureStdout();
        cmd_parse(aCmdTable, buf.data(), nullptr);
        return testing::internal::GetCapturedStdout();
    };
    const std::string REAL = "speed real: the CPU runs at the machine's 0.983 MHz\n";
    const std::string MAX = "speed max: the CPU runs flat out\n";
    const struct {
        const char* line;
        std::string out;
        bool paced; // afterwards
    } cases[] = {
        {"speed real", REAL, true},
        {"speed", REAL, true},
        {"speed fast", "CPU speed 'fast' must be real or max\n", true},
        {"sp MAX", MAX, false},
        {"speed", MAX, false},
        {"speed Real", REAL, true},
        {"speed /r", "speed does not support switch /r \n", true},
        {"speed real max", "speed takes no more than 1 parameter(s), \"max\" unexpected\n", true},
        {"speed max", MAX, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(speed(c.line), c.out) << c.line;
        EXPECT_EQ(pace_on(), c.paced) << c.line;
    }

    EXPECT_EQ(run_tessaly({"-nologo"}, "speed\n").out, "[C1P] speed\n" + MAX + "[C1P] quit\n");
    EXPECT_EQ(run_tessaly({"-nologo", "-speed:real"}, "speed\n").out,
              "[C1P] speed\n" + REAL + "[C1P] quit\n");
    RunResult bad = run_tessaly({"-nologo", "-speed:warp"}, "speed\n");
    EXPECT_EQ(bad.out, "CPU speed 'warp' must be real or max\n");
    EXPECT_EQ(bad.status, 1);
}

class Paced : public VmTest
{
  protected:
    void TearDown() override
    {
        cmd("speed max");
        VmTest::TearDown();
    }
    // What the commands print, run once flat out and once paced from the
    // same registers (the values shown last included); the paced transcript
    // is given.
    template <typename Fn>
    std::string both_ways(Fn run)
    {
        Reg saved[NUM_REGS6502];
        std::copy(aReg6502, aReg6502 + NUM_REGS6502, saved);
        cmd("speed max");
        std::string flat = run();
        std::copy(saved, saved + NUM_REGS6502, aReg6502);
        cmd("speed real");
        std::string paced = run();
        EXPECT_EQ(paced, flat);
        return paced;
    }
};

// 0300 JMP 0300 takes 3 cycles each time: the cycles counted are three
// times the instructions run, and no more than the machine's clock gives
// for the time the CPU ran (plus one slice, which runs before the first
// look at the clock). Flat out, nothing is counted.
TEST_F(Paced, RunsNoFasterThanTheMachinesClock)
{
    using Clock = std::chrono::steady_clock;
    poke(0x300, {0x4C, 0x00, 0x03});
    reg("PC") = 0x300;
    cmd("speed real");
    const int64_t cycles0 = cpu6502_paced_cycles();
    const int32_t ins0 = cpu6502_count();
    const auto t0 = Clock::now();
    ASSERT_EQ(cmd("go"), "CPU now running, use 'halt' to stop\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cmd("halt");
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const int64_t cycles = cpu6502_paced_cycles() - cycles0;
    EXPECT_EQ(cycles, 3 * int64_t(cpu6502_count() - ins0));
    EXPECT_GT(cycles, 0);
    EXPECT_LE(cycles, seconds * C1P_CLOCK_HZ + PACE_SLICE_CYCLES + 3);

    cmd("speed max");
    const int64_t cyclesFlat = cpu6502_paced_cycles();
    cmd("go");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cmd("halt");
    EXPECT_EQ(cpu6502_paced_cycles(), cyclesFlat);
}

// Paced or not, a breakpoint hit, a halt and a trace print the same.
TEST_F(Paced, StopsReportAsFlatOut)
{
    // 0300 LDY #$20; 0302 LDX #0; 0304 DEX; BNE 0304; DEY; BNE 0302; 030A JMP 030A
    // (some 40,000 cycles of loops, then a loop on its own).
    poke(0x300, {0xA0, 0x20, 0xA2, 0x00, 0xCA, 0xD0, 0xFD, 0x88, 0xD0, 0xF8, 0x4C, 0x0A, 0x03});
    std::string hit = both_ways([&] {
        reg("PC") = 0x300;
        return run_until_stop("go 30a");
    });
    EXPECT_NE(hit.find("hit: "), std::string::npos) << hit;
    std::string halted = both_ways([&] {
        reg("PC") = 0x30A;
        cmd("go");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return cmd("halt");
    });
    EXPECT_NE(halted.find("PC=0x030a"), std::string::npos) << halted;
    both_ways([&] {
        reg("PC") = 0x300;
        return cmd("trace 3") + cmd("trace /q 600") + cmd("regs");
    });
}

// A paced CPU sleeps without the machine between its slices: go and halt
// in quick succession, a halt as Ctrl-C makes it, a command that needs the
// machine while it runs, and closing the machine are all answered, and the
// machine is created again.
TEST_F(Paced, AnswersWhileItSleeps)
{
    poke(0x300, {0xE8, 0xC8, 0x4C, 0x00, 0x03}); // INX; INY; JMP 0300
    cmd("speed real");
    for (int i = 0; i < 200; i++) {
        reg("PC") = 0x300;
        ASSERT_EQ(cmd("go"), "CPU now running, use 'halt' to stop\n") << i;
        if (i % 3 == 0) {
            EXPECT_NE(cmd("dump 300").find("0x0300: e8 c8 4c"), std::string::npos) << i;
        }
        testing::internal::CaptureStdout();
        cmd_halt(i % 2 ? 0 : 1, nullptr, nullptr); // argc 0: as Ctrl-C halts
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(wait_stopped()) << i;
    }
    cmd("go");
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    cmd("close");
    EXPECT_FALSE(cpu6502_exists());
    ASSERT_EQ(cmd("create"), "");
    EXPECT_TRUE(cpu6502_exists());
}

} // namespace
