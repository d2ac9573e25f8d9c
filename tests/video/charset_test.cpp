// The character sets and the icon built from resources/charset, and the
// build tool that turns the drawings into data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "resources.h"
#include "testutil.h"

namespace
{

bool lit8(int code, int row, int col)
{
    return res_find(RES_FONT8)->pb[code * 8 + row] & (0x80 >> col);
}

template <typename Pred>
std::string pattern(Pred lit)
{
    std::string s;
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 8; c++)
            s += lit(r, c) ? '#' : '.';
    return s;
}

std::string glyph_text(int code)
{
    return pattern([code](int r, int c) { return lit8(code, r, c); });
}

} // namespace

TEST(Charset, ResourcesHaveTheirSizes)
{
    ASSERT_NE(res_find(RES_FONT8), nullptr);
    ASSERT_NE(res_find(RES_FONT16), nullptr);
    ASSERT_NE(res_find(RES_ICON), nullptr);
    EXPECT_EQ(res_find(RES_FONT8)->cb, 256u * 8);
    EXPECT_EQ(res_find(RES_FONT16)->cb, 256u * 32);
    EXPECT_EQ(res_find(RES_ICON)->cb, 32u * 32 * 4);
}

TEST(Charset, SixteenPixelSetDoublesEveryPixel)
{
    const uint8_t* pb16 = res_find(RES_FONT16)->pb;
    for (int code = 0; code < 256; code++) {
        for (int y = 0; y < 16; y++) {
            unsigned w = pb16[code * 32 + y * 2] << 8 | pb16[code * 32 + y * 2 + 1];
            for (int x = 0; x < 16; x++)
                ASSERT_EQ((w & (0x8000 >> x)) != 0, lit8(code, y / 2, x / 2))
                    << "code " << code << " pixel " << x << "," << y;
        }
    }
}

TEST(Charset, GlyphsAreDistinctAndOnlySpaceAndEmptyQuartersAreBlank)
{
    const std::string blank(64, '.');
    std::set<std::string> seen;
    for (int code = 0; code < 256; code++) {
        std::string g = glyph_text(code);
        if (code == 0x20 || code == 0x80) {
            EXPECT_EQ(g, blank) << "code " << code;
            continue;
        }
        EXPECT_NE(g, blank) << "code " << code;
        EXPECT_TRUE(seen.insert(g).second) << "code " << code << " repeats another glyph";
    }
}

TEST(Charset, BlockElementsAndLinesFollowTheirCodes)
{
    // 0x80..0x8F: bit 0 upper left, bit 1 upper right, bit 2 lower left,
    // bit 3 lower right quarter.
    for (int q = 0; q < 16; q++)
        EXPECT_EQ(glyph_text(0x80 + q),
                  pattern([q](int r, int c) { return (q >> ((r >= 4) * 2 + (c >= 4))) & 1; }))
            << "quarters " << q;
    for (int n = 0; n < 8; n++) {
        EXPECT_EQ(glyph_text(0xA0 + n), pattern([n](int r, int) { return r == n; }));
        EXPECT_EQ(glyph_text(0xA8 + n), pattern([n](int, int c) { return c == n; }));
    }
    // Box drawing lines meet in the middle of the cell, two pixels thick, so
    // that neighbouring cells join.
    EXPECT_EQ(glyph_text(0xBA),
              pattern([](int r, int c) { return r == 3 || r == 4 || c == 3 || c == 4; }));
}

// The build tool, run on drawings of our own making.
class Mkcharset : public ::testing::Test
{
  protected:
    TempDir dir;
    std::string err;

    static std::string good_charset()
    {
        std::string text = "// a comment\n\n";
        char header[32];
        for (int code = 0; code < 256; code++) {
            snprintf(header, sizeof header, "0x%02X name\n", code);
            text += header;
            for (int r = 0; r < 8; r++)
                text += r == code % 8 ? "#.......\n" : "........\n";
        }
        return text;
    }

    static std::string good_icon()
    {
        return "= . 00000000\n= # ff000080\n.#\n#.\n";
    }

    // Runs the tool; its exit status, with its standard error in `err`.
    int run(const std::string& charset, const std::string& icon)
    {
        write_file(dir.file("c.txt"), charset);
        write_file(dir.file("i.txt"), icon);
        std::string cmd = std::string(MKCHARSET_EXE) + " " + dir.file("c.txt") + " " +
                          dir.file("i.txt") + " " + dir.file("out.cpp") + " 2>" +
                          dir.file("err.txt");
        int status = std::system(cmd.c_str());
        err = read_file(dir.file("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(Mkcharset, WritesBothSetsAndTheIcon)
{
    ASSERT_EQ(run(good_charset(), good_icon()), 0) << err;
    std::string out = read_file(dir.file("out.cpp"));
    EXPECT_NE(out.find("abCharset8[2048] = {\n    0x80, 0x00,"), std::string::npos);
    // Code 0's top row, 0x80, doubled: 0xC000 twice.
    EXPECT_NE(out.find("abCharset16[8192] = {\n    0xc0, 0x00, 0xc0, 0x00, 0x00,"),
              std::string::npos);
    EXPECT_NE(out.find("abIcon[16] = {\n    0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x80,"),
              std::string::npos);
    EXPECT_NE(out.find("cbIcon = sizeof abIcon"), std::string::npos);
}

TEST_F(Mkcharset, RefusesFaultyDrawingsWithTheirLine)
{
    std::string good = good_charset();
    struct Case {
        std::string charset, icon, message;
    };
    std::string missing = good.substr(0, good.find("0xFF name"));
    std::string twice = good;
    twice.replace(twice.find("0x41"), 4, "0x40");
    std::string badRow = good;
    badRow.replace(badRow.find("0x01 name\n") + 10, 8, "..x.....");
    std::string badCode = good;
    badCode.replace(badCode.find("0x02"), 4, "0x-1");
    const Case aCase[] = {
        {missing, good_icon(), "c.txt: code 0xFF is missing"},
        {twice, good_icon(), "c.txt:588: code 0x40 drawn twice"},
        {badRow, good_icon(), "c.txt:13: expected a pixel row"},
        {badCode, good_icon(), "c.txt:21: expected a header line"},
        {good, "= . 00000000\n...\n..\n", "i.txt:2: the picture must be square"},
        {good, "= . 0000000\n.\n", "i.txt:1: expected a palette line"},
    };
    for (const Case& c : aCase) {
        EXPECT_EQ(run(c.charset, c.icon), 1) << c.message;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_FALSE(file_exists(dir.file("out.cpp"))) << c.message;
    }
}
