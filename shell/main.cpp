// The program's entry: console set-up, the opcode descriptor array, the
// command line, the command loop, and the way out.
#include <cstdlib>

#include "shell.h"
#include "shell_internal.h"
#include "vm.h"

// Ctrl-C, registered with the console at start-up: stops the command files
// being run and halts a running CPU (which reports the stop itself); the
// pending console read is then cut short by the platform layer.
static void cmd_ctrlc()
{
    cmd_file_interrupt();
    cmd_halt(0, nullptr, nullptr);
}

int main(int argc, char** argv)
{
    if (!con_init(cmd_ctrlc) || !cpu6502_init()) {
        con_printf("initialization error\n");
        exit(-1);
    }
    // At a terminal, lines are read with editing and history. The editor
    // is set up before the command line can start the machine's threads.
    cmd_editor_open();
    int status = 0;
    if (opt_parse(argc, argv, &status)) {
        // One byte beyond the longest line read, for the blank that the
        // interpreter inserts after a leading letter and digit ('t5').
        static char line[CMD_LINE_SIZE + 1];
        status = cmd_loop(aCmdTable, line, CMD_LINE_SIZE, PROMPT, 0);
    }
    cpu6502_close(0, nullptr, nullptr);
    exit(status);
}
