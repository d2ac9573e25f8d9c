// The shell driven through the real program: transcripts of redirected
// sessions, start-up options, the log, command files and Ctrl-C.
#include <gtest/gtest.h>

#include <string>

#include "testutil.h"

namespace
{

const std::string BANNER = "Tessaly  v1.01d\n"
                           "Ohio Scientific Challenger 1P emulator and 6502 debugger\n"
                           "\n"
                           "Type ? at the [C1P] prompt for additional help\n"
                           "\n";

const std::string COMMAND_LIST = "    bp          manage breakpoints\n"
                                 "    break       halt and reset\n"
                                 "    cassette    manage cassette file\n"
                                 "    close       close virtual machine\n"
                                 "    create      create virtual machine\n"
                                 "    dump        dump memory\n"
                                 "    edit        edit memory\n"
                                 "    go          execute instructions\n"
                                 "    halt        halt execution\n"
                                 "    load        initialize memory/ROM\n"
                                 "    log         manage log file\n"
                                 "    mem         display memory info\n"
                                 "    ptrace      procedure trace\n"
                                 "    regs        dump/modify registers\n"
                                 "    screen      show screen as text\n"
                                 "    snap        save screen as PNG\n"
                                 "    speed       set CPU speed\n"
                                 "    trace       trace instruction(s)\n"
                                 "    unassemble  unassemble instructions\n"
                                 "    @{file}     process command file\n"
                                 "    quit        exit program\n";

const std::string OPTION_LIST = "-?\tdisplay command-line options\n"
                                "-gc\tgenerate opcode code (-gc or -gc:{file})\n"
                                "-gl\tgenerate opcode listing (-gl or -gl:{file})\n"
                                "-load\tload ROM or other image (-load:{addr}:{file})\n"
                                "-speed\tset CPU speed (-speed:real or -speed:max)\n"
                                "-vbias\tset video buffer bias (-vbias:#)\n"
                                "-vscale\tset video display scale (-vscale:2)\n";

} // namespace

TEST(Session, InterpreterMessagesWordForWord)
{
    RunResult r = run_tessaly({"-nologo"}, "bp /x 1000\n"
                                           "bp /XY\n"
                                           "bp /\n"
                                           "bp /1\n"
                                           "/c\n"
                                           "c\n"
                                           "b\n"
                                           "xyz\n"
                                           "BR\n"
                                           "T5\n"
                                           "go 1 2 3 4\n"
                                           "halt now\n"
                                           "edit 1000\n"
                                           "edit /?\n"
                                           "go /c\n"
                                           "quit /?\n"
                                           "\"go\"\n"
                                           "   \n"
                                           "\n"
                                           "quit\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "[C1P] bp /x 1000\n"
                     "bp does not support switch /x \n"
                     "[C1P] bp /XY\n"
                     "bp does not support switch /xy\n"
                     "[C1P] bp /\n"
                     "invalid switch: /\n"
                     "[C1P] bp /1\n"
                     "invalid switch: /1\n"
                     "[C1P] /c\n"
                     "command cannot begin with a switch\n"
                     "[C1P] c\n"
                     "ambiguous command: c\n"
                     "[C1P] b\n"
                     "ambiguous command: b\n"
                     "[C1P] xyz\n"
                     "unknown command: xyz\n"
                     "[C1P] BR\n"
                     "unknown command: BR\n"
                     "[C1P] T5\n"
                     "unknown command: T\n"
                     "[C1P] go 1 2 3 4\n"
                     "go takes no more than 2 parameter(s), \"3 4\" unexpected\n"
                     "[C1P] halt now\n"
                     "halt takes no more than 0 parameter(s), \"now\" unexpected\n"
                     "[C1P] edit 1000\n"
                     "edit requires at least 2 parameters\n"
                     "[C1P] edit /?\n"
                     "    edit {addr} {byte(s)|\"$string\"}\n"
                     "[C1P] go /c\n"
                     "go does not support switch /c \n"
                     "[C1P] quit /?\n"
                     "no help for quit command\n"
                     "[C1P] \"go\"\n"
                     "no command specified\n"
                     "[C1P]    \n"
                     "[C1P] \n"
                     "[C1P] quit\n");
}

