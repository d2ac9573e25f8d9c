// The cassette interface: the receiving side of the serial port in page
// 0xF000..0xF0FF, with a host file in place of the tape.
//
// Every even address of the page is the status register (bit 0: a byte is
// waiting), every odd address the data register. Reading a data register
// takes the waiting byte and fetches the next one from the file. Nothing is
// ever transmitted or written to the file.
//
// The `cassette` command runs on the main thread while the CPU thread reads
// and writes the registers; one mutex guards the stream and the interface
// state, so that closing or replacing the file can never race a fetch. The
// command also refills the register page, which is emulated memory: it does
// so holding the machine (taken before the cassette's lock), between two
// instructions of a running CPU.
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "cassette.h"
#include "console.h"
#include "cpu6502.h"
#include "lock.h"
#include "memmap.h"

// The interface's state, all of it guarded by mtx.
struct CasState {
    std::mutex mtx;
    FILE* pfileCassette; // the tape; null when none is attached
    byte bCasData;       // the byte waiting in the data register, or the last one
    int cbCasData;       // 1 while a byte waits
    bool fCasEnded;      // a 0x1A byte ended the tape; cleared by rewinding or attaching
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

static void cas_fetch_locked()
{
    if (!casState.pfileCassette)
        return;
    byte b = 0;
    casState.cbCasData = cas_getc(&b) ? 1 : 0;
    if (casState.cbCasData) {
        if (b == '\n')
            b = '\r'; // every line end reaches the machine as one CR
        casState.bCasData = b;
    }
    byte* page = cpu6502.mem + CAS_BASE;
    for (uint32_t i = 0; i <= CAS_END - CAS_BASE; i += 2) {
        page[i] = static_cast<byte>(casState.cbCasData);
        page[i + 1] = b;
    }
}

CasSnapshot cas_snapshot()
{
    std::lock_guard<std::mutex> lock(casState.mtx);
    return CasSnapshot{casState.pfileCassette != nullptr, casState.bCasData, casState.cbCasData};
}

void cas_reset()
{
    std::lock_guard<std::mutex> lock(casState.mtx);
    if (casState.pfileCassette)
        fclose(casState.pfileCassette);
    casState.pfileCassette = nullptr;
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

byte cas_write(int offset, byte)
{
    std::lock_guard<std::mutex> lock(casState.mtx);
    if (offset & 1)
        return casState.bCasData;
    return casState.cbCasData ? 1 : 0;
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
// write-protected file is opened for reading only, since the interface never
// writes. An existing file is never truncated: "x" refuses to create over a
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

int cmd_cassette(int argc, char** argv, const Switches* sw)
{
    uint32_t mask = sw ? sw->mask : 0;
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
    con_printf("cassette file %s\n", casState.pfileCassette ? "open" : "closed");
    return 0;
}
