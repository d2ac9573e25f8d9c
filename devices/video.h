// The video display: the 32 x 32 character screen in a window of its own.
#pragma once

#include <cstdint>

#include "cpu.h"

struct Switches;

struct Device {
    uint8_t cyCell;
    uint8_t cxCell;
    uint8_t cRows;
    uint8_t cCols;
    uint8_t bBias;
    byte* pbFrame;
};

extern Device devVideo;

int dev_create(int argc, char** argv, const Switches* sw, Device* dev);
int dev_close(int argc, char** argv, const Switches* sw, Device* dev);
void dev_invalidate(int offset, int count, Device* dev);
void dev_show();
// True from dev_create until the video thread has finished its clean-up: the
// device exists. A creator waiting for the window gives up when this turns
// false before the window was shown.
bool dev_exists();
// The error code of a video thread that ended without showing its window.
int dev_error();

int opt_vbias(const char* value);
int opt_vscale(const char* value);
