// The cassette interface's transmitter: `cassette /w` attaches an output
// file, status bit 1 tells the program that it may send, and the bytes it
// stores into the data register reach the file as a tape that reads back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cassette.h"
#include "devtest.h"
#include "cpu6502.h"
#include "memmap.h"
#include "shell.h"
#include "testutil.h"

namespace
{

using namespace std::string_literals;

// Runs `cassette` with these parameters and switches, as typed; returns
// what it printed.
std::string cassette(const std::vector<std::string>& words, uint32_t mask = 0)
{
    return run_cmd(cmd_cassette, words, mask);
}

// Instructions storing each byte at `offset` of the page, as the CPU thread
// makes them: the byte, then the hook, whose result stays in memory.
void send(const std::string& bytes, int offset = 1)
{
    for (char c : bytes) {
        abMem6502[CAS_BASE + offset] = static_cast<byte>(c);
        abMem6502[CAS_BASE + offset] = cas_write(offset, static_cast<byte>(c));
    }
}

// True when every status register of the page reads `status`.
bool status_reads(byte status)
{
    for (uint32_t i = 0; i <= CAS_END - CAS_BASE; i += 2)
        if (abMem6502[CAS_BASE + i] != status)
            return false;
    return true;
}

class CassetteOut : public DevFixture
{
};

// What the program stores reaches the file as text: CR as a newline, LF and
// NUL dropped, every other byte as it is; stores into a status register
// send nothing. A new file is created, an existing one appended to.
TEST_F(CassetteOut, StoredBytesBecomeLinesOfTheFile)
{
    const struct {
        const char* what;
        std::string before; // the file's contents before; "-" when missing
        std::string sent;
        std::string after;
    } cases[] = {
        {"a listing", "-",
         "\r\n10 PRINT 1\r\n\0\0"
         "20 GOTO 10\r\n"s,
         "\n10 PRINT 1\n20 GOTO 10\n"},
        {"appended", "10 REM\n", "20 END\r", "10 REM\n20 END\n"},
        {"no line end yet", "", "AB", "AB"},
        {"every other byte", "", "\x01\x08\x1a\x7f\xff\r", "\x01\x08\x1a\x7f\xff\n"},
        {"blank lines", "", "\r\r\n\r", "\n\n\n"},
    };
    for (const auto& c : cases) {
        SetUp();
        std::string name = dir.file("out.bas");
        remove(name.c_str());
        if (c.before != "-")
            write_file(name, c.before);
        EXPECT_EQ(cassette({name}, SW_W), "cassette file closed\ncassette output file open\n")
            << c.what;
        send(c.sent);
        send("XY", 0); // the status register: nothing sent
        send("Z", 0xFE);
        EXPECT_EQ(read_file(name), c.after.substr(0, c.after.rfind('\n') + 1)) << c.what;
        EXPECT_EQ(cassette({}, SW_C | SW_W), "cassette file closed\ncassette output file closed\n")
            << c.what;
        EXPECT_EQ(read_file(name), c.after) << c.what;
    }
}

// Bit 1 of every status register is set exactly while an output file is
// attached, beside bit 0 of the tape; the data registers keep the tape's
// byte whatever is sent.
TEST_F(CassetteOut, StatusBitOneWhileAttached)
{
    std::string out = dir.file("out"), tape = dir.file("tape");
    write_file(tape, "AB");
    EXPECT_TRUE(status_reads(0));
    send("?", 0);
    EXPECT_EQ(abMem6502[CAS_BASE], 0) << "a store into the status puts it back";
    cassette({out}, SW_W);
    EXPECT_TRUE(status_reads(2));
    send("?", 0x40);
    EXPECT_EQ(abMem6502[CAS_BASE + 0x40], 2);
    EXPECT_EQ(cassette({tape}), "cassette file open\ncassette output file open\n");
    EXPECT_TRUE(status_reads(3));
    send("Q", 0x81);
    EXPECT_EQ(abMem6502[CAS_BASE + 0x81], 'A') << "the data register keeps the waiting byte";
    abMem6502[CAS_BASE + 1] = 'A';
    cas_read(1); // the program takes 'A', 'B' waits
    cas_read(1); // takes 'B': the tape has ended
    EXPECT_TRUE(status_reads(2));
    EXPECT_EQ(cassette({}, SW_R), "cassette file open\ncassette output file open\n");
    EXPECT_TRUE(status_reads(3));
    // Closing the output alone keeps the tape; /c closes both.
    EXPECT_EQ(cassette({}, SW_C | SW_W), "cassette file open\ncassette output file closed\n");
    EXPECT_TRUE(status_reads(1));
    cassette({out}, SW_W);
    EXPECT_EQ(cassette({}, SW_C), "cassette file closed\ncassette output file closed\n");
    EXPECT_TRUE(status_reads(1)) << "closing the tape leaves its waiting byte";
    EXPECT_FALSE(cas_snapshot().fOutput);
    send("after close\r");
    EXPECT_EQ(read_file(out), "Q");
}

// Without an output file every report is the one line it always was; with
// /r the output stays like the tape. Bad requests print one line and change
// nothing: the file attached before stays attached.
TEST_F(CassetteOut, ReportsAndRefusals)
{
    std::string out = dir.file("out");
    EXPECT_EQ(cassette({}), "cassette file closed\n");
    EXPECT_EQ(cassette({}, SW_C), "cassette file closed\n");
    EXPECT_EQ(cassette({}, SW_C | SW_W), "cassette file closed\n");
    EXPECT_EQ(cassette({}, SW_W), "cassette /w requires a file name\n");
    cassette({out}, SW_W);
    EXPECT_EQ(cassette({}, SW_R | SW_C), "cassette file closed\ncassette output file open\n");
    for (const std::string& bad : {dir.file("no-such-dir/out"), dir.path}) {
        EXPECT_EQ(cassette({bad}, SW_W), "unable to open '" + bad + "' for cassette output\n");
        EXPECT_TRUE(cas_snapshot().fOutput);
    }
    EXPECT_EQ(cassette({}, SW_W), "cassette /w requires a file name\n");
    send("STILL\r");
    EXPECT_EQ(read_file(out), "STILL\n");
    // Replacing the output file closes the first one with all it was sent.
    send("PART");
    EXPECT_EQ(cassette({dir.file("second")}, SW_W),
              "cassette file closed\ncassette output file open\n");
    send("2\r");
    EXPECT_EQ(read_file(out), "STILL\nPART");
    EXPECT_EQ(read_file(dir.file("second")), "2\n");
}

// A file that cannot be written is reported once and detached: the status
// drops bit 1, so that the firmware stops sending, and nothing else changes.
TEST_F(CassetteOut, AWriteThatFailsDetachesTheFile)
{
    if (!file_exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(cassette({"/dev/full"}, SW_W), "cassette file closed\ncassette output file open\n");
    testing::internal::CaptureStdout();
    send("10 PRINT\r20 END\r");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "unable to write '/dev/full' for cassette output (No space left on device)\n");
    EXPECT_TRUE(status_reads(0));
    EXPECT_FALSE(cas_snapshot().fOutput);
    EXPECT_EQ(cassette({}), "cassette file closed\n");
}

} // namespace
