// Hostile settings files: damaged, huge, deep, not files at all, or changing
// under the loader. The tool must end with status 0 or 1, print every atom
// before the damage and report the failure where it is met. Reads outside
// the block are caught by the sanitizer build, which runs these same tests.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSIK_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSIK_TEST_ASAN 1
#endif
#endif

using namespace testsupport;

namespace {

std::string Info(const std::string &label, const std::string &value) {
    return "+ " + std::string(label.size() < 26 ? 26 - label.size() : 0, ' ') + label + " : " + value + " \n";
}

// The whole report at verbosity 2 of a file that loads: the depth pass's own
// reports come before the depth line; `tree` holds the atom lines and the
// listing's reports in the order they are met.
std::string Report(const std::string &path, const std::string &depth_errors, int depth, size_t size,
                   const std::string &tree, bool fails) {
    return Info("settings file", path) + depth_errors + Info("depth", std::to_string(depth)) +
           Info("file size", std::to_string(size)) + tree +
           (fails ? "### error: problem displaying atom " + path + "\n" : "") + "\n";
}

std::string LoadFailure(const std::string &call, const std::string &path) {
    return "### error: " + call + "\n### error: could not load settings file " + path + "\n\n";
}

const std::string kOk = "+ .good[1]: 6f 6b                                           | ok\n";
const std::string kNoRoot = "### error: could not get atom type\n### error: could now show atom\n";

std::string SparseFile(const std::string &name, off_t length) {
    const std::string path = WriteFile(name, "");
    if (truncate(path.c_str(), length) != 0) return "";
    return path;
}

// 200,000 atoms, each the only child of the one before.
constexpr int kDeep = 200000;
std::string DeepBytes() {
    std::string b(12, '\0');
    b.reserve(12 + 20u * kDeep);
    for (int i = 0; i < kDeep; ++i)
        b += Atom("nest", i, "", i + 1 < kDeep ? 1 : 0, 20 * static_cast<int64_t>(kDeep - i));
    return b;
}

std::string DeepReport(const std::string &path) {
    const std::string limit = "### error: atom tree nested deeper than 1024 levels\n";
    std::string tree;
    for (int d = 0; d <= kQTMaxAtomNesting; ++d)
        tree += "+ " + std::string(static_cast<size_t>(d), '.') + "nest[" + std::to_string(d) + "]: (1 children)\n";
    tree += limit;
    for (int d = kQTMaxAtomNesting + 1; d >= 1; --d) tree += "### error: could not show level " + std::to_string(d) + "\n";
    tree += "### error: could now show atom\n";
    return Report(path, limit, kQTMaxAtomNesting, 12 + 20u * kDeep, tree, true);
}

struct HostileCase {
    std::string name;
    std::function<std::string(const std::string &name)> make;  // the file's path
    std::function<std::string(const std::string &path)> expected;
    int status;
};

void PrintTo(const HostileCase &c, std::ostream *os) { *os << c.name; }

HostileCase FileCase(const std::string &name, const std::string &bytes, const std::string &depth_errors, int depth,
                     const std::string &tree, int status) {
    return {name, [bytes](const std::string &n) { return WriteFile(n, bytes); },
            [=](const std::string &path) { return Report(path, depth_errors, depth, bytes.size(), tree, status != 0); },
            status};
}

// A good leaf, then a child whose size field says `size` (its header and
// enough bytes for it are there, so only the size is wrong).
std::string BadSizeChild(uint32_t size) {
    return Container({Atom("good", 1, "ok"), Atom("bad ", 2, std::string(30, 'z'), 0, size)});
}

std::vector<HostileCase> Cases() {
    const std::string next_child = "### error: could not get next child\n";
    std::vector<HostileCase> v = {
        FileCase("empty", "", "", 0, kNoRoot, 1),
        FileCase("shorter_than_header", std::string(6, '\0'), "", 0, kNoRoot, 1),
        FileCase("header_only", std::string(12, '\0'), "", 0, kNoRoot, 1),
        FileCase("header_and_half_a_root", std::string(12, '\0') + Atom("sean", 1, "").substr(0, 10), "", 0, kNoRoot, 1),
        FileCase("all_zero", std::string(4096, '\0'), "", 0, kNoRoot, 1),
        FileCase("root_past_file", std::string(12, '\0') + Atom("sean", 1, "abc", 0, 4000), "", 0, kNoRoot, 1),
        FileCase("root_size_19", std::string(12, '\0') + Atom("sean", 1, "abc", 0, 19), "", 0, kNoRoot, 1),
        FileCase("child_past_parent", BadSizeChild(999), next_child, 1,
                 "+ sean[1]: (2 children)\n" + kOk + "### error: could not load child 2\n### error: could now show atom\n", 1),
        FileCase("child_past_parent_deeper",
                 Container({Atom("good", 1, "ok"), Parent("vide", 3, {Atom("x", 1, "12345678", 0, 999)}), Atom("late", 4, "")}),
                 next_child, 1,
                 "+ sean[1]: (3 children)\n" + kOk + "+ .vide[3]: (1 children)\n### error: could not load child 1\n"
                 "### error: could not show level 1\n### error: could now show atom\n", 1),
        FileCase("child_count_past_children",
                 std::string(12, '\0') + Atom("sean", 1, Atom("good", 1, "ok") + Atom("more", 2, ""), 3), next_child,
                 1,
                 "+ sean[1]: (3 children)\n" + kOk + "+ .more[2]: -\n### error: could not load child 3\n### error: could now show atom\n",
                 1),
        FileCase("count_on_a_tiny_atom", Container({Atom("good", 1, "ok"), Atom("tiny", 2, "", 500)}), next_child, 1,
                 "+ sean[1]: (2 children)\n" + kOk + "+ .tiny[2]: (500 children)\n### error: could not load child 1\n"
                 "### error: could not show level 1\n### error: could now show atom\n", 1),
        FileCase("trailing_bytes", Container({Atom("good", 1, "ok")}) + "trailing junk", "", 1,
                 "+ sean[1]: (1 children)\n" + kOk, 0),
        HostileCase{"nested_200000_deep", [](const std::string &n) { return WriteFile(n, DeepBytes()); }, DeepReport, 1},
        HostileCase{"exactly_2_GiB", [](const std::string &n) { return SparseFile(n, off_t{1} << 31); },
                    [](const std::string &p) { return LoadFailure("GetEOF", p); }, 1},
        // 4 GiB + 40 would read as 40 bytes if the length were cut to 32 bits.
        HostileCase{"4_GiB_and_40", [](const std::string &n) { return SparseFile(n, (off_t{1} << 32) + 40); },
                    [](const std::string &p) { return LoadFailure("GetEOF", p); }, 1},
        HostileCase{"named_pipe",
                    [](const std::string &n) {
                        const std::string p = TempDir() + "/" + n;
                        return mkfifo(p.c_str(), 0600) == 0 || errno == EEXIST ? p : "";
                    },
                    [](const std::string &p) { return LoadFailure("FSpOpenDF", p); }, 1},
        HostileCase{"device", [](const std::string &) { return std::string("/dev/zero"); },
                    [](const std::string &p) { return LoadFailure("FSpOpenDF", p); }, 1},
    };
    // Every size a child cannot have, from 0 to one byte short of a header.
    for (uint32_t size = 0; size < 20; ++size)
        v.push_back(FileCase("child_size_" + std::to_string(size), BadSizeChild(size), next_child, 1,
                             "+ sean[1]: (2 children)\n" + kOk +
                                 "### error: could not load child 2\n### error: could now show atom\n",
                             1));
    return v;
}

class Hostile : public testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, ListsUpToTheDamageAndReportsIt) {
    const HostileCase &c = GetParam();
    const std::string path = c.make(c.name + ".st");
    ASSERT_FALSE(path.empty()) << "could not make the file";
    const ToolRun run = RunTessik({"--verbosity=2", path});
    EXPECT_EQ(c.expected(path), run.out);
    EXPECT_EQ(c.status, run.status);
    // At the default level the same run shows the listing and one verdict.
    const ToolRun quiet = RunTessik({path});
    EXPECT_EQ(c.status, quiet.status);
    EXPECT_EQ(std::regex_replace(run.out, std::regex("### error: (?!could not load settings|problem displaying)[^\n]*\n"), ""),
              quiet.out);
}

