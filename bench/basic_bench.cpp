// The eight BASIC timing programs of 1977 (Kilobaud, Rugg/Feldman), run by
// our BASIC ROM on a headless machine: each program is typed through the
// window's key events, then RUN. The instructions the run takes are counted
// by the machine from the RUN statement's handler (a breakpoint there
// restarts the count) to the ready prompt (a trace breakpoint logs the
// count); the counters show them beside the figures of the machine's
// original 8 KB BASIC of 1977 on this emulator.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "basic_machine.h"

namespace
{

struct Program {
    const char* name;
    const char* lines;
    double original; // instructions of the 1977 BASIC
};

#define HEAD  "300 PRINT\"S\"\n"
#define TAIL  "700 PRINT\"E\"\n800 END\n"
#define COUNT "400 K=0\n500 K=K+1\n"
#define UNTIL "600 IF K<1000 THEN 500\n"

const Program aPrograms[] = {
    {"BM1", HEAD "400 FOR K=1 TO 1000\n500 NEXT K\n" TAIL, 362e3},
    {"BM2", HEAD COUNT UNTIL TAIL, 2.42e6},
    {"BM3", HEAD COUNT "510 A=K/K*K+K-K\n" UNTIL TAIL, 4.43e6},
    {"BM4", HEAD COUNT "510 A=K/2*3+4-5\n" UNTIL TAIL, 4.92e6},
    {"BM5", HEAD COUNT "510 A=K/2*3+4-5\n520 GOSUB 820\n" UNTIL TAIL "820 RETURN\n", 5.40e6},
    {"BM6",
     HEAD COUNT "510 A=K/2*3+4-5\n520 GOSUB 820\n530 FOR L=1 TO 5\n540 NEXT L\n" UNTIL TAIL
                "820 RETURN\n",
     8.24e6},
    {"BM7",
     HEAD "430 DIM M(5)\n" COUNT "510 A=K/2*3+4-5\n520 GOSUB 820\n530 FOR L=1 TO 5\n"
          "535 M(L)=A\n540 NEXT L\n" UNTIL TAIL "820 RETURN\n",
     12.04e6},
    {"BM8", HEAD COUNT "530 A=K^2\n540 B=LOG(K)\n550 C=SIN(K)\n" UNTIL TAIL, 21.70e6},
};

// Addresses of the BASIC ROM's labels, from the linker's label file.
std::map<std::string, unsigned> labels()
{
    std::map<std::string, unsigned> map;
    std::ifstream in(TESSALY_BINARY_DIR "/generated/rom/basic.lbl");
    std::string al, addr, name;
    while (in >> al >> addr >> name)
        map[name.substr(1)] = std::stoul(addr, nullptr, 16);
    return map;
}

std::string hex(unsigned value)
{
    char buf[8];
    snprintf(buf, sizeof buf, "%04x", value);
    return buf;
}

// Loads the program from a cassette file (the keyboard has no '^'), then
// types RUN; gives the instructions from RUN's handler to the ready prompt,
// or 0 when something went wrong.
double run_program(const Program& p, std::string& screen)
{
    static const std::map<std::string, unsigned> aLabels = labels();
    auto run = aLabels.find("RUN");
    auto ready = aLabels.find("READY");
    if (run == aLabels.end() || ready == aLabels.end() || !bench_start_basic())
        return 0;
    char tape[] = "/tmp/basic_benchXXXXXX";
    int fd = mkstemp(tape);
    if (fd < 0)
        return 0;
    if (write(fd, p.lines, strlen(p.lines)) != static_cast<ssize_t>(strlen(p.lines))) {
        close(fd);
        return 0;
    }
    close(fd);
    c1p::cmd(std::string("cassette \"") + tape + "\"");
    bool typed = c1p::type_lines("NEW") && c1p::type_lines("LOAD", 30000) &&
                 c1p::type_lines("PRINT CHR$(12);");
    c1p::cmd("cassette /c");
    remove(tape);
    if (!typed)
        return 0;
    c1p::cmd("bp " + hex(run->second));
    c1p::type("RUN\n", 2000); // the machine halts at the breakpoint
    if (c1p::cmd("regs").find("PC=0x" + hex(run->second)) == std::string::npos)
        return 0;
    char log[] = "/tmp/basic_benchXXXXXX";
    fd = mkstemp(log);
    if (fd < 0)
        return 0;
    close(fd);
    c1p::cmd(std::string("log \"") + log + "\"");
    c1p::cmd("bp /t " + hex(ready->second));
    c1p::cmd("go");
    // BASIC checks for Ctrl-C while it computes, so the machine can look
    // idle long before the end: wait for the prompt after "E" instead.
    bool done = false;
    for (int ms = 0; ms < 120000 && !done; ms += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        done = c1p::last_line() == "OK";
    }
    done = done && c1p::wait_idle();
    c1p::cmd("log /c");
    c1p::cmd("bp /c " + hex(ready->second));
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    remove(log);
    screen = c1p::screen_text();
    std::string key = "exec near 0x" + hex(ready->second) + " (ins=";
    size_t at = text.str().find(key);
    if (!done || at == std::string::npos)
        return 0;
    return std::stod(text.str().substr(at + key.size()));
}

void BM_Basic(benchmark::State& state, const Program* p)
{
    double count = 0;
    std::string screen;
    for (auto _ : state)
        count = run_program(*p, screen);
    if (count == 0 || screen.find("S\nE\n") == std::string::npos) {
        state.SkipWithError(("the program did not run: " + screen).c_str());
        return;
    }
    state.counters["instructions"] = count;
    state.counters["original"] = p->original;
    state.counters["ratio"] = count / p->original;
}

} // namespace

int main(int argc, char** argv)
{
    for (const Program& p : aPrograms)
        benchmark::RegisterBenchmark(p.name, BM_Basic, &p)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return bench_run(argc, argv);
}
