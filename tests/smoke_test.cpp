#include <gtest/gtest.h>
#include "test_support.h"
TEST(Smoke, Builds) { EXPECT_EQ(1, 1); }
