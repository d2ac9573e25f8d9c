// Placeholder ROM images, replaced by the images assembled from our sources.
#include <cstddef>
#include <cstdint>

extern const uint8_t abRomBasic[0x2000] = {};
extern const size_t cbRomBasic = sizeof abRomBasic;
extern const uint8_t abRomSystem[0x800] = {};
extern const size_t cbRomSystem = sizeof abRomSystem;
