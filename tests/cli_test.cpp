// Runs the built tessik and compares its standard output byte for byte, and
// its exit status.
#include <gtest/gtest.h>

#include <dirent.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "test_support.h"

using namespace testsupport;

namespace {

const std::string kBanner = std::string("\n:\n:  src/tessik version 2.0-[404] 2006.03.15-01:00:17\n:  built on ") +
                            TESSIK_BUILD_HOST +
                            "\n:  pellorkit tools for settings files, by the tessik developers\n:\n";
const std::string kUsage = kBanner +
                           ":  tessik is a command line tool\n"
                           ":  for manipulating settings files\n"
                           ":  produced by morvane.\n"
                           ":\n"
                           ":  usage: tessik <settings file>\n"
                           ":\n"
                           ":  \"tessik --man | more\" will tell you the\n"
                           ":  same thing with a lot more words.\n"
                           ":\n";
const std::string kMan = kBanner + ":\n:  No man page in this build.\n:\n";

// Line numbers of location lines move with the code; the tests check the file.
std::string WithoutLineNumbers(const std::string &s) {
    return std::regex_replace(s, std::regex(R"(### \(([^:]+): \d+\))"), "### ($1: N)");
}

std::string Info(const std::string &label, const std::string &value) {
    std::string pad = label.size() < 26 ? std::string(26 - label.size(), ' ') : "";
    return "+ " + pad + label + " : " + value + " \n";
}

std::string Header(const std::string &path, int depth, size_t size) {
    return Info("settings file", path) + Info("depth", std::to_string(depth)) +
           Info("file size", std::to_string(size));
}

std::string GoodFile() {
    return WriteFile("good.st", Container({Parent("vide", 1, {Atom("qual", 2, "ab")}), Atom("name", 1, "")}));
}
const char kGoodTree[] =
    "+ sean[1]: (2 children)\n"
    "+ .vide[1]: (1 children)\n"
    "+ ..qual[2]: 61 62                                           | ab\n"
    "+ .name[1]: -\n";

struct CliCase {
    const char *name;
    std::function<std::vector<std::string>()> args;
    std::function<std::string()> expected;
    int status;
};

void PrintTo(const CliCase &c, std::ostream *os) { *os << c.name; }

class Cli : public testing::TestWithParam<CliCase> {};

TEST_P(Cli, PrintsExactlyAndExits) {
    const CliCase &c = GetParam();
    const ToolRun run = RunTessik(c.args());
    EXPECT_EQ(c.expected(), WithoutLineNumbers(run.out));
    EXPECT_EQ(c.status, run.status);
}

std::string Missing() { return TempDir() + "/missing.st"; }
std::string Folder() {
    mkdir((TempDir() + "/a-folder").c_str(), 0755);
    return TempDir() + "/a-folder";
}
std::string Damaged() {
    return WriteFile("damaged.st", Container({Atom("good", 1, "ok"), Parent("bad ", 7, {Atom("x", 1, "", 0, 999)})}));
}

using V = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Table, Cli,
    testing::Values(
        CliCase{"no_arguments", [] { return V{}; }, [] { return kUsage + "\n"; }, 0},
        CliCase{"no_file_quiet", [] { return V{"--verbosity=0"}; }, [] { return kUsage; }, 0},
        CliCase{"help_before_level", [] { return V{"--help", "--verbosity=0"}; }, [] { return kUsage + "\n"; }, 0},
        CliCase{"help_then_version", [] { return V{"--help", "--version"}; }, [] { return kBanner; }, 1},
        CliCase{"version_then_help", [] { return V{"--version", "--help"}; }, [] { return kBanner; }, 1},
        CliCase{"man_and_help", [] { return V{"--man", "--help"}; }, [] { return kUsage + "\n"; }, 0},
        CliCase{"man", [] { return V{"--man"}; }, [] { return kMan; }, 1},
        CliCase{"prefix_helpme", [] { return V{"--helpme"}; }, [] { return kUsage + "\n"; }, 0},
        CliCase{"prefix_versionx", [] { return V{"--versionx", GoodFile()}; }, [] { return kBanner; }, 1},
        CliCase{"dash_argument", [] { return V{"-x"}; }, [] { return kUsage + "\n"; }, 0},
        CliCase{"missing_file", [] { return V{Missing()}; },
                [] { return "### error: could not load settings file " + Missing() + "\n\n"; }, 1},
        CliCase{"missing_file_v2", [] { return V{"--verbosity=2", Missing()}; },
                [] { return "### error: NativePathNameToFSSpec\n### error: could not load settings file " + Missing() + "\n\n"; }, 1},
        CliCase{"missing_file_v3", [] { return V{"--verbosity=3", Missing()}; },
                [] {
                    return "### (src/pellorkit/settings_file.cpp: N)\n### error: NativePathNameToFSSpec\n"
                           "### (src/tessik.cpp: N)\n### error: could not load settings file " + Missing() + "\n\n";
                }, 1},
        CliCase{"folder", [] { return V{"--verbosity=2", Folder()}; },
                [] { return "### error: FSpOpenDF\n### error: could not load settings file " + Folder() + "\n\n"; }, 1},
        CliCase{"good_file", [] { return V{GoodFile()}; },
                [] { return Header(GoodFile(), 2, 94) + kGoodTree + "\n"; }, 0},
        CliCase{"second_positional_ignored", [] { return V{GoodFile(), Missing()}; },
                [] { return Header(GoodFile(), 2, 94) + kGoodTree + "\n"; }, 0},
        CliCase{"good_file_quiet", [] { return V{"--verbosity=0", GoodFile()}; },
                [] { return std::string(kGoodTree); }, 0},
        CliCase{"good_file_v3", [] { return V{"--verbosity=3", GoodFile()}; },
                [] { return Header(GoodFile(), 2, 94) + kGoodTree + "\n"; }, 0},
        CliCase{"verbosity_flag_is_1", [] { return V{"--verbosity", Missing()}; },
                [] { return "### error: could not load settings file " + Missing() + "\n\n"; }, 1},
        CliCase{"verbosity_unreadable_is_1", [] { return V{"--verbosity=abc", Missing()}; },
                [] { return "### error: could not load settings file " + Missing() + "\n\n"; }, 1},
        CliCase{"verbosity_hex", [] { return V{"--verbosity=0x3", Missing()}; },
                [] {
                    return "### (src/pellorkit/settings_file.cpp: N)\n### error: NativePathNameToFSSpec\n"
                           "### (src/tessik.cpp: N)\n### error: could not load settings file " + Missing() + "\n\n";
                }, 1},
        CliCase{"damaged_default", [] { return V{Damaged()}; },
                [] {
                    return Header(Damaged(), 1, 94) +
                           "+ sean[1]: (2 children)\n"
                           "+ .good[1]: 6f 6b                                           | ok\n"
                           "+ .bad [7]: (1 children)\n"
                           "### error: problem displaying atom " + Damaged() + "\n\n";
                }, 1},
        CliCase{"damaged_v2", [] { return V{"--verbosity=2", Damaged()}; },
                [] {
                    return Info("settings file", Damaged()) + "### error: could not get next child\n" +
                           Info("depth", "1") + Info("file size", "94") +
                           "+ sean[1]: (2 children)\n"
                           "+ .good[1]: 6f 6b                                           | ok\n"
                           "+ .bad [7]: (1 children)\n"
                           "### error: could not load child 1\n"
                           "### error: could not show level 1\n"
                           "### error: could now show atom\n"
                           "### error: problem displaying atom " + Damaged() + "\n\n";
                }, 1}),
    [](const testing::TestParamInfo<CliCase> &info) { return std::string(info.param.name); });

