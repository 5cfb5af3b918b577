// movies.cpp - the minimal movie toolbox: starting it, opening movie files
// and making a movie from the movie atom in a file's data fork.
//
// A movie file is a sequence of top-level atoms, each one:
//
//   offset  size  meaning
//   0       4     size of the atom in bytes, header included (big-endian);
//                 1: a 64-bit size follows the type; 0: up to the end of file
//   4       4     type, a four-character code
//   8       8     the 64-bit size, only when the 32-bit size is 1
//
// The movie is the first 'moov' atom. Its children have the same header;
// among them the first 'mvhd' (movie header) gives the time scale and the
// duration, and every 'trak' is one track. The header's payload:
//
//   version 0: version(1) flags(3) created(4) modified(4) time scale(4) duration(4) ...
//   version 1: version(1) flags(3) created(8) modified(8) time scale(4) duration(8) ...
//
// Every size is checked against the file (top level) or the enclosing atom;
// a size that runs past either, or is smaller than its own header, makes the
// whole movie invalid. Nothing is read outside the file.
#include <algorithm>
#include <cstdint>
#include <new>
#include <span>
#include <set>
#include <vector>

#include "toolbox/internal.h"
#include "toolbox/toolbox.h"

struct MovieRecord {
    TimeScale time_scale;
    TimeValue duration;
    int32_t track_count;
    bool active;
};

namespace {

bool g_movies_entered = false;

// A data-fork movie has no resource: its ID comes back as -1.
constexpr int16_t kMovieInDataForkResID = -1;

constexpr uint32_t kMoov = 0x6d6f6f76;  // 'moov'
constexpr uint32_t kMvhd = 0x6d766864;  // 'mvhd'
constexpr uint32_t kTrak = 0x7472616b;  // 'trak'

// Reference numbers handed out by OpenMovieFile and not yet closed; only
// these may be read as movies or closed as movie files.
std::set<int16_t> &open_movie_files() {
    static std::set<int16_t> files;
    return files;
}

// Reads exactly count bytes at offset; a short file gives eofErr.
OSErr read_at(int16_t ref, int64_t offset, int32_t count, unsigned char *dst) {
    if (offset < 0 || offset > INT32_MAX) return invalidMovie;
    OSErr err = SetFPos(ref, fsFromStart, static_cast<int32_t>(offset));
    if (err != noErr) return err;
    int32_t n = count;
    return FSRead(ref, &n, dst);
}

struct AtomHeader {
    uint32_t type;
    int64_t size;         // whole atom, header included
    int32_t header_size;  // 8 or 16
};

// Decodes the atom header at `offset` of a region that ends at `end`; the
// header bytes are fetched by `fetch(offset, count, dst)`. Fails with
// invalidMovie when the header or the atom does not fit in the region.
template <typename Fetch>
OSErr read_header(int64_t offset, int64_t end, Fetch fetch, AtomHeader *h) {
    if (end - offset < 8) return invalidMovie;
    unsigned char bytes[16];
    OSErr err = fetch(offset, 8, bytes);
    if (err != noErr) return err;
    const uint32_t size32 = tb_read32(bytes);
    h->type = tb_read32(bytes + 4);
    h->header_size = 8;
    if (size32 == 1) {
        if (end - offset < 16) return invalidMovie;
        err = fetch(offset + 8, 8, bytes + 8);
        if (err != noErr) return err;
        const uint64_t size64 =
            (static_cast<uint64_t>(tb_read32(bytes + 8)) << 32) | tb_read32(bytes + 12);
        h->header_size = 16;
        if (size64 > static_cast<uint64_t>(end - offset)) return invalidMovie;
        h->size = static_cast<int64_t>(size64);
    } else if (size32 == 0) {
        h->size = end - offset;
    } else {
        h->size = size32;
    }
    if (h->size < h->header_size || h->size > end - offset) return invalidMovie;
    return noErr;
}

// Fills the record from the payload of a 'moov' atom.
OSErr parse_movie_atom(const std::vector<unsigned char> &moov, MovieRecord *movie) {
    const int64_t end = static_cast<int64_t>(moov.size());
    auto fetch = [&moov, end](int64_t offset, int32_t count, unsigned char *dst) -> OSErr {
        if (offset < 0 || count < 0 || count > end - offset) return invalidMovie;
        std::copy_n(moov.begin() + offset, count, dst);
        return noErr;
    };
    bool have_header = false;
    int32_t tracks = 0;
    for (int64_t offset = 0; offset < end;) {
        AtomHeader h;
        const OSErr err = read_header(offset, end, fetch, &h);
        if (err != noErr) return err;
        const std::span<const unsigned char> payload(
            moov.data() + offset + h.header_size, static_cast<size_t>(h.size - h.header_size));
        const size_t payload_size = payload.size();
        if (h.type == kTrak) {
            ++tracks;
        } else if (h.type == kMvhd && !have_header) {
            if (payload_size < 4) return invalidMovie;
            uint64_t scale = 0;
            uint64_t duration = 0;
            if (payload[0] == 0) {
                if (payload_size < 20) return invalidMovie;
                scale = tb_read32(&payload[12]);
                duration = tb_read32(&payload[16]);
            } else if (payload[0] == 1) {
                if (payload_size < 32) return invalidMovie;
                scale = tb_read32(&payload[20]);
                duration = (static_cast<uint64_t>(tb_read32(&payload[24])) << 32) |
                           tb_read32(&payload[28]);
            } else {
                return invalidMovie;
            }
            // A movie without a time scale has no time; one whose scale or
            // duration does not fit the 32-bit values handed out cannot be
            // described truthfully.
            if (scale == 0 || scale > INT32_MAX || duration > INT32_MAX) return invalidMovie;
            movie->time_scale = static_cast<TimeScale>(scale);
            movie->duration = static_cast<TimeValue>(duration);
            have_header = true;
        }
        offset += h.size;
    }
    if (!have_header) return invalidMovie;
    movie->track_count = tracks;
    return noErr;
}

// Walks every top-level atom of the file and reads the first 'moov' whole.
OSErr read_movie(int16_t ref, MovieRecord *movie) {
    int32_t eof = 0;
    OSErr err = GetEOF(ref, &eof);
    if (err != noErr) return err;
    auto fetch = [ref](int64_t offset, int32_t count, unsigned char *dst) {
        return read_at(ref, offset, count, dst);
    };
    bool have_movie = false;
    for (int64_t offset = 0; offset < eof;) {
        AtomHeader h;
        err = read_header(offset, eof, fetch, &h);
        if (err != noErr) return err;
        if (h.type == kMoov && !have_movie) {
            // Both fit in 32 bits: the atom lies inside a file shorter than 2 GiB.
            const int32_t payload_size = static_cast<int32_t>(h.size - h.header_size);
            std::vector<unsigned char> moov;
            try {
                moov.resize(static_cast<size_t>(payload_size));
            } catch (const std::bad_alloc &) {
                return memFullErr;
            }
            if (payload_size > 0) {
                err = read_at(ref, offset + h.header_size, payload_size, moov.data());
                if (err != noErr) return err;
            }
            err = parse_movie_atom(moov, movie);
            if (err != noErr) return err;
            have_movie = true;
        }
        offset += h.size;
    }
    return have_movie ? noErr : invalidMovie;
}

}  // namespace

