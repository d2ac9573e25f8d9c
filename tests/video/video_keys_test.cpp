// Translation of SDL key and text events into the keyboard's key messages.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cstring>
#include <vector>

#include "kbd.h"
#include "video.h"

namespace
{

// One expected message: kind, code and the scan code from lParam.
struct Msg {
    unsigned msg, wParam, scan;
    bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m)
{
    return os << "{" << std::hex << m.msg << ", " << m.wParam << ", scan " << m.scan << "}";
}

using V = std::vector<Msg>;

// A key event (down or up), or a text event when `text` is given; in order,
// with the translation's state carried from one to the next.
struct Step {
    bool fDown;
    SDL_Scancode sc;
    SDL_Keycode sym;
    Uint16 mod;
    bool fRepeat;
    const char* text;
    V expect;
};

Step down(SDL_Scancode sc, SDL_Keycode sym, V expect, Uint16 mod = 0, bool fRepeat = false)
{
    return {true, sc, sym, mod, fRepeat, nullptr, expect};
}

Step up(SDL_Scancode sc, SDL_Keycode sym, V expect, Uint16 mod = 0)
{
    return {false, sc, sym, mod, false, nullptr, expect};
}

Step text(const char* utf8, V expect)
{
    return {false, SDL_SCANCODE_UNKNOWN, 0, 0, false, utf8, expect};
}

void run_steps(const std::vector<Step>& steps)
{
    KeyState ks{};
    for (size_t i = 0; i < steps.size(); i++) {
        const Step& st = steps[i];
        SDL_Event ev{};
        if (st.text) {
            ev.type = SDL_TEXTINPUT;
            strncpy(ev.text.text, st.text, sizeof ev.text.text - 1);
        } else {
            ev.type = st.fDown ? SDL_KEYDOWN : SDL_KEYUP;
            ev.key.repeat = st.fRepeat;
            ev.key.keysym = {st.sc, st.sym, st.mod, 0};
        }
        KeyMsg aMsg[C_KEYMSGS_MAX];
        int n = dev_keymsgs(ev, &ks, aMsg);
        V got;
        for (int k = 0; k < n; k++)
            got.push_back({aMsg[k].msg, aMsg[k].wParam,
                           static_cast<unsigned>((aMsg[k].lParam >> 16) & 0xFF)});
        EXPECT_EQ(got, st.expect) << "step " << i;
    }
}

} // namespace

TEST(KeyTranslation, CharactersComeOnceFromTextOrFromKeysWithoutText)
{
    run_steps({
        text("aZ1!~ ", {{WM_CHAR, 'a', 0},
                        {WM_CHAR, 'Z', 0},
                        {WM_CHAR, '1', 0},
                        {WM_CHAR, '!', 0},
                        {WM_CHAR, '~', 0},
                        {WM_CHAR, ' ', 0}}),
        // Beyond ASCII the machine has no keys; 0xA0 (a no-break space in
        // Latin-1) would otherwise press the left Shift position.
        text("x\xc3\xa9\xc2\xa0\xe2\x82\xacy", {{WM_CHAR, 'x', 0}, {WM_CHAR, 'y', 0}}),
        text("\t\r\x1b\x7f", {}),
        down(SDL_SCANCODE_A, SDLK_a, {}),
        down(SDL_SCANCODE_F12, SDLK_F12, {}),
        down(SDL_SCANCODE_RETURN, SDLK_RETURN, {{WM_CHAR, 13, 0}}),
        down(SDL_SCANCODE_RETURN, SDLK_RETURN, {{WM_CHAR, 13, 0}}, 0, true),
        up(SDL_SCANCODE_RETURN, SDLK_RETURN, {}),
        down(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, {{WM_CHAR, 13, 0}}),
        down(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, {{WM_CHAR, 8, 0}}),
        down(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, {{WM_CHAR, 27, 0}}),
        down(SDL_SCANCODE_TAB, SDLK_TAB, {{WM_CHAR, 9, 0}}),
    });
}

TEST(KeyTranslation, CtrlLetterIsAControlCharacterAndItsTextIsDropped)
{
    run_steps({
        down(SDL_SCANCODE_LCTRL, SDLK_LCTRL, {{WM_KEYDOWN, VK_CONTROL, 0x1D}}, KMOD_LCTRL),
        down(SDL_SCANCODE_C, SDLK_c, {{WM_CHAR, 3, 0}}, KMOD_LCTRL),
        text("c", {}),
        down(SDL_SCANCODE_A, SDLK_a, {{WM_CHAR, 1, 0}}, KMOD_LCTRL | KMOD_LSHIFT),
        down(SDL_SCANCODE_Z, SDLK_z, {{WM_CHAR, 26, 0}}, KMOD_LCTRL),
        down(SDL_SCANCODE_LCTRL, SDLK_LCTRL, {}, KMOD_LCTRL, true),
        up(SDL_SCANCODE_LCTRL, SDLK_LCTRL, {{WM_KEYUP, VK_CONTROL, 0x1D}}),
        text("c", {{WM_CHAR, 'c', 0}}),
    });
}

TEST(KeyTranslation, ModifiersArePressesAndReleasesToldApartByScancode)
{
    run_steps({
        down(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, {{WM_KEYDOWN, VK_SHIFT, SCAN_LSHIFT}}, KMOD_LSHIFT),
        // Auto-repeat of a modifier would put back a Shift the matrix lifted.
        down(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, {}, KMOD_LSHIFT, true),
        down(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, {{WM_KEYDOWN, VK_SHIFT, 0x36}}, KMOD_SHIFT),
        up(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, {{WM_KEYUP, VK_SHIFT, 0x36}}, KMOD_LSHIFT),
        up(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, {{WM_KEYUP, VK_SHIFT, SCAN_LSHIFT}}),
        down(SDL_SCANCODE_RCTRL, SDLK_RCTRL, {{WM_KEYDOWN, VK_CONTROL, 0x1D}}, KMOD_RCTRL),
        up(SDL_SCANCODE_RCTRL, SDLK_RCTRL, {{WM_KEYUP, VK_CONTROL, 0x1D}}),
        // A held Caps Lock must not toggle the shift lock over and over.
        down(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, {{WM_KEYDOWN, VK_CAPITAL, 0x3A}}),
        down(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, {}, 0, true),
        up(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, {{WM_KEYUP, VK_CAPITAL, 0x3A}}),
        down(SDL_SCANCODE_DELETE, SDLK_DELETE, {{WM_KEYDOWN, VK_DELETE, 0x53}}),
        down(SDL_SCANCODE_DELETE, SDLK_DELETE, {{WM_KEYDOWN, VK_DELETE, 0x53}}, 0, true),
        // The keypad's Delete is another key.
        down(SDL_SCANCODE_KP_PERIOD, SDLK_DELETE, {}),
    });
}
