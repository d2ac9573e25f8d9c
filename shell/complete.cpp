// Tab completion at the prompt: command names, and file names where a
// command takes a file.
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "shell_internal.h"

// The commands that take a file name, and which of their parameters names
// it (counted from 1; switches do not count). `snap` saves the screen as a
// picture.
struct FileParam {
    const char* command;
    int iParam;
};
static const FileParam aFileParams[] = {
    {"cassette", 1},
    {"load", 2},
    {"log", 1},
    {"snap", 1},
};

static bool cmp_blank(char c)
{
    return c == ' ' || c == '\t';
}

// Where an item of the command line ends, as the interpreter cuts it.
static bool cmp_delim(char c)
{
    return cmp_blank(c) || c == '/' || c == '"';
}

// The command names that begin with `word` (in either case), each followed
// by a blank. The entry that only lists command files in the help is left
// out: a command file is '@' and its name.
static void cmp_commands(std::string_view word, EditCompletion* out)
{
    for (const Cmd* cmd = aCmdTable; cmd->name; cmd++) {
        if (cmd->name[0] == '@' || strlen(cmd->name) < word.size())
            continue;
        if (strncasecmp(cmd->name, word.data(), word.size()) != 0)
            continue;
        out->candidates.push_back(std::string(cmd->name) + " ");
        out->shown.push_back(cmd->name);
    }
}

// The files whose names begin with the word at `start`. A command file's
// name (`literal`) is the rest of the line as it stands; a parameter is
// written in double quotes when it holds a '/' or a blank, and a finished
// one is closed (and followed by a blank). A folder ends in '/' and stays
// open for more. Files the interpreter could not be given are left out.
static void cmp_files(std::string_view before, size_t start, bool literal, EditCompletion* out)
{
    std::string_view word = before.substr(start);
    bool quoted = !literal && !word.empty() && word[0] == '"';
    std::string text(quoted ? word.substr(1) : word);
    size_t slash = text.rfind('/');
    std::string dir = slash == std::string::npos ? "" : text.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? text : text.substr(slash + 1);

    std::vector<std::pair<std::string, bool>> found; // name, is a folder
    DIR* pdir = opendir(dir.empty() ? "." : dir.c_str());
    if (!pdir)
        return;
    while (const dirent* ent = readdir(pdir)) {
        std::string name = ent->d_name;
        if (name == "." || name == "..")
            continue;
        // Hidden files only when asked for.
        if (name[0] == '.' && (base.empty() || base[0] != '.'))
            continue;
        if (name.compare(0, base.size(), base) != 0)
            continue;
        // A parameter cannot hold a double quote: it would end the word.
        if (!literal && name.find('"') != std::string::npos)
            continue;
        struct stat st;
        bool folder = stat((dir + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        found.emplace_back(name, folder);
    }
    closedir(pdir);
    std::sort(found.begin(), found.end());

    // Quotes go in once what the candidates have in common needs them: a
    // word that only begins the names of a folder and of files is left
    // bare until the folder is chosen.
    std::vector<std::string> raw;
    for (const auto& [name, folder] : found)
        raw.push_back(dir + name + (folder ? "/" : ""));
    std::string common = ledit_common_prefix(raw);
    bool quote = quoted || (!literal && common.find_first_of("/ \t") != std::string::npos);
    for (size_t k = 0; k < found.size(); k++) {
        bool folder = found[k].second;
        std::string c = (quote ? "\"" : "") + raw[k];
        if (!folder && !literal)
            c += quote ? "\" " : " ";
        out->candidates.push_back(c);
        out->shown.push_back(found[k].first + (folder ? "/" : ""));
    }
    out->start = start;
}

void cmd_complete(std::string_view before, EditCompletion* out)
{
    *out = EditCompletion{};
    // A command file is named by a line whose very first character is '@'.
    if (!before.empty() && before[0] == '@') {
        cmp_files(before, 1, true, out);
        return;
    }
    size_t i = 0, n = before.size();
    while (i < n && cmp_blank(before[i]))
        i++;
    size_t first = i;
    while (i < n && !cmp_delim(before[i]))
        i++;
    if (i == n) {
        out->start = first;
        cmp_commands(before.substr(first), out);
        return;
    }
    std::string word(before.substr(first, i - first));
    bool ambiguous;
    const Cmd* cmd = cmd_lookup(aCmdTable, word.c_str(), &ambiguous);
    int iParam = 0;
    for (const FileParam& fp : aFileParams)
        if (cmd && strcmp(cmd->name, fp.command) == 0)
            iParam = fp.iParam;
    if (iParam == 0)
        return;
    // The items after the command word, as the interpreter takes them,
    // up to the one the cursor is in.
    int cParams = 0;
    for (;;) {
        while (i < n && cmp_blank(before[i]))
            i++;
        size_t start = i;
        if (i < n && before[i] == '/') {
            // A switch: nothing to complete in it.
            for (i++; i < n && !cmp_delim(before[i]); i++) {
            }
            if (i == n)
                return;
            continue;
        }
        if (i < n && before[i] == '"') {
            size_t close = before.find('"', i + 1);
            if (close == std::string_view::npos) {
                if (cParams + 1 == iParam)
                    cmp_files(before, start, false, out);
                return;
            }
            i = close + 1;
            cParams++;
            continue;
        }
        while (i < n && !cmp_delim(before[i]))
            i++;
        if (i == n) {
            if (cParams + 1 == iParam)
                cmp_files(before, start, false, out);
            return;
        }
        cParams++;
    }
}