TEST(Session, HelpListsAndSwitchTables)
{
    RunResult r = run_tessaly({"-nologo"}, "? bp\nlog /?\ntrace /?\nu /?\n");
    EXPECT_EQ(r.out, "[C1P] ? bp\n" + COMMAND_LIST +
                         "[C1P] log /?\n"
                         "    log [{file}]\n\t/c\tclose log\n\t/d\tdisable log\n\t/e\tenable log\n"
                         "[C1P] trace /?\n"
                         "    ptrace or trace [# of instructions]\n\t/l\tlogged trace\n"
                         "\t/q\tquiet trace\n\t/v\tverbose trace\n"
                         "[C1P] u /?\n"
                         "    unassemble [{addr}]\n\t/i:#\t# of instructions\n"
                         "\t/l\tlogged unassembly\n"
                         "[C1P] quit\n");
}

TEST(Session, EndOfInputQuitsWithTheLastStatus)
{
    RunResult r = run_tessaly({}, "");
    EXPECT_EQ(r.out, BANNER + "[C1P] quit\n");
    EXPECT_EQ(r.status, 0);
}

TEST(Startup, BannerRules)
{
    EXPECT_EQ(run_tessaly({"-nologo"}, "quit\n").out, "[C1P] quit\n");
    // -vscale shows the banner before it runs; the later -nologo is too late.
    RunResult r = run_tessaly({"-vscale:3", "-nologo"});
    EXPECT_EQ(r.out.rfind(BANNER, 0), 0u) << r.out;
    r = run_tessaly({"-?"});
    EXPECT_EQ(r.out, BANNER + OPTION_LIST);
    EXPECT_EQ(r.status, 0);
    r = run_tessaly({"-nologo", "-?"});
    EXPECT_EQ(r.out, OPTION_LIST);
    EXPECT_EQ(r.status, 0);
}

TEST(Startup, UnrecognizedArgumentsStopStartUp)
{
    struct {
        const char* arg;
        const char* out;
    } cases[] = {
        {"-gcx", "unrecognized argument: -gcx\n"},
        {"-nologox", "unrecognized argument: -nologox\n"},
        {"foo", "unrecognized option: foo\n"},
        {"-g", "unrecognized option: -g\n"},
        {"-b", "unrecognized option: -b\n"},
        {"-logx", "unrecognized option: -logx\n"},
    };
    for (const auto& c : cases) {
        RunResult r = run_tessaly({"-nologo", c.arg, "-?"}, "quit\n");
        EXPECT_EQ(r.out, c.out) << c.arg;
        EXPECT_NE(r.status, 0) << c.arg;
    }
}

TEST(Startup, CommandsAsOptions)
{
    TempDir dir;
    // '-LOG:run.txt' opens the log before the first prompt.
    RunResult r = run_tessaly({"-nologo", "-LOG:run.txt"}, "xyz\n", dir.path);
    EXPECT_EQ(r.out, "logging enabled\n[C1P] xyz\nunknown command: xyz\n[C1P] quit\n");
    EXPECT_EQ(read_file(dir.file("run.txt")),
              "[C1P] log run.txt\n[C1P] xyz\nxyz\nunknown command: xyz\n[C1P] quit\n");
    // A command shows the banner like an option with help text.
    r = run_tessaly({"-log", "-quit"});
    EXPECT_EQ(r.out, BANNER + "log file closed\n");
    EXPECT_EQ(r.status, 0);
    // '-BP:1000' is the command bp, not an unrecognised option.
    r = run_tessaly({"-nologo", "-BP:1000", "-quit"});
    EXPECT_EQ(r.out.find("unrecognized"), std::string::npos) << r.out;
}

TEST(Startup, QuitAndCommandFileAsOptions)
{
    TempDir dir;
    write_file(dir.file("cmds.txt"), "log\n");
    RunResult r = run_tessaly({"-nologo", "-@{file}:cmds.txt", "-quit"}, "", dir.path);
    EXPECT_EQ(r.out, "[C1P] log\nlog file closed\n");
    EXPECT_EQ(r.status, 0);
    // '-@{name}' names the file itself; a name is taken as it stands.
    write_file(dir.file("a:b.txt"), "xyz\n");
    struct {
        const char* arg;
        const char* out;
        bool ok;
    } cases[] = {
        {"-@cmds.txt", "[C1P] log\nlog file closed\n", true},
        {"-@a:b.txt", "[C1P] xyz\nunknown command: xyz\n", true},
        {"-@missing.txt", "file not found: missing.txt\n", true},
        {"-@", "a command file is named as -@{name} or -@{file}:{name}\n", false},
        {"-@{file}", "a command file is named as -@{name} or -@{file}:{name}\n", false},
        {"-@{file}:", "a command file is named as -@{name} or -@{file}:{name}\n", false},
    };
    for (const auto& c : cases) {
        r = run_tessaly({"-nologo", c.arg, "-quit"}, "", dir.path);
        EXPECT_EQ(r.out, c.out) << c.arg;
        EXPECT_EQ(r.status == 0, c.ok) << c.arg;
    }
}

