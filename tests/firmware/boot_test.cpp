// The machine boots our firmware with `go` and takes typed keys.
#include <gtest/gtest.h>

#include "c1p_harness.h"

class Firmware : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(c1p::boot());
    }
    void TearDown() override
    {
        c1p::shutdown();
    }
};

TEST_F(Firmware, BootsToThePromptAndTakesTypedKeys)
{
    ASSERT_TRUE(c1p::wait_idle());
    EXPECT_EQ(c1p::row(0), "C/W/M ?");
    ASSERT_TRUE(c1p::type("M"));
    ASSERT_TRUE(c1p::type("HELLO, WORLD!"));
    ASSERT_TRUE(c1p::wait_for("HELLO, WORLD!"));
}
