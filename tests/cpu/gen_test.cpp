// The opcode listing (-gl) and the opcode source (-gc), through the real
// program.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cpu_test.h"
#include "opcode_map.h"
#include "testutil.h"

namespace
{

// The operand format the listing shows for an entry of the opcode map.
std::string format_of(const std::string& entry)
{
    static const std::map<std::string, std::string> formats = {{"IndX", "[[0x%02x+X]]"},
                                                               {"ZPage", "[0x%02x]"},
                                                               {"Imm", "0x%02x"},
                                                               {"Abs", "[0x%02x%02x]"},
                                                               {"IndY", "[[0x%02x]+Y]"},
                                                               {"ZPageX", "[0x%02x+X]"},
                                                               {"AbsY", "[0x%02x%02x+Y]"},
                                                               {"AbsX", "[0x%02x%02x+X]"},
                                                               {"ZPageY", "[0x%02x+Y]"},
                                                               {"Ind", "[0x%02x%02x]"},
                                                               {"Acc", "A"}};
    size_t blank = entry.find(' ');
    if (blank == std::string::npos)
        return "";
    std::string mode = entry.substr(blank + 1);
    if (entry == "JMP Abs" || entry == "JSR Abs")
        return "0x%02x%02x"; // the jump target itself, no memory operand
    return formats.at(mode);
}

std::string hex2(int op)
{
    char text[8];
    snprintf(text, sizeof text, "0x%02x", op);
    return text;
}

std::vector<std::string> expected_listing()
{
    std::vector<std::string> lines;
    for (int op = 0; op < 256; op++) {
        std::string entry = kOpcodeMap[op];
        if (!entry.empty())
            lines.push_back(hex2(op) + ": " + entry.substr(0, 3) + " " + format_of(entry));
    }
    return lines;
}

TEST(GenListing, PrintsEveryDefinedOpcode)
{
    RunResult r = run_tessaly({"-nologo", "-gl"});
    std::vector<std::string> lines = split_lines(r.out);
    EXPECT_EQ(lines, expected_listing());
    ASSERT_EQ(lines.size(), 151u);
    EXPECT_EQ(lines.front(), "0x00: BRK ");
    EXPECT_EQ(lines[1], "0x01: ORA [[0x%02x+X]]");
    EXPECT_EQ(lines.back(), "0xfe: INC [0x%02x%02x+X]");
    EXPECT_EQ(r.err, "");
}

TEST(GenListing, WritesAFileAndReportsOneThatCannotBeOpened)
{
    TempDir dir;
    RunResult r = run_tessaly({"-nologo", "-gl:" + dir.file("ops.txt")});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(split_lines(read_file(dir.file("ops.txt"))), expected_listing());

    std::string bad = dir.file("no/such/dir/ops.txt");
    r = run_tessaly({"-nologo", "-gl:" + bad});
    EXPECT_EQ(r.out, "gen_opcode_listing: unable to open '" + bad + "'\n");
    EXPECT_FALSE(file_exists(bad));
}

// The source that "-gc" writes, with the report line apart.
class GenSource : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        RunResult r = run_tessaly({"-nologo", "-gc"});
        source = new std::string(r.out);
        report = new std::string(r.err);
    }
    static void TearDownTestSuite()
    {
        delete source;
        delete report;
    }
    static std::string* source;
    static std::string* report;

    // The lines of the function `name`, braces included.
    static std::vector<std::string> function(const std::string& name)
    {
        std::string head = "void op6502_" + name + "(void)\n{\n";
        size_t at = source->find(head);
        if (at == std::string::npos)
            return {};
        size_t end = source->find("}\n", at);
        return split_lines(source->substr(at, end + 2 - at));
    }
};
std::string* GenSource::source;
std::string* GenSource::report;

TEST_F(GenSource, IsTheSourceTheBuildCompiled)
{
    EXPECT_EQ(*source, read_file(TESSALY_OPS6502_SOURCE));
    // Only the source reaches standard output; the report goes to standard
    // error, so that "tessaly -gc > file" gives a file that compiles.
    EXPECT_EQ(*report, "gen_opcode_funcs: generating code for 6502 in \n");
    EXPECT_EQ(source->rfind("// Ormond 6502 Opcode Functions\n", 0), 0u);
}

