#include <gtest/gtest.h>

#include "testutil.h"

TEST(Smoke, QuitEndsWithStatusZero)
{
    RunResult r = run_tessaly({"-nologo"}, "quit\n");
    EXPECT_EQ(r.status, 0);
}
