// The screen from the prompt, headless: `screen` prints video memory as
// text (to the log too), `snap` saves the window's picture as a PNG file;
// and `create` says so when the window falls back to a headless driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <png.h>
#include <set>
#include <string>
#include <vector>

#include "cpu6502.h"
#include "memmap.h"
#include "shell.h"
#include "testutil.h"
#include "video.h"

namespace
{

// The frame buffer of the session below: "HI THERE" at the top left, then
// codes 0x00, 0xFF, 0x7E and 0x7F; code 0 elsewhere (memory as `create`
// finds it), but for '#' at the bottom right.
const char* const SESSION = "create\n"
                            "edit d000 \"$HI THERE\" 0 ff 7e 7f\n"
                            "edit d3ff 23\n";

void fill_as_session(byte* frame)
{
    memset(frame, 0, VIDEO_END - VIDEO_BASE + 1);
    memcpy(frame, "HI THERE\x00\xFF\x7E\x7F", 12);
    frame[VIDEO_END - VIDEO_BASE] = '#';
}

// The screen as `screen` prints it: 32 rows of 32 characters, each code
// outside 0x20..0x7E as '.'.
std::string expected_text()
{
    std::string text = "HI THERE..~." + std::string(20, '.') + "\n";
    for (int r = 1; r < 31; r++)
        text += std::string(32, '.') + "\n";
    return text + std::string(31, '.') + "#\n";
}

// A PNG file's pixels as 0x00RRGGBB words; empty when it cannot be read.
std::vector<uint32_t> read_png(const std::string& path, int* w, int* h)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    *w = static_cast<int>(image.width);
    *h = static_cast<int>(image.height);
    std::vector<uint32_t> px(rgb.size() / 3);
    for (size_t i = 0; i < px.size(); i++)
        px[i] = rgb[3 * i] << 16 | rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return px;
}

std::set<std::string> files_in(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

// `screen` prints every row in full, also into the log; `snap` writes the
// next free c1p-screen-###.png, or the file named (replacing it whole), as
// the window draws the screen; a file that cannot be written is one line
// and leaves nothing behind.
TEST(ScreenCommands, TextAndPictureHeadless)
{
    TempDir dir;
    RunResult r = run_tessaly({"-nologo"},
                              std::string("log \"session.txt\"\n") + SESSION +
                                  "screen\n"
                                  "snap\n"
                                  "snap\n"
                                  "snap \"named.png\"\n"
                                  "snap \"named.png\"\n"
                                  "snap \"no-such-dir/x.png\"\n"
                                  "snap \"c1p-screen-001.png\" extra\n"
                                  "log /c\nquit\n",
                              dir.path);
    EXPECT_EQ(r.status, 0);
    const std::string text = expected_text();
    EXPECT_NE(r.out.find("[C1P] screen\n" + text + "[C1P] snap\n"), std::string::npos) << r.out;
    EXPECT_NE(read_file(dir.file("session.txt")).find(text), std::string::npos);
    for (const char* line :
         {"screenshot saved as c1p-screen-001.png\n", "screenshot saved as c1p-screen-002.png\n",
          "screenshot saved as named.png\n", "unable to write the screenshot 'no-such-dir/x.png'\n",
          "snap takes no more than 1 parameter(s), \"extra\" unexpected\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_EQ(files_in(dir.path), (std::set<std::string>{"c1p-screen-001.png", "c1p-screen-002.png",
                                                         "named.png", "session.txt"}));

    memset(abMem6502, 0, MEM_SIZE6502);
    fill_as_session(abMem6502 + VIDEO_BASE);
    std::vector<uint32_t> want;
    int w, h;
    dev_render(&devVideo, want, w, h);
    for (const char* name : {"c1p-screen-001.png", "named.png"}) {
        int wPng = 0, hPng = 0;
        EXPECT_EQ(read_png(dir.file(name), &wPng, &hPng), want) << name;
        EXPECT_TRUE(wPng == w && hPng == h) << name;
    }
}

// Without a machine the commands show memory as it is (it outlasts the
// machine); neither takes a switch.
TEST(ScreenCommands, WorkWithoutAMachine)
{
    memset(abMem6502, 0, MEM_SIZE6502);
    fill_as_session(abMem6502 + VIDEO_BASE);
    auto run = [](const char* line) {
        std::vector<char> buf(CMD_LINE_SIZE + 1, 0);
        strcpy(buf.data(), line);
        testing::internal::CaptureStdout();
        cmd_parse(aCmdTable, buf.data(), nullptr);
        return testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ(run("screen"), expected_text());
    EXPECT_EQ(run("sc"), expected_text());
    EXPECT_EQ(run("screen /x"), "screen does not support switch /x \n");
    TempDir dir;
    std::string path = dir.file("shot.png");
    EXPECT_EQ(run(("sn \"" + path + "\"").c_str()), "screenshot saved as " + path + "\n");
    int w = 0, h = 0;
    EXPECT_EQ(read_png(path, &w, &h).size(), 256u * 256u);
    memset(abMem6502, 0, MEM_SIZE6502);
}

// With no display and no driver named, `create` says in one line that the
// window fell back to a headless driver; with the driver named, it says
// nothing.
TEST(ScreenCommands, CreateNamesTheHeadlessFallback)
{
    const char* const NOTICE = "no display: the video window is drawn in memory only (SDL driver "
                               "'offscreen'); 'screen' and 'snap' show it\n";
    RunResult named = run_tessaly({"-nologo"}, "create\nquit\n");
    EXPECT_EQ(named.out, "[C1P] create\n[C1P] quit\n");
    if (file_exists("/dev/dri"))
        GTEST_SKIP() << "a display device that SDL might take";
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = getenv(name))
            saved.emplace_back(name, value);
        unsetenv(name);
    }
    // Empty is no choice: the child does not put in a driver of its own.
    setenv("SDL_VIDEODRIVER", "", 1);
    RunResult fallback = run_tessaly({"-nologo"}, "create\nquit\n");
    unsetenv("SDL_VIDEODRIVER");
    for (const auto& [name, value] : saved)
        setenv(name.c_str(), value.c_str(), 1);
    EXPECT_EQ(fallback.out, std::string("[C1P] create\n") + NOTICE + "[C1P] quit\n");
}

} // namespace
