// Console output: con_printf, the console output level, the log state it
// writes to, and the console's set-up (title, Ctrl-C).
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "console_posix.h"
#include "shell.h"
#include "shell_internal.h"
#include "vm.h"

// One lock around every output call and around every change of the log file,
// so that no line from the CPU thread or the Ctrl-C thread is torn by another
// and no thread writes to a log file that `log` is closing.
static std::mutex mtxConsole;
static std::atomic<int> cConsoleLevel{1};
static FILE* pfileLog;
static std::atomic<int> cLogEnabled{0};

static const char* const CONSOLE_TITLE = "Challenger 1P Debugger";

int con_printf(const char* format, ...)
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    int n = 0;
    va_list args;
    if (cConsoleLevel.load() >= 1) {
        va_start(args, format);
        n = vprintf(format, args);
        va_end(args);
        // Output without a newline (a prompt) is shown at once; whole lines
        // are flushed by the line buffering that con_init chose.
        size_t len = strlen(format);
        if (len == 0 || format[len - 1] != '\n')
            fflush(stdout);
    }
    if (pfileLog && cLogEnabled.load() > 0) {
        va_start(args, format);
        n = vfprintf(pfileLog, format, args);
        va_end(args);
    }
    return n < 0 ? 0 : n;
}

void con_disable()
{
    cConsoleLevel--;
}

void con_enable()
{
    cConsoleLevel++;
}

bool log_active()
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    return pfileLog && cLogEnabled.load() > 0;
}

bool con_active()
{
    return cConsoleLevel.load() > 0 || log_active();
}

void log_write_line(const char* line)
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    if (pfileLog && cLogEnabled.load() > 0)
        fprintf(pfileLog, "%s\n", line);
}

bool log_is_open()
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    return pfileLog != nullptr;
}

int log_enabled()
{
    return cLogEnabled.load();
}

void log_set_enabled(int value)
{
    cLogEnabled.store(value);
}

FILE* log_replace(FILE* pfileNew)
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    FILE* pfileOld = pfileLog;
    pfileLog = pfileNew;
    return pfileOld;
}

// Ctrl-C: stops the command files being run, halts a running CPU (which
// reports the stop itself); the pending console read is then cut short by
// the platform layer.
static void con_ctrlhandler()
{
    cmd_file_interrupt();
    cmd_halt(0, nullptr, nullptr);
}

bool con_init()
{
    // Whole lines reach the screen (or the pipe) as they are completed, in
    // the order the threads printed them.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    plat_set_title(CONSOLE_TITLE);
    // Failures of the console calls are not reported: the program goes on
    // with the console as it is (Ctrl-C then ends the program as usual).
    plat_ctrlc_init(con_ctrlhandler);
    return true;
}