TEST(Log, FileHoldsPromptsCommandsAndOutput)
{
    TempDir dir;
    RunResult r = run_tessaly(
        {"-nologo"}, "log run.txt\nxyz\nlog /d\nxyz\nlog /e\nlog /c\nlog /c\nlog /e\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] log run.txt\nlogging enabled\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] log /d\nlogging disabled\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] log /e\nlogging enabled\n"
                     "[C1P] log /c\nlog file closed\n"
                     "[C1P] log /c\nlog file closed\n"
                     "[C1P] log /e\nlog file closed\n"
                     "[C1P] quit\n");
    // Redirected input is echoed through the output and written again.
    EXPECT_EQ(read_file(dir.file("run.txt")), "[C1P] log run.txt\n"
                                              "[C1P] xyz\nxyz\nunknown command: xyz\n"
                                              "[C1P] log /d\nlog /d\nlogging disabled\n"
                                              "[C1P] log /c\nlog /c\n");
}

TEST(Log, SwitchesAndFailures)
{
    TempDir dir;
    RunResult r = run_tessaly(
        {"-nologo"}, "log a.txt\nlog /c /d\nxyz\nlog \"nodir/b.txt\"\nlog /e\nlog /c\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] log a.txt\nlogging enabled\n"
                     "[C1P] log /c /d\nlogging disabled\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] log \"nodir/b.txt\"\nunable to open 'nodir/b.txt' for logging\n"
                     "[C1P] log /e\nlogging enabled\n"
                     "[C1P] log /c\nlog file closed\n"
                     "[C1P] quit\n");
    // The file stayed open through '/c /d' and the failed open.
    EXPECT_EQ(read_file(dir.file("a.txt")), "[C1P] log a.txt\n"
                                            "[C1P] log /c /d\nlog /c /d\nlogging disabled\n"
                                            "[C1P] log /c\nlog /c\n");
    // Opening the log that is open starts it afresh: nothing the old stream
    // held back lands in it after the truncation.
    run_tessaly({"-nologo"}, "log a.txt\nmem\nmem\nlog a.txt\nxyz\nlog /c\n", dir.path);
    EXPECT_EQ(read_file(dir.file("a.txt")), "[C1P] log a.txt\nlogging enabled\n"
                                            "[C1P] xyz\nxyz\nunknown command: xyz\n"
                                            "[C1P] log /c\nlog /c\n");
}

TEST(CommandFiles, PlainFilesRunEveryLine)
{
    TempDir dir;
    write_file(dir.file("a.txt"), "xyz\n\nquit\n@b.txt\nlog\n");
    write_file(dir.file("b.txt"), "c\r\nb\r\n"); // CR LF line ends
    RunResult r = run_tessaly({"-nologo"}, "@a.txt\n@missing.txt\n@ a.txt\nxyz\r\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] @a.txt\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] quit\n"
                     "[C1P] @b.txt\n[C1P] c\nambiguous command: c\n"
                     "[C1P] b\nambiguous command: b\n"
                     "[C1P] log\nlog file closed\n"
                     "[C1P] @missing.txt\nfile not found: missing.txt\n"
                     "[C1P] @ a.txt\nfile not found:  a.txt\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] quit\n");
}

TEST(CommandFiles, LogReplaysItsCommands)
{
    TempDir dir;
    run_tessaly({"-nologo"}, "log run.txt\nxyz\nlog /d\nbp /q\nlog /e\nc\nlog /c\n", dir.path);
    RunResult r = run_tessaly({"-nologo"}, "@run.txt\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] @run.txt\n"
                     "[C1P] xyz\nunknown command: xyz\n"
                     "[C1P] c\nambiguous command: c\n"
                     "[C1P] quit\n");
    // A command as long as the prompt accepts is run again from its log,
    // where it stands behind the prompt.
    const std::string longest = "xyz" + std::string(1019, ' ');
    run_tessaly({"-nologo"}, "log long.txt\n" + longest + "\nlog /c\n", dir.path);
    r = run_tessaly({"-nologo"}, "@long.txt\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] @long.txt\n[C1P] " + longest + "\nunknown command: xyz\n[C1P] quit\n");
    // A plain file whose first line is a prompt switches to replay there.
    write_file(dir.file("mixed.txt"), "[C1P] xyz\nc\n[C1P] log x\n[C1P] b\n");
    r = run_tessaly({"-nologo"}, "@mixed.txt\n", dir.path);
    EXPECT_EQ(r.out, "[C1P] @mixed.txt\n[C1P] b\nambiguous command: b\n[C1P] quit\n");
}

