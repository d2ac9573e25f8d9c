// The command table: every debugger command, its help, switches, handler and
// parameter counts. The order is the order of the `?` listing and takes part
// in abbreviation matching.
#include "cassette.h"
#include "cpu6502.h"
#include "mem.h"
#include "shell.h"
#include "video.h"
#include "vm.h"

// clang-format off
static const CmdSwitch aswBp[] = {
    {"bp [/c] [/d [/w]] [/l] [{addr} [{upper addr}]]", nullptr},
    {"/c", "clear breakpoint(s) (default is set)"},
    {"/d", "set data breakpoint (default is code)"},
    {"/h:#", "set breakpoint hit threshold"},
    {"/i:#", "set instruction count threshold"},
    {"/l", "list breakpoints"},
    {"/p", "set perm breakpoint (default is temp)"},
    {"/t", "set trace breakpoint (default is halt)"},
    {"/w", "set write breakpoint (default is read)"},
    {nullptr, nullptr},
};

static const CmdSwitch aswCassette[] = {
    {"cassette [{file}]", nullptr},
    {"/c", "close cassette file"},
    {"/r", "rewind cassette file"},
    {"/w", "append output to {file} (/c closes it too, /c /w only it)"},
    {nullptr, nullptr},
};

static const CmdSwitch aswDump[] = {
    {"dump [{addr}]", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswEdit[] = {
    {"edit {addr} {byte(s)|\"$string\"}", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswGo[] = {
    {"go [{addr} [{upper addr}]]", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswLoad[] = {
    {"load [{addr} {file}]", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswLog[] = {
    {"log [{file}]", nullptr},
    {"/c", "close log"},
    {"/d", "disable log"},
    {"/e", "enable log"},
    {nullptr, nullptr},
};

static const CmdSwitch aswScreen[] = {
    {"screen    (codes other than ASCII 0x20..0x7E show as '.')", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswSnap[] = {
    {"snap [{file}]    (a PNG; by default c1p-screen-###.png)", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswSpeed[] = {
    {"speed [real|max]    (real: the machine's 0.983 MHz; max: flat out)", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswTrace[] = {
    {"ptrace or trace [# of instructions]", nullptr},
    {"/l", "logged trace"},
    {"/q", "quiet trace"},
    {"/v", "verbose trace"},
    {nullptr, nullptr},
};

static const CmdSwitch aswRegs[] = {
    {"regs [{reg} [{data}]]", nullptr},
    {nullptr, nullptr},
};

static const CmdSwitch aswUnassemble[] = {
    {"unassemble [{addr}]", nullptr},
    {"/i:#", "# of instructions"},
    {"/l", "logged unassembly"},
    {nullptr, nullptr},
};

const Cmd aCmdTable[] = {
//   name          help                       switches       handler         min max
    {"bp",         "manage breakpoints",      aswBp,         cmd_bp,         0, 2},
    {"break",      "halt and reset",          nullptr,       cmd_break,      0, 0},
    {"cassette",   "manage cassette file",    aswCassette,   cmd_cassette,   0, 1},
    {"close",      "close virtual machine",   nullptr,       cpu6502_close,  0, 0},
    {"create",     "create virtual machine",  nullptr,       cpu6502_create, 0, 0},
    {"dump",       "dump memory",             aswDump,       cmd_dump,       0, NO_LIMIT},
    {"edit",       "edit memory",             aswEdit,       cmd_edit,       2, NO_LIMIT},
    {"go",         "execute instructions",    aswGo,         cmd_go,         0, 2},
    {"halt",       "halt execution",          nullptr,       cmd_halt,       0, 0},
    {"load",       "initialize memory/ROM",   aswLoad,       cmd_load,       0, 2},
    {"log",        "manage log file",         aswLog,        cmd_log,        0, 1},
    {"mem",        "display memory info",     nullptr,       cmd_mem,        0, NO_LIMIT},
    {"ptrace",     "procedure trace",         aswTrace,      cmd_trace,      0, 1},
    {"regs",       "dump/modify registers",   aswRegs,       cmd_regs,       0, 2},
    {"screen",     "show screen as text",     aswScreen,     cmd_screen,     0, 0},
    {"snap",       "save screen as PNG",      aswSnap,       cmd_snap,       0, 1},
    {"speed",      "set CPU speed",           aswSpeed,      cmd_speed,      0, 1},
    {"trace",      "trace instruction(s)",    aswTrace,      cmd_trace,      0, 1},
    {"unassemble", "unassemble instructions", aswUnassemble, unassemble,     0, NO_LIMIT},
    {"@{file}",    "process command file",    nullptr,       nullptr,        0, NO_LIMIT},
    {"quit",       "exit program",            nullptr,       nullptr,        0, 0},
    {nullptr,      nullptr,                   nullptr,       nullptr,        0, 0},
};
// clang-format on
