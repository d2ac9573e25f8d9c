// Command-line options, debugger commands given as options, and the banner.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "cpu6502.h"
#include "mem.h"
#include "shell.h"
#include "shell_internal.h"
#include "video.h"
#include "vm.h"

// clang-format off
const Option aOptionTable[] = {
    {"-?",      "display command-line options",                  opt_help},
    {"-gc",     "generate opcode code (-gc or -gc:{file})",      gen_opcode_funcs},
    {"-gl",     "generate opcode listing (-gl or -gl:{file})",   gen_opcode_listing},
    {"-load",   "load ROM or other image (-load:{addr}:{file})", mem_load},
    {"-speed",  "set CPU speed (-speed:real or -speed:max)",     opt_speed},
    {"-vbias",  "set video buffer bias (-vbias:#)",              opt_vbias},
    {"-vscale", "set video display scale (-vscale:2)",           opt_vscale},
    {"-nologo", "",                                              opt_nologo},
};
// clang-format on

static const char* const BANNER = "Tessaly  v1.01d\n"
                                  "Ohio Scientific Challenger 1P emulator and 6502 debugger\n"
                                  "\n"
                                  "Type ? at the [C1P] prompt for additional help\n";

// The state of the command line's processing.
struct OptState {
    int iBanner = 1; // 1: banner not yet shown; 0: shown; -1: suppressed by -nologo
    int iStatus;     // the exit status when processing stops
};
static OptState optState;

static void opt_banner()
{
    if (optState.iBanner == 1) {
        con_printf("%s\n", BANNER);
        optState.iBanner = 0;
    }
}

int opt_help(const char*)
{
    for (const Option& opt : aOptionTable)
        if (opt.help && opt.help[0])
            con_printf("%s\t%s\n", opt.name, opt.help);
    return 0;
}

int opt_nologo(const char*)
{
    optState.iBanner = -1;
    return 1;
}

static const Option* opt_find(const char* arg)
{
    for (const Option& opt : aOptionTable)
        if (strncasecmp(arg, opt.name, strlen(opt.name)) == 0)
            return &opt;
    return nullptr;
}

// A debugger command written as an option: '-name' or '-name:parameter', the
// name in full, any case.
static const Cmd* opt_findcmd(const char* arg, char** param)
{
    for (const Cmd* cmd = aCmdTable; cmd->name; cmd++) {
        size_t len = strlen(cmd->name);
        if (strncasecmp(arg + 1, cmd->name, len) != 0)
            continue;
        if (arg[1 + len] == 0) {
            *param = nullptr;
            return cmd;
        }
        if (arg[1 + len] == ':') {
            *param = const_cast<char*>(arg + 2 + len);
            return cmd;
        }
    }
    return nullptr;
}

// '-@{name}': the entry of command files, with the name after the '@'.
// The name is taken as it stands ('-@{file}:{name}' is found by name first).
static const Cmd* opt_findfile(const char* arg, char** param)
{
    if (arg[0] != '-' || arg[1] != '@')
        return nullptr;
    for (const Cmd* cmd = aCmdTable; cmd->name; cmd++) {
        if (cmd->name[0] == '@') {
            *param = const_cast<char*>(arg + 2);
            return cmd;
        }
    }
    return nullptr;
}

// Runs a command given on the command line. The two entries without a
// handler are given meanings of their own here: '-quit' ends the program
// after the other arguments, without the prompt; '-@{name}' (or
// '-@{file}:{name}') runs a command file before the prompt. Returns false
// to stop start-up.
static bool opt_runcmd(const Cmd* cmd, char* param, bool* runLoop)
{
    int status;
    if (!cmd->handler && cmd->name[0] == '@') {
        if (!param || !*param) {
            con_printf("a command file is named as -@{name} or -@{file}:{name}\n");
            optState.iStatus = 1;
            return false;
        }
        static char line[CMD_LINE_SIZE + 1];
        status = cmd_file(aCmdTable, param, line, CMD_LINE_SIZE, PROMPT);
    } else if (!cmd->handler) {
        *runLoop = false;
        return true;
    } else {
        char name[16];
        snprintf(name, sizeof name, "%s", cmd->name);
        char* argv[2] = {name, param};
        Switches sw;
        memset(&sw, 0, sizeof sw);
        status = cmd->handler(param ? 2 : 1, argv, &sw);
    }
    if (status != 0) {
        con_printf("error attempting to %s (%d)\n", cmd->help, status);
        optState.iStatus = status;
        return false;
    }
    return true;
}

// Works through the arguments; false when the program is to end.
static bool opt_args(int argc, char** argv)
{
    if (argc <= 1) {
        opt_banner();
        return true;
    }
    bool runLoop = true;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (const Option* opt = opt_find(arg)) {
            size_t len = strlen(opt->name);
            if (arg[len] != 0 && arg[len] != ':') {
                con_printf("unrecognized argument: %s\n", arg);
                optState.iStatus = 1;
                return false;
            }
            if (opt->help[0])
                opt_banner();
            int r = opt->handler(arg[len] ? arg + len + 1 : "");
            if (r == 0) {
                // The option list is a success; any other stop is a failure
                // that the handler has reported.
                optState.iStatus = opt->handler == opt_help ? 0 : 1;
                return false;
            }
            if (r < 0)
                runLoop = false;
            continue;
        }
        char* param = nullptr;
        const Cmd* cmd = arg[0] == '-' ? opt_findcmd(arg, &param) : nullptr;
        if (!cmd)
            cmd = opt_findfile(arg, &param);
        if (!cmd) {
            con_printf("unrecognized option: %s\n", arg);
            optState.iStatus = 1;
            return false;
        }
        opt_banner();
        if (!opt_runcmd(cmd, param, &runLoop))
            return false;
    }
    return runLoop;
}

bool opt_parse(int argc, char** argv, int* status)
{
    bool runLoop = opt_args(argc, argv);
    *status = optState.iStatus;
    return runLoop;
}
