// The command interpreter: a line becomes an argument vector and a switch
// block, and reaches the handler of its entry in a command table.
#include <cstdlib>
#include <cstring>
#include <strings.h>

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

static char cmd_letter(char c)
{
    if (c >= 'a' && c <= 'z')
        return c;
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return 0;
}

static bool cmd_isdelim(char c)
{
    return c == 0 || is_blank(c) || c == '/' || c == '"';
}

static int str_index(const char* s, char c)
{
    int i = 0;
    while (s[i] && s[i] != c)
        i++;
    return i;
}

static int str_skipblanks(const char* s)
{
    int i = 0;
    while (is_blank(s[i]))
        i++;
    return i;
}

// Length of the item at s: up to the first delimiter; an item that begins
// with a double quote runs through its closing quote first.
static int cmd_toklen(const char* s)
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
static int cmd_nexttok(char* s, char* delim)
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
static int cmd_parsenum(const char* s, unsigned* value)
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

const Cmd* cmd_lookup(const Cmd* table, const char* word, bool* ambiguous)
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

// A line being parsed: the items found so far and where the scan stands.
struct Parse {
    const Cmd* table;
    char* p;    // where the next item starts
    char lead;  // the character that leads it: '/' (a switch), '"' or its first
    bool first; // the item is the line's first, which starts at `lead` itself
    int argc;   // the command word and the parameters found
    char* argv[MAX_ARGS];
    Switches sw;
    bool help;      // '/?' was given
    const Cmd* cmd; // the entry of the command word, once it is known
    bool ambiguous; // the command word abbreviates more than one entry
};

// What a step of the scan leaves to do.
enum ParseStep {
    PARSE_NEXT,   // go on with the next item
    PARSE_END,    // the line has ended
    PARSE_FAILED, // a message has been printed: the line runs nothing
    PARSE_LISTED, // '?' listed the commands
};

// Where the line's first item starts, or null when the line is empty or
// begins with a control character (the Ctrl-C line): nothing to run. A
// letter followed by a digit ('t5') is read as 't 5'; the caller's buffer
// has room for one byte more than the longest line it reads.
static char* cmd_line_start(char* line)
{
    char* p = line + str_skipblanks(line);
    if (static_cast<signed char>(*p) < 0x20)
        return nullptr;
    if (cmd_letter(p[0]) && is_digit(p[1])) {
        memmove(p + 2, p + 1, strlen(p + 1) + 1);
        p[1] = ' ';
    }
    return p;
}

// Reads the switch whose letter is at p into the switch block: '/x', the
// two-letter '/xy', or either with ':value'. Returns where the switch's item
// ends for the scan, or null after a message (no letter, or a switch the
// command does not take).
static char* cmd_read_switch(Parse* ps, char* p)
{
    const char letter = cmd_letter(*p);
    if (!letter) {
        con_printf("invalid switch: %c%c\n", '/', *p);
        return nullptr;
    }
    const int n = letter - 'a';
    ps->sw.mask |= 1u << n;
    char* cut = p;
    char* q = p + 1;
    const char second = cmd_letter(*q);
    if (second) {
        ps->sw.second[n] |= 1u << (second - 'a');
        cut = q++;
    }
    if (*q == ':') {
        q++;
        unsigned value = 0;
        if (cmd_parsenum(q, &value) > 0) {
            ps->sw.value[n] = value;
            ps->sw.valued |= 1u << n;
            q += str_skipblanks(q);
        }
        cut = q;
    }
    if (ps->cmd && !cmd_switch_ok(ps->cmd, letter, second)) {
        con_printf("%s does not support switch %c%c%c\n", ps->cmd->name, '/', letter,
                   second ? second : ' ');
        return nullptr;
    }
    return cut;
}

