// Line editing at a terminal, through libedit: cursor keys, a history kept
// across sessions in a file under the XDG state directory, and Tab
// completion by a function that the program registers.
//
// The editor reads its bytes through plat_console_getbyte, so that Ctrl-C
// cuts an edit short exactly as it cuts a plain console read short. It is
// used only when standard input is a terminal that can be edited on; any
// other input is read as before, byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What Tab may put in place of the word before the cursor.
struct EditCompletion {
    size_t start = 0;                    // the word starts here in the text before the cursor
    std::vector<std::string> candidates; // each a whole replacement of the word
    std::vector<std::string> shown;      // what a listing shows of each
};

// Fills `out` for the text before the cursor; no candidates: nothing fits.
typedef void (*PfnEditComplete)(std::string_view before, EditCompletion* out);

// How many lines the history keeps.
constexpr int HISTORY_SIZE = 1000;

// The history file for these values of XDG_STATE_HOME and HOME (either may
// be null): {state}/tessaly/history, where {state} is XDG_STATE_HOME when it
// is an absolute path and {home}/.local/state otherwise. Empty when neither
// names a place.
std::string ledit_history_file(const char* xdgStateHome, const char* home);

// Starts line editing when standard input and output are a terminal and
// TERM names one that can be edited on (set, and not "dumb"); loads the
// history from its file. False when the console is to be read as before.
bool ledit_open(PfnEditComplete pfnComplete);
bool ledit_active();

// Reads one line as plat_console_read does (the newline included), showing
// `prompt` before it; the same results.
int ledit_read(const char* prompt, char* line, int size);

// Adds a line to the history and appends it to the history file.
void ledit_remember(const char* line);

// The history file's path (empty when none could be named), and the error
// (errno) of the last failure to create, read or write it, 0 when none. A
// failure never stops line editing: the history is then kept for the
// session only.
const std::string& ledit_history_path();
int ledit_history_error();

// Completion for a word: the longest text that all candidates begin with,
// cut back to a whole character.
std::string ledit_common_prefix(const std::vector<std::string>& candidates);
