// The video display, headless: character sets and their build tool, key
// translation, options, rendering, and the window's painting and life cycle.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <string>
#include <thread>
#include <vector>

#include "cpu6502.h"
#include "kbd.h"
#include "mem.h"
#include "resources.h"
#include "testutil.h"
#include "video.h"

namespace
{

// The colour of the glyph for code at (x, y) of a cell of the size given,
// straight from the character-set data.
uint32_t glyph_pixel(int code, int x, int y, int cell)
{
    if (cell == 8)
        return (res_find(RES_FONT8)->pb[code * 8 + y] & (0x80 >> x)) ? RGB_WHITE : RGB_BLACK;
    int gx = x * 16 / cell, gy = y * 16 / cell;
    const uint8_t* pb = res_find(RES_FONT16)->pb + code * 32 + gy * 2;
    return (pb[gx >> 3] & (0x80 >> (gx & 7))) ? RGB_WHITE : RGB_BLACK;
}

// Whether cell (row, col) of an image w pixels wide shows the glyph for code.
testing::AssertionResult cell_shows(const std::vector<uint32_t>& px, int w, int row, int col,
                                    int code, int cell)
{
    for (int y = 0; y < cell; y++)
        for (int x = 0; x < cell; x++)
            if (px[(row * cell + y) * w + col * cell + x] != glyph_pixel(code, x, y, cell))
                return testing::AssertionFailure() << "cell " << row << "," << col << " pixel " << x
                                                   << "," << y << " is not glyph " << code;
    return testing::AssertionSuccess();
}

// The sets have their sizes; the 16-pixel set is the 8-pixel one with every
// pixel doubled.
TEST(Charset, SizesAndTheDoubledSet)
{
    const Resource* p8 = res_find(RES_FONT8);
    const Resource* p16 = res_find(RES_FONT16);
    const Resource* icon = res_find(RES_ICON);
    ASSERT_TRUE(p8 && p16 && icon && p8->cb == 256 * 8 && p16->cb == 256 * 32 &&
                icon->cb == 32 * 32 * 4);
    for (int c = 0; c < 256; c++)
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++)
                ASSERT_EQ(glyph_pixel(c, x, y, 16), glyph_pixel(c, x / 2, y / 2, 8)) << c;
}

// The build tool on drawings of our own (code c: one pixel on row c % 8): a
// good drawing passes; each fault is refused with its file and line, leaving
// no output.
TEST(Charset, BuildToolRefusesFaultyDrawingsWithTheirLine)
{
    std::string good = "// a comment\n\n";
    char header[16];
    for (int code = 0; code < 256; code++) {
        snprintf(header, sizeof header, "0x%02X name\n", code);
        good += header;
        for (int r = 0; r < 8; r++)
            good += r == code % 8 ? "#.......\n" : "........\n";
    }
    auto edit = [&](const std::string& what, const std::string& with) {
        return std::string(good).replace(good.find(what), what.size(), with);
    };
    const std::string icon = "= . 00000000\n= # ff000080\n.#\n#.\n";
    const struct {
        std::string charset, icon, message;
    } aCase[] = {
        {good.substr(0, good.find("0xFF name")), icon, "c.txt: code 0xFF is missing"},
        {edit("0x41", "0x40"), icon, "c.txt:588: code 0x40 drawn twice"},
        {edit(".\n0x02", "x\n0x02"), icon, "c.txt:20: expected a pixel row"},
        {edit("0x02", "0x-1"), icon, "c.txt:21: expected a header line"},
        {good, "= . 00000000\n...\n..\n", "i.txt:2: the picture must be square"},
        {good, "= . 0000000\n.\n", "i.txt:1: expected a palette line"},
        {good, icon, ""}, // last: it leaves an output
    };
    TempDir dir;
    for (const auto& c : aCase) {
        write_file(dir.file("c.txt"), c.charset);
        write_file(dir.file("i.txt"), c.icon);
        std::string cmd = std::string(MKCHARSET_EXE) + " " + dir.file("c.txt") + " " +
                          dir.file("i.txt") + " " + dir.file("out.cpp") + " 2>" + dir.file("err");
        int status = std::system(cmd.c_str());
        std::string err = read_file(dir.file("err"));
        EXPECT_EQ(WEXITSTATUS(status), c.message.empty() ? 0 : 1) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(file_exists(dir.file("out.cpp")), c.message.empty()) << c.message;
    }
}

