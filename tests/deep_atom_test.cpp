// Deep atom paths: finding, reading, writing and removing atoms by a string
// of four-character types, on containers built here and on a real one.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <string>

#include "test_support.h"

using namespace testsupport;

namespace {

// Location lines carry the line of the check; tests compare everything else.
std::string Unlined(const std::string &out) {
    return std::regex_replace(out, std::regex(R"(\.cpp: \d+\))"), ".cpp: N)");
}

const char *const kWhere = "### (src/pellorkit/deep_atom.cpp: N)\n";

// root: vide(1) { sptl(1) "abcd" }, soun(1) ""
// offsets: vide 32, sptl 52, soun 76
std::string Sample() {
    return Container({Parent("vide", 1, {Atom("sptl", 1, "abcd")}), Atom("soun", 1, "")});
}

struct FindCase {
    const char *path;
    int create;
    int status;
    QTAtom atom;
    std::string out;    // at verbosity 3, location lines unlined
    std::string after;  // the container's bytes afterwards
};

void PrintTo(const FindCase &c, std::ostream *os) {
    *os << "'" << c.path << "'" << (c.create ? " creating" : "");
}

class DeepFind : public testing::TestWithParam<FindCase> {};

TEST_P(DeepFind, TracesAndHandsBackTheAtom) {
    const FindCase &c = GetParam();
    Verbosity v(3);
    QTAtomContainer h = FromBytes(Sample());
    QTAtom atom = 12345;
    int status = 1;
    const std::string out = CaptureStdout([&] { status = nr_find_deep_atom(h, c.path, &atom, c.create); });
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(c.atom, atom);
    EXPECT_EQ(c.out, Unlined(out));
    EXPECT_EQ(c.after, Bytes(h));
    QTDisposeAtomContainer(h);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeepFind,
    testing::Values(
        FindCase{"", 0, 0, 0,
                 "nr_find_deep_atom: ''\n"
                 "nr_find_deep_atom: returning 0x00000000\n",
                 Sample()},
        FindCase{"vide", 0, 0, 32,
                 "nr_find_deep_atom: 'vide'\n"
                 "nr_find_deep_atom: ('vide')\n"
                 "nr_find_deep_atom: returning 0x00000020\n",
                 Sample()},
        FindCase{"videsptl", 1, 0, 52,
                 "nr_find_deep_atom: 'videsptl', create_as_we_go\n"
                 "nr_find_deep_atom: ('vide')\n"
                 "nr_find_deep_atom: ('sptl')\n"
                 "nr_find_deep_atom: returning 0x00000034\n",
                 Sample()},
        // The missing first group sends the second one to the root, where a
        // 'soun' exists; the find still fails.
        FindCase{"xxxxsoun", 0, -1, 0,
                 "nr_find_deep_atom: 'xxxxsoun'\n"
                 "nr_find_deep_atom: ('xxxx')\n"
                 "nr_find_deep_atom: ('soun')\n",
                 Sample()},
        FindCase{"xxxxsoun", 1, 0, 116,
                 "nr_find_deep_atom: 'xxxxsoun', create_as_we_go\n"
                 "nr_find_deep_atom: ('xxxx')\n"
                 "nr_find_deep_atom: ('soun')\n"
                 "nr_find_deep_atom: returning 0x00000074\n",
                 Container({Parent("vide", 1, {Atom("sptl", 1, "abcd")}), Atom("soun", 1, ""),
                            Parent("xxxx", 1, {Atom("soun", 1, "")})})},
        FindCase{"abc", 0, -1, 0,
                 std::string("nr_find_deep_atom: 'abc'\n") + kWhere +
                     "### error: nr_find_deep_atom_data: path must be 4n\n",
                 Sample()},
        FindCase{"vides", 1, -1, 0,
                 std::string("nr_find_deep_atom: 'vides', create_as_we_go\n") + kWhere +
                     "### error: nr_find_deep_atom_data: path must be 4n\n",
                 Sample()},
        // Non-printing type bytes show as '.' in the trace.
        FindCase{"\x01xyz", 0, -1, 0,
                 "nr_find_deep_atom: '\x01xyz'\n"
                 "nr_find_deep_atom: ('.xyz')\n",
                 Sample()},
        // 'sptl' holds data, so nothing can be created under it.
        FindCase{"videsptlzzzz", 1, notLeafAtomErr, 0,
                 std::string("nr_find_deep_atom: 'videsptlzzzz', create_as_we_go\n"
                             "nr_find_deep_atom: ('vide')\n"
                             "nr_find_deep_atom: ('sptl')\n"
                             "nr_find_deep_atom: ('zzzz')\n") +
                     kWhere + "### error: QTInsertChild\n",
                 Sample()}));

TEST(DeepFindArgs, NullAtomPointerIsAccepted) {
    Verbosity v(0);
    QTAtomContainer h = FromBytes(Sample());
    EXPECT_EQ(0, nr_find_deep_atom(h, "vide", nullptr, 0));
    QTDisposeAtomContainer(h);
}

// Writes through one of the insert calls and reads the value back.
struct WriteCase {
    const char *name;
    int (*write)(QTAtomContainer, const char *, int32_t);
    int32_t value;
    std::string bytes;
};

TEST(DeepWrite, IntegerLeavesAreBigEndianUnderCreatedParents) {
    const WriteCase cases[] = {
        {"byte", nr_insert_deep_atom_byte, 0x1ff, "\xff"},
        {"short", nr_insert_deep_atom_short, 0x12345, "\x23\x45"},
        {"short negative", nr_insert_deep_atom_short, -2, "\xff\xfe"},
        {"long", nr_insert_deep_atom_long, 0x01020304, "\x01\x02\x03\x04"},
        {"long negative", nr_insert_deep_atom_long, -2, "\xff\xff\xff\xfe"},
    };
    Verbosity v(0);
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTAtomContainer h = nullptr;
        ASSERT_EQ(noErr, QTNewAtomContainer(&h));
        EXPECT_EQ(0, c.write(h, "abcdefgh", c.value));
        EXPECT_EQ(Container({Parent("abcd", 1, {Atom("efgh", 1, c.bytes)})}), Bytes(h));

        char got[4] = {0, 0, 0, 0};
        EXPECT_EQ(0, nr_get_deep_atom_data(h, "abcdefgh", static_cast<int32_t>(c.bytes.size()), got));
        EXPECT_EQ(c.bytes, std::string(got, c.bytes.size()));
        QTDisposeAtomContainer(h);
    }
}

