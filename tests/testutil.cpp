#include "testutil.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// In a forked child: runs the program in `cwd`, headless; never returns.
[[noreturn]] static void exec_tessaly(const std::vector<std::string>& args, const std::string& cwd)
{
    if (!cwd.empty() && chdir(cwd.c_str()) != 0)
        _exit(127);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TESSALY_EXE));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TESSALY_EXE, argv.data());
    _exit(127);
}

RunResult run_tessaly(const std::vector<std::string>& args, const std::string& input,
                      const std::string& cwd, int timeoutMs)
{
    int pin[2], pout[2], perr[2];
    if (pipe(pin) || pipe(pout) || pipe(perr))
        throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(pin[0], 0);
        dup2(pout[1], 1);
        dup2(perr[1], 2);
        for (int fd : {pin[0], pin[1], pout[0], pout[1], perr[0], perr[1]})
            close(fd);
        exec_tessaly(args, cwd);
    }
    close(pin[0]);
    close(pout[1]);
    close(perr[1]);
    signal(SIGPIPE, SIG_IGN);

    RunResult r;
    size_t written = 0;
    int fdIn = pin[1];
    if (input.empty()) {
        close(fdIn);
        fdIn = -1;
    } else {
        fcntl(fdIn, F_SETFL, O_NONBLOCK);
    }
    bool outOpen = true, errOpen = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3];
        int n = 0;
        int iOut = -1, iErr = -1, iIn = -1;
        if (outOpen) {
            fds[n] = {pout[0], POLLIN, 0};
            iOut = n++;
        }
        if (errOpen) {
            fds[n] = {perr[0], POLLIN, 0};
            iErr = n++;
        }
        if (fdIn >= 0) {
            fds[n] = {fdIn, POLLOUT, 0};
            iIn = n++;
        }
        if (poll(fds, n, static_cast<int>(left)) < 0 && errno != EINTR)
            break;
        char buf[4096];
        if (iOut >= 0 && fds[iOut].revents) {
            ssize_t k = read(pout[0], buf, sizeof buf);
            if (k > 0)
                r.out.append(buf, k);
            else
                outOpen = false;
        }
        if (iErr >= 0 && fds[iErr].revents) {
            ssize_t k = read(perr[0], buf, sizeof buf);
            if (k > 0)
                r.err.append(buf, k);
            else
                errOpen = false;
        }
        if (iIn >= 0 && fds[iIn].revents) {
            ssize_t k = write(fdIn, input.data() + written, input.size() - written);
            if (k > 0)
                written += k;
            if (k < 0 || written == input.size()) {
                close(fdIn);
                fdIn = -1;
            }
        }
    }
    if (fdIn >= 0)
        close(fdIn);
    close(pout[0]);
    close(perr[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        r.status = 128 + WTERMSIG(status);
    return r;
}

PtyProcess::PtyProcess(const std::vector<std::string>& args, const std::string& cwd,
                       const std::vector<std::string>& env)
{
    // The defaults first, then what the test asks for. No test writes to
    // the history of the user who runs it.
    std::vector<std::string> all = {"TERM=xterm", "EDITRC"};
    bool state = false;
    for (const auto& e : env)
        state = state || e.rfind("XDG_STATE_HOME", 0) == 0;
    if (!state) {
        char templ[] = "/tmp/tessaly-state-XXXXXX";
        if (!mkdtemp(templ))
            throw std::runtime_error("mkdtemp failed");
        stateDir = templ;
        all.push_back("XDG_STATE_HOME=" + stateDir);
    }
    all.insert(all.end(), env.begin(), env.end());
    pid = forkpty(&fd, nullptr, nullptr, nullptr);
    if (pid < 0)
        throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        for (const auto& e : all) {
            size_t eq = e.find('=');
            if (eq == std::string::npos)
                unsetenv(e.c_str());
            else
                setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        exec_tessaly(args, cwd);
    }
}

PtyProcess::~PtyProcess()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (fd >= 0)
        close(fd);
    if (!stateDir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(stateDir, ec);
    }
}

bool PtyProcess::read_until(const std::string& want, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.find(want) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            char buf[4096];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, n);
        }
    }
    return out.find(want) != std::string::npos;
}

void PtyProcess::send(const std::string& text)
{
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("write to pty failed");
}

int PtyProcess::wait()
{
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        // Keep draining the terminal so the program never blocks on output.
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        if (poll(&p, 1, 10) > 0 && read(fd, buf, sizeof buf) <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

TempDir::TempDir()
{
    char templ[] = "/tmp/tessaly-test-XXXXXX";
    if (!mkdtemp(templ))
        throw std::runtime_error("mkdtemp failed");
    path = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

void write_file(const std::string& path, const std::string& contents)
{
    std::ofstream f(path, std::ios::binary);
    f << contents;
}

std::string read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool file_exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    return lines;
}
