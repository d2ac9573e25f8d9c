#include "fuzz.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "cassette.h"
#include "cpu6502.h"
#include "shell.h"
#include "shell_internal.h"
#include "video.h"
#include "vm.h"
#include "vm_internal.h"

namespace
{

std::string sScratch;
std::atomic<bool> fConfined;

bool plain_name(const char* path)
{
    size_t len = strlen(path);
    return len > 0 && len < 200 && !strchr(path, '/') && strcmp(path, ".") != 0 &&
           strcmp(path, "..") != 0;
}

int cmd_nothing(int, char**, const Switches*)
{
    return 0;
}

// What Ctrl-C does, every `ms` milliseconds until the object is gone (an
// input may start one long run after another).
struct CtrlC {
    std::mutex mtx;
    std::condition_variable cv;
    bool fDone = false;
    std::thread thread;

    explicit CtrlC(int ms)
        : thread([this, ms] {
              std::unique_lock<std::mutex> lock(mtx);
              while (!cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return fDone; })) {
                  cmd_file_interrupt();
                  cmd_halt(0, nullptr, nullptr);
              }
          })
    {
    }
    ~CtrlC()
    {
        {
            std::lock_guard<std::mutex> lock(mtx);
            fDone = true;
        }
        cv.notify_one();
        thread.join();
    }
};

int cmd_trace_bounded(int argc, char** argv, const Switches* sw)
{
    if (argc > 1 && strtoul(argv[1], nullptr, 10) > 5000)
        return 0;
    // A ptrace over a subroutine that never returns runs until Ctrl-C: the
    // user's Ctrl-C comes after a moment.
    CtrlC ctrlc(200);
    return cmd_trace(argc, argv, sw);
}

int cmd_unassemble_bounded(int argc, char** argv, const Switches* sw)
{
    if ((sw->valued & SW_I) && sw->value['i' - 'a'] > 5000)
        return 0;
    return unassemble(argc, argv, sw);
}

Cmd aFuzzTable[32];

void close_machine()
{
    cpu6502_close(0, nullptr, nullptr);
}

void remove_scratch()
{
    std::error_code ec;
    std::filesystem::remove_all(sScratch, ec);
}

} // namespace

// The program opens every file through fopen; while an input runs, this one
// stands in for the C library's. libFuzzer itself, linked into the same
// program, saves the input that broke a target through fopen too, possibly
// in the middle of the input: files in the folder that scripts/check names
// in TESSALY_FUZZ_FINDINGS stay open to it.
extern "C" FILE* fopen(const char* path, const char* mode)
{
    using PfnFopen = FILE* (*)(const char*, const char*);
    static PfnFopen pfnFopen = reinterpret_cast<PfnFopen>(dlsym(RTLD_NEXT, "fopen"));
    static const char* pszFindings = getenv("TESSALY_FUZZ_FINDINGS");
    if (!fConfined.load())
        return pfnFopen(path, mode);
    if (pszFindings && *pszFindings && strncmp(path, pszFindings, strlen(pszFindings)) == 0 &&
        path[strlen(pszFindings)] == '/' && !strstr(path, "/.."))
        return pfnFopen(path, mode);
    if (!plain_name(path)) {
        errno = EACCES;
        return nullptr;
    }
    return pfnFopen((sScratch + "/" + path).c_str(), mode);
}

namespace fuzz
{

void setup(bool machine)
{
    static bool fDone, fMachine;
    if (!fDone) {
        fDone = true;
        const char* pszTmp = getenv("TMPDIR");
        std::string dir = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/tessaly-fuzz-XXXXXX";
        if (!mkdtemp(dir.data()))
            abort();
        sScratch = dir;
        atexit(remove_scratch);
        int fd = open("/dev/null", O_RDWR);
        dup2(fd, STDIN_FILENO);
        dup2(fd, STDOUT_FILENO);
        close(fd);
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!cpu6502_init())
            abort();
        int i = 0;
        for (const Cmd* cmd = aCmdTable; cmd->name; cmd++, i++) {
            aFuzzTable[i] = *cmd;
            if (cmd->handler == cpu6502_create || cmd->handler == cpu6502_close)
                aFuzzTable[i].handler = cmd_nothing;
            else if (cmd->handler == cmd_trace)
                aFuzzTable[i].handler = cmd_trace_bounded;
            else if (cmd->handler == unassemble)
                aFuzzTable[i].handler = cmd_unassemble_bounded;
        }
    }
    if (machine && !fMachine) {
        fMachine = true;
        if (cpu6502_create(0, nullptr, nullptr) != 0)
            abort();
        atexit(close_machine);
    }
}

Confined::Confined()
{
    fConfined = true;
}

Confined::~Confined()
{
    fConfined = false;
}

void write_file(const char* name, const uint8_t* data, size_t size)
{
    FILE* f = fopen((sScratch + "/" + name).c_str(), "wb");
    if (!f)
        abort();
    fwrite(data, 1, size, f);
    fclose(f);
}

void clear_files()
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(sScratch, ec))
        std::filesystem::remove_all(entry.path(), ec);
}

void run_lines(const char* first, int once)
{
    CtrlC ctrlc(250);
    Confined confined;
    static char line[CMD_LINE_SIZE + 1];
    strcpy(line, first);
    cmd_loop(aFuzzTable, line, CMD_LINE_SIZE, PROMPT, once);
    check(line[CMD_LINE_SIZE] == 0, "the line buffer's last byte stays free");
}

void reset_machine()
{
    cpu6502_halt();
    MachineLock machine;
    bp_clear();
    if (FILE* pfile = log_replace(nullptr))
        fclose(pfile);
    log_set_enabled(0);
    char name[] = "cassette", close[] = "/c";
    char* argv[] = {name, close};
    Switches sw{};
    sw.mask = SW_C;
    cmd_cassette(1, argv, &sw);
    memset(abMem6502, 0, MEM_SIZE6502 + 1);
    for (int i = 0; i < NUM_REGS6502; i++)
        aReg6502[i].value = aReg6502[i].valueShown = 0;
    cpu6502_restart_count();
    clear_files();
}

void check(bool ok, const char* what)
{
    if (ok)
        return;
    fprintf(stderr, "fuzz: property broken: %s\n", what);
    abort();
}

} // namespace fuzz
