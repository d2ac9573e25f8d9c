// The cassette interface: host files read and written through the serial
// port page.
#pragma once

#include "cpu.h"

struct Switches;

// After the program has read the register at `offset` of the page: a read
// of a data register took the waiting byte, so the next one is fetched.
// Returns the register as it reads now.
byte cas_read(int offset);
// After the program has stored `value` into the register at `offset`: a
// store into a data register sends the byte to the output file, if one is
// attached. Returns what the register reads, to be put back.
byte cas_write(int offset, byte value);
int cmd_cassette(int argc, char** argv, const Switches* sw);

// A copy of the interface's state as it is now.
struct CasSnapshot {
    bool fAttached; // a tape is attached
    byte bData;     // the byte waiting in the data register, or the last one
    int cbData;     // 1 while a byte waits
    bool fOutput;   // an output file is attached
};
CasSnapshot cas_snapshot();
// The interface as at start: no tape and no output file (attached ones are
// closed), no byte waiting. The register page in memory is left as it is.
void cas_reset();
