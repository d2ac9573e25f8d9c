// Translation of SDL key and text events into the keyboard's key messages.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cstring>
#include <vector>

#include "kbd.h"
#include "video.h"

namespace
{

struct Msg {
    unsigned msg, wParam, scan;
    bool operator==(const Msg& o) const
    {
        return msg == o.msg && wParam == o.wParam && scan == o.scan;
    }
};

std::ostream& operator<<(std::ostream& os, const Msg& m)
{
    return os << "{" << std::hex << m.msg << ", " << m.wParam << ", scan " << m.scan << "}";
}

class KeyTranslation : public ::testing::Test
{
  protected:
    KeyState ks{};

    std::vector<Msg> translate(const SDL_Event& ev)
    {
        KeyMsg aMsg[C_KEYMSGS_MAX];
        int n = dev_keymsgs(ev, &ks, aMsg);
        std::vector<Msg> v;
        for (int i = 0; i < n; i++)
            v.push_back({aMsg[i].msg, aMsg[i].wParam,
                         static_cast<unsigned>((aMsg[i].lParam >> 16) & 0xFF)});
        return v;
    }

    std::vector<Msg> key(bool fDown, SDL_Scancode sc, SDL_Keycode sym, Uint16 mod = 0,
                         bool fRepeat = false)
    {
        SDL_Event ev{};
        ev.type = fDown ? SDL_KEYDOWN : SDL_KEYUP;
        ev.key.state = fDown ? SDL_PRESSED : SDL_RELEASED;
        ev.key.repeat = fRepeat;
        ev.key.keysym.scancode = sc;
        ev.key.keysym.sym = sym;
        ev.key.keysym.mod = mod;
        return translate(ev);
    }

    std::vector<Msg> text(const char* utf8)
    {
        SDL_Event ev{};
        ev.type = SDL_TEXTINPUT;
        strncpy(ev.text.text, utf8, sizeof ev.text.text - 1);
        return translate(ev);
    }
};

using V = std::vector<Msg>;

} // namespace

TEST_F(KeyTranslation, PrintableTextBecomesCharacters)
{
    EXPECT_EQ(text("aZ1!~ "), (V{{WM_CHAR, 'a', 0},
                                 {WM_CHAR, 'Z', 0},
                                 {WM_CHAR, '1', 0},
                                 {WM_CHAR, '!', 0},
                                 {WM_CHAR, '~', 0},
                                 {WM_CHAR, ' ', 0}}));
    // Characters beyond ASCII have no key on the machine; 0xA0 (a no-break
    // space in Latin-1) would otherwise press the left Shift position.
    EXPECT_EQ(text("\xc3\xa9\xc2\xa0\xe2\x82\xac"), V{});
    EXPECT_EQ(text("x\xc3\xa9y"), (V{{WM_CHAR, 'x', 0}, {WM_CHAR, 'y', 0}}));
    EXPECT_EQ(text("\t\r\x1b\x7f"), V{});
}

TEST_F(KeyTranslation, KeysWithoutTextBecomeCharactersOnce)
{
    EXPECT_EQ(key(true, SDL_SCANCODE_RETURN, SDLK_RETURN), (V{{WM_CHAR, 13, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), (V{{WM_CHAR, 13, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), (V{{WM_CHAR, 8, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), (V{{WM_CHAR, 27, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_TAB, SDLK_TAB), (V{{WM_CHAR, 9, 0}}));
    // Auto-repeat types the character again, as a held key does.
    EXPECT_EQ(key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, 0, true), (V{{WM_CHAR, 13, 0}}));
    // Releases give nothing, nor do letter keys (their text does).
    EXPECT_EQ(key(false, SDL_SCANCODE_RETURN, SDLK_RETURN), V{});
    EXPECT_EQ(key(true, SDL_SCANCODE_A, SDLK_a), V{});
    EXPECT_EQ(key(true, SDL_SCANCODE_F12, SDLK_F12), V{});
}

TEST_F(KeyTranslation, CtrlLetterIsAControlCharacterAndItsTextIsDropped)
{
    EXPECT_EQ(key(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL),
              (V{{WM_KEYDOWN, VK_CONTROL, 0x1D}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL), (V{{WM_CHAR, 3, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_A, SDLK_a, KMOD_RCTRL | KMOD_LSHIFT), (V{{WM_CHAR, 1, 0}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_Z, SDLK_z, KMOD_LCTRL), (V{{WM_CHAR, 26, 0}}));
    // Text that an input method might still send while Ctrl is held.
    EXPECT_EQ(text("c"), V{});
    EXPECT_EQ(key(false, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0), (V{{WM_KEYUP, VK_CONTROL, 0x1D}}));
    EXPECT_EQ(text("c"), (V{{WM_CHAR, 'c', 0}}));
}

TEST_F(KeyTranslation, ModifiersArePressesAndReleasesToldApartByScancode)
{
    EXPECT_EQ(key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT),
              (V{{WM_KEYDOWN, VK_SHIFT, SCAN_LSHIFT}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_SHIFT),
              (V{{WM_KEYDOWN, VK_SHIFT, 0x36}}));
    EXPECT_EQ(key(false, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_LSHIFT),
              (V{{WM_KEYUP, VK_SHIFT, 0x36}}));
    EXPECT_EQ(key(false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), (V{{WM_KEYUP, VK_SHIFT, SCAN_LSHIFT}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL),
              (V{{WM_KEYDOWN, VK_CONTROL, 0x1D}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK), (V{{WM_KEYDOWN, VK_CAPITAL, 0x3A}}));
    EXPECT_EQ(key(false, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK), (V{{WM_KEYUP, VK_CAPITAL, 0x3A}}));
    EXPECT_EQ(key(true, SDL_SCANCODE_DELETE, SDLK_DELETE), (V{{WM_KEYDOWN, VK_DELETE, 0x53}}));
    // The keypad's Delete is another key.
    EXPECT_EQ(key(true, SDL_SCANCODE_KP_PERIOD, SDLK_DELETE), V{});
}

TEST_F(KeyTranslation, AutoRepeatOfModifiersIsDroppedButDeleteRepeats)
{
    EXPECT_EQ(key(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 0, true), V{});
    EXPECT_EQ(key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, true), V{});
    EXPECT_EQ(key(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL, true), V{});
    EXPECT_EQ(key(true, SDL_SCANCODE_DELETE, SDLK_DELETE, 0, true),
              (V{{WM_KEYDOWN, VK_DELETE, 0x53}}));
}

TEST_F(KeyTranslation, ReleaseCarriesTheWindowSystemsTransitionBits)
{
    SDL_Event ev{};
    ev.type = SDL_KEYUP;
    ev.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
    KeyMsg aMsg[C_KEYMSGS_MAX];
    ASSERT_EQ(dev_keymsgs(ev, &ks, aMsg), 1);
    EXPECT_EQ(aMsg[0].lParam, 0xC02A0001L);
    ev.type = SDL_KEYDOWN;
    ASSERT_EQ(dev_keymsgs(ev, &ks, aMsg), 1);
    EXPECT_EQ(aMsg[0].lParam, 0x002A0001L);
}
