// Placeholders of the shell, replaced as the shell is built.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "cpu6502.h"
#include "mem.h"
#include "shell.h"
#include "video.h"

static int opt_notyet(const char*)
{
    con_printf("option not available yet\n");
    return 0;
}

const Option aOptionTable[] = {
    {"-?", "display command-line options", opt_help},
    {"-gc", "generate opcode code (-gc or -gc:{file})", gen_opcode_funcs},
    {"-gl", "generate opcode listing (-gl or -gl:{file})", gen_opcode_listing},
    {"-load", "load ROM or other image (-load:{addr}:{file})", mem_load},
    {"-vbias", "set video buffer bias (-vbias:#)", opt_vbias},
    {"-vscale", "set video display scale (-vscale:2)", opt_vscale},
    {"-nologo", "", opt_nologo},
};
const int cOptionTable = sizeof(aOptionTable) / sizeof(aOptionTable[0]);

int opt_help(const char*)
{
    return opt_notyet(nullptr);
}

int opt_nologo(const char*)
{
    return 1;
}

// Crude option walk: options only, by full name.
bool opt_parse(int argc, char** argv)
{
    bool result = true;
    for (int i = 1; i < argc; i++) {
        const Option* opt = nullptr;
        for (int j = 0; j < cOptionTable; j++) {
            size_t len = strlen(aOptionTable[j].name);
            if (strncasecmp(argv[i], aOptionTable[j].name, len) == 0 &&
                (argv[i][len] == 0 || argv[i][len] == ':')) {
                opt = &aOptionTable[j];
                int r = opt->handler(argv[i][len] ? argv[i] + len + 1 : "");
                if (r == 0)
                    return false;
                if (r < 0)
                    result = false;
                break;
            }
        }
        if (!opt) {
            con_printf("unrecognized option: %s\n", argv[i]);
            return false;
        }
    }
    return result;
}

int cmd_getline(char* line, int size)
{
    if (!fgets(line, size, stdin)) {
        con_printf("quit\n");
        return -1;
    }
    line[strcspn(line, "\n")] = 0;
    con_printf("%s\n", line);
    return static_cast<int>(strlen(line));
}

// Crude interpreter: blank-separated words, full command names only,
// single-letter switches.
int cmd_parse(const Cmd* table, char* line, int* result)
{
    static Switches sw;
    char* argv[128];
    int argc = 0;
    memset(&sw, 0, sizeof sw);
    if (result)
        *result = 0;
    for (char* tok = strtok(line, " \t"); tok && argc < 128; tok = strtok(nullptr, " \t")) {
        if (tok[0] == '/') {
            if (tok[1] >= 'a' && tok[1] <= 'z')
                sw.mask |= 1u << (tok[1] - 'a');
        } else {
            argv[argc++] = tok;
        }
    }
    if (argc == 0)
        return 1;
    for (const Cmd* c = table; c->name; c++) {
        if (strcasecmp(c->name, argv[0]) == 0) {
            if (!c->handler)
                return strcmp(c->name, "quit") == 0 ? -1 : 0;
            int r = c->handler(argc, argv, &sw);
            if (result)
                *result = r;
            return 1;
        }
    }
    con_printf("unknown command: %s\n", argv[0]);
    return 0;
}

int cmd_loop(const Cmd* table, char* line, int size, const char* prompt, int once)
{
    int status = 0;
    for (;;) {
        if (prompt)
            con_printf("%s", prompt);
        if (cmd_getline(line, size) < 0)
            break;
        if (cmd_parse(table, line, &status) < 0)
            break;
        if (once)
            break;
    }
    return status;
}

int cmd_log(int, char**, const Switches*)
{
    con_printf("log: not available yet\n");
    return 0;
}
