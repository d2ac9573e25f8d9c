// The generated opcode functions, executed through the dispatch table, and
// third-party test programs run on them.
#include <array>
#include <cstdlib>
#include <map>

#include "cpu_test.h"
#include "testutil.h"

namespace
{

// A, X, Y, the status byte and the byte at 0x0040 (the memory operand below).
using State = std::array<int, 5>;
using V = std::vector<int>;

State run_state(const std::vector<uint8_t>& code, const State& s)
{
    set_status(s[3]);
    reg(REG_A) = s[0], reg(REG_X) = s[1], reg(REG_Y) = s[2];
    poke(0x40, {static_cast<uint8_t>(s[4])});
    run_one(0x0200, code);
    return {reg(REG_A), reg(REG_X), reg(REG_Y), status(), peek(0x40)};
}

// Each instruction's result and flags, and that it changes nothing else
// (ADC and SBC are checked over every operand below).
TEST(Exec, ResultsAndFlags)
{
    cpu_reset();
    constexpr int NV = F_N | F_V, NZC = F_N | F_Z | F_C, ALL = NV | F_D | F_I | F_Z | F_C;
    // clang-format off
    const struct { std::vector<uint8_t> code; State before, after; } cases[] = {
        // Loads and logic set N and Z; stores change no flag.
        {{0xA9, 0x80},       {0, 0, 0, 0, 0},       {0x80, 0, 0, F_N, 0}},    // LDA #0x80
        {{0xA2, 0x00},       {0, 5, 0, 0, 0},       {0, 0, 0, F_Z, 0}},       // LDX #0
        {{0xA4, 0x40},       {0, 0, 9, F_Z, 0x7F},  {0, 0, 0x7F, 0, 0x7F}},   // LDY 0x40
        {{0x85, 0x40},       {0x5A, 0, 0, NV, 0},   {0x5A, 0, 0, NV, 0x5A}},  // STA 0x40
        {{0x86, 0x40},       {0, 0x11, 0, F_Z, 0},  {0, 0x11, 0, F_Z, 0x11}}, // STX 0x40
        {{0x8C, 0x40, 0x00}, {0, 0, 0x22, F_C, 0},  {0, 0, 0x22, F_C, 0x22}}, // STY 0x0040
        {{0x29, 0x0F},       {0xF0, 0, 0, F_N, 0},  {0, 0, 0, F_Z, 0}},       // AND #0x0F
        {{0x09, 0x80},       {0x01, 0, 0, F_Z, 0},  {0x81, 0, 0, F_N, 0}},    // ORA #0x80
        {{0x45, 0x40},       {0x0F, 0, 0, 0, 0xFF}, {0xF0, 0, 0, F_N, 0xFF}}, // EOR 0x40
        // Compares: C means no borrow, N and Z from the difference; the register stays.
        {{0xC9, 0x42},       {0x42, 0, 0, F_N, 0},  {0x42, 0, 0, F_Z | F_C, 0}}, // CMP #0x42
        {{0xC9, 0x20},       {0x10, 0, 0, F_C, 0},  {0x10, 0, 0, F_N, 0}},       // CMP #0x20
        {{0xC5, 0x40},       {0x01, 0, 0, F_C, 0xFF}, {0x01, 0, 0, 0, 0xFF}},    // CMP 0x40
        {{0xE0, 0x7F},       {0, 0x80, 0, F_N, 0},  {0, 0x80, 0, F_C, 0}},       // CPX #0x7F
        {{0xC0, 0x01},       {0, 0, 0, F_C, 0},     {0, 0, 0, F_N, 0}},          // CPY #1
        // BIT: Z from A & M, N and V from bits 7 and 6 of M.
        {{0x24, 0x40},       {0x01, 0, 0, 0, 0xC0}, {0x01, 0, 0, NV | F_Z, 0xC0}}, // BIT 0x40
        {{0x2C, 0x40, 0x00}, {0x01, 0, 0, NV | F_Z, 0x01}, {0x01, 0, 0, 0, 0x01}}, // BIT 0x0040
        // Shifts and rotates go through C.
        {{0x0A},             {0x81, 0, 0, 0, 0},    {0x02, 0, 0, F_C, 0}},       // ASL A
        {{0x06, 0x40},       {0, 0, 0, 0, 0x80},    {0, 0, 0, F_Z | F_C, 0}},    // ASL 0x40
        {{0x4A},             {0x01, 0, 0, 0, 0},    {0, 0, 0, F_Z | F_C, 0}},    // LSR A
        {{0x4E, 0x40, 0x00}, {0, 0, 0, F_N, 0xFF},  {0, 0, 0, F_C, 0x7F}},       // LSR 0x0040
        {{0x2A},             {0x80, 0, 0, F_C, 0},  {0x01, 0, 0, F_C, 0}},       // ROL A
        {{0x26, 0x40},       {0, 0, 0, 0, 0x40},    {0, 0, 0, F_N, 0x80}},       // ROL 0x40
        {{0x6A},             {0x01, 0, 0, F_C, 0},  {0x80, 0, 0, F_N | F_C, 0}}, // ROR A
        {{0x66, 0x40},       {0, 0, 0, F_C, 0x02},  {0, 0, 0, F_N, 0x81}},       // ROR 0x40
        // Increments and decrements wrap within a byte.
        {{0xC6, 0x40},       {0, 0, 0, 0, 0x01},    {0, 0, 0, F_Z, 0}},          // DEC 0x40
        {{0xC6, 0x40},       {0, 0, 0, 0, 0x00},    {0, 0, 0, F_N, 0xFF}},       // DEC 0x40
        {{0xE6, 0x40},       {0, 0, 0, 0, 0xFF},    {0, 0, 0, F_Z, 0}},          // INC 0x40
        {{0xE8},             {0, 0xFF, 0, 0, 0},    {0, 0, 0, F_Z, 0}},          // INX
        {{0xCA},             {0, 0, 0, 0, 0},       {0, 0xFF, 0, F_N, 0}},       // DEX
        {{0xC8},             {0, 0, 0x7F, 0, 0},    {0, 0, 0x80, F_N, 0}},       // INY
        {{0x88},             {0, 0, 0x01, 0, 0},    {0, 0, 0, F_Z, 0}},          // DEY
        // Transfers set N and Z from the value, except TXS (below).
        {{0xAA},             {0x80, 0, 0, 0, 0},    {0x80, 0x80, 0, F_N, 0}},    // TAX
        {{0xA8},             {0, 0, 5, 0, 0},       {0, 0, 0, F_Z, 0}},          // TAY
        {{0x8A},             {0, 0x7F, 0, NZC, 0},  {0x7F, 0x7F, 0, F_C, 0}},    // TXA
        {{0x98},             {9, 0, 0x90, 0, 0},    {0x90, 0, 0x90, F_N, 0}},    // TYA
        // C and V live in the lazy-flag registers; the instructions change only their flag.
        {{0x38},             {0, 0, 0, 0, 0},       {0, 0, 0, F_C, 0}},          // SEC
        {{0x18},             {0, 0, 0, ALL, 0},     {0, 0, 0, ALL & ~F_C, 0}},   // CLC
        {{0xB8},             {0, 0, 0, ALL, 0},     {0, 0, 0, ALL & ~F_V, 0}},   // CLV
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(run_state(c.code, c.before), c.after) << "opcode " << int(c.code[0]);
        EXPECT_EQ(reg(REG_PC), 0x0200 + static_cast<int>(c.code.size()));
    }
}

// PHP packs the lazy flags and pushes B and bit 5 set without setting them
// in P; the stack address wraps within page one; TXS sets no flag.
TEST(Exec, StackSubroutinesAndInterrupts)
{
    cpu_reset();
    reg(REG_S) = 0xFF, reg(REG_P) = F_N; // a stale N in P
    run_one(0x0200, {0xA9, 0x00});       // LDA #0
    run_one(0x0200, {0x08});             // PHP
    EXPECT_EQ((V{peek(0x01FF), reg(REG_P), reg(REG_S)}), (V{0x32, F_Z, 0xFE}));
    for (int p = 0; p < 256; p++) { // every status byte through PLP, then PHP
        set_status(p);
        EXPECT_EQ(status(), p);
        run_one(0x0200, {0x08});
        EXPECT_EQ(peek(0x01FF), p | 0x30);
    }

    set_status(0);
    reg(REG_S) = 0, reg(REG_A) = 0x11;
    run_one(0x0200, {0x48}); // PHA with S = 0
    reg(REG_A) = 0x22;
    run_one(0x0200, {0x48}); // PHA
    EXPECT_EQ((V{peek(0x0100), peek(0x01FF), reg(REG_S) & 0xFF}), (V{0x11, 0x22, 0xFE}));
    reg(REG_S) = 0xFF, reg(REG_X) = 0x80;
    run_one(0x0200, {0x68}); // PLA reads 0x0100
    run_one(0x0200, {0x9A}); // TXS
    EXPECT_EQ((V{reg(REG_A), reg(REG_S), status()}), (V{0x11, 0x80, 0}));
    run_one(0x0200, {0xBA}); // TSX
    EXPECT_EQ(status(), F_N);

    // JSR pushes the address of its last byte; BRK pushes PC + 2 and the
    // status with B and bit 5 set, then sets I and jumps through 0xFFFE, and
    // P keeps B clear.
    reg(REG_S) = 0xFF;
    run_one(0x1000, {0x20, 0x00, 0x20}); // JSR 0x2000
    EXPECT_EQ((V{peek(0x01FF), peek(0x01FE), reg(REG_S), reg(REG_PC)}),
              (V{0x10, 0x02, 0xFD, 0x2000}));
    run_one(0x2000, {0x60}); // RTS
    EXPECT_EQ((V{reg(REG_PC), reg(REG_S)}), (V{0x1003, 0xFF}));
    poke(0xFFFE, {0x00, 0x30});
    set_status(F_N | F_C);
    run_one(0x1000, {0x00, 0xEA});
    EXPECT_EQ((V{peek(0x01FF), peek(0x01FE), peek(0x01FD), reg(REG_S), reg(REG_PC)}),
              (V{0x10, 0x02, 0xB1, 0xFC, 0x3000}));
    EXPECT_EQ(reg(REG_P), F_N | F_I | F_C);
    run_one(0x3000, {0x40}); // RTI: I as pushed
    EXPECT_EQ((V{reg(REG_PC), reg(REG_S), status()}), (V{0x1002, 0xFF, F_N | F_C | 0x30}));
}

TEST(Exec, BranchesTakeTheSignedDisplacement)
{
    cpu_reset();
    // Opcode xxy10000 branches when the flag xx selects (N, V, C, Z) is y.
    for (int op = 0x10; op < 0x100; op += 0x20)
        for (bool set : {false, true}) {
            set_status(set ? std::array{F_N, F_V, F_C, F_Z}[op >> 6] : 0);
            run_one(0x0400, {static_cast<uint8_t>(op), 0x10});
            EXPECT_EQ(reg(REG_PC), set == ((op & 0x20) != 0) ? 0x0412 : 0x0402) << op << set;
        }
    // {address, displacement, target} of a taken BEQ.
    const int beq[][3] = {{0x0200, 0x80, 0x0182}, {0x02F0, 0x7F, 0x0371}, {0x0000, 0xFC, 0xFFFE}};
    set_status(F_Z);
    for (const auto& [at, d, target] : beq) {
        run_one(at, {0xF0, static_cast<uint8_t>(d)});
        EXPECT_EQ(reg(REG_PC), target);
    }
}

// A word read at 0xFFFF takes its high byte from 0x0000, so does the operand
// of an instruction at 0xFFFE; indexed sums past 0xFFFF reach the bottom of
// memory; JMP's pointer takes its high byte from the next address, across a
// page.
TEST(Exec, AddressesWrap)
{
    cpu_reset();
    poke(0x0000, {0x12});
    poke(0x1244, {0x5A});
    run_one(0xFFFE, {0xAD, 0x44}); // LDA [0x1244]
    EXPECT_EQ((V{reg(REG_A), reg(REG_PC)}), (V{0x5A, 0x0001}));
    reg(REG_A) = 0x99, reg(REG_X) = 0x20, reg(REG_Y) = 0x20;
    run_one(0x0200, {0x9D, 0xF0, 0xFF}); // STA [0xFFF0+X]
    reg(REG_A) = 0;
    run_one(0x0200, {0xB9, 0xF0, 0xFF}); // LDA [0xFFF0+Y]
    EXPECT_EQ((V{peek(0x0010), reg(REG_A)}), (V{0x99, 0x99}));
    poke(0x10FF, {0x78, 0x56});
    poke(0x1000, {0x99});
    run_one(0x0200, {0x6C, 0xFF, 0x10}); // JMP [0x10FF]
    EXPECT_EQ(reg(REG_PC), 0x5678);
}

// Every opcode leaves EA where its operand is, only stores and read-modify-
// write instructions on memory set W, undefined ones change nothing. Operands
// 34 12 with X = 1, Y = 2, then FF FF with X = 0x21, Y = 0x20: zero-page sums
// wrap, the pointer at 0xFF takes its high byte from 0x0100, absolute sums go
// past 0xFFFF.
TEST(Exec, EffectiveAddressAndWriteFlagOfEveryOpcode)
{
    // clang-format off
    const std::map<std::string, std::array<int32_t, 2>> eaOfMode = {
        {"IndX", {0x3040, 0x3040}}, {"ZPage", {0x0034, 0x00FF}}, {"Imm", {0x0301, 0x0301}},
        {"Abs", {0x1234, 0xFFFF}}, {"IndY", {0x4082, 0x40A0}}, {"ZPageX", {0x0035, 0x0020}},
        {"ZPageY", {0x0036, 0x001F}}, {"AbsX", {0x1235, 0x10020}}, {"AbsY", {0x1236, 0x1001F}},
        {"Ind", {0x1234, 0xFFFF}}, {"JMP_Abs", {0x0301, 0x0301}}, {"JSR_Abs", {0x0301, 0x0301}},
        {"Acc", {0xFFFF, 0xFFFF}}, {"BRK", {0xFFFE, 0xFFFE}}};
    // clang-format on
    const std::string writers = "STA STX STY ASL LSR ROL ROR INC DEC";
    for (int k = 0; k < 512; k++) {
        const int op = k & 0xFF, wrap = k >> 8;
        SCOPED_TRACE(testing::Message() << "opcode 0x" << std::hex << op << " wrap " << wrap);
        const std::string e = opcode_entry(op), ins = e.substr(0, 3);
        cpu_reset();
        for (int i = 0; i < NUM_REGS6502; i++)
            aReg6502[i].value = 0x40 + i;
        reg(REG_X) = wrap ? 0x21 : 1, reg(REG_Y) = wrap ? 0x20 : 2, reg(REG_S) = 0xFF;
        poke(0x0020, {0x40, 0x30});
        poke(0x0034, {0x80, 0x40, 0x30});
        poke(0x00FF, {0x80, 0x40});
        poke(0x0300, {uint8_t(op), uint8_t(wrap ? 0xFF : 0x34), uint8_t(wrap ? 0xFF : 0x12)});
        const std::vector<Reg> regs(aReg6502, aReg6502 + REG_EA);
        const std::vector<uint8_t> mem(abMem6502, abMem6502 + MEM_SIZE6502);
        run_one(0x0300, {});
        const auto ea = eaOfMode.find(eaOfMode.count(e) || e.size() <= 3 ? e : e.substr(4));
        EXPECT_EQ(reg(REG_EA), ea == eaOfMode.end() ? 0xFFFF : ea->second[wrap]);
        EXPECT_EQ((reg(REG_EF) & 1) != 0,
                  !e.empty() && writers.find(ins) != e.npos && e != ins + "_Acc");
        EXPECT_EQ(fOpUndefined, e.empty());
        if (e.empty()) { // the registers up to EA and memory stay
            for (int i = 0; i < REG_EA; i++)
                EXPECT_EQ(aReg6502[i].value, regs[i].value) << regs[i].name;
            EXPECT_TRUE(std::equal(mem.begin(), mem.end(), abMem6502));
            EXPECT_EQ(reg(REG_PC), 0x0301);
        }
    }
}

// The reference for ADC and SBC, written independently of the program's.
// Binary: signed overflow when the operands' signs agree (ADC) or differ (SBC)
// and the result's sign differs from the accumulator's. Decimal: A and C as
// the NMOS adder gives them (a low digit above 9 is corrected by 6 and carries
// into the high digit, which is corrected by 0x60 when the sum reaches 0xA0;
// the borrow is the binary one); N and Z from the decimal result; V by the
// binary rule applied to the decimal result and its carry or borrow out.
State reference(bool sub, bool decimal, int a, int m, int c)
{
    const int full = sub ? a - m - (1 - c) : a + m + c;
    int r = full & 0xFF;
    bool carry = sub ? full >= 0 : full > 0xFF;
    bool v = ((sub ? (a ^ m) & (a ^ r) : (a ^ r) & (m ^ r)) & 0x80) != 0;
    if (decimal && !sub) {
        int t = (a & 0xF) + (m & 0xF) + c;
        t = (t > 9 ? ((t + 6) & 0xF) + 0x10 : t) + (a & 0xF0) + (m & 0xF0);
        t += (t & 0x1F0) > 0x90 ? 0x60 : 0;
        r = t & 0xFF, carry = (t & 0xFF0) > 0xF0;
    } else if (decimal) {
        const int lo = (a & 0xF) - (m & 0xF) - (1 - c);
        int t = (lo & 0x10) ? ((lo - 6) & 0xF) | ((a & 0xF0) - (m & 0xF0) - 0x10)
                            : (lo & 0xF) | ((a & 0xF0) - (m & 0xF0));
        r = (t & 0x100 ? t - 0x60 : t) & 0xFF;
    }
    if (decimal)
        v = (((a ^ m ^ r) & 0x80) != 0) != (sub ? !carry : carry);
    return {r, 0, 0, (r & 0x80) | v * F_V | (r == 0) * F_Z | carry * F_C | decimal * F_D, 0};
}

// ADC and SBC over every operand pair and both carries, binary and decimal.
TEST(Exec, AddAndSubtractEveryOperand)
{
    for (int k = 0; k < 1 << 19; k++) {
        const int m = k & 0xFF, a = k >> 8 & 0xFF, c = k >> 16 & 1, sub = k >> 17 & 1,
                  dec = k >> 18;
        ASSERT_EQ(run_state({uint8_t(sub ? 0xE9 : 0x69), uint8_t(m)}, {a, 0, 0, dec * F_D | c, 0}),
                  reference(sub, dec, a, m, c))
            << (sub ? "SBC" : "ADC") << " D=" << dec << " A=" << a << " M=" << m << " C=" << c;
    }
}

// Third-party test programs, run only when environment variables name their
// assembled images. Klaus Dormann's functional test (a 64 KB image from ca65
// and ld65 with example.cfg): TESSALY_6502_FUNCTIONAL_TEST=image and
// TESSALY_6502_FUNCTIONAL_SUCCESS=hex address of its success trap (0x3469 for
// 01-aug-2019). Bruce Clark's decimal test (zero page at 0, code at 0x0200
// and in the image): TESSALY_6502_DECIMAL_TEST=image; decimal mode gives A and
// C of the NMOS chip and N and Z of the decimal result, so assemble it with
// chk_n, chk_v and chk_z at 0 (cputype 0), or cputype 2 with chk_v at 0.
template <typename Done>
void run_image(const char* path, uint32_t addr, int32_t start, Done done)
{
    cpu_reset();
    const std::string image = read_file(path);
    ASSERT_TRUE(!image.empty() && addr + image.size() <= MEM_SIZE6502) << path;
    std::copy(image.begin(), image.end(), abMem6502 + addr);
    reg(REG_PC) = start, reg(REG_S) = 0xFF;
    for (long count = 0; count < 400'000'000 && !done(); count++)
        run_one(static_cast<uint32_t>(reg(REG_PC)), {});
}

TEST(ThirdParty, DormannFunctionalTest)
{
    const char* path = getenv("TESSALY_6502_FUNCTIONAL_TEST");
    const char* success = getenv("TESSALY_6502_FUNCTIONAL_SUCCESS");
    if (!path || !success)
        GTEST_SKIP() << "TESSALY_6502_FUNCTIONAL_TEST and _SUCCESS not set";
    int32_t before = -1;
    ASSERT_NO_FATAL_FAILURE(run_image(path, 0x0000, 0x0400, [&] {
        return fOpUndefined || std::exchange(before, reg(REG_PC)) == reg(REG_PC);
    }));
    ASSERT_EQ(fOpUndefined, 0) << "undefined opcode near 0x" << std::hex << before;
    EXPECT_EQ(reg(REG_PC), static_cast<int32_t>(strtoul(success, nullptr, 16)))
        << "trapped at 0x" << std::hex << reg(REG_PC);
}

TEST(ThirdParty, ClarkDecimalTest)
{
    const char* path = getenv("TESSALY_6502_DECIMAL_TEST");
    if (!path)
        GTEST_SKIP() << "TESSALY_6502_DECIMAL_TEST not set";
    ASSERT_NO_FATAL_FAILURE(run_image(path, 0x0200, 0x0200, [] { return fOpUndefined != 0; }));
    ASSERT_EQ(fOpUndefined, 1) << "did not end";
    EXPECT_EQ(peek(0x000B), 0) << std::hex << "N1=" << int(peek(0)) << " N2=" << int(peek(1))
                               << " Y=" << reg(REG_Y);
}

} // namespace
