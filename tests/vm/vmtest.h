// A created virtual machine for each test, driven by typed commands in the
// test's own process.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "cpu6502.h"
#include "fresh.h"
#include "mem.h"
#include "shell.h"
#include "vm.h"

class VmTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        reset_state();
        ASSERT_TRUE(aOpDesc6502 || cpu6502_init());
        std::string out = cmd("create");
        ASSERT_TRUE(cpu6502_exists()) << out;
    }

    void TearDown() override
    {
        cmd("halt");
        cmd("close");
        reset_state();
    }

    // Each test starts as a fresh program does: no ROM images loaded.
    static void reset_state()
    {
        fresh_program_state();
    }

    // Runs one command line as typed and returns what it printed.
    static std::string cmd(const std::string& line)
    {
        std::vector<char> buf(CMD_LINE_SIZE + 1, 0);
        memcpy(buf.data(), line.data(), line.size());
        int result = 0;
        testing::internal::CaptureStdout();
        cmd_parse(aCmdTable, buf.data(), &result);
        return testing::internal::GetCapturedStdout();
    }

    // Starts a command that lets the CPU run (go), waits until the CPU has
    // stopped on its own and returns everything printed meanwhile.
    static std::string run_until_stop(const std::string& line, int timeoutMs = 10000)
    {
        std::vector<char> buf(CMD_LINE_SIZE + 1, 0);
        memcpy(buf.data(), line.data(), line.size());
        int result = 0;
        testing::internal::CaptureStdout();
        cmd_parse(aCmdTable, buf.data(), &result);
        wait_stopped(timeoutMs);
        return testing::internal::GetCapturedStdout();
    }

    // Waits until the CPU has stopped and given up the machine, so that the
    // test reads the registers as the CPU left them.
    static bool wait_stopped(int timeoutMs = 10000);

    static void poke(int addr, std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            abMem6502[addr++ & 0xFFFF] = static_cast<byte>(b);
    }

    static int32_t& reg(const char* name)
    {
        return reg_find(name)->value;
    }
};
