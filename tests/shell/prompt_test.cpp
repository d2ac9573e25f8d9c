// The prompt at a terminal: line editing, the history across sessions, Tab
// completion and Ctrl-C, driven through a pseudo-terminal; the completion
// rules and the history file's place checked directly.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <csignal>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "lineedit.h"
#include "shell_internal.h"
#include "testutil.h"

namespace
{

const std::string PROMPT_AT_LINE_START = "\r\n[C1P] ";

// Runs a test in `dir` and goes back to where it was.
struct InDir {
    std::string old;
    explicit InDir(const std::string& dir)
    {
        char buf[4096];
        old = getcwd(buf, sizeof buf) ? buf : ".";
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InDir()
    {
        EXPECT_EQ(chdir(old.c_str()), 0);
    }
};

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos += what.size())
        n++;
    return n;
}

const std::string UP = "\033[A", LEFT = "\033[D", RIGHT = "\033[C", HOME = "\033[H", END = "\033[F";

} // namespace

TEST(HistoryFile, LiesUnderTheXdgStateDirectory)
{
    struct {
        const char* xdg;
        const char* home;
        const char* path;
    } cases[] = {
        {"/s", "/h", "/s/tessaly/history"},
        {"/s/", "/h", "/s/tessaly/history"},
        {nullptr, "/h", "/h/.local/state/tessaly/history"},
        {"", "/h", "/h/.local/state/tessaly/history"},
        // A relative XDG_STATE_HOME is not valid and is ignored.
        {"rel/state", "/h", "/h/.local/state/tessaly/history"},
        {"/", "/h", "/tessaly/history"},
        {"/s", nullptr, "/s/tessaly/history"},
        {nullptr, nullptr, ""},
        {"rel", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ledit_history_file(c.xdg, c.home), c.path)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(Completion, CommonBeginningKeepsWholeCharacters)
{
    std::string old = setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    struct {
        std::vector<std::string> candidates;
        std::string common;
    } cases[] = {
        {{}, ""},
        {{"create "}, "create "},
        {{"cassette ", "close ", "create "}, "c"},
        {{"run.txt ", "rules.txt "}, "ru"},
        {{"abc", "xyz"}, ""},
        // "é" is C3 A9 and "è" C3 A8: their first bytes agree, the
        // characters do not.
        {{"caf\xc3\xa9", "caf\xc3\xa8"}, "caf"},
        {{"caf\xc3\xa9s", "caf\xc3\xa9"}, "caf\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ledit_common_prefix(c.candidates), c.common);
    setlocale(LC_CTYPE, old.c_str());
}

// What Tab offers for the text before the cursor: command names for the
// first word, file names for a command file and for the parameters of the
// commands that take a file, quoted where the interpreter needs quotes.
TEST(Completion, CommandsAndFileNames)
{
    TempDir dir;
    for (const char* f : {"run.txt", "rules.txt", "my file.txt", ".hidden", "say\"hi\".txt",
                          "examples/starfield.tape", "examples/life.bas"}) {
        std::string path = dir.file(f);
        if (size_t slash = std::string(f).find('/'); slash != std::string::npos)
            std::filesystem::create_directories(dir.file(std::string(f, slash)));
        write_file(path, "");
    }
    InDir in(dir.path);
    struct {
        const char* before;
        size_t start;
        std::vector<std::string> candidates;
    } cases[] = {
        // The first word: command names, in table order, without `@{file}`.
        {"c", 0, {"cassette ", "close ", "create "}},
        {"  cr", 2, {"create "}},
        {"TR", 0, {"trace "}},
        {"u", 0, {"unassemble "}},
        {"xyz", 0, {}},
        {"@", 1, {"examples/", "my file.txt", "rules.txt", "run.txt", "say\"hi\".txt"}},
        // A command file's name is the rest of the line as it stands.
        {"@r", 1, {"rules.txt", "run.txt"}},
        {"@examples/s", 1, {"examples/starfield.tape"}},
        {"@my f", 1, {"my file.txt"}},
        {"@ r", 1, {}},
        // Only at the very start of the line does '@' name a command file.
        {" @r", 0, {}},
        // Parameters that name files.
        {"log r", 4, {"rules.txt ", "run.txt "}},
        {"log run", 4, {"run.txt "}},
        {"log ", 4, {"examples/", "my file.txt ", "rules.txt ", "run.txt "}},
        {"log e", 4, {"\"examples/"}},
        {"log m", 4, {"\"my file.txt\" "}},
        {"log \"ru", 4, {"\"rules.txt\" ", "\"run.txt\" "}},
        {"log \"examples/", 4, {"\"examples/life.bas\" ", "\"examples/starfield.tape\" "}},
        {"log \"examples/s", 4, {"\"examples/starfield.tape\" "}},
        {"log .h", 4, {".hidden "}},
        {"log /c r", 7, {"rules.txt ", "run.txt "}},
        {"LOG r", 4, {"rules.txt ", "run.txt "}},
        {"log\t\tr", 5, {"rules.txt ", "run.txt "}},
        {"load 300 r", 9, {"rules.txt ", "run.txt "}},
        {"load /x 300 \"r", 12, {"\"rules.txt\" ", "\"run.txt\" "}},
        {"cassette /w r", 12, {"rules.txt ", "run.txt "}},
        {"ca r", 3, {"rules.txt ", "run.txt "}},
        // Nothing to offer: a switch, a parameter that is no file, a
        // command that takes none, an ambiguous command, a file that is
        // not there, a parameter beyond the file.
        {"log /c", 0, {}},
        {"load r", 0, {}},
        {"dump r", 0, {}},
        {"lo r", 0, {}},
        {"log \"nodir/x", 0, {}},
        {"log \"run.txt\" r", 0, {}},
        {"log say", 0, {}},
    };
    for (const auto& c : cases) {
        EditCompletion out;
        cmd_complete(c.before, &out);
        EXPECT_EQ(out.candidates, c.candidates) << "'" << c.before << "'";
        if (!c.candidates.empty()) {
            EXPECT_EQ(out.start, c.start) << "'" << c.before << "'";
            EXPECT_EQ(out.shown.size(), out.candidates.size()) << "'" << c.before << "'";
        }
    }
    // An empty line offers every command but the help's `@{file}` line.
    EditCompletion all;
    cmd_complete("", &all);
    std::vector<std::string> names;
    for (const Cmd* cmd = aCmdTable; cmd->name; cmd++)
        if (cmd->name[0] != '@')
            names.push_back(std::string(cmd->name) + " ");
    EXPECT_EQ(all.candidates, names);
    EXPECT_GE(names.size(), 17u);
}

// Cursor keys, Home, End and Delete edit the line; the line that runs, and
// the log, are what the editing made of it; Ctrl-D on an empty line quits.
TEST(Prompt, EditsTheLineWithCursorKeys)
{
    TempDir dir;
    PtyProcess p({"-nologo"}, dir.path);
    ASSERT_TRUE(p.read_prompt());
    p.send("create\r");
    ASSERT_TRUE(p.read_until(PROMPT_AT_LINE_START)) << tail(p.out);
    p.send("log run.txt\r");
    ASSERT_TRUE(p.read_until("logging enabled" + PROMPT_AT_LINE_START)) << tail(p.out);
    // "dum 30" becomes "dump 300": back to the gap, a letter, on to the end.
    p.send("dum 30" + LEFT + LEFT + LEFT + "p" + END + "0\r");
    EXPECT_TRUE(p.read_until("0x0300: 00 ")) << tail(p.out);
    ASSERT_TRUE(p.read_prompt()) << tail(p.out);
    // "ump 3" after Home: Delete the "x" typed before it.
    p.send("xdump 3" + HOME + "\033[3~" + END + "10\r");
    EXPECT_TRUE(p.read_until("0x0310: 00 ")) << tail(p.out);
    p.send("log /c\r");
    ASSERT_TRUE(p.read_until("log file closed" + PROMPT_AT_LINE_START)) << tail(p.out);
    // Ctrl-D on an empty line ends the session as the end of input does.
    p.out.clear();
    p.send("\x04");
    EXPECT_TRUE(p.read_until("quit\r\n")) << p.out;
    EXPECT_EQ(p.wait(), 0);
    std::string log = read_file(dir.file("run.txt"));
    EXPECT_EQ(log.find("[C1P] log run.txt\n[C1P] dump 300\n0x0300: 00 "), 0u) << log;
    EXPECT_NE(log.find("\n[C1P] dump 310\n0x0310: 00 "), std::string::npos) << log;
    EXPECT_EQ(log.rfind("\n[C1P] log /c\n"), log.size() - 14) << log;
    EXPECT_EQ(log.find('\033'), std::string::npos) << log;
}

// Lines are kept in the history file and recalled in the next session,
// in the order typed; the same line twice in a row is kept once.
TEST(Prompt, HistoryIsRecalledInTheNextSession)
{
    TempDir state, dir;
    std::vector<std::string> env = {"XDG_STATE_HOME=" + state.path};
    {
        PtyProcess p({"-nologo"}, dir.path, env);
        ASSERT_TRUE(p.read_prompt());
        for (const char* line : {"edit 300 41", "dump 300", "dump 300", "  ", "xyz"}) {
            p.send(std::string(line) + "\r");
            ASSERT_TRUE(p.read_until(PROMPT_AT_LINE_START)) << tail(p.out);
            p.out.clear();
        }
        EXPECT_EQ(p.quit(), 0);
    }
    EXPECT_EQ(read_file(state.file("tessaly/history")), "edit 300 41\ndump 300\nxyz\nquit\n");
    PtyProcess p({"-nologo"}, dir.path, env);
    ASSERT_TRUE(p.read_prompt());
    p.send("create\r");
    ASSERT_TRUE(p.read_until(PROMPT_AT_LINE_START)) << tail(p.out);
    // Five back (create, quit, xyz, dump 300) is "edit 300 41": it runs
    // again with its last digit changed. Then five back is "dump 300".
    p.send(UP + UP + UP + UP + UP + "\b2\r");
    ASSERT_TRUE(p.read_until(PROMPT_AT_LINE_START)) << tail(p.out);
    p.out.clear();
    p.send(UP + UP + UP + UP + UP + "\r");
    EXPECT_TRUE(p.read_until("0x0300: 42 ")) << tail(p.out);
    EXPECT_EQ(p.quit(), 0);
    EXPECT_EQ(read_file(state.file("tessaly/history")),
              "edit 300 41\ndump 300\nxyz\nquit\ncreate\nedit 300 42\ndump 300\nquit\n");
}

// Without XDG_STATE_HOME the history lives under HOME; a history file that
// cannot be written is reported once and editing goes on without it.
TEST(Prompt, HistoryFileFallsBackAndFailsSoftly)
{
    TempDir home;
    {
        PtyProcess p({"-nologo"}, home.path, {"XDG_STATE_HOME", "HOME=" + home.path});
        ASSERT_TRUE(p.read_prompt());
        p.send("xyz\r");
        ASSERT_TRUE(p.read_until("unknown command: xyz")) << tail(p.out);
        EXPECT_EQ(p.quit(), 0);
    }
    EXPECT_EQ(read_file(home.file(".local/state/tessaly/history")), "xyz\nquit\n");

    // The state directory is a file: no folder can be made in it.
    write_file(home.file("state"), "");
    PtyProcess p({"-nologo"}, home.path, {"XDG_STATE_HOME=" + home.file("state")});
    ASSERT_TRUE(p.read_prompt());
    p.send("xyz\r");
    ASSERT_TRUE(p.read_until("unknown command: xyz" + PROMPT_AT_LINE_START)) << tail(p.out);
    p.send("abc\r");
    ASSERT_TRUE(p.read_until("unknown command: abc" + PROMPT_AT_LINE_START)) << tail(p.out);
    EXPECT_EQ(count(p.out, "history file " + home.file("state") +
                               "/tessaly/history: Not a "
                               "directory; history is kept "
                               "for this session only\r\n"),
              1u)
        << tail(p.out);
    // The session's own history still works.
    p.out.clear();
    p.send(UP + UP + "\r");
    EXPECT_TRUE(p.read_until("unknown command: xyz" + PROMPT_AT_LINE_START)) << tail(p.out);
    EXPECT_EQ(p.quit(), 0);
}

// Tab completes a command name, lists the choices of an ambiguous one, and
// completes file names for `log` and for a command file.
TEST(Prompt, TabCompletesCommandsAndFileNames)
{
    TempDir dir;
    write_file(dir.file("cmds.txt"), "xyz\n");
    write_file(dir.file("results.txt"), "");
    PtyProcess p({"-nologo"}, dir.path);
    ASSERT_TRUE(p.read_prompt());
    p.send("log re\t\r");
    EXPECT_TRUE(p.read_until("logging enabled")) << tail(p.out);
    ASSERT_TRUE(p.read_prompt());
    p.send("me\t\r");
    EXPECT_TRUE(p.read_until("System ROM")) << tail(p.out);
    ASSERT_TRUE(p.read_prompt());
    p.out.clear();
    p.send("c\t");
    EXPECT_TRUE(p.read_until("\r\ncassette  close     create\r\n")) << tail(p.out);
    ASSERT_TRUE(p.read_until("[C1P] c")) << tail(p.out);
    p.send("as\t\r");
    ASSERT_TRUE(p.read_until(PROMPT_AT_LINE_START)) << tail(p.out);
    p.send("@c\t\r");
    EXPECT_TRUE(p.read_until("[C1P] xyz\r\nunknown command: xyz")) << tail(p.out);
    p.send("log /c\r");
    ASSERT_TRUE(p.read_until("log file closed")) << tail(p.out);
    EXPECT_EQ(p.quit(), 0);
    // The log holds each line as completed.
    std::string log = read_file(dir.file("results.txt"));
    EXPECT_EQ(log.find("[C1P] log results.txt\n[C1P] mem \n"), 0u) << log;
    EXPECT_NE(log.find("\n[C1P] cassette \n"), std::string::npos) << log;
    EXPECT_NE(log.find("\n[C1P] @cmds.txt\n[C1P] xyz\nunknown command: xyz\n[C1P] log /c\n"),
              std::string::npos)
        << log;
}

// Ctrl-C while a line is being edited: the line is dropped, "<Ctrl-C>" and
// a fresh prompt, and the next line starts empty; with the CPU running it
// is halted first, as at a prompt without editing.
TEST(Prompt, CtrlCDropsTheLineBeingEdited)
{
    PtyProcess p({"-nologo"});
    ASSERT_TRUE(p.read_prompt());
    p.out.clear();
    p.send("dum");
    ASSERT_TRUE(p.read_until("dum"));
    p.send("\x03");
    // "^C" as the terminal itself shows it without editing.
    EXPECT_TRUE(p.read_until("dum^C\r\n<Ctrl-C>" + PROMPT_AT_LINE_START)) << p.out;
    p.out.clear();
    p.send("mem\r");
    EXPECT_TRUE(p.read_until("System ROM")) << tail(p.out);
    EXPECT_EQ(p.out.find("unknown"), std::string::npos) << p.out;
    ASSERT_TRUE(p.read_prompt());
    p.send("go\r");
    ASSERT_TRUE(p.read_until("CPU now running, use 'halt' to stop" + PROMPT_AT_LINE_START));
    p.out.clear();
    p.send("regs pc");
    ASSERT_TRUE(p.read_until("regs pc"));
    p.send("\x03");
    EXPECT_TRUE(p.read_until("regs pc^C\r\n")) << p.out;
    EXPECT_TRUE(p.read_until("PC=")) << p.out;
    EXPECT_TRUE(p.read_until("\r\n<Ctrl-C>" + PROMPT_AT_LINE_START)) << p.out;
    p.out.clear();
    p.send("halt\r");
    EXPECT_TRUE(p.read_until("CPU not running")) << tail(p.out);
    EXPECT_EQ(p.quit(), 0);
}

// Stopped (Ctrl-Z) while a line is being edited and continued from a shell
// that left the terminal in its own modes: the editor takes the terminal
// back (no second echo of each key), keeps the line, and editing goes on.
TEST(Prompt, TakesTheTerminalBackAfterAStop)
{
    PtyProcess p({"-nologo"});
    ASSERT_TRUE(p.read_prompt());
    p.send("me");
    ASSERT_TRUE(p.read_until("[C1P] me"));
    auto canonical = [&] {
        termios t{};
        EXPECT_EQ(tcgetattr(p.fd, &t), 0);
        return (t.c_lflag & ICANON) != 0;
    };
    ASSERT_FALSE(canonical());
    // What a shell does when the job stops, and when it goes on again.
    kill(p.pid, SIGSTOP);
    termios t{};
    ASSERT_EQ(tcgetattr(p.fd, &t), 0);
    t.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(tcsetattr(p.fd, TCSANOW, &t), 0);
    kill(p.pid, SIGCONT);
    // Editing modes again once the program has seen that it goes on.
    for (int i = 0; i < 200 && canonical(); i++)
        p.read_until("\x01", 50);
    EXPECT_FALSE(canonical());
    p.out.clear();
    p.send("m\r");
    EXPECT_TRUE(p.read_until("System ROM")) << p.out;
    EXPECT_EQ(p.out.find("m\r\nm"), std::string::npos) << p.out;
    EXPECT_EQ(p.quit(), 0);
}

// Where the terminal cannot be edited on (TERM=dumb), lines are read as
// they come, and no history is kept; nor is one with redirected input.
TEST(Prompt, NoEditingOnADumbTerminalOrRedirectedInput)
{
    TempDir state;
    {
        PtyProcess p({"-nologo"}, "", {"TERM=dumb", "XDG_STATE_HOME=" + state.path});
        ASSERT_TRUE(p.read_prompt());
        p.send("xyz\r");
        EXPECT_TRUE(p.read_until("unknown command: xyz" + PROMPT_AT_LINE_START)) << tail(p.out);
        p.send("\x03");
        EXPECT_TRUE(p.read_until("<Ctrl-C>" + PROMPT_AT_LINE_START)) << tail(p.out);
        EXPECT_EQ(p.quit(), 0);
    }
    const char* old = getenv("XDG_STATE_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", state.path.c_str(), 1);
    RunResult r = run_tessaly({"-nologo"}, "xyz\n");
    if (old)
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(r.out, "[C1P] xyz\nunknown command: xyz\n[C1P] quit\n");
    EXPECT_FALSE(file_exists(state.file("tessaly")));
}
