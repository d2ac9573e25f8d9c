// The cassette interface: the serial port in page 0xF000..0xF0FF, with a
// host file in place of the tape for each direction.
//
// Every even address of the page is the status register, every odd address
// the data register. Status bit 0 says that a received byte is waiting:
// reading a data register takes it and fetches the next one from the input
// file. Bit 1 says that the transmitter takes a byte: it is set while an
// output file is attached, and each byte stored into a data register then
// goes to that file (a CR as a newline; LF and NUL, which a listing sends as
// padding, are dropped), so that the file reads back as a tape.
//
// The `cassette` command runs on the main thread while the CPU thread reads
// and writes the registers; one mutex guards the streams and the interface
// state, so that closing or replacing a file can never race a fetch or a
// send. The command also refills the register page, which is emulated
// memory: it does so holding the machine (taken before the cassette's lock),
// between two instructions of a running CPU.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "cassette.h"
#include "console.h"
#include "cpu6502.h"
#include "lock.h"
#include "memmap.h"

// Bits of the status register.
constexpr byte CAS_WAITING = 0x01;  // a received byte waits in the data register
constexpr byte CAS_CAN_SEND = 0x02; // the transmitter takes a byte

// The interface's state, all of it guarded by mtx.
struct CasState {
    std::mutex mtx;
    FILE* pfileCassette;   // the tape; null when none is attached
    byte bCasData;         // the byte waiting in the data register, or the last one
    int cbCasData;         // 1 while a byte waits
    bool fCasEnded;        // a 0x1A byte ended the tape; cleared by rewinding or attaching
    FILE* pfileOutput;     // the file the transmitter writes; null when none is attached
    std::string strOutput; // its name, for the message when writing fails
};
static CasState casState;

// The rest of this file works with casState.mtx held, but for cmd_cassette.

// Reads the next byte of the tape, applying the two text-mode rules
// ourselves: CR LF is read as LF, and a 0x1A byte ends the file until it is
// rewound. False at the end of the tape or on a read error.
static bool cas_getc(byte* b)
{
    if (casState.fCasEnded)
        return false;
    int c = getc(casState.pfileCassette);
    if (c == '\r') {
        int next = getc(casState.pfileCassette);
        if (next == '\n')
            c = '\n';
        else if (next != EOF)
            ungetc(next, casState.pfileCassette);
    }
    if (c == EOF)
        return false;
    if (c == 0x1A) {
        casState.fCasEnded = true;
        return false;
    }
    *b = static_cast<byte>(c);
    return true;
}

static byte cas_status_locked()
{
    return (casState.cbCasData ? CAS_WAITING : 0) | (casState.pfileOutput ? CAS_CAN_SEND : 0);
}

static void cas_fetch_locked()
{
    // Detaching keeps a waiting byte waiting; once the program has read it,
    // nothing more arrives and the status drops, as at the end of a tape
    // (the program must not receive that byte again and again).
    if (!casState.pfileCassette && !casState.cbCasData)
        return;
    byte b = 0;
    casState.cbCasData = casState.pfileCassette && cas_getc(&b) ? 1 : 0;
    if (casState.cbCasData) {
        if (b == '\n')
            b = '\r'; // every line end reaches the machine as one CR
        casState.bCasData = b;
    }
    byte* page = cpu6502.mem + CAS_BASE;
    const byte status = cas_status_locked();
    for (uint32_t i = 0; i <= CAS_END - CAS_BASE; i += 2) {
        page[i] = status;
        page[i + 1] = b;
    }
}

// Rewrites the status registers after the transmitter came or went; the
// data registers keep what they hold.
static void cas_refresh_status_locked()
{
    byte* page = cpu6502.mem + CAS_BASE;
    const byte status = cas_status_locked();
    for (uint32_t i = 0; i <= CAS_END - CAS_BASE; i += 2)
        page[i] = status;
}

// Detaches the output file, closing it. False when its last bytes could not
// be written.
static bool cas_close_output_locked()
{
    FILE* f = casState.pfileOutput;
    casState.pfileOutput = nullptr;
    return !f || fclose(f) == 0;
}

// Sends one byte to the output file: a CR ends the line (written as a
// newline, and the line flushed, so that the file can be read back at once
// and nothing is lost if the program ends), LF and NUL are dropped. Returns
// 0, or the error code when the file could not be written; it is then
// detached.
static int cas_send_locked(byte b)
{
    FILE* f = casState.pfileOutput;
    if (!f || b == '\n' || b == 0)
        return 0;
    errno = 0;
    bool ok = b == '\r' ? putc('\n', f) != EOF && fflush(f) == 0 : putc(b, f) != EOF;
    if (ok)
        return 0;
    int err = errno ? errno : EIO;
    cas_close_output_locked();
    cas_refresh_status_locked();
    return err;
}

CasSnapshot cas_snapshot()
{
    std::lock_guard<std::mutex> lock(casState.mtx);
    return CasSnapshot{casState.pfileCassette != nullptr, casState.bCasData, casState.cbCasData,
                       casState.pfileOutput != nullptr};
}

void cas_reset()
{
    std::lock_guard<std::mutex> lock(casState.mtx);
    if (casState.pfileCassette)
        fclose(casState.pfileCassette);
    casState.pfileCassette = nullptr;
    cas_close_output_locked();
    casState.bCasData = 0;
    casState.cbCasData = 0;
    casState.fCasEnded = false;
}