extern "C" {

OSErr EnterMovies(void) {
    g_movies_entered = true;
    return noErr;
}

void ExitMovies(void) { g_movies_entered = false; }

// Opens the file's data fork; permission 0 (the current permission) reads.
// *resRefNum is -1 after a failure.
OSErr OpenMovieFile(const FSSpec *fileSpec, int16_t *resRefNum, int8_t permission) {
    if (resRefNum == nullptr) return paramErr;
    *resRefNum = -1;
    if (fileSpec == nullptr) return paramErr;
    int16_t ref = -1;
    const OSErr err = FSpOpenDF(fileSpec, permission, &ref);
    if (err != noErr) return err;
    try {
        open_movie_files().insert(ref);
    } catch (const std::bad_alloc &) {
        FSClose(ref);
        return memFullErr;
    }
    *resRefNum = ref;
    return noErr;
}

// Makes a movie from the file's first movie atom. The movie keeps no hold on
// the file, so the file may be closed at once. *resId comes back as the ID
// of the data-fork movie whatever it held; a resource name, when asked for,
// comes back empty. *theMovie is null after any failure: rfNumErr for a
// reference that is not an open movie file, invalidMovie for a file without
// a movie or with a damaged one, or the File Manager's status.
OSErr NewMovieFromFile(Movie *theMovie, int16_t resRefNum, int16_t *resId, StringPtr resName,
                       int16_t newMovieFlags, Boolean *dataRefWasChanged) {
    if (theMovie == nullptr) return paramErr;
    *theMovie = nullptr;
    if (dataRefWasChanged != nullptr) *dataRefWasChanged = 0;
    if (open_movie_files().count(resRefNum) == 0) return rfNumErr;

    MovieRecord record{};
    const OSErr err = read_movie(resRefNum, &record);
    if (err != noErr) return err;
    record.active = (newMovieFlags & newMovieActive) != 0;
    auto *movie = new (std::nothrow) MovieRecord(record);
    if (movie == nullptr) return memFullErr;
    if (resId != nullptr) *resId = kMovieInDataForkResID;
    if (resName != nullptr) resName[0] = 0;
    *theMovie = movie;
    return noErr;
}

// Closes a file that OpenMovieFile opened; any other number (0 included)
// gives rfNumErr and closes nothing. Movies made from the file stay usable.
OSErr CloseMovieFile(int16_t resRefNum) {
    auto &files = open_movie_files();
    const auto it = files.find(resRefNum);
    if (it == files.end()) return rfNumErr;
    files.erase(it);
    return FSClose(resRefNum);
}

void DisposeMovie(Movie theMovie) { delete theMovie; }

TimeScale GetMovieTimeScale(Movie theMovie) {
    return theMovie != nullptr ? theMovie->time_scale : 0;
}

TimeValue GetMovieDuration(Movie theMovie) {
    return theMovie != nullptr ? theMovie->duration : 0;
}

int32_t GetMovieTrackCount(Movie theMovie) {
    return theMovie != nullptr ? theMovie->track_count : 0;
}

Boolean GetMovieActive(Movie theMovie) {
    return theMovie != nullptr && theMovie->active ? 1 : 0;
}

}  // extern "C"
