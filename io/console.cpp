// Console output: con_printf, the console output level, the log state it
// writes to, and the console's set-up (title, Ctrl-C).
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "console.h"
#include "console_posix.h"

const char* const PROMPT = "[C1P] ";

static const char* const CONSOLE_TITLE = "Challenger 1P Debugger";

// The console's state. One lock around every output call and around every
// change of the log file, so that no line from the CPU thread or the Ctrl-C
// thread is torn by another and no thread writes to a log file that `log`
// is closing.
struct ConState {
    std::mutex mtx;
    std::atomic<int> cConsoleLevel{1}; // output reaches the console while above 0
    FILE* pfileLog = nullptr;
    std::atomic<int> cLogEnabled{0}; // output reaches the log while above 0
    std::atomic<bool> fPrompting{false}; // the command loop waits at the prompt
};
static ConState conState;

int con_printf(const char* format, ...)
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    int n = 0;
    va_list args;
    if (conState.cConsoleLevel.load() >= 1) {
        va_start(args, format);
        n = vprintf(format, args);
        va_end(args);
        // Output without a newline (a prompt) is shown at once; whole lines
        // are flushed by the line buffering that con_init chose.
        size_t len = strlen(format);
        if (len == 0 || format[len - 1] != '\n')
            fflush(stdout);
    }
    if (conState.pfileLog && conState.cLogEnabled.load() > 0) {
        va_start(args, format);
        n = vfprintf(conState.pfileLog, format, args);
        va_end(args);
    }
    return n < 0 ? 0 : n;
}

void con_disable()
{
    conState.cConsoleLevel--;
}

void con_enable()
{
    conState.cConsoleLevel++;
}

bool log_active()
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    return conState.pfileLog && conState.cLogEnabled.load() > 0;
}

bool con_active()
{
    return conState.cConsoleLevel.load() > 0 || log_active();
}

void log_write_line(const char* line)
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    if (conState.pfileLog && conState.cLogEnabled.load() > 0)
        fprintf(conState.pfileLog, "%s\n", line);
}

void log_write_text(const char* text)
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    if (conState.pfileLog && conState.cLogEnabled.load() > 0)
        fputs(text, conState.pfileLog);
}

bool log_is_open()
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    return conState.pfileLog != nullptr;
}

int log_enabled()
{
    return conState.cLogEnabled.load();
}

void log_set_enabled(int value)
{
    conState.cLogEnabled.store(value);
}

FILE* log_replace(FILE* pfileNew)
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    FILE* pfileOld = conState.pfileLog;
    conState.pfileLog = pfileNew;
    return pfileOld;
}

void con_set_prompting(bool fPrompting)
{
    conState.fPrompting = fPrompting;
}

int con_report(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (conState.fPrompting)
        return con_printf("\n%s%s", text, PROMPT);
    return con_printf("%s", text);
}

FILE* log_open(const char* name, const char* firstLine, bool* pfOpened)
{
    std::lock_guard<std::mutex> lock(conState.mtx);
    if (conState.pfileLog)
        fflush(conState.pfileLog);
    FILE* pfileNew = fopen(name, "w");
    *pfOpened = pfileNew != nullptr;
    if (!pfileNew)
        return nullptr;
    fputs(firstLine, pfileNew);
    FILE* pfileOld = conState.pfileLog;
    conState.pfileLog = pfileNew;
    return pfileOld;
}

bool con_init(void (*pfnCtrlC)())
{
    // Whole lines reach the screen (or the pipe) as they are completed, in
    // the order the threads printed them.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    plat_set_title(CONSOLE_TITLE);
    // Failures of the console calls are not reported: the program goes on
    // with the console as it is (Ctrl-C then ends the program as usual).
    plat_ctrlc_init(pfnCtrlC);
    return true;
}
