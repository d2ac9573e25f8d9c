// The command shell: command table and interpreter, options, the command
// loop, log file and command files.
#pragma once

#include <cstdint>
#include <cstdio>

#include "console.h"

// One entry of a command's switch table: the first entry holds the usage
// line (help null), the others a switch ("/c", "/h:#") and its help.
struct CmdSwitch {
    const char* text;
    const char* help;
};

// One entry of the command table.
struct Cmd {
    const char* name;
    const char* help;
    const CmdSwitch* switches;
    PfnCmd handler;
    int32_t minParams;
    uint32_t maxParams; // 0xFFFFFFFF: no limit
};

constexpr uint32_t NO_LIMIT = 0xFFFFFFFFu;

// The command table, ended by an entry whose name is null.
extern const Cmd aCmdTable[];

// A command-line option handler: > 0 go on, < 0 go on but do not run the
// command loop, 0 stop at once.
typedef int (*PfnOption)(const char* value);

struct Option {
    const char* name;
    const char* help;
    PfnOption handler;
};

// The option table.
extern const Option aOptionTable[];

constexpr int CMD_LINE_SIZE = 1024; // the shared line buffer

// A line read into a buffer of `size` bytes holds at most size - 2
// characters and its newline (1022 in the shared buffer). A longer line is
// refused whole: none of it runs and its rest is read and dropped up to the
// newline, so that no tail of it ever reads as a line of its own.
constexpr int CMD_LINE_TOO_LONG = -2;
// Reads one line from `file` as described above, without its newline (LF,
// or CR LF).
// Returns its length, -1 at the end of the file, or CMD_LINE_TOO_LONG (the
// buffer then holds the line's first characters).
int cmd_readline(FILE* file, char* line, int size);
// The one message for a refused line.
void cmd_too_long(int size);

int cmd_loop(const Cmd* table, char* line, int size, const char* prompt, int once);
// Reads a line from the console or from redirected input. At a terminal
// with line editing, the editor shows `prompt` (none when null); elsewhere
// the caller has printed it.
int cmd_getline(char* line, int size, const char* prompt);
int cmd_parse(const Cmd* table, char* line, int* result);

// Works through the command-line arguments: options, and commands written
// as options. True when the command loop is to run; *status is the exit
// status otherwise.
bool opt_parse(int argc, char** argv, int* status);
int opt_help(const char* value);
int opt_nologo(const char* value);

// The `log` command.
int cmd_log(int argc, char** argv, const Switches* sw);
