// The BASIC ROM, driven as a person drives it: the machine is booted, "C"
// starts BASIC, programs and commands are typed through the window's key
// events, and what BASIC prints is read from video memory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "c1p_harness.h"
#include "testutil.h"

namespace
{

// Lines of the screen as text, without the trailing "OK" prompt line.
std::string without_ok(std::string text)
{
    const std::string ok = "OK\n";
    if (text.size() >= ok.size() && text.compare(text.size() - ok.size(), ok.size(), ok) == 0)
        text.erase(text.size() - ok.size());
    return text;
}

class Basic : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(c1p::boot(tape));
        ASSERT_TRUE(c1p::wait_idle());
        ASSERT_TRUE(c1p::type("C"));
        ASSERT_TRUE(c1p::wait_for("OK"));
        ASSERT_TRUE(c1p::wait_idle());
    }
    void TearDown() override
    {
        c1p::shutdown();
    }
    // Clears the screen from BASIC (code 12), then types each line.
    static bool clear_and_type(std::string_view lines)
    {
        return c1p::type_lines("PRINT CHR$(12);") && c1p::type_lines(lines);
    }
    std::string tape; // a cassette file attached at boot
};

// Waits until the last row of the screen is BASIC's "OK" prompt. (A program
// that computes for long without printing looks idle to wait_idle, since
// BASIC checks for Ctrl-C all the while.)
bool wait_ok(int timeoutMs = 20000)
{
    for (int waited = 0; c1p::last_line() != "OK"; waited += 5) {
        if (waited > timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return c1p::wait_idle();
}

// Types `line` on a cleared screen; gives what the screen shows once BASIC
// is back at its prompt, without the final "OK".
std::string command(const std::string& line, int timeoutMs = 20000)
{
    c1p::type_lines("PRINT CHR$(12);");
    c1p::type(line + "\n", 1000); // a long run leaves the Return unreleased
    wait_ok(timeoutMs);
    return without_ok(c1p::screen_text());
}

// Types NEW and the program, then `line` (see command).
std::string run(std::string_view program, const std::string& line = "RUN", int timeoutMs = 20000)
{
    c1p::type_lines("NEW");
    if (!program.empty())
        c1p::type_lines(program);
    return command(line, timeoutMs);
}

struct Case {
    const char* program; // lines typed before the command ("" for none)
    const char* command; // a direct line, often RUN
    const char* screen;  // what it prints
};

void run_cases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.program, c.command), c.screen) << "program:\n" << c.program << "\ncommand: " << c.command;
    }
}

TEST_F(Basic, GreetsWithTheFreeMemory)
{
    std::string screen = c1p::screen_text();
    EXPECT_NE(screen.find("TESSALY BASIC"), std::string::npos) << screen;
    EXPECT_NE(screen.find(" BYTES FREE"), std::string::npos) << screen;
    // The free memory is what FRE reports for an empty program.
    std::string fre = run("", "PRINT FRE(0)");
    ASSERT_GE(fre.size(), 3u);
    std::string number = fre.substr(1, fre.find(' ', 1) - 1);
    EXPECT_NE(screen.find(number + " BYTES FREE"), std::string::npos) << screen << fre;
    EXPECT_GT(std::stol(number), 30000);
}

TEST_F(Basic, StoresReplacesDeletesAndListsLines)
{
    run_cases({
        // crunched and spaced forms, lower case outside strings, '?'
        {"20 print \"a\";b\n10 FORI=1TO28:NEXTI,J\n30 ?A : IFD=FGOTO50", "LIST",
         "10 FORI=1TO28:NEXTI,J\n20 PRINT \"a\";B\n30 PRINTA : IFD=FGOTO50\n"},
        // a line typed again replaces it; a bare number deletes it
        {"10 A=1\n20 B=2\n30 C=3\n20 B=5\n30\n", "LIST", "10 A=1\n20 B=5\n"},
        {"10 A=1\n20 B=2\n30 C=3\n40 D=4", "LIST 20-30", "20 B=2\n30 C=3\n"},
        {"10 A=1\n20 B=2\n30 C=3\n40 D=4", "LIST -20", "10 A=1\n20 B=2\n"},
        {"10 A=1\n20 B=2\n30 C=3\n40 D=4", "LIST 30-", "30 C=3\n40 D=4\n"},
        {"10 A=1\n20 B=2\n30 C=3", "LIST 20", "20 B=2\n"},
        // numbers are shown as typed, keywords as words
        {"10 X=1.50E+3:GOTO 0010:REM DATA 1.0", "LIST", "10 X=1.50E+3:GOTO 0010:REM DATA 1.0\n"},
        {"10 DATA print,\"to\",3:X=2", "LIST", "10 DATA print,\"to\",3:X=2\n"},
        {"63999 END\n64000 END", "LIST", "?SYNTAX ERROR\n63999 END\n"},
    });
}

