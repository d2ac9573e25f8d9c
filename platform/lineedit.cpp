#include "lineedit.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <fcntl.h>
#include <histedit.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console_posix.h"

// The line editor's state. It lives on the main thread only: the Ctrl-C
// thread reaches an edit through the console's self-pipe, never through
// this record.
struct EditState {
    EditLine* pel = nullptr;
    History* phist = nullptr;
    PfnEditComplete pfnComplete = nullptr;
    const char* pszPrompt = "";
    bool fInterrupted = false; // the edit under way was cut short by Ctrl-C
    mbstate_t mbs{};           // the bytes of a character being read
    std::string historyPath;
    bool fHistoryDir = false; // the history file's folder is known to exist
    int iHistoryError = 0;
};
static EditState editState;

std::string ledit_history_file(const char* xdgStateHome, const char* home)
{
    // A relative XDG_STATE_HOME is not valid and is ignored, as the XDG
    // base directory rules ask.
    std::string state;
    if (xdgStateHome && xdgStateHome[0] == '/')
        state = xdgStateHome;
    else if (home && home[0])
        state = std::string(home) + "/.local/state";
    else
        return "";
    while (state.size() > 1 && state.back() == '/')
        state.pop_back();
    if (state == "/")
        state.clear();
    return state + "/tessaly/history";
}

const std::string& ledit_history_path()
{
    return editState.historyPath;
}

int ledit_history_error()
{
    return editState.iHistoryError;
}

bool ledit_active()
{
    return editState.pel != nullptr;
}

// The number of characters in `text`; *bytes (when asked) is the length of
// its longest beginning that holds whole characters only.
static size_t ledit_whole_chars(std::string_view text, size_t* bytes)
{
    mbstate_t mbs{};
    size_t pos = 0, count = 0;
    while (pos < text.size()) {
        size_t n = mbrlen(text.data() + pos, text.size() - pos, &mbs);
        if (n == static_cast<size_t>(-2))
            break; // a character cut in two: it does not count
        if (n == static_cast<size_t>(-1)) {
            n = 1; // a byte that is no character stands for one
            mbs = mbstate_t{};
        }
        if (n == 0)
            n = 1;
        pos += n;
        count++;
    }
    if (bytes)
        *bytes = pos;
    return count;
}

std::string ledit_common_prefix(const std::vector<std::string>& candidates)
{
    if (candidates.empty())
        return "";
    std::string common = candidates[0];
    for (const std::string& c : candidates) {
        size_t i = 0;
        while (i < common.size() && i < c.size() && common[i] == c[i])
            i++;
        common.resize(i);
    }
    size_t whole = 0;
    ledit_whole_chars(common, &whole);
    common.resize(whole);
    return common;
}

// ---------------------------------------------------------------- reading

// Reads one character for the editor, byte by byte through the console, so
// that Ctrl-C (which the console turns into CONSOLE_INTERRUPTED) ends the
// edit. Bytes that make no character of the locale are dropped.
static int ledit_getc(EditLine* el, wchar_t* wc)
{
    for (;;) {
        unsigned char b;
        int r = plat_console_getbyte(&b);
        if (r == CONSOLE_INTERRUPTED) {
            editState.fInterrupted = true;
            errno = EINTR;
            return -1;
        }
        if (r == CONSOLE_CONTINUED) {
            // Back from a stop: the shell has had the terminal and left it
            // in its own modes. Editing modes again, and the line redrawn.
            el_set(el, EL_PREP_TERM, 0);
            el_set(el, EL_PREP_TERM, 1);
            el_set(el, EL_REFRESH);
            continue;
        }
        if (r != 1)
            return 0;
        char c = static_cast<char>(b);
        size_t n = mbrtowc(wc, &c, 1, &editState.mbs);
        if (n == static_cast<size_t>(-2))
            continue;
        if (n == static_cast<size_t>(-1)) {
            editState.mbs = mbstate_t{};
            continue;
        }
        if (n == 0)
            *wc = 0;
        return 1;
    }
}

static char* ledit_prompt(EditLine*)
{
    return const_cast<char*>(editState.pszPrompt);
}

