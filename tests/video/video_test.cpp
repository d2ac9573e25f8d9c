// The video device, headless: options, rendering, the window's painting of
// changed cells, its life cycle and its failures.
#include <gtest/gtest.h>

#include <SDL.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <string>
#include <thread>
#include <vector>

#include "cpu6502.h"
#include "resources.h"
#include "testutil.h"
#include "video.h"

namespace
{

// Waits until `pred` holds. The limit only keeps a broken build from hanging
// the suite; nothing is asserted about how long it takes.
template <typename Pred>
bool wait_until(Pred pred)
{
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Keeps devVideo, the frame buffer and SDL_VIDEODRIVER as they were.
class Video : public ::testing::Test
{
  protected:
    Device saved = devVideo;
    std::vector<byte> savedFrame{abMem6502 + 0xD000, abMem6502 + 0xD800};
    std::string savedDriver = getenv("SDL_VIDEODRIVER") ? getenv("SDL_VIDEODRIVER") : "";
    bool fHadDriver = getenv("SDL_VIDEODRIVER") != nullptr;

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

    // Waits until the window has painted `c` more cells than `before`.
    static void wait_painted(long before, long c)
    {
        ASSERT_TRUE(wait_until([&] { return dev_painted() >= before + c; }));
    }

    // The pixel colour of the glyph for `code` at (x, y) of a cell of the
    // given size, straight from the character-set data.
    static uint32_t glyph_pixel(int code, int x, int y, int cell)
    {
        if (cell == 8)
            return (res_find(RES_FONT8)->pb[code * 8 + y] & (0x80 >> x)) ? RGB_WHITE : RGB_BLACK;
        int gx = x * 16 / cell, gy = y * 16 / cell;
        const uint8_t* pb = res_find(RES_FONT16)->pb + code * 32 + gy * 2;
        return (pb[gx >> 3] & (0x80 >> (gx & 7))) ? RGB_WHITE : RGB_BLACK;
    }

    // Compares cell (row, col) of an image with the glyph for `code`.
    static ::testing::AssertionResult cell_shows(const std::vector<uint32_t>& px, int w, int row,
                                                 int col, int code, int cell)
    {
        for (int y = 0; y < cell; y++)
            for (int x = 0; x < cell; x++)
                if (px[(row * cell + y) * w + col * cell + x] != glyph_pixel(code, x, y, cell))
                    return ::testing::AssertionFailure()
                           << "cell " << row << "," << col << " pixel " << x << "," << y
                           << " is not glyph " << code;
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(Video, OptionsSetTheRecordWithinItsLimits)
{
    EXPECT_EQ(opt_vbias("31"), 1);
    EXPECT_EQ(devVideo.bBias, 31);
    EXPECT_EQ(opt_vbias("x"), 1);
    EXPECT_EQ(devVideo.bBias, 0);
    EXPECT_EQ(opt_vbias("-1"), 0);
    EXPECT_EQ(opt_vscale(""), 0);
    EXPECT_EQ(devVideo.cyCell, 8);
}

TEST(VideoOptions, BadValuesEndStartUpWithOneLine)
{
    RunResult r = run_tessaly({"-nologo", "-vbias:32"}, "quit\n");
    EXPECT_EQ(r.out, "video buffer bias '32' must be less than 32\n");
    r = run_tessaly({"-nologo", "-vscale:3"}, "quit\n");
    EXPECT_EQ(r.out, "video display scale '3' is currently limited to 2\n");
    r = run_tessaly({"-nologo", "-vscale:2", "-vscale:2", "-vscale:2"}, "quit\n");
    EXPECT_EQ(r.out, "video display scale '2' would make cells larger than 32 pixels\n");
    r = run_tessaly({"-nologo", "-vbias:x", "-vscale:2", "-vscale:2"}, "quit\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("[C1P] "), std::string::npos);
}

TEST_F(Video, RenderShowsEveryByteWithItsGlyphInEachCellSize)
{
    fill(7);
    abMem6502[0xD000 + 33] = 0;
    for (int cell : {8, 16, 32}) {
        std::vector<uint32_t> px;
        int w, h;
        dev_render(&devVideo, px, w, h);
        ASSERT_EQ(w, 32 * cell);
        ASSERT_EQ(h, 32 * cell);
        for (int i : {0, 1, 500, 1023})
            EXPECT_TRUE(cell_shows(px, w, i / 32, i % 32, abMem6502[0xD000 + i], cell));
        // Code 0 is drawn with its own glyph, not skipped.
        EXPECT_TRUE(cell_shows(px, w, 1, 1, 0, cell));
        if (cell < 32) {
            ASSERT_EQ(opt_vscale("2"), 1);
        }
    }
}

TEST_F(Video, PaintingNeverReadsPastTheFrameBuffer)
{
    // A 32-row image painted after the bias became 31 (a window made before
    // the change): the last row's cells past 0xD3FF stay dark.
    Device dev = devVideo;
    dev.bBias = 31;
    abMem6502[0xD3FF] = 0x8F; // full cell
    abMem6502[0xD400] = 0x8F; // first byte past the frame buffer
    std::vector<uint32_t> px(256 * 256, 0x123456);
    dev_paint_cell(&dev, 31, 0, px.data(), 256, 256);
    dev_paint_cell(&dev, 31, 1, px.data(), 256, 256);
    EXPECT_TRUE(cell_shows(px, 256, 31, 0, 0x8F, 8));
    EXPECT_TRUE(cell_shows(px, 256, 31, 1, 0x80, 8));
    // A cell larger than the image is clipped, not drawn past it.
    dev.cxCell = dev.cyCell = 32;
    std::vector<uint32_t> small(40 * 40 + 1, 0x123456);
    dev_paint_cell(&dev, 1, 1, small.data(), 40, 40);
    EXPECT_EQ(small[40 * 40], 0x123456u);
}

TEST_F(Video, CreateAndCloseRepeatedly)
{
    for (int i = 0; i < 5; i++) {
        create();
        // A second create while the device exists does nothing.
        EXPECT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
        dev_show();
        EXPECT_EQ(dev_close(0, nullptr, nullptr, &devVideo), 0);
        ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
        EXPECT_FALSE(dev_shown());
        EXPECT_EQ(dev_error(), 0);
        // Closed before its window is up, the thread still ends.
        ASSERT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
        dev_close(0, nullptr, nullptr, &devVideo);
        ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
    }
}

TEST_F(Video, ScaledWindowShowsTheScreenAndRepaintsStoredCells)
{
    fill(1);
    ASSERT_EQ(opt_vscale("2"), 1);
    create();
    std::vector<uint32_t> px, expect;
    int w, h, we, he;
    ASSERT_TRUE(wait_until([&] {
        dev_snapshot(px, w, h);
        dev_render(&devVideo, expect, we, he);
        return px == expect;
    }));
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 512);

    long before = dev_painted();
    for (int i : {0, 5, 31, 32, 1023}) {
        abMem6502[0xD000 + i] = 'A';
        dev_invalidate(i, 1, &devVideo);
    }
    wait_painted(before, 5);
    ASSERT_TRUE(dev_snapshot(px, w, h));
    for (int i : {0, 5, 31, 32, 1023})
        EXPECT_TRUE(cell_shows(px, w, i / 32, i % 32, 'A', 16));
    dev_render(&devVideo, expect, we, he);
    EXPECT_EQ(px, expect);
}

TEST_F(Video, StoresAreMergedUntilTheyArePainted)
{
    create();
    wait_painted(0, 1024);
    long before = dev_painted();
    // A million stores into one cell paint it a few times at most.
    for (int i = 0; i < 1000000; i++) {
        abMem6502[0xD000 + 77] = static_cast<byte>(i);
        dev_invalidate(77, 1, &devVideo);
    }
    abMem6502[0xD000 + 78] = '#';
    dev_invalidate(78, 1, &devVideo);
    wait_painted(before, 2);
    std::vector<uint32_t> px, expect;
    int w, h;
    ASSERT_TRUE(wait_until([&] {
        dev_snapshot(px, w, h);
        dev_render(&devVideo, expect, w, h);
        return px == expect;
    }));
    EXPECT_LT(dev_painted() - before, 1000);
}

TEST_F(Video, WithABiasTheWindowShows28RowsAndStoresBeforeThemRepaintNothing)
{
    fill(1, 0x41);
    ASSERT_EQ(opt_vbias("5"), 1);
    create();
    wait_painted(0, 28 * 32);
    std::vector<uint32_t> px;
    int w, h;
    ASSERT_TRUE(dev_snapshot(px, w, h));
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 224);
    // 28 rows of 32, from 0xD005 on.
    EXPECT_TRUE(cell_shows(px, w, 0, 0, abMem6502[0xD005], 8));
    EXPECT_TRUE(cell_shows(px, w, 1, 0, abMem6502[0xD005 + 32], 8));
    EXPECT_TRUE(cell_shows(px, w, 27, 31, abMem6502[0xD005 + 27 * 32 + 31], 8));

    long before = dev_painted();
    for (int i = 0; i < 5; i++)
        dev_invalidate(i, 1, &devVideo);
    // Below the last row shown (0xD005 + 28 * 32 onwards): nothing either.
    dev_invalidate(5 + 28 * 32, 1, &devVideo);
    dev_invalidate(1023, 1, &devVideo);
    // 0xD005 is the top left cell: exactly one cell is painted.
    abMem6502[0xD005] = 'Q';
    dev_invalidate(5, 1, &devVideo);
    wait_painted(before, 1);
    // Give the thread another batch's worth of chances to paint more.
    abMem6502[0xD006] = 'R';
    dev_invalidate(6, 1, &devVideo);
    wait_painted(before, 2);
    EXPECT_EQ(dev_painted(), before + 2);
    ASSERT_TRUE(dev_snapshot(px, w, h));
    EXPECT_TRUE(cell_shows(px, w, 0, 0, 'Q', 8));
    EXPECT_TRUE(cell_shows(px, w, 0, 1, 'R', 8));
}

TEST_F(Video, ClosingTheWindowEndsTheDevice)
{
    create();
    SDL_Event ev{};
    ev.type = SDL_WINDOWEVENT;
    ev.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&ev);
    ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
    EXPECT_EQ(dev_error(), 0);
    // A later create makes a new window.
    create();
}

TEST_F(Video, NoVideoDriverEndsTheDeviceWithAnErrorCode)
{
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    ASSERT_EQ(dev_create(0, nullptr, nullptr, &devVideo), 0);
    ASSERT_TRUE(wait_until([] { return !dev_exists(); }));
    EXPECT_FALSE(dev_shown());
    EXPECT_EQ(dev_error(), ENODEV);
    dev_invalidate(0, 1, &devVideo);
    dev_show();
    EXPECT_EQ(dev_close(0, nullptr, nullptr, &devVideo), 0);
    // The failure leaves nothing behind: the next create works.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    create();
}

TEST_F(Video, WithoutADisplayTheDefaultFallsBackToAHeadlessDriver)
{
    if (file_exists("/dev/dri"))
        GTEST_SKIP() << "a display device exists: SDL might take it";
    std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    std::string wayland = getenv("WAYLAND_DISPLAY") ? getenv("WAYLAND_DISPLAY") : "";
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    create();
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
    if (!wayland.empty())
        setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
}

TEST_F(Video, ScreenshotIsAPngOfTheWindow)
{
    fill(3);
    std::vector<uint32_t> px;
    int w, h;
    dev_render(&devVideo, px, w, h);
    TempDir dir;
    std::string path = dir.file("shot.png");
    ASSERT_TRUE(dev_write_png(path.c_str(), px, w, h));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 256u);
    EXPECT_EQ(image.height, 256u);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (size_t i = 0; i < px.size(); i++)
        ASSERT_EQ(static_cast<uint32_t>(rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2]),
                  px[i])
            << "pixel " << i;

    // A file that cannot be written reports failure.
    EXPECT_FALSE(dev_write_png(dir.file("no-such-dir/shot.png").c_str(), px, w, h));
}
