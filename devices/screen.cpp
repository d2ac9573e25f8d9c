// The screen from the prompt: `screen` prints video memory as text and
// `snap` saves the window's picture as a PNG file. Both read emulated
// memory, holding the machine, so they show the screen between two
// instructions of a running CPU; neither needs a window, nor a machine
// (memory and its screen outlast `close`).
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "console.h"
#include "cpu6502.h"
#include "lock.h"
#include "memmap.h"
#include "video.h"

// What a code that is no printable ASCII character shows as: control codes,
// 0x7F and the graphics above it. The same as `dump` shows.
constexpr char SCREEN_PLACEHOLDER = '.';

// The frame buffer's size: 32 rows of 32 codes.
constexpr int SCREEN_COLS = 32;
constexpr int SCREEN_ROWS = 32;
static_assert(SCREEN_COLS * SCREEN_ROWS == VIDEO_END - VIDEO_BASE + 1);

int cmd_screen(int, char**, const Switches*)
{
    char aText[SCREEN_ROWS][SCREEN_COLS + 2];
    {
        MachineLock machine;
        for (int r = 0; r < SCREEN_ROWS; r++) {
            for (int c = 0; c < SCREEN_COLS; c++) {
                byte b = abMem6502[VIDEO_BASE + SCREEN_COLS * r + c];
                aText[r][c] = b >= 0x20 && b <= 0x7E ? static_cast<char>(b) : SCREEN_PLACEHOLDER;
            }
            aText[r][SCREEN_COLS] = '\n';
            aText[r][SCREEN_COLS + 1] = 0;
        }
    }
    for (const auto& row : aText)
        con_printf("%s", row);
    return 0;
}

bool dev_free_name(char* name, size_t size)
{
    for (int i = 1; i < 1000; i++) {
        snprintf(name, size, "c1p-screen-%03d.png", i);
        if (access(name, F_OK) != 0)
            return true;
    }
    return false;
}

int cmd_snap(int argc, char** argv, const Switches*)
{
    char name[32];
    const char* path = argc > 1 ? argv[1] : name;
    if (argc <= 1 && !dev_free_name(name, sizeof name)) {
        con_printf("no free file name for the screenshot (c1p-screen-001.png to -999)\n");
        return 0;
    }
    std::vector<uint32_t> pixels;
    int w, h;
    {
        MachineLock machine;
        dev_render(&devVideo, pixels, w, h);
    }
    if (dev_write_png(path, pixels, w, h))
        con_printf("screenshot saved as %s\n", path);
    else
        con_printf("unable to write the screenshot '%s'\n", path);
    return 0;
}
