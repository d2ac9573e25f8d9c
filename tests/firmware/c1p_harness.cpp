#include "c1p_harness.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

#include "cassette.h"
#include "cpu6502.h"
#include "fresh.h"
#include "kbd.h"
#include "mem.h"
#include "shell.h"
#include "video.h"
#include "vm.h"

namespace c1p
{

using Clock = std::chrono::steady_clock;

static constexpr int SCREEN_BYTES = 0x400;
// Row selections the program must make after a key's release before the
// next key may go down: two scans of all eight rows, so the release has been
// seen whichever row the key is on.
static constexpr uint32_t SELECTIONS_AFTER_RELEASE = 16;
// The screen must stay the same over this many instructions (and keyboard
// scans) for the machine to count as idle.
static constexpr uint32_t IDLE_INSTRUCTIONS = 200000;

static KeyState ksWindow; // what the window's key translation remembers

static Clock::time_point deadline_in(int ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

static void pause()
{
    std::this_thread::sleep_for(std::chrono::microseconds(20));
}

// Video memory as the video thread reads it, while the CPU may be writing:
// the hardware's own race, the same as painting the window.
static void screen_copy(byte* out)
{
    dev_frame_copy(&devVideo, out);
}

static void reset_state()
{
    fresh_program_state();
    // The keyboard as at power-on: no key down, shift lock on; no tape.
    kbd_reset();
    cas_reset();
    ksWindow = {};
}

std::string cmd(const std::string& line)
{
    std::vector<char> buf(CMD_LINE_SIZE + 1, 0);
    memcpy(buf.data(), line.data(), std::min(line.size(), size_t(CMD_LINE_SIZE - 1)));
    // What the command prints goes to a temporary file in place of stdout.
    fflush(stdout);
    FILE* tmp = tmpfile();
    int saved = dup(STDOUT_FILENO);
    if (tmp && saved >= 0)
        dup2(fileno(tmp), STDOUT_FILENO);
    int result = 0;
    cmd_parse(aCmdTable, buf.data(), &result);
    fflush(stdout);
    std::string out;
    if (tmp && saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        close(saved);
        rewind(tmp);
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, tmp)) > 0)
            out.append(chunk, n);
    }
    if (tmp)
        fclose(tmp);
    return out;
}

bool boot(const std::string& cassette)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (cpu6502_exists())
        shutdown();
    reset_state();
    if (!aOpDesc6502 && !cpu6502_init())
        return false;
    if (!cassette.empty())
        cmd("cassette \"" + cassette + "\"");
    cmd("go");
    return cpu6502_exists() && running();
}

void shutdown()
{
    cmd("halt");
    cmd("close");
}

bool running()
{
    return cpu6502_exists() && (cpu6502_flags() & CPU_RUN);
}

uint32_t instructions()
{
    return static_cast<uint32_t>(cpu6502_count());
}

// Hands one window event to the keyboard as the window does.
static void window_event(const SDL_Event& ev)
{
    KeyMsg msgs[C_KEYMSGS_MAX];
    int n = dev_keymsgs(ev, &ksWindow, msgs);
    for (int i = 0; i < n; i++)
        kbd_message(msgs[i].msg, msgs[i].wParam, msgs[i].lParam);
}

static void key_event(bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod)
{
    SDL_Event ev{};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.scancode = scancode;
    ev.key.keysym.sym = sym;
    ev.key.keysym.mod = mod;
    window_event(ev);
}

static void text_event(char c)
{
    SDL_Event ev{};
    ev.type = SDL_TEXTINPUT;
    ev.text.text[0] = c;
    window_event(ev);
}

// Waits until the key just typed has been released from the matrix and the
// program has scanned the keyboard since.
static bool wait_taken(int timeoutMs)
{
    auto deadline = deadline_in(timeoutMs);
    while (kbd_pending()) {
        if (!running() || Clock::now() > deadline)
            return false;
        pause();
    }
    uint32_t sel = kbd_selections();
    while (kbd_selections() - sel < SELECTIONS_AFTER_RELEASE) {
        if (!running() || Clock::now() > deadline)
            return false;
        pause();
    }
    return true;
}