// The tree part of the report for containers built here.
struct ListingCase {
    const char *name;
    std::string bytes;
    int depth;
    std::string tree;
};

void PrintTo(const ListingCase &c, std::ostream *os) { *os << c.name; }

class Listing : public testing::TestWithParam<ListingCase> {};

TEST_P(Listing, PrintsTheTree) {
    const ListingCase &c = GetParam();
    const std::string path = WriteFile(std::string(c.name) + ".st", c.bytes);
    const ToolRun run = RunTessik({path});
    EXPECT_EQ(Header(path, c.depth, c.bytes.size()) + c.tree + "\n", run.out);
    EXPECT_EQ(0, run.status);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Listing,
    testing::Values(
        ListingCase{"empty_container", Container({}), 0, "+ sean[1]: -\n"},
        ListingCase{"root_with_data", std::string(12, '\0') + Atom("sean", 1, "hi"), 0,
                    "+ sean[1]: 68 69                                           | hi\n"},
        ListingCase{"leaf_16", Container({Atom("abcd", 1, "0123456789abcdef")}), 1,
                    "+ sean[1]: (1 children)\n"
                    "+ .abcd[1]: 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 | 0123456789abcdef\n"},
        ListingCase{"leaf_17", Container({Atom("abcd", 1, "0123456789abcdefg")}), 1,
                    "+ sean[1]: (1 children)\n"
                    "+ .abcd[1]: 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 | 0123456789abcdef\n"
                    "+           67                                              | g\n"},
        ListingCase{"long_ids", Container({Atom("abcd", -42, std::string(20, 'x')), Atom("abcd", 123456, "y")}), 1,
                    "+ sean[1]: (2 children)\n"
                    "+ .abcd[-42]: 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 | xxxxxxxxxxxxxxxx\n"
                    "+           78 78 78 78                                     | xxxx\n"
                    "+ .abcd[123456]: 79                                              | y\n"},
        ListingCase{"text_column", Container({Atom("abcd", 1, std::string("\x20\x7e\x7f\x80\xff\x00\x1f", 7))}), 1,
                    "+ sean[1]: (1 children)\n"
                    "+ .abcd[1]: 20 7e 7f 80 ff 00 1f                            |  ~.....\n"},
        ListingCase{"odd_types", Container({Atom(std::string("\x01" "a\xff ", 4), 0, ""), Atom(std::string(4, '\0'), 2, "")}), 1,
                    "+ sean[1]: (2 children)\n"
                    "+ ..a. [0]: -\n"
                    "+ .....[2]: -\n"},
        ListingCase{"nested", Container({Parent("aaaa", 1, {Parent("bbbb", 1, {Parent("cccc", 1, {Atom("dddd", 1, "0123456789abcdefXY")})})}), Atom("eeee", 1, "")}), 4,
                    "+ sean[1]: (2 children)\n"
                    "+ .aaaa[1]: (1 children)\n"
                    "+ ..bbbb[1]: (1 children)\n"
                    "+ ...cccc[1]: (1 children)\n"
                    "+ ....dddd[1]: 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 | 0123456789abcdef\n"
                    "+              58 59                                           | XY\n"
                    "+ .eeee[1]: -\n"}),
    [](const testing::TestParamInfo<ListingCase> &info) { return std::string(info.param.name); });

