// The video display: the 32 x 32 character screen in a window of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "cpu.h"

struct Switches;
union SDL_Event;

struct Device {
    uint8_t cyCell;
    uint8_t cxCell;
    uint8_t cRows;
    uint8_t cCols;
    uint8_t bBias;
    byte* pbFrame;
};

extern Device devVideo;

// The largest cell, in pixels, that -vscale:2 may double the cells to.
constexpr int CX_CELL_MAX = 32;

// What the video thread tells the machine that the window belongs to, which
// registers both at start-up: the window is shown (the machine's creator
// waits for that), and its message loop has ended, whoever ended it (the
// machine ends with its window). Either may be null.
void dev_hooks(void (*pfnShown)(), void (*pfnClosed)());

int dev_create(int argc, char** argv, const Switches* sw, Device* dev);
int dev_close(int argc, char** argv, const Switches* sw, Device* dev);
void dev_invalidate(int offset, int count, Device* dev);
void dev_show();
// True from dev_create until the video thread has finished its clean-up: the
// device exists. A creator waiting for the window gives up when this turns
// false before the window was shown.
bool dev_exists();
// True while the window is shown and its message loop runs.
bool dev_shown();
// The video thread's exit code once it has ended: 0 after a normal end, or why
// no window could be shown: ENODEV (no video driver could be started), EIO
// (the window could not be made), EINVAL (an empty cell grid).
int dev_error();

int opt_vbias(const char* value);
int opt_vscale(const char* value);

// Painting, shared by the window and dev_render. Pixels are 0x00RRGGBB words,
// row after row; cells are white on black.
constexpr uint32_t RGB_WHITE = 0xFFFFFF;
constexpr uint32_t RGB_BLACK = 0x000000;

// Rows the window shows: cRows, or 4 fewer when there is a bias.
int dev_rows(const Device* dev);
// Draws cell (row, col) into an image of cx x cy pixels, clipped to it, with
// the cell size read afresh from the record.
void dev_paint_cell(const Device* dev, int row, int col, uint32_t* pixels, int cx, int cy);
// Copies the frame buffer (cRows * cCols bytes) as the window reads it, while
// the CPU may be storing into it.
void dev_frame_copy(const Device* dev, byte* out);
// Renders the whole visible grid from video memory, exactly as the window
// draws it; w and h receive the image size.
void dev_render(const Device* dev, std::vector<uint32_t>& pixels, int& w, int& h);
// Copies what the window shows now (its back buffer); false when no window
// has been made yet.
bool dev_snapshot(std::vector<uint32_t>& pixels, int& w, int& h);
// How many cells the window has painted since it was made (for tests).
long dev_painted();
// Writes an image as an RGB PNG file; false after a failure (no file left
// behind, and an existing file of that name as it was).
bool dev_write_png(const char* path, const std::vector<uint32_t>& pixels, int w, int h);
// The first of c1p-screen-001.png .. c1p-screen-999.png that does not exist
// in the current directory; false when all do.
bool dev_free_name(char* name, size_t size);

// The commands that show the screen from the prompt (screen.cpp): `screen`
// prints the 32 x 32 frame buffer as text, `snap [{file}]` saves what the
// window shows as a PNG file.
int cmd_screen(int argc, char** argv, const Switches* sw);
int cmd_snap(int argc, char** argv, const Switches* sw);

// Key input: one SDL event becomes at most C_KEYMSGS_MAX key messages for
// kbd_message. KeyState carries what the translation remembers between events.
struct KeyMsg {
    unsigned msg; // WM_KEYDOWN, WM_KEYUP or WM_CHAR
    unsigned wParam;
    long lParam;
};

struct KeyState {
    bool fCtrlDown; // a Ctrl key is held, as the last key event said
};

constexpr int C_KEYMSGS_MAX = 32;

int dev_keymsgs(const SDL_Event& ev, KeyState* ks, KeyMsg* out);
