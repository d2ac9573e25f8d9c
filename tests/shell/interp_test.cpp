// The interpreter on its own: how lines become argument vectors and switch
// blocks, and which entry of a table they reach. The messages' wording is
// checked through the real program in session_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shell.h"

namespace
{

struct Call {
    int cCalls = 0;
    std::string argv; // the words joined with '|'
    Switches sw{};
};
Call call;

int record(int argc, char** argv, const Switches* sw)
{
    call.cCalls++;
    for (int i = 0; i < argc; i++)
        call.argv += (i ? "|" : "") + std::string(argv[i]);
    call.sw = *sw;
    return 7;
}

const CmdSwitch aswTest[] = {{"alpha [x]", nullptr}, {"/c", "clear"}, {"/h:#", "threshold"},
                             {"/i:#", "count"},      {"/xy", "two"},  {nullptr, nullptr}};

// clang-format off
const Cmd aTable[] = {
    {"alpha",  "first",  aswTest, record,  0, 2},
    {"alpine", "second", nullptr, record,  0, NO_LIMIT},
    {"beta",   "third",  nullptr, record,  1, NO_LIMIT},
    {"quit",   "leave",  nullptr, nullptr, 0, 0},
    {nullptr,  nullptr,  nullptr, nullptr, 0, 0},
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
    call = Call{};
    Parsed p{};
    testing::internal::CaptureStdout();
    p.ret = cmd_parse(aTable, line.data(), &p.result);
    p.out = testing::internal::GetCapturedStdout();
    return p;
}

constexpr uint32_t bit(char c)
{
    return 1u << (c - 'a');
}

} // namespace

// Which entry a word reaches, and the words the handler receives.
TEST(Interpreter, WordsAndCommandLookup)
{
    struct {
        const char* line;
        const char* argv; // empty: no handler was called
    } cases[] = {
        {"  alpha  one\ttwo  ", "alpha|one|two"},
        {"ALPHA", "ALPHA"}, // a full name in any case, passed as typed
        {"alph", "alph"},   // an unambiguous abbreviation
        {"alp", ""},        // ambiguous
        {"ALPH", ""},       // abbreviations are case-sensitive
        {"b5", "b|5"},      // a leading letter and digit are split
        {"betax5", ""},     // ... only at the start of the line
        {"alpine 1000 \"$hello world\"", "alpine|1000|$hello world"},
        {"alpine ab\"cd\"", "alpine|ab|cd"},
        {"alpine \"a/b\"glued next", "alpine|a/b|next"},
        {"alpine \"open ended", "alpine|open ended"},
        {"\"alpha\" 1", ""}, // an empty command word
        {"", ""},
        {"   \t ", ""},
        {"\x03", ""}, // the Ctrl-C line
        {"\x80zz", ""},
    };
    for (const auto& c : cases) {
        Parsed p = parse(c.line);
        EXPECT_EQ(call.argv, c.argv) << c.line;
        EXPECT_EQ(p.result, *c.argv ? 7 : 0) << c.line;
    }
}

TEST(Interpreter, ReturnValues)
{
    EXPECT_EQ(parse("").ret, 1);
    EXPECT_EQ(parse("alpha").ret, 1);
    EXPECT_EQ(parse("alpha /?").ret, 1);
    EXPECT_EQ(parse("? alpha").ret, 1);
    EXPECT_EQ(parse("delta").ret, 0);
    EXPECT_EQ(parse("beta").ret, 0); // too few parameters
    Parsed quit = parse("quit");
    EXPECT_EQ(quit.ret, -1);
    EXPECT_EQ(quit.result, 0);
    EXPECT_EQ(parse("quit now").ret, 0);
}

TEST(Interpreter, SwitchBlocks)
{
    parse("alpha /h:0x10 /I:010 1000");
    EXPECT_EQ(call.argv, "alpha|1000");
    EXPECT_EQ(call.sw.mask, bit('h') | bit('i'));
    EXPECT_EQ(call.sw.valued, bit('h') | bit('i'));
    EXPECT_EQ(call.sw.value[7], 16u);
    EXPECT_EQ(call.sw.value[8], 8u);

    parse("alpha/c/xy");
    EXPECT_EQ(call.argv, "alpha");
    EXPECT_EQ(call.sw.mask, bit('c') | bit('x'));
    EXPECT_EQ(call.sw.second['x' - 'a'], bit('y'));

    // Glued characters belong to the switch; a value that is no number
    // leaves the switch given without a value; the last value wins.
    parse("alpha /h:12x /c5 /i: /h: 9");
    EXPECT_EQ(call.argv, "alpha");
    EXPECT_EQ(call.sw.value[7], 9u);
    EXPECT_EQ(call.sw.mask, bit('c') | bit('h') | bit('i'));
    EXPECT_EQ(call.sw.valued, bit('h'));

    // Without a switch table every switch is accepted.
    parse("alpine /z /Q");
    EXPECT_EQ(call.sw.mask, bit('z') | bit('q'));
    // An unknown switch stops the line before the handler.
    parse("alpha /xz");
    EXPECT_EQ(call.cCalls, 0);
}

TEST(Interpreter, LongestLineWithLetterAndDigitStaysInsideTheBuffer)
{
    // A console line fills 1023 bytes; the blank makes it 1024 plus NUL.
    std::vector<char> line(CMD_LINE_SIZE + 2, '#');
    line[0] = 'b';
    memset(line.data() + 1, '1', CMD_LINE_SIZE - 2);
    line[CMD_LINE_SIZE - 1] = 0;
    call = Call{};
    int result = 0;
    EXPECT_EQ(cmd_parse(aTable, line.data(), &result), 1);
    EXPECT_EQ(call.argv, "b|" + std::string(CMD_LINE_SIZE - 2, '1'));
    EXPECT_EQ(line[CMD_LINE_SIZE + 1], '#');
}

TEST(Interpreter, AtMostOneHundredTwentyEightWords)
{
    std::string text = "alpine";
    for (int i = 1; i <= 130; i++)
        text += " " + std::to_string(i);
    Parsed p = parse(text);
    EXPECT_EQ(p.out, "warning: unprocessed input (\"128 129 130\")\n");
    EXPECT_EQ(call.argv.substr(call.argv.size() - 8), "|126|127");
}

TEST(Console, OutputLevelAndReturnValue)
{
    testing::internal::CaptureStdout();
    int n = con_printf("%d-%s\n", 12, "ab");
    con_disable();
    int m = con_printf("hidden\n");
    bool active = con_active();
    con_enable();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "12-ab\n");
    EXPECT_EQ(n, 6);
    EXPECT_EQ(m, 0);
    EXPECT_FALSE(active);
}

TEST(Console, LinesFromSeveralThreadsAreNeverTorn)
{
    const std::string tail = "0123456789abcdef0123456789abcdef";
    testing::internal::CaptureStdout();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
        threads.emplace_back([t, &tail] {
            for (int i = 0; i < 500; i++)
                con_printf("thread %d line %03d %s\n", t, i, tail.c_str());
        });
    for (auto& th : threads)
        th.join();
    std::string out = testing::internal::GetCapturedStdout();
    int lines = 0;
    for (size_t pos = 0, nl; (nl = out.find('\n', pos)) != std::string::npos; pos = nl + 1, lines++)
        ASSERT_EQ(out.substr(pos + 18, nl - pos - 18), tail) << out.substr(pos, nl - pos);
    EXPECT_EQ(lines, 2000);
}
