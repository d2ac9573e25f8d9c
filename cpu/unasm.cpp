// The disassembler: the `unassemble` command, and the one-line display of
// the instruction at PC that the tracer, `regs` and the stop reports use.
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "console.h"
#include "cpu6502.h"
#include "lock.h"

namespace
{

constexpr int32_t DEFAULT_COUNT = 18; // lines shown by `unassemble` without /i:#

// unassemble_hooks: set once at start-up, before any thread could read them.
std::atomic<bool (*)()> pfnUnasmRequired;
std::atomic<bool (*)(int32_t)> pfnUnasmMarked;

// A line being formatted into a caller's buffer; `len` counts every character
// formatted so far, which places the columns.
struct Line {
    char* buf;
    size_t size;
    size_t len;

    void add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        size_t room = len < size ? size - len : 0;
        int n = vsnprintf(room ? buf + len : nullptr, room, format, args);
        va_end(args);
        if (n > 0)
            len += static_cast<size_t>(n);
    }

    // Pads with spaces so that the next character lands in column `column`
    // (at least one space).
    void pad_to(size_t column)
    {
        size_t n = std::min(len, column - 1);
        add("%*c", static_cast<int>(column - n), ' ');
    }
};

byte mem_at(uint32_t addr)
{
    return abMem6502[addr & 0xFFFF];
}

// " name=0x.." for every considered register whose value changed since it
// was last shown; the considered registers then count as shown.
void add_changed_registers(Line* line)
{
    const int cRegs = log_active() ? REG_EA + 1 : REG_P + 1;
    for (int i = 0; i < cRegs; i++) {
        Reg& reg = aReg6502[i];
        if (reg.value != reg.valueShown)
            line->add(" %s=0x%0*x", reg.name, reg.size == 8 ? 2 : 4,
                      static_cast<unsigned>(reg.value & 0xFFFF));
        reg.valueShown = reg.value;
    }
}

} // namespace

uint32_t unassemble_line(char* buf, size_t size, uint32_t addr, int argc)
{
    Line line{buf, size, 0};
    if (size)
        buf[0] = 0;
    addr &= 0xFFFF;
    const uint32_t start = addr;
    line.add("0x%04x: ", addr);

    const byte opcode = mem_at(addr);
    const OpDesc d = aOpDesc6502 ? aOpDesc6502[opcode] : OpDesc{nullptr, nullptr};
    // The instruction's own bytes: the opcode, and a branch's displacement.
    const int cOwn = d.ins ? d.ins->lastByte + 1 : 1;
    for (int i = 0; i < cOwn; i++)
        line.add("%02x ", mem_at(addr++));
    // The operand bytes of the addressing mode, shown before they are read.
    const int lastOperand = d.mode ? d.mode->lastByte : -1;
    for (int i = 0; i <= lastOperand; i++)
        line.add("%02x ", mem_at(addr + i));

    // The marker sits in column 18 and the mnemonic starts in column 19.
    const auto pfnMarked = pfnUnasmMarked.load();
    const char marker = pfnMarked && pfnMarked(static_cast<int32_t>(start)) ? '*' : ' ';
    line.pad_to(18);
    line.add("%c%s ", marker, d.ins ? d.ins->name : "undefined");

    if (!d.ins) {
        line.add("'%c'", opcode >= 0x20 && opcode <= 0x7E ? opcode : ' ');
    } else if (d.mode) {
        // The operand format takes the high byte first; a one-byte operand
        // is given twice.
        const byte lo = mem_at(addr);
        const byte hi = d.mode->lastByte != 0 ? mem_at(addr + 1) : lo;
        line.add(d.mode->desc, hi, lo);
        addr += d.mode->lastByte + 1;
    } else if (d.ins->lastByte != 0) {
        // A branch: the target is relative to the address after it.
        const auto displacement = static_cast<int8_t>(mem_at(addr - 1));
        line.add("0x%04x", (addr + displacement) & 0xFFFF);
    }

    line.pad_to(40);
    if (argc < 0)
        line.add(";%06lld", -static_cast<long long>(argc));
    if (argc != 1)
        add_changed_registers(&line);
    line.add("\n");
    return addr;
}

void unassemble_hooks(bool (*pfnRequired)(), bool (*pfnMarked)(int32_t addr))
{
    pfnUnasmRequired = pfnRequired;
    pfnUnasmMarked = pfnMarked;
}

int unassemble(int argc, char** argv, const Switches* sw)
{
    const auto pfnRequired = pfnUnasmRequired.load();
    if (pfnRequired && !pfnRequired())
        return 0;
    MachineLock machine;
    return unassemble_lines(argc, argv, sw);
}

int unassemble_lines(int argc, char** argv, const Switches* sw)
{
    int32_t& la = aReg6502[REG_LA].value;
    uint32_t addr;
    int32_t count;
    if (sw) {
        count = (sw->valued & SW_I) ? static_cast<int32_t>(sw->value['i' - 'a']) : DEFAULT_COUNT;
        parse_value_notices(argc, argv, 1, 1);
        addr = argc >= 2 ? parse_value(argv[1]) : static_cast<uint32_t>(la);
        if (count < 1) {
            la = static_cast<int32_t>(addr & 0xFFFF);
            return 0;
        }
    } else {
        addr = static_cast<uint32_t>(aReg6502[REG_PC].value);
        count = 1;
    }
    // "/l": the lines reach only the log file.
    const bool logged = sw && (sw->mask & SW_L);
    char text[512];
    for (int32_t i = 0; i < count; i++) {
        if (logged)
            con_disable();
        addr = unassemble_line(text, sizeof text, addr, argc);
        con_printf("%s", text);
        if (logged)
            con_enable();
    }
    la = static_cast<int32_t>(addr & 0xFFFF);
    return 0;
}
