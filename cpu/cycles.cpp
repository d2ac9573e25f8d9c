// Clock cycles of the 6502's instructions, for running the CPU at the
// machine's own speed. Each opcode's cycles are those its instruction record
// and its addressing-mode record carry, summed once at start-up; what
// depends on the instruction's run (a taken branch, an index that carries
// into the next page) is added after it has executed, from where PC and EA
// ended up.
#include <cstring>

#include "cpu6502.h"

// What an opcode's cycles depend on beyond its fixed count.
enum CycleKind : uint8_t {
    CYK_FIXED,  // nothing
    CYK_BRANCH, // +1 when taken, +1 more when it lands on another page
    CYK_PAGE_X, // a read indexed by X: +1 when the index carries into the next page
    CYK_PAGE_Y, // the same, indexed by Y
};

// The addressing modes whose index can carry into the next page: the base
// address is two bytes (absolute, or the pointer of (zp),Y), and the index
// is added to all sixteen bits.
static const struct {
    const char* name;
    CycleKind kind;
} aPageModes[] = {
    {"AbsX", CYK_PAGE_X},
    {"AbsY", CYK_PAGE_Y},
    {"IndY", CYK_PAGE_Y},
};

// The cycle table, built by cyc6502_init.
struct CycState {
    uint8_t abCycles[256]; // fixed cycles of each opcode
    uint8_t abKind[256];   // CycleKind
};
static CycState cycState;

// The cycles an undefined opcode is counted (the CPU stops on it anyway).
constexpr uint8_t CYCLES_UNDEFINED = 2;

void cyc6502_init(const OpDesc* desc, int count)
{
    for (int op = 0; op < 256; op++) {
        cycState.abCycles[op] = CYCLES_UNDEFINED;
        cycState.abKind[op] = CYK_FIXED;
        const InsDef* ins = desc && op < count ? desc[op].ins : nullptr;
        if (!ins)
            continue;
        const InsDef* mode = desc[op].mode;
        int cycles = ins->cycles + (mode ? mode->cycles : 0);
        CycleKind kind = CYK_FIXED;
        // A branch is the one kind of record with an operand byte and no
        // addressing mode: its displacement.
        if (!ins->fetch && ins->lastByte == 1)
            kind = CYK_BRANCH;
        // The read-modify-write modes carry their full cost: those
        // instructions always take the extra cycle of an indexed address.
        for (const auto& pm : aPageModes) {
            if (!mode || ins->fetch == aFetchRmw || strcmp(mode->name, pm.name) != 0)
                continue;
            // A store cannot skip the cycle that fixes up the high byte of an
            // indexed address, so it always takes it; a read takes it only
            // when the index carried into the next page.
            if (ins->code && strstr(ins->code, "W = 1"))
                cycles++;
            else
                kind = pm.kind;
        }
        cycState.abCycles[op] = static_cast<uint8_t>(cycles);
        cycState.abKind[op] = kind;
    }
}

int cyc6502_cycles(byte opcode, int32_t pc, int32_t pcNext, int32_t ea)
{
    int cycles = cycState.abCycles[opcode];
    int32_t index;
    switch (cycState.abKind[opcode]) {
    case CYK_BRANCH: {
        // Not taken, PC is past the displacement. (A taken branch of
        // displacement 0 lands there too and is counted as not taken.)
        const int32_t next = (pc + 2) & 0xFFFF;
        pcNext &= 0xFFFF;
        if (pcNext != next)
            cycles += ((pcNext ^ next) & 0xFF00) ? 2 : 1;
        return cycles;
    }
    case CYK_PAGE_X:
        index = aReg6502[REG_X].value & 0xFF;
        break;
    case CYK_PAGE_Y:
        index = aReg6502[REG_Y].value & 0xFF;
        break;
    default:
        return cycles;
    }
    // EA is the base plus the index, not reduced to 16 bits: the base's
    // page and EA's differ when the index carried.
    return cycles + ((((ea - index) ^ ea) & 0xFF00) != 0);
}