TEST(CommandFiles, SelfReferenceStopsAtTheNestingLimit)
{
    TempDir dir;
    write_file(dir.file("self.txt"), "@self.txt\nxyz\n");
    RunResult r = run_tessaly({"-nologo"}, "@self.txt\n", dir.path);
    EXPECT_NE(r.out.find("command files nested too deeply (more than 16): self.txt\n"),
              std::string::npos);
    // Every level unwinds and runs its remaining line.
    size_t count = 0;
    for (size_t pos = 0; (pos = r.out.find("unknown command: xyz", pos)) != std::string::npos;
         pos++)
        count++;
    EXPECT_EQ(count, 16u);
    EXPECT_EQ(r.status, 0);
}

// A line longer than 1022 characters is refused whole wherever it comes
// from: one message, nothing of it runs (not even a tail that reads as a
// command of its own), and the next line runs as usual. Recorded output in
// a replayed log is skipped whatever its length.
TEST(LongLines, AreRefusedWholeWhereverTheyComeFrom)
{
    const std::string edit = "edit 300 1";
    auto padded = [&](size_t n) { return edit + std::string(n - edit.size(), ' '); };
    // Split at the read size, its tail would start the CPU.
    const std::string tooLong = padded(1022) + "go 300";
    const std::string message = "line too long (more than 1022 characters), ignored\n";
    TempDir dir;
    write_file(dir.file("plain.txt"), "create\n" + tooLong + "\ndump 300\n");
    write_file(dir.file("replay.txt"), "[C1P] log x.txt\n[C1P] create\n" + std::string(3000, 'o') +
                                           "\n[C1P] " + tooLong + "\n[C1P] dump 300\n");
    write_file(dir.file("fits.txt"), "create\n" + padded(1022) + "\ndump 300\n");
    write_file(dir.file("replay-fits.txt"),
               "[C1P] log x.txt\n[C1P] create\n[C1P] " + padded(1022) + "\n[C1P] dump 300\n");
    write_file(dir.file("replay-over.txt"),
               "[C1P] log x.txt\n[C1P] create\n[C1P] " + padded(1023) + "\n[C1P] dump 300\n");
    struct {
        const char* what;
        std::string input;
        int cMessages;
        const char* dump; // the first line `dump 300` shows
    } cases[] = {
        {"typed", "create\n" + tooLong + "\ndump 300\n", 1, "0x0300: 00 "},
        {"one character over", "create\n" + padded(1023) + "\ndump 300\n", 1, "0x0300: 00 "},
        {"last line, no newline", "create\n" + tooLong, 1, nullptr},
        {"exactly 1022", "create\n" + padded(1022) + "\ndump 300\n", 0, "0x0300: 01 "},
        {"command file", "@plain.txt\n", 1, "0x0300: 00 "},
        {"replayed log", "@replay.txt\n", 1, "0x0300: 00 "},
        {"replayed log, exactly 1022", "@replay-fits.txt\n", 0, "0x0300: 01 "},
        {"replayed log, one character over", "@replay-over.txt\n", 1, "0x0300: 00 "},
        {"command file, exactly 1022", "@fits.txt\n", 0, "0x0300: 01 "},
    };
    for (const auto& c : cases) {
        RunResult r = run_tessaly({"-nologo"}, c.input, dir.path);
        int n = 0;
        for (size_t pos = 0; (pos = r.out.find(message, pos)) != std::string::npos; pos++)
            n++;
        EXPECT_EQ(n, c.cMessages) << c.what << "\n" << r.out;
        EXPECT_EQ(r.out.find("CPU now running"), std::string::npos) << c.what;
        if (c.dump) {
            EXPECT_NE(r.out.find(c.dump), std::string::npos) << c.what << "\n" << r.out;
        }
        EXPECT_EQ(r.status, 0) << c.what;
    }
}

