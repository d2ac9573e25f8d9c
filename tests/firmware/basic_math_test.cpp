// BASIC's arithmetic, driven through the machine: the machine boots, "C"
// starts BASIC, expressions and programs are typed through the window's key
// events (or loaded from a cassette file where a key cannot be typed), and
// the numbers BASIC prints are read from video memory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "c1p_harness.h"
#include "testutil.h"

namespace
{

// The machine's numbers on the host: a value rounded to 24 bits of
// mantissa, half away from zero, as the arithmetic rounds; 0 below the
// smallest number.
double r24(double v)
{
    if (v == 0)
        return 0;
    int e;
    double m = std::frexp(std::fabs(v), &e);
    double q = std::floor(std::ldexp(m, 24) + 0.5);
    if (e < -128)
        return 0;
    return std::copysign(std::ldexp(q, e - 24), v);
}

// A number as BASIC prints it: six significant digits rounded half up, a
// blank or '-', plain from .01 to 999999, else d.dddddE+dd.
std::string basic_text(double v)
{
    if (v == 0)
        return " 0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.30e", std::fabs(v));
    std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 30);
    int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    std::string d6 = digits.substr(0, 6);
    if (digits[6] >= '5') {
        int i = 5;
        while (i >= 0 && d6[i] == '9')
            d6[i--] = '0';
        if (i < 0) {
            d6 = "100000";
            exp10++;
        } else {
            d6[i]++;
        }
    }
    int last = 5;
    while (last > 0 && d6[last] == '0')
        last--;
    std::string s = v < 0 ? "-" : " ";
    if (exp10 >= 0 && exp10 <= 5) {
        s += d6.substr(0, exp10 + 1);
        if (last > exp10)
            s += "." + d6.substr(exp10 + 1, last - exp10);
    } else if (exp10 == -1 || exp10 == -2) {
        s += exp10 == -2 ? ".0" : ".";
        s += d6.substr(0, last + 1);
    } else {
        s += d6.substr(0, 1);
        if (last > 0)
            s += "." + d6.substr(1, last);
        std::snprintf(buf, sizeof buf, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
        s += buf;
    }
    return s;
}

class BasicMath : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(c1p::boot_basic(tape));
    }
    void TearDown() override
    {
        c1p::shutdown();
    }
    std::string tape; // a cassette file attached at boot
};

struct Case {
    const char* expr;   // typed after PRINT
    const char* screen; // what PRINT shows
};

void print_cases(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(c1p::basic_line(std::string("PRINT ") + c.expr), std::string(c.screen) + "\n")
            << "PRINT " << c.expr;
}

TEST_F(BasicMath, PrintsNumbersInTheDialectsFormat)
{
    print_cases({
        {"999999", " 999999"},
        {"1E6", " 1E+06"},
        {"123456789", " 1.23457E+08"},
        {".01", " .01"},
        {".001", " 1E-03"},
        {"1/3", " .333333"},
        {"12345.67", " 12345.7"},
        {"-1.5E-20", "-1.5E-20"},
        {"3.5", " 3.5"},
        {"-0", " 0"},
        {"0*-1", " 0"},
        {"5-5", " 0"},
        {"-5+5", " 0"},
        {"999999.4", " 999999"},
        {"999999.5", " 1E+06"},
        {".0099999", " 9.9999E-03"},
        {".012345678", " .0123457"},
        {"1E5", " 100000"},
        {"2.5E-3", " 2.5E-03"},
        {"1E-38", " 1E-38"},
        {"1.7E38", " 1.7E+38"},
        {"-123.456", "-123.456"},
        {"100;10;1;-1", " 100  10  1 -1"},
        {"1E+10;1E-10", " 1E+10  1E-10"},
        {"STR$(42)+\"!\"", " 42!"},
    });
}

TEST_F(BasicMath, ArithmeticIsExactlyRounded)
{
    print_cases({
        {"1/3*3", " 1"},
        {"1/3*3=1", "-1"},
        {".1+.2", " .3"},
        {"1/7*7-1", " 0"},
        {"16777215-16777214", " 1"},
        {"4096*4096-16777215", " 1"},
        {"16777216/2-8388607", " 1"},
        {"8388607*2+1=16777215", "-1"},
        {"2+3*4", " 14"},
        {"(2+3)*4", " 20"},
        {"-2*-3", " 6"},
        {"7-10", "-3"},
        {"10/4", " 2.5"},
        {"1E5*1E5", " 1E+10"},
        {"1E-30*1E-30", " 0"},
        {"1E30/1E-8", " 1E+38"},
        {"2.5-3", "-.5"},
        {"1E10+1-1E10", " 0"},
        {"1.5<1.6;2=2;3>4", "-1 -1  0"},
    });
}

