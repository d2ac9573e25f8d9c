#include "platform.h"

#include <cerrno>
#include <chrono>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void evt_set(Event* ev)
{
    {
        std::lock_guard<std::mutex> lock(ev->m);
        ev->fSignalled = true;
    }
    ev->cv.notify_one();
}

void evt_wait(Event* ev)
{
    std::unique_lock<std::mutex> lock(ev->m);
    ev->cv.wait(lock, [ev] { return ev->fSignalled; });
    ev->fSignalled = false;
}

bool evt_wait_for(Event* ev, int ms)
{
    std::unique_lock<std::mutex> lock(ev->m);
    if (!ev->cv.wait_for(lock, std::chrono::milliseconds(ms), [ev] { return ev->fSignalled; }))
        return false;
    ev->fSignalled = false;
    return true;
}

int plat_thread_id()
{
    return static_cast<int>(syscall(SYS_gettid));
}

void plat_lower_priority(int tid)
{
    // Below normal: a nice value a few steps above the process's own.
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (errno == 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice + 4 > 19 ? 19 : nice + 4);
}
