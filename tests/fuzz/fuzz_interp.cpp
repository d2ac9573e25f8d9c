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
    {
        fuzz::Confined confined;
        static char line[CMD_LINE_SIZE + 1];
        line[0] = 0;
        cmd_loop(fuzz::command_table(), line, CMD_LINE_SIZE, PROMPT, 0);
        fuzz::check(line[CMD_LINE_SIZE] == 0, "the line buffer's last byte stays free");
    }
    stdin = saved;
    fclose(in);
    fuzz::reset_machine();
    return 0;
}