TEST_F(BasicMath, FunctionsAtChosenPoints)
{
    print_cases({
        {"INT(2.999);INT(-2.5);INT(-3);INT(-.1)", " 2 -3 -3 -1"},
        {"INT(123456.7);INT(-123456.7)", " 123456 -123457"},
        {"INT(-1E-10);INT(0);INT(1E10)", "-1  0  1E+10"},
        {"ABS(-7.5);SGN(-3);SGN(0);SGN(2)", " 7.5 -1  0  1"},
        {"SQR(2)", " 1.41421"},
        {"SQR(16);SQR(1E-10);SQR(0)", " 4  1E-05  0"},
        {"LOG(10)", " 2.30259"},
        {"LOG(1);LOG(.5)", " 0 -.693147"},
        {"LOG(1E38)", " 87.4982"},
        {"EXP(1)", " 2.71828"},
        {"EXP(0);EXP(-1)", " 1  .367879"},
        {"EXP(10)", " 22026.5"},
        {"EXP(88)", " 1.65164E+38"},
        {"EXP(-100)", " 0"},
        {"SIN(1);SIN(-.5)", " .841471 -.479426"},
        {"SIN(0);COS(0)", " 0  1"},
        {"COS(1)", " .540302"},
        {"SIN(1000)", " .82688"},
        {"COS(100)", " .862319"},
        {"TAN(.7)", " .842288"},
        {"ATN(1)*4", " 3.14159"},
        {"ATN(-10)", "-1.47113"},
        {"ATN(1E10)", " 1.5708"},
    });
}

TEST_F(BasicMath, ArgumentsOutsideTheDomainAreErrors)
{
    print_cases({
        {"1/0", "?/0 ERROR"},
        {"EXP(100)", "?OV ERROR"},
        {"1E38*10", "?OV ERROR"},
        {"-1E38-1E38", "?OV ERROR"},
        {"LOG(0)", "?FC ERROR"},
        {"LOG(-1)", "?FC ERROR"},
        {"SQR(-1)", "?FC ERROR"},
    });
    // A constant too large is refused as the line is read.
    c1p::type_lines("PRINT CHR$(12);");
    c1p::type_lines("PRINT 1E39");
    EXPECT_EQ(c1p::screen_text(), "OK\nPRINT 1E39\n?OV ERROR\nOK\n");
    // After an error the arithmetic goes on as before.
    EXPECT_EQ(c1p::basic_line("PRINT 2*3"), " 6\n");
}

TEST_F(BasicMath, ConversionsKeepToTheirRanges)
{
    print_cases({
        {"32767 AND -1;-32768 OR 0;NOT 0", " 32767 -32768 -1"},
        {"32768 AND 1", "?FC ERROR"},
        {"-32769 OR 0", "?FC ERROR"},
        {"CHR$(65.9);ASC(\"A\")", "A 65"},
        {"CHR$(256)", "?FC ERROR"},
        {"VAL(\"1E5\");VAL(\" -1.5E-3\")", " 100000 -1.5E-03"},
        {"VAL(\"12ABC\");VAL(\"ABC\");VAL(\".5.5\")", " 12  0  .5"},
        {"STR$(1/3);STR$(-2)", " .333333-2"},
    });
    // A sum of tenths drifts in binary; the printed value does not.
    EXPECT_EQ(c1p::basic_line("S=0:FOR I=1 TO 10:S=S+.1:NEXT:PRINT S;S=1"), " 1  0\n");
}

TEST_F(BasicMath, RndGivesReproducibleSequencesBelowOne)
{
    c1p::type_lines("NEW");
    c1p::type_lines("10 X=RND(-1):A=RND(1):B=RND(1)\n"
                    "20 X=RND(-1):C=RND(1):D=RND(1):PRINT A=C;B=D;A=B\n"
                    "30 X=RND(-2):C=RND(1):PRINT A=C\n"
                    "40 A=RND(1):B=RND(0):PRINT A=B\n"
                    "50 X=RND(-7):Y=RND(-7):PRINT X=Y;X>=0;X<1");
    EXPECT_EQ(c1p::basic_line("RUN"), "-1 -1  0\n 0\n-1\n-1 -1 -1\n");
    // 500 numbers: all in [0,1), their mean near 1/2, every tenth of the
    // range hit.
    c1p::type_lines("NEW");
    c1p::type_lines("10 DIM H(9):N=0:S=0:FOR I=1 TO 500:R=RND(1):IF R<0 OR R>=1 THEN N=N+1\n"
                    "20 S=S+R:H(INT(R*10))=H(INT(R*10))+1:NEXT:E=0\n"
                    "30 FOR I=0 TO 9:IF H(I)<20 THEN E=E+1\n"
                    "40 NEXT:PRINT N;ABS(S/500-.5)<.05;E");
    EXPECT_EQ(c1p::basic_line("RUN", 120000), " 0 -1  0\n");
}