TEST_F(Basic, RunsStatements)
{
    run_cases({
        {"10 PRINT \"HI\";\n20 PRINT \"THERE\"", "RUN", "HITHERE\n"},
        {"10 LET A=5:B=A*2:PRINT A;B", "RUN", " 5  10\n"},
        {"10 A=1:GOTO 30\n20 A=2\n30 PRINT A", "RUN", " 1\n"},
        {"10 PRINT 1:END\n20 PRINT 2", "RUN", " 1\n"},
        {"10 PRINT 1\n20 STOP\n30 PRINT 3", "RUN", " 1\nBREAK IN 20\n"},
        {"10 PRINT 1\n20 STOP\n30 PRINT 3", "RUN\nCONT", " 1\nBREAK IN 20\nOK\nCONT\n 3\n"},
        {"10 REM PRINT 1\n20 PRINT 2", "RUN", " 2\n"},
        {"10 IF 1 THEN PRINT \"Y\":PRINT \"Z\"\n20 IF 0 THEN PRINT \"N\":PRINT \"M\"", "RUN",
         "Y\nZ\n"},
        {"10 IF 2>1 GOTO 30\n20 PRINT \"N\"\n30 IF 1<2 THEN 50\n40 PRINT \"M\"\n50 PRINT \"E\"",
         "RUN", "E\n"},
        {"10 ON 2 GOTO 20,30,40\n20 PRINT 20\n30 PRINT 30\n40 PRINT 40", "RUN", " 30\n 40\n"},
        {"10 ON 4 GOTO 20,30\n15 PRINT 15\n20 PRINT 20", "RUN", " 15\n 20\n"},
        {"10 FOR I=1 TO 3:ON I GOSUB 100,200,300:NEXT:END\n100 ?\"A\";:RETURN\n200 "
         "?\"B\";:RETURN\n300 ?\"C\":RETURN",
         "RUN", "ABC\n"},
        {"10 GOSUB 100:PRINT \"BACK\":END\n100 GOSUB 200:PRINT \"ONE\":RETURN\n200 PRINT "
         "\"TWO\":RETURN",
         "RUN", "TWO\nONE\nBACK\n"},
        {"10 FOR I=1 TO 10 STEP 3:PRINT I;:NEXT I", "RUN", " 1  4  7  10\n"},
        {"10 FOR I=3 TO 1 STEP -1:PRINT I;:NEXT", "RUN", " 3  2  1\n"},
        {"10 FOR I=1 TO 0:PRINT I;:NEXT:PRINT \"X\"", "RUN", " 1 X\n"},
        {"10 FOR I=1 TO 2:FOR J=1 TO 2:PRINT I*10+J;:NEXT J,I", "RUN", " 11  12  21  22\n"},
        {"10 FOR I=1 TO 3:FOR J=1 TO 5:IF J=2 THEN NEXT I\n20 PRINT J;:NEXT J", "RUN",
         " 1  1  1  3  4  5\n"},
        {"10 FOR I=.5 TO 1.6 STEP .5:PRINT I;:NEXT", "RUN", " .5  1  1.5\n"},
        {"10 DATA 1,\"A,B\",  C D ,-2.5E1\n20 READ X,A$,B$,Y:PRINT X;A$;B$;Y", "RUN",
         " 1 A,BC D-25\n"},
        {"10 READ A,B:RESTORE:READ C:PRINT A;B;C\n20 DATA 7\n30 DATA 8", "RUN", " 7  8  7\n"},
        {"10 DEF FNA(X)=X*X+1:DEF FNB(X)=FNA(X)*2\n20 X=5:PRINT FNA(3);FNB(2);X", "RUN",
         " 10  10  5\n"},
        {"10 DIM A(3,4),B$(2):A(3,4)=7:A(1,2)=3:B$(2)=\"Q\"\n20 PRINT A(3,4);A(1,2);A(0,0);B$(2)",
         "RUN", " 7  3  0 Q\n"},
        {"10 A(10)=4:PRINT A(10)", "RUN", " 4\n"},
        {"10 POKE 1000,77:PRINT PEEK(1000)", "RUN", " 77\n"},
        {"10 NULL 5:WAIT 1000,1,1:PRINT \"W\"", "RUN", "W\n"},
        {"10 A=1:B$=\"X\":CLEAR:PRINT A;B$;\"E\"", "RUN", " 0 E\n"},
        {"10 PRINT \"A\";TAB(5);\"B\";SPC(3);\"C\";POS(0)", "RUN", "A    B   C 10\n"},
        {"10 PRINT 1,2,\"ABC\",-4", "RUN", " 1      2      ABC    -4\n"},
        {"10 PRINT \"A\":: PRINT \"B\"", "RUN", "A\nB\n"},
        {"", "A=2:B=3:PRINT A^B;A*B+1", " 8  7\n"},
        {"10 PRINT 5", "RUN 10", " 5\n"},
        {"10 GOTO 20\n20 PRINT \"T\"", "GOTO 20", "T\n"},
    });
}

