// Strings and numbers: Pascal strings, handle contents, substrings, 16.16
// fixed point and integer range mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "test_support.h"

using namespace testsupport;

namespace {

std::string Taken(char *heap, size_t n) {
    std::string s(heap, n);
    std::free(heap);
    return s;
}

std::string Pascal(const std::string &chars) {
    return std::string(1, static_cast<char>(chars.size())) + chars;
}

const unsigned char *P(const std::string &s) { return reinterpret_cast<const unsigned char *>(s.data()); }

TEST(PascalStrings, ConvertBothWays) {
    struct Case {
        std::string pascal;
        std::string text;  // p2c's bytes, NUL included
    } const cases[] = {
        {Pascal(""), std::string("\0", 1)},
        {Pascal("abc"), std::string("abc\0", 4)},
        {Pascal(std::string("a\0b", 3)), std::string("a\0b\0", 4)},  // reads 'a' as text
        {Pascal(std::string(255, 'z')), std::string(255, 'z') + '\0'},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.text, Taken(p2c(P(c.pascal)), c.text.size()));
    }
}

TEST(PascalStrings, FromTextCutsAt255AndRoundTrips) {
    struct Case {
        std::string text;
        std::string pascal;
    } const cases[] = {
        {"", std::string(1, '\0')},
        {"hello", Pascal("hello")},
        {std::string(255, 'q'), Pascal(std::string(255, 'q'))},
        {std::string(300, 'x'), Pascal(std::string(255, 'x'))},
    };
    for (const Case &c : cases) {
        unsigned char *p = c2p(c.text.c_str());
        ASSERT_NE(nullptr, p);
        EXPECT_EQ(c.pascal, std::string(reinterpret_cast<char *>(p), c.pascal.size()));
        char *back = p2c(p);
        EXPECT_EQ(c.text.substr(0, 255), std::string(back));
        std::free(back);
        std::free(p);
    }
}

TEST(HandleText, ConvertsBothWays) {
    struct Case {
        std::string handle_bytes;
    } const cases[] = {{""}, {"abc"}, {std::string("ab\0cd", 5)}};
    for (const Case &c : cases) {
        QTAtomContainer h = FromBytes(c.handle_bytes);
        char *text = h2c(h);
        EXPECT_EQ(c.handle_bytes + '\0', std::string(text, c.handle_bytes.size() + 1));
        std::free(text);
        DisposeHandle(h);
    }
    for (const std::string text : {"", "some text", "a"}) {
        Handle h = c2h(text.c_str());
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(static_cast<Size>(text.size()), GetHandleSize(h));
        char *back = h2c(h);
        EXPECT_EQ(text, back);
        std::free(back);
        DisposeHandle(h);
    }
}

TEST(Substrings, CopyBytesFromStartForLength) {
    struct Case {
        std::string s;
        int32_t start;
        int32_t length;
        std::string expected;  // NUL included
    } const cases[] = {
        {"abcdef", 2, 3, std::string("cde\0", 4)},
        {"abcdef", 6, 0, std::string("\0", 1)},
        {"abcdef", 0, 6, std::string("abcdef\0", 7)},
        {std::string("a\0bc", 4), 0, 4, std::string("a\0bc\0", 5)},  // NULs do not end the copy
        {"abcdef", -1, 3, std::string("\0", 1)},
        {"abcdef", 1, -3, std::string("\0", 1)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.expected, Taken(csubstr(c.s.data(), c.start, c.length), c.expected.size()))
            << c.start << "," << c.length;
    }
}

TEST(Fixed, FromDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x;
        uint32_t fixed;
    } const cases[] = {
        {1.0, 0x00010000},        {1.5, 0x00018000},       {0.1, 0x00001999},
        {-1.0, 0xFFFF0000},       {-1.5, 0xFFFE8000},      {0.0, 0},
        {0.5 / 65536, 0},         {-0.5 / 65536, 0},       {0.99 / 65536, 0},
        {32768.0, 0x80000000},    {40000.0, 0x9C400000},   {65535.5, 0xFFFF8000},
        {65536.0, 0xFFFFFFFF},    {1e300, 0xFFFFFFFF},     {inf, 0xFFFFFFFF},
        {-32768.0, 0x80000000},   {-40000.0, 0x80000000},  {-inf, 0x80000000},
        {std::nan(""), 0},        {-std::nan(""), 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.fixed, static_cast<uint32_t>(d2f(c.x))) << c.x;
    }
}

TEST(Fixed, ToDoubleReadsAllBitsUnsigned) {
    struct Case {
        uint32_t fixed;
        double x;
    } const cases[] = {
        {0x00018000, 1.5},
        {0x80000000, 32768.0},
        {0xFFFF0000, 65535.0},
        {0xFFFFFFFF, 4294967295.0 / 65536},
        {0, 0.0},
        {1, 1.0 / 65536},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.x, f2d(static_cast<Fixed>(c.fixed))) << std::hex << c.fixed;
    }
    EXPECT_EQ(0.0999908447265625, f2d(d2f(0.1)));
}

TEST(MapInt, TruncatesTowardZeroAndExtrapolates) {
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t min = std::numeric_limits<int32_t>::min();
    struct Case {
        int32_t v, a, b, c, d, expected;
    } const cases[] = {
        {5, 0, 10, 0, 100, 50},
        {1, 0, 3, 0, 10, 3},
        {-1, 0, 3, 0, 10, -3},  // toward zero, not down
        {15, 0, 10, 0, 100, 150},
        {2, 0, 10, 100, 0, 80},
        {3, 1, 4, 10, 40, 30},
        {3, 4, 1, 40, 10, 30},   // both ranges downward
        {7, 4, 4, 10, 40, 10},   // empty source range: the target's first end
        {0, min, max, 0, 100, 50},  // differences wider than 32 bits do not wrap
        {max, min, max, min, max, max},
        {min, min, max, min, max, min},
        {10, 0, 1, 0, max, max},    // beyond 32 bits: held at the ends
        {-10, 0, 1, 0, max, min},
        {max, 0, 1, -10, -20, min},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.expected, nr_map_int(c.v, c.a, c.b, c.c, c.d))
            << c.v << " in " << c.a << ".." << c.b << " onto " << c.c << ".." << c.d;
    }
}

}  // namespace
