// Saving to the cassette, driven as a person drives the machine: an output
// file attached with `cassette /w`, keys typed through the window's key
// events, the screen read from video memory. BASIC's SAVE writes a program
// that LOAD reads back; a machine-code program sees the transmitter in the
// status register only while the file is attached.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "c1p_harness.h"
#include "testutil.h"

namespace
{

class CassetteSave : public testing::Test
{
  protected:
    TempDir dir;
    void TearDown() override
    {
        c1p::cmd("cassette /c");
        c1p::shutdown();
    }
};

const char* const PROGRAM = "10 REM SAVED AND LOADED BACK\n"
                            "20 DIM A(3):FOR I=1 TO 3:A(I)=I*I:NEXT\n"
                            "30 PRINT \"SQUARES:\";A(1);A(2);A(3)\n"
                            "40 IF A(3)<>9 THEN PRINT \"WRONG\":END\n"
                            "50 PRINT \"DONE\"\n";

// SAVE lists the program into the file, each line whole (the screen wraps
// long ones), and nothing else: not the OK that
// follows, not what a later statement of the same line prints. NEW empties
// the program; LOAD from the file brings it back, line for line, and it
// runs. A second SAVE appends to the file, which still loads.
TEST_F(CassetteSave, BasicSavesAProgramThatLoadsBack)
{
    ASSERT_TRUE(c1p::boot_basic());
    ASSERT_TRUE(c1p::type_lines(PROGRAM));
    const std::string listing = c1p::basic_line("LIST"); // rows of the screen: long lines wrap
    const std::string output = c1p::basic_line("RUN");
    EXPECT_EQ(output, "SQUARES: 1  4  9\nDONE\n");

    const std::string tape = dir.file("prog.bas");
    EXPECT_EQ(c1p::cmd("cassette /w \"" + tape + "\""),
              "cassette file closed\ncassette output file open\n");
    EXPECT_EQ(c1p::basic_line("SAVE:PRINT \"AFTER\""), listing + "AFTER\n")
        << "the listing shows on the screen too";
    const std::string raw = read_file(tape);
    // The lines whole, as typed; only blank lines may stand before them.
    EXPECT_EQ(raw.substr(raw.find_first_not_of('\n')), PROGRAM);
    EXPECT_EQ(c1p::cmd("cassette /c /w"), "cassette file closed\ncassette output file closed\n");

    for (int round = 1; round <= 2; round++) {
        EXPECT_EQ(c1p::basic_line("NEW:LIST"), "") << round;
        EXPECT_EQ(c1p::cmd("cassette \"" + tape + "\""), "cassette file open\n");
        ASSERT_TRUE(c1p::type_lines("LOAD", 30000)) << round;
        c1p::cmd("cassette /c");
        EXPECT_EQ(c1p::basic_line("LIST"), listing) << round;
        EXPECT_EQ(c1p::basic_line("RUN"), output) << round;
        if (round == 1) {
            c1p::cmd("cassette /w \"" + tape + "\"");
            c1p::basic_line("SAVE");
            c1p::cmd("cassette /c /w");
            EXPECT_EQ(read_file(tape), raw + raw) << "appended";
        }
    }
}

// A line typed with ? for PRINT lists longer than it was typed (here 90
// characters for 66); SAVE writes the listing and LOAD reads it back whole.
TEST_F(CassetteSave, AbbreviatedLinesLoadBackWhole)
{
    ASSERT_TRUE(c1p::boot_basic());
    ASSERT_TRUE(c1p::type_lines(
        "5 S=1:L=2:V=3:T=4:B=5:H=6\n"
        "10 ?\"SCORE\";S:?\"LIVES\";L:?\"LEVEL\";V:?\"TIME\";T:?\"BONUS\";B:?\"HIGH\";H"));
    const std::string listing = c1p::basic_line("LIST");
    const std::string output = c1p::basic_line("RUN");
    const std::string tape = dir.file("prog.bas");
    c1p::cmd("cassette /w \"" + tape + "\"");
    c1p::basic_line("SAVE");
    c1p::cmd("cassette /c /w");
    EXPECT_NE(read_file(tape).find("\n10 PRINT\"SCORE\";S:PRINT\"LIVES\";L:PRINT\"LEVEL\";V:"
                                   "PRINT\"TIME\";T:PRINT\"BONUS\";B:PRINT\"HIGH\";H\n"),
              std::string::npos);
    EXPECT_EQ(c1p::basic_line("NEW:LIST"), "");
    c1p::cmd("cassette \"" + tape + "\"");
    ASSERT_TRUE(c1p::type_lines("LOAD", 30000));
    c1p::cmd("cassette /c");
    EXPECT_EQ(c1p::basic_line("LIST"), listing);
    EXPECT_EQ(c1p::basic_line("RUN"), output);
}

// Prints the status register as a digit ('0' + its value), calls $FFF7 and
// prints its carry as a digit, then Return, and returns to the monitor:
// LDA $F000, ORA #'0', JSR $FFEE; JSR $FFF7; LDA #'0', ADC #0, JSR $FFEE;
// LDA #$0D, JSR $FFEE; RTS.
const char* const PROBE = "AD\r00\rF0\r09\r30\r20\rEE\rFF\r20\rF7\rFF\rA9\r30\r69\r00\r20\rEE\rFF\r"
                          "A9\r0D\r20\rEE\rFF\r60\r";

// How many rows of the screen read exactly `text`.
long rows_reading(const std::string& text)
{
    std::vector<std::string> rows;
    for (int r = 0; r < 32; r++)
        rows.push_back(c1p::row(r));
    return std::count(rows.begin(), rows.end(), text);
}

// Runs the probe with the monitor's G; true when a new row reads `want`.
bool probe(const std::string& want)
{
    long before = rows_reading(want);
    return c1p::type(".0300G") && c1p::wait_idle() && rows_reading(want) == before + 1;
}

// The System ROM looks at status bit 1 once: clear, $FFF7 sets carry and
// nothing goes out; set (an output file attached), it clears carry and
// what the program prints goes to the file as well. Once the file is
// detached the bit is clear again and nothing more is sent.
TEST_F(CassetteSave, TheTransmitterIsThereOnlyWhileAFileIsAttached)
{
    ASSERT_TRUE(c1p::boot());
    ASSERT_TRUE(c1p::wait_idle() && c1p::type("M") && c1p::wait_for("0000 00"));
    ASSERT_TRUE(c1p::type(std::string(".0300/") + PROBE));
    ASSERT_TRUE(probe("01")) << c1p::screen_text();
    const std::string out = dir.file("out.txt");
    c1p::cmd("cassette /w \"" + out + "\"");
    ASSERT_TRUE(probe("20")) << c1p::screen_text();
    c1p::cmd("cassette /c /w");
    const std::string sent = read_file(out);
    EXPECT_EQ(sent.substr(0, 2), "0\n") << "the carry digit and the Return";
    ASSERT_TRUE(probe("01")) << c1p::screen_text();
    EXPECT_EQ(read_file(out), sent);
}

} // namespace
