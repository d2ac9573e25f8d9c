// The memory map, ROM images, keyboard matrix and cassette interface, driven
// through their commands, key messages and memory as the threads drive them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "cassette.h"
#include "devtest.h"
#include "cpu6502.h"
#include "kbd.h"
#include "vm.h"
#include "mem.h"
#include "resources.h"
#include "shell.h"
#include "testutil.h"

namespace
{

// Whether the whole keyboard range reads one value.
bool kbd_whole()
{
    return std::count(abMem6502 + KBD_BASE, abMem6502 + KBD_END + 1, abMem6502[KBD_BASE]) == 0x400;
}

// A store into the keyboard range as the CPU thread makes it, holding the
// machine.
void kbd_store(byte value, uint32_t addr = KBD_BASE)
{
    MachineLock machine;
    abMem6502[addr] = value;
    kbd_write(value);
}

// A step of a keyboard test: a key message, or (SELECT) selections of row
// wParam, lParam of them (at least one); then the keys down ("row:bits" for
// each row with one) and what the range reads (unless -1).
constexpr unsigned DOWN = WM_KEYDOWN, UP = WM_KEYUP, CHAR = WM_CHAR, SELECT = 0;
constexpr long LSHIFT = SCAN_LSHIFT << 16, RSHIFT = 0x36 << 16;
struct Step {
    unsigned msg, wParam;
    const char* down;
    int read = -1;
    long lParam = 0;
};

class DevTest : public DevFixture
{
  protected:
    // A file of the directory holding data: its path.
    std::string file(const std::string& name, const std::string& data)
    {
        write_file(dir.file(name), data);
        return dir.file(name);
    }
    // Runs keyboard steps in order, or each from an idle keyboard.
    void run(std::initializer_list<Step> steps, bool fEachAlone = false)
    {
        int i = 0;
        for (const Step& s : steps) {
            if (fEachAlone)
                SetUp();
            for (long k = 0; s.msg == SELECT && k < std::max(s.lParam, 1L); k++) {
                kbd_store(static_cast<byte>(~(1 << s.wParam)));
                ASSERT_TRUE(kbd_whole()) << "step " << i;
            }
            kbd_message(s.msg, s.wParam, s.lParam);
            char down[8 * 6] = "", *p = down;
            const KbdSnapshot kbd = kbd_snapshot();
            for (int row = 0; row < 8; row++)
                if (kbd.abMatrix[row])
                    p += snprintf(p, 6, p == down ? "%d:%02X" : " %d:%02X", row, kbd.abMatrix[row]);
            EXPECT_STREQ(down, s.down) << "step " << i;
            EXPECT_TRUE(s.read < 0 || abMem6502[KBD_BASE] == s.read) << "step " << i++;
        }
    }
};

const std::string kRomLines = "8192 bytes initialized (from 0xa000 to 0xbfff)\n"
                              "2048 bytes initialized (from 0xf800 to 0xffff)\n";

TEST(Mem, PrintsTheMapWhateverItsParameters)
{
    EXPECT_EQ(run_cmd(cmd_mem, {"extra", "words"}), "0x0000 - 0x9fff: RAM\n"
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

// ROM images: exact sizes; vectors and the JMP table at 0xFFEB..0xFFF9 lead
// into the code below the table. Once loaded, a store into a ROM range (up
// to its edges, and only there) is undone.
TEST_F(DevTest, RomImagesLoadAndStayWriteProtected)
{
    const Resource* basic = res_find(RES_ROM_BASIC);
    const Resource* rom = res_find(RES_ROM_SYSTEM);
    ASSERT_TRUE(basic && rom && basic->cb == 8192 && rom->cb == 2048);
    auto word = [&](unsigned a) { return rom->pb[a - 0xF800] | rom->pb[a - 0xF7FF] << 8; };
    auto in_code = [](unsigned a) { return a >= 0xF800 && a < 0xFFEB; };
    for (unsigned vector : {0xFFFAu, 0xFFFCu, 0xFFFEu})
        EXPECT_TRUE(in_code(word(vector))) << std::hex << vector;
    for (unsigned entry = 0xFFEB; entry < 0xFFFA; entry += 3)
        EXPECT_TRUE(rom->pb[entry - 0xF800] == 0x4C && in_code(word(entry + 1))) << entry;
    EXPECT_NE(rom->pb[word(0xFFFC) - 0xF800], 0x00); // reset starts with code, not fill

    EXPECT_EQ(run_cmd(cmd_load, {}), kRomLines);
    EXPECT_TRUE(std::equal(rom->pb, rom->pb + 0x800, abMem6502 + 0xF800)); // copied
    for (uint32_t ea = 0; ea <= 0xFFFF; ea++) { // a store into every byte
        abMem6502[ea] ^= 0xFF;
        mem_rom_undo(ea);
    }
    EXPECT_TRUE(std::equal(rom->pb, rom->pb + 0x800, abMem6502 + 0xF800));
    EXPECT_TRUE(std::equal(basic->pb, basic->pb + 0x2000, abMem6502 + 0xA000));
    EXPECT_EQ(abMem6502[0x9FFF] & abMem6502[0xC000] & abMem6502[0xF7FF], 0xFF);
}

// load refuses bad addresses (zero, past the end, overflowing, no number, no
// ':'), unreadable files and one parameter, changing nothing. An image lands
// at its address, cut at the end of memory; the file name is all after the
// first ':', of any length.
TEST_F(DevTest, LoadPutsImagesAtTheirAddressOrRefusesThem)
{
    std::string f = file("f", "\1\2\3");
    for (std::string addr : {"0", "10000", "FFFFFFFF", "123456789ABCDEF01", "-1", "zz", "300x"})
        EXPECT_EQ(run_cmd(cmd_load, {addr, f}), "bad address (" + addr + ":" + f + ")\n");
    EXPECT_EQ(printed([] { EXPECT_EQ(mem_load("300"), 0); }), "bad address (300)\n");
    for (const std::string& path : {dir.file("missing"), dir.path})
        EXPECT_EQ(run_cmd(cmd_load, {"300", path}), "unable to open '" + path + "'\n");
    EXPECT_EQ(run_cmd(cmd_load, {"a000"}), "invalid argument(s)\n");
    EXPECT_EQ(std::count(abMem6502, abMem6502 + MEM_SIZE6502, 0), MEM_SIZE6502);

    EXPECT_EQ(printed([&] { EXPECT_EQ(mem_load(("0x300:" + f).c_str()), 1); }),
              "3 bytes read (0x0300 to 0x0302)\n");
    EXPECT_EQ(std::string(abMem6502 + 0x2FF, abMem6502 + 0x304), std::string("\0\1\2\3\0", 5));
    EXPECT_EQ(run_cmd(cmd_load, {"1000", file("empty", "")}), "0 bytes read (0x1000 to 0x0fff)\n");
    EXPECT_EQ(run_cmd(cmd_load, {"ff00", file("big", std::string(1000, 'Z'))}),
              "256 bytes read (0xff00 to 0xffff)\n");
    EXPECT_EQ(std::count(abMem6502 + 0xFF00, abMem6502 + MEM_SIZE6502, 'Z'), 256);
    std::string odd = file("a:" + std::string(200, 'n'), "x");
    EXPECT_EQ(run_cmd(cmd_load, {std::string(100, '0') + "500", odd}),
              "1 bytes read (0x0500 to 0x0500)\n");
    EXPECT_EQ(abMem6502[0x500], 'x');
}

// Both forms of -load through the real program, before its commands.
TEST(MemProgram, LoadOption)
{
    for (const char* opt : {"-load", "-load:"}) {
        RunResult r = run_tessaly({"-nologo", opt}, "mem\nquit\n");
        EXPECT_EQ(r.status, 0) << opt;
        EXPECT_EQ(r.out.rfind(kRomLines, 0), 0u) << r.out;
    }
}

// Each key alone: the positions it presses; shifted characters add the left
// Shift (row 0, 0x04). Other control characters (without Ctrl), NUL, codes
// without a key ('{') or beyond a byte and key messages of character keys:
// none.
TEST_F(DevTest, KbdKeysPressTheirPositions)
{
    // clang-format off
    run({{CHAR, 'q', "1:80"}, {CHAR, 'Q', "1:80"}, {CHAR, ':', "6:10"}, {CHAR, '!', "0:04 7:80"},
         {CHAR, '?', "0:04 1:08"}, {CHAR, 8, "0:04 5:20"}, {CHAR, 13, "5:08"}, {CHAR, 27, "0:20"},
         {DOWN, VK_DELETE, "6:04"}, {CHAR, 9, ""}, {CHAR, 3, ""}, {CHAR, 0, ""},
         {CHAR, '{', ""}, {CHAR, 0x131, ""}, {DOWN, 0x110, "", -1, LSHIFT}, {DOWN, 'A', ""},
         // Shift with N, K, L, M, P: the letter's position and the left Shift.
         {CHAR, '^', "0:04 2:08"}, {CHAR, '[', "0:04 3:02"}, {CHAR, '\\', "0:04 5:40"},
         {CHAR, ']', "0:04 2:04"}, {CHAR, '@', "0:04 1:02"}}, true);
    // clang-format on
}

// Rows read active low, row 0's bit 0 down under shift lock (Caps Lock
// toggles it). A typed key stays down for 3 selections of its row, 6 in row 0,
// not counting other rows'; it shows at once only if its row is selected.
TEST_F(DevTest, KbdRowsAndHoldCounts)
{
    // clang-format off
    run({{SELECT, 7, "", 0xFF}, {SELECT, 0, "", 0xFE}, {DOWN, VK_CAPITAL, ""}, {UP, VK_CAPITAL, ""},
         {SELECT, 0, "", 0xFF}, {DOWN, VK_CAPITAL, ""}, {SELECT, 0, "", 0xFE},
         {CHAR, 'q', "1:80"}, {SELECT, 4, "1:80", -1, 10},
         {SELECT, 1, "1:80", 0x7F, 3}, {SELECT, 1, "", 0xFF},
         {CHAR, 27, "0:20"}, {SELECT, 0, "0:20", 0xDE, 6}, {SELECT, 0, "", 0xFE},
         // A Shift added for '!' goes with row 0's count; a letter leaves it down.
         {CHAR, '!', "0:04 7:80", 0xFA}, {SELECT, 0, "0:04 7:80", -1, 6}, {SELECT, 0, "7:80"},
         {CHAR, '"', "0:04 7:C0"}, {CHAR, 'a', "0:04 1:40 7:C0"},
         {SELECT, 2, "0:04 1:40 7:C0", 0xFF}, {CHAR, 'c', "0:04 1:40 2:40 7:C0", 0xBF},
         {CHAR, 'q', "0:04 1:C0 2:40 7:C0", 0xBF}});
    // clang-format on
}

// A held host Shift: '!' uses it, ':' (shifted on the host only) lifts it,
// '!' puts it back; it outlasts row 0's count and goes with its release.
// Ctrl (with C) stays down while held; its release shows at once.
TEST_F(DevTest, KbdHostModifiers)
{
    // clang-format off
    run({{DOWN, VK_SHIFT, "0:04", -1, LSHIFT}, {CHAR, '!', "0:04 7:80"}, {CHAR, ':', "6:10 7:80"},
         {CHAR, '!', "0:04 6:10 7:80"}, {SELECT, 0, "0:04 6:10 7:80", -1, 10},
         {UP, VK_SHIFT, "6:10 7:80", -1, LSHIFT}, {DOWN, VK_SHIFT, "0:02 6:10 7:80", -1, RSHIFT},
         {CHAR, ';', "1:04 6:10 7:80"}, {CHAR, '?', "0:02 1:0C 6:10 7:80"}});
    SetUp();
    run({{DOWN, VK_CONTROL, "0:40"}, {CHAR, 3, "0:40 2:40"}, {SELECT, 0, "0:40 2:40", 0xBE, 10},
         {UP, VK_CONTROL, "2:40", 0xFE}, {SELECT, 2, "2:40", 0xBF, 3}, {SELECT, 2, "", 0xFF},
         {DOWN, VK_DELETE, "6:04"}, {UP, VK_DELETE, "6:04"}}); // Delete waits for its count
    // clang-format on
}

// Stores selecting no single row stay as stored and count down no key. Key
// messages and selections from two threads leave the range one value.
TEST_F(DevTest, KbdStores)
{
    run({{CHAR, 27, "0:20"}, {SELECT, 1, "0:20"}});
    for (byte v : {0xFF, 0x00, 0xFC}) {
        memset(abMem6502 + KBD_BASE, 0x55, KBD_END - KBD_BASE + 1);
        kbd_store(v, 0xDC10);
        EXPECT_TRUE(abMem6502[0xDC10] == v && abMem6502[0xDC11] == 0x55 && kbd_snapshot().iRow == 0)
            << +v;
    }
    EXPECT_EQ(kbd_snapshot().abHold[0], 6);
    std::thread typist([] {
        for (int i = 0; i < 20000; i++)
            kbd_message(CHAR, i & 1 ? 'q' : 27, 0);
    });
    for (int i = 0; i < 20000; i++)
        kbd_store(i & 1 ? 0xFE : 0xFD);
    typist.join();
    EXPECT_TRUE(kbd_whole());
}

// An instruction reading the cassette page at offset: the byte it receives.
byte cas_in(int offset = 1)
{
    byte v = abMem6502[CAS_BASE + offset];
    cas_read(offset);
    return v;
}

// An instruction storing at offset: what the address holds afterwards.
byte cas_out(int offset, byte value)
{
    abMem6502[CAS_BASE + offset] = value;
    return abMem6502[CAS_BASE + offset] = cas_write(offset, value);
}

// Reads the data register while the status says a byte is waiting.
std::string play()
{
    std::string s;
    while (abMem6502[CAS_BASE] && s.size() < 1000)
        s += static_cast<char>(cas_in());
    return s;
}

// Every status register reads s and every data register d.
void expect_page(byte s, byte d)
{
    for (int i = 0; i < 0x100; i += 2)
        ASSERT_TRUE(abMem6502[CAS_BASE + i] == s && abMem6502[CAS_BASE + i + 1] == d) << i;
}

// Every line end (LF, CR LF, CR) reaches the machine as one CR; then the
// page reads 0 and the data register keeps the last byte. The file is never
// written; a missing one is created empty, a read-only one plays.
TEST_F(DevTest, CassetteLinesArriveEndedByOneCarriageReturn)
{
    std::string tape = file("tape", "10 PRINT 1\r\n");
    EXPECT_EQ(run_cmd(cmd_cassette, {tape}), "cassette file open\n");
    expect_page(1, '1');
    EXPECT_EQ(play(), "10 PRINT 1\r");
    expect_page(0, 0);
    EXPECT_EQ(cas_in(), 0);
    EXPECT_EQ(cas_snapshot().bData, '\r');
    EXPECT_EQ(read_file(tape), "10 PRINT 1\r\n");
    run_cmd(cmd_cassette, {file("tape", "A\nB\r\nC\rD\r\r\nE\r")});
    EXPECT_EQ(play(), "A\rB\rC\rD\r\rE\r");

    EXPECT_EQ(run_cmd(cmd_cassette, {dir.file("new")}), "cassette file open\n");
    EXPECT_TRUE(file_exists(dir.file("new")) && read_file(dir.file("new")).empty());
    chmod(file("ro", "RO").c_str(), 0444);
    EXPECT_EQ(run_cmd(cmd_cassette, {dir.file("ro")}), "cassette file open\n");
    EXPECT_EQ(play(), "RO");
}

// Even addresses are the status register, odd ones the data register; only
// a read of a data register fetches. A store (a read-modify-write too) puts
// the register's value back and fetches nothing.
TEST_F(DevTest, CassetteRegistersByAddressParity)
{
    EXPECT_EQ(cas_out(1, 0x77) | cas_out(0, 0x77), 0); // no tape yet
    run_cmd(cmd_cassette, {file("tape", "abc")});
    EXPECT_EQ(cas_in(0) & cas_in(0xFE) & cas_in(0x80), 1);
    EXPECT_EQ(cas_out(0x21, 0x99), 'a');
    EXPECT_EQ(cas_out(0x20, 0xFF), 1);
    expect_page(1, 'a');
    EXPECT_EQ(cas_in(0xFF), 'a');
    EXPECT_EQ(cas_in(0x01), 'b');
    EXPECT_EQ(cas_in(0x41), 'c');
    expect_page(0, 0);
    EXPECT_EQ(cas_out(1, 0), 'c'); // the last byte received, at the end
    EXPECT_EQ(cas_out(2, 5), 0);
}

// 0x1A ends the tape until /r, or /r /c, rewinds it. A failed attach keeps
// the tape; closing leaves the waiting byte, which is then read once, and
// /r and no switch then only report. All this may happen while the CPU
// thread reads the tape.
TEST_F(DevTest, CassetteCommand)
{
    run_cmd(cmd_cassette, {file("tape", "AB\r\032CD\r\n")});
    EXPECT_EQ(play(), "AB\r");
    EXPECT_EQ(cas_in(), 0);
    EXPECT_EQ(run_cmd(cmd_cassette, {}, SW_R), "cassette file open\n");
    EXPECT_EQ(play(), "AB\r");
    EXPECT_EQ(run_cmd(cmd_cassette, {}, SW_R | SW_C), "cassette file open\n");
    EXPECT_EQ(cas_in(), 'A');
    for (const std::string& bad : {dir.file("no-such-dir/tape"), dir.path})
        EXPECT_EQ(run_cmd(cmd_cassette, {bad}),
                  "unable to open '" + bad + "' for cassette operations\n");
    expect_page(1, 'B');
    EXPECT_EQ(cas_in(), 'B'); // the tape goes on
    EXPECT_EQ(run_cmd(cmd_cassette, {}, SW_C), "cassette file closed\n");
    expect_page(1, '\r');
    EXPECT_EQ(cas_in(), '\r');
    expect_page(0, 0);
    EXPECT_EQ(cas_in(), 0);
    EXPECT_EQ(run_cmd(cmd_cassette, {}, SW_R), "cassette file closed\n");
    EXPECT_EQ(run_cmd(cmd_cassette, {}), "cassette file closed\n");
    expect_page(0, 0);

    std::string loop = file("loop", std::string(64, 'x'));
    std::atomic<bool> done{false};
    std::thread cpu([&] {
        while (!done)
            cas_in();
    });
    for (int i = 0; i < 300; i++) {
        run_cmd(cmd_cassette, {loop});
        run_cmd(cmd_cassette, {}, i & 1 ? SW_C : SW_R);
    }
    done = true;
    cpu.join();
}

} // namespace