int ledit_read(const char* prompt, char* line, int size)
{
    if (!editState.pel || size < 2)
        return CONSOLE_EOF;
    editState.pszPrompt = prompt ? prompt : "";
    editState.fInterrupted = false;
    editState.mbs = mbstate_t{};
    int count = 0;
    // Editing modes before the prompt is shown: keys typed as soon as it
    // is there are not echoed by the terminal as well. Afterwards the
    // terminal is as the user had it, while the command runs.
    // The terminal shows a Ctrl-C as "^C" while it echoes by itself; with
    // its echo off for editing, the console shows it instead.
    termios tty{};
    plat_console_echo_ctrlc(tcgetattr(STDIN_FILENO, &tty) == 0 && (tty.c_lflag & ECHO) &&
                            (tty.c_lflag & ECHOCTL));
    el_set(editState.pel, EL_PREP_TERM, 1);
    const char* text = el_gets(editState.pel, &count);
    plat_console_echo_ctrlc(false);
    el_set(editState.pel, EL_PREP_TERM, 0);
    plat_console_disarm();
    if (editState.fInterrupted)
        return CONSOLE_INTERRUPTED;
    if (!text || count <= 0)
        return CONSOLE_EOF;
    size_t len = strlen(text);
    size_t chars = len > 0 && text[len - 1] == '\n' ? len - 1 : len;
    // The same limit as a plain read: size - 2 characters and the newline.
    if (chars > static_cast<size_t>(size - 2))
        return CONSOLE_TOO_LONG;
    memcpy(line, text, len);
    line[len] = 0;
    return static_cast<int>(len);
}

// ---------------------------------------------------------------- completion

