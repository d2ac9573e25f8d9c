// The opcode descriptor array: the map it yields, and each check it makes,
// provoked with a broken copy of the instruction table.
#include <cstring>
#include <string>
#include <vector>

#include "cpu_test.h"
#include "opcode_map.h"

namespace
{

std::string entry_text(const OpDesc& d)
{
    if (!d.ins)
        return "";
    return d.mode ? std::string(d.ins->name) + " " + d.mode->name : d.ins->name;
}

TEST(OpDesc, TableYieldsTheOpcodeMap)
{
    std::string out;
    std::unique_ptr<OpDesc[]> desc;
    out = capture_stdout([&] { desc = gen_opdesc_array(&cpu6502); });
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(out, "");
    int defined = 0;
    for (int op = 0; op < 256; op++) {
        EXPECT_EQ(entry_text(desc[op]), kOpcodeMap[op]) << "opcode " << op;
        defined += desc[op].ins != nullptr;
    }
    EXPECT_EQ(defined, 151);
    // The start-up copy is the same map.
    ASSERT_NE(aOpDesc6502, nullptr);
    for (int op = 0; op < 256; op++)
        EXPECT_EQ(entry_text(aOpDesc6502[op]), kOpcodeMap[op]);
}

TEST(OpDesc, ModesComeFromTheInstructionsGroups)
{
    std::unique_ptr<OpDesc[]> d = gen_opdesc_array(&cpu6502);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d[0x20].mode, &aFetchJmp[0]); // JSR
    EXPECT_EQ(d[0x4C].mode, &aFetchJmp[0]); // JMP Abs
    EXPECT_EQ(d[0x6C].mode, &aFetchJmp[1]); // JMP Ind
    EXPECT_EQ(d[0x24].mode, &aFetchAlu[1]); // BIT ZPage
    EXPECT_EQ(d[0x2C].mode, &aFetchAlu[3]); // BIT Abs
    EXPECT_EQ(d[0xB6].mode, &aFetchX[5]);   // LDX ZPageY
    EXPECT_EQ(d[0xBE].mode, &aFetchX[7]);   // LDX AbsY
    for (int op : {0x0A, 0x2A, 0x4A, 0x6A}) {
        ASSERT_NE(d[op].mode, nullptr);
        EXPECT_STREQ(d[op].mode->name, "Acc");
        EXPECT_EQ(d[op].mode->lastByte, -1);
    }
    EXPECT_EQ(d[0x89].ins, nullptr); // no immediate store
}

// A copy of the 6502 description whose instruction table can be broken one
// record at a time.
class BrokenTable : public testing::Test
{
  protected:
    std::vector<InsDef> ins{aIns6502, aIns6502 + 56};
    CpuDef cpu = cpu6502;

    InsDef& record(const char* name)
    {
        for (InsDef& r : ins)
            if (strcmp(r.name, name) == 0)
                return r;
        throw std::runtime_error(name);
    }

    // Builds the array from the copy; it must fail. Returns the messages.
    std::string build_fails()
    {
        cpu.insDefs = ins.data();
        cpu.numInsDefs = static_cast<int32_t>(ins.size());
        std::unique_ptr<OpDesc[]> d;
        std::string out = capture_stdout([&] { d = gen_opdesc_array(&cpu); });
        EXPECT_EQ(d, nullptr);
        return out;
    }
};

TEST_F(BrokenTable, OpcodePatternWithTwoRunsOfWildcards)
{
    record("ADC").opcode = "0?1??001";
    EXPECT_EQ(build_fails(), "gen_opdesc_array: discrepancy in 'opcode' for ADC: 0?1??001\n");
}

TEST_F(BrokenTable, OpcodePatternTooShortOrWithAStrangeCharacter)
{
    record("CLC").opcode = "0001100";
    record("SEC").opcode = "0011100x";
    EXPECT_EQ(build_fails(), "gen_opdesc_array: discrepancy in 'opcode' for CLC: 0001100\n"
                             "gen_opdesc_array: discrepancy in 'opcode' for SEC: 0011100x\n");
}

TEST_F(BrokenTable, SelectMaskNarrowerThanTheWildcards)
{
    record("ORA").maskOpcodeFetch = "00001100";
    record("EOR").maskOpcodeFetch = "000?1100";
    EXPECT_EQ(build_fails(),
              "gen_opdesc_array: discrepancy in 'maskOpcodeFetch' for EOR: 000?1100\n"
              "gen_opdesc_array: discrepancy in 'maskOpcodeFetch' for ORA: 00001100\n");
}

TEST_F(BrokenTable, WildcardsWithoutAGroupAndAGroupWithoutSelectBits)
{
    record("AND").fetch = nullptr;
    record("CLC").fetch = aFetchAlu;
    EXPECT_EQ(build_fails(), "gen_opdesc_array: fetch discrepancy for instruction AND\n"
                             "gen_opdesc_array: fetch discrepancy for instruction CLC\n");
}

TEST_F(BrokenTable, FetchMaskOfTheWrongLength)
{
    record("ASL").maskFetch = "1010111";
    EXPECT_EQ(build_fails(), "gen_opdesc_array: fetch mask discrepancy for instruction ASL\n");
}

TEST_F(BrokenTable, FetchMaskWithAStrangeCharacter)
{
    // Index 0 is the last character; ASL meets it first, at opcode 0x02.
    record("ASL").maskFetch = "1010111x";
    EXPECT_EQ(build_fails(),
              "gen_opdesc_array: fetch mask discrepancy #2 for instruction 0x02: ASL\n");
}

TEST_F(BrokenTable, ModeWithoutAnOperandFormat)
{
    // Index 0 of the read-modify-write group has no mode; the record goes on
    // with its other opcodes.
    record("LSR").maskFetch = "10101111";
    EXPECT_EQ(build_fails(),
              "gen_opdesc_array: addressing mode undefined for instruction 0x42: LSR\n");
}

TEST_F(BrokenTable, CollisionNamesBothAndEveryRecordIsStillExamined)
{
    record("TAY").opcode = "10101010"; // TAX's opcode
    record("TYA").opcode = "1001100";  // and a later fault
    EXPECT_EQ(build_fails(), "gen_opdesc_array: opcode collision at 0xaa: current=TAX, new=TAY\n"
                             "gen_opdesc_array: discrepancy in 'opcode' for TYA: 1001100\n");
}

TEST_F(BrokenTable, CollisionWithinAGroup)
{
    record("ORA").opcode = "001???01"; // AND's opcodes
    EXPECT_EQ(build_fails(), "gen_opdesc_array: opcode collision at 0x21: current=AND, new=ORA\n");
}

} // namespace
