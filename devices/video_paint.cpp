// Painting of character cells, shared by the video window and dev_render, and
// the PNG writer of screenshots.
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <png.h>
#include <string>
#include <unistd.h>

#include "platform.h"
#include "resources.h"
#include "video.h"

// The character code of one cell. The CPU thread stores into the frame
// buffer without a lock while the window paints from it, as the machine's
// own video circuit reads the RAM that the processor writes: the race is
// the hardware's, so the race detector does not look at this one read. The
// cell shows whatever byte it finds, and the store invalidates it again.
__attribute__((no_sanitize("thread"))) static byte dev_cell_code(const byte* pb)
{
    return *static_cast<const volatile byte*>(pb);
}

void dev_frame_copy(const Device* dev, byte* out)
{
    for (int i = 0; i < dev->cRows * dev->cCols; i++)
        out[i] = dev->pbFrame ? dev_cell_code(dev->pbFrame + i) : 0;
}

int dev_rows(const Device* dev)
{
    int rows = dev->cRows - (dev->bBias ? 4 : 0);
    return rows > 0 ? rows : 0;
}

// The glyph set for a cell height: the 8-pixel set for 8-pixel cells, the
// 16-pixel set, scaled as needed, for all others.
struct GlyphSet {
    const uint8_t* pb; // null when the resource is missing or short
    int cyGlyph;       // pixel rows per glyph, also pixels per row
    int cbRow;         // bytes per pixel row
};

static GlyphSet glyph_set(int cyCell)
{
    GlyphSet gs = cyCell == 8 ? GlyphSet{nullptr, 8, 1} : GlyphSet{nullptr, 16, 2};
    const Resource* res = res_find(cyCell == 8 ? RES_FONT8 : RES_FONT16);
    if (res && res->cb >= static_cast<size_t>(256 * gs.cyGlyph * gs.cbRow))
        gs.pb = res->pb;
    return gs;
}

void dev_paint_cell(const Device* dev, int row, int col, uint32_t* pixels, int cx, int cy)
{
    // The cell size is read afresh: a window keeps the size it was made with,
    // so a larger cell is clipped to the image rather than drawn past it.
    int cxCell = dev->cxCell, cyCell = dev->cyCell;
    int x0 = col * cxCell, y0 = row * cyCell;
    if (cxCell == 0 || cyCell == 0 || row < 0 || col < 0 || x0 >= cx || y0 >= cy)
        return;
    int cxDraw = cxCell < cx - x0 ? cxCell : cx - x0;
    int cyDraw = cyCell < cy - y0 ? cyCell : cy - y0;

    // A cell whose byte would lie past the frame buffer's last byte (a window
    // made before the bias changed) is drawn dark: painting never reads
    // beyond the frame buffer.
    GlyphSet gs = glyph_set(cyCell);
    int offset = dev->bBias + dev->cCols * row + col;
    const uint8_t* pbGlyph = nullptr;
    if (gs.pb && dev->pbFrame && col < dev->cCols && offset < dev->cRows * dev->cCols) {
        byte code = dev_cell_code(dev->pbFrame + offset);
        pbGlyph = gs.pb + code * gs.cyGlyph * gs.cbRow;
    }
    for (int y = 0; y < cyDraw; y++) {
        uint32_t* pdw = pixels + static_cast<size_t>(y0 + y) * cx + x0;
        const uint8_t* pbRow = pbGlyph ? pbGlyph + y * gs.cyGlyph / cyCell * gs.cbRow : nullptr;
        for (int x = 0; x < cxDraw; x++) {
            int gx = x * gs.cyGlyph / cxCell;
            bool fLit = pbRow && (pbRow[gx >> 3] & (0x80 >> (gx & 7)));
            pdw[x] = fLit ? RGB_WHITE : RGB_BLACK;
        }
    }
}

void dev_render(const Device* dev, std::vector<uint32_t>& pixels, int& w, int& h)
{
    int rows = dev_rows(dev);
    w = dev->cCols * dev->cxCell;
    h = rows * dev->cyCell;
    pixels.assign(static_cast<size_t>(w) * h, RGB_BLACK);
    for (int row = 0; row < rows; row++)
        for (int col = 0; col < dev->cCols; col++)
            dev_paint_cell(dev, row, col, pixels.data(), w, h);
}

static bool png_write_file(FILE* pf, const std::vector<uint32_t>& pixels, int w, int h)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> abRow(static_cast<size_t>(w) * 3);
    volatile bool ok = false; // set after the last call that may jump back
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, pf);
        png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                uint32_t rgb = pixels[static_cast<size_t>(y) * w + x];
                abRow[3 * x] = static_cast<png_byte>(rgb >> 16);
                abRow[3 * x + 1] = static_cast<png_byte>(rgb >> 8);
                abRow[3 * x + 2] = static_cast<png_byte>(rgb);
            }
            png_write_row(png, abRow.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}

// The image goes to a file of its own beside `path` first, which then takes
// the name: a failure leaves nothing behind, and a file of that name as it
// was.
bool dev_write_png(const char* path, const std::vector<uint32_t>& pixels, int w, int h)
{
    if (w <= 0 || h <= 0 || pixels.size() < static_cast<size_t>(w) * h)
        return false;
    static std::atomic<unsigned> cWritten;
    std::string strPart = std::string(path) + "." + std::to_string(getpid()) + "-" +
                          std::to_string(cWritten++) + ".part";
    int fd = open(strPart.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok;
    {
        FilePtr pf(fdopen(fd, "wb"));
        if (!pf) {
            close(fd);
            remove(strPart.c_str());
            return false;
        }
        ok = png_write_file(pf.get(), pixels, w, h) && fflush(pf.get()) == 0 && !ferror(pf.get());
        ok = fclose(pf.release()) == 0 && ok;
    }
    ok = ok && rename(strPart.c_str(), path) == 0;
    if (!ok)
        remove(strPart.c_str());
    return ok;
}
