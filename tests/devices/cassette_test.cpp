// The cassette interface, driven through its page the way the CPU thread
// drives it: a read of the page, then cas_read; a store, then cas_write.
#include <atomic>
#include <cstring>
#include <sys/stat.h>
#include <thread>

#include "cassette.h"
#include "cpu6502.h"
#include "devtest.h"
#include "mem.h"
#include "testutil.h"

namespace
{

class CassetteTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        memset(abMem6502 + CAS_BASE, 0, CAS_END - CAS_BASE + 1);
        bCasData = 0;
        cbCasData = 0;
    }
    void TearDown() override
    {
        cassette(SW_C);
    }
    TempDir dir;

    static std::string cassette(uint32_t mask)
    {
        return run_cmd(cmd_cassette, {"cassette"}, mask);
    }
    static std::string attach(const std::string& path)
    {
        return run_cmd(cmd_cassette, {"cassette", path});
    }
    std::string attach_text(const std::string& text)
    {
        write_file(dir.file("tape"), text);
        return attach(dir.file("tape"));
    }
    // An instruction reading the page at offset: the byte it receives.
    static byte read(int offset = 1)
    {
        byte v = abMem6502[CAS_BASE + offset];
        cas_read(offset);
        return v;
    }
    // An instruction storing at offset: what the address holds afterwards.
    static byte write(int offset, byte value)
    {
        abMem6502[CAS_BASE + offset] = value;
        return abMem6502[CAS_BASE + offset] = cas_write(offset, value);
    }
    // Reads the data register while the status says a byte is waiting.
    static std::string play()
    {
        std::string s;
        while (abMem6502[CAS_BASE] && s.size() < 1000)
            s += static_cast<char>(read());
        return s;
    }
    // Every status register reads s and every data register d.
    static void expect_page(byte s, byte d)
    {
        for (int i = 0; i < 0x100; i += 2)
            ASSERT_TRUE(abMem6502[CAS_BASE + i] == s && abMem6502[CAS_BASE + i + 1] == d) << i;
    }
};

TEST_F(CassetteTest, LinesArriveEndedByOneCarriageReturn)
{
    EXPECT_EQ(attach_text("10 PRINT 1\r\n"), "cassette file open\n");
    expect_page(1, '1');
    EXPECT_EQ(play(), "10 PRINT 1\r");
    expect_page(0, 0);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(bCasData, '\r'); // the last byte is kept

    attach_text("A\nB\r\nC\rD\r\r\nE\r");
    EXPECT_EQ(play(), "A\rB\rC\rD\r\rE\r");
}

TEST_F(CassetteTest, AMissingFileIsCreatedEmpty)
{
    std::string path = dir.file("new.tape");
    EXPECT_EQ(attach(path), "cassette file open\n");
    EXPECT_TRUE(file_exists(path));
    EXPECT_EQ(read_file(path), "");
    expect_page(0, 0);
}

TEST_F(CassetteTest, OnlyDataRegistersFetch)
{
    attach_text("abc");
    EXPECT_EQ(read(0) & read(0xFE) & read(0x80), 1);
    expect_page(1, 'a');
    EXPECT_EQ(read(0xFF), 'a');
    EXPECT_EQ(read(0x01), 'b');
    EXPECT_EQ(read(0x41), 'c');
    expect_page(0, 0);
}

TEST_F(CassetteTest, StoresPutTheRegistersBack)
{
    EXPECT_EQ(write(1, 0x77) | write(0, 0x77), 0); // no tape yet
    attach_text("XY");
    // A read-modify-write of the data register is a store: no fetch.
    EXPECT_EQ(write(0x21, 0x99), 'X');
    EXPECT_EQ(write(0x20, 0xFF), 1);
    EXPECT_EQ(read(), 'X');
    EXPECT_EQ(read(), 'Y');
    EXPECT_EQ(write(1, 0), 'Y'); // the last byte received, at the end
    EXPECT_EQ(write(2, 5), 0);
}

TEST_F(CassetteTest, ControlZEndsTheTapeUntilRewound)
{
    attach_text("AB\x1A"
                "CD\r\n");
    EXPECT_EQ(play(), "AB");
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(cassette(SW_R), "cassette file open\n");
    EXPECT_EQ(play(), "AB");
    EXPECT_EQ(cassette(SW_R | SW_C), "cassette file open\n"); // rewinds, stays
    EXPECT_EQ(play(), "AB");
    attach_text("Z\r\x1A"
                "more");
    EXPECT_EQ(play(), "Z\r");
}

TEST_F(CassetteTest, CloseLeavesTheWaitingByte)
{
    attach_text("PQ");
    EXPECT_EQ(cassette(SW_C), "cassette file closed\n");
    EXPECT_EQ(pfileCassette, nullptr);
    EXPECT_EQ(read(), 'P');
    EXPECT_EQ(cassette(SW_R), "cassette file closed\n");
    EXPECT_EQ(cassette(0), "cassette file closed\n");
    expect_page(1, 'P');
}

TEST_F(CassetteTest, AFailedAttachKeepsTheTapeBefore)
{
    attach_text("first");
    read();
    FILE* before = pfileCassette;
    std::string bad = dir.file("no-such-dir/tape");
    EXPECT_EQ(attach(bad), "unable to open '" + bad + "' for cassette operations\n");
    EXPECT_EQ(attach(dir.path), "unable to open '" + dir.path + "' for cassette operations\n");
    EXPECT_EQ(pfileCassette, before);
    expect_page(1, 'i');
    EXPECT_EQ(play(), "irst");
}

TEST_F(CassetteTest, TapesAreNeverWritten)
{
    write_file(dir.file("one"), "1\r\n");
    write_file(dir.file("ro"), "RO");
    chmod(dir.file("ro").c_str(), 0444);
    attach(dir.file("one"));
    EXPECT_EQ(attach(dir.file("ro")), "cassette file open\n"); // read-only plays
    EXPECT_EQ(play(), "RO");
    cassette(SW_C);
    EXPECT_EQ(read_file(dir.file("one")), "1\r\n");
    EXPECT_EQ(read_file(dir.file("ro")), "RO");
}

// The command may close or replace the tape while the CPU thread reads it.
TEST_F(CassetteTest, DetachingWhileTheCpuReadsIsSafe)
{
    write_file(dir.file("loop"), std::string(64, 'x'));
    std::atomic<bool> done{false};
    std::thread cpu([&] {
        while (!done)
            read();
    });
    for (int i = 0; i < 300; i++) {
        attach(dir.file("loop"));
        cassette(i & 1 ? SW_C : SW_R);
    }
    done = true;
    cpu.join();
}

} // namespace
