// Argument lookup: named options as prefixes, positional keys, fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pellorkit.h"

namespace {

struct Argv {
    explicit Argv(std::vector<std::string> a) : store(std::move(a)) {
        for (auto &s : store) ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(store.size()); }
    char *const *argv() const { return ptrs.data(); }
    std::vector<std::string> store;
    std::vector<char *> ptrs;
};

struct FindCase {
    std::vector<std::string> args;
    const char *key;
    int found;
    const char *value;  // when found
    int32_t number;     // when found
};

void PrintTo(const FindCase &c, std::ostream *os) {
    *os << "key " << c.key << " in";
    for (const auto &a : c.args) *os << " '" << a << "'";
}

class FindArg : public testing::TestWithParam<FindCase> {};

TEST_P(FindArg, FindsValueAndNumber) {
    const FindCase &c = GetParam();
    Argv a(c.args);
    int32_t number = -999;
    const char *text = "untouched";
    EXPECT_EQ(c.found, nr_find_arg(a.argc(), a.argv(), c.key, &number, &text));
    if (c.found) {
        EXPECT_STREQ(c.value, text);
        EXPECT_EQ(c.number, number);
    } else {
        EXPECT_STREQ("untouched", text);
        EXPECT_EQ(-999, number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindArg,
    testing::Values(
        FindCase{{"tessik", "--verbosity=2", "in.st"}, "1", 1, "in.st", 0},
        FindCase{{"tessik", "--verbosity=2", "in.st"}, "2", 0, nullptr, 0},
        FindCase{{"tessik", "--verbosity=2", "in.st"}, "verbosity", 1, "2", 2},
        FindCase{{"tessik", "a", "-x", "-5", "-", "b"}, "2", 1, "b", 0},
        FindCase{{"tessik", "", "b"}, "1", 1, "", 0},
        FindCase{{"tessik", "--0"}, "0", 1, "1", 1},
        FindCase{{"tessik", "a", "b"}, "-1", 0, nullptr, 0},
        FindCase{{"tessik", "--k"}, "k", 1, "1", 1},
        FindCase{{"tessik", "--kx"}, "k", 1, "1", 1},
        FindCase{{"tessik", "--helpful", "--help=3"}, "help", 1, "1", 1},
        FindCase{{"tessik", "--k=x", "--k=y"}, "k", 1, "x", 0},
        FindCase{{"tessik", "--k="}, "k", 1, "", 0},
        FindCase{{"tessik", "--k=a=b"}, "k", 1, "a=b", 0},
        FindCase{{"tessik", "--k=0x1F"}, "k", 1, "0x1F", 31},
        FindCase{{"tessik", "--K=1"}, "k", 0, nullptr, 0},
        FindCase{{"--k=7"}, "k", 1, "7", 7},  // entry 0 is searched for named keys
        FindCase{{"tessik", "--k= 12abc"}, "k", 1, " 12abc", 12},
        FindCase{{"tessik", "x"}, " +1", 1, "x", 0}));

struct GetterCase {
    const char *value;  // given as --k=<value>, or nullptr for a bare --k
    int32_t index;
    int32_t as_int;     // default 77
    double as_double;   // default 7.5
    const char *as_string;  // default "dflt"
};

void PrintTo(const GetterCase &c, std::ostream *os) {
    *os << "--k=" << (c.value != nullptr ? c.value : "(bare)") << " field " << c.index;
}

class Getters : public testing::TestWithParam<GetterCase> {};

TEST_P(Getters, ReadFieldsOrDefault) {
    const GetterCase &c = GetParam();
    Argv a({"tool", c.value != nullptr ? std::string("--k=") + c.value : std::string("--k")});
    EXPECT_EQ(c.as_int, nr_find_arg_int(a.argc(), a.argv(), "k", c.index, 77));
    EXPECT_DOUBLE_EQ(c.as_double, nr_find_arg_double(a.argc(), a.argv(), "k", c.index, 7.5));
    EXPECT_STREQ(c.as_string, nr_find_arg_string(a.argc(), a.argv(), "k", c.index, "dflt"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Getters,
    testing::Values(
        GetterCase{nullptr, 0, 1, 1.0, "1"},
        GetterCase{"", 0, 77, 7.5, "dflt"},
        GetterCase{"640,480", 0, 640, 640.0, "640,480"},
        GetterCase{"640,480", 1, 480, 480.0, "480"},
        GetterCase{"640,480", 2, 77, 7.5, "dflt"},
        GetterCase{"640,480", -3, 640, 640.0, "640,480"},
        GetterCase{",480", 0, 77, 7.5, "dflt"},
        GetterCase{",480", 1, 480, 480.0, "480"},
        GetterCase{"640,", 1, 77, 7.5, "dflt"},
        GetterCase{"a,,b", 1, 77, 7.5, "dflt"},
        GetterCase{"a,,b", 2, 77, 7.5, "b"},
        GetterCase{"0x1F", 0, 31, 31.0, "0x1F"}  /* hexadecimal floating point */,
        GetterCase{"0X1F", 0, 0, 31.0, "0X1F"},
        GetterCase{"0x", 0, 77, 0.0, "0x"},
        GetterCase{"0xFFFFFFFF", 0, -1, 4294967295.0, "0xFFFFFFFF"},
        GetterCase{"12abc", 0, 12, 12.0, "12abc"},
        GetterCase{"abc", 0, 77, 7.5, "abc"},
        GetterCase{"1.5e2,3", 0, 1, 150.0, "1.5e2,3"},
        GetterCase{"1.5e2,3", 1, 3, 3.0, "3"},
        GetterCase{"99999999999", 0, INT32_MAX, 99999999999.0, "99999999999"}));

TEST(FindArgOstype, ReadsOneFieldAsCode) {
    Argv a({"tool", "--c=abcdef", "--d=ab,cd"});
    EXPECT_EQ(0x61626364u, nr_find_arg_ostype(a.argc(), a.argv(), "c", 0, 0));
    EXPECT_EQ(0x61622020u, nr_find_arg_ostype(a.argc(), a.argv(), "d", 0, 0));
    EXPECT_EQ(0x63642020u, nr_find_arg_ostype(a.argc(), a.argv(), "d", 1, 0));
    EXPECT_EQ(0x7a7a7a7au, nr_find_arg_ostype(a.argc(), a.argv(), "e", 0, 0x7a7a7a7a));
}

TEST(FindArg, OverlongKeyIsNeverFound) {
    const std::string key(1100, 'k');
    Argv a({"tool", "--" + key});
    EXPECT_EQ(0, nr_find_arg(a.argc(), a.argv(), key.c_str(), nullptr, nullptr));
}

}  // namespace
