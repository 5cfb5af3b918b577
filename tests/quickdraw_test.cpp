// QuickDraw ports and their colours, and the library's GoGrey and GoBW.
#include <gtest/gtest.h>

#include "test_support.h"

using namespace testsupport;

// Beside RGBColor in the global namespace, where the assertions look;
// static, so that no other test file's helpers clash with them.
static bool operator==(const RGBColor &a, const RGBColor &b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

static void PrintTo(const RGBColor &c, std::ostream *os) {
    *os << "{" << c.red << ", " << c.green << ", " << c.blue << "}";
}

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

RGBColor Fore() {
    RGBColor c{1, 2, 3};
    GetForeColor(&c);
    return c;
}

RGBColor Back() {
    RGBColor c{1, 2, 3};
    GetBackColor(&c);
    return c;
}

// Each test draws in a port of its own and puts back whatever port was
// current, which may be the one nr_enter_movies made for the process.
class Ports : public testing::Test {
  protected:
    void SetUp() override {
        GetPort(&saved);
        port = CreateNewPort();
        ASSERT_NE(nullptr, port);
        SetPort(port);
    }
    void TearDown() override {
        SetPort(saved);
        DisposePort(port);
    }
    GrafPtr saved = nullptr;
    CGrafPtr port = nullptr;
};

TEST_F(Ports, NewPortDrawsBlackOnWhiteAndIsNotMadeCurrent) {
    EXPECT_EQ(kBlack, Fore());
    EXPECT_EQ(kWhite, Back());
    CGrafPtr other = CreateNewPort();
    GrafPtr current = nullptr;
    GetPort(&current);
    EXPECT_EQ(port, current);
    DisposePort(other);
}

TEST_F(Ports, ColoursBelongToTheCurrentPort) {
    const RGBColor teal{0, 0x8000, 0x8000};
    const RGBColor sand{0xC000, 0xB000, 0x9000};
    RGBForeColor(&teal);
    RGBBackColor(&sand);
    CGrafPtr other = CreateNewPort();
    SetPort(other);
    EXPECT_EQ(kBlack, Fore());
    EXPECT_EQ(kWhite, Back());
    SetPort(port);
    EXPECT_EQ(teal, Fore());
    EXPECT_EQ(sand, Back());
    DisposePort(other);
}

TEST_F(Ports, OldColourNumbers) {
    const struct {
        int32_t number;
        RGBColor rgb;
    } cases[] = {{blackColor, kBlack},
                 {whiteColor, kWhite},
                 {redColor, {0xFFFF, 0, 0}},
                 {greenColor, {0, 0xFFFF, 0}},
                 {blueColor, {0, 0, 0xFFFF}},
                 {cyanColor, {0, 0xFFFF, 0xFFFF}},
                 {magentaColor, {0xFFFF, 0, 0xFFFF}},
                 {yellowColor, {0xFFFF, 0xFFFF, 0}}};
    for (const auto &k : cases) {
        const RGBColor grey{0x1234, 0x1234, 0x1234};
        RGBForeColor(&grey);
        RGBBackColor(&grey);
        ForeColor(k.number);
        EXPECT_EQ(k.rgb, Fore()) << k.number;
        BackColor(k.number);
        EXPECT_EQ(k.rgb, Back()) << k.number;
    }
    const RGBColor before = Fore();
    ForeColor(12345);  // no such colour
    EXPECT_EQ(before, Fore());
}

TEST_F(Ports, DisposingOfTheCurrentPortLeavesNone) {
    CGrafPtr other = CreateNewPort();
    SetPort(other);
    DisposePort(other);
    GrafPtr current = port;
    GetPort(&current);
    EXPECT_EQ(nullptr, current);
    const RGBColor red{0xFFFF, 0, 0};
    RGBForeColor(&red);  // no port: nothing to set, nothing to crash
    EXPECT_EQ(kBlack, Fore());
    SetPort(port);
    EXPECT_EQ(kBlack, Fore());
}

struct GreyCase {
    int32_t level;
    uint16_t value;
};

class GoGreyLevels : public Ports, public testing::WithParamInterface<GreyCase> {};

TEST_P(GoGreyLevels, UseTheLowestEightBitsTimes256) {
    const GreyCase &k = GetParam();
    const RGBColor back{0x4321, 0x4321, 0x4321};
    RGBBackColor(&back);
    const RGBColor start{1, 2, 3};
    RGBForeColor(&start);
    GoGrey(k.level);
    EXPECT_EQ((RGBColor{k.value, k.value, k.value}), Fore());
    EXPECT_EQ(back, Back());  // the background stays
}

INSTANTIATE_TEST_SUITE_P(Table, GoGreyLevels,
                         testing::Values(GreyCase{0, 0}, GreyCase{128, 32768}, GreyCase{255, 65280},
                                         GreyCase{256, 0}, GreyCase{511, 65280}, GreyCase{-1, 65280}),
                         [](const testing::TestParamInfo<GreyCase> &info) {
                             const int32_t l = info.param.level;
                             return l < 0 ? "minus" + std::to_string(-l) : "level" + std::to_string(l);
                         });

TEST_F(Ports, GoBWDrawsBlackOnWhite) {
    const RGBColor fore{0x1111, 0x2222, 0x3333};
    const RGBColor back{0x4444, 0x5555, 0x6666};
    RGBForeColor(&fore);
    RGBBackColor(&back);
    GoBW();
    EXPECT_EQ(kBlack, Fore());
    EXPECT_EQ(kWhite, Back());
}

}  // namespace
