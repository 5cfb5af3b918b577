// Saving over a settings file: whatever step fails, the old file stays byte
// for byte, no temporary file is left beside it and the report names the
// call that failed. A save that works carries the creator and type codes.
#include <gtest/gtest.h>

#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "test_support.h"

using namespace testsupport;

namespace {

std::set<std::string> Entries(const std::string &dir) {
    std::set<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.insert(n);
        }
        closedir(d);
    }
    return names;
}

std::string NewDir(const std::string &name) {
    const std::string dir = TempDir() + "/" + name;
    mkdir(dir.c_str(), 0755);
    return dir;
}

QTAtomContainer SmallContainer() {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    QTInsertChild(c, 0, 0x6e616d65 /* name */, 1, 1, 5, "fresh", nullptr);
    return c;
}

// Fails the first call of one name with a given status.
struct Injection {
    const char *call;
    OSErr err;
};

OSErr FailNamedCall(const char *call, void *refcon) {
    auto *inj = static_cast<Injection *>(refcon);
    if (inj->call != nullptr && std::strcmp(call, inj->call) == 0) {
        inj->call = nullptr;
        return inj->err;
    }
    return noErr;
}

struct SaveFailure {
    const char *call;
    OSErr err;
};

class SaveFails : public testing::TestWithParam<SaveFailure> {};

TEST_P(SaveFails, OldFileStaysAndNothingIsLeftBehind) {
    const SaveFailure &f = GetParam();
    const std::string old_bytes = "the user's old settings, which must survive";
    QTAtomContainer c = SmallContainer();
    // Over an existing file, and where there was none.
    for (const bool existing : {true, false}) {
        SCOPED_TRACE(existing ? "existing file" : "new file");
        const std::string dir = NewDir(std::string(f.call) + (existing ? "-existing" : "-new"));
        const std::string path = dir + "/prefs.st";
        if (existing) WriteFile(path.substr(TempDir().size() + 1), old_bytes);
        const std::set<std::string> before = Entries(dir);

        Injection inj{f.call, f.err};
        TBSetFileCallHook(FailNamedCall, &inj);
        Verbosity v(2);
        int status = 0;
        const std::string out = CaptureStdout([&] { status = nr_atom_container_to_file(c, path.c_str()); });
        TBSetFileCallHook(nullptr, nullptr);

        EXPECT_EQ(nullptr, inj.call) << "the call was never made";
        EXPECT_EQ(f.err, status);
        EXPECT_EQ(std::string("### error: ") + f.call + "\n", out);
        EXPECT_EQ(before, Entries(dir));
        if (existing) {
            EXPECT_EQ(old_bytes, ReadFile(path));
        }
    }
    QTDisposeAtomContainer(c);
}

INSTANTIATE_TEST_SUITE_P(EachStep, SaveFails,
                         testing::Values(SaveFailure{"NativePathNameToFSSpec", ioErr}, SaveFailure{"FSpCreate", permErr},
                                         SaveFailure{"FSpOpenDF", tmfoErr}, SaveFailure{"FSWrite", dskFulErr},
                                         SaveFailure{"FSFlushFork", ioErr}, SaveFailure{"FSClose", ioErr},
                                         SaveFailure{"FSpRenameOver", wPrErr}),
                         [](const testing::TestParamInfo<SaveFailure> &info) { return std::string(info.param.call); });

TEST(Save, FolderInTheWayIsLeftAloneAndTheTemporaryRemoved) {
    const std::string dir = NewDir("folder-in-the-way");
    const std::string target = dir + "/prefs.st";
    mkdir(target.c_str(), 0755);
    WriteFile("folder-in-the-way/prefs.st/inside", "kept");
    QTAtomContainer c = SmallContainer();
    Verbosity v(2);
    int status = 0;
    const std::string out = CaptureStdout([&] { status = nr_atom_container_to_file(c, target.c_str()); });
    QTDisposeAtomContainer(c);
    EXPECT_LT(status, 0);
    EXPECT_EQ("### error: FSpRenameOver\n", out);
    EXPECT_EQ(std::set<std::string>{"prefs.st"}, Entries(dir));
    EXPECT_EQ("kept", ReadFile(target + "/inside"));
}

TEST(Save, NoContainerLeavesTheOldFile) {
    const std::string dir = NewDir("no-container");
    const std::string path = WriteFile("no-container/prefs.st", "old");
    Verbosity v(2);
    int status = 0;
    const std::string out = CaptureStdout([&] { status = nr_atom_container_to_file(nullptr, path.c_str()); });
    EXPECT_EQ(nilHandleErr, status);
    EXPECT_EQ("### error: GetHandleSize\n", out);
    EXPECT_EQ("old", ReadFile(path));
    EXPECT_EQ(std::set<std::string>{"prefs.st"}, Entries(dir));
}