TEST(DeepWrite, SecondWriteReplacesTheFirst) {
    Verbosity v(0);
    QTAtomContainer h = FromBytes(Sample());
    EXPECT_EQ(0, nr_insert_deep_atom_data(h, "videsptl", 1, "x"));
    EXPECT_EQ(0, nr_insert_deep_atom_data_id(h, "videsptl", 2, "yz", 7));
    EXPECT_EQ(Container({Parent("vide", 1, {Atom("sptl", 7, "yz")}), Atom("soun", 1, "")}), Bytes(h));
    QTDisposeAtomContainer(h);
}

TEST(DeepWrite, ReplacesOnlyTheFirstOfSeveralChildrenOfItsType) {
    Verbosity v(0);
    QTAtomContainer h =
        FromBytes(Container({Atom("kids", 5, "a"), Atom("othr", 1, ""), Atom("kids", 6, "b")}));
    EXPECT_EQ(0, nr_insert_deep_atom_data_id(h, "kids", 1, "n", 9));
    // The new leaf goes before the first remaining 'kids', so the path names it.
    EXPECT_EQ(Container({Atom("othr", 1, ""), Atom("kids", 9, "n"), Atom("kids", 6, "b")}), Bytes(h));
    char got = 0;
    EXPECT_EQ(0, nr_get_deep_atom_data(h, "kids", 1, &got));
    EXPECT_EQ('n', got);
    QTDisposeAtomContainer(h);
}

// Copying one leaf's value to another path hands the insert a pointer into
// the container, whose block moves while parents are made.
TEST(DeepWrite, DataFromInsideTheContainerIsCopiedBeforeTheBlockMoves) {
    Verbosity v(0);
    const std::string value(3000, 'v');
    QTAtomContainer h = FromBytes(Container({Atom("abcd", 1, value), Atom("wxyz", 1, "old")}));
    int32_t size = 0;
    Ptr data = nullptr;
    ASSERT_EQ(noErr, QTGetAtomDataPtr(h, QTFindChildByIndex(h, 0, 0x61626364, 1, nullptr), &size, &data));
    ASSERT_EQ(0, nr_insert_deep_atom_data(h, "newpmoredeep", size, data));
    std::string back(value.size(), '\0');
    ASSERT_EQ(0, nr_get_deep_atom_data(h, "newpmoredeep", size, back.data()));
    EXPECT_EQ(value, back);
    QTDisposeAtomContainer(h);
}