TEST_F(GenSource, HeaderAndDefinitionsInOrder)
{
    std::vector<std::string> lines = split_lines(*source);
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0], "// Ormond 6502 Opcode Functions");
    EXPECT_EQ(lines[1].rfind("// ", 0), 0u); // the notice
    const std::vector<std::string> start = {
        "",
        "#include <cpu.h>",
        "",
        "#define BYTE(a)  (abMem6502[(a) & 0xffff])",
        "#define WORD(a)  (*(word *)&BYTE(a))",
        "#define SBYTE(a) ((int)(char)BYTE(a))",
        "#define STACK(a) BYTE(((a) & 0xff)+0x100)",
        "",
        "#define A (aReg6502[0].value)",
        "#define A0 (((bits *)&A)->bit0)",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.begin() + 12), start);

    // Further lines that must appear, in this order.
    const std::vector<std::string> ordered = {
        "#define A7 (((bits *)&A)->bit7)",
        "#define X (aReg6502[1].value)",
        "#define P (aReg6502[4].value)",
        "#define RV (aReg6502[8].value)",
        "#define RVL (*((byte *)&RV+0))",
        "#define RVL0 (((bits *)&RVL)->bit0)",
        "#define RVL7 (((bits *)&RVL)->bit7)",
        "#define RVH (*((byte *)&RV+1))",
        "#define RVH0 (((bits *)&RVH)->bit0)",
        "#define RC (aReg6502[9].value)",
        "#define RCH0 (((bits *)&RCH)->bit0)",
        "#define PC (aReg6502[12].value)",
        "#define PCL (*((byte *)&PC+0))",
        "#define PCH (*((byte *)&PC+1))",
        "#define EF (aReg6502[13].value)",
        "#define EF7 (((bits *)&EF)->bit7)",
        "",
        "#define M WORD(EA)",
        "#define ML BYTE(EA+0)",
        "#define ML0 (((bits *)&ML)->bit0)",
        "#define ML7 (((bits *)&ML)->bit7)",
        "#define MH BYTE(EA+1)",
        "#define MH7 (((bits *)&MH)->bit7)",
        "",
        "#define C P0",
        "#define Z P1",
        "#define I P2",
        "#define D P3",
        "#define B P4",
        "#define V P6",
        "#define N P7",
        "#define W EF0",
        "",
        "#define LAZY_C (RCH0)",
        "#define SET_LAZY_C(b) (RCH0 = (b))",
        "#define LAZY_N (RN7)",
        "#define SET_LAZY_N(b) (RN7 = (b))",
        "#define SET_LAZY_NZ(v) (RN = RZ = (v))",
        "#define LAZY_Z ((byte)RZ == 0)",
        "#define SET_LAZY_Z(b) (RZ = !(b))",
        "#define LAZY_V ((((RVL ^ RU) ^ (RV >> 1)) & 0x80) != 0)",
        "#define SET_LAZY_V(b) (RV = 0, RU = ((b)? 0x80 : 0x00))",
        "#define SET_LAZY_OV(a,b,r) (RU = (a) ^ (b), RV = (r))",
        "",
        "int addbcd6502(byte op1, byte op2, byte op3);",
        "int subbcd6502(byte op1, byte op2, byte op3);",
        "",
        "extern Reg aReg6502[];",
        "extern byte abMem6502[];",
        "",
        "",
        "//",
        "// Computer-generated opcode functions",
        "//",
        "",
        "void op6502_BRK(void)",
    };
    size_t at = 12;
    for (const std::string& want : ordered) {
        while (at < lines.size() && lines[at] != want)
            at++;
        ASSERT_LT(at, lines.size()) << "missing or out of order: " << want;
    }
    // Bit 5 of P has no alias; the flag block holds exactly the eight above.
    EXPECT_EQ(source->find("#define Undefined"), std::string::npos);
    // From the C alias to the W alias the lines are consecutive.
    size_t c = source->find("#define C P0\n");
    EXPECT_EQ(source->substr(c, source->find("\n\n", c) - c),
              "#define C P0\n#define Z P1\n#define I P2\n#define D P3\n#define B P4\n"
              "#define V P6\n#define N P7\n#define W EF0");
}

