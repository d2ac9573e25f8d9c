// The video device: the video thread with its SDL window and event loop,
// invalidation of changed cells, and the -vbias and -vscale options.
//
// The video thread owns everything SDL: it starts the video subsystem, makes
// the window, runs the event loop and draws. Other threads only push events
// (SDL_PushEvent is thread-safe), and only while the thread says its event
// queue is up, so that no push races with SDL starting or shutting down.
#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "console.h"
#include "cpu6502.h"
#include "kbd.h"
#include "memmap.h"
#include "platform.h"
#include "resources.h"
#include "video.h"

Device devVideo = {8, 8, 32, 32, 0, abMem6502 + VIDEO_BASE};

static const char* const VIDEO_TITLE = "Challenger 1P Video Display";

// Codes of the user events that wake the video thread.
enum VideoEvent { VIDEO_PAINT = 1, VIDEO_QUIT, VIDEO_SHOW };

// The dirty set has one bit per visible cell, index row * cCols + column.
constexpr int C_CELLS = 32 * 32;

// The video device's state.
struct VideoState {
    std::atomic<uint64_t> aDirty[C_CELLS / 64]; // the dirty set
    std::atomic<bool> fDirty;                   // some bit may be set and a wake-up is on its way

    std::atomic<bool> fVideoExists; // from dev_create until the thread's clean-up is done
    std::atomic<bool> fVideoShown;  // the window is shown, its loop runs
    std::atomic<bool> fVideoQuit;   // dev_close asked the thread to end
    std::atomic<int> dwVideoError;  // the thread's exit code
    std::atomic<int> idVideoThread; // kernel id of the video thread, 0 when none
    std::atomic<long> cCellsPainted;
    std::atomic<void (*)()> pfnShown, pfnClosed; // dev_hooks

    // mtxVideo guards fVideoEvents and pairs with cvVideo, on which
    // dev_close waits for the thread to end.
    std::mutex mtxVideo;
    std::condition_variable cvVideo;
    bool fVideoEvents; // SDL's event queue is up: pushing is safe

    // Under a headless driver, which cannot wait for events (SDL would look
    // every millisecond), the video thread waits on cvWake instead; dev_post
    // sets fWake. mtxWake is taken last, after mtxVideo.
    bool fHeadless; // the video thread's own
    std::mutex mtxWake;
    std::condition_variable cvWake;
    bool fWake;

    // The window's back buffer: what the window shows, painted cell by cell
    // by the video thread and copied to the window surface.
    std::mutex mtxScreen;
    std::vector<uint32_t> adwScreen;
    int cxScreen, cyScreen;
};
static VideoState videoState;

// ---------------------------------------------------------------- options

int opt_vbias(const char* value)
{
    unsigned long n = strtoul(value, nullptr, 10);
    if (n >= devVideo.cCols) {
        con_printf("video buffer bias '%s' must be less than %d\n", value, devVideo.cCols);
        return 0;
    }
    devVideo.bBias = static_cast<uint8_t>(n);
    return 1;
}

// Each -vscale:2 doubles the cell. The cell size is a byte, which enough
// doublings would wrap to 0, so a doubling past the largest cell drawn (32
// pixels: the 16-pixel glyphs doubled) is refused like any other bad scale.
int opt_vscale(const char* value)
{
    if (strtoul(value, nullptr, 10) != 2) {
        con_printf("video display scale '%s' is currently limited to 2\n", value);
        return 0;
    }
    if (devVideo.cyCell * 2 > CX_CELL_MAX || devVideo.cxCell * 2 > CX_CELL_MAX) {
        con_printf("video display scale '%s' would make cells larger than %d pixels\n", value,
                   CX_CELL_MAX);
        return 0;
    }
    devVideo.cyCell = static_cast<uint8_t>(devVideo.cyCell * 2);
    devVideo.cxCell = static_cast<uint8_t>(devVideo.cxCell * 2);
    return 1;
}

// ---------------------------------------------------------------- other threads

