// Third-party 6502 test programs run on the emulated CPU, each the way the
// CPU thread runs instructions. The programs are not part of the repository:
// each test runs only when an environment variable names an assembled image,
// and is skipped otherwise.
//
// Klaus Dormann's functional test (6502_functional_test.ca65 with its
// example.cfg, assembled with ca65 and linked with ld65 into a 64 KB image):
//   TESSALY_6502_FUNCTIONAL_TEST=image      the image, loaded at 0x0000
//   TESSALY_6502_FUNCTIONAL_SUCCESS=addr    (hex) the "success" trap, from
//                                           the listing (0x3469 for the
//                                           version of 01-aug-2019)
//   The program starts at 0x0400 and ends in an instruction that jumps or
//   branches to itself: at the success address when every test passed,
//   anywhere else at the test that failed.
//
// Bruce Clark's decimal-mode test (6502_decimal_test.ca65), linked with its
// zero page at 0x0000 and its code at 0x0200 into an image of the code only:
//   TESSALY_6502_DECIMAL_TEST=image         the image, loaded at 0x0200
//   The program starts at 0x0200, ends at an opcode the 6502 does not define
//   and leaves 0 at 0x000B when every result matched. Decimal mode gives the
//   accumulator and carry of the NMOS chip and takes N and Z from the decimal
//   result, so assemble it with chk_n, chk_v and chk_z at 0 (cputype 0), or
//   with cputype 2 and chk_v at 0 to check N and Z as well.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cpu_test.h"
#include "testutil.h"

namespace
{

constexpr long MAX_INSTRUCTIONS = 400'000'000;

bool load_image(const char* path, uint32_t addr)
{
    std::string image = read_file(path);
    if (image.empty() || addr + image.size() > MEM_SIZE6502)
        return false;
    for (size_t i = 0; i < image.size(); i++)
        abMem6502[addr + i] = static_cast<uint8_t>(image[i]);
    return true;
}

TEST(ThirdParty, DormannFunctionalTest)
{
    const char* path = getenv("TESSALY_6502_FUNCTIONAL_TEST");
    const char* success = getenv("TESSALY_6502_FUNCTIONAL_SUCCESS");
    if (!path || !success)
        GTEST_SKIP() << "TESSALY_6502_FUNCTIONAL_TEST and _SUCCESS not set";
    cpu_reset();
    ASSERT_TRUE(load_image(path, 0x0000)) << path;
    reg(REG_PC) = 0x0400;
    reg(REG_S) = 0xFF;
    long count = 0;
    int32_t before;
    do {
        before = reg(REG_PC);
        cpu_step();
        ASSERT_EQ(fOpUndefined, 0) << "undefined opcode near 0x" << std::hex << before;
    } while (reg(REG_PC) != before && ++count < MAX_INSTRUCTIONS);
    EXPECT_EQ(reg(REG_PC), static_cast<int32_t>(strtoul(success, nullptr, 16)))
        << "trapped at 0x" << std::hex << reg(REG_PC) << " after " << std::dec << count
        << " instructions";
}

TEST(ThirdParty, ClarkDecimalTest)
{
    const char* path = getenv("TESSALY_6502_DECIMAL_TEST");
    if (!path)
        GTEST_SKIP() << "TESSALY_6502_DECIMAL_TEST not set";
    cpu_reset();
    ASSERT_TRUE(load_image(path, 0x0200)) << path;
    reg(REG_PC) = 0x0200;
    reg(REG_S) = 0xFF;
    long count = 0;
    while (!fOpUndefined && ++count < MAX_INSTRUCTIONS)
        cpu_step();
    ASSERT_EQ(fOpUndefined, 1) << "did not end";
    EXPECT_EQ(peek(0x000B), 0) << "N1=0x" << std::hex << int(peek(0)) << " N2=0x" << int(peek(1))
                               << " Y=" << reg(REG_Y) << " result=0x" << int(peek(4)) << " flags=0x"
                               << int(peek(5)) << " predicted=0x" << int(peek(6));
}

} // namespace