// Key translation: SDL events in order (the translation's state carried
// along), each with the key messages it gives: characters as themselves,
// presses and releases as "[+VK/SCAN]" and "[-VK/SCAN]".
enum { DN, RPT, UP, TEXT }; // RPT: a key press repeated by the host
struct KeyStep {
    int kind;
    SDL_Scancode sc;
    Uint16 mod;
    const char* expect;
    const char* text = "";
    SDL_Keycode sym = 0;
};

TEST(KeyTranslation, EventsBecomeKeyMessages)
{
    constexpr SDL_Scancode NONE = SDL_SCANCODE_UNKNOWN;
    // clang-format off
    const KeyStep aStep[] = {
        // Characters come once: from text, or from the keys SDL sends no text for.
        {TEXT, NONE, 0, "aZ1!~ ", "aZ1!~ "}, {TEXT, NONE, 0, "", "\t\r\x1b\x7f"},
        // Beyond ASCII the machine has no keys (Latin-1 0xA0 would press Shift).
        {TEXT, NONE, 0, "xy", "x\xc3\xa9\xc2\xa0\xe2\x82\xacy"},
        {DN, SDL_SCANCODE_A, 0, ""}, {DN, SDL_SCANCODE_F12, 0, ""},
        {DN, SDL_SCANCODE_RETURN, 0, "\r"}, {RPT, SDL_SCANCODE_RETURN, 0, "\r"},
        {UP, SDL_SCANCODE_RETURN, 0, ""}, {DN, SDL_SCANCODE_KP_ENTER, 0, "\r"},
        {DN, SDL_SCANCODE_BACKSPACE, 0, "\b"}, {DN, SDL_SCANCODE_ESCAPE, 0, "\x1b"},
        {DN, SDL_SCANCODE_TAB, 0, "\t"},
        // Ctrl with a letter is a control character; text typed with Ctrl is dropped.
        {DN, SDL_SCANCODE_LCTRL, KMOD_LCTRL, "[+11/1D]"}, {RPT, SDL_SCANCODE_LCTRL, KMOD_LCTRL, ""},
        {DN, SDL_SCANCODE_C, KMOD_LCTRL, "\x03", "", SDLK_c}, {TEXT, NONE, 0, "", "c"},
        {DN, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LSHIFT, "\x01", "", SDLK_a},
        {DN, SDL_SCANCODE_Z, KMOD_LCTRL, "\x1a", "", SDLK_z},
        {UP, SDL_SCANCODE_LCTRL, 0, "[-11/1D]"}, {TEXT, NONE, 0, "c", "c"},
        // Modifiers are presses and releases told apart by scancode; their
        // auto-repeat would toggle shift lock or put back a lifted Shift.
        {DN, SDL_SCANCODE_LSHIFT, 0, "[+10/2A]"}, {UP, SDL_SCANCODE_LSHIFT, 0, "[-10/2A]"},
        {DN, SDL_SCANCODE_RSHIFT, 0, "[+10/36]"}, {UP, SDL_SCANCODE_RSHIFT, 0, "[-10/36]"},
        {DN, SDL_SCANCODE_RCTRL, KMOD_RCTRL, "[+11/1D]"}, {UP, SDL_SCANCODE_RCTRL, 0, "[-11/1D]"},
        {DN, SDL_SCANCODE_CAPSLOCK, 0, "[+14/3A]"}, {UP, SDL_SCANCODE_CAPSLOCK, 0, "[-14/3A]"},
        {RPT, SDL_SCANCODE_LSHIFT, 0, ""}, {RPT, SDL_SCANCODE_CAPSLOCK, 0, ""},
        {DN, SDL_SCANCODE_DELETE, 0, "[+2E/53]"}, {RPT, SDL_SCANCODE_DELETE, 0, "[+2E/53]"},
        {DN, SDL_SCANCODE_KP_PERIOD, 0, "", "", SDLK_DELETE}, // the keypad's is another key
    };
    // clang-format on
    KeyState ks{};
    for (const KeyStep& st : aStep) {
        SDL_Event ev{};
        ev.type = st.kind == TEXT ? SDL_TEXTINPUT : st.kind == UP ? SDL_KEYUP : SDL_KEYDOWN;
        if (st.kind == TEXT) {
            strncpy(ev.text.text, st.text, sizeof ev.text.text - 1);
        } else {
            ev.key.repeat = st.kind == RPT;
            ev.key.keysym = {st.sc, st.sym, st.mod, 0};
        }
        KeyMsg aMsg[C_KEYMSGS_MAX];
        std::string got;
        char sz[16];
        for (int n = dev_keymsgs(ev, &ks, aMsg), k = 0; k < n; k++) {
            snprintf(sz, sizeof sz, "[%c%02X/%02lX]", aMsg[k].msg == WM_KEYDOWN ? '+' : '-',
                     aMsg[k].wParam, (aMsg[k].lParam >> 16) & 0xFF);
            got += aMsg[k].msg == WM_CHAR ? std::string(1, static_cast<char>(aMsg[k].wParam)) : sz;
        }
        EXPECT_EQ(got, st.expect) << "step " << &st - aStep;
    }
}