TEST_F(Basic, EvaluatesExpressions)
{
    run_cases({
        {"", "PRINT 2+3*4;(2+3)*4;2^3^2;-2^2;10-4-3;100/10/5", " 14  20  64 -4  3  2\n"},
        {"", "PRINT 1<2;2<1;1=1;1<>1;2>=2;2<=1;3=>3;3=<2", "-1  0 -1  0 -1  0 -1  0\n"},
        {"", "PRINT 6 AND 3;6 OR 3;NOT 0;NOT 5;-1 AND 255", " 2  7 -1 -6  255\n"},
        {"", "PRINT 1+2=3 AND 4>3;NOT 1=2", "-1 -1\n"},
        {"", "PRINT -(3);--3;+3;2*-3", "-3  3  3 -6\n"},
        {"", "PRINT INT(2.7);INT(-2.5);ABS(-3);SGN(-2);SGN(0)", " 2 -3  3 -1  0\n"},
        {"", "PRINT SQR(16);2^10;1E3", " 4  1024  1000\n"},
        {"", "A=5:PRINT A;AB;ABC", " 5  5  5\n"},
        {"", "DELAY=7:PRINT DE", " 7\n"},
    });
}

TEST_F(Basic, HandlesStrings)
{
    run_cases({
        {"", "A$=\"HELLO\":PRINT LEN(A$);LEFT$(A$,2);RIGHT$(A$,3);MID$(A$,2,3);MID$(A$,4)",
         " 5 HELLLOELLLO\n"},
        {"", "PRINT LEFT$(\"AB\",5);MID$(\"AB\",3);\"|\";RIGHT$(\"AB\",0);\"|\"", "AB||\n"},
        {"", "PRINT ASC(\"A\");CHR$(66);STR$(42);\"|\";VAL(\"12.5X\");VAL(\"\")",
         " 65 B 42| 12.5  0\n"},
        {"", "A$=\"AB\":B$=A$+\"CD\"+A$:PRINT B$;LEN(B$)", "ABCDAB 6\n"},
        {"", "PRINT \"A\"<\"B\";\"B\"<\"A\";\"AB\">\"A\";\"A\"=\"A\";\"\"<\"A\";\"X\"<>\"X\"",
         "-1  0 -1 -1 -1  0\n"},
        {"", "A$=\"X\":IF A$+\"Y\"=\"XY\" THEN PRINT \"EQ\"", "EQ\n"},
        {"10 FOR I=1 TO 300:A$=A$+\"X\":IF LEN(A$)>20 THEN A$=\"\"\n20 B$(I-INT(I/10)*10)=STR$(I)"
         ":NEXT\n30 PRINT LEN(A$);B$(0);B$(9)",
         "RUN", " 15  300  299\n"},
        {"10 X$=\"\":FOR I=1 TO 255:X$=X$+\"A\":NEXT:PRINT LEN(X$)", "RUN", " 255\n"},
    });
}

TEST_F(Basic, ReclaimsStringSpace)
{
    // Far more string bytes than the memory holds pass through variables
    // and an array; the live ones must survive every reclaiming.
    std::string out = run("10 DIM A$(50)\n"
                          "20 FOR I=1 TO 2000\n"
                          "30 A$(I-INT(I/50)*50)=STR$(I)+\"-\"+LEFT$(\"ABCDEFGHIJKLMNOPQRST\",I-"
                          "INT(I/20)*20)\n"
                          "40 NEXT\n"
                          "50 PRINT A$(0);\" \";A$(49);\" \";FRE(0)>30000\n",
                          "RUN", 120000);
    EXPECT_EQ(out, " 2000- 1999-ABCDEFGHIJKLMNOPQRS -1\n");
}

