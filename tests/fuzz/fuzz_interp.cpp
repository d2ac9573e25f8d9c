// The command interpreter as a user meets it: the input is redirected
// standard input, read line by line (lines of any length, any bytes,
// '@' command files included) and run against a created machine. A `go`
// leaves the CPU running under the lines that follow.
#include <cstdio>
#include <cstring>

#include "fuzz.h"
#include "shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(true);
    if (size == 0 || size > 256 * 1024)
        return 0;
    FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!in)
        return 0;
    FILE* saved = stdin;
    stdin = in;
    fuzz::run_lines("", 0);
    stdin = saved;
    fclose(in);
    fuzz::reset_machine();
    return 0;
}
