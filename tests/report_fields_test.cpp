// Report field formatters: each family's value texts, compared as the whole
// info line that reaches standard output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testsupport;

namespace {

struct FieldCase {
    const char *name;
    std::function<void(const char *label)> print;
    std::string value;
};

std::string InfoLine(const char *label, const std::string &value) {
    char line[2048];
    std::snprintf(line, sizeof line, "+ %26s : %s \n", label, value.c_str());
    return line;
}

void ExpectLines(const std::vector<FieldCase> &cases) {
    Verbosity v(1);
    for (const FieldCase &c : cases) {
        const std::string out = CaptureStdout([&] { c.print("some label"); });
        EXPECT_EQ(InfoLine("some label", c.value), out) << c.name;
    }
}

Fixed Fix(int16_t whole, uint16_t fraction) {
    return static_cast<Fixed>((static_cast<uint32_t>(static_cast<uint16_t>(whole)) << 16) | fraction);
}

OSType Code(const char *four) { return c2o(four); }

std::string Pascal(const std::string &chars) {
    return std::string(1, static_cast<char>(chars.size())) + chars;
}

const unsigned char *P(const std::string &s) { return reinterpret_cast<const unsigned char *>(s.data()); }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(ReportFields, Integers) {
    ExpectLines({
        {"int of int", [](const char *l) { nr_print_int_of_int(l, 3, 12); }, "3 of 12"},
        {"int2", [](const char *l) { nr_print_int2(l, 3, 4); }, "3 / 4"},
        {"int2 extremes", [](const char *l) { nr_print_int2(l, INT32_MIN, INT32_MAX); },
         "-2147483648 / 2147483647"},
        {"int3", [](const char *l) { nr_print_int3(l, 1, -2, 3); }, "1 / -2 / 3"},
        {"dims", [](const char *l) { nr_print_dims(l, 640, 480); }, "640 x 480"},
        {"times", [](const char *l) { nr_print_createmodtime(l, 4294967295u, 7); }, "4294967295 / 7"},
        {"volume", [](const char *l) { nr_print_volume(l, 256); }, "256"},
        {"volume negative", [](const char *l) { nr_print_volume(l, -256); }, "-256"},
    });
}

TEST(ReportFields, DoublesAsIntegerOrTwoDecimals) {
    ExpectLines({
        {"30", [](const char *l) { nr_print_double(l, 30.0); }, "30"},
        {"-0", [](const char *l) { nr_print_double(l, -0.0); }, "0"},
        {"int max", [](const char *l) { nr_print_double(l, 2147483647.0); }, "2147483647"},
        {"int min", [](const char *l) { nr_print_double(l, -2147483648.0); }, "-2147483648"},
        {"29.97", [](const char *l) { nr_print_double(l, 29.97); }, "29.97"},
        {"-0.5", [](const char *l) { nr_print_double(l, -0.5); }, "-0.50"},
        {"0.004", [](const char *l) { nr_print_double(l, 0.004); }, "0.00"},
        {"2.999", [](const char *l) { nr_print_double(l, 2.999); }, "3.00"},
        {"past int max", [](const char *l) { nr_print_double(l, 2147483648.0); }, "2147483648.00"},
        {"past int min", [](const char *l) { nr_print_double(l, -2147483649.0); }, "-2147483649.00"},
        {"1e12", [](const char *l) { nr_print_double(l, 1e12); }, "1000000000000.00"},
        {"inf", [](const char *l) { nr_print_double(l, kInf); }, "inf"},
        {"nan", [](const char *l) { nr_print_double(l, kNaN); }, "nan"},
    });
}

TEST(ReportFields, RatesAndAudioFormats) {
    ExpectLines({
        {"frame 0", [](const char *l) { nr_print_d_frame_rate(l, 0.0); }, "movie"},
        {"frame -0", [](const char *l) { nr_print_d_frame_rate(l, -0.0); }, "movie"},
        {"frame 25", [](const char *l) { nr_print_d_frame_rate(l, 25.0); }, "25"},
        {"frame 29.97", [](const char *l) { nr_print_d_frame_rate(l, 29.97); }, "29.97"},
        {"frame nan is not 0", [](const char *l) { nr_print_d_frame_rate(l, kNaN); }, "nan"},
        {"data 0", [](const char *l) { nr_print_d_data_rate(l, 0.0); }, "whatever"},
        {"data 1000.5", [](const char *l) { nr_print_d_data_rate(l, 1000.5); }, "1000.50"},
        {"stereo", [](const char *l) { nr_print_d_audio_format(l, 44100.0, 16, 2); }, "44100 / 16 / stereo"},
        {"mono", [](const char *l) { nr_print_d_audio_format(l, 22050.5, 8, 1); }, "22050.50 / 8 / mono"},
        {"no channels", [](const char *l) { nr_print_d_audio_format(l, 8000.0, 8, 0); }, "8000 / 8 / 0"},
        {"six channels", [](const char *l) { nr_print_d_audio_format(l, 48000.0, 24, 6); }, "48000 / 24 / 6"},
    });
}

TEST(ReportFields, TimeRangesAndTimes) {
    ExpectLines({
        {"end 0", [](const char *l) { nr_print_d_time_range(l, 5.0, 0.0); }, "all"},
        {"both 0", [](const char *l) { nr_print_d_time_range(l, 0.0, 0.0); }, "all"},
        {"start 0", [](const char *l) { nr_print_d_time_range(l, 0.0, 2.5); }, "2.500000"},
        {"start -0", [](const char *l) { nr_print_d_time_range(l, -0.0, 1.0); }, "1.000000"},
        {"both", [](const char *l) { nr_print_d_time_range(l, 1.5, 2.0); }, "1.5000 to 2.0000"},
        {"third", [](const char *l) { nr_print_time(l, 1, 3); }, "0.333 (1/3)"},
        {"negative", [](const char *l) { nr_print_time(l, -1, 2); }, "-0.500 (-1/2)"},
        {"scale 0", [](const char *l) { nr_print_time(l, 5, 0); }, "inf (5/0)"},
    });
}

TEST(ReportFields, FlagsStringsAndCodes) {
    ExpectLines({
        {"yes", [](const char *l) { nr_print_yesno(l, -1); }, "yes"},
        {"no", [](const char *l) { nr_print_yesno(l, 0); }, "no"},
        {"string", [](const char *l) { nr_print_string(l, P(Pascal("hello"))); }, "hello"},
        {"string with NUL", [](const char *l) { nr_print_string(l, P(Pascal(std::string("ab\0cd", 5)))); }, "ab"},
        {"empty string", [](const char *l) { nr_print_string(l, P(Pascal(""))); }, ""},
        {"ostype", [](const char *l) { nr_print_ostype(l, Code("vide")); }, "vide"},
        {"ostype control", [](const char *l) { nr_print_ostype(l, 0x01696465); }, ".ide"},
        {"handler", [](const char *l) { nr_print_handler(l, Code("dhlr"), Code("alis"), P(Pascal("Alias"))); },
         "dhlr/alis Alias"},
        {"handler no name", [](const char *l) { nr_print_handler(l, Code("dhlr"), Code("alis"), P(Pascal(""))); },
         "dhlr/alis "},
    });
}

TEST(ReportFields, FixedPointDimensionsAndRates) {
    ExpectLines({
        {"dimensions", [](const char *l) { nr_print_dimensions(l, Fix(320, 0), Fix(240, 0)); }, "(320,240)"},
        {"dimensions floor", [](const char *l) { nr_print_dimensions(l, d2f(-0.5), Fix(1, 0x8000)); }, "(-1,1)"},
        {"rate 1", [](const char *l) { nr_print_rate(l, Fix(1, 0)); }, "1.000000"},
        {"rate half", [](const char *l) { nr_print_rate(l, Fix(0, 32768)); }, "0.500000"},
        {"rate quarter", [](const char *l) { nr_print_rate(l, Fix(0, 16384)); }, "0.250000"},
        {"rate 29.97", [](const char *l) { nr_print_rate(l, Fix(29, 63570)); }, "29.970001"},
        {"rate tiny", [](const char *l) { nr_print_rate(l, Fix(0, 1)); }, "0.000015"},
        {"rate almost 1", [](const char *l) { nr_print_rate(l, Fix(0, 65535)); }, "0.999984"},
        {"rate largest", [](const char *l) { nr_print_rate(l, Fix(32767, 65535)); }, "32767.999984"},
        {"rate minus half", [](const char *l) { nr_print_rate(l, d2f(-0.5)); }, "-0.500000"},
        {"rate minus 1.5", [](const char *l) { nr_print_rate(l, d2f(-1.5)); }, "-1.500000"},
        {"rate minus 1", [](const char *l) { nr_print_rate(l, d2f(-1.0)); }, "-1.000000"},
        {"rate most negative", [](const char *l) { nr_print_rate(l, INT32_MIN); }, "-32768.000000"},
    });
}

TEST(ReportFields, RectanglesAndRegions) {
    RgnHandle empty = NewRgn();
    RgnHandle rect = NewRgn();
    SetRectRgn(rect, 0, 0, 320, 240);
    RgnHandle ell = NewRgn();
    RgnHandle corner = NewRgn();
    SetRectRgn(ell, 0, 0, 320, 120);
    SetRectRgn(corner, 0, 120, 160, 240);
    UnionRgn(ell, corner, ell);
    const Rect r{10, 20, 30, 40};
    const Rect neg{-5, -6, -1, -2};
    ExpectLines({
        {"rect", [&](const char *l) { nr_print_rect(l, &r); }, "(20,10,40,30)"},
        {"rect negative", [&](const char *l) { nr_print_rect(l, &neg); }, "(-6,-5,-2,-1)"},
        {"null region", [](const char *l) { nr_print_rgn(l, nullptr); }, "(null)"},
        {"empty region", [&](const char *l) { nr_print_rgn(l, empty); }, "(empty)"},
        {"rectangular", [&](const char *l) { nr_print_rgn(l, rect); }, "rectangular (0,0,320,240)"},
        {"L shape", [&](const char *l) { nr_print_rgn(l, ell); }, "nonrectangular (0,0,320,240)"},
    });
    DisposeRgn(empty);
    DisposeRgn(rect);
    DisposeRgn(ell);
    DisposeRgn(corner);
}

TEST(ReportFields, NothingPrintedBelowLevelOne) {
    Verbosity v(0);
    EXPECT_EQ("", CaptureStdout([] {
                  nr_print_int2("size", 3, 4);
                  nr_print_double("x", 1.5);
                  nr_print_handler("h", Code("dhlr"), Code("alis"), P(Pascal("Alias")));
                  nr_print_rgn("r", nullptr);
              }));
}

}  // namespace
