// The log file and command files.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "platform.h"
#include "shell.h"
#include "shell_internal.h"

// The `log` command: 'log {file}' opens a new log (and enables logging),
// '/d' disables, '/e' enables, '/c' closes; without either it reports.
int cmd_log(int argc, char** argv, const Switches* sw)
{
    int enabled = log_enabled();
    if (argc >= 2) {
        FILE* pfile = fopen(argv[1], "w");
        if (!pfile) {
            con_printf("unable to open '%s' for logging\n", argv[1]);
            return 0;
        }
        enabled = 1;
        // The first line reads like the command that opened the log, prompt
        // and all, so a replay of the log skips it as a recorded command.
        fprintf(pfile, "%slog %s\n", PROMPT, argv[1]);
        if (FILE* pfileOld = log_replace(pfile))
            fclose(pfileOld);
    } else if (sw->mask & SW_D) {
        enabled = 0;
    } else if (sw->mask & SW_E) {
        enabled = 1;
    } else if (sw->mask & SW_C) {
        if (FILE* pfileOld = log_replace(nullptr))
            fclose(pfileOld);
        con_printf("log file closed\n");
        return 0;
    }
    // The status line goes out while logging still has its old state, so it
    // reaches the log only when logging was enabled before the command.
    if (!log_is_open())
        con_printf("log file closed\n");
    else
        con_printf(enabled > 0 ? "logging enabled\n" : "logging disabled\n");
    log_set_enabled(enabled);
    return 0;
}

// Command files may name other command files; a file that names itself
// (directly or through others) stops at this depth instead of recursing
// until no more files can be opened.
constexpr int MAX_FILE_DEPTH = 16;
static int cFileDepth;
// The same, for the Ctrl-C thread.
static std::atomic<int> cFileDepthShared;
// Set by Ctrl-C: the command files being run stop before their next line.
// Files that name each other several times can ask for more lines than
// anyone would wait for; Ctrl-C is the way out.
static std::atomic<bool> fFileInterrupt;

void cmd_file_interrupt()
{
    if (cFileDepthShared.load() > 0)
        fFileInterrupt = true;
}

int cmd_file(const Cmd* table, const char* name, char* line, int size, const char* prompt)
{
    // The name lives in the shared line buffer, which the file's lines
    // overwrite.
    std::string file(name);
    if (cFileDepth >= MAX_FILE_DEPTH) {
        con_printf("command files nested too deeply (more than %d): %s\n", MAX_FILE_DEPTH,
                   file.c_str());
        return 0;
    }
    FilePtr pfile(fopen(file.c_str(), "r"));
    if (!pfile) {
        con_printf("file not found: %s\n", file.c_str());
        return 0;
    }
    const size_t cchPrompt = strlen(PROMPT);
    bool replay = false;
    int status = 0;
    if (cFileDepth == 0)
        fFileInterrupt = false;
    cFileDepth++;
    cFileDepthShared = cFileDepth;
    // A line is read as at the prompt: one that does not fit is refused
    // whole, where it would run (its rest is dropped, and no tail of it can
    // pass for a line of its own); recorded output is skipped whatever its
    // length.
    for (int len; (len = cmd_readline(pfile.get(), line, size)) != -1;) {
        if (fFileInterrupt.load())
            break;
        bool prompted = strncmp(line, PROMPT, cchPrompt) == 0;
        if (!replay) {
            if (prompted) {
                replay = true;
                continue;
            }
        } else {
            if (!prompted)
                continue;
            if (len == CMD_LINE_TOO_LONG) {
                cmd_too_long(size);
                continue;
            }
            memmove(line, line + cchPrompt, len - cchPrompt + 1);
            if (strncasecmp(line, "log", 3) == 0)
                continue;
        }
        if (len == CMD_LINE_TOO_LONG) {
            cmd_too_long(size);
            continue;
        }
        // An empty line (or a bare prompt) is skipped: a command file never
        // stops to read a command from the console.
        if (line[0] == 0)
            continue;
        status = cmd_loop(table, line, size, prompt, 1);
    }
    cFileDepth--;
    cFileDepthShared = cFileDepth;
    if (cFileDepth == 0 && fFileInterrupt.exchange(false))
        con_printf("command file interrupted: %s\n", file.c_str());
    return status;
}
