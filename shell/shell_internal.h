// Shared between the files of the shell only.
#pragma once

#include "shell.h"

// Ctrl-C while command files run: they stop before their next line. Safe to
// call from any thread; does nothing while no command file runs.
void cmd_file_interrupt();

// Runs the command file named by `name` (the text after '@'); its lines go
// through cmd_loop in `line`. Returns the status of its last line run.
int cmd_file(const Cmd* table, const char* name, char* line, int size, const char* prompt);
