// Placeholder character sets and icon, replaced by the data built from our
// own glyph file.
#include <cstddef>
#include <cstdint>

extern const uint8_t abCharset8[256 * 8] = {};
extern const size_t cbCharset8 = sizeof abCharset8;
extern const uint8_t abCharset16[256 * 32] = {};
extern const size_t cbCharset16 = sizeof abCharset16;
extern const uint8_t abIcon[1] = {};
extern const size_t cbIcon = 0;
