// The devices' tests start from clear memory, an idle keyboard (shift lock
// on) and no tape, with a temporary directory for their files; attached
// files are closed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cassette.h"
#include "cpu6502.h"
#include "kbd.h"
#include "shell.h"
#include "testutil.h"

class DevFixture : public testing::Test
{
  protected:
    TempDir dir;
    void SetUp() override
    {
        memset(abMem6502, 0, MEM_SIZE6502);
        kbd_reset();
        cas_reset();
    }
    void TearDown() override
    {
        cas_reset();
    }
};

// What fn() prints on standard output.
template <typename Fn>
std::string printed(Fn fn)
{
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

// What a command handler prints for the parameters and switches given.
inline std::string run_cmd(PfnCmd handler, std::vector<std::string> words, uint32_t mask = 0)
{
    words.insert(words.begin(), "command");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    Switches sw{};
    sw.mask = mask;
    return printed([&] { handler(static_cast<int>(words.size()), argv.data(), &sw); });
}
