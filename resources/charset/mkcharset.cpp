// Build-time tool: turns the drawn character set and icon into C++ arrays.
//
//   mkcharset CHARSET.TXT ICON.TXT OUTPUT.CPP
//
// CHARSET.TXT holds 256 blocks, one per character code: a header line that
// starts with the code ("0x41 'A'"), then 8 rows of 8 pixels ('#' lit, '.'
// dark). ICON.TXT holds palette lines ("= c RRGGBBAA") and a square picture
// with one palette character per pixel. Lines starting with "//" are comments
// and blank lines are ignored in both files. Any fault in either file is
// reported as "FILE:LINE: message" and the tool ends with status 1, so that a
// broken drawing stops the build instead of producing a half-empty set.
//
// The output defines abCharset8/cbCharset8 (256 x 8 bytes, one byte per pixel
// row, bit 7 the leftmost pixel), abCharset16/cbCharset16 (256 x 32 bytes: every
// pixel doubled, two bytes per pixel row, high byte first) and abIcon/cbIcon
// (side x side RGBA pixels, 4 bytes each, R first, top row first).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

constexpr int C_GLYPHS = 256;
constexpr int CY_GLYPH = 8;
constexpr int CX_GLYPH = 8;

struct Source {
    std::string name;
    std::vector<std::string> lines;
};

constexpr size_t AT_END = SIZE_MAX; // a fault of the file as a whole

[[noreturn]] static void fail(const Source& src, size_t iLine, const std::string& msg)
{
    if (iLine == AT_END)
        fprintf(stderr, "%s: %s\n", src.name.c_str(), msg.c_str());
    else
        fprintf(stderr, "%s:%zu: %s\n", src.name.c_str(), iLine + 1, msg.c_str());
    exit(1);
}

static Source read_source(const char* name)
{
    Source src{name, {}};
    std::ifstream in(name);
    if (!in) {
        fprintf(stderr, "%s: cannot open\n", name);
        exit(1);
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        src.lines.push_back(line);
    }
    return src;
}

