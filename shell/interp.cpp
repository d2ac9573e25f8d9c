// The command loop and the command interpreter.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "console_posix.h"
#include "shell.h"
#include "shell_internal.h"

constexpr int MAX_ARGS = 128;

static bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

static bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

char cmd_letter(char c)
{
    if (c >= 'a' && c <= 'z')
        return c;
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return 0;
}

bool cmd_isdelim(char c)
{
    return c == 0 || is_blank(c) || c == '/' || c == '"';
}

int str_index(const char* s, char c)
{
    int i = 0;
    while (s[i] && s[i] != c)
        i++;
    return i;
}

int str_skipblanks(const char* s)
{
    int i = 0;
    while (is_blank(s[i]))
        i++;
    return i;
}

// Length of the item at s: up to the first delimiter; an item that begins
// with a double quote runs through its closing quote first.
int cmd_toklen(const char* s)
{
    int i = 0;
    if (s[0] == '"') {
        i = 1 + str_index(s + 1, '"');
        if (s[i] == '"')
            i++;
    }
    while (!cmd_isdelim(s[i]))
        i++;
    return i;
}

// Ends the item at s with NUL and finds where the next item starts: after a
// blank, the following blanks are skipped and the first character after them
// is the lead character ('/' and '"' are passed over, so the next item starts
// right after them); after '/' or '"', that character is the lead character.
// Returns how far the scan advances.
int cmd_nexttok(char* s, char* delim)
{
    int i = cmd_toklen(s);
    char c = s[i];
    if (c == 0) {
        *delim = 0;
        return i;
    }
    s[i++] = 0;
    if (is_blank(c)) {
        i += str_skipblanks(s + i);
        c = s[i];
        if (c == '/' || c == '"')
            i++;
    }
    *delim = c;
    return i;
}

// Reads an unsigned number by the C rules (0x: hexadecimal, 0: octal),
// after leading blanks. Stores it only when something was read; returns the
// number of characters read, blanks after the number included.
int cmd_parsenum(const char* s, unsigned* value)
{
    char* end = nullptr;
    unsigned long v = strtoul(s, &end, 0);
    if (end == s)
        return 0;
    *value = static_cast<unsigned>(v);
    return static_cast<int>(end - s) + str_skipblanks(end);
}

static void cmd_list(const Cmd* table)
{
    for (const Cmd* cmd = table; cmd->name; cmd++)
        if (cmd->help)
            con_printf("    %s%*c%s\n", cmd->name, 12 - static_cast<int>(strlen(cmd->name)), ' ',
                       cmd->help);
}

static void cmd_help(const Cmd* cmd)
{
    if (!cmd->switches) {
        con_printf("no help for %s command\n", cmd->name);
        return;
    }
    for (const CmdSwitch* sw = cmd->switches; sw->text; sw++) {
        if (!sw->help)
            con_printf("    %s\n", sw->text);
        else
            con_printf("\t%s\t%s\n", sw->text, sw->help);
    }
}

// The command named by `word`: an exact match ignoring case, or the one entry
// whose name begins with it (case-sensitive). Null when unknown or ambiguous;
// *ambiguous tells which.
static const Cmd* cmd_lookup(const Cmd* table, const char* word, bool* ambiguous)
{
    const Cmd* found = nullptr;
    *ambiguous = false;
    size_t len = strlen(word);
    for (const Cmd* cmd = table; cmd->name; cmd++) {
        if (strcasecmp(cmd->name, word) == 0) {
            *ambiguous = false;
            return cmd;
        }
        if (strncmp(cmd->name, word, len) == 0) {
            if (found || *ambiguous) {
                *ambiguous = true;
                found = nullptr;
            } else {
                found = cmd;
            }
        }
    }
    return found;
}

// Checks a switch letter (and second letter, 0 when none) against the
// command's switch table.
static bool cmd_switch_ok(const Cmd* cmd, char letter, char second)
{
    if (!cmd->switches)
        return true;
    for (const CmdSwitch* sw = cmd->switches; sw->text; sw++) {
        if (sw->text[0] != '/' || !sw->help || sw->text[1] != letter)
            continue;
        if (!second || sw->text[2] == second)
            return true;
    }
    return false;
}