// True when `got` is how BASIC prints a number within `tol` (relative) of
// `want`, allowing half a unit of the sixth digit for the printing.
bool prints_near(const std::string& got, double want, double tol)
{
    double g = std::strtod(got.c_str(), nullptr);
    if (got != basic_text(g))
        return false;
    double unit = want == 0 ? 0 : std::pow(10.0, std::floor(std::log10(std::fabs(want))) - 5);
    return std::fabs(g - want) <= 0.5 * unit * (1 + 1e-9) + tol * std::fabs(want);
}

// One function over 24 arguments, printed by a BASIC loop, each line
// compared with the host's math on the same 24-bit argument. The allowance
// is a few units in the 24th bit, scaled by how much the function magnifies
// the argument's rounding.
void check_against_host(const std::string& fn, const std::function<double(double)>& f,
                        const std::string& arg = "X")
{
    c1p::type_lines("NEW");
    c1p::type_lines("10 FOR I=1 TO 24:X=I*I/37-5:PRINT " + fn + "(" + arg + "):NEXT");
    std::string screen = c1p::basic_line("RUN", 60000);
    size_t pos = 0;
    for (int i = 1; i <= 24; i++) {
        size_t end = screen.find('\n', pos);
        ASSERT_NE(end, std::string::npos) << fn << ": line " << i << " missing in\n" << screen;
        std::string got = screen.substr(pos, end - pos);
        pos = end + 1;
        double x = r24(r24(i * i / 37.0) - 5);
        double want = f(x);
        double h = std::fabs(x) * 1e-6 + 1e-9;
        double cond = std::fabs(x * (f(x + h) - f(x - h)) / (2 * h) / want);
        double tol = 4e-7 * (1 + cond);
        EXPECT_TRUE(prints_near(got, want, tol))
            << fn << "(" << x << "): got '" << got << "', host " << basic_text(want);
    }
}

TEST_F(BasicMath, FunctionsAgreeWithTheHost)
{
    check_against_host("SIN", [](double x) { return std::sin(x); });
    check_against_host("COS", [](double x) { return std::cos(x); });
    check_against_host("TAN", [](double x) { return std::tan(x); });
    check_against_host("ATN", [](double x) { return std::atan(x); });
    check_against_host("EXP", [](double x) { return std::exp(x); });
    check_against_host(
        "LOG", [](double x) { return std::log(r24(x + 6)); }, "X+6");
    check_against_host(
        "SQR", [](double x) { return std::sqrt(r24(x + 5)); }, "X+5");
}

// '^' has no key on the machine's keyboard emulation, so the powers come
// from a cassette file, loaded as a program of the period would be.
class BasicMathTape : public BasicMath
{
  protected:
    void SetUp() override
    {
        tape = dir.file("powers.bas");
        std::ofstream out(tape, std::ios::binary);
        out << "NEW\r\n"
               "10 PRINT 3^2;2^-1;0^0;2^10;-2^2;2^3^2:END\r\n"
               "20 PRINT (-2)^3;10^-2;4^.5;2^.5;(-8)^(1/3)\r\n"
               "30 K=7:PRINT K^2=K*K;1.5^2;10^6;9^6:END\r\n"
               "40 PRINT 0^-1\r\n"
               "50 PRINT 10^40\r\n"
               "60 PRINT 10^-40;2^100;.5^-100;(-1)^1001:END\r\n"
               "70 FOR I=1 TO 10:X=I/3:PRINT X^1.7:NEXT\r\n";
        out.close();
        BasicMath::SetUp();
    }
    TempDir dir;
};

TEST_F(BasicMathTape, PowersAreExactWhereTheResultFits)
{
    ASSERT_TRUE(c1p::type_lines("LOAD"));
    ASSERT_TRUE(c1p::wait_idle(20000));
    EXPECT_EQ(c1p::basic_line("RUN 10"), " 9  .5  1  1024 -4  64\n");
    EXPECT_EQ(c1p::basic_line("GOTO 20"), "-8  .01  2  1.41421\n?FC ERROR IN 20\n");
    EXPECT_EQ(c1p::basic_line("GOTO 30"), "-1  2.25  1E+06  531441\n");
    EXPECT_EQ(c1p::basic_line("GOTO 40"), "?/0 ERROR IN 40\n");
    EXPECT_EQ(c1p::basic_line("GOTO 50"), "?OV ERROR IN 50\n");
    EXPECT_EQ(c1p::basic_line("GOTO 60"), " 0  1.26765E+30  1.26765E+30 -1\n");
    std::string screen = c1p::basic_line("GOTO 70");
    size_t pos = 0;
    for (int i = 1; i <= 10; i++) {
        size_t end = screen.find('\n', pos);
        ASSERT_NE(end, std::string::npos) << screen;
        double x = r24(i / 3.0);
        double want = std::pow(x, r24(1.7));
        std::string got = screen.substr(pos, end - pos);
        pos = end + 1;
        EXPECT_TRUE(prints_near(got, want, 1e-6))
            << x << "^1.7: got '" << got << "', host " << basic_text(want);
    }
}

} // namespace
