// Shared between the files of the shell only.
#pragma once

#include <string_view>

#include "lineedit.h"
#include "shell.h"

// Ctrl-C while command files run: they stop before their next line. Safe to
// call from any thread; does nothing while no command file runs.
void cmd_file_interrupt();

// Runs the command file named by `name` (the text after '@'); its lines go
// through cmd_loop in `line`. Returns the status of its last line run.
int cmd_file(const Cmd* table, const char* name, char* line, int size, const char* prompt);

// The command named by `word`: an exact match ignoring case, or the one entry
// whose name begins with it (case-sensitive). Null when unknown or ambiguous;
// *ambiguous tells which.
const Cmd* cmd_lookup(const Cmd* table, const char* word, bool* ambiguous);

// Tab at the prompt: the names of the commands for the line's first word;
// file names for a command file ('@') and for the parameters of the
// commands that take one (load, log, cassette), quoted where the
// interpreter needs it.
void cmd_complete(std::string_view before, EditCompletion* out);

// Starts line editing when the console is a terminal that can be edited
// on; false when it is read as before.
bool cmd_editor_open();
