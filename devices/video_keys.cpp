// Key input of the video window: SDL key and text events become the three
// kinds of key message that the keyboard matrix takes (kbd_message).
//
// Characters come as WM_CHAR: printable ASCII from SDL's text input, and the
// characters that SDL sends no text for (Return, Backspace, Escape, Tab and
// Ctrl+letter) from key presses. SDL never sends text for control characters,
// and text typed while Ctrl is held is dropped, so no character arrives
// twice. The modifier keys the matrix needs as press and release (both
// Shifts, Ctrl, Caps Lock, Delete) come as WM_KEYDOWN/WM_KEYUP with their
// virtual-key code and their scan code in bits 16..23 of lParam, told apart
// by SDL scancode.
#include <SDL.h>

#include "kbd.h"
#include "video.h"

// A key that reaches the matrix as press and release.
struct KeyDef {
    SDL_Scancode scancode;
    unsigned vk;
    unsigned scan; // the PC scan code, which tells the two Shifts apart
    bool fRepeats; // auto-repeat presses are passed on
};

// Auto-repeat of the modifiers is dropped: a held Caps Lock must not toggle
// the shift lock over and over, and a repeated Shift press would put back a
// Shift that the matrix has lifted for an unshifted character.
static constexpr KeyDef aKeyDefs[] = {
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, SCAN_LSHIFT, false},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
};

// A key whose character comes from the key press, as SDL sends no text.
struct KeyChar {
    SDL_Scancode scancode;
    unsigned code;
};

static constexpr KeyChar aKeyChars[] = {
    {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, 13}, {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_TAB, 9},
};

// lParam as the window system builds it: repeat count 1, the scan code, and
// for a release the previous-state and transition bits.
static long key_lparam(unsigned scan, bool fUp)
{
    long lParam = 1 | static_cast<long>(scan) << 16;
    if (fUp)
        lParam |= 3L << 30;
    return lParam;
}

static int key_event(const SDL_KeyboardEvent& key, KeyState* ks, KeyMsg* out)
{
    bool fDown = key.type == SDL_KEYDOWN;
    ks->fCtrlDown = (key.keysym.mod & KMOD_CTRL) != 0;
    for (const KeyDef& def : aKeyDefs) {
        if (def.scancode != key.keysym.scancode)
            continue;
        if (key.repeat && !def.fRepeats)
            return 0;
        out[0] = {fDown ? WM_KEYDOWN : WM_KEYUP, def.vk, key_lparam(def.scan, !fDown)};
        return 1;
    }
    if (!fDown)
        return 0;
    for (const KeyChar& kc : aKeyChars) {
        if (kc.scancode == key.keysym.scancode) {
            out[0] = {WM_CHAR, kc.code, 1};
            return 1;
        }
    }
    SDL_Keycode sym = key.keysym.sym;
    if (ks->fCtrlDown && sym >= SDLK_a && sym <= SDLK_z) {
        out[0] = {WM_CHAR, static_cast<unsigned>(sym - SDLK_a + 1), 1};
        return 1;
    }
    return 0;
}

// Printable ASCII only: the bytes of other (UTF-8) characters are dropped, as
// the machine has no such keys and some of their codes would land on the
// matrix's modifier positions.
static int text_event(const SDL_TextInputEvent& text, const KeyState* ks, KeyMsg* out)
{
    if (ks->fCtrlDown)
        return 0;
    int n = 0;
    for (size_t i = 0; i < sizeof text.text && text.text[i] && n < C_KEYMSGS_MAX; i++) {
        unsigned char ch = static_cast<unsigned char>(text.text[i]);
        if (ch >= 0x20 && ch <= 0x7E)
            out[n++] = {WM_CHAR, ch, 1};
    }
    return n;
}

int dev_keymsgs(const SDL_Event& ev, KeyState* ks, KeyMsg* out)
{
    switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return key_event(ev.key, ks, out);
    case SDL_TEXTINPUT:
        return text_event(ev.text, ks, out);
    default:
        return 0;
    }
}