// Counts what the report shows of a container: 12 header bytes, 20 per atom
// and every dumped byte.
size_t BytesAccountedFor(const std::string &report, int *atoms) {
    static const std::regex atom_line(R"(^\+ \.*.{4}\[-?\d+\]: (.*)$)");
    static const std::regex continuation(R"(^\+ {10,}(.*)$)");
    size_t bytes = 12;
    *atoms = 0;
    size_t start = 0;
    auto count_hex = [](const std::string &row) {
        size_t n = 0;
        for (size_t i = 0; i + 1 < row.size() && i < 48; i += 3)
            if (row[i] != ' ') ++n;
        return n;
    };
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(start, end - start);
        start = end + 1;
        std::smatch m;
        if (std::regex_match(line, m, atom_line)) {
            ++*atoms;
            bytes += 20;
            const std::string rest = m[1];
            if (rest != "-" && rest.find(" children)") == std::string::npos) bytes += count_hex(rest);
        } else if (std::regex_match(line, m, continuation)) {
            bytes += count_hex(m[1]);
        }
    }
    return bytes;
}

TEST(Samples, RealContainersListCompletely) {
    DIR *dir = opendir(TESSIK_SAMPLES_DIR);
    if (dir == nullptr) GTEST_SKIP() << "no samples folder at " << TESSIK_SAMPLES_DIR;
    int listed = 0;
    while (dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() < 5 || name.substr(name.size() - 5) != ".qtac") continue;
        const std::string path = std::string(TESSIK_SAMPLES_DIR) + "/" + name;
        const ToolRun run = RunTessik({"--verbosity=0", path});
        EXPECT_EQ(0, run.status) << name;
        int atoms = 0;
        EXPECT_EQ(ReadFile(path).size(), BytesAccountedFor(run.out, &atoms)) << name;
        EXPECT_GT(atoms, 1) << name;
        ++listed;
    }
    closedir(dir);
    EXPECT_GT(listed, 0);
}

TEST(Samples, SpriteSampleHasItsKnownShape) {
    const std::string path = std::string(TESSIK_SAMPLES_DIR) + "/montemedia_sprite_sample_1.qtac";
    if (ReadFile(path).empty()) GTEST_SKIP() << "sample absent";
    const ToolRun run = RunTessik({path});
    int atoms = 0;
    BytesAccountedFor(run.out, &atoms);
    EXPECT_EQ(59, atoms);
    EXPECT_NE(std::string::npos, run.out.find(Info("depth", "4")));
}

TEST(Examples, ShippedExamplesMatchTheirReports) {
    for (const char *name : {"video_settings", "sound_settings"}) {
        const std::string dir = std::string(TESSIK_SOURCE_DIR) + "/examples/";
        const std::string st = dir + name + ".st";
        const ToolRun run = RunTessik({st});
        const std::string expected = ReadFile(std::string(TESSIK_SOURCE_DIR) + "/tests/data/" + name + ".out");
        ASSERT_FALSE(expected.empty()) << name;
        // The expected report names the example by its path from the source root.
        EXPECT_EQ(std::regex_replace(expected, std::regex("examples/"), dir), run.out) << name;
        EXPECT_EQ(0, run.status);
    }
}

TEST(Examples, MakerWritesTheShippedBytes) {
    const std::string out = TempDir() + "/made";
    mkdir(out.c_str(), 0755);
    ASSERT_EQ(0, std::system((std::string(MAKE_FIXTURES_BINARY) + " " + out).c_str()));
    for (const char *name : {"/video_settings.st", "/sound_settings.st"})
        EXPECT_EQ(ReadFile(std::string(TESSIK_SOURCE_DIR) + "/examples" + name), ReadFile(out + name)) << name;
}

}  // namespace