INSTANTIATE_TEST_SUITE_P(Table, Hostile, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<HostileCase> &info) { return info.param.name; });

// A file whose length cannot be had in memory fails at the allocation, in a
// child whose address space is capped (the sanitizer build caps allocations
// through its own options instead, since it cannot run under such a cap).
TEST(HostileMemory, LengthThatCannotBeAllocatedFailsCleanly) {
    const std::string path = SparseFile("huge.st", off_t{1536} << 20);
    ASSERT_FALSE(path.empty());
    const ToolRun run = RunTessik({"--verbosity=2", path}, [] {
#ifdef TESSIK_TEST_ASAN
        const char *old = std::getenv("ASAN_OPTIONS");
        const std::string opts = std::string(old != nullptr ? old : "") + ":allocator_may_return_null=1:max_allocation_size_mb=1024";
        setenv("ASAN_OPTIONS", opts.c_str(), 1);
#else
        const rlimit cap{rlim_t{1} << 30, rlim_t{1} << 30};
        setrlimit(RLIMIT_AS, &cap);
#endif
    });
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(LoadFailure("NewHandleClear", path), run.out);
}

// The loader against a file that changes between its length query and its
// read: it reads no more than the length it was told, and a file that ends
// early fails the read, with nothing handed back and the file closed.
struct ChangeCase {
    const char *name;
    std::string grown_to;  // the file's bytes when FSRead starts
    int status;
    const char *output;
};

int OpenFiles() {
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) ++n;
        closedir(d);
    }
    return n;
}

TEST(HostileLoad, FileChangingBetweenLengthAndRead) {
    const std::string original = Container({Atom("good", 1, "ok"), Atom("more", 2, "0123456789")});
    const ChangeCase cases[] = {
        {"shrunk_to_half", original.substr(0, original.size() / 2), eofErr, "### error: FSRead\n"},
        {"shrunk_to_nothing", "", eofErr, "### error: FSRead\n"},
        {"grown", original + "appended later", 0, ""},
    };
    for (const ChangeCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteFile("changing.st", original);
        struct Change {
            std::string path, bytes;
        } change{path, c.grown_to};
        TBSetFileCallHook(
            [](const char *call, void *refcon) -> OSErr {
                const auto *ch = static_cast<const Change *>(refcon);
                if (std::string(call) == "FSRead") std::ofstream(ch->path, std::ios::binary | std::ios::trunc) << ch->bytes;
                return noErr;
            },
            &change);
        Verbosity v(2);
        const int files_before = OpenFiles();
        QTAtomContainer container = reinterpret_cast<QTAtomContainer>(1);
        int status = 1;
        const std::string out = CaptureStdout([&] { status = nr_file_to_atom_container(path.c_str(), &container); });
        TBSetFileCallHook(nullptr, nullptr);
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.output, out);
        EXPECT_EQ(files_before, OpenFiles());
        if (c.status == 0) {
            ASSERT_NE(nullptr, container);
            EXPECT_EQ(original, Bytes(container));
            QTDisposeAtomContainer(container);
        } else {
            EXPECT_EQ(nullptr, container);
        }
    }
}

}  // namespace
