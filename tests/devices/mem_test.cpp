// The memory map: mem, load, -load, the ROM images and write protection.
#include <algorithm>
#include <cstring>

#include "cpu6502.h"
#include "devtest.h"
#include "mem.h"
#include "resources.h"
#include "testutil.h"

namespace
{

const char* const kRomLines = "8192 bytes initialized (from 0xa000 to 0xbfff)\n"
                              "2048 bytes initialized (from 0xf800 to 0xffff)\n";

class MemTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        memset(abMem6502, 0, MEM_SIZE6502 + 1);
    }
    TempDir dir;

    std::string load(const std::string& addr, const std::string& file)
    {
        return run_cmd(cmd_load, {"load", addr, file});
    }
    static bool memory_clear()
    {
        return std::all_of(abMem6502, abMem6502 + MEM_SIZE6502 + 1, [](byte b) { return !b; });
    }
    static bool roms_in_memory()
    {
        return !memcmp(abMem6502 + 0xA000, res_find(RES_ROM_BASIC)->pb, 0x2000) &&
               !memcmp(abMem6502 + 0xF800, res_find(RES_ROM_SYSTEM)->pb, 0x800);
    }
};

TEST_F(MemTest, MemPrintsTheMapWhateverItsParameters)
{
    EXPECT_EQ(run_cmd(cmd_mem, {"mem", "extra", "words"}), "0x0000 - 0x9fff: RAM\n"
                                                           "0xa000 - 0xbfff: BASIC ROM\n"
                                                           "0xc000 - 0xcfff: UNUSED\n"
                                                           "0xd000 - 0xd3ff: Video frame buffer\n"
                                                           "0xd400 - 0xdbff: UNUSED\n"
                                                           "0xdc00 - 0xdfff: Keyboard status/data\n"
                                                           "0xe000 - 0xefff: UNUSED\n"
                                                           "0xf000 - 0xf0ff: Cassette status/data\n"
                                                           "0xf100 - 0xf7ff: UNUSED\n"
                                                           "0xf800 - 0xffff: System ROM\n");
}

TEST_F(MemTest, LoadWithoutParametersCopiesAndRestoresBothImages)
{
    EXPECT_EQ(run_cmd(cmd_load, {"load"}), kRomLines);
    EXPECT_TRUE(fRomsLoaded);
    EXPECT_TRUE(roms_in_memory());
    EXPECT_EQ(abMem6502[0x9FFF] | abMem6502[0xC000] | abMem6502[0xF7FF], 0);
    write_file(dir.file("over.bin"), std::string(16, '\xEE'));
    load("bff8", dir.file("over.bin"));
    load("fff0", dir.file("over.bin"));
    EXPECT_FALSE(roms_in_memory());
    EXPECT_EQ(run_cmd(cmd_load, {"load"}), kRomLines);
    EXPECT_TRUE(roms_in_memory());
    EXPECT_EQ(abMem6502[0xC007], 0xEE); // outside the ROMs the image stays
}

TEST_F(MemTest, BadAddressesAreRefusedAndChangeNothing)
{
    std::string f = dir.file("f.bin");
    write_file(f, "abc");
    for (const char* addr : {"0", "10000", "FFFFFFFF", "123456789ABCDEF01", "-1", "zz", "300x"})
        EXPECT_EQ(load(addr, f), "bad address (" + std::string(addr) + ":" + f + ")\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(mem_load("300"), 0); // no ':' at all
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "bad address (300)\n");
    EXPECT_TRUE(memory_clear());
}

