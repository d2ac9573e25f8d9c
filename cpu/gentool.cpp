// The build's opcode-function generator: writes the source of the opcode
// functions and the dispatch table to the file named by its one argument,
// exactly as "tessaly -gc:{file}" writes it. The build compiles that file
// into the program.
#include <cstdarg>
#include <cstdio>

#include "console.h"
#include "cpu6502.h"

// The generator's messages go to standard error.
int con_printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vfprintf(stderr, format, args);
    va_end(args);
    return n;
}

int main(int argc, char** argv)
{
    if (argc != 2 || !*argv[1]) {
        fprintf(stderr, "usage: %s {file}\n", argc > 0 ? argv[0] : "gen6502");
        return 2;
    }
    return gen_opcode_funcs(argv[1]) == -1 ? 0 : 1;
}
