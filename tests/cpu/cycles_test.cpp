// The clock cycles counted for each instruction, against the 6502's data
// sheet: every documented opcode executed once, then the cases that cost
// more (a taken branch, an index carrying into the next page).
#include "cpu_test.h"

namespace
{

// The data sheet's cycles of every documented opcode with no page crossed
// and no branch taken; 0 marks an undefined opcode.
// clang-format off
const uint8_t kDataSheet[256] = {
//  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
    7, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 0, 4, 6, 0, // 0
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // 1
    6, 6, 0, 0, 3, 3, 5, 0, 4, 2, 2, 0, 4, 4, 6, 0, // 2
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // 3
    6, 6, 0, 0, 0, 3, 5, 0, 3, 2, 2, 0, 3, 4, 6, 0, // 4
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // 5
    6, 6, 0, 0, 0, 3, 5, 0, 4, 2, 2, 0, 5, 4, 6, 0, // 6
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // 7
    0, 6, 0, 0, 3, 3, 3, 0, 2, 0, 2, 0, 4, 4, 4, 0, // 8
    2, 6, 0, 0, 4, 4, 4, 0, 2, 5, 2, 0, 0, 5, 0, 0, // 9
    2, 6, 2, 0, 3, 3, 3, 0, 2, 2, 2, 0, 4, 4, 4, 0, // A
    2, 5, 0, 0, 4, 4, 4, 0, 2, 4, 2, 0, 4, 4, 4, 0, // B
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0, // C
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // D
    2, 6, 0, 0, 3, 3, 5, 0, 2, 2, 2, 0, 4, 4, 6, 0, // E
    2, 5, 0, 0, 0, 4, 6, 0, 2, 4, 0, 0, 0, 4, 7, 0, // F
};
// clang-format on

// Executes the instruction at `addr` and gives the cycles counted for it.
int cycles_of(uint32_t addr, const std::vector<uint8_t>& code)
{
    run_one(addr, code);
    return cyc6502_cycles(code[0], static_cast<int32_t>(addr), reg(REG_PC), reg(REG_EA));
}

// Each documented opcode, executed with zero operands and zero index
// registers (no page crossed; a branch of displacement 0 lands where it
// would not taken), counts the data sheet's cycles.
TEST(Cycles, EveryOpcodeAsTheDataSheetGivesIt)
{
    cpu_reset();
    int defined = 0;
    for (int op = 0; op < 256; op++) {
        ASSERT_EQ(aOpDesc6502[op].ins != nullptr, kDataSheet[op] != 0) << std::hex << op;
        if (!kDataSheet[op])
            continue;
        defined++;
        cpu_reset();
        reg(REG_S) = 0xFF;
        EXPECT_EQ(cycles_of(0x0200, {static_cast<uint8_t>(op), 0x00, 0x00}), kDataSheet[op])
            << std::hex << "opcode 0x" << op << " " << aOpDesc6502[op].ins->name;
    }
    EXPECT_EQ(defined, 151);
}

// Branches: 2 not taken, 3 taken within the page, 4 onto another page
// (counted from the instruction after the branch). Indexed reads: 1 more
// when the index carries into the next page (the 16-bit wrap included);
// indexed stores and read-modify-writes always take it.
TEST(Cycles, TakenBranchesAndPageCrossings)
{
    const struct {
        const char* what;
        uint32_t addr;
        std::vector<uint8_t> code;
        int x, y, carry; // X, Y, and carry (1 set, 0 clear) before
        int cycles;
    } cases[] = {
        {"BCC not taken", 0x0200, {0x90, 0x10}, 0, 0, 1, 2},
        {"BCC taken, same page", 0x0200, {0x90, 0x10}, 0, 0, 0, 3},
        {"BCS taken backwards, same page", 0x0240, {0xB0, 0xF0}, 0, 0, 1, 3},
        {"BCS taken backwards, page before", 0x0200, {0xB0, 0xF0}, 0, 0, 1, 4},
        {"BCC taken, next page", 0x02F0, {0x90, 0x10}, 0, 0, 0, 4},
        {"BCC at the page's end, taken within the next", 0x02FE, {0x90, 0x10}, 0, 0, 0, 3},
        {"BCC taken across 0xFFFF", 0xFFF0, {0x90, 0x20}, 0, 0, 0, 4},
        {"LDA abs,X in the page", 0x0200, {0xBD, 0x10, 0x30}, 0xEF, 0, 0, 4},
        {"LDA abs,X crossing", 0x0200, {0xBD, 0x10, 0x30}, 0xF0, 0, 0, 5},
        {"LDA abs,Y crossing", 0x0200, {0xB9, 0xFF, 0x30}, 0, 1, 0, 5},
        {"LDA abs,X across 0xFFFF", 0x0200, {0xBD, 0xFF, 0xFF}, 2, 0, 0, 5},
        {"LDX abs,Y crossing", 0x0200, {0xBE, 0x80, 0x30}, 0, 0x80, 0, 5},
        {"LDY abs,X crossing", 0x0200, {0xBC, 0x80, 0x30}, 0x80, 0, 0, 5},
        {"CMP abs,Y in the page", 0x0200, {0xD9, 0x00, 0x30}, 0, 0xFF, 0, 4},
        {"LDA (zp),Y crossing", 0x0200, {0xB1, 0x50}, 0, 0x20, 0, 6},
        {"LDA (zp),Y in the page", 0x0200, {0xB1, 0x50}, 0, 0x0F, 0, 5},
        {"LDA (zp,X) never crosses", 0x0200, {0xA1, 0xF0}, 0x20, 0, 0, 6},
        {"LDA zp,X wraps in page zero", 0x0200, {0xB5, 0xF0}, 0x20, 0, 0, 4},
        {"STA abs,X crossing", 0x0200, {0x9D, 0x10, 0x30}, 0xF0, 0, 0, 5},
        {"STA (zp),Y crossing", 0x0200, {0x91, 0x50}, 0, 0x20, 0, 6},
        {"INC abs,X crossing", 0x0200, {0xFE, 0x10, 0x30}, 0xF0, 0, 0, 7},
        {"JSR", 0x0200, {0x20, 0x00, 0x03}, 0, 0, 0, 6},
        {"JMP (ind)", 0x0200, {0x6C, 0x00, 0x03}, 0, 0, 0, 5},
    };
    for (const auto& c : cases) {
        cpu_reset();
        poke(0x50, {0xF0, 0x30}); // the pointer of (zp),Y: 0x30F0
        reg(REG_X) = c.x;
        reg(REG_Y) = c.y;
        reg(REG_S) = 0xFF;
        reg(REG_RC) = c.carry << 8; // the lazy carry
        EXPECT_EQ(cycles_of(c.addr, c.code), c.cycles) << c.what;
    }
}

} // namespace