// Waits until pred holds. The limit (some 20 s) only keeps a broken build
// from hanging the suite; nothing is asserted about how long it takes.
template <typename Pred>
bool wait_until(Pred pred)
{
    for (int ms = 0; ms < 20000 && !pred(); ms++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pred();
}

// Keeps devVideo, the frame buffer and SDL_VIDEODRIVER as they were.
class Video : public testing::Test
{
  protected:
    Device saved = devVideo;
    std::vector<byte> savedFrame{abMem6502 + 0xD000, abMem6502 + 0xD800};
    bool fHadDriver = getenv("SDL_VIDEODRIVER") != nullptr;
    std::string savedDriver = fHadDriver ? getenv("SDL_VIDEODRIVER") : "";

    void TearDown() override
    {
        dev_close(0, nullptr, nullptr, &devVideo);
        EXPECT_TRUE(wait_until([] { return !dev_exists(); }));
        devVideo = saved;
        std::copy(savedFrame.begin(), savedFrame.end(), abMem6502 + 0xD000);
        if (fHadDriver)
            setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);
        else
            unsetenv("SDL_VIDEODRIVER");
    }
    // Fills the frame buffer with code i * step + first for cell i.
    static void fill(int step, int first = 0)
    {
        for (int i = 0; i < 1024; i++)
            abMem6502[0xD000 + i] = static_cast<byte>(i * step + first);
    }
    static void create()
    {
        ASSERT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
        ASSERT_TRUE(wait_until([] { return dev_shown() || !dev_exists(); }));
        ASSERT_TRUE(dev_shown()) << "error " << dev_error();
    }
    // Stores code into the frame buffer at offset, as the CPU thread does.
    static void store(int offset, byte code)
    {
        abMem6502[0xD000 + offset] = code;
        dev_invalidate(offset, 1, &devVideo);
    }
};

