// The hand-written companions of the generated opcode functions: decimal
// arithmetic for ADC and SBC, and the note that an undefined opcode ran.
#include "cpu6502.h"

volatile int fOpUndefined;

void cpu6502_undefined(void)
{
    fOpUndefined = 1;
}

// Decimal mode follows the digit adjustment of the NMOS 6502's adder, which
// also fixes what it gives for digits above 9. Each function returns the
// accumulator result in its low byte and the carry (addbcd6502) or the borrow
// (subbcd6502) in bit 8; the ADC and SBC statements then treat that value as
// they treat a binary result. So in decimal mode:
//   - A and C are those of the NMOS 6502, for every operand;
//   - N is bit 7 and Z the zero test of the decimal result (as on the 65C02;
//     the NMOS chip takes N from an intermediate sum and Z from the binary
//     sum);
//   - V is computed from the operands and the decimal result by the binary
//     rule: bit 7 of (A ^ operand ^ result), exclusive-or the carry or
//     borrow out. It matches the chip only where the adjustment did not
//     change bit 7.

int addbcd6502(byte op1, byte op2, byte op3)
{
    int lo = (op1 & 0x0F) + (op2 & 0x0F) + (op3 ? 1 : 0);
    if (lo >= 0x0A)
        lo = ((lo + 0x06) & 0x0F) + 0x10; // digit carry into the high digit
    int sum = (op1 & 0xF0) + (op2 & 0xF0) + lo;
    if (sum >= 0xA0)
        sum += 0x60;
    return (sum & 0xFF) | (sum >= 0x100 ? 0x100 : 0);
}

int subbcd6502(byte op1, byte op2, byte op3)
{
    const int borrow = op3 ? 1 : 0;
    int lo = (op1 & 0x0F) - (op2 & 0x0F) - borrow;
    if (lo < 0)
        lo = ((lo - 0x06) & 0x0F) - 0x10; // digit borrow from the high digit
    int diff = (op1 & 0xF0) - (op2 & 0xF0) + lo;
    if (diff < 0)
        diff -= 0x60;
    // The borrow out is that of the binary subtraction, as on the chip.
    return (diff & 0xFF) | (op1 - op2 - borrow < 0 ? 0x100 : 0);
}
