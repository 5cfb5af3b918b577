// Gated printing, info lines, the banner and error reports.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

using namespace testsupport;

namespace {

struct PrintCase {
    int verbosity;
    int level;
    const char *format;
    const char *arg;
    const char *expected;
};

void PrintTo(const PrintCase &c, std::ostream *os) {
    *os << "level " << c.level << " at " << c.verbosity << " format '" << c.format << "'";
}

class Printf : public testing::TestWithParam<PrintCase> {};

TEST_P(Printf, GatesAndCompletesLines) {
    const PrintCase &c = GetParam();
    Verbosity v(c.verbosity);
    EXPECT_EQ(c.expected, CaptureStdout([&] { nr_printf(c.level, c.format, c.arg); }));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Printf,
    testing::Values(PrintCase{1, 2, "hidden%s", "", ""},
                    PrintCase{1, 1, "plain%s", "", "plain\n"},
                    PrintCase{1, 1, "ends%s\n", "", "ends\n"},
                    PrintCase{1, 1, "%s", "arg\n", "arg\n\n"},  // the rule reads the format
                    PrintCase{1, 1, "tab%s\t", "", "tab\t"},
                    PrintCase{1, 1, "hi%s\xC3\xA9", "", "hi\xC3\xA9"},  // last byte >= 0x80
                    PrintCase{0, 1, "x%s", "", ""},
                    PrintCase{-1, -1, "neg%s", "", "neg\n"},
                    PrintCase{-1, 0, "zero%s", "", ""}));

TEST(Printf, EmptyFormatPrintsOneLineEnd) {
    Verbosity v(1);
    EXPECT_EQ("\n", CaptureStdout([] { nr_printf(1, ""); }));
    g_verbosity = 0;
    EXPECT_EQ("", CaptureStdout([] { nr_printf(1, ""); }));
}

TEST(Printf, LongTextIsPrintedWhole) {
    Verbosity v(1);
    const std::string big(5000, 'z');
    EXPECT_EQ(big + "\n", CaptureStdout([&] { nr_printf(1, "%s", big.c_str()); }));
}

TEST(InfoLines, AlignLabelsIn26Columns) {
    Verbosity v(1);
    EXPECT_EQ("+                      depth : 3 \n", CaptureStdout([] { nr_print_int("depth", 3); }));
    EXPECT_EQ("+                  file size : 1234 \n",
              CaptureStdout([] { nr_print_int("file size", 1234); }));
    EXPECT_EQ("+ abcdefghijklmnopqrstuvwxyz : v \n",
              CaptureStdout([] { nr_print_info("abcdefghijklmnopqrstuvwxyz", "v"); }));
    EXPECT_EQ("+ abcdefghijklmnopqrstuvwxyz1 : v \n",
              CaptureStdout([] { nr_print_info("abcdefghijklmnopqrstuvwxyz1", "v"); }));
    EXPECT_EQ("+\n", CaptureStdout([] { nr_print_cr(); }));
    g_verbosity = 0;
    EXPECT_EQ("", CaptureStdout([] {
                  nr_print_info("a", "b");
                  nr_print_int("a", 1);
                  nr_print_cr();
              }));
}

TEST(Banner, ShowsSourcePathWithoutExtensionAtAnyLevel) {
    Verbosity v(0);
    const std::string out = CaptureStdout([] { nr_print_version("src/x.cpp"); });
    EXPECT_EQ(0u, out.find("\n:\n:  src/x version 2.0-[404] 2006.03.15-01:00:17\n:  built on "));
    EXPECT_EQ(":\n", out.substr(out.size() - 2));
    int lines = 0;
    for (char ch : out) lines += ch == '\n';
    EXPECT_EQ(6, lines);
    EXPECT_NE(std::string::npos,
              CaptureStdout([] { nr_print_version("src/x.c"); }).find(":  src/x version"));
    EXPECT_NE(std::string::npos,
              CaptureStdout([] { nr_print_version("noext"); }).find(":  noext version"));
}

TEST(ErrorReports, LocationAtThreeErrorAtItsLevel) {
    Verbosity v(3);
    EXPECT_EQ("### (src/a.cpp: 12)\n### error: boom\n",
              CaptureStdout([] { nr_report_error("src/a.cpp", 12, 2, "boom"); }));
    g_verbosity = 2;
    EXPECT_EQ("### error: boom\n", CaptureStdout([] { nr_report_error("src/a.cpp", 12, 2, "boom"); }));
    g_verbosity = 1;
    EXPECT_EQ("", CaptureStdout([] { nr_report_error("src/a.cpp", 12, 2, "boom"); }));
}

TEST(Sprintf, GivesA1024ByteBlockCutToFit) {
    char *m = nr_sprintf("could not show level %d", 3);
    EXPECT_STREQ("could not show level 3", m);
    free(m);
    const std::string big(3000, 'w');
    m = nr_sprintf("%s", big.c_str());
    EXPECT_EQ(big.substr(0, 1023), std::string(m));
    free(m);
}

}  // namespace