// Values within the options' limits set the record; others print one line
// and change nothing. Cells double up to 32 pixels and no further.
TEST_F(Video, OptionsSetTheRecordWithinItsLimits)
{
    const struct {
        int (*pfn)(const char*);
        const char *value, *message;
    } aCase[] = {
        // clang-format off
        {opt_vbias, "31", ""},
        {opt_vbias, "32", "video buffer bias '32' must be less than 32\n"},
        {opt_vbias, "-1", "video buffer bias '-1' must be less than 32\n"},
        {opt_vscale, "3", "video display scale '3' is currently limited to 2\n"},
        {opt_vscale, "", "video display scale '' is currently limited to 2\n"},
        {opt_vscale, "2", ""}, {opt_vscale, "2", ""},
        {opt_vscale, "2", "video display scale '2' would make cells larger than 32 pixels\n"},
        // clang-format on
    };
    for (const auto& c : aCase) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(c.pfn(c.value), *c.message ? 0 : 1) << c.value;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    }
    EXPECT_TRUE(devVideo.bBias == 31 && devVideo.cxCell == 32 && devVideo.cyCell == 32);
    // In the real program a refused value ends the start-up.
    RunResult r = run_tessaly({"-nologo", "-vscale:2", "-vscale:2", "-vscale:2"}, "quit\n");
    EXPECT_EQ(r.out, "video display scale '2' would make cells larger than 32 pixels\n");
}

// Rendering draws every byte with its glyph, code 0 too, in 32, 16 and 8
// pixel cells; a screenshot is an RGB PNG of it, pixel for pixel (a file
// that cannot be written is a failure). A cell whose byte would lie past the
// frame buffer (a bias set after the window was made) is dark; a cell larger
// than the image is clipped to it.
TEST_F(Video, RenderShowsEveryByteWithItsGlyph)
{
    fill(7);
    abMem6502[0xD000 + 33] = 0;
    std::vector<uint32_t> px;
    int w, h;
    for (int cell : {32, 16, 8}) {
        devVideo.cxCell = devVideo.cyCell = static_cast<uint8_t>(cell);
        dev_render(&devVideo, px, w, h);
        ASSERT_TRUE(w == 32 * cell && h == 32 * cell) << cell;
        for (int i : {0, 1, 33, 500, 1023})
            EXPECT_TRUE(cell_shows(px, w, i / 32, i % 32, abMem6502[0xD000 + i], cell));
    }
    TempDir dir;
    ASSERT_TRUE(dev_write_png(dir.file("shot.png").c_str(), px, w, h));
    EXPECT_FALSE(dev_write_png(dir.file("no-such-dir/shot.png").c_str(), px, w, h));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.file("shot.png").c_str()));
    EXPECT_TRUE(image.width == 256 && image.height == 256);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (size_t i = 0; i < px.size(); i++)
        ASSERT_EQ(rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2], int(px[i])) << i;

    Device dev = devVideo;
    dev.bBias = 31;
    abMem6502[0xD3FF] = abMem6502[0xD400] = 0x8F; // a full cell
    for (int col : {0, 1})
        dev_paint_cell(&dev, 31, col, px.data(), 256, 256);
    EXPECT_TRUE(cell_shows(px, 256, 31, 0, 0x8F, 8));
    EXPECT_TRUE(cell_shows(px, 256, 31, 1, 0x80, 8)); // 0x80: the blank glyph
    dev.cxCell = dev.cyCell = 32;
    std::vector<uint32_t> small(40 * 40 + 1, 0x123456);
    dev_paint_cell(&dev, 1, 1, small.data(), 40, 40);
    EXPECT_EQ(small[40 * 40], 0x123456u);
}

