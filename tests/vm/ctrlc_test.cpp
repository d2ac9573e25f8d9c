// Ctrl-C at a real terminal while the CPU runs: during `go` and during a long
// trace.
#include <gtest/gtest.h>

#include "testutil.h"

namespace
{

// Creates the machine and puts an endless loop at 0x0300 (JMP 0300).
void start(PtyProcess& p)
{
    ASSERT_TRUE(p.read_prompt());
    p.send("create\redit 300 4c 00 03\rregs pc 300\r");
    ASSERT_TRUE(p.read_until("pc: 0x0000<-0x0300\r\n[C1P] "));
    p.out.clear();
}

} // namespace

TEST(CtrlC, HaltsARunningCpu)
{
    PtyProcess p({"-nologo"});
    start(p);
    p.send("go\r");
    ASSERT_TRUE(p.read_until("CPU now running, use 'halt' to stop\r\n[C1P] "));
    p.out.clear();
    p.send("\x03");
    // The stop report: the register display, the instruction at PC, a prompt;
    // then the interrupted read gives its own fresh prompt.
    EXPECT_TRUE(p.read_until("<Ctrl-C>\r\n[C1P] ")) << p.out;
    EXPECT_NE(p.out.find("PC=0x0300"), std::string::npos) << p.out;
    EXPECT_NE(p.out.find("0x0300: 4c 00 03   JMP 0x0300"), std::string::npos) << p.out;
    p.out.clear();
    p.send("halt\r");
    EXPECT_TRUE(p.read_until("CPU not running\r\n[C1P] ")) << p.out;
    EXPECT_EQ(p.quit(), 0);
}

TEST(CtrlC, EndsALongTrace)
{
    PtyProcess p({"-nologo"});
    start(p);
    p.send("trace 100000000\r");
    ASSERT_TRUE(p.read_until(";000100"));
    p.send("\x03");
    p.send("regs\r");
    EXPECT_TRUE(p.read_until("EF=0x")) << p.out.substr(p.out.size() > 500 ? p.out.size() - 500 : 0);
    EXPECT_EQ(p.quit(), 0);
}
