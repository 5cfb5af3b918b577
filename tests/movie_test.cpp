// The movie toolbox (movie files, movie atoms, damaged files) and the
// library's movie helpers (one-time start, opening a movie from a path,
// their reports and the files they leave open).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <regex>
#include <set>
#include <string>
#include <unistd.h>

#include "test_support.h"

using namespace testsupport;

namespace {

const std::string kSample = std::string(TESSIK_SAMPLES_DIR) + "/montemedia_QuickTimeLogo-Sprites.MOV";

// The sample's own movie header, read from its bytes with xxd: 'moov' at 0
// (0x5c4 = 1476 bytes), 'mvhd' version 0 at 8 with time scale 0x258 at
// offset 0x1c and duration 0xf0 at 0x20; two 'trak' atoms, at 116 and 810.
constexpr TimeScale kSampleTimeScale = 600;
constexpr TimeValue kSampleDuration = 240;
constexpr int32_t kSampleTracks = 2;
constexpr size_t kSampleMoovEnd = 1476;

bool HaveSample() { return access(kSample.c_str(), R_OK) == 0; }

std::string BE64(uint64_t v) { return BE32(static_cast<uint32_t>(v >> 32)) + BE32(static_cast<uint32_t>(v)); }

std::string Box(const std::string &type, const std::string &payload) {
    return BE32(static_cast<uint32_t>(8 + payload.size())) + type + payload;
}

std::string Box64(const std::string &type, const std::string &payload) {
    return BE32(1) + type + BE64(16 + payload.size()) + payload;
}

std::string Mvhd0(uint32_t scale, uint32_t duration) {
    // version, flags, created, modified, scale, duration, then the rest of
    // the 100-byte payload (rate, volume, matrix, next track ID...).
    return Box("mvhd", BE32(0) + BE32(1) + BE32(2) + BE32(scale) + BE32(duration) + std::string(80, '\0'));
}

std::string Mvhd1(uint32_t scale, uint64_t duration) {
    return Box("mvhd", BE32(0x01000000) + BE64(1) + BE64(2) + BE32(scale) + BE64(duration) +
                           std::string(80, '\0'));
}

std::string Trak() { return Box("trak", Box("tkhd", std::string(84, '\0'))); }

std::string GoodMovie() {
    return Box("ftyp", "qt  " + BE32(0)) + Box("moov", Mvhd0(600, 1200) + Trak() + Trak() + Trak()) +
           Box("mdat", std::string(40, 'x'));
}

// The open file descriptors of this process, by number.
std::set<std::string> OpenDescriptors() {
    std::set<std::string> fds;
    DIR *dir = opendir("/proc/self/fd");
    if (dir == nullptr) return fds;
    while (const dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") fds.insert(name);
    }
    closedir(dir);
    return fds;
}

// Toolbox level: the status of making a movie from these bytes and, on
// success, what the movie says.
struct ParseCase {
    const char *name;
    std::string bytes;
    OSErr status;
    TimeScale scale;
    TimeValue duration;
    int32_t tracks;
};

void PrintTo(const ParseCase &c, std::ostream *os) { *os << c.name; }

class MovieAtoms : public testing::TestWithParam<ParseCase> {};

TEST_P(MovieAtoms, MakeTheMovieOrFail) {
    const ParseCase &c = GetParam();
    const std::string path = WriteFile(std::string("atoms-") + c.name + ".mov", c.bytes);
    FSSpec spec;
    ASSERT_EQ(noErr, NativePathNameToFSSpec(path.c_str(), &spec, 0));
    int16_t ref = -1;
    ASSERT_EQ(noErr, OpenMovieFile(&spec, &ref, 0));
    Movie movie = reinterpret_cast<Movie>(1);
    EXPECT_EQ(c.status, NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr));
    if (c.status == noErr) {
        ASSERT_NE(nullptr, movie);
        EXPECT_EQ(c.scale, GetMovieTimeScale(movie));
        EXPECT_EQ(c.duration, GetMovieDuration(movie));
        EXPECT_EQ(c.tracks, GetMovieTrackCount(movie));
    } else {
        EXPECT_EQ(nullptr, movie);
    }
    DisposeMovie(movie);
    EXPECT_EQ(noErr, CloseMovieFile(ref));
}