// The item at ps->p is a switch ('/' leads it): '/?' asks for the command's
// help, any other is read into the switch block.
static ParseStep cmd_take_switch(Parse* ps)
{
    char* p = ps->first ? ps->p + 1 : ps->p;
    if (ps->argc == 0) {
        con_printf("command cannot begin with a switch\n");
        return PARSE_FAILED;
    }
    if (*p == 0) {
        con_printf("invalid switch: %c%s\n", '/', p);
        return PARSE_FAILED;
    }
    char* cut = p;
    if (*p == '?')
        ps->help = true;
    else if (!(cut = cmd_read_switch(ps, p)))
        return PARSE_FAILED;
    ps->first = false;
    ps->p = cut + cmd_nexttok(cut, &ps->lead);
    return PARSE_NEXT;
}

// The item at ps->p is a word: the command word, which finds its entry ('?'
// lists the commands instead), or a parameter, within the entry's limit.
static ParseStep cmd_take_word(Parse* ps)
{
    char* p = ps->p;
    if (*p == 0)
        return PARSE_END;
    if (ps->cmd && static_cast<uint32_t>(ps->argc) > ps->cmd->maxParams) {
        con_printf("%s takes no more than %d parameter(s), \"%s\" unexpected\n", ps->cmd->name,
                   static_cast<int>(ps->cmd->maxParams), p);
        return PARSE_FAILED;
    }
    ps->argv[ps->argc++] = p;
    if (ps->lead == '"') {
        // A quoted word runs to its closing quote; whatever is glued behind
        // that quote is cut off as an item of its own below.
        int i = str_index(p, '"');
        if (p[i] == '"') {
            p[i] = 0;
            p += i + 1;
        } else {
            p += i;
        }
    }
    ps->first = false;
    ps->p = p + cmd_nexttok(p, &ps->lead);
    if (ps->argc == 1) {
        if (strcmp(ps->argv[0], "?") == 0) {
            cmd_list(ps->table);
            return PARSE_LISTED;
        }
        ps->cmd = cmd_lookup(ps->table, ps->argv[0], &ps->ambiguous);
    }
    return PARSE_NEXT;
}

// The scan is done: reports a missing or unknown command, shows the help
// that '/?' asked for, or checks the parameter count and calls the handler.
// Returns as cmd_parse does.
static int cmd_run(Parse* ps, int* result)
{
    if (ps->argc == 0 || ps->argv[0][0] == 0) {
        con_printf("no command specified\n");
        return 0;
    }
    if (ps->lead && ps->argc == MAX_ARGS)
        con_printf("warning: unprocessed input (\"%s\")\n", ps->p);
    const Cmd* cmd = ps->cmd;
    if (!cmd) {
        con_printf("%s command: %s\n", ps->ambiguous ? "ambiguous" : "unknown", ps->argv[0]);
        return 0;
    }
    if (ps->help) {
        cmd_help(cmd);
        return 1;
    }
    if (!cmd->handler)
        return cmd->name[0] == '@' ? 0 : -1;
    if (ps->argc - 1 < cmd->minParams) {
        con_printf("%s requires at least %d parameter%c\n", cmd->name, cmd->minParams,
                   cmd->minParams >= 2 ? 's' : ' ');
        return 0;
    }
    int status = cmd->handler(ps->argc, ps->argv, &ps->sw);
    if (result)
        *result = status;
    return 1;
}

int cmd_parse(const Cmd* table, char* line, int* result)
{
    if (result)
        *result = 0;
    char* p = cmd_line_start(line);
    if (!p)
        return 1;
    Parse ps{};
    ps.table = table;
    ps.p = p;
    ps.lead = *p;
    ps.first = true;
    while (ps.lead && ps.argc < MAX_ARGS) {
        ParseStep step = ps.lead == '/' ? cmd_take_switch(&ps) : cmd_take_word(&ps);
        if (step == PARSE_FAILED)
            return 0;
        if (step == PARSE_LISTED)
            return 1;
        if (step == PARSE_END)
            break;
    }
    return cmd_run(&ps, result);
}
