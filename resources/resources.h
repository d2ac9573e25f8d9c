// The program's built-in resources, found by id.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int RES_ICON = 101;
constexpr int RES_FONT8 = 801;      // 8 x 8 character set, 8 bytes per glyph
constexpr int RES_FONT16 = 802;     // 16 x 16 character set, 32 bytes per glyph
constexpr int RES_ROM_BASIC = 901;  // 8192 bytes at 0xA000
constexpr int RES_ROM_SYSTEM = 902; // 2048 bytes at 0xF800

struct Resource {
    int id;
    const uint8_t* pb; // valid for the life of the process
    size_t cb;
};

// The resource with this id, or null.
const Resource* res_find(int id);

// Layout of the character sets: 256 glyphs each, code order. RES_FONT8 holds
// 8 bytes per glyph (one per pixel row, bit 7 the leftmost pixel); RES_FONT16
// holds 32 bytes per glyph (two per pixel row, high byte first, bit 7 of the
// high byte the leftmost pixel).
