// The machine's life cycle and run control under load: many creates and
// closes, go and halt, breakpoints changed under a running CPU while
// temporary ones fire, Ctrl-C (a halt from another thread) during go, a long
// trace and a run-away ptrace, and the window closed under a running CPU.
// Afterwards the program answers, the breakpoints are exactly those set, and
// no thread is left behind. Every loop runs a fixed number of times; nothing
// is timed.
#include "vmtest.h"

#include <atomic>
#include <dirent.h>
#include <thread>

#include "video.h"

namespace
{

int thread_count()
{
    int n = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* e = readdir(dir))
            n += e->d_name[0] != '.';
        closedir(dir);
    }
    return n;
}

// The threads of the process once a closed machine's threads have gone (the
// video thread is not joined and ends shortly after `close` returns): the
// count once it has stayed the same for a few samples.
int settled_thread_count()
{
    int n = thread_count();
    for (int same = 0, i = 0; same < 5 && i < 500; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int now = thread_count();
        same = now == n ? same + 1 : 0;
        n = now;
    }
    return n;
}

// Waits, a bounded number of times, for the count to be back at `base`.
bool threads_back_to(int base)
{
    for (int i = 0; i < 1000; i++) {
        if (thread_count() <= base)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Runs one command line on this thread without capturing its output (the
// test's own thread may be capturing meanwhile).
int run_line(const std::string& text)
{
    std::vector<char> line(CMD_LINE_SIZE + 1, 0);
    memcpy(line.data(), text.data(), text.size());
    int result = 0;
    cmd_parse(aCmdTable, line.data(), &result);
    return result;
}

class Stress : public VmTest
{
  protected:
    void SetUp() override
    {
        VmTest::SetUp();
        // 0300 INX; 0301 INY; 0302 JMP 0300
        // 0400 JSR 0500 (which never returns); 0500 JMP 0500
        poke(0x300, {0xE8, 0xC8, 0x4C, 0x00, 0x03});
        poke(0x400, {0x20, 0x00, 0x05});
        poke(0x500, {0x4C, 0x00, 0x05});
        reg("PC") = 0x300;
    }

    // The machine answers a command, and the breakpoint list is `list`.
    void expect_answers(const std::string& list)
    {
        reg("Y") = 0;
        EXPECT_EQ(cmd("regs y 7"), "y: 0x00<-0x07\n");
        EXPECT_EQ(cmd("bp /l"), list);
    }
};

} // namespace

TEST_F(Stress, HundredCreatesAndCloses)
{
    cmd("close");
    const int base = settled_thread_count();
    for (int i = 0; i < 100; i++) {
        ASSERT_EQ(cmd("create"), "") << i;
        ASSERT_TRUE(cpu6502_exists()) << i;
        if (i % 10 == 0)
            cmd("go"); // closed while it runs
        ASSERT_EQ(cmd("close"), "") << i;
        ASSERT_FALSE(cpu6502_exists()) << i;
    }
    EXPECT_TRUE(threads_back_to(base)) << thread_count() << " threads, " << base << " before";
    cmd("create");
    expect_answers("");
}

TEST_F(Stress, ThousandGoesAndHalts)
{
    for (int i = 0; i < 1000; i++) {
        ASSERT_EQ(cmd("go"), "CPU now running, use 'halt' to stop\n") << i;
        std::string out = cmd("halt");
        // Halted between two instructions of the loop.
        size_t at = out.find("PC=0x030");
        ASSERT_NE(at, std::string::npos) << i << out;
        ASSERT_TRUE(out[at + 8] >= '0' && out[at + 8] <= '2') << i << out;
        ASSERT_FALSE(cpu6502_flags() & CPU_RUN);
    }
    expect_answers("");
}

// While `go 301` runs to its temporary breakpoint again and again, another
// thread sets and clears permanent breakpoints. None is lost or doubled, and
// every temporary one goes when it fires.
TEST_F(Stress, BreakpointsChangedWhileTheCpuRuns)
{
    std::atomic<bool> done{false};
    std::thread changer([&done] {
        con_disable(); // its messages are not looked at here
        int i = 0;
        do {
            run_line("bp /p /d 2000 20ff");
            run_line("bp /p 1000");
            run_line("bp /c 1000");
            run_line(i++ % 2 ? "bp /c /d 2000 20ff" : "bp /p /d /w 3000");
        } while (!done.load());
        run_line("bp /c /d 2000 20ff");
        run_line("bp /p 1000");
        con_enable();
    });
    for (int i = 0; i < 300; i++) {
        reg("PC") = 0x300;
        run_until_stop("go 301");
        ASSERT_EQ(reg("PC"), 0x301) << i;
    }
    done = true;
    changer.join();
    expect_answers("perm code breakpoint @0x1000\n"
                   "perm data write breakpoint @0x3000\n");
}

// Ctrl-C halts from a thread of its own: during go, during a long trace and
// during a ptrace whose subroutine never returns (its temporary breakpoint
// goes with it).
TEST_F(Stress, CtrlCDuringGoTraceAndPtrace)
{
    for (int i = 0; i < 30; i++) {
        for (const char* line : {"go", "trace /q 2000000000", "ptrace"}) {
            reg("PC") = line[0] == 'p' ? 0x400 : 0x300;
            // Ctrl-C once the CPU runs, and again while the command has not
            // returned (its stop report is not looked at here).
            std::atomic<bool> done{false};
            std::thread ctrlc([&done] {
                for (bool halted = false; !halted || !done.load();) {
                    if (cpu6502_flags() & CPU_RUN) {
                        con_disable();
                        cmd_halt(0, nullptr, nullptr);
                        con_enable();
                        halted = true;
                    } else {
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    }
                }
            });
            cmd(line);
            done = true;
            ctrlc.join();
            ASSERT_TRUE(wait_stopped()) << line;
            ASSERT_FALSE(cpu6502_flags() & CPU_RUN) << line;
        }
        ASSERT_EQ(cmd("bp /l"), "") << i;
    }
    // A trace after all that runs its steps.
    reg("PC") = 0x300;
    EXPECT_NE(cmd("trace 2").find(";000002"), std::string::npos);
    expect_answers("");
}

// Closing the window ends the machine, also while its CPU runs; the next
// command finds no machine, and a new one can be made.
TEST_F(Stress, WindowClosedWhileTheCpuRuns)
{
    cmd("close");
    const int base = settled_thread_count();
    for (int i = 0; i < 20; i++) {
        ASSERT_EQ(cmd("create"), "") << i;
        reg("PC") = 0x300;
        // Odd rounds close it under a running CPU, even ones under a CPU
        // stopped at a breakpoint.
        if (i % 2) {
            reg("PC") = 0x500;
            cmd("go");
        } else {
            cmd("bp /p 302");
            run_until_stop("go");
        }
        // What the window's close button does: its message loop ends.
        dev_close(0, nullptr, nullptr, &devVideo);
        for (int k = 0; k < 1000 && cpu6502_exists(); k++)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_FALSE(cpu6502_exists()) << i;
        ASSERT_EQ(cmd("regs"), MSG_NOT_CREATED) << i;
        if (i % 2 == 0)
            cmd("bp /c 302"); // needs a machine: the breakpoint stays
    }
    EXPECT_TRUE(threads_back_to(base)) << thread_count() << " threads, " << base << " before";
    cmd("create");
    expect_answers("perm code breakpoint @0x0302\n");
}
