// ADC and SBC over every operand pair and both carries, binary and decimal,
// against reference models written here independently of the program's.
#include "cpu_test.h"

namespace
{

struct Flags {
    int a;
    bool n, z, c, v;
};

bool operator==(const Flags& x, const Flags& y)
{
    return x.a == y.a && x.n == y.n && x.z == y.z && x.c == y.c && x.v == y.v;
}

std::ostream& operator<<(std::ostream& os, const Flags& f)
{
    return os << "A=" << f.a << " N=" << f.n << " Z=" << f.z << " C=" << f.c << " V=" << f.v;
}

Flags with_nz(int a, bool c, bool v)
{
    return {a, (a & 0x80) != 0, a == 0, c, v};
}

// Signed overflow: the operands' signs agree (ADC) or differ (SBC) and the
// result's sign differs from the accumulator's.
Flags ref_adc_binary(int a, int m, int c)
{
    int r = a + m + c;
    return with_nz(r & 0xFF, r > 0xFF, ((a ^ r) & (m ^ r) & 0x80) != 0);
}

Flags ref_sbc_binary(int a, int m, int c)
{
    int r = a - m - (1 - c);
    return with_nz(r & 0xFF, r >= 0, ((a ^ m) & (a ^ r) & 0x80) != 0);
}

// The NMOS decimal adder as emulator authors describe it from the chip: the
// low digit is corrected by 6 when above 9 and carries into the high digit,
// the high digit is corrected by 0x60 when the sum reaches 0xA0.
int nmos_adc_sum(int a, int m, int c)
{
    int t = (a & 0xF) + (m & 0xF) + c;
    if (t > 9)
        t += 6;
    if (t <= 0x0F)
        t = (t & 0xF) + (a & 0xF0) + (m & 0xF0);
    else
        t = (t & 0xF) + (a & 0xF0) + (m & 0xF0) + 0x10;
    if ((t & 0x1F0) > 0x90)
        t += 0x60;
    return t;
}

int nmos_sbc_result(int a, int m, int c)
{
    int lo = (a & 0xF) - (m & 0xF) - (1 - c);
    int t;
    if (lo & 0x10)
        t = ((lo - 6) & 0xF) | ((a & 0xF0) - (m & 0xF0) - 0x10);
    else
        t = (lo & 0xF) | ((a & 0xF0) - (m & 0xF0));
    if (t & 0x100)
        t -= 0x60;
    return t & 0xFF;
}

// Decimal mode: A and C as the NMOS chip gives them; N and Z from the decimal
// result; V by the binary rule applied to the decimal result and its carry
// or borrow out.
Flags ref_adc_decimal(int a, int m, int c)
{
    int t = nmos_adc_sum(a, m, c);
    int r = t & 0xFF;
    bool carry = (t & 0xFF0) > 0xF0;
    return with_nz(r, carry, (((a ^ m ^ r) & 0x80) != 0) != carry);
}

Flags ref_sbc_decimal(int a, int m, int c)
{
    int r = nmos_sbc_result(a, m, c);
    bool borrow = a - m - (1 - c) < 0;
    return with_nz(r, !borrow, (((a ^ m ^ r) & 0x80) != 0) != borrow);
}

// Runs ADC or SBC immediate with the given operands.
Flags run_alu(uint8_t opcode, bool decimal, int a, int m, int c)
{
    reg(REG_P) = decimal ? 0x08 : 0x00;
    reg(REG_RC) = c << 8;
    reg(REG_A) = a;
    poke(0x0200, {opcode, static_cast<uint8_t>(m)});
    reg(REG_PC) = 0x0200;
    cpu_step();
    return {reg(REG_A), flag_n(), flag_z(), flag_c(), flag_v()};
}

int bcd(int n)
{
    return (n / 10) << 4 | (n % 10);
}

class Arithmetic : public testing::Test
{
  protected:
    void SetUp() override
    {
        cpu_reset();
    }

    template <typename Ref>
    void check_all(uint8_t opcode, bool decimal, Ref ref)
    {
        int failures = 0;
        for (int c = 0; c <= 1; c++)
            for (int a = 0; a < 256; a++)
                for (int m = 0; m < 256 && failures < 10; m++) {
                    Flags got = run_alu(opcode, decimal, a, m, c);
                    Flags want = ref(a, m, c);
                    if (!(got == want)) {
                        ADD_FAILURE() << "A=" << a << " M=" << m << " C=" << c << ": got " << got
                                      << ", want " << want;
                        failures++;
                    }
                }
    }
};

TEST_F(Arithmetic, BinaryAddEveryOperand)
{
    check_all(0x69, false, ref_adc_binary);
}

TEST_F(Arithmetic, BinarySubtractEveryOperand)
{
    check_all(0xE9, false, ref_sbc_binary);
}

TEST_F(Arithmetic, DecimalAddEveryOperand)
{
    check_all(0x69, true, ref_adc_decimal);
}

TEST_F(Arithmetic, DecimalSubtractEveryOperand)
{
    check_all(0xE9, true, ref_sbc_decimal);
}

// For valid BCD operands decimal mode is plain decimal arithmetic.
TEST_F(Arithmetic, DecimalOfValidDigitsIsDecimalArithmetic)
{
    for (int c = 0; c <= 1; c++)
        for (int x = 0; x < 100; x++)
            for (int y = 0; y < 100; y++) {
                int sum = x + y + c;
                Flags add = run_alu(0x69, true, bcd(x), bcd(y), c);
                ASSERT_EQ(add.a, bcd(sum % 100)) << x << "+" << y << "+" << c;
                ASSERT_EQ(add.c, sum >= 100);
                int diff = x - y - (1 - c);
                Flags sub = run_alu(0xE9, true, bcd(x), bcd(y), c);
                ASSERT_EQ(sub.a, bcd((diff + 100) % 100)) << x << "-" << y << "-" << 1 - c;
                ASSERT_EQ(sub.c, diff >= 0);
            }
}

// Digits above 9 give what the NMOS chip gives, for example 0x0F + 0x01.
TEST_F(Arithmetic, DecimalOfInvalidDigits)
{
    EXPECT_EQ(addbcd6502(0x0F, 0x01, 0), 0x16);
    EXPECT_EQ(addbcd6502(0x0A, 0x00, 0), 0x10);
    EXPECT_EQ(addbcd6502(0xFF, 0xFF, 1), 0x155); // carry out in bit 8
    EXPECT_EQ(addbcd6502(0x9A, 0x00, 0), 0x100); // 0xA0 corrected to 0x100
    EXPECT_EQ(subbcd6502(0x00, 0x01, 0), 0x199); // borrow in bit 8
    EXPECT_EQ(subbcd6502(0x1A, 0x0B, 0), 0x09);  // 20 - 11 in decimal
    EXPECT_EQ(subbcd6502(0x00, 0x00, 1), 0x199);
}

} // namespace
