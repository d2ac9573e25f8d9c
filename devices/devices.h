// The Challenger 1P's devices: memory map and ROMs, video display, keyboard
// and cassette interface.
#pragma once

#include "cassette.h"
#include "kbd.h"
#include "mem.h"
#include "video.h"
