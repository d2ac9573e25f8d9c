// The interpreter on its own: how lines become argument vectors and switch
// blocks, and which entry of a table they reach.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shell.h"

namespace
{

struct Call {
    int argc = -1;
    std::vector<std::string> argv;
    Switches sw{};
};

Call lastCall;
int cCalls;

int record(int argc, char** argv, const Switches* sw)
{
    cCalls++;
    lastCall.argc = argc;
    lastCall.argv.assign(argv, argv + argc);
    lastCall.sw = *sw;
    return 7;
}

const CmdSwitch aswTest[] = {
    {"alpha [x]", nullptr}, {"/c", "clear"},        {"/h:#", "threshold"},
    {"/i:#", "count"},      {"/xy", "two letters"}, {nullptr, nullptr},
};

// clang-format off
const Cmd aTable[] = {
    {"alpha",  "first",  aswTest, record,  0, 2,        0},
    {"alpine", "second", nullptr, record,  0, NO_LIMIT, 0},
    {"beta",   "third",  nullptr, record,  1, 0xFFFFFFFF, 0},
    {"gamma",  nullptr,  nullptr, record,  0, 0,        0},
    {"quit",   "leave",  nullptr, nullptr, 0, 0,        0},
    {nullptr,  nullptr,  nullptr, nullptr, 0, 0,        0},
};
// clang-format on

struct Parsed {
    int ret;
    int result;
    std::string out;
};

Parsed parse(const std::string& text)
{
    std::vector<char> line(CMD_LINE_SIZE + 1, 0);
    memcpy(line.data(), text.data(), text.size());
    lastCall = Call{};
    cCalls = 0;
    Parsed p{};
    testing::internal::CaptureStdout();
    p.ret = cmd_parse(aTable, line.data(), &p.result);
    p.out = testing::internal::GetCapturedStdout();
    return p;
}

} // namespace

TEST(Interpreter, IgnoresEmptyAndControlLines)
{
    for (const char* text : {"", "   \t ", "\x03", "\x80zz"}) {
        Parsed p = parse(text);
        EXPECT_EQ(p.ret, 1) << text;
        EXPECT_EQ(p.out, "") << text;
        EXPECT_EQ(cCalls, 0);
    }
}

TEST(Interpreter, SplitsWordsAndPassesTheResult)
{
    Parsed p = parse("  alpha  one\ttwo  ");
    EXPECT_EQ(p.ret, 1);
    EXPECT_EQ(p.result, 7);
    ASSERT_EQ(lastCall.argc, 3);
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"alpha", "one", "two"}));
}

TEST(Interpreter, AbbreviationsAreCaseSensitiveFullNamesAreNot)
{
    EXPECT_EQ(parse("ALPHA").ret, 1);
    EXPECT_EQ(lastCall.argv[0], "ALPHA"); // the word as typed, not the table's name
    EXPECT_EQ(parse("alp").out, "ambiguous command: alp\n");
    EXPECT_EQ(parse("alph").ret, 1);
    EXPECT_EQ(parse("alphA").ret, 1); // a full name in any case
    parse("alpi");
    EXPECT_EQ(lastCall.argv[0], "alpi");
    EXPECT_EQ(cCalls, 1);
    EXPECT_EQ(parse("ALPI").out, "unknown command: ALPI\n");
    EXPECT_EQ(parse("b x").ret, 1);
    EXPECT_EQ(parse("delta").out, "unknown command: delta\n");
}

TEST(Interpreter, LetterAndDigitAreSplit)
{
    parse("b5");
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"b", "5"}));
    EXPECT_EQ(parse("betax5").out, "unknown command: betax5\n"); // only the first character
    EXPECT_EQ(parse("B5").out, "unknown command: B\n");
}

TEST(Interpreter, LongestLineWithLetterAndDigitStaysInsideTheBuffer)
{
    // A console line fills 1023 bytes; the blank makes it 1024 plus NUL.
    std::vector<char> line(CMD_LINE_SIZE + 2, '#');
    line[0] = 'b';
    for (int i = 1; i < CMD_LINE_SIZE - 1; i++)
        line[i] = '1';
    line[CMD_LINE_SIZE - 1] = 0;
    int result = 0;
    cCalls = 0;
    EXPECT_EQ(cmd_parse(aTable, line.data(), &result), 1);
    EXPECT_EQ(cCalls, 1);
    EXPECT_EQ(lastCall.argv[1].size(), static_cast<size_t>(CMD_LINE_SIZE - 2));
    EXPECT_EQ(line[CMD_LINE_SIZE + 1], '#');
}

TEST(Interpreter, SwitchesSetMaskValuesAndSecondLetters)
{
    parse("alpha /h:0x10 /I:010 1000");
    EXPECT_EQ(lastCall.argc, 2);
    EXPECT_EQ(lastCall.argv[1], "1000");
    const Switches& sw = lastCall.sw;
    EXPECT_EQ(sw.mask, (1u << 7) | (1u << 8));
    EXPECT_EQ(sw.valued, (1u << 7) | (1u << 8));
    EXPECT_EQ(sw.value[7], 16u);
    EXPECT_EQ(sw.value[8], 8u);

    parse("alpha/c/xy");
    EXPECT_EQ(lastCall.argc, 1);
    EXPECT_EQ(lastCall.sw.mask, (1u << 2) | (1u << 23));
    EXPECT_EQ(lastCall.sw.second[23], 1u << 24);

    parse("alpha /h:12x /c5 /i:");
    EXPECT_EQ(lastCall.argc, 1);
    EXPECT_EQ(lastCall.sw.value[7], 12u);
    EXPECT_EQ(lastCall.sw.mask, (1u << 2) | (1u << 7) | (1u << 8));
    EXPECT_EQ(lastCall.sw.valued, 1u << 7); // '/i:' without a number counts as given

    parse("alpha /h:5 /h:9");
    EXPECT_EQ(lastCall.sw.value[7], 9u);
}