// Wakes the video thread, if its event queue is up.
static void dev_post(VideoEvent code)
{
    std::lock_guard<std::mutex> lock(videoState.mtxVideo);
    if (!videoState.fVideoEvents)
        return;
    SDL_Event ev{};
    ev.type = SDL_USEREVENT;
    ev.user.code = code;
    SDL_PushEvent(&ev);
    {
        std::lock_guard<std::mutex> lockWake(videoState.mtxWake);
        videoState.fWake = true;
    }
    videoState.cvWake.notify_one();
}

static void dev_clear_dirty()
{
    videoState.fDirty = false;
    for (auto& dw : videoState.aDirty)
        dw = 0;
}

// Marks cell v (counted from the first cell shown) dirty; the first cell of a
// batch wakes the video thread, the others only set their bit.
static void dev_mark(int v, const Device* dev)
{
    if (v < 0 || v >= C_CELLS || v / dev->cCols >= dev_rows(dev))
        return;
    uint64_t bit = uint64_t(1) << (v & 63);
    if (videoState.aDirty[v >> 6].fetch_or(bit) & bit)
        return;
    if (!videoState.fDirty.exchange(true))
        dev_post(VIDEO_PAINT);
}

// Every byte of the range invalidates its own cell (callers pass 1); a byte
// before the first cell shown or below the last row shown invalidates nothing.
void dev_invalidate(int offset, int count, Device* dev)
{
    if (!videoState.fVideoExists || !dev || dev->cCols == 0)
        return;
    if (count > C_CELLS)
        count = C_CELLS;
    for (int i = 0; i < count; i++)
        dev_mark(offset + i - dev->bBias, dev);
}

void dev_stored(uint32_t ea)
{
    dev_invalidate(static_cast<int>(ea - VIDEO_BASE), 1, &devVideo);
}

void dev_show()
{
    dev_post(VIDEO_SHOW);
}

bool dev_exists()
{
    return videoState.fVideoExists;
}

bool dev_shown()
{
    return videoState.fVideoShown;
}

int dev_error()
{
    return videoState.dwVideoError;
}

long dev_painted()
{
    return videoState.cCellsPainted;
}

bool dev_snapshot(std::vector<uint32_t>& pixels, int& w, int& h)
{
    std::lock_guard<std::mutex> lock(videoState.mtxScreen);
    if (videoState.adwScreen.empty())
        return false;
    pixels = videoState.adwScreen;
    w = videoState.cxScreen;
    h = videoState.cyScreen;
    return true;
}

// ---------------------------------------------------------------- video thread

// Starts SDL's video subsystem. A driver the user chose through
// SDL_VIDEODRIVER is used alone; otherwise SDL's default choice, then the
// headless "offscreen" and "dummy" drivers, so that the machine also runs
// without a display (its screen is then painted in memory only, which one
// line tells the user).
static bool dev_sdl_init()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window surface is drawn in software and copied as it is: a GPU
    // renderer behind it would only load a GL driver for a 256 x 256 picture
    // (and under the offscreen driver a software GL that leaks at each start).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const char* pszUser = getenv("SDL_VIDEODRIVER");
    bool fChosen = pszUser && *pszUser;
    bool fUp = false;
    if (fChosen) {
        fUp = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    } else {
        for (const char* pszDriver : {static_cast<const char*>(nullptr), "offscreen", "dummy"}) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, pszDriver);
            if ((fUp = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0))
                break;
        }
    }
    if (!fUp)
        return false;
    // SDL's own choice may already be a headless driver.
    const char* pszGot = SDL_GetCurrentVideoDriver();
    videoState.fHeadless =
        pszGot && (strcmp(pszGot, "offscreen") == 0 || strcmp(pszGot, "dummy") == 0);
    if (videoState.fHeadless && !fChosen)
        con_printf("no display: the video window is drawn in memory only (SDL driver '%s'); "
                   "'screen' and 'snap' show it\n",
                   pszGot);
    return true;
}

