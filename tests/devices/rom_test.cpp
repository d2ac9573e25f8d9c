// The built-in ROM images: sizes, vectors and the entry-point table.
#include <gtest/gtest.h>

#include "resources.h"

namespace
{

// The 16-bit word at addr of the System ROM (0xF800..0xFFFF).
unsigned system_word(const Resource* rom, unsigned addr)
{
    return rom->pb[addr - 0xF800] | rom->pb[addr - 0xF800 + 1] << 8;
}

TEST(RomImages, HaveTheirExactSizes)
{
    const Resource* basic = res_find(RES_ROM_BASIC);
    const Resource* system = res_find(RES_ROM_SYSTEM);
    ASSERT_NE(basic, nullptr);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(basic->cb, 8192u);
    EXPECT_EQ(system->cb, 2048u);
}

TEST(RomImages, VectorsAndEntryPointsLeadIntoTheSystemRomCode)
{
    const Resource* rom = res_find(RES_ROM_SYSTEM);
    ASSERT_NE(rom, nullptr);
    // The code lies below the entry table at 0xFFEB.
    auto in_code = [](unsigned a) { return a >= 0xF800 && a < 0xFFEB; };
    for (unsigned vector : {0xFFFAu, 0xFFFCu, 0xFFFEu})
        EXPECT_TRUE(in_code(system_word(rom, vector))) << std::hex << vector;
    for (unsigned entry : {0xFFEBu, 0xFFEEu, 0xFFF1u, 0xFFF4u, 0xFFF7u}) {
        EXPECT_EQ(rom->pb[entry - 0xF800], 0x4C) << std::hex << entry; // JMP abs
        EXPECT_TRUE(in_code(system_word(rom, entry + 1))) << std::hex << entry;
    }
    // Reset starts with real code, not the fill.
    EXPECT_NE(rom->pb[system_word(rom, 0xFFFC) - 0xF800], 0x00);
}

TEST(RomImages, BasicEntryReturns)
{
    const Resource* rom = res_find(RES_ROM_BASIC);
    ASSERT_NE(rom, nullptr);
    EXPECT_EQ(rom->pb[0], 0x60); // RTS at 0xA000
}

} // namespace