TEST_F(GenSource, FunctionBodies)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(function("ADC_IndX"),
              (Lines{"void op6502_ADC_IndX(void)", "{", "    EA = WORD((BYTE(PC++)+X) & 0xff);",
                     "    RC = (D? addbcd6502(A,ML,LAZY_C) : (A + ML + LAZY_C)); "
                     "SET_LAZY_OV(A,ML,RC); A = RCL; SET_LAZY_NZ(RCL);",
                     "}"}));
    EXPECT_EQ(function("ASL_Acc"), (Lines{"void op6502_ASL_Acc(void)", "{",
                                          "    RC =  A << 1;  A = RCL; SET_LAZY_NZ(RCL);", "}"}));
    EXPECT_EQ(function("DEC_ZPage"),
              (Lines{"void op6502_DEC_ZPage(void)", "{", "    EA = BYTE(PC++);",
                     "    ML = ML - 1; SET_LAZY_NZ(ML); W = 1;", "}"}));
    EXPECT_EQ(function("JSR_Abs"),
              (Lines{"void op6502_JSR_Abs(void)", "{", "    EA = PC; PC += 2;",
                     "    word T = M; PC--; STACK(S--) = PCH; STACK(S--) = PCL; PC = T;", "}"}));
    EXPECT_EQ(function("NOP"), (Lines{"void op6502_NOP(void)", "{", "}"}));
    EXPECT_EQ(
        function("PHP"),
        (Lines{"void op6502_PHP(void)", "{",
               "    C = LAZY_C; Z = LAZY_Z; V = LAZY_V; N = LAZY_N; STACK(S--) = P | 0x30;", "}"}));
    EXPECT_EQ(function("BRK"),
              (Lines{"void op6502_BRK(void)", "{",
                     "    PC++; STACK(S--) = PCH; STACK(S--) = PCL; B = 1; C = LAZY_C; "
                     "Z = LAZY_Z; V = LAZY_V; N = LAZY_N; STACK(S--) = P | 0x30; B = 0; I = 1; "
                     "EA = 0xFFFE; PC = M;",
                     "}"}));
    EXPECT_EQ(function("LSR_Acc"),
              (Lines{"void op6502_LSR_Acc(void)", "{",
                     "    SET_LAZY_C( A0);  A = RCL =  A >> 1; SET_LAZY_NZ(RCL);", "}"}));
    EXPECT_EQ(function("Undefined"),
              (Lines{"void op6502_Undefined(void)", "{", "    cpu6502_undefined();", "}"}));
    for (const char* name : {"ASL_Acc", "ROL_Acc", "LSR_Acc", "ROR_Acc"}) {
        Lines body = function(name);
        ASSERT_EQ(body.size(), 4u) << name;
        EXPECT_EQ(body[2].find("W = 1"), std::string::npos) << name;
        EXPECT_EQ(body[2].find("EA"), std::string::npos) << name;
        EXPECT_EQ(body[2].find("ML"), std::string::npos) << name;
    }
}

TEST_F(GenSource, FunctionsInOpcodeOrderThenTheDispatchTable)
{
    std::vector<std::string> names;
    for (int op = 0; op < 256; op++) {
        std::string entry = kOpcodeMap[op];
        if (entry.size() > 3)
            entry[3] = '_';
        names.push_back(entry.empty() ? "Undefined" : entry);
    }
    // Every function is followed by two blank lines.
    size_t at = 0;
    for (int op = 0; op < 256; op++) {
        if (names[op] == "Undefined")
            continue;
        std::string head = "void op6502_" + names[op] + "(void)\n{\n";
        size_t found = source->find(head, at);
        ASSERT_NE(found, std::string::npos) << names[op];
        EXPECT_EQ(source->find("void op6502_", at), found) << names[op] << " out of order";
        at = found + head.size();
        EXPECT_EQ(source->find("}\n", at), source->find("}\n\n\n", at));
    }
    size_t undefinedAt = source->find("void op6502_Undefined(void)\n", at);
    ASSERT_NE(undefinedAt, std::string::npos);

    const std::string tableHead = "}\n\n\n//\n// Computer-generated opcode dispatch table\n//\n\n"
                                  "PfnOp aPfnOp6502[] = {\n";
    size_t table = source->find(tableHead, undefinedAt);
    ASSERT_NE(table, std::string::npos);
    std::vector<std::string> rows = split_lines(source->substr(table + tableHead.size()));
    ASSERT_EQ(rows.size(), 257u);
    for (int op = 0; op < 256; op++) {
        std::string row = "    op6502_" + names[op] + ",";
        row += std::string(40 - row.size(), ' ') + "// " + hex2(op);
        EXPECT_EQ(rows[op], row);
    }
    EXPECT_EQ(rows[0], "    op6502_BRK,                         // 0x00");
    EXPECT_EQ(rows[256], "};");
    EXPECT_EQ(source->back(), '\n');
}

