// The command loop: lines from the console, from redirected input or from
// command files, each run through the interpreter.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <strings.h>

#include "console_posix.h"
#include "lineedit.h"
#include "platform.h"
#include "shell.h"
#include "shell_internal.h"

int cmd_readline(FILE* file, char* line, int size)
{
    // Byte by byte, so that a NUL byte in a line cannot hide where it ends.
    // A line may end in CR LF, as files written on other systems do; a CR
    // elsewhere stays in the line.
    int len = 0, c;
    bool tooLong = false;
    while ((c = getc(file)) != EOF && c != '\n') {
        if (c == '\r') {
            int next = getc(file);
            if (next == '\n') {
                c = next;
                break;
            }
            if (next != EOF)
                ungetc(next, file);
        }
        if (len < size - 2)
            line[len++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    line[len] = 0;
    if (c == EOF && len == 0 && !tooLong)
        return -1;
    return tooLong ? CMD_LINE_TOO_LONG : static_cast<int>(strlen(line));
}

void cmd_too_long(int size)
{
    con_printf("line too long (more than %d characters), ignored\n", size - 2);
}

// The state of the console's line editor, as the loop sees it.
struct LoopState {
    bool fHistoryNoticed; // a failure of the history file has been reported
};
static LoopState loopState;

// A failure of the history file is reported once, before the next prompt:
// line editing goes on, with a history for this session only.
static void cmd_history_notice()
{
    int err = ledit_history_error();
    if (err == 0 || loopState.fHistoryNoticed)
        return;
    loopState.fHistoryNoticed = true;
    con_printf("history file %s: %s; history is kept for this session only\n",
               ledit_history_path().c_str(), strerror(err));
}

bool cmd_editor_open()
{
    return ledit_open(cmd_complete);
}

int cmd_getline(char* line, int size, const char* prompt)
{
    int len;
    if (plat_stdin_is_console()) {
        bool editing = ledit_active();
        con_set_prompting(true);
        len = editing ? ledit_read(prompt, line, size) : plat_console_read(line, size);
        con_set_prompting(false);
        if (len == CONSOLE_INTERRUPTED) {
            line[0] = 3;
            line[1] = 0;
            fflush(stdout);
            con_printf("\n");
            con_printf("<Ctrl-C>\n");
            return 1;
        }
        // Ctrl-D (or a terminal that is gone) ends the session as the end of
        // redirected input does, rather than prompting forever.
        if (len == CONSOLE_EOF) {
            con_printf("quit\n");
            return -1;
        }
        if (len == CONSOLE_TOO_LONG) {
            len = CMD_LINE_TOO_LONG;
        } else {
            len = static_cast<int>(strlen(line));
            if (len > 0 && line[len - 1] == '\n')
                line[--len] = 0;
            if (editing)
                ledit_remember(line);
        }
    } else {
        len = cmd_readline(stdin, line, size);
        if (len == -1) {
            con_printf("quit\n");
            return -1;
        }
        // Echoed after its prompt, as if typed; a refused line is not.
        con_printf("%s\n", len == CMD_LINE_TOO_LONG ? "" : line);
    }
    if (len == CMD_LINE_TOO_LONG) {
        // The line becomes an empty one, which runs nothing. The log gets no
        // part of it, so that a replay of the log cannot run one either.
        line[0] = 0;
        log_write_line("");
        cmd_too_long(size);
        return 0;
    }
    log_write_line(line);
    return len;
}

int cmd_loop(const Cmd* table, char* line, int size, const char* prompt, int once)
{
    bool waiting = line[0] != 0;
    int status = 0;
    for (;;) {
        bool console = !waiting && plat_stdin_is_console();
        if (console)
            plat_console_arm();
        // A line editor shows the prompt itself (and shows it again as it
        // redraws the line); the log still gets it before the line.
        bool editing = console && ledit_active();
        if (editing)
            cmd_history_notice();
        if (prompt && editing)
            log_write_text(prompt);
        else if (prompt)
            con_printf("%s", prompt);
        if (waiting)
            con_printf("%s\n", line);
        else if (cmd_getline(line, size, prompt) == -1)
            break;
        waiting = false;
        if (line[0] == '@') {
            status = cmd_file(table, line + 1, line, size, prompt);
        } else if (cmd_parse(table, line, &status) == -1) {
            break;
        }
        if (once)
            break;
    }
    return status;
}

// Command files may name other command files; a file that names itself
// (directly or through others) stops at this depth instead of recursing
// until no more files can be opened.
constexpr int MAX_FILE_DEPTH = 16;

// The state of the command files being run.
struct CmdFileState {
    int cFileDepth;                    // how many run, one inside the other
    std::atomic<int> cFileDepthShared; // the same, for the Ctrl-C thread
    // Set by Ctrl-C: the command files being run stop before their next
    // line. Files that name each other several times can ask for more lines
    // than anyone would wait for; Ctrl-C is the way out.
    std::atomic<bool> fFileInterrupt;
};
static CmdFileState cmdFileState;

void cmd_file_interrupt()
{
    if (cmdFileState.cFileDepthShared.load() > 0)
        cmdFileState.fFileInterrupt = true;
}

int cmd_file(const Cmd* table, const char* name, char* line, int size, const char* prompt)
{
    // The name lives in the shared line buffer, which the file's lines
    // overwrite.
    std::string file(name);
    if (cmdFileState.cFileDepth >= MAX_FILE_DEPTH) {
        con_printf("command files nested too deeply (more than %d): %s\n", MAX_FILE_DEPTH,
                   file.c_str());
        return 0;
    }
    FilePtr pfile(fopen(file.c_str(), "r"));
    if (!pfile) {
        con_printf("file not found: %s\n", file.c_str());
        return 0;
    }
    const int cchPrompt = static_cast<int>(strlen(PROMPT));
    // A recorded command stands behind its prompt: the file's lines are read
    // with room for the prompt as well, so that a command that was accepted
    // at the prompt is accepted again when its log is replayed.
    std::vector<char> raw(size + cchPrompt);
    bool replay = false;
    int status = 0;
    if (cmdFileState.cFileDepth == 0)
        cmdFileState.fFileInterrupt = false;
    cmdFileState.cFileDepth++;
    cmdFileState.cFileDepthShared = cmdFileState.cFileDepth;
    // A line is read as at the prompt: one that does not fit is refused
    // whole, where it would run (its rest is dropped, and no tail of it can
    // pass for a line of its own); recorded output is skipped whatever its
    // length.
    for (int len;
         (len = cmd_readline(pfile.get(), raw.data(), static_cast<int>(raw.size()))) != -1;) {
        if (cmdFileState.fFileInterrupt.load())
            break;
        const char* text = raw.data();
        bool prompted = strncmp(text, PROMPT, cchPrompt) == 0;
        if (!replay) {
            if (prompted) {
                replay = true;
                continue;
            }
        } else {
            if (!prompted)
                continue;
            text += cchPrompt;
            if (len != CMD_LINE_TOO_LONG)
                len -= cchPrompt;
            if (strncasecmp(text, "log", 3) == 0)
                continue;
        }
        if (len == CMD_LINE_TOO_LONG || len > size - 2) {
            cmd_too_long(size);
            continue;
        }
        memcpy(line, text, len + 1);
        // An empty line (or a bare prompt) is skipped: a command file never
        // stops to read a command from the console.
        if (line[0] == 0)
            continue;
        status = cmd_loop(table, line, size, prompt, 1);
    }
    cmdFileState.cFileDepth--;
    cmdFileState.cFileDepthShared = cmdFileState.cFileDepth;
    if (cmdFileState.cFileDepth == 0 && cmdFileState.fFileInterrupt.exchange(false))
        con_printf("command file interrupted: %s\n", file.c_str());
    return status;
}
