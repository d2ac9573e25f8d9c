// Console output: con_printf and the console output level.
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "shell.h"

static std::mutex mtxConsole;
static int cConsoleLevel = 1;
FILE* pfileLog = nullptr;
int cLogEnabled = 0;

int con_printf(const char* format, ...)
{
    std::lock_guard<std::mutex> lock(mtxConsole);
    int n = 0;
    va_list args;
    if (cConsoleLevel >= 1) {
        va_start(args, format);
        n = vprintf(format, args);
        va_end(args);
        fflush(stdout);
    }
    if (pfileLog && cLogEnabled > 0) {
        va_start(args, format);
        n = vfprintf(pfileLog, format, args);
        va_end(args);
    }
    return n;
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
    return pfileLog && cLogEnabled > 0;
}

bool con_active()
{
    return cConsoleLevel > 0 || log_active();
}

bool con_init()
{
    return true;
}

void con_show()
{
}

void con_minimize()
{
}
