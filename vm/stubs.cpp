// Placeholders of the virtual machine, replaced as it is built.
#include "cpu6502.h"
#include "shell.h"
#include "vm.h"

std::atomic<uint32_t> dwCPUFlags;
std::atomic<int32_t> cInsExecuted;
std::atomic<int32_t> cTraceIns;

const char* const MSG_NOT_CREATED = "virtual machine not created, use 'create' to create\n";

static std::unique_ptr<OpDesc[]> pOpDesc6502;

bool cpu6502_init()
{
    pOpDesc6502 = gen_opdesc_array(&cpu6502);
    aOpDesc6502 = pOpDesc6502.get();
    return aOpDesc6502 != nullptr;
}

static int notyet(const char* what)
{
    con_printf("%s: not available yet\n", what);
    return 0;
}

bool cpu6502_exists()
{
    return false;
}

int cpu6502_create(int, char**, const Switches*)
{
    return notyet("create");
}

int cpu6502_close(int argc, char**, const Switches*)
{
    return argc ? notyet("close") : 0;
}

void cpu6502_wait()
{
}

void cpu6502_exit()
{
}

void cpu6502_stopped(bool)
{
}

void cpu6502_hit(Breakpoint*)
{
}

Breakpoint* bp_find(int32_t, int32_t, uint32_t)
{
    return nullptr;
}

Breakpoint* bp_add(int32_t, int32_t, uint32_t)
{
    return nullptr;
}

void bp_print(const Breakpoint*, bool)
{
}

void bp_clear()
{
}

int cmd_bp(int, char**, const Switches*)
{
    return notyet("bp");
}

int cmd_go(int, char**, const Switches*)
{
    return notyet("go");
}

int cmd_halt(int argc, char**, const Switches*)
{
    return argc ? notyet("halt") : 0;
}

int cmd_break(int, char**, const Switches*)
{
    return notyet("break");
}

int cmd_trace(int, char**, const Switches*)
{
    return notyet("trace");
}

int cmd_dump(int, char**, const Switches*)
{
    return notyet("dump");
}

int cmd_edit(int, char**, const Switches*)
{
    return notyet("edit");
}

int cmd_regs(int, char**, const Switches*)
{
    return notyet("regs");
}