// The terminal's width in columns (80 when it cannot be told).
static int ledit_columns()
{
    winsize ws{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

// Lists the candidates below the line, in columns, sorted down each column.
static void ledit_list(const std::vector<std::string>& shown)
{
    size_t widest = 0;
    for (const std::string& s : shown)
        widest = std::max(widest, ledit_whole_chars(s, nullptr));
    size_t width = widest + 2;
    size_t cols = std::max<size_t>(1, static_cast<size_t>(ledit_columns()) / width);
    size_t rows = (shown.size() + cols - 1) / cols;
    std::string text = "\n";
    for (size_t r = 0; r < rows; r++) {
        for (size_t c = 0; c < cols; c++) {
            size_t i = c * rows + r;
            if (i >= shown.size())
                break;
            text += shown[i];
            if ((c + 1) * rows + r < shown.size())
                text.append(width - ledit_whole_chars(shown[i], nullptr), ' ');
        }
        text += '\n';
    }
    fputs(text.c_str(), stdout);
    fflush(stdout);
}

// Tab: puts the candidates' common beginning in place of the word before the
// cursor; when that adds nothing and several candidates remain, lists them
// and shows the line again below the list.
static unsigned char ledit_complete(EditLine* el, int)
{
    if (!editState.pfnComplete)
        return CC_REFRESH_BEEP;
    const LineInfo* li = el_line(el);
    std::string_view before(li->buffer, static_cast<size_t>(li->cursor - li->buffer));
    EditCompletion c;
    editState.pfnComplete(before, &c);
    if (c.candidates.empty() || c.start > before.size())
        return CC_REFRESH_BEEP;
    std::string_view word = before.substr(c.start);
    std::string common = ledit_common_prefix(c.candidates);
    if (common != word && common.size() >= word.size()) {
        // A name that is no text in the terminal's encoding cannot be put
        // in: the word stays as it is.
        if (mbstowcs(nullptr, common.c_str(), 0) == static_cast<size_t>(-1))
            return CC_REFRESH_BEEP;
        el_deletestr(el, static_cast<int>(ledit_whole_chars(word, nullptr)));
        if (el_insertstr(el, common.c_str()) != 0)
            return CC_REFRESH_BEEP;
        return CC_REFRESH;
    }
    if (c.candidates.size() == 1)
        return CC_REFRESH;
    ledit_list(c.shown.size() == c.candidates.size() ? c.shown : c.candidates);
    return CC_REDISPLAY;
}

// ---------------------------------------------------------------- history

// Creates the folders of the history file's path that are missing
// (readable by the user only, as the XDG rules ask).
static bool ledit_make_dirs(const std::string& path)
{
    for (size_t pos = 1; (pos = path.find('/', pos)) != std::string::npos; pos++) {
        std::string dir = path.substr(0, pos);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Rewrites the history file with its last lines only, through a new file
// that takes its place, so that a failure leaves the old one whole.
static void ledit_trim_history(const std::deque<std::string>& kept)
{
    std::string tmp = editState.historyPath + ".new";
    FILE* pfile = fopen(tmp.c_str(), "w");
    if (!pfile) {
        editState.iHistoryError = errno;
        return;
    }
    for (const std::string& line : kept)
        fprintf(pfile, "%s\n", line.c_str());
    bool ok = fflush(pfile) == 0 && !ferror(pfile);
    int err = errno;
    if (fclose(pfile) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(tmp.c_str(), editState.historyPath.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(tmp.c_str());
        editState.iHistoryError = err;
    }
}

// Loads the history file's last lines (a missing file is an empty history)
// and trims a file that has grown to twice the history's size.
static void ledit_load_history()
{
    if (editState.historyPath.empty())
        return;
    FILE* pfile = fopen(editState.historyPath.c_str(), "r");
    if (!pfile) {
        if (errno != ENOENT)
            editState.iHistoryError = errno;
        return;
    }
    std::deque<std::string> kept;
    size_t total = 0;
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n;
    while ((n = getline(&buf, &cap, pfile)) >= 0) {
        if (n > 0 && buf[n - 1] == '\n')
            buf[--n] = 0;
        if (n == 0)
            continue;
        kept.emplace_back(buf, static_cast<size_t>(n));
        total++;
        if (kept.size() > static_cast<size_t>(HISTORY_SIZE))
            kept.pop_front();
    }
    if (ferror(pfile))
        editState.iHistoryError = errno ? errno : EIO;
    free(buf);
    fclose(pfile);
    HistEvent ev;
    for (const std::string& line : kept)
        history(editState.phist, &ev, H_ENTER, line.c_str());
    if (total >= 2 * static_cast<size_t>(HISTORY_SIZE))
        ledit_trim_history(kept);
}

void ledit_remember(const char* line)
{
    if (!editState.pel)
        return;
    const char* p = line;
    while (*p == ' ' || *p == '\t')
        p++;
    if (!*p)
        return;
    // The line just before is not repeated, in memory or in the file.
    HistEvent ev;
    if (history(editState.phist, &ev, H_FIRST) >= 0 && ev.str && strcmp(ev.str, line) == 0)
        return;
    history(editState.phist, &ev, H_ENTER, line);
    if (editState.historyPath.empty())
        return;
    if (!editState.fHistoryDir) {
        if (!ledit_make_dirs(editState.historyPath)) {
            editState.iHistoryError = errno;
            return;
        }
        editState.fHistoryDir = true;
    }
    // One write of the whole line to a file opened for appending, so that
    // sessions at several terminals add their lines without tearing them.
    int fd = open(editState.historyPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        editState.iHistoryError = errno;
        return;
    }
    std::string text = std::string(line) + "\n";
    ssize_t w = write(fd, text.data(), text.size());
    if (w != static_cast<ssize_t>(text.size()))
        editState.iHistoryError = w < 0 ? errno : ENOSPC;
    if (close(fd) != 0 && w >= 0)
        editState.iHistoryError = errno;
}

// ---------------------------------------------------------------- set-up

// Keys that terminals send in forms beyond the ones libedit knows of its
// own: Home, End and Delete as xterm, the Linux console and rxvt send them,
// and Ctrl with the arrows moving by words.
struct EditKey {
    const char* keys;
    const char* function;
};
static const EditKey aEditKeys[] = {
    {"\033[1~", "ed-move-to-beg"},      {"\033[7~", "ed-move-to-beg"},
    {"\033[H", "ed-move-to-beg"},       {"\033OH", "ed-move-to-beg"},
    {"\033[4~", "ed-move-to-end"},      {"\033[8~", "ed-move-to-end"},
    {"\033[F", "ed-move-to-end"},       {"\033OF", "ed-move-to-end"},
    {"\033[3~", "ed-delete-next-char"}, {"\033[1;5C", "em-next-word"},
    {"\033[1;5D", "ed-prev-word"},
};

bool ledit_open(PfnEditComplete pfnComplete)
{
    if (editState.pel)
        return true;
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
        return false;
    // A "dumb" terminal (an editor's shell buffer, say) edits lines itself.
    const char* term = getenv("TERM");
    if (!term || !term[0] || strcmp(term, "dumb") == 0)
        return false;
    // Characters beyond ASCII are read and shown in the terminal's encoding.
    setlocale(LC_CTYPE, "");
    EditLine* el = el_init("tessaly", stdin, stdout, stderr);
    if (!el)
        return false;
    History* hist = history_init();
    if (!hist) {
        el_end(el);
        return false;
    }
    HistEvent ev;
    history(hist, &ev, H_SETSIZE, HISTORY_SIZE);
    history(hist, &ev, H_SETUNIQUE, 1);
    el_set(el, EL_EDITOR, "emacs");
    // Signals stay the program's: Ctrl-C reaches the edit through the
    // console, and libedit installs no handlers of its own.
    el_set(el, EL_SIGNAL, 0);
    el_set(el, EL_GETCFN, ledit_getc);
    el_set(el, EL_PROMPT, ledit_prompt);
    el_set(el, EL_HIST, history, hist);
    // The user's own libedit settings ($EDITRC or ~/.editrc), as every
    // program that edits with libedit reads them; our keys come after.
    el_source(el, nullptr);
    el_set(el, EL_ADDFN, "tessaly-complete", "complete a command or a file name", ledit_complete);
    el_set(el, EL_BIND, "^I", "tessaly-complete", nullptr);
    el_set(el, EL_BIND, "^R", "em-inc-search-prev", nullptr);
    for (const EditKey& key : aEditKeys)
        el_set(el, EL_BIND, key.keys, key.function, nullptr);
    editState.pel = el;
    editState.phist = hist;
    editState.pfnComplete = pfnComplete;
    const char* home = getenv("HOME");
    if (!home || !home[0]) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    editState.historyPath = ledit_history_file(getenv("XDG_STATE_HOME"), home);
    ledit_load_history();
    return true;
}