TEST_F(MemTest, ImagesLoadAtTheirAddressUpToTheEndOfMemory)
{
    write_file(dir.file("f.bin"), "\x01\x02\x03");
    EXPECT_EQ(load("0x300", dir.file("f.bin")), "3 bytes read (0x0300 to 0x0302)\n");
    EXPECT_EQ(std::string(abMem6502 + 0x2FF, abMem6502 + 0x304), std::string("\0\1\2\3\0", 5));

    write_file(dir.file("empty.bin"), "");
    EXPECT_EQ(load("1000", dir.file("empty.bin")), "0 bytes read (0x1000 to 0x0fff)\n");

    write_file(dir.file("big.bin"), std::string(1000, '\x5A'));
    EXPECT_EQ(load("ff00", dir.file("big.bin")), "256 bytes read (0xff00 to 0xffff)\n");
    EXPECT_EQ(std::count(abMem6502, abMem6502 + MEM_SIZE6502 + 1, 0x5A), 256);
    EXPECT_EQ(abMem6502[0xFF00] & abMem6502[0xFFFF], 0x5A);

    // The file name is everything after the first ':'; the joined text has
    // no length limit.
    std::string odd = dir.file("a:" + std::string(200, 'n'));
    write_file(odd, "x");
    EXPECT_EQ(load(std::string(100, '0') + "500", odd), "1 bytes read (0x0500 to 0x0500)\n");
    EXPECT_EQ(abMem6502[0x500], 'x');
    testing::internal::CaptureStdout();
    EXPECT_EQ(mem_load(("501:" + odd).c_str()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1 bytes read (0x0501 to 0x0501)\n");
}

TEST_F(MemTest, UnreadableFilesAndOneParameterAreReported)
{
    std::string missing = dir.file("missing.bin");
    EXPECT_EQ(load("300", missing), "unable to open '" + missing + "'\n");
    EXPECT_EQ(load("300", dir.path), "unable to open '" + dir.path + "'\n");
    EXPECT_EQ(run_cmd(cmd_load, {"load", "a000"}), "invalid argument(s)\n");
    EXPECT_TRUE(memory_clear());
}

TEST_F(MemTest, StoresIntoRomAreUndoneOnceTheImagesAreLoaded)
{
    // Before the images are loaded there is nothing to restore: stores stand.
    const byte* saved[C_ROMS];
    for (int i = 0; i < C_ROMS; i++)
        saved[i] = aRomC1P[i].pbImage.exchange(nullptr);
    abMem6502[0xA000] = 0x11;
    mem_rom_undo(0xA000);
    EXPECT_EQ(abMem6502[0xA000], 0x11);
    for (int i = 0; i < C_ROMS; i++)
        aRomC1P[i].pbImage = saved[i];

    run_cmd(cmd_load, {"load"});
    // A byte loaded over the ROM is replaced by the ROM's own at a store.
    write_file(dir.file("over.bin"), "\xEE");
    load("a000", dir.file("over.bin"));
    for (uint32_t ea : {0xA000u, 0xBFFFu, 0xF800u, 0xFFFFu}) {
        abMem6502[ea] ^= 0xFF;
        mem_rom_undo(ea);
    }
    EXPECT_TRUE(roms_in_memory());
    for (uint32_t ea : {0x9FFFu, 0xC000u, 0xF7FFu}) {
        abMem6502[ea] = 0x42;
        mem_rom_undo(ea);
        EXPECT_EQ(abMem6502[ea], 0x42) << std::hex << ea;
    }
}

TEST(MemProgram, LoadOptionAndCommand)
{
    for (const char* opt : {"-load", "-load:"}) {
        RunResult r = run_tessaly({"-nologo", opt}, "mem\nquit\n");
        EXPECT_EQ(r.status, 0) << opt;
        EXPECT_EQ(r.out.rfind(kRomLines, 0), 0u) << r.out;
        EXPECT_NE(r.out.find("0xf800 - 0xffff: System ROM\n"), std::string::npos) << r.out;
    }
    TempDir dir;
    write_file(dir.file("f.bin"), "12345");
    RunResult r = run_tessaly({"-nologo"}, "load 300 f.bin\nload 0 f.bin\nquit\n", dir.path);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("5 bytes read (0x0300 to 0x0304)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bad address (0:f.bin)\n"), std::string::npos) << r.out;
}

} // namespace
