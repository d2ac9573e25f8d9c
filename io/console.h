// The output service beneath everything that prints: console output and its
// level, the log file it copies to, the prompt, and what every command
// handler receives (Switches) and is (PfnCmd). It knows nothing of the
// layers above it; the console's Ctrl-C is handed to whatever handler the
// program registers at start-up.
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

// The prompt of the command loop, also printed after a stop that the CPU
// reports on its own, and the mark of a recorded command in a log file.
extern const char* const PROMPT; // "[C1P] "

// Prepares the console: line-buffered output, the title, and Ctrl-C, which
// calls `pfnCtrlC` on a thread of its own (and cuts a pending console read
// short). Failures of the console calls are not reported.
bool con_init(void (*pfnCtrlC)());

// The one formatted-output routine of the program: to the console while the
// output level is above 0, and to the log file while logging is enabled.
// Safe to call from any thread.
int con_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A report that another thread makes on its own (the window's screenshot,
// the running machine's cassette output): printed as con_printf prints it,
// but while the command loop waits at the prompt it starts on a fresh line
// and the prompt is shown again after it.
int con_report(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Set by the command loop while it waits for a line at the prompt.
void con_set_prompting(bool fPrompting);
// Lower and raise the output level: between the two, output reaches only
// the log ("logged" output).
void con_disable();
void con_enable();
// True when output reaches the console or the log.
bool con_active();

// The log file: one lock guards it against con_printf on other threads.
bool log_active(); // a log file is open and logging is enabled
bool log_is_open();
int log_enabled();
void log_set_enabled(int value);
// The line and "\n", when logging is active.
void log_write_line(const char* line);
// The text as it stands, when logging is active: the prompt that a line
// editor shows on the screen itself.
void log_write_text(const char* text);
// Puts `pfileNew` (or none) in place of the log file; returns the previous
// one, which the caller closes.
FILE* log_replace(FILE* pfileNew);
// Opens the file `name` for writing (created, or truncated) with `firstLine`
// as its first line and puts it in place of the log file; returns the
// previous one, which the caller closes. The previous file is flushed first,
// under the log's lock, so that nothing it held back is written after the
// truncation when both name the same file. Null when `name` cannot be
// opened (*pfOpened false; the log stays as it was).
FILE* log_open(const char* name, const char* firstLine, bool* pfOpened);
