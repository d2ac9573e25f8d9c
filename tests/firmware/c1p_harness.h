// A Challenger 1P booted in this process and driven as a person drives it:
// keys go in through the key events of the video window (translated by the
// window's own key translation and handed to the keyboard matrix), and the
// screen is read from video memory. Nothing here reads or writes the
// firmware's own variables.
//
// Used by the firmware tests, the firmware benchmarks and the c1p_run tool.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace c1p
{

// Starts from a fresh process state (memory cleared, no ROM images loaded,
// no breakpoints), then `go`: loads our ROM images, creates the machine with
// a headless window and runs it. With a cassette file, attaches it first.
// False when the machine could not be created.
bool boot(const std::string& cassette = "");
// Halts and closes the machine.
void shutdown();
// Runs one debugger command line as typed; returns what it printed.
std::string cmd(const std::string& line);

// Typing. A key is typed as the window sends it (a text-input event for a
// printable character, a key press for Return, Backspace, Escape), then the
// call waits until the machine has taken it: the key is released from the
// matrix and the program has scanned the keyboard a few times since, so that
// the same key can follow at once. This is as fast as keys can be typed
// without two of them being down together. '\n' and '\r' type Return, '\b'
// Backspace, '\x1b' Escape, '\x7f' the Delete key. False when a key was not
// taken in time (the CPU halted, or the program does not scan the keyboard).
bool type(std::string_view text, int timeoutMs = 5000);
// Ctrl with a letter (Ctrl-C: ctrl('C')), as the window sends it: Ctrl down,
// the key, Ctrl up once the key is taken.
bool ctrl(char letter, int timeoutMs = 5000);
// The host's Shift keys and Caps Lock (which toggles the machine's shift
// lock), as press and release events.
void shift(bool down, bool right = false);
void caps_lock();
// Types a whole program or a series of command lines: each line, then Return,
// then waits until the machine is idle again (see wait_idle), so that a line
// that prints for a while is finished before the next one is typed.
bool type_lines(std::string_view text, int timeoutMs = 10000);

// The screen: 32 rows of 32 raw character codes.
std::vector<std::string> screen_raw();
// Row r as text: codes 0x20..0x7E as they are, any other code as a blank,
// trailing blanks removed.
std::string row(int r);
// The whole screen as text: every row as row() gives it, each ended by '\n',
// empty rows at the bottom left out.
std::string screen_text();
// The last non-empty row of the screen (as row() gives it).
std::string last_line();
// Screen text (as screen_text() gives it) without a final "OK" line, BASIC's
// prompt.
std::string without_ok(std::string text);

// Waits until `text` stands on the screen (within one row); false on time-out.
bool wait_for(std::string_view text, int timeoutMs = 5000);
// Waits until the machine is idle: the screen has stayed the same while the
// program went on scanning the keyboard for a while. False on time-out (the
// program keeps printing, computes without scanning, or has stopped).
bool wait_idle(int timeoutMs = 5000);

// The machine's instruction counter (wraps at 2^32; take differences).
uint32_t instructions();
// True while the CPU runs.
bool running();

// BASIC. boot_basic boots (with the cassette file, if any) and types "C" at
// the boot prompt; true once BASIC's OK prompt stands and the machine is
// idle. wait_ok waits until the last row is the OK prompt and the machine is
// idle (a program that computes without printing looks idle to wait_idle,
// since BASIC checks for Ctrl-C all the while, so the prompt itself is
// awaited). basic_line types a direct line after a statement that clears
// the screen and gives what the screen shows once BASIC is back at its
// prompt, without the final OK.
bool boot_basic(const std::string& cassette = "");
bool wait_ok(int timeoutMs = 30000);
std::string basic_line(const std::string& line, int timeoutMs = 30000);

} // namespace c1p
