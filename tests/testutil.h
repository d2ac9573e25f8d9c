// Helpers shared by the tests: running the real program with redirected
// input, temporary directories and files.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1; // exit status, or 128 + signal number
    std::string out; // standard output
    std::string err; // standard error
};

// Runs the built program with `args`, standard input fed from `input`, in the
// directory `cwd` (the current one when empty). Kills it after `timeoutMs`.
RunResult run_tessaly(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& cwd = "", int timeoutMs = 30000);

// The program running on a pseudo-terminal, as at a real terminal: an
// xterm, with its history file in a folder of its own (removed with the
// object) unless `env` ("NAME=value", or "NAME" to unset) says otherwise.
struct PtyProcess {
    int pid = -1;
    int fd = -1;
    std::string out;      // everything read so far
    std::string stateDir; // XDG_STATE_HOME of the program, when made here

    explicit PtyProcess(const std::vector<std::string>& args, const std::string& cwd = "",
                        const std::vector<std::string>& env = {});
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;
    // Reads until `want` appears in `out` (true) or the time is up (false).
    bool read_until(const std::string& want, int timeoutMs = 10000);
    void send(const std::string& text);
    // Waits for the program to end; its exit status, or -1.
    int wait();
    // Reads until the prompt "[C1P] " (true) or the time is up (false).
    bool read_prompt(int timeoutMs = 10000)
    {
        return read_until("[C1P] ", timeoutMs);
    }
    // Types quit; the exit status once the program has ended, or -1.
    int quit()
    {
        send("quit\r");
        return wait();
    }
};

// A fresh empty directory, removed with its contents when the object dies.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const
    {
        return path + "/" + name;
    }
};

void write_file(const std::string& path, const std::string& contents);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// The end of a long output, for a failure message.
inline std::string tail(const std::string& s)
{
    return s.substr(s.size() > 400 ? s.size() - 400 : 0);
}

// Splits text into lines (without their newlines).
std::vector<std::string> split_lines(const std::string& text);