// The file compiles by itself, as C++ with the program's compiler and
// flags, and as C.
TEST_F(GenSource, CompilesOnItsOwn)
{
    TempDir dir;
    write_file(dir.file("ops6502.cpp"), *source);
    const std::string flags = " -Wall -Wextra -Werror -fno-strict-aliasing -fsigned-char -I" +
                              std::string(TESSALY_SOURCE_DIR) + "/cpu -c ";
    std::string cxx = std::string(TESSALY_CXX_COMPILER) + " -std=c++20" + flags + "-o " +
                      dir.file("ops.o") + " " + dir.file("ops6502.cpp") + " 2>&1";
    EXPECT_EQ(std::system(cxx.c_str()), 0) << cxx;
    std::string c = std::string(TESSALY_C_COMPILER) + " -std=c11 -x c" + flags + "-o " +
                    dir.file("ops_c.o") + " " + dir.file("ops6502.cpp") + " 2>&1";
    EXPECT_EQ(std::system(c.c_str()), 0) << c;
}

TEST(GenSourceFile, WritesTheFileAndReportsOnTheConsole)
{
    TempDir dir;
    std::string file = dir.file("ops.c");
    RunResult r = run_tessaly({"-nologo", "-gc:" + file});
    EXPECT_EQ(r.out, "gen_opcode_funcs: generating code for 6502 in " + file + "\n");
    EXPECT_EQ(read_file(file), read_file(TESSALY_OPS6502_SOURCE));

    std::string bad = dir.file("missing/ops.c");
    r = run_tessaly({"-nologo", "-gc:" + bad});
    EXPECT_EQ(r.out, "gen_opcode_funcs: unable to open '" + bad + "'\n");
}

} // namespace

// In-process runs of the generators with the description changed for the
// call and restored afterwards.
class GenFaults : public testing::Test
{
  protected:
    TempDir dir;
    CpuDef saved = cpu6502;
    void TearDown() override
    {
        cpu6502 = saved;
    }
};

TEST_F(GenFaults, UnsupportedRegisterSizeStillWritesTheWholeFile)
{
    const int32_t size = aReg6502[REG_EF].size;
    aReg6502[REG_EF].size = 32;
    std::string file = dir.file("ops.c");
    int result = 0;
    std::string out = capture_stdout([&] { result = gen_opcode_funcs(file.c_str()); });
    aReg6502[REG_EF].size = size;
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "gen_opcode_funcs: generating code for 6502 in " + file +
                       "\nUnsupported register size (32) for register 'EF'\n");
    std::string text = read_file(file);
    EXPECT_NE(text.find("#define EF (aReg6502[13].value)\n\n#define M WORD(EA)\n"),
              std::string::npos);
    EXPECT_NE(text.find("    op6502_INC_AbsX,                    // 0xfe\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 3), "};\n");
}

TEST_F(GenFaults, FaultyTableWritesNothing)
{
    std::vector<InsDef> ins(aIns6502, aIns6502 + 56);
    ins[0].opcode = "011??1?1"; // ADC
    cpu6502.insDefs = ins.data();
    for (auto generator : {gen_opcode_listing, gen_opcode_funcs}) {
        std::string file = dir.file("out.txt");
        int result = -1;
        std::string out = capture_stdout([&] { result = generator(file.c_str()); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "gen_opdesc_array: discrepancy in 'opcode' for ADC: 011??1?1\n");
        EXPECT_TRUE(file_exists(file));
        EXPECT_EQ(read_file(file), "");
    }
}
