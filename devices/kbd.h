// The keyboard matrix.
#pragma once

#include <cstdint>

#include "cpu.h"

// The three kinds of key event, numbered as the window messages they stand
// for; the video window turns its key input into these.
constexpr unsigned WM_KEYDOWN = 0x100;
constexpr unsigned WM_KEYUP = 0x101;
constexpr unsigned WM_CHAR = 0x102;

// Key codes of the modifier keys, as the key tables hold them.
constexpr unsigned VK_SHIFT = 0x10;
constexpr unsigned VK_CONTROL = 0x11;
constexpr unsigned VK_CAPITAL = 0x14;
constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_DELETE = 0x2E;
constexpr unsigned VK_LSHIFT = 0xA0;
constexpr unsigned VK_RSHIFT = 0xA1;
// Scan code (bits 16..23 of lParam) of the left Shift key.
constexpr unsigned SCAN_LSHIFT = 0x2A;

void kbd_message(unsigned msg, unsigned wParam, long lParam);
bool kbd_key(byte code, bool pressed);
void kbd_write(byte value);
void kbd_refresh();
// True while a typed key is still down in the matrix (rows 1..7, Escape, or
// a Shift added for a shifted character); keys held on the host (Shift,
// Ctrl) do not count.
bool kbd_pending();
// How many row selections the emulated program has stored so far.
uint32_t kbd_selections();

// A copy of the keyboard's state as it is now.
struct KbdSnapshot {
    byte abMatrix[8]; // keys down, by row (bit 7 - c is column c)
    byte abHold[8];   // selections of each row before its keys go up
    int iRow;         // the row last selected
    bool fShiftLock;  // the machine's SHIFT LOCK is down
};
KbdSnapshot kbd_snapshot();
// The keyboard as at power-on: no key down, shift lock down, row 0. The
// range in memory is left as it is (kbd_refresh rewrites it).
void kbd_reset();