TEST(Interpreter, CommandsWithoutSwitchTableAcceptAnySwitch)
{
    parse("gamma /z /Q");
    EXPECT_EQ(cCalls, 1);
    EXPECT_EQ(lastCall.sw.mask, (1u << 25) | (1u << 16));
}

TEST(Interpreter, SwitchErrors)
{
    EXPECT_EQ(parse("alpha /z 1").out, "alpha does not support switch /z \n");
    EXPECT_EQ(parse("alpha /XZ").out, "alpha does not support switch /xz\n");
    EXPECT_EQ(parse("alpha /cx").out, "alpha does not support switch /cx\n");
    EXPECT_EQ(parse("alpha /").out, "invalid switch: /\n");
    EXPECT_EQ(parse("alpha /1").out, "invalid switch: /1\n");
    EXPECT_EQ(parse("/c").out, "command cannot begin with a switch\n");
    Parsed p = parse("alpha /z");
    EXPECT_EQ(p.ret, 0);
    EXPECT_EQ(cCalls, 0);
    // While the command is unknown, switches are not checked: the word fails.
    EXPECT_EQ(parse("alp /z").out, "ambiguous command: alp\n");
}

TEST(Interpreter, ParameterCounts)
{
    EXPECT_EQ(parse("alpha 1 2 3 4").out,
              "alpha takes no more than 2 parameter(s), \"3 4\" unexpected\n");
    EXPECT_EQ(parse("gamma now").out,
              "gamma takes no more than 0 parameter(s), \"now\" unexpected\n");
    EXPECT_EQ(parse("beta").out, "beta requires at least 1 parameter \n");
    EXPECT_EQ(cCalls, 0);
}

TEST(Interpreter, QuotedWords)
{
    parse("alpine 1000 \"$hello world\"");
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"alpine", "1000", "$hello world"}));
    parse("alpine ab\"cd\"");
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"alpine", "ab", "cd"}));
    parse("alpine \"a/b\"glued next");
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"alpine", "a/b", "next"}));
    parse("alpine \"open ended");
    EXPECT_EQ(lastCall.argv, (std::vector<std::string>{"alpine", "open ended"}));
    EXPECT_EQ(parse("\"alpha\" 1").out, "no command specified\n");
}

TEST(Interpreter, HelpRequests)
{
    EXPECT_EQ(parse("alpha /?").out, "    alpha [x]\n\t/c\tclear\n\t/h:#\tthreshold\n"
                                     "\t/i:#\tcount\n\t/xy\ttwo letters\n");
    EXPECT_EQ(parse("gamma /?").out, "no help for gamma command\n");
    EXPECT_EQ(parse("beta /?").ret, 1); // no minimum count check for help
    EXPECT_EQ(cCalls, 0);
    EXPECT_EQ(parse("quit /?").ret, 1);
    EXPECT_EQ(parse("? alpha").out, "    alpha       first\n    alpine      second\n"
                                    "    beta        third\n    quit        leave\n");
}

TEST(Interpreter, QuitEndsTheLoop)
{
    Parsed p = parse("quit");
    EXPECT_EQ(p.ret, -1);
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(parse("quit now").ret, 0);
}

TEST(Interpreter, AtMostOneHundredTwentyEightWords)
{
    std::string text = "alpine";
    for (int i = 1; i <= 130; i++)
        text += " " + std::to_string(i);
    Parsed p = parse(text);
    EXPECT_EQ(p.out, "warning: unprocessed input (\"128 129 130\")\n");
    EXPECT_EQ(lastCall.argc, 128);
    EXPECT_EQ(lastCall.argv.back(), "127");
}

TEST(Console, OutputLevelAndReturnValue)
{
    testing::internal::CaptureStdout();
    int n = con_printf("%d-%s\n", 12, "ab");
    con_disable();
    int m = con_printf("hidden\n");
    bool active = con_active();
    con_enable();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(n, 6);
    EXPECT_EQ(m, 0);
    EXPECT_FALSE(active);
    EXPECT_EQ(out, "12-ab\n");
}

TEST(Console, LinesFromSeveralThreadsAreNeverTorn)
{
    testing::internal::CaptureStdout();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; i++)
                con_printf("thread %d line %03d %s\n", t, i, "0123456789abcdef0123456789abcdef");
        });
    for (auto& th : threads)
        th.join();
    std::string out = testing::internal::GetCapturedStdout();
    int lines = 0;
    for (size_t pos = 0, nl; (nl = out.find('\n', pos)) != std::string::npos; pos = nl + 1) {
        std::string line = out.substr(pos, nl - pos);
        ASSERT_EQ(line.size(), 50u) << line;
        ASSERT_EQ(line.substr(18), "0123456789abcdef0123456789abcdef") << line;
        lines++;
    }
    EXPECT_EQ(lines, 2000);
}