TEST_F(Basic, ReportsErrors)
{
    run_cases({
        {"10 PRINT 1\n20 X=(", "RUN", " 1\n?SYNTAX ERROR IN 20\n"},
        {"10 GOTO 99", "RUN", "?UNDEFINED LINE ERROR IN 10\n"},
        {"10 RETURN", "RUN", "?RETURN WITHOUT GOSUB ERROR IN\n 10\n"},
        {"10 NEXT", "RUN", "?NEXT WITHOUT FOR ERROR IN 10\n"},
        {"10 READ A", "RUN", "?OUT OF DATA ERROR IN 10\n"},
        {"10 DATA 1X\n20 READ A", "RUN", "?SYNTAX ERROR IN 10\n"},
        {"10 DIM A(5):A(6)=1", "RUN", "?BAD SUBSCRIPT ERROR IN 10\n"},
        {"10 A(11)=1", "RUN", "?BAD SUBSCRIPT ERROR IN 10\n"},
        {"10 A(1,2)=1:A(1)=2", "RUN", "?BAD SUBSCRIPT ERROR IN 10\n"},
        {"10 DIM A(2):DIM A(3)", "RUN", "?REDIMENSIONED ARRAY ERROR IN\n 10\n"},
        {"10 A=\"X\"", "RUN", "?TYPE MISMATCH ERROR IN 10\n"},
        {"10 PRINT FNZ(1)", "RUN", "?UNDEFINED FUNCTION ERROR IN 10\n"},
        {"", "DEF FNA(X)=X", "?ILLEGAL DIRECT ERROR\n"},
        {"", "INPUT A", "?ILLEGAL DIRECT ERROR\n"},
        {"", "CONT", "?CAN'T CONTINUE ERROR\n"},
        {"", "PRINT 1/0", "?DIVISION BY ZERO ERROR\n"},
        {"", "PRINT ASC(\"\")", "?ILLEGAL QUANTITY ERROR\n"},
        {"", "PRINT CHR$(256)", "?ILLEGAL QUANTITY ERROR\n"},
        {"", "PRINT MID$(\"A\",0)", "?ILLEGAL QUANTITY ERROR\n"},
        {"", "A$=\"X\":FOR I=1 TO 8:A$=A$+A$:NEXT", "?STRING TOO LONG ERROR\n"},
        {"10 GOSUB 10", "RUN", "?OUT OF MEMORY ERROR IN 10\n"},
        {"", "PRINT \"A\"+1", "?TYPE MISMATCH ERROR\n"},
        {"", "X", "?SYNTAX ERROR\n"},
    });
}

TEST_F(Basic, InputAsksAgainOnBadInput)
{
    ASSERT_TRUE(c1p::type_lines("10 INPUT \"NAME\";N$,A\n20 PRINT N$;A\n30 INPUT B,C\n40 PRINT B+C"));
    ASSERT_TRUE(clear_and_type("RUN"));
    EXPECT_EQ(c1p::last_line(), "NAME?");
    ASSERT_TRUE(c1p::type_lines("  BOB ,X"));
    EXPECT_EQ(c1p::last_line(), "?");
    ASSERT_TRUE(c1p::type_lines("\"AL,ICE\" , 42"));
    ASSERT_TRUE(c1p::type_lines("1"));
    ASSERT_TRUE(c1p::type_lines("2,3"));
    EXPECT_EQ(without_ok(c1p::screen_text()),
              "RUN\nNAME?   BOB ,X\n?REDO FROM START\n? \"AL,ICE\" , 42\nAL,ICE 42\n? 1\n?? 2,3\n"
              "?EXTRA IGNORED\n 3\n");
}

