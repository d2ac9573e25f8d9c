#include "console_posix.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

static int afdCtrlC[2] = {-1, -1};        // self-pipe: read end, write end
static std::atomic<bool> fConsoleReading; // a console read is pending
static std::atomic<bool> fEchoCtrlC;      // show a Ctrl-C as "^C" (the terminal does not)
static void (*pfnCtrlC)();

// What the signal thread writes to the self-pipe.
constexpr char PIPE_CTRLC = 3;       // Ctrl-C: the read ends
constexpr char PIPE_CONTINUED = 'C'; // the program was stopped and goes on

bool plat_stdin_is_console()
{
    return isatty(STDIN_FILENO) != 0;
}

bool plat_stdout_is_console()
{
    return isatty(STDOUT_FILENO) != 0;
}

void plat_set_title(const char* title)
{
    if (plat_stdout_is_console()) {
        printf("\033]0;%s\007", title);
        fflush(stdout);
    }
}

// The signals that the signal thread takes: Ctrl-C, and the one that says
// the program goes on after a stop (Ctrl-Z), whose default action (to go
// on) takes place whether or not it is blocked.
static void ctrlc_signals(sigset_t* set)
{
    sigemptyset(set);
    sigaddset(set, SIGINT);
    sigaddset(set, SIGCONT);
}

static void ctrlc_thread()
{
    sigset_t set;
    ctrlc_signals(&set);
    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0)
            continue;
        if (sig == SIGINT && fConsoleReading.load() && fEchoCtrlC.load()) {
            fputs("^C", stdout);
            fflush(stdout);
        }
        if (sig == SIGINT && pfnCtrlC)
            pfnCtrlC();
        // Only a pending read is cut short; a Ctrl-C between reads just
        // halts, as it would on a console whose read is not waiting. A
        // read under way after a stop is told so: the shell may have
        // changed the terminal's modes meanwhile.
        if (fConsoleReading.load()) {
            char b = sig == SIGINT ? PIPE_CTRLC : PIPE_CONTINUED;
            ssize_t n = write(afdCtrlC[1], &b, 1);
            (void)n;
        }
    }
}

// Empties the self-pipe: CONSOLE_INTERRUPTED when it held a Ctrl-C,
// CONSOLE_CONTINUED when it held only the news of a stop.
static int ctrlc_drain()
{
    char drain[16];
    int result = CONSOLE_CONTINUED;
    for (ssize_t n; (n = read(afdCtrlC[0], drain, sizeof drain)) > 0;)
        for (ssize_t i = 0; i < n; i++)
            if (drain[i] == PIPE_CTRLC)
                result = CONSOLE_INTERRUPTED;
    return result;
}

bool plat_ctrlc_init(void (*handler)())
{
    sigset_t set;
    ctrlc_signals(&set);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return false;
    if (pipe(afdCtrlC) != 0)
        return false;
    fcntl(afdCtrlC[0], F_SETFL, O_NONBLOCK);
    fcntl(afdCtrlC[0], F_SETFD, FD_CLOEXEC);
    fcntl(afdCtrlC[1], F_SETFD, FD_CLOEXEC);
    pfnCtrlC = handler;
    try {
        // The thread runs until the process ends; exit() does not wait for it.
        std::thread(ctrlc_thread).detach();
    } catch (...) {
        return false;
    }
    return true;
}

void plat_console_arm()
{
    // Drop a Ctrl-C that arrived while no read was pending.
    if (afdCtrlC[0] >= 0)
        ctrlc_drain();
    fConsoleReading.store(true);
}

void plat_console_disarm()
{
    fConsoleReading.store(false);
}

void plat_console_echo_ctrlc(bool on)
{
    fEchoCtrlC.store(on);
}

// Waits until standard input can be read (1) or the Ctrl-C pipe has news
// (CONSOLE_INTERRUPTED or CONSOLE_CONTINUED, as ctrlc_drain tells); 0 when
// waiting fails.
static int console_wait()
{
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {afdCtrlC[0], POLLIN, 0}};
        int nfds = afdCtrlC[0] >= 0 ? 2 : 1;
        if (poll(fds, nfds, -1) < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        if (nfds == 2 && (fds[1].revents & POLLIN))
            return ctrlc_drain();
        if (fds[0].revents)
            return 1;
    }
}

int plat_console_getbyte(unsigned char* b)
{
    if (!fConsoleReading.load())
        plat_console_arm();
    for (;;) {
        int ready = console_wait();
        if (ready != 1)
            return ready;
        ssize_t n = read(STDIN_FILENO, b, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n == 1 ? 1 : 0;
    }
}

int plat_console_read(char* line, int size)
{
    if (size < 2)
        return CONSOLE_EOF;
    if (!fConsoleReading.load())
        plat_console_arm();
    char drain[64];
    int len = 0;
    bool tooLong = false; // the buffer is full without a newline: drop the rest
    int result = CONSOLE_EOF;
    for (;;) {
        int ready = console_wait();
        if (ready == 0)
            break;
        // After a stop the terminal reads lines as before: read on.
        if (ready == CONSOLE_CONTINUED)
            continue;
        if (ready == CONSOLE_INTERRUPTED) {
            result = CONSOLE_INTERRUPTED;
            break;
        }
        char* dst = tooLong ? drain : line + len;
        size_t room = tooLong ? sizeof drain : static_cast<size_t>(size - 1 - len);
        ssize_t n = read(STDIN_FILENO, dst, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // End of input: a line typed without Enter still counts.
            result = tooLong ? CONSOLE_TOO_LONG : len > 0 ? len : CONSOLE_EOF;
            break;
        }
        if (tooLong) {
            if (drain[n - 1] == '\n') {
                result = CONSOLE_TOO_LONG;
                break;
            }
            continue;
        }
        len += static_cast<int>(n);
        if (line[len - 1] == '\n') {
            result = len;
            break;
        }
        if (len == size - 1)
            tooLong = true;
    }
    fConsoleReading.store(false);
    if (result >= 0)
        line[result] = 0;
    return result;
}