// At a terminal the same: the refused line's rest is read and dropped, and
// the next line typed runs.
TEST(LongLines, AreRefusedWholeAtTheTerminal)
{
    PtyProcess p({"-nologo"});
    ASSERT_TRUE(p.read_prompt());
    p.send("create\r");
    ASSERT_TRUE(p.read_prompt());
    p.out.clear();
    p.send("edit 300 1" + std::string(1100, ' ') + "go 300\r");
    EXPECT_TRUE(p.read_until("line too long (more than 1022 characters), ignored\r\n[C1P] "))
        << tail(p.out);
    p.out.clear();
    p.send("dump 300\r");
    EXPECT_TRUE(p.read_until("0x0300: 00 ")) << p.out;
    EXPECT_EQ(p.out.find("CPU now running"), std::string::npos);
    EXPECT_EQ(p.quit(), 0);
}

// A report the running machine makes on its own while the prompt waits (a
// cassette output file that cannot be written) starts on a fresh line and
// is followed by the prompt again.
TEST(Terminal, ReportsWhileThePromptWaitsGetAFreshPrompt)
{
    PtyProcess p({"-nologo", "-speed:real"});
    ASSERT_TRUE(p.read_prompt());
    // 0300 LDX #0; LDY #0; DEY; BNE 0304; DEX; BNE 0304 (a third of a second
    // at the machine's speed); LDA #0D; STA F001; JMP 030F
    for (const char* line : {"create", "cassette /w \"/dev/full\"", "regs pc 300",
                             "edit 300 a2 0 a0 0 88 d0 fd ca d0 fa a9 0d 8d 1 f0 4c 0f 3"}) {
        p.send(std::string(line) + "\r");
        ASSERT_TRUE(p.read_prompt()) << line;
    }
    p.out.clear();
    p.send("go\r");
    EXPECT_TRUE(p.read_until("halt' to stop\r\n[C1P] \r\nunable to write '/dev/full' for "
                             "cassette output (No space left on device)\r\n[C1P] "))
        << p.out;
    EXPECT_EQ(p.quit(), 0);
}

// Command files that name each other several times ask for more lines than
// anyone waits for (here 3 to the 16th); Ctrl-C stops them all, and the
// prompt comes back.
TEST(CommandFiles, CtrlCStopsThem)
{
    TempDir dir;
    write_file(dir.file("a.txt"), "@b.txt\n@b.txt\n@b.txt\n");
    write_file(dir.file("b.txt"), "@a.txt\n@a.txt\n@a.txt\n");
    PtyProcess p({"-nologo"}, dir.path);
    ASSERT_TRUE(p.read_prompt());
    p.send("@a.txt\r");
    ASSERT_TRUE(p.read_until("command files nested too deeply"));
    p.send("\x03");
    EXPECT_TRUE(p.read_until("command file interrupted: a.txt\r\n[C1P] ")) << tail(p.out);
    p.out.clear();
    p.send("mem\r");
    EXPECT_TRUE(p.read_until("System ROM\r\n[C1P] ")) << p.out;
    EXPECT_EQ(p.quit(), 0);
}

// Ctrl-C at a terminal prompt: a new line, "<Ctrl-C>", a fresh prompt, and
// the program goes on.
TEST(CtrlC, AtTheTerminalPromptGivesAFreshPrompt)
{
    PtyProcess p({"-nologo"});
    ASSERT_TRUE(p.read_prompt());
    p.out.clear();
    p.send("\x03");
    EXPECT_TRUE(p.read_until("<Ctrl-C>\r\n[C1P] ")) << p.out;
    EXPECT_EQ(p.out.find("\r\n<Ctrl-C>"), p.out.find("\r\n"));
    p.out.clear();
    p.send("xyz\r");
    EXPECT_TRUE(p.read_until("unknown command: xyz\r\n[C1P] ")) << p.out;
    EXPECT_EQ(p.quit(), 0);
}

TEST(Startup, FailingCommandStopsStartUp)
{
    // No video driver: `create` fails, and later arguments are not looked at.
    const char* old = getenv("SDL_VIDEODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    RunResult r = run_tessaly({"-nologo", "-create", "-log:never.txt"}, "quit\n");
    if (old)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
    EXPECT_NE(r.out.find("cpu6502_create: unable to create virtual machine (19)\n"
                         "error attempting to create virtual machine (19)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("[C1P]"), std::string::npos);
    EXPECT_EQ(r.out.find("logging"), std::string::npos);
    EXPECT_EQ(r.status, 19);
}