// The icon resource is a square of RGBA pixels.
static void dev_set_icon(SDL_Window* window)
{
    const Resource* res = res_find(RES_ICON);
    int side = 0;
    while (res && static_cast<size_t>(side + 1) * (side + 1) * 4 <= res->cb)
        side++;
    if (side == 0 || static_cast<size_t>(side) * side * 4 != res->cb)
        return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(res->pb), side, side, 32, side * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

// Copies rectangles of the back buffer to the window and shows them.
static void dev_present(SDL_Window* window, SDL_Rect* aRect, int cRect)
{
    SDL_Surface* surf = SDL_GetWindowSurface(window);
    if (!surf)
        return;
    if (SDL_MUSTLOCK(surf) && SDL_LockSurface(surf) != 0)
        return;
    int n = 0;
    {
        std::lock_guard<std::mutex> lock(videoState.mtxScreen);
        for (int i = 0; i < cRect; i++) {
            SDL_Rect r = aRect[i];
            SDL_Rect bounds = {0, 0, videoState.cxScreen < surf->w ? videoState.cxScreen : surf->w,
                               videoState.cyScreen < surf->h ? videoState.cyScreen : surf->h};
            if (!SDL_IntersectRect(&r, &bounds, &r))
                continue;
            const uint32_t* src =
                videoState.adwScreen.data() + static_cast<size_t>(r.y) * videoState.cxScreen + r.x;
            uint8_t* dst = static_cast<uint8_t*>(surf->pixels) + r.y * surf->pitch +
                           r.x * surf->format->BytesPerPixel;
            SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_RGB888, src, videoState.cxScreen * 4,
                              surf->format->format, dst, surf->pitch);
            aRect[n++] = r;
        }
    }
    if (SDL_MUSTLOCK(surf))
        SDL_UnlockSurface(surf);
    if (n)
        SDL_UpdateWindowSurfaceRects(window, aRect, n);
}

static void dev_present_all(SDL_Window* window)
{
    SDL_Rect r = {0, 0, videoState.cxScreen, videoState.cyScreen};
    dev_present(window, &r, 1);
}

// Paints the dirty cells into the back buffer and shows them, one rectangle
// per row from its first to its last dirty cell.
static void dev_paint(SDL_Window* window, const Device* dev)
{
    videoState.fDirty = false; // cleared first: a cell marked from now on wakes us again
    SDL_Rect aRect[C_CELLS / 32 + 1];
    int cRect = 0, rowLast = -1;
    long cPainted = 0;
    {
        std::lock_guard<std::mutex> lock(videoState.mtxScreen);
        for (int iWord = 0; iWord < C_CELLS / 64; iWord++) {
            uint64_t bits = videoState.aDirty[iWord].exchange(0);
            for (; bits; bits &= bits - 1) {
                int v = iWord * 64 + __builtin_ctzll(bits);
                int row = v / dev->cCols, col = v % dev->cCols;
                dev_paint_cell(dev, row, col, videoState.adwScreen.data(), videoState.cxScreen,
                               videoState.cyScreen);
                cPainted++;
                SDL_Rect cell = {col * dev->cxCell, row * dev->cyCell, dev->cxCell, dev->cyCell};
                if (row != rowLast && cRect < static_cast<int>(std::size(aRect))) {
                    aRect[cRect++] = cell;
                    rowLast = row;
                } else {
                    SDL_UnionRect(&aRect[cRect - 1], &cell, &aRect[cRect - 1]);
                }
            }
        }
        // Counted under the lock: a snapshot never shows cells not yet counted.
        videoState.cCellsPainted += cPainted;
    }
    dev_present(window, aRect, cRect);
}

static void dev_screenshot()
{
    std::vector<uint32_t> pixels;
    int w, h;
    if (!dev_snapshot(pixels, w, h))
        return;
    char name[32];
    if (!dev_free_name(name, sizeof name)) {
        con_report("dev_screenshot: no free file name\n");
        return;
    }
    if (dev_write_png(name, pixels, w, h))
        con_report("screenshot saved as %s\n", name);
    else
        con_report("dev_screenshot: unable to write %s\n", name);
}

