// The descriptor-array builder on descriptions mutated from the 6502's own:
// opcode patterns, mode masks, addressing-mode groups, operand lengths and
// the number of opcodes change as the input says. Whatever the description,
// the builder either refuses it (null) or returns an array in which every
// entry belongs to an instruction whose pattern matches the opcode and has
// a mode exactly when the instruction has a mode group.
#include <cstring>
#include <memory>

#include "cpu6502.h"
#include "fuzz.h"

namespace
{

constexpr int C_INS = 56;

const InsDef* const apGroups[] = {aFetchAlu, aFetchY, aFetchX, aFetchRmw, aFetchJmp, nullptr};

// A bit string of `len` characters drawn from "01?x" (x: a faulty character).
const char* bits_of(char* buf, const uint8_t* p, int len)
{
    static const char chars[] = "01?1";
    for (int i = 0; i < len; i++)
        buf[i] = p[i] == 0xFF ? 'x' : chars[p[i] & 3];
    buf[len] = 0;
    return buf;
}

bool matches(const char* pattern, unsigned op)
{
    for (int bit = 0; bit < 8; bit++) {
        char c = pattern[7 - bit];
        if ((c == '0' && (op >> bit & 1)) || (c == '1' && !(op >> bit & 1)))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::setup(false);
    static InsDef aIns[C_INS];
    static char aachStrings[C_INS][3][16];
    memcpy(aIns, aIns6502, sizeof aIns);
    CpuDef cpu = cpu6502;
    cpu.insDefs = aIns;
    if (size >= 2) {
        cpu.numInsDefs = C_INS - data[0] % 4;
        cpu.numOpcodes = data[1] < 0xF0 ? 256 : data[1] - 0xEF;
    }
    // Each 11-byte chunk changes one field of one record.
    for (size_t at = 2; at + 11 <= size; at += 11) {
        const uint8_t* p = data + at;
        int i = p[0] % C_INS;
        InsDef& ins = aIns[i];
        switch (p[1] % 5) {
        case 0:
            ins.opcode = bits_of(aachStrings[i][0], p + 2, 8);
            break;
        case 1:
            ins.maskFetch = p[2] % 5 == 0 ? nullptr : bits_of(aachStrings[i][1], p + 3, p[2] % 9);
            break;
        case 2:
            ins.maskOpcodeFetch = p[2] % 3 == 0 ? nullptr : bits_of(aachStrings[i][2], p + 3, 8);
            break;
        case 3:
            ins.fetch = apGroups[p[2] % 6];
            break;
        case 4:
            ins.lastByte = static_cast<int8_t>(p[2]);
            break;
        }
    }
    std::unique_ptr<OpDesc[]> desc = gen_opdesc_array(&cpu);
    if (!desc)
        return 0;
    for (int op = 0; op < cpu.numOpcodes; op++) {
        const OpDesc& d = desc[op];
        if (!d.ins)
            continue;
        fuzz::check(d.ins >= aIns && d.ins < aIns + cpu.numInsDefs, "an entry names a record");
        fuzz::check(matches(d.ins->opcode, static_cast<unsigned>(op)),
                    "an entry's opcode matches its instruction's pattern");
        fuzz::check((d.mode != nullptr) == (d.ins->fetch != nullptr),
                    "a mode exactly when the instruction has a mode group");
        if (d.mode) {
            fuzz::check(d.mode >= d.ins->fetch && d.mode < d.ins->fetch + 8,
                        "the mode is one of its group");
            fuzz::check(d.mode->desc && *d.mode->desc, "the mode has an operand format");
        }
    }
    return 0;
}
