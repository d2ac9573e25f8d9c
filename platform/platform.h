// Operating-system equivalents used by the rest of the program: auto-reset
// events, thread ids and priorities, and a file that closes itself. The
// console side (terminal test, title, Ctrl-C thread, interruptible line
// reads) is in console_posix.h.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>

// An auto-reset event: evt_set signals one waiter, or stays signalled until
// one waits; evt_wait consumes the signal.
struct Event {
    std::mutex m;
    std::condition_variable cv;
    bool fSignalled = false;
};

void evt_set(Event* ev);
void evt_wait(Event* ev);
// Waits at most `ms` milliseconds; true when the event was signalled.
bool evt_wait_for(Event* ev, int ms);

// The kernel's id of the calling thread.
int plat_thread_id();
// Lowers a thread to below-normal priority (raises its nice value); a failure
// is ignored, as a lower priority is only a courtesy to the host.
void plat_lower_priority(int tid);

// Consumes a pending signal without waiting.
inline void evt_reset(Event* ev)
{
    std::lock_guard<std::mutex> lock(ev->m);
    ev->fSignalled = false;
}

// A FILE* that closes itself when its owner goes; standard output, which
// stands in for a file that was named as empty, is never closed.
struct FileCloser {
    void operator()(FILE* pfile) const
    {
        if (pfile != stdout)
            fclose(pfile);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;
