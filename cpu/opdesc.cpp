// The opcode descriptor array: the instruction table expanded into one entry
// per opcode, checked for consistency on the way.
#include <cstring>
#include <new>

#include "console.h"
#include "cpu6502.h"

namespace
{

// What an eight-character bit string says: the bits written '1' (in an
// opcode pattern) and the one contiguous run of special characters ('?' in
// an opcode pattern, '1' in a mode-select mask).
struct BitString {
    unsigned ones;  // bits written '1' (opcode patterns only)
    unsigned count; // length of the run of special characters
    unsigned shift; // lowest bit of the run; 0 without a run
};

// Reads `text` from its eighth character (bit 0) back to its first (bit 7).
// Returns false when the string is faulty: shorter than eight characters, a
// character other than '0', '1' or `special`, or a second run of `special`.
bool read_bits(const char* text, char special, BitString* out)
{
    *out = BitString{0, 0, 0};
    if (!text || strnlen(text, 8) < 8)
        return false;
    for (unsigned bit = 0; bit < 8; bit++) {
        char c = text[7 - bit];
        if (c == special) {
            if (out->count == 0)
                out->shift = bit;
            else if (bit != out->shift + out->count)
                return false;
            out->count++;
        } else if (c == '1') {
            out->ones |= 1u << bit;
        } else if (c != '0') {
            return false;
        }
    }
    return true;
}

// Expands one instruction record into `desc`. Returns false after reporting
// a fault; the record then claims nothing more.
bool expand_record(const CpuDef* cpu, const InsDef* ins, OpDesc* desc)
{
    BitString pattern;
    if (!read_bits(ins->opcode, '?', &pattern)) {
        con_printf("gen_opdesc_array: discrepancy in 'opcode' for %s: %s\n", ins->name,
                   gen_text(ins->opcode));
        return false;
    }
    // The mode-select bits: the '1's of maskOpcodeFetch, or else the '?' bits.
    BitString select = pattern;
    if (ins->maskOpcodeFetch) {
        if (!read_bits(ins->maskOpcodeFetch, '1', &select) || select.count < pattern.count) {
            con_printf("gen_opdesc_array: discrepancy in 'maskOpcodeFetch' for %s: %s\n", ins->name,
                       ins->maskOpcodeFetch);
            return false;
        }
    }
    const unsigned k = select.count;
    const unsigned selectMask = ((1u << k) - 1) << select.shift;
    // A mode group has as many records as its index strings can number (the
    // first record's index has one digit per mode-select bit): the select
    // bits may not reach past the group's end.
    if ((ins->fetch != nullptr) != (k > 0) ||
        (ins->fetch && strnlen(gen_text(ins->fetch[0].opcode), 9) < k)) {
        con_printf("gen_opdesc_array: fetch discrepancy for instruction %s\n", ins->name);
        return false;
    }
    const unsigned cModes = 1u << k;
    if (ins->maskFetch && strlen(ins->maskFetch) != cModes) {
        con_printf("gen_opdesc_array: fetch mask discrepancy for instruction %s\n", ins->name);
        return false;
    }
    bool sound = true;
    for (unsigned w = 0; w < (1u << pattern.count); w++) {
        const unsigned op = (w << pattern.shift) | pattern.ones;
        if (op >= static_cast<unsigned>(cpu->numOpcodes)) {
            // Only a descriptor with fewer than 256 opcodes gets here.
            con_printf("gen_opdesc_array: opcode 0x%02x out of range for instruction %s\n", op,
                       ins->name);
            return false;
        }
        const InsDef* mode = nullptr;
        if (k > 0) {
            const unsigned index = (op & selectMask) >> select.shift;
            if (ins->maskFetch) {
                char used = ins->maskFetch[cModes - 1 - index];
                if (used == '0')
                    continue;
                if (used != '1') {
                    con_printf("gen_opdesc_array: fetch mask discrepancy #2 for instruction "
                               "0x%02x: %s\n",
                               op, ins->name);
                    return false;
                }
            }
            mode = &ins->fetch[index];
        }
        if (desc[op].ins) {
            con_printf("gen_opdesc_array: opcode collision at 0x%02x: current=%s, new=%s\n", op,
                       desc[op].ins->name, ins->name);
            return false;
        }
        desc[op] = OpDesc{ins, mode};
        if (mode && (!mode->desc || !*mode->desc)) {
            con_printf("gen_opdesc_array: addressing mode undefined for instruction 0x%02x: %s\n",
                       op, ins->name);
            sound = false;
        }
    }
    return sound;
}

} // namespace

std::unique_ptr<OpDesc[]> gen_opdesc_array(const CpuDef* cpu)
{
    if (cpu->numOpcodes <= 0)
        return nullptr;
    std::unique_ptr<OpDesc[]> desc(new (std::nothrow) OpDesc[cpu->numOpcodes]());
    if (!desc)
        return nullptr;
    // A faulty record ends only its own expansion, so that one call reports
    // every faulty record of the table.
    bool sound = true;
    for (int i = 0; i < cpu->numInsDefs; i++)
        if (!expand_record(cpu, &cpu->insDefs[i], desc.get()))
            sound = false;
    if (!sound)
        return nullptr;
    return desc;
}