TEST(Save, ReadOnlyFolderFailsAtTheCreate) {
    const std::string dir = NewDir("read-only");
    const std::string path = WriteFile("read-only/prefs.st", "old");
    chmod(dir.c_str(), 0555);
    const std::string probe = dir + "/probe";
    if (FILE *f = std::fopen(probe.c_str(), "w")) {
        std::fclose(f);
        unlink(probe.c_str());
        chmod(dir.c_str(), 0755);
        GTEST_SKIP() << "this user can write in a read-only folder (root)";
    }
    QTAtomContainer c = SmallContainer();
    Verbosity v(2);
    int status = 0;
    const std::string out = CaptureStdout([&] { status = nr_atom_container_to_file(c, path.c_str()); });
    QTDisposeAtomContainer(c);
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(permErr, status);
    EXPECT_EQ("### error: FSpCreate\n", out);
    EXPECT_EQ("old", ReadFile(path));
    EXPECT_EQ(std::set<std::string>{"prefs.st"}, Entries(dir));
}

TEST(Save, NewFileCarriesCreatorAndTypeWhateverTheOldOneHad) {
    const std::string dir = NewDir("codes");
    FSSpec old_spec;
    const std::string path = dir + "/prefs.st";
    ASSERT_EQ(fnfErr, NativePathNameToFSSpec(path.c_str(), &old_spec, 0));
    ASSERT_EQ(noErr, FSpCreate(&old_spec, 0x61626364 /* abcd */, 0x54455854 /* TEXT */, smSystemScript));
    if (getxattr(path.c_str(), "user.com.apple.FinderInfo", nullptr, 0) < 0)
        GTEST_SKIP() << "no user extended attributes on this file system";

    QTAtomContainer c = SmallContainer();
    ASSERT_EQ(0, nr_atom_container_to_file(c, path.c_str()));
    EXPECT_EQ(Bytes(c), ReadFile(path));
    QTDisposeAtomContainer(c);
    FSSpec spec;
    ASSERT_EQ(noErr, NativePathNameToFSSpec(path.c_str(), &spec, 0));
    FInfo info{};
    ASSERT_EQ(noErr, FSpGetFInfo(&spec, &info));
    EXPECT_EQ(static_cast<OSType>(kSettingsCreator), info.fdCreator);
    EXPECT_EQ(static_cast<OSType>(kSettingsFileType), info.fdType);
    EXPECT_EQ(std::set<std::string>{"prefs.st"}, Entries(dir));
}

// A name near the longest a folder entry allows still leaves room for the
// temporary file beside it.
TEST(Save, LongestFileNamesCanBeReplaced) {
    const std::string dir = NewDir("long-names");
    for (const size_t len : {200u, 240u, 255u}) {
        const std::string path = dir + "/" + std::string(len - 3, 'n') + ".st";
        WriteFile(path.substr(TempDir().size() + 1), "old");
        QTAtomContainer c = SmallContainer();
        EXPECT_EQ(0, nr_atom_container_to_file(c, path.c_str())) << len;
        EXPECT_EQ(Bytes(c), ReadFile(path)) << len;
        QTDisposeAtomContainer(c);
    }
    EXPECT_EQ(3u, Entries(dir).size());
}

TEST(Save, ReplacementKeepsTheOldFilesPermissions) {
    const std::string path = WriteFile(NewDir("private").substr(TempDir().size() + 1) + "/secret.st", "old");
    ASSERT_EQ(0, chmod(path.c_str(), 0600));
    QTAtomContainer c = SmallContainer();
    ASSERT_EQ(0, nr_atom_container_to_file(c, path.c_str()));
    QTDisposeAtomContainer(c);
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 07777);
}

// Through a symbolic link the file it names is replaced and the link stays.
TEST(Save, ThroughALinkReplacesTheFileItNames) {
    const std::string dir = NewDir("linked");
    const std::string real = WriteFile("linked/real.st", "old");
    const std::string link = dir + "/link.st";
    ASSERT_EQ(0, symlink("real.st", link.c_str()));
    QTAtomContainer c = SmallContainer();
    ASSERT_EQ(0, nr_atom_container_to_file(c, link.c_str()));
    EXPECT_EQ(Bytes(c), ReadFile(real));
    QTDisposeAtomContainer(c);
    struct stat st;
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ((std::set<std::string>{"link.st", "real.st"}), Entries(dir));
}

}  // namespace