int cmd_parse(const Cmd* table, char* line, int* result)
{
    Switches sw;
    memset(&sw, 0, sizeof sw);
    char* argv[MAX_ARGS];
    int argc = 0;
    bool help = false;
    bool ambiguous = false;
    const Cmd* cmd = nullptr;

    if (result)
        *result = 0;
    char* p = line + str_skipblanks(line);
    if (static_cast<signed char>(*p) < 0x20)
        return 1;
    // 't5' is read as 't 5'. The caller's buffer has room for one byte more
    // than the longest line it reads.
    if (cmd_letter(p[0]) && is_digit(p[1])) {
        memmove(p + 2, p + 1, strlen(p + 1) + 1);
        p[1] = ' ';
    }

    char lead = *p;
    bool first = true; // the first item starts at the lead character itself
    while (lead && argc < MAX_ARGS) {
        if (lead == '/') {
            if (first)
                p++;
            if (argc == 0) {
                con_printf("command cannot begin with a switch\n");
                return 0;
            }
            if (*p == 0) {
                con_printf("invalid switch: %c%s\n", '/', p);
                return 0;
            }
            char* cut = p;
            if (*p == '?') {
                help = true;
            } else {
                char letter = cmd_letter(*p);
                if (!letter) {
                    con_printf("invalid switch: %c%c\n", '/', *p);
                    return 0;
                }
                int n = letter - 'a';
                sw.mask |= 1u << n;
                char second = cmd_letter(p[1]);
                char* q = p + 1;
                if (second) {
                    sw.second[n] |= 1u << (second - 'a');
                    cut = q++;
                }
                if (*q == ':') {
                    q++;
                    unsigned value = 0;
                    if (cmd_parsenum(q, &value) > 0) {
                        sw.value[n] = value;
                        sw.valued |= 1u << n;
                        q += str_skipblanks(q);
                    }
                    cut = q;
                }
                if (cmd && !cmd_switch_ok(cmd, letter, second)) {
                    con_printf("%s does not support switch %c%c%c\n", cmd->name, '/', letter,
                               second ? second : ' ');
                    return 0;
                }
            }
            p = cut;
        } else {
            if (*p == 0)
                break;
            if (cmd && static_cast<uint32_t>(argc) > cmd->maxParams) {
                con_printf("%s takes no more than %d parameter(s), \"%s\" unexpected\n", cmd->name,
                           static_cast<int>(cmd->maxParams), p);
                return 0;
            }
            argv[argc++] = p;
            if (lead == '"') {
                // A quoted word runs to its closing quote; whatever is glued
                // behind that quote is cut off as an item of its own below.
                int i = str_index(p, '"');
                if (p[i] == '"') {
                    p[i] = 0;
                    p += i + 1;
                } else {
                    p += i;
                }
            }
            first = false;
            p += cmd_nexttok(p, &lead);
            if (argc == 1) {
                if (strcmp(argv[0], "?") == 0) {
                    cmd_list(table);
                    return 1;
                }
                cmd = cmd_lookup(table, argv[0], &ambiguous);
            }
            continue;
        }
        first = false;
        p += cmd_nexttok(p, &lead);
    }

    if (argc == 0 || argv[0][0] == 0) {
        con_printf("no command specified\n");
        return 0;
    }
    if (lead && argc == MAX_ARGS)
        con_printf("warning: unprocessed input (\"%s\")\n", p);
    if (!cmd) {
        con_printf("%s command: %s\n", ambiguous ? "ambiguous" : "unknown", argv[0]);
        return 0;
    }
    if (help) {
        cmd_help(cmd);
        return 1;
    }
    if (!cmd->handler)
        return cmd->name[0] == '@' ? 0 : -1;
    if (argc - 1 < cmd->minParams) {
        con_printf("%s requires at least %d parameter%c\n", cmd->name, cmd->minParams,
                   cmd->minParams >= 2 ? 's' : ' ');
        return 0;
    }
    int status = cmd->handler(argc, argv, &sw);
    if (result)
        *result = status;
    return 1;
}

int cmd_readline(FILE* file, char* line, int size)
{
    // Byte by byte, so that a NUL byte in a line cannot hide where it ends.
    int len = 0, c;
    bool tooLong = false;
    while ((c = getc(file)) != EOF && c != '\n') {
        if (len < size - 2)
            line[len++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    line[len] = 0;
    if (c == EOF && len == 0 && !tooLong)
        return -1;
    return tooLong ? CMD_LINE_TOO_LONG : static_cast<int>(strlen(line));
}

void cmd_too_long(int size)
{
    con_printf("line too long (more than %d characters), ignored\n", size - 2);
}

int cmd_getline(char* line, int size)
{
    int len;
    if (plat_stdin_is_console()) {
        len = plat_console_read(line, size);
        if (len == CONSOLE_INTERRUPTED) {
            line[0] = 3;
            line[1] = 0;
            fflush(stdout);
            con_printf("\n");
            con_printf("<Ctrl-C>\n");
            return 1;
        }
        // Ctrl-D (or a terminal that is gone) ends the session as the end of
        // redirected input does, rather than prompting forever.
        if (len == CONSOLE_EOF) {
            con_printf("quit\n");
            return -1;
        }
        if (len == CONSOLE_TOO_LONG) {
            len = CMD_LINE_TOO_LONG;
        } else {
            len = static_cast<int>(strlen(line));
            if (len > 0 && line[len - 1] == '\n')
                line[--len] = 0;
        }
    } else {
        len = cmd_readline(stdin, line, size);
        if (len == -1) {
            con_printf("quit\n");
            return -1;
        }
        // Echoed after its prompt, as if typed; a refused line is not.
        con_printf("%s\n", len == CMD_LINE_TOO_LONG ? "" : line);
    }
    if (len == CMD_LINE_TOO_LONG) {
        // The line becomes an empty one, which runs nothing. The log gets no
        // part of it, so that a replay of the log cannot run one either.
        line[0] = 0;
        log_write_line("");
        cmd_too_long(size);
        return 0;
    }
    log_write_line(line);
    return len;
}

int cmd_loop(const Cmd* table, char* line, int size, const char* prompt, int once)
{
    bool waiting = line[0] != 0;
    int status = 0;
    for (;;) {
        if (!waiting && plat_stdin_is_console())
            plat_console_arm();
        if (prompt)
            con_printf("%s", prompt);
        if (waiting)
            con_printf("%s\n", line);
        else if (cmd_getline(line, size) == -1)
            break;
        waiting = false;
        if (line[0] == '@') {
            status = cmd_file(table, line + 1, line, size, prompt);
        } else if (cmd_parse(table, line, &status) == -1) {
            break;
        }
        if (once)
            break;
    }
    return status;
}
