// c1p_run: boots the machine headless, types lines into it as a person would
// and prints the screen. A tool for working on the firmware:
//
//   c1p_run [-t tape] [-w ms] [-s] [file]
//
// Boots with our ROM images (and the cassette file `tape` attached), waits
// until the machine is idle, then types each line of `file` (standard input
// when none is given) followed by Return, waiting until the machine is idle
// again after each. A line "!ctrl X" types Ctrl with the letter X instead, a
// line "!wait" waits for the machine to go idle, "!screen" prints the screen.
// At the end the screen is printed as text and, on standard error, the number
// of instructions the machine ran after the last line was typed. -s prints
// the screen after every line. -w sets the time a line may take (5000 ms).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "c1p_harness.h"

static void print_screen()
{
    std::string text = c1p::screen_text();
    std::cout << "+--------------------------------+\n";
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        std::cout << "|" << line << std::string(32 - line.size(), ' ') << "|\n";
    std::cout << "+--------------------------------+\n" << std::flush;
}

int main(int argc, char** argv)
{
    std::string tape;
    int waitMs = 5000;
    bool every = false;
    int opt;
    while ((opt = getopt(argc, argv, "t:w:s")) != -1) {
        switch (opt) {
        case 't':
            tape = optarg;
            break;
        case 'w':
            waitMs = atoi(optarg);
            break;
        case 's':
            every = true;
            break;
        default:
            fprintf(stderr, "usage: c1p_run [-t tape] [-w ms] [-s] [file]\n");
            return 2;
        }
    }
    std::ifstream file;
    if (optind < argc) {
        file.open(argv[optind]);
        if (!file) {
            fprintf(stderr, "c1p_run: cannot open %s\n", argv[optind]);
            return 2;
        }
    }
    std::istream& in = optind < argc ? file : std::cin;

    if (!c1p::boot(tape)) {
        fprintf(stderr, "c1p_run: the machine could not be booted\n");
        return 1;
    }
    int status = 0;
    if (!c1p::wait_idle(waitMs)) {
        fprintf(stderr, "c1p_run: not idle after booting\n");
        status = 1;
    }
    uint32_t start = c1p::instructions();
    std::string line;
    while (status == 0 && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        bool ok = true;
        start = c1p::instructions();
        if (line.rfind("!ctrl ", 0) == 0 && line.size() > 6)
            ok = c1p::ctrl(line[6], waitMs) && c1p::wait_idle(waitMs);
        else if (line == "!wait")
            ok = c1p::wait_idle(waitMs);
        else if (line == "!screen")
            print_screen();
        else
            ok = c1p::type(line, waitMs) && c1p::type("\n", waitMs) && c1p::wait_idle(waitMs);
        if (!ok) {
            fprintf(stderr, "c1p_run: the machine did not take or finish the line: %s\n",
                    line.c_str());
            status = 1;
        }
        if (every)
            print_screen();
    }
    if (!every)
        print_screen();
    fprintf(stderr, "instructions: %u\n", c1p::instructions() - start);
    c1p::shutdown();
    return status;
}