// A window with a bias of 5 (at scale 2 here) shows 28 rows from 0xD005,
// as rendering draws them. Stores repaint their cells; those into
// 0xD000..0xD004 and below the last row shown paint nothing, and a million
// into one cell are merged into a few paints.
TEST_F(Video, WindowRepaintsStoredCellsMergingTheirInvalidations)
{
    fill(1, 0x41);
    ASSERT_TRUE(opt_vbias("5") && opt_vscale("2"));
    create();
    ASSERT_TRUE(wait_until([] { return dev_painted() >= 28 * 32; }));
    std::vector<uint32_t> px, expect;
    int w, h;
    ASSERT_TRUE(dev_snapshot(px, w, h));
    EXPECT_TRUE(w == 512 && h == 448);
    for (int i : {0, 32, 27 * 32 + 31})
        EXPECT_TRUE(cell_shows(px, w, i / 32, i % 32, abMem6502[0xD005 + i], 16));

    long before = dev_painted();
    for (int i : {0, 1, 2, 3, 4, 5 + 28 * 32, 1023})
        store(i, 'X');
    store(5, 'Q');
    ASSERT_TRUE(wait_until([&] { return dev_painted() >= before + 1; }));
    store(6, 'R'); // another batch's worth of chances to paint more
    ASSERT_TRUE(wait_until([&] { return dev_painted() >= before + 2; }));
    EXPECT_EQ(dev_painted(), before + 2);

    for (int i = 0; i < 1000000; i++)
        store(77, static_cast<byte>(i));
    for (int i : {5, 5 + 31, 5 + 27 * 32, 5 + 27 * 32 + 31})
        store(i, 'A');
    dev_render(&devVideo, expect, w, h);
    ASSERT_TRUE(wait_until([&] { return dev_snapshot(px, w, h) && px == expect; }));
    EXPECT_LT(dev_painted() - before, 1000);
}

// A memory image loaded into the frame buffer shows in the window, as edited
// bytes do.
TEST_F(Video, LoadedImagesShow)
{
    fill(0, ' ');
    create();
    ASSERT_TRUE(wait_until([] { return dev_painted() >= 32 * 32; }));
    TempDir dir;
    write_file(dir.file("z.bin"), std::string(64, 'Z'));
    testing::internal::CaptureStdout();
    EXPECT_EQ(mem_load(("d100:" + dir.file("z.bin")).c_str()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "64 bytes read (0xd100 to 0xd13f)\n");
    std::vector<uint32_t> px, expect;
    int w, h;
    dev_render(&devVideo, expect, w, h);
    EXPECT_TRUE(wait_until([&] { return dev_snapshot(px, w, h) && px == expect; }));
}

// Create and close repeatedly, by dev_close or by closing the window, and
// also before the window is up; a create while the device exists does
// nothing. A failure to start a driver leaves nothing behind.
TEST_F(Video, LifeCycle)
{
    for (int i = 0; i < 6; i++) {
        create();
        EXPECT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
        dev_show();
        SDL_Event ev{};
        ev.type = SDL_WINDOWEVENT;
        ev.window.event = SDL_WINDOWEVENT_CLOSE;
        EXPECT_TRUE(i & 1 ? SDL_PushEvent(&ev) == 1
                          : dev_close(0, nullptr, nullptr, &devVideo) == 0);
        ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
        EXPECT_TRUE(!dev_shown() && dev_error() == 0);
        ASSERT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
        dev_close(0, nullptr, nullptr, &devVideo);
        ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
    }

    // Without a video driver the device ends with ENODEV; invalidate, show
    // and close do no harm, and the next create works.
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    ASSERT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
    ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
    EXPECT_FALSE(dev_shown());
    EXPECT_EQ(dev_error(), ENODEV);
    dev_invalidate(0, 1, &devVideo);
    dev_show();
    EXPECT_EQ(dev_close(0, nullptr, nullptr, &devVideo), 0);
    // Without a display the default choice falls back to a headless driver
    // (unless there is a display device, which SDL might take).
    std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    std::string wayland = getenv("WAYLAND_DISPLAY") ? getenv("WAYLAND_DISPLAY") : "";
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"})
        unsetenv(name);
    if (file_exists("/dev/dri"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    create();
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
    if (!wayland.empty())
        setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
}

} // namespace
