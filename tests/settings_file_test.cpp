// Loading settings files into containers and saving them back.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "test_support.h"

using namespace testsupport;

namespace {

TEST(Load, MissingFileFailsAtThePathLookup) {
    Verbosity v(3);
    QTAtomContainer c = reinterpret_cast<QTAtomContainer>(1);
    int status = 0;
    const std::string out = CaptureStdout(
        [&] { status = nr_file_to_atom_container((TempDir() + "/nothing.st").c_str(), &c); });
    EXPECT_EQ(fnfErr, status);
    EXPECT_EQ(nullptr, c);
    EXPECT_NE(std::string::npos, out.find("### (src/pellorkit/settings_file.cpp: "));
    EXPECT_NE(std::string::npos, out.find("### error: NativePathNameToFSSpec\n"));
}

TEST(Load, BadPathsAndFoldersFailWithTheirCall) {
    struct Case {
        std::string path;
        const char *call;
    };
    mkdir((TempDir() + "/folder").c_str(), 0755);
    const Case cases[] = {{"", "NativePathNameToFSSpec"},
                          {TempDir() + "/no/such/folder/x.st", "NativePathNameToFSSpec"},
                          {std::string(5000, 'a'), "NativePathNameToFSSpec"},
                          {TempDir() + "/folder", "FSpOpenDF"}};
    Verbosity v(2);
    for (const Case &c : cases) {
        QTAtomContainer h = nullptr;
        int status = 0;
        const std::string out = CaptureStdout([&] { status = nr_file_to_atom_container(c.path.c_str(), &h); });
        EXPECT_LT(status, 0) << c.path;
        EXPECT_EQ(nullptr, h);
        EXPECT_EQ(std::string("### error: ") + c.call + "\n", out) << c.path;
    }
}

TEST(Load, FileBytesBecomeTheContainerAsTheyStand) {
    for (const std::string &bytes :
         {std::string(), std::string("x"), Container({Atom("abcd", 5, "data")}), std::string(70000, '\xff')}) {
        const std::string path = WriteFile("load.st", bytes);
        QTAtomContainer c = nullptr;
        ASSERT_EQ(0, nr_file_to_atom_container(path.c_str(), &c));
        ASSERT_NE(nullptr, c);
        EXPECT_EQ(static_cast<Size>(bytes.size()), GetHandleSize(c));
        EXPECT_EQ(bytes, Bytes(c));
        QTDisposeAtomContainer(c);
    }
}

TEST(Save, RoundTripsAndReplacesAnExistingFile) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    QTAtom a = 0;
    QTInsertChild(c, 0, 0x61626364, 3, 1, 5, "hello", &a);
    const std::string path = WriteFile("saved.st", "old contents that are longer than the new ones......");
    ASSERT_EQ(0, nr_atom_container_to_file(c, path.c_str()));
    EXPECT_EQ(Bytes(c), ReadFile(path));
    QTAtomContainer back = nullptr;
    ASSERT_EQ(0, nr_file_to_atom_container(path.c_str(), &back));
    EXPECT_EQ(Bytes(c), Bytes(back));
    EXPECT_EQ(0, nr_file_exists(path.c_str()));
    QTDisposeAtomContainer(back);

    const std::string fresh = TempDir() + "/fresh.st";
    ASSERT_EQ(0, nr_atom_container_to_file(c, fresh.c_str()));
    EXPECT_EQ(Bytes(c), ReadFile(fresh));
    QTDisposeAtomContainer(c);
}

TEST(FileExists, TellsFilesFromMissingOnes) {
    EXPECT_EQ(0, nr_file_exists(WriteFile("exists.st", "x").c_str()));
    EXPECT_EQ(fnfErr, nr_file_exists((TempDir() + "/missing.st").c_str()));
    EXPECT_LT(nr_file_exists((TempDir() + "/none/missing.st").c_str()), 0);
    EXPECT_LT(nr_file_exists(TempDir().c_str()), 0);  // a folder is not a settings file
}

}  // namespace