byte cas_read(int offset)
{
    offset &= CAS_END - CAS_BASE;
    std::lock_guard<std::mutex> lock(casState.mtx);
    // The program has already received the waiting byte: make the next
    // one wait. Reading the status register changes nothing.
    if (offset & 1)
        cas_fetch_locked();
    return cpu6502.mem[CAS_BASE + offset];
}

byte cas_write(int offset, byte value)
{
    offset &= CAS_END - CAS_BASE;
    std::string strFailed;
    int err = 0;
    byte result;
    {
        std::lock_guard<std::mutex> lock(casState.mtx);
        if (offset & 1) {
            if ((err = cas_send_locked(value)) != 0)
                strFailed = casState.strOutput;
            result = casState.bCasData;
        } else {
            result = cas_status_locked();
        }
    }
    // Reported outside the cassette's lock; the machine goes on with the
    // transmitter gone, which the firmware sees in the status.
    if (err)
        con_report("unable to write '%s' for cassette output (%s)\n", strFailed.c_str(),
                   strerror(err));
    return result;
}

void cas_stored(uint32_t ea)
{
    abMem6502[ea] = cas_write(static_cast<int>(ea - CAS_BASE), abMem6502[ea]);
}

void cas_loaded(uint32_t ea)
{
    cas_read(static_cast<int>(ea - CAS_BASE));
}

// Opens a tape for update, creating it empty when it does not exist. A
// write-protected file is opened for reading only, since a tape is only
// read. An existing file is never truncated: "x" refuses to create over a
// file that appeared in the meantime.
static FILE* cas_open(const char* name)
{
    FILE* f = fopen(name, "r+");
    if (!f && errno == ENOENT)
        f = fopen(name, "w+x");
    else if (!f && (errno == EACCES || errno == EROFS))
        f = fopen(name, "r");
    return f;
}

// The status report: the tape's line, then the output file's while one is
// attached (or when this command has just closed it).
static void cas_report(bool fOutputClosed)
{
    bool fInput, fOutput;
    {
        std::lock_guard<std::mutex> lock(casState.mtx);
        fInput = casState.pfileCassette != nullptr;
        fOutput = casState.pfileOutput != nullptr;
    }
    con_printf("cassette file %s\n", fInput ? "open" : "closed");
    if (fOutput || fOutputClosed)
        con_printf("cassette output file %s\n", fOutput ? "open" : "closed");
}

// Closes the output file; false (after a message) when its last bytes could
// not be written. The caller holds the machine.
static bool cas_detach_output()
{
    std::string strName;
    int err = 0;
    {
        std::lock_guard<std::mutex> lock(casState.mtx);
        if (!casState.pfileOutput)
            return true;
        strName = casState.strOutput;
        if (!cas_close_output_locked())
            err = errno;
        cas_refresh_status_locked();
    }
    if (err)
        con_printf("unable to write '%s' for cassette output (%s)\n", strName.c_str(),
                   strerror(err));
    return err == 0;
}

// `cassette /w {file}` attaches the file for output: created when missing,
// otherwise appended to, never truncated. `cassette /c /w` closes it alone.
static int cas_output_cmd(int argc, char** argv, uint32_t mask)
{
    if (argc < 2 && !(mask & SW_C)) {
        con_printf("cassette /w requires a file name\n");
        return 0;
    }
    MachineLock machine;
    bool fClosed = false;
    if (argc >= 2) {
        FILE* f = fopen(argv[1], "a");
        if (!f) {
            // The output file attached before, if any, stays attached.
            con_printf("unable to open '%s' for cassette output\n", argv[1]);
            return 0;
        }
        cas_detach_output();
        std::lock_guard<std::mutex> lock(casState.mtx);
        casState.pfileOutput = f;
        casState.strOutput = argv[1];
        cas_refresh_status_locked();
    } else {
        fClosed = cas_snapshot().fOutput;
        cas_detach_output();
    }
    cas_report(fClosed);
    return 0;
}

int cmd_cassette(int argc, char** argv, const Switches* sw)
{
    uint32_t mask = sw ? sw->mask : 0;
    if (mask & SW_W)
        return cas_output_cmd(argc, argv, mask);
    MachineLock machine;
    FILE* f = argc >= 2 ? cas_open(argv[1]) : nullptr;
    if (argc >= 2 && !f) {
        // The file attached before, if any, stays attached.
        con_printf("unable to open '%s' for cassette operations\n", argv[1]);
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(casState.mtx);
        FILE*& pfile = casState.pfileCassette;
        if (f) {
            if (pfile)
                fclose(pfile);
            pfile = f;
        }
        if (f || (mask & SW_R)) {
            // A tape attached or rewound plays from its start; /r wins over /c.
            if (pfile) {
                rewind(pfile);
                casState.fCasEnded = false;
                cas_fetch_locked();
            }
        } else if ((mask & SW_C) && pfile) {
            fclose(pfile);
            pfile = nullptr;
        }
    }
    // /c alone closes the output file too.
    bool fClosed = false;
    if ((mask & SW_C) && !(mask & SW_R) && !f) {
        fClosed = cas_snapshot().fOutput;
        cas_detach_output();
    }
    cas_report(fClosed);
    return 0;
}