static bool is_hex(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

static bool is_skipped(const std::string& line)
{
    return line.empty() || line.rfind("//", 0) == 0;
}

// Reads the 256 glyphs; every code must appear exactly once.
static std::vector<uint8_t> parse_charset(const Source& src)
{
    std::vector<uint8_t> ab(C_GLYPHS * CY_GLYPH);
    std::vector<bool> seen(C_GLYPHS);
    int code = -1, row = CY_GLYPH;
    size_t iHeader = 0;
    for (size_t i = 0; i < src.lines.size(); i++) {
        const std::string& line = src.lines[i];
        if (is_skipped(line)) {
            if (row < CY_GLYPH && !line.empty())
                fail(src, i, "comment inside the pixel rows of a glyph");
            continue;
        }
        if (row < CY_GLYPH) {
            if (line.size() != CX_GLYPH || line.find_first_not_of(".#") != std::string::npos)
                fail(src, i, "expected a pixel row of 8 characters '.' or '#'");
            uint8_t b = 0;
            for (int x = 0; x < CX_GLYPH; x++)
                if (line[x] == '#')
                    b |= 0x80 >> x;
            ab[code * CY_GLYPH + row++] = b;
            continue;
        }
        if (line.size() < 4 || line[0] != '0' || (line[1] != 'x' && line[1] != 'X') ||
            !is_hex(line.substr(2, 2)) || (line.size() > 4 && line[4] != ' '))
            fail(src, i, "expected a header line starting with a code 0x00..0xFF");
        code = static_cast<int>(strtoul(line.substr(2, 2).c_str(), nullptr, 16));
        if (seen[code])
            fail(src, i, "code " + line.substr(0, 4) + " drawn twice");
        seen[code] = true;
        row = 0;
        iHeader = i;
    }
    if (row < CY_GLYPH)
        fail(src, iHeader, "glyph has fewer than 8 pixel rows");
    for (int c = 0; c < C_GLYPHS; c++) {
        if (!seen[c]) {
            char msg[64];
            snprintf(msg, sizeof msg, "code 0x%02X is missing", c);
            fail(src, AT_END, msg);
        }
    }
    return ab;
}

// Doubles every pixel: each row of 8 becomes two rows of 16.
static std::vector<uint8_t> double_charset(const std::vector<uint8_t>& ab8)
{
    std::vector<uint8_t> ab16;
    ab16.reserve(ab8.size() * 4);
    for (uint8_t b : ab8) {
        uint16_t w = 0;
        for (int x = 0; x < CX_GLYPH; x++)
            if (b & (0x80 >> x))
                w |= 0xC000 >> (2 * x);
        for (int rep = 0; rep < 2; rep++) {
            ab16.push_back(static_cast<uint8_t>(w >> 8));
            ab16.push_back(static_cast<uint8_t>(w & 0xFF));
        }
    }
    return ab16;
}

static std::vector<uint8_t> parse_icon(const Source& src)
{
    std::map<char, uint32_t> palette;
    std::vector<std::string> rows;
    std::vector<size_t> rowLines;
    for (size_t i = 0; i < src.lines.size(); i++) {
        const std::string& line = src.lines[i];
        if (is_skipped(line))
            continue;
        if (line[0] == '=') {
            if (line.size() != 12 || line[1] != ' ' || line[3] != ' ' || !is_hex(line.substr(4)))
                fail(src, i, "expected a palette line \"= c RRGGBBAA\"");
            palette[line[2]] = static_cast<uint32_t>(strtoul(line.c_str() + 4, nullptr, 16));
            continue;
        }
        rows.push_back(line);
        rowLines.push_back(i);
    }
    if (rows.empty())
        fail(src, AT_END, "no picture");
    std::vector<uint8_t> ab;
    for (size_t r = 0; r < rows.size(); r++) {
        if (rows[r].size() != rows.size())
            fail(src, rowLines[r], "the picture must be square");
        for (char ch : rows[r]) {
            auto it = palette.find(ch);
            if (it == palette.end())
                fail(src, rowLines[r], std::string("character '") + ch + "' not in the palette");
            for (int shift = 24; shift >= 0; shift -= 8)
                ab.push_back(static_cast<uint8_t>(it->second >> shift));
        }
    }
    return ab;
}

static const char* base_name(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

static void write_array(FILE* out, const char* name, const char* sizeName,
                        const std::vector<uint8_t>& ab)
{
    fprintf(out, "extern const uint8_t %s[%zu] = {", name, ab.size());
    for (size_t i = 0; i < ab.size(); i++)
        fprintf(out, "%s0x%02x,", i % 16 ? " " : "\n    ", ab[i]);
    fprintf(out, "\n};\nextern const size_t %s = sizeof %s;\n\n", sizeName, name);
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: mkcharset CHARSET.TXT ICON.TXT OUTPUT.CPP\n");
        return 2;
    }
    std::vector<uint8_t> ab8 = parse_charset(read_source(argv[1]));
    std::vector<uint8_t> ab16 = double_charset(ab8);
    std::vector<uint8_t> abIcon = parse_icon(read_source(argv[2]));

    std::string tmp = std::string(argv[3]) + ".tmp";
    FILE* out = fopen(tmp.c_str(), "w");
    if (!out) {
        perror(tmp.c_str());
        return 1;
    }
    fprintf(out, "// Generated by mkcharset from %s and %s: do not edit.\n", base_name(argv[1]),
            base_name(argv[2]));
    fprintf(out, "#include <cstddef>\n#include <cstdint>\n\n");
    write_array(out, "abCharset8", "cbCharset8", ab8);
    write_array(out, "abCharset16", "cbCharset16", ab16);
    write_array(out, "abIcon", "cbIcon", abIcon);
    // Written under a temporary name and renamed, so that a failed run never
    // leaves a truncated source that a later build would take as up to date.
    if (fclose(out) != 0 || rename(tmp.c_str(), argv[3]) != 0) {
        perror(argv[3]);
        remove(tmp.c_str());
        return 1;
    }
    return 0;
}
