// The console on a Linux terminal: telling a terminal from redirected input,
// the window title, and Ctrl-C.
//
// Ctrl-C becomes a dedicated signal thread: SIGINT is blocked in every thread
// (it is blocked before any thread is created, and threads inherit the mask)
// and one thread waits for it with sigwait. On SIGINT it calls the handler it
// was given and then cuts the main thread's pending console read short: the
// reader waits with poll on standard input and on a self-pipe, to which the
// signal thread writes one byte while a read is pending. The same thread
// takes SIGCONT, so that a read under way learns that the program was
// stopped (Ctrl-Z) and goes on. Ctrl-\, Ctrl-Z, SIGTERM and SIGHUP keep
// their default actions.
#pragma once

#include <cstddef>

// True when standard input is a terminal.
bool plat_stdin_is_console();
// True when standard output is a terminal.
bool plat_stdout_is_console();
// Sets the terminal's title with the xterm sequence, when standard output is
// a terminal.
void plat_set_title(const char* title);

// Blocks SIGINT in the calling thread (call before any thread exists) and
// starts the thread that calls `handler` on every Ctrl-C.
bool plat_ctrlc_init(void (*handler)());

// Results of plat_console_read.
constexpr int CONSOLE_INTERRUPTED = -2; // cut short by Ctrl-C
constexpr int CONSOLE_EOF = -1;         // end of input (Ctrl-D) or a read error
constexpr int CONSOLE_TOO_LONG = -3;    // the line did not fit; it was read to its end and dropped
constexpr int CONSOLE_CONTINUED = -4;   // the program was stopped (Ctrl-Z) and goes on

// Marks the start of a console read, before its prompt is printed: a Ctrl-C
// from then on cuts the read short, even one that arrives before the read
// itself has begun.
void plat_console_arm();

// Waits for one byte from the terminal, or for a Ctrl-C. Returns 1 with the
// byte in *b, 0 at the end of input (or on a read error),
// CONSOLE_INTERRUPTED, or CONSOLE_CONTINUED when the program has been
// stopped and continued meanwhile (a line editor then sets up the terminal
// again). A line read byte by byte (by the line editor) stays
// armed from plat_console_arm to plat_console_disarm, so that a Ctrl-C
// between two bytes still cuts it short.
int plat_console_getbyte(unsigned char* b);
// Ends a read that plat_console_arm began: a Ctrl-C from now on only halts.
void plat_console_disarm();
// While set, a Ctrl-C during a read is shown as "^C" before anything else
// is printed, as a terminal that echoes by itself shows it: for a line
// editor, which has the terminal's own echo off.
void plat_console_echo_ctrlc(bool on);

// Reads one line from the terminal into `line` as fgets would (at most
// size - 1 bytes, the newline included, NUL-terminated). Returns the number
// of bytes read, or one of the results above. A line that does not fit
// (no newline within size - 1 bytes) is read on to its newline and dropped.
int plat_console_read(char* line, int size);
