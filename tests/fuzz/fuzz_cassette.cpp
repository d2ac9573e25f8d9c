// The cassette reader against a model of it. The input's first two bytes
// give the length of the tape, which follows; every byte after it is one
// access of the emulated program or one command: a read or a store at an
// offset of the page, a rewind, or closing and attaching the tape again.
// Each byte the program reads must be the model's: the tape with CR LF read
// as LF, every LF delivered as CR, and nothing from a 0x1A byte on; the
// status register says whether a byte waits. The tape file never changes.
#include <cstring>
#include <string>
#include <vector>

#include "cassette.h"
#include "cpu6502.h"
#include "fuzz.h"
#include "mem.h"
#include "shell.h"
#include "vm.h"

namespace
{

std::vector<byte> model_of(const std::string& tape)
{
    std::vector<byte> out;
    for (size_t i = 0; i < tape.size(); i++) {
        byte b = static_cast<byte>(tape[i]);
        if (b == 0x1A)
            break;
        if (b == '\r' && i + 1 < tape.size() && tape[i + 1] == '\n')
            i++;
        out.push_back(b == '\n' ? '\r' : b);
    }
    return out;
}

void cassette(const char* arg, uint32_t mask)
{
    char name[] = "cassette";
    char* argv[] = {name, const_cast<char*>(arg)};
    Switches sw{};
    sw.mask = mask;
    fuzz::Confined confined;
    cmd_cassette(arg ? 2 : 1, argv, &sw);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(false);
    if (size < 2 || size > 64 * 1024)
        return 0;
    size_t cbTape = (data[0] | data[1] << 8) % (size - 1);
    std::string tape(reinterpret_cast<const char*>(data + 2), cbTape);
    fuzz::write_file("tape", data + 2, cbTape);
    const std::vector<byte> expected = model_of(tape);

    size_t pos = 0; // the model's next byte
    bool attached = true;
    bool stale[256] = {}; // offsets stored to since the page was last filled
    cassette("tape", 0);
    for (size_t i = 2 + cbTape; i < size; i++) {
        const int offset = data[i] & 0x3F;
        MachineLock machine;
        byte* reg = abMem6502 + CAS_BASE + offset;
        switch (data[i] >> 6) {
        case 0: { // a read, as an instruction makes it: the byte, then the hook
            byte v = *reg;
            cas_read(offset);
            if (!attached)
                break;
            const bool fKnown = !stale[offset]; // not overwritten by a store
            if (offset & 1) {
                // Reading the data register takes the waiting byte.
                if (fKnown)
                    fuzz::check(v == (pos < expected.size() ? expected[pos] : 0),
                                "the data register holds the tape's next byte, 0 after its end");
                if (pos < expected.size())
                    pos++;
                memset(stale, 0, sizeof stale);
            } else if (fKnown) {
                fuzz::check(v == (pos < expected.size()), "the status says whether a byte waits");
            }
            break;
        }
        case 1: // a store: the interface puts its own value back
            *reg = cas_write(offset, data[i]);
            stale[offset] = true;
            break;
        case 2:
            cassette(nullptr, SW_R);
            if (attached) {
                pos = 0;
                memset(stale, 0, sizeof stale);
            }
            break;
        case 3:
            if (attached) {
                cassette(nullptr, SW_C);
            } else {
                cassette("tape", 0);
                pos = 0;
                memset(stale, 0, sizeof stale);
            }
            attached = !attached;
            break;
        }
    }
    cassette(nullptr, SW_C);
    FILE* f;
    std::string after;
    {
        fuzz::Confined confined;
        f = fopen("tape", "rb");
    }
    if (f) {
        for (int c; (c = getc(f)) != EOF;)
            after.push_back(static_cast<char>(c));
        fclose(f);
    }
    fuzz::check(after == tape, "the tape file is never written");
    fuzz::clear_files();
    return 0;
}