const std::string kHeader0 = Mvhd0(600, 240);

INSTANTIATE_TEST_SUITE_P(
    Table, MovieAtoms,
    testing::Values(
        ParseCase{"version0", GoodMovie(), noErr, 600, 1200, 3},
        ParseCase{"version1", Box("moov", Mvhd1(90000, 0x7fffffff) + Trak()), noErr, 90000, 0x7fffffff, 1},
        ParseCase{"sizes64", Box64("free", "abc") + Box64("moov", kHeader0 + Trak()), noErr, 600, 240, 1},
        ParseCase{"sizeZeroRunsToEnd", Box("moov", kHeader0) + BE32(0) + "mdat" + std::string(30, 'z'),
                  noErr, 600, 240, 0},
        ParseCase{"topLevelSizeZeroMovie", BE32(0) + "moov" + Trak() + kHeader0, noErr, 600, 240, 1},
        ParseCase{"movieAfterData", Box("mdat", "data") + Box("moov", Trak() + kHeader0 + Trak()), noErr,
                  600, 240, 2},
        ParseCase{"firstMovieAndHeaderWin",
                  Box("moov", Mvhd0(30, 3) + Mvhd0(40, 4)) + Box("moov", Mvhd0(50, 5) + Trak()), noErr, 30, 3, 0},
        ParseCase{"tracksInsideOtherAtomsDoNotCount", Box("moov", kHeader0 + Box("udta", Trak())), noErr,
                  600, 240, 0},
        ParseCase{"emptyFile", "", invalidMovie, 0, 0, 0},
        ParseCase{"noMovieAtom", Box("ftyp", "qt  ") + Box("mdat", "data"), invalidMovie, 0, 0, 0},
        ParseCase{"noMovieHeader", Box("moov", Trak()), invalidMovie, 0, 0, 0},
        ParseCase{"text", "hello, this is no movie\n", invalidMovie, 0, 0, 0},
        ParseCase{"sizePastEndOfFile", BE32(200) + "moov" + kHeader0, invalidMovie, 0, 0, 0},
        ParseCase{"damagedAtomAfterMovie", Box("moov", kHeader0) + BE32(64) + "mdat", invalidMovie, 0, 0, 0},
        ParseCase{"sizeSmallerThanHeader", BE32(4) + "moov" + kHeader0, invalidMovie, 0, 0, 0},
        ParseCase{"trailingBytesNoHeader", Box("moov", kHeader0) + "abc", invalidMovie, 0, 0, 0},
        ParseCase{"size64PastEnd", BE32(1) + "moov" + BE64(0x100000000ull) + kHeader0, invalidMovie, 0, 0, 0},
        ParseCase{"size64SmallerThanHeader", BE32(1) + "moov" + BE64(12) + kHeader0, invalidMovie, 0, 0, 0},
        ParseCase{"size64HeaderCut", BE32(1) + "moov" + BE32(0), invalidMovie, 0, 0, 0},
        ParseCase{"childPastParent", BE32(8 + 20) + "moov" + kHeader0, invalidMovie, 0, 0, 0},
        ParseCase{"headerTooShort0", Box("moov", Box("mvhd", BE32(0) + BE32(1) + BE32(2) + BE32(600))),
                  invalidMovie, 0, 0, 0},
        ParseCase{"headerTooShort1",
                  Box("moov", Box("mvhd", BE32(0x01000000) + BE64(1) + BE64(2) + BE32(600) + BE32(0))),
                  invalidMovie, 0, 0, 0},
        ParseCase{"unknownHeaderVersion", Box("moov", Box("mvhd", BE32(0x02000000) + std::string(96, '\0'))),
                  invalidMovie, 0, 0, 0},
        ParseCase{"zeroTimeScale", Box("moov", Mvhd0(0, 240)), invalidMovie, 0, 0, 0},
        ParseCase{"durationPast32Bits", Box("moov", Mvhd1(600, 0x80000000ull)), invalidMovie, 0, 0, 0}),
    [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(MovieToolbox, SampleMovieMatchesItsHeader) {
    if (!HaveSample()) GTEST_SKIP() << "no sample movie at " << kSample;
    FSSpec spec;
    ASSERT_EQ(noErr, NativePathNameToFSSpec(kSample.c_str(), &spec, 0));
    int16_t ref = -1;
    ASSERT_EQ(noErr, OpenMovieFile(&spec, &ref, fsCurPerm));
    ASSERT_GE(ref, 0);
    Movie movie = nullptr;
    int16_t resId = 0;
    unsigned char name[256] = {7, 'l', 'e', 'f', 't', 'o', 'v', 'r'};
    Boolean changed = 1;
    ASSERT_EQ(noErr, NewMovieFromFile(&movie, ref, &resId, name, newMovieActive, &changed));
    EXPECT_EQ(-1, resId);  // the data fork's movie
    EXPECT_EQ(0, name[0]);
    EXPECT_EQ(0, changed);

    // The file is no longer needed once the movie is made.
    EXPECT_EQ(noErr, CloseMovieFile(ref));
    EXPECT_EQ(rfNumErr, CloseMovieFile(ref));
    EXPECT_EQ(kSampleTimeScale, GetMovieTimeScale(movie));
    EXPECT_EQ(kSampleDuration, GetMovieDuration(movie));
    EXPECT_EQ(kSampleTracks, GetMovieTrackCount(movie));
    EXPECT_EQ(1, GetMovieActive(movie));
    DisposeMovie(movie);

    Movie again = nullptr;
    EXPECT_EQ(rfNumErr, NewMovieFromFile(&again, ref, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(nullptr, again);
}

TEST(MovieToolbox, EveryCutOfTheSampleIsRefusedButAtTheMovieAtomsEnd) {
    if (!HaveSample()) GTEST_SKIP() << "no sample movie at " << kSample;
    const std::string whole = ReadFile(kSample);
    ASSERT_GT(whole.size(), kSampleMoovEnd);
    // Every cut inside the first headers, a stride through the movie atom
    // (rewriting the file is slow on some file systems), and both sides of
    // the movie atom's end and of the file's.
    std::vector<size_t> cuts;
    for (size_t n = 0; n <= 20; ++n) cuts.push_back(n);
    for (size_t n = 21; n < kSampleMoovEnd; n += 29) cuts.push_back(n);
    for (size_t n : {kSampleMoovEnd - 1, kSampleMoovEnd, kSampleMoovEnd + 1, kSampleMoovEnd + 7,
                     kSampleMoovEnd + 8, kSampleMoovEnd + 9, whole.size() - 1})
        cuts.push_back(n);
    for (size_t n : cuts) {
        const std::string path = WriteFile("cut.mov", whole.substr(0, n));
        FSSpec spec;
        ASSERT_EQ(noErr, NativePathNameToFSSpec(path.c_str(), &spec, 0));
        int16_t ref = -1;
        ASSERT_EQ(noErr, OpenMovieFile(&spec, &ref, 0));
        Movie movie = nullptr;
        const OSErr err = NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr);
        if (n == kSampleMoovEnd) {
            EXPECT_EQ(noErr, err);
            EXPECT_EQ(kSampleDuration, GetMovieDuration(movie));
            EXPECT_EQ(0, GetMovieActive(movie));  // made without newMovieActive
        } else {
            EXPECT_EQ(invalidMovie, err) << "cut at " << n;
            EXPECT_EQ(nullptr, movie);
        }
        DisposeMovie(movie);
        EXPECT_EQ(noErr, CloseMovieFile(ref));
    }
}

TEST(MovieToolbox, OnlyMovieFilesAreReadOrClosed) {
    const std::string path = WriteFile("plain.mov", GoodMovie());
    FSSpec spec;
    ASSERT_EQ(noErr, NativePathNameToFSSpec(path.c_str(), &spec, 0));
    int16_t ref = -1;
    ASSERT_EQ(noErr, FSpOpenDF(&spec, fsRdPerm, &ref));
    Movie movie = nullptr;
    EXPECT_EQ(rfNumErr, NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(rfNumErr, CloseMovieFile(ref));
    EXPECT_EQ(noErr, FSClose(ref));  // still open: CloseMovieFile left it alone

    const bool stdin_open = fcntl(0, F_GETFD) != -1;
    EXPECT_EQ(rfNumErr, CloseMovieFile(0));
    EXPECT_EQ(stdin_open, fcntl(0, F_GETFD) != -1);

    int16_t missing = 5;
    FSSpec nowhere;
    ASSERT_EQ(fnfErr, NativePathNameToFSSpec((TempDir() + "/absent.mov").c_str(), &nowhere, 0));
    EXPECT_EQ(fnfErr, OpenMovieFile(&nowhere, &missing, 0));
    EXPECT_EQ(-1, missing);
}

// Library level. The fixture starts the movie toolbox first, so that its
// one-time trace never lands in a captured report.
class MovieHelpers : public testing::Test {
  protected:
    void SetUp() override {
        Verbosity quiet(0);
        nr_enter_movies();
    }
};

TEST_F(MovieHelpers, SampleMovieOpensFromItsPath) {
    if (!HaveSample()) GTEST_SKIP() << "no sample movie at " << kSample;
    Verbosity v(3);
    Movie movie = nullptr;
    EXPECT_EQ("", CaptureStdout([&] { movie = nr_new_movie_from_file(kSample.c_str()); }));
    ASSERT_NE(nullptr, movie);
    EXPECT_EQ(kSampleTimeScale, GetMovieTimeScale(movie));
    EXPECT_EQ(kSampleDuration, GetMovieDuration(movie));
    EXPECT_EQ(kSampleTracks, GetMovieTrackCount(movie));
    EXPECT_EQ(1, GetMovieActive(movie));
    DisposeMovie(movie);

    int16_t ref = -1;
    int16_t resId = 0;
    movie = nr_new_movie_from_file_x(kSample.c_str(), &ref, &resId);
    ASSERT_NE(nullptr, movie);
    EXPECT_EQ(-1, resId);
    EXPECT_EQ(noErr, CloseMovieFile(ref));  // handed over open
    EXPECT_EQ(kSampleDuration, GetMovieDuration(movie));
    DisposeMovie(movie);
}

struct FailCase {
    const char *name;
    std::string (*path)();
    const char *failed_call;
};

void PrintTo(const FailCase &c, std::ostream *os) { *os << c.name; }

std::string MissingFile() { return TempDir() + "/no-such.mov"; }
std::string MissingFolder() { return TempDir() + "/no-such-folder/x.mov"; }
std::string EmptyPath() { return ""; }
std::string AFolder() { return TempDir(); }
std::string NotAMovie() { return WriteFile("notes.txt", "just some text, no atoms at all\n"); }
std::string TruncatedMovie() {
    const std::string whole = GoodMovie();
    return WriteFile("truncated.mov", whole.substr(0, whole.size() / 2));
}

class MovieFailures : public MovieHelpers, public testing::WithParamInterface<FailCase> {};

TEST_P(MovieFailures, ReportTheFailedCallAndGiveNoMovie) {
    const FailCase &c = GetParam();
    const std::string path = c.path();
    const std::string error = std::string("### error: ") + c.failed_call + "\n";
    for (int level : {1, 2, 3}) {
        Verbosity v(level);
        Movie movie = reinterpret_cast<Movie>(1);
        const std::string out = CaptureStdout([&] { movie = nr_new_movie_from_file(path.c_str()); });
        EXPECT_EQ(nullptr, movie);
        if (level < 3) {
            EXPECT_EQ(level == 2 ? error : "", out);
        } else {
            EXPECT_TRUE(std::regex_match(out, std::regex(R"(### \(src/pellorkit/movie\.cpp: \d+\)\n)" + error)))
                << out;
        }
    }

    Verbosity v(2);
    int16_t ref = 77;
    int16_t resId = 77;
    Movie movie = reinterpret_cast<Movie>(1);
    EXPECT_EQ(error, CaptureStdout([&] { movie = nr_new_movie_from_file_x(path.c_str(), &ref, &resId); }));
    EXPECT_EQ(nullptr, movie);
    EXPECT_EQ(0, ref);
    EXPECT_EQ(0, resId);
}

INSTANTIATE_TEST_SUITE_P(Table, MovieFailures,
                         testing::Values(FailCase{"missingFile", MissingFile, "NativePathNameToFSSpec"},
                                         FailCase{"missingFolder", MissingFolder, "NativePathNameToFSSpec"},
                                         FailCase{"emptyPath", EmptyPath, "NativePathNameToFSSpec"},
                                         FailCase{"folder", AFolder, "OpenMovieFile"},
                                         FailCase{"notAMovie", NotAMovie, "NewMovieFromFile"},
                                         FailCase{"truncatedMovie", TruncatedMovie, "NewMovieFromFile"}),
                         [](const testing::TestParamInfo<FailCase> &info) { return std::string(info.param.name); });

TEST_F(MovieHelpers, NoFileStaysOpenOverManyOpens) {
    const std::string bad = NotAMovie();
    const std::string cut = TruncatedMovie();
    const std::string good = WriteFile("good.mov", GoodMovie());
    Verbosity quiet(0);
    const std::set<std::string> before = OpenDescriptors();
    for (int i = 0; i < 100; ++i) {
        for (const std::string &path : {bad, cut, AFolder()}) {
            EXPECT_EQ(nullptr, nr_new_movie_from_file(path.c_str()));
            int16_t ref = -1;
            int16_t resId = 0;
            EXPECT_EQ(nullptr, nr_new_movie_from_file_x(path.c_str(), &ref, &resId));
        }
        Movie movie = nr_new_movie_from_file(good.c_str());
        EXPECT_EQ(1200, GetMovieDuration(movie));
        DisposeMovie(movie);
        // A caller with no place for the reference cannot close the file.
        movie = nr_new_movie_from_file_x(good.c_str(), nullptr, nullptr);
        EXPECT_NE(nullptr, movie);
        DisposeMovie(movie);
    }
    EXPECT_EQ(before, OpenDescriptors());
}

TEST_F(MovieHelpers, SecondStartPrintsNothing) {
    Verbosity v(3);
    GrafPtr before = nullptr;
    GetPort(&before);
    EXPECT_EQ("", CaptureStdout([] { nr_enter_movies(); }));
    GrafPtr after = nullptr;
    GetPort(&after);
    EXPECT_EQ(before, after);  // no new port either
}

// The first start can only be seen in a process where nothing started the
// toolbox yet: the death-test machinery runs this in a fresh one.
TEST(MovieStart, FirstStartTracesAndMakesAPortCurrent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto first_start = [] {
        Verbosity v(3);
        SetPort(nullptr);
        const std::string out = CaptureStdout([] { nr_enter_movies(); });
        GrafPtr port = nullptr;
        GetPort(&port);
        RGBColor fore{1, 1, 1};
        RGBColor back{};
        GetForeColor(&fore);
        GetBackColor(&back);
        const bool ok = out == "EnterMovies();\n" && port != nullptr && fore.red == 0 &&
                        fore.green == 0 && fore.blue == 0 && back.red == 0xFFFF &&
                        back.green == 0xFFFF && back.blue == 0xFFFF;
        std::fprintf(stderr, "trace [%s] port %p\n", out.c_str(), static_cast<void *>(port));
        std::exit(ok ? 0 : 1);
    };
    EXPECT_EXIT(first_start(), testing::ExitedWithCode(0), "");
}

}  // namespace