// Handles one event; false when the loop is to end.
static bool dev_event(const SDL_Event& ev, SDL_Window* window, KeyState* ks, bool* pfFull)
{
    switch (ev.type) {
    case SDL_QUIT:
        return false;
    case SDL_USEREVENT:
        if (ev.user.code == VIDEO_QUIT)
            return false;
        if (ev.user.code == VIDEO_SHOW) {
            SDL_RestoreWindow(window);
            SDL_RaiseWindow(window);
        }
        return true;
    case SDL_WINDOWEVENT:
        switch (ev.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            return false;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            *pfFull = true;
            break;
        }
        return true;
    case SDL_KEYDOWN:
        if (ev.key.keysym.scancode == SDL_SCANCODE_F12 && !ev.key.repeat)
            dev_screenshot();
        break;
    }
    KeyMsg aMsg[C_KEYMSGS_MAX];
    int n = dev_keymsgs(ev, ks, aMsg);
    for (int i = 0; i < n; i++)
        kbd_message(aMsg[i].msg, aMsg[i].wParam, aMsg[i].lParam);
    return true;
}

// How often a headless video thread looks at SDL's own events (it has no
// input; a window event or a quit may come from SDL itself).
constexpr int MS_HEADLESS_POLL = 50;

// Waits for the next event at most msWait milliseconds (< 0: no limit);
// 1 with the event, 0 without. A display's driver waits in SDL; a headless
// one waits for dev_post's wake-up, looking at SDL's queue now and then.
static int dev_wait_event(SDL_Event* ev, int msWait)
{
    if (!videoState.fHeadless)
        return msWait < 0 ? SDL_WaitEvent(ev) : SDL_WaitEventTimeout(ev, msWait);
    if (SDL_PollEvent(ev))
        return 1;
    if (msWait == 0)
        return 0;
    {
        std::unique_lock<std::mutex> lock(videoState.mtxWake);
        int ms = msWait < 0 || msWait > MS_HEADLESS_POLL ? MS_HEADLESS_POLL : msWait;
        videoState.cvWake.wait_for(lock, std::chrono::milliseconds(ms),
                                   [] { return videoState.fWake; });
        videoState.fWake = false;
    }
    return SDL_PollEvent(ev);
}

// The event loop: handles events as they come and, when cells are dirty,
// paints them at most once per display frame.
static void dev_loop(SDL_Window* window, const Device* dev)
{
    SDL_DisplayMode mode;
    int rate = 60;
    if (SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 &&
        mode.refresh_rate > 0)
        rate = mode.refresh_rate;
    const Uint64 msFrame = 1000 / rate > 0 ? 1000 / rate : 1;
    Uint64 msNextFrame = 0;
    KeyState ks{};
    bool fFull = false;
    for (;;) {
        SDL_Event ev;
        int got;
        if (videoState.fDirty || fFull) {
            Uint64 msNow = SDL_GetTicks64();
            int msWait = msNow >= msNextFrame ? 0 : static_cast<int>(msNextFrame - msNow);
            got = dev_wait_event(&ev, msWait);
        } else {
            got = dev_wait_event(&ev, -1);
        }
        for (; got; got = SDL_PollEvent(&ev))
            if (!dev_event(ev, window, &ks, &fFull))
                return;
        if (videoState.fVideoQuit)
            return;
        Uint64 msNow = SDL_GetTicks64();
        if ((videoState.fDirty || fFull) && msNow >= msNextFrame) {
            dev_paint(window, dev);
            if (fFull)
                dev_present_all(window);
            fFull = false;
            msNextFrame = msNow + msFrame;
        }
    }
}

struct WindowDestroyer {
    void operator()(SDL_Window* window) const
    {
        SDL_DestroyWindow(window);
    }
};

