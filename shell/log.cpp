// The `log` command: the log file that console output is copied to.
#include <cstdio>
#include <string>

#include "shell.h"

// The `log` command: 'log {file}' opens a new log (and enables logging),
// '/d' disables, '/e' enables, '/c' closes; without either it reports.
int cmd_log(int argc, char** argv, const Switches* sw)
{
    int enabled = log_enabled();
    if (argc >= 2) {
        // The first line reads like the command that opened the log, prompt
        // and all, so a replay of the log skips it as a recorded command.
        std::string firstLine = std::string(PROMPT) + "log " + argv[1] + "\n";
        bool opened;
        FILE* pfileOld = log_open(argv[1], firstLine.c_str(), &opened);
        if (!opened) {
            con_printf("unable to open '%s' for logging\n", argv[1]);
            return 0;
        }
        enabled = 1;
        if (pfileOld)
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