bool type(std::string_view text, int timeoutMs)
{
    for (char c : text) {
        switch (c) {
        case '\n':
        case '\r':
            key_event(true, SDL_SCANCODE_RETURN, SDLK_RETURN, 0);
            key_event(false, SDL_SCANCODE_RETURN, SDLK_RETURN, 0);
            break;
        case '\b':
            key_event(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0);
            key_event(false, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0);
            break;
        case '\x1b':
            key_event(true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0);
            key_event(false, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0);
            break;
        case '\x7f':
            key_event(true, SDL_SCANCODE_DELETE, SDLK_DELETE, 0);
            key_event(false, SDL_SCANCODE_DELETE, SDLK_DELETE, 0);
            break;
        default:
            text_event(c);
            break;
        }
        if (!wait_taken(timeoutMs))
            return false;
    }
    return true;
}

bool ctrl(char letter, int timeoutMs)
{
    char lower = static_cast<char>(letter | 0x20);
    if (lower < 'a' || lower > 'z')
        return false;
    auto sc = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (lower - 'a'));
    key_event(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL);
    key_event(true, sc, SDLK_a + (lower - 'a'), KMOD_LCTRL);
    key_event(false, sc, SDLK_a + (lower - 'a'), KMOD_LCTRL);
    bool taken = wait_taken(timeoutMs);
    key_event(false, SDL_SCANCODE_LCTRL, SDLK_LCTRL, 0);
    return taken;
}

void shift(bool down, bool right)
{
    if (right)
        key_event(down, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, down ? KMOD_RSHIFT : 0);
    else
        key_event(down, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, down ? KMOD_LSHIFT : 0);
}

void caps_lock()
{
    key_event(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 0);
    key_event(false, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 0);
}

bool type_lines(std::string_view text, int timeoutMs)
{
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!type(line, timeoutMs) || !type("\n", timeoutMs) || !wait_idle(timeoutMs))
            return false;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return true;
}

std::vector<std::string> screen_raw()
{
    byte bytes[SCREEN_BYTES];
    screen_copy(bytes);
    std::vector<std::string> rows;
    for (int r = 0; r < 32; r++)
        rows.emplace_back(reinterpret_cast<const char*>(bytes) + 32 * r, 32);
    return rows;
}

static std::string text_of_row(const std::string& raw)
{
    std::string text;
    for (char c : raw) {
        auto b = static_cast<unsigned char>(c);
        text += b >= 0x20 && b <= 0x7E ? c : ' ';
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string row(int r)
{
    return text_of_row(screen_raw().at(r));
}

std::string screen_text()
{
    std::vector<std::string> rows = screen_raw();
    std::vector<std::string> lines;
    for (const std::string& raw : rows)
        lines.push_back(text_of_row(raw));
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string last_line()
{
    std::vector<std::string> rows = screen_raw();
    for (int r = 31; r >= 0; r--) {
        std::string text = text_of_row(rows[r]);
        if (!text.empty())
            return text;
    }
    return "";
}

std::string without_ok(std::string text)
{
    const std::string ok = "OK\n";
    if (text.size() >= ok.size() && text.compare(text.size() - ok.size(), ok.size(), ok) == 0)
        text.erase(text.size() - ok.size());
    return text;
}

bool wait_for(std::string_view text, int timeoutMs)
{
    auto deadline = deadline_in(timeoutMs);
    for (;;) {
        for (const std::string& raw : screen_raw())
            if (text_of_row(raw).find(text) != std::string::npos)
                return true;
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

bool wait_idle(int timeoutMs)
{
    auto deadline = deadline_in(timeoutMs);
    byte seen[SCREEN_BYTES], now[SCREEN_BYTES];
    screen_copy(seen);
    uint32_t ins = instructions(), sel = kbd_selections();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        screen_copy(now);
        if (memcmp(seen, now, SCREEN_BYTES) != 0) {
            memcpy(seen, now, SCREEN_BYTES);
            ins = instructions();
            sel = kbd_selections();
        } else if (instructions() - ins >= IDLE_INSTRUCTIONS &&
                   kbd_selections() - sel >= SELECTIONS_AFTER_RELEASE) {
            return true;
        }
        if (!running() || Clock::now() > deadline)
            return false;
    }
}

bool boot_basic(const std::string& cassette)
{
    return boot(cassette) && wait_idle() && type("C") && wait_for("OK") && wait_idle();
}

bool wait_ok(int timeoutMs)
{
    auto deadline = deadline_in(timeoutMs);
    while (last_line() != "OK") {
        if (!running() || Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return wait_idle(timeoutMs);
}

std::string basic_line(const std::string& line, int timeoutMs)
{
    type("PRINT CHR$(12);:" + line + "\n", timeoutMs);
    wait_ok(timeoutMs);
    return without_ok(screen_text());
}

} // namespace c1p