// Makes the window, shows it and runs its loop; returns the exit code.
static int dev_window(Device* dev)
{
    // The window takes its size from the record now; painting reads the cell
    // size afresh and clips to this size.
    int cx = dev->cCols * dev->cxCell, cy = dev_rows(dev) * dev->cyCell;
    if (cx <= 0 || cy <= 0)
        return EINVAL;
    std::unique_ptr<SDL_Window, WindowDestroyer> window(SDL_CreateWindow(
        VIDEO_TITLE, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, cx, cy, SDL_WINDOW_HIDDEN));
    if (!window)
        return EIO;
    dev_set_icon(window.get());
    {
        std::lock_guard<std::mutex> lock(videoState.mtxScreen);
        videoState.adwScreen.assign(static_cast<size_t>(cx) * cy, RGB_BLACK);
        videoState.cxScreen = cx;
        videoState.cyScreen = cy;
    }
    // Every cell is painted once; the first stores then mark their cells.
    dev_clear_dirty();
    for (int v = 0; v < dev_rows(dev) * dev->cCols && v < C_CELLS; v++)
        videoState.aDirty[v >> 6] |= uint64_t(1) << (v & 63);
    videoState.fDirty = true;
    SDL_ShowWindow(window.get());
    SDL_StartTextInput();

    bool fQuit;
    {
        std::lock_guard<std::mutex> lock(videoState.mtxVideo);
        videoState.fVideoEvents = true;
        fQuit = videoState.fVideoQuit;
    }
    if (!fQuit) {
        videoState.fVideoShown = true;
        if (auto pfnShown = videoState.pfnShown.load())
            pfnShown();
        dev_loop(window.get(), dev);
        videoState.fVideoShown = false;
        // Whoever ended the loop, the machine ends with its window.
        if (auto pfnClosed = videoState.pfnClosed.load())
            pfnClosed();
    }
    return 0;
}

// Ends SDL on every way out of the thread.
struct SdlSession {
    ~SdlSession()
    {
        {
            std::lock_guard<std::mutex> lock(videoState.mtxVideo);
            videoState.fVideoEvents = false;
        }
        SDL_Quit();
    }
};

static void dev_thread(Device* dev)
{
    videoState.idVideoThread = plat_thread_id();
    plat_lower_priority(videoState.idVideoThread);
    int code;
    {
        SdlSession session;
        if (dev_sdl_init()) {
            code = dev_window(dev);
            if (code == EIO)
                con_printf("dev_thread: unable to create window (%s)\n", SDL_GetError());
        } else {
            code = ENODEV;
            con_printf("dev_thread: no video driver (%s)\n", SDL_GetError());
        }
    }
    // Notified under the lock: a waiter cannot go on (and the process end)
    // before this thread is done with the condition variable.
    std::lock_guard<std::mutex> lock(videoState.mtxVideo);
    videoState.dwVideoError = code;
    videoState.idVideoThread = 0;
    videoState.fVideoExists = false;
    videoState.cvVideo.notify_all();
}

// ---------------------------------------------------------------- main thread

void dev_hooks(void (*pfnShown)(), void (*pfnClosed)())
{
    videoState.pfnShown = pfnShown;
    videoState.pfnClosed = pfnClosed;
}

int dev_create(int, char**, const Switches*, Device* dev)
{
    if (videoState.fVideoExists || !dev)
        return 0;
    videoState.fVideoQuit = false;
    videoState.dwVideoError = 0;
    videoState.cCellsPainted = 0;
    dev_clear_dirty();
    videoState.fVideoExists = true;
    // The thread is not joined: dev_close waits for its end through
    // videoState.fVideoExists, at most 1000 ms, and a thread that outlives that wait
    // must not be left joinable at exit.
    try {
        std::thread(dev_thread, dev).detach();
    } catch (const std::system_error& e) {
        int code = e.code().value();
        con_printf("dev_create: unable to create thread (%d)\n", code);
        videoState.fVideoExists = false;
        return code;
    }
    return 0;
}

int dev_close(int, char**, const Switches*, Device*)
{
    {
        std::lock_guard<std::mutex> lock(videoState.mtxVideo);
        if (!videoState.fVideoExists)
            return 0;
        videoState.fVideoQuit = true;
    }
    dev_post(VIDEO_QUIT);
    // The video thread itself (its loop's end may close the machine) cannot
    // wait for its own end.
    if (videoState.idVideoThread == plat_thread_id())
        return 0;
    std::unique_lock<std::mutex> lock(videoState.mtxVideo);
    videoState.cvVideo.wait_for(lock, std::chrono::milliseconds(1000),
                                [] { return !videoState.fVideoExists; });
    return 0;
}
