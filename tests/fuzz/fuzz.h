// What the fuzz targets share: a scratch directory, file opening confined to
// it while an input runs, quiet output, a machine kept for the targets that
// run commands, and the program's state put back between inputs.
//
// Each target defines LLVMFuzzerTestOneInput. Built with -DTESSALY_FUZZ=ON
// (clang) it is a libFuzzer program; otherwise fuzz_main.cpp runs it once
// over each file of its corpus and of its regressions, as a test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz
{

// Once per process: makes the scratch directory (removed at exit), sends
// standard output to /dev/null and takes standard input from it, builds the
// opcode descriptor array and, with `machine`, creates the virtual machine
// (headless) that the input's commands then use.
void setup(bool machine);

// While an object lives, fopen takes only plain file names (no '/', not "."
// or "..") and opens them in the scratch directory: an input can neither
// read nor write anything else.
struct Confined {
    Confined();
    ~Confined();
};

// Writes a file into the scratch directory.
void write_file(const char* name, const uint8_t* data, size_t size);
// Removes every file of the scratch directory.
void clear_files();

// Runs command lines through the command loop: the line `first` (empty:
// read lines from standard input until its end), once or on. The command
// table is the real one, but `create` and `close` do nothing (the machine of
// setup stays), trace counts and unassembly lengths beyond a few thousand
// are refused, and a trace gets a Ctrl-C every 200 ms, the input's lines
// every 250 ms (files that name each other many times ask for more
// lines than anyone waits for): no input runs for minutes. Files are
// confined meanwhile.
void run_lines(const char* first, int once);

// After an input that ran commands: the CPU halted, no breakpoints, no log
// and no cassette, memory and registers cleared.
void reset_machine();

// Ends the process with a message when a property of the program does not
// hold: libFuzzer takes the abort for a crash and keeps the input.
void check(bool ok, const char* what);

} // namespace fuzz
