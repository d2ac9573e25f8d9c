// Helpers of the device tests: calling a command handler with an argument
// vector and switches, and capturing what it prints.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell.h"

// Runs handler with argv built from words (the command word first) and the
// switch mask given; returns what it printed.
inline std::string run_cmd(PfnCmd handler, std::initializer_list<std::string> words,
                           uint32_t mask = 0)
{
    std::vector<std::string> text(words);
    std::vector<char*> argv;
    for (std::string& w : text)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    Switches sw{};
    sw.mask = mask;
    testing::internal::CaptureStdout();
    handler(static_cast<int>(text.size()), argv.data(), &sw);
    return testing::internal::GetCapturedStdout();
}