TEST_F(Basic, CtrlCBreaksAndContGoesOn)
{
    ASSERT_TRUE(c1p::type_lines("10 I=I+1:GOTO 10\n20 PRINT I"));
    ASSERT_TRUE(clear_and_type("RUN"));
    ASSERT_TRUE(c1p::ctrl('C'));
    ASSERT_TRUE(c1p::wait_for("BREAK IN 10"));
    ASSERT_TRUE(c1p::wait_idle());
    ASSERT_TRUE(c1p::type_lines("PRINT I>0"));
    EXPECT_EQ(c1p::row(3), "-1");
    ASSERT_TRUE(c1p::type("CONT\n"));
    ASSERT_TRUE(c1p::ctrl('C'));
    ASSERT_TRUE(c1p::wait_for("BREAK IN 10"));
    // a FOR loop and a LIST are broken too
    ASSERT_TRUE(clear_and_type("FOR I=1 TO 1E9:NEXT"));
    ASSERT_TRUE(c1p::ctrl('C'));
    ASSERT_TRUE(c1p::wait_for("BREAK"));
    ASSERT_TRUE(c1p::wait_idle());
    ASSERT_TRUE(c1p::type_lines("CONT"));
    EXPECT_NE(c1p::screen_text().find("?CAN'T CONTINUE ERROR"), std::string::npos);
    // INPUT: CONT asks again
    ASSERT_TRUE(c1p::type_lines("NEW\n10 INPUT A\n20 PRINT A*2"));
    ASSERT_TRUE(clear_and_type("RUN"));
    ASSERT_TRUE(c1p::ctrl('C'));
    ASSERT_TRUE(c1p::wait_for("BREAK IN 10"));
    ASSERT_TRUE(c1p::wait_idle());
    ASSERT_TRUE(c1p::type_lines("CONT"));
    ASSERT_TRUE(c1p::type_lines("21"));
    EXPECT_EQ(c1p::last_line(), "OK");
    EXPECT_NE(c1p::screen_text().find(" 42"), std::string::npos) << c1p::screen_text();
}

TEST_F(Basic, PokesTheScreenAndCallsUsr)
{
    // POKE into video memory shows on the screen.
    ASSERT_TRUE(clear_and_type("FOR I=0 TO 4:POKE 53248+32*20+I,65+I:NEXT"));
    EXPECT_EQ(c1p::row(20), "ABCDE");
    // A routine at 768 doubles its argument: INC $A0 (FAC's exponent), RTS.
    EXPECT_EQ(command("POKE 768,230:POKE 769,160:POKE 770,96:POKE 11,0:POKE 12,3:PRINT USR(21)"),
              " 42\n");
    // The System ROM's key routine, as programs of the period call it.
    ASSERT_TRUE(clear_and_type("10 POKE 11,0:POKE 12,253:X=USR(X):PRINT PEEK(531)\nRUN"));
    ASSERT_TRUE(c1p::type("Q"));
    ASSERT_TRUE(c1p::wait_for("OK"));
    EXPECT_NE(c1p::screen_text().find(" 81"), std::string::npos) << c1p::screen_text();
    // Without a routine set up, USR is an error.
    ASSERT_TRUE(c1p::type_lines("NEW"));
    c1p::cmd("break");
    c1p::cmd("go");
    ASSERT_TRUE(c1p::wait_for("C/W/M ?"));
    ASSERT_TRUE(c1p::wait_idle());
    ASSERT_TRUE(c1p::type("C"));
    ASSERT_TRUE(c1p::wait_for("OK"));
    EXPECT_EQ(command("PRINT USR(1)"), "?ILLEGAL QUANTITY ERROR\n");
}

TEST_F(Basic, SaveSaysItIsNotAvailable)
{
    EXPECT_EQ(run("10 PRINT 1", "SAVE:PRINT \"AFTER\""), "SAVE NOT AVAILABLE\nAFTER\n");
}

TEST_F(Basic, WarmStartKeepsTheProgram)
{
    ASSERT_TRUE(c1p::type_lines("10 PRINT \"KEPT\""));
    c1p::cmd("break");
    c1p::cmd("go");
    ASSERT_TRUE(c1p::wait_for("C/W/M ?"));
    ASSERT_TRUE(c1p::wait_idle());
    ASSERT_TRUE(c1p::type("W"));
    ASSERT_TRUE(c1p::wait_for("OK"));
    ASSERT_TRUE(c1p::wait_idle());
    EXPECT_EQ(command("RUN"), "KEPT\n");
}

// The same machine with a cassette file attached at boot.
class BasicTape : public Basic
{
  protected:
    void SetUp() override
    {
        tape = dir.file("prog.bas");
        std::ofstream out(tape, std::ios::binary);
        out << "NEW\r\n\r\n10 FOR I=1 TO 3\r\n20 PRINT I*I;\r\n" << std::string(3, '\0')
            << "30 NEXT\r\n";
        out.close();
        Basic::SetUp();
    }
    TempDir dir;
};

TEST_F(BasicTape, LoadsAProgramFromTheCassette)
{
    ASSERT_TRUE(c1p::type_lines("LOAD"));
    ASSERT_TRUE(c1p::wait_idle(20000));
    EXPECT_EQ(command("LIST"), "10 FOR I=1 TO 3\n20 PRINT I*I;\n30 NEXT\n");
    EXPECT_EQ(command("RUN"), " 1  4  9\n");
}

} // namespace
