// Image loading from "{addr}:{file}" text, as -load and `load` give it. The
// input's first line is the text; the rest is the file "img". A load that
// succeeds puts the file's bytes at the address, as many as fit below 64K,
// and touches nothing else.
#include <cstdlib>
#include <cstring>
#include <string>

#include "cpu6502.h"
#include "fuzz.h"
#include "mem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(false);
    if (size > 128 * 1024)
        return 0;
    const uint8_t* nl = static_cast<const uint8_t*>(memchr(data, '\n', size));
    size_t cchSpec = nl ? static_cast<size_t>(nl - data) : size;
    std::string spec(reinterpret_cast<const char*>(data), cchSpec);
    const uint8_t* image = nl ? nl + 1 : data + size;
    size_t cbImage = static_cast<size_t>(data + size - image);
    fuzz::write_file("img", image, cbImage);

    memset(abMem6502, 0xA5, MEM_SIZE6502 + 1);
    int ok;
    {
        fuzz::Confined confined;
        ok = mem_load(spec.c_str());
    }
    fuzz::check(ok == 0 || ok == 1, "mem_load returns 0 or 1");
    fuzz::check(abMem6502[MEM_SIZE6502] == 0xA5, "nothing is written past the 64 KB");
    char* end;
    unsigned long addr = strtoul(spec.c_str(), &end, 16);
    if (ok && strcmp(end, ":img") == 0 && spec.find('\0') == std::string::npos) {
        size_t n = cbImage < MEM_SIZE6502 - addr ? cbImage : MEM_SIZE6502 - addr;
        fuzz::check(memcmp(abMem6502 + addr, image, n) == 0, "the image lands at its address");
        for (size_t a = 0; a < MEM_SIZE6502; a++)
            if (a < addr || a >= addr + n)
                fuzz::check(abMem6502[a] == 0xA5, "memory outside the image is untouched");
    }
    fuzz::clear_files();
    return 0;
}
