// Four-character codes and their text form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "pellorkit.h"

namespace {

struct O2cCase {
    OSType code;
    const char *text;
};

void PrintTo(const O2cCase &c, std::ostream *os) { *os << std::hex << c.code; }

class O2c : public testing::TestWithParam<O2cCase> {};

TEST_P(O2c, PrintsFourPrintableCharacters) {
    char *t = o2c(GetParam().code);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(0, std::memcmp(GetParam().text, t, 4));
    EXPECT_EQ('\0', t[4]);
    std::free(t);
}

INSTANTIATE_TEST_SUITE_P(Table, O2c,
                         testing::Values(O2cCase{0x61626364, "abcd"}, O2cCase{0, "...."},
                                         O2cCase{0x41420A7F, "AB.."}, O2cCase{0xE9616263, ".abc"},
                                         O2cCase{0x20202020, "    "}, O2cCase{0x7E201F80, "~ .."}));

struct C2oCase {
    const char *text;
    OSType code;
};

void PrintTo(const C2oCase &c, std::ostream *os) { *os << "'" << c.text << "'"; }

class C2o : public testing::TestWithParam<C2oCase> {};

TEST_P(C2o, ReadsUpToFourCharacters) { EXPECT_EQ(GetParam().code, c2o(GetParam().text)); }

INSTANTIATE_TEST_SUITE_P(
    Table, C2o,
    testing::Values(C2oCase{"abcd", 0x61626364}, C2oCase{"abcdef", 0x61626364},
                    C2oCase{"ab", 0x61622020}, C2oCase{"", 0x20202020},
                    C2oCase{"ab,cd", 0x61622020}, C2oCase{",", 0x20202020},
                    C2oCase{"....", 0}, C2oCase{"....xyz", 0}, C2oCase{"...", 0x2E2E2E20},
                    C2oCase{".a..", 0x2E612E2E}, C2oCase{"a\xE9" "bc", 0x61E96263}));

TEST(FourCharCodes, PrintableCodesRoundTrip) {
    for (OSType code : {0x61626364u, 0x73656176u, 0x20414243u, 0u}) {
        char *t = o2c(code);
        EXPECT_EQ(code, c2o(t)) << t;
        std::free(t);
    }
    char *t = o2c(0x2E2E2E2E);  // four full stops read back as 0
    EXPECT_EQ(0u, c2o(t));
    std::free(t);
}

TEST(FourCharCodes, LastFourChars) {
    EXPECT_EQ(0x61626364u, nr_last_four_chars("name.abcd"));
    EXPECT_EQ(0u, nr_last_four_chars("x...."));
    EXPECT_EQ(0x62202020u, nr_last_four_chars("ab,cd"));
    EXPECT_EQ(0x61622020u, nr_last_four_chars("ab"));  // shorter: read whole, padded
}

}  // namespace
