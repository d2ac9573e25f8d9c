// The command shell: command table and interpreter, options, console output,
// log file and command files.
#pragma once

#include <cstdint>
#include <cstdio>

// The switch block built for each parsed line; all zero before each line.
struct Switches {
    uint32_t mask;       // bit n: switch letter 'a'+n given
    uint32_t valued;     // bit n: given as '/x:value' with a number
    uint32_t value[26];  // the number given with letter 'a'+n
    uint32_t second[26]; // bit m of second[n]: two-letter switch 'a'+n 'a'+m
};

// Bits of Switches::mask, by letter.
constexpr uint32_t SW_C = 1u << ('c' - 'a');
constexpr uint32_t SW_D = 1u << ('d' - 'a');
constexpr uint32_t SW_E = 1u << ('e' - 'a');
constexpr uint32_t SW_H = 1u << ('h' - 'a');
constexpr uint32_t SW_I = 1u << ('i' - 'a');
constexpr uint32_t SW_L = 1u << ('l' - 'a');
constexpr uint32_t SW_P = 1u << ('p' - 'a');
constexpr uint32_t SW_Q = 1u << ('q' - 'a');
constexpr uint32_t SW_R = 1u << ('r' - 'a');
constexpr uint32_t SW_T = 1u << ('t' - 'a');
constexpr uint32_t SW_V = 1u << ('v' - 'a');
constexpr uint32_t SW_W = 1u << ('w' - 'a');

// A command handler: argc counts the command word and the parameters,
// argv[0] is the command word as typed. Returns 0 when done.
typedef int (*PfnCmd)(int argc, char** argv, const Switches* sw);

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
extern const char* const PROMPT;    // "[C1P] "

// A line read into a buffer of `size` bytes holds at most size - 2
// characters and its newline (1022 in the shared buffer). A longer line is
// refused whole: none of it runs and its rest is read and dropped up to the
// newline, so that no tail of it ever reads as a line of its own.
constexpr int CMD_LINE_TOO_LONG = -2;
// Reads one line from `file` as described above, without its newline.
// Returns its length, -1 at the end of the file, or CMD_LINE_TOO_LONG (the
// buffer then holds the line's first characters).
int cmd_readline(FILE* file, char* line, int size);
// The one message for a refused line.
void cmd_too_long(int size);

int cmd_loop(const Cmd* table, char* line, int size, const char* prompt, int once);
int cmd_getline(char* line, int size);
int cmd_parse(const Cmd* table, char* line, int* result);

bool opt_parse(int argc, char** argv);
int opt_help(const char* value);
int opt_nologo(const char* value);

// Console output: the one formatted-output routine of the program. Safe to
// call from any thread.
int con_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void con_disable();
void con_enable();
bool con_active();
bool log_active();
bool con_init();

// The `log` command.
int cmd_log(int argc, char** argv, const Switches* sw);
