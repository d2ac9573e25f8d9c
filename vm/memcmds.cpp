// Memory and register commands: dump, edit, regs.
#include "console.h"
#include "cpu6502.h"
#include "mem.h"
#include "vm.h"
#include "vm_internal.h"

int cmd_dump(int argc, char** argv, const Switches* sw)
{
    if (!cpu6502_required())
        return 0;
    MachineLock machine;
    parse_value_notices(argc, argv, 1, 1);
    Reg* la = reg_find("LA");
    uint32_t addr = (sw && argc > 1) ? parse_value(argv[1]) : static_cast<uint32_t>(la->value);
    for (int line = 0; line < 8; line++, addr += 16) {
        addr &= 0xFFFF;
        con_printf("0x%04x: ", addr);
        for (uint32_t i = 0; i < 16; i++)
            con_printf("%02x%c", abMem6502[(addr + i) & 0xFFFF], i == 7 ? '-' : ' ');
        con_printf(" ");
        for (uint32_t i = 0; i < 16; i++) {
            byte b = abMem6502[(addr + i) & 0xFFFF];
            con_printf("%c", b >= 0x20 && b <= 0x7E ? b : '.');
        }
        con_printf("\n");
    }
    la->value = static_cast<int32_t>(addr & 0xFFFF);
    return 0;
}

// Stores one byte with its echo, refreshes a changed screen cell and steps
// the address.
static void edit_byte(uint32_t* pAddr, uint32_t value)
{
    uint32_t addr = *pAddr & 0xFFFF;
    con_printf("0x%02x", abMem6502[addr]);
    abMem6502[addr] = static_cast<byte>(value);
    con_printf("<-0x%02x ", abMem6502[addr]);
    mem_after_edit(addr);
    *pAddr = (addr + 1) & 0xFFFF;
}

int cmd_edit(int argc, char** argv, const Switches*)
{
    if (!cpu6502_required())
        return 0;
    MachineLock machine;
    parse_value_notices(argc, argv, 1, argc - 1);
    uint32_t addr = parse_value(argv[1]) & 0xFFFF;
    con_printf("0x%04x: ", addr);
    for (int i = 2; i < argc; i++) {
        if (argv[i][0] == '$') {
            for (const char* p = argv[i] + 1; *p; p++)
                edit_byte(&addr, static_cast<byte>(*p));
        } else {
            edit_byte(&addr, parse_value(argv[i]));
        }
    }
    con_printf("\n");
    reg_find("LA")->value = static_cast<int32_t>(addr);
    return 0;
}

int cmd_regs(int argc, char** argv, const Switches*)
{
    if (!cpu6502_required())
        return 0;
    MachineLock machine;
    if (argc > 1) {
        if (argc > 3) {
            con_printf("too many arguments\n");
            return 0;
        }
        Reg* reg = reg_find(argv[1]);
        if (!reg) {
            con_printf("unknown register: %s\n", argv[1]);
            return 0;
        }
        parse_value_notices(argc, argv, 2, 2);
        int digits = reg->size == 8 ? 2 : 4;
        con_printf("%s: 0x%0*x", argv[1], digits, reg->value);
        if (argc > 2) {
            reg->value = static_cast<int32_t>(parse_value(argv[2]));
            con_printf("<-0x%0*x", digits, reg->value);
        }
        con_printf("\n");
        return 0;
    }
    int column = 0;
    for (int i = 0; i < NUM_REGS6502; i++) {
        const Reg& reg = aReg6502[i];
        column += con_printf("%*c%s=0x%0*x", reg.size == 8 ? 2 : 1, ' ', reg.name,
                             reg.size == 8 ? 2 : 4, reg.value & 0xFFFF);
        if (column >= 70 || (i + 1 < NUM_REGS6502 && aReg6502[i + 1].size > reg.size)) {
            con_printf("\n");
            column = 0;
        }
    }
    if (column != 0)
        con_printf("\n");
    unassemble(argc, nullptr, nullptr);
    if (cpu6502_flags() & CPU_RUN)
        con_printf("CPU still running, use 'halt' to stop\n");
    return 0;
}
