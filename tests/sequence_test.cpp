// Numbered file names: splitting at the first run of digits and rebuilding
// the name for another number.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "test_support.h"

namespace {

struct SplitCase {
    const char *name;
    const char *prefix;
    int32_t digit_count;
    int32_t modulus;
    const char *suffix;
    const char *format;
    int32_t number;
    const char *rebuilt;
};

void PrintTo(const SplitCase &c, std::ostream *os) { *os << "'" << c.name << "' with " << c.number; }

class Sequence : public testing::TestWithParam<SplitCase> {};

TEST_P(Sequence, SplitsAndRebuilds) {
    const SplitCase &c = GetParam();
    SequenceStuff s{};
    nr_filename_to_sequence_stuff(c.name, &s);
    EXPECT_STREQ(c.prefix, s.prefix);
    EXPECT_EQ(c.digit_count, s.digit_count);
    EXPECT_EQ(c.modulus, s.modulus);
    EXPECT_STREQ(c.suffix, s.suffix);
    EXPECT_STREQ(c.format, s.format);
    char *name = nr_sequence_stuff_to_filename(&s, c.number);
    EXPECT_STREQ(c.rebuilt, name);
    std::free(name);
    std::free(s.prefix);
    std::free(s.suffix);
    std::free(s.format);
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Table, Sequence,
    testing::Values(
        SplitCase{"frame0042.tif", "frame", 4, 10000, ".tif", "%s%04d%s", 7, "frame0007.tif"},
        SplitCase{"frame0042.tif", "frame", 4, 10000, ".tif", "%s%04d%s", 12345, "frame12345.tif"},
        SplitCase{"frame0042.tif", "frame", 4, 10000, ".tif", "%s%04d%s", -5, "frame-005.tif"},
        SplitCase{"frame0042.tif", "frame", 4, 10000, ".tif", "%s%04d%s", kMin, "frame-2147483648.tif"},
        SplitCase{"take2_0042.tif", "take", 1, 10, "_0042.tif", "%s%01d%s", 3, "take3_0042.tif"},
        SplitCase{"0042.tif", "", 4, 10000, ".tif", "%s%04d%s", 43, "0043.tif"},
        SplitCase{"frame0042", "frame", 4, 10000, "", "%s%04d%s", 43, "frame0043"},
        SplitCase{"0042", "", 4, 10000, "", "%s%04d%s", 0, "0000"},
        SplitCase{"a000b", "a", 3, 1000, "b", "%s%03d%s", 999, "a999b"},
        SplitCase{"take2/frame0042.tif", "take", 1, 10, "/frame0042.tif", "%s%01d%s", 9, "take9/frame0042.tif"},
        SplitCase{"x123456789y", "x", 9, 1000000000, "y", "%s%09d%s", 1, "x000000001y"},
        // From ten digits on, 10^n does not fit in 32 bits: held at INT32_MAX.
        SplitCase{"x1234567890y", "x", 10, kMax, "y", "%s%010d%s", 1, "x0000000001y"},
        SplitCase{"x000000000000y", "x", 12, kMax, "y", "%s%012d%s", kMax, "x002147483647y"},
        // No digits: the number is appended to the whole name.
        SplitCase{"readme.txt", "readme.txt", 0, 1, "", "%s%d%s", 5, "readme.txt5"},
        SplitCase{"", "", 0, 1, "", "%s%d%s", 12, "12"}));

}  // namespace
