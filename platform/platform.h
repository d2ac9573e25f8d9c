// Operating-system equivalents used by the rest of the program: auto-reset
// events, thread ids and priorities. The console side (terminal test, title,
// Ctrl-C thread, interruptible line reads) is in console_posix.h.
#pragma once

#include <condition_variable>
#include <mutex>

// An auto-reset event: evt_set signals one waiter, or stays signalled until
// one waits; evt_wait consumes the signal.
struct Event {
    std::mutex m;
    std::condition_variable cv;
    bool fSignalled = false;
};

Event* evt_create();
void evt_close(Event* ev);
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