TEST(DeepWrite, LongestPathThatFitsTheParentBuffer) {
    Verbosity v(0);
    std::string path;
    for (int i = 0; i < 255; ++i) path += "nest";  // 1020 characters, 255 levels
    QTAtomContainer h = nullptr;
    ASSERT_EQ(noErr, QTNewAtomContainer(&h));
    EXPECT_EQ(0, nr_insert_deep_atom_long(h, path.c_str(), 42));
    char got[4] = {};
    EXPECT_EQ(0, nr_get_deep_atom_data(h, path.c_str(), 4, got));
    EXPECT_EQ(std::string("\0\0\0\x2a", 4), std::string(got, 4));
    QTDisposeAtomContainer(h);
}

struct BadInsertCase {
    std::string path;
    std::string out;  // at verbosity 2
};

TEST(DeepWrite, PathsThatNameNoLeafAreRefusedAndChangeNothing) {
    std::string too_long;
    for (int i = 0; i < 256; ++i) too_long += "abcd";  // 1024 characters
    const BadInsertCase cases[] = {
        {"", "### error: nr_insert_deep_atom_data_id: path names no leaf\n"},
        {"vid", "### error: nr_insert_deep_atom_data_id: path names no leaf\n"},
        {too_long, "### error: nr_insert_deep_atom_data_id: path too long\n"},
        {too_long + "abcd", "### error: nr_insert_deep_atom_data_id: path too long\n"},
        // The removal's find of the whole path and the find of the parent
        // path "v" both refuse it, then the insert reports its own failure.
        {"vides",
         "### error: nr_find_deep_atom_data: path must be 4n\n"
         "### error: nr_find_deep_atom_data: path must be 4n\n"
         "### error: nr_find_deep_atom\n"},
    };
    Verbosity v(2);
    for (const BadInsertCase &c : cases) {
        SCOPED_TRACE(c.path.substr(0, 12));
        QTAtomContainer h = FromBytes(Sample());
        int status = 0;
        const std::string out =
            CaptureStdout([&] { status = nr_insert_deep_atom_long(h, c.path.c_str(), 1); });
        EXPECT_EQ(-1, status);
        EXPECT_EQ(c.out, out);
        EXPECT_EQ(Sample(), Bytes(h));
        QTDisposeAtomContainer(h);
    }
}

TEST(DeepWrite, ShortPathReportsItsLocationAtLevelThree) {
    Verbosity v(3);
    QTAtomContainer h = FromBytes(Sample());
    const std::string out = CaptureStdout([&] { EXPECT_EQ(-1, nr_insert_deep_atom_byte(h, "ab", 1)); });
    EXPECT_EQ(std::string(kWhere) + "### error: nr_insert_deep_atom_data_id: path names no leaf\n",
              Unlined(out));
    QTDisposeAtomContainer(h);
}

struct ReadCase {
    const char *name;
    const char *path;
    int32_t length;
    int status;
    std::string out;  // at verbosity 2
};

TEST(DeepRead, FailuresLeaveTheDestinationUntouched) {
    const ReadCase cases[] = {
        {"wrong length", "videsptl", 2, -1, ""},
        {"longer than the data", "videsptl", 8, -1, ""},
        {"missing", "videxxxx", 4, -1, ""},
        {"not 4n", "vid", 4, -1, "### error: nr_find_deep_atom_data: path must be 4n\n"},
        {"not a leaf", "vide", 4, notLeafAtomErr, "### error: QTGetAtomDataPtr\n"},
        {"root with children", "", 0, notLeafAtomErr, "### error: QTGetAtomDataPtr\n"},
    };
    Verbosity v(2);
    QTAtomContainer h = FromBytes(Sample());
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        char dest[8];
        std::memset(dest, 0x5a, sizeof dest);
        int status = 0;
        const std::string out = CaptureStdout([&] { status = nr_get_deep_atom_data(h, c.path, c.length, dest); });
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.out, out);
        EXPECT_EQ(std::string(8, '\x5a'), std::string(dest, 8));
    }
    char dest[4] = {};
    EXPECT_EQ(0, nr_get_deep_atom_data(h, "videsptl", 4, dest));
    EXPECT_EQ("abcd", std::string(dest, 4));
    EXPECT_EQ(0, nr_get_deep_atom_data(h, "soun", 0, dest));  // an empty leaf reads with length 0
    QTDisposeAtomContainer(h);
}

