// The table of built-in resources. The data arrays are generated at build
// time: the ROM images by resources/rom, the character sets and the icon by
// resources/charset.
#include "resources.h"

extern const uint8_t abRomBasic[];
extern const size_t cbRomBasic;
extern const uint8_t abRomSystem[];
extern const size_t cbRomSystem;
extern const uint8_t abCharset8[];
extern const size_t cbCharset8;
extern const uint8_t abCharset16[];
extern const size_t cbCharset16;
extern const uint8_t abIcon[];
extern const size_t cbIcon;

const Resource* res_find(int id)
{
    static const Resource aResources[] = {
        {RES_ICON, abIcon, cbIcon},
        {RES_FONT8, abCharset8, cbCharset8},
        {RES_FONT16, abCharset16, cbCharset16},
        {RES_ROM_BASIC, abRomBasic, cbRomBasic},
        {RES_ROM_SYSTEM, abRomSystem, cbRomSystem},
    };
    for (const Resource& res : aResources)
        if (res.id == id)
            return &res;
    return nullptr;
}
