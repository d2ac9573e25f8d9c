// The keyboard event path: SDL key and text events through the window's
// translation into the matrix, mixed with the emulated program's row
// selections. After every step the keyboard range reads one value, and
// after a proper selection (one 0 bit) the selected row's keys, inverted,
// with the shift lock on row 0. (A store that selects no single row leaves
// the range as it was.)
#include <SDL.h>

#include <cstring>

#include "cpu6502.h"
#include "fuzz.h"
#include "kbd.h"
#include "mem.h"
#include "video.h"
#include "vm.h"

namespace
{

// Scancodes that mean something to the translation, and some that do not.
const SDL_Scancode aScancodes[] = {
    SDL_SCANCODE_LSHIFT,    SDL_SCANCODE_RSHIFT, SDL_SCANCODE_LCTRL,  SDL_SCANCODE_RCTRL,
    SDL_SCANCODE_CAPSLOCK,  SDL_SCANCODE_DELETE, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER,
    SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_TAB,    SDL_SCANCODE_A,
    SDL_SCANCODE_C,         SDL_SCANCODE_Z,      SDL_SCANCODE_F12,    SDL_SCANCODE_1,
};

// Checks the range after a step: one value throughout; after a proper row
// selection exactly the selected row as the matrix holds it now, after any
// other step either that or the value from before the step (a key event
// refreshes the range only when its row is the selected one; a Caps Lock
// press shows only at the next refresh).
void check_range(bool fSelection, byte before)
{
    MachineLock machine;
    const byte* range = abMem6502 + KBD_BASE;
    for (uint32_t i = 1; i <= KBD_END - KBD_BASE; i++)
        fuzz::check(range[i] == range[0], "the keyboard range reads one value");
    const KbdSnapshot kbd = kbd_snapshot();
    byte row = kbd.abMatrix[kbd.iRow];
    if (kbd.iRow == 0 && kbd.fShiftLock)
        row ^= 1;
    const byte now = static_cast<byte>(~row);
    if (fSelection)
        fuzz::check(range[0] == now, "a selection shows the selected row");
    else
        fuzz::check(range[0] == now || range[0] == before,
                    "a key event refreshes or leaves the range");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(false);
    kbd_reset();
    kbd_refresh();
    KeyState ks{};
    for (size_t at = 0; at + 4 <= size; at += 4) {
        const uint8_t* p = data + at;
        const byte before = abMem6502[KBD_BASE];
        bool fSelection = false;
        SDL_Event ev{};
        switch (p[0] % 5) {
        case 0:
            ev.type = SDL_TEXTINPUT;
            memcpy(ev.text.text, p + 1, 3);
            break;
        case 1:
        case 2:
            ev.type = p[0] % 5 == 1 ? SDL_KEYDOWN : SDL_KEYUP;
            ev.key.keysym.scancode = aScancodes[p[1] % 16];
            ev.key.keysym.sym = p[2] < 0x80 ? p[2] : SDLK_a + p[2] % 26;
            ev.key.keysym.mod = p[3] & 1 ? KMOD_LCTRL : KMOD_NONE;
            ev.key.repeat = p[3] >> 1 & 1;
            break;
        case 3: {
            // A row selection, as the CPU makes it.
            MachineLock machine;
            kbd_write(p[1]);
            byte s = static_cast<byte>(~p[1]);
            fSelection = s && !(s & (s - 1));
            break;
        }
        case 4:
            kbd_message(p[1] % 4 == 3 ? 0x200 : WM_KEYDOWN + p[1] % 3, p[2] | p[3] << 8,
                        static_cast<long>(p[3]) << 16);
            break;
        }
        KeyMsg msgs[C_KEYMSGS_MAX];
        int n = dev_keymsgs(ev, &ks, msgs);
        fuzz::check(n >= 0 && n <= C_KEYMSGS_MAX, "at most C_KEYMSGS_MAX messages per event");
        for (int i = 0; i < n; i++)
            kbd_message(msgs[i].msg, msgs[i].wParam, msgs[i].lParam);
        check_range(fSelection, before);
    }
    kbd_pending();
    return 0;
}