struct DeleteCase {
    const char *path;
    std::string out;  // at verbosity 2
    std::string after;
};

TEST(DeepDelete, RemovesTheAtomWithItsChildrenOrNothing) {
    const DeleteCase cases[] = {
        {"vide", "", Container({Atom("soun", 1, "")})},
        {"videsptl", "", Container({Parent("vide", 1, {}), Atom("soun", 1, "")})},
        {"zzzz", "", Sample()},
        {"zzzzsoun", "", Sample()},
        {"", "", Sample()},
        {"abc", "### error: nr_find_deep_atom_data: path must be 4n\n", Sample()},
    };
    Verbosity v(2);
    for (const DeleteCase &c : cases) {
        SCOPED_TRACE(c.path);
        QTAtomContainer h = FromBytes(Sample());
        int status = 1;
        const std::string out = CaptureStdout([&] { status = nr_delete_deep_atom(h, c.path); });
        EXPECT_EQ(0, status);
        EXPECT_EQ(c.out, out);
        EXPECT_EQ(c.after, Bytes(h));
        QTDisposeAtomContainer(h);
    }
}

// The movie-export settings of a real exporter: values written into it read
// back, and everything else keeps its bytes.
class DeepRealContainer : public testing::Test {
protected:
    void SetUp() override {
        const std::string path = std::string(TESSIK_SAMPLES_DIR) + "/openharmony_movie_export_settings.qtac";
        if (!std::ifstream(path).good()) GTEST_SKIP() << "no sample at " << path;
        ASSERT_EQ(0, nr_file_to_atom_container(path.c_str(), &h));
        original = Bytes(h);
        ASSERT_EQ(970u, original.size());
    }
    void TearDown() override { QTDisposeAtomContainer(h); }

    QTAtomContainer h = nullptr;
    std::string original;
};

TEST_F(DeepRealContainer, NewValuesReadBackAndRemoveCleanly) {
    Verbosity v(0);
    struct Case {
        const char *path;
        size_t added;        // bytes the write adds: created parents and the leaf
        const char *created; // the outermost atom that the write created
    } const cases[] = {
        {"sounzzzz", 24, "sounzzzz"},      // a new leaf under an existing parent
        {"newpleaf", 20 + 24, "newp"},     // a new parent at the root, then the leaf
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(0, nr_insert_deep_atom_long(h, c.path, 0x0a0b0c0d));
        EXPECT_EQ(original.size() + c.added, Bytes(h).size());
        char got[4] = {};
        EXPECT_EQ(0, nr_get_deep_atom_data(h, c.path, 4, got));
        EXPECT_EQ("\x0a\x0b\x0c\x0d", std::string(got, 4));
        // Removing the leaf (or the parent the write created) gives back the
        // original bytes exactly.
        EXPECT_EQ(0, nr_delete_deep_atom(h, c.created));
        EXPECT_EQ(original, Bytes(h));
    }
}

TEST_F(DeepRealContainer, ReplacingALeafKeepsTheRestOfTheTree) {
    Verbosity v(0);
    char before[4] = {};
    ASSERT_EQ(0, nr_get_deep_atom_data(h, "isiziwdt", 4, before));
    ASSERT_EQ(0, nr_insert_deep_atom_long(h, "isiziwdt", 640));
    char got[4] = {};
    EXPECT_EQ(0, nr_get_deep_atom_data(h, "isiziwdt", 4, got));
    EXPECT_EQ(std::string("\0\0\x02\x80", 4), std::string(got, 4));
    EXPECT_EQ(original.size(), Bytes(h).size());
    // Without that leaf, the written and the original container are the same.
    QTAtomContainer untouched = FromBytes(original);
    EXPECT_EQ(0, nr_delete_deep_atom(untouched, "isiziwdt"));
    EXPECT_EQ(0, nr_delete_deep_atom(h, "isiziwdt"));
    EXPECT_EQ(Bytes(untouched), Bytes(h));
    QTDisposeAtomContainer(untouched);
}

}  // namespace
