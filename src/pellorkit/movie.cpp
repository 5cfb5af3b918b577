// movie.cpp - the movie, component and colour helpers: a one-time start of
// the movie toolbox with a drawing port, movies opened from a path, a
// component found by type, subtype and manufacturer, and the drawing
// colours of the current port.
#include <cstdlib>

#include "pellorkit.h"
#include "pellorkit/status.h"

namespace {

// Set by the first nr_enter_movies and never cleared.
int ever_did_enter = 0;

}  // namespace

extern "C" {

// Starts the movie toolbox and makes a new colour port current, once per
// process; later calls do nothing. The port is never disposed of.
void nr_enter_movies(void) {
    if (ever_did_enter) return;
    nr_printf(3, "EnterMovies();");
    EnterMovies();
    ever_did_enter = 1;
    SetPort(CreateNewPort());
}

// The movie, active, or null after a reported failure. On success the movie
// file is still open: *fileRef is its reference number, which the caller
// closes with CloseMovieFile, and *resId the movie's resource ID. After a
// failure both are 0 and no file is left open: a file opened here is closed
// here. A caller that passes no place for the reference gets the file
// closed at once, since nobody else could close it.
Movie nr_new_movie_from_file_x(const char *path, int16_t *fileRef, int16_t *resId) {
    Movie movie = nullptr;
    int16_t ref = -1;
    int16_t id = 0;

    nr_enter_movies();

    FSSpec spec;
    const OSErr spec_err = status16(NativePathNameToFSSpec(path, &spec, 0));
    if (spec_err < 0) {
        NR_ERROR("NativePathNameToFSSpec");
    } else if (OpenMovieFile(&spec, &ref, 0) < 0) {
        ref = -1;
        NR_ERROR("OpenMovieFile");
    } else if (NewMovieFromFile(&movie, ref, &id, nullptr, newMovieActive, nullptr) < 0) {
        movie = nullptr;
        NR_ERROR("NewMovieFromFile");
    }

    if (movie == nullptr) {
        if (ref != -1) CloseMovieFile(ref);
        ref = 0;
        id = 0;
    } else if (fileRef == nullptr) {
        CloseMovieFile(ref);
    }
    if (fileRef != nullptr) *fileRef = ref;
    if (resId != nullptr) *resId = id;
    return movie;
}

// The movie alone, null after a reported failure; the movie file is closed
// whatever happened.
Movie nr_new_movie_from_file(const char *path) {
    int16_t fileRef = -1;
    int16_t resId = 0;
    Movie movie = nr_new_movie_from_file_x(path, &fileRef, &resId);
    // Only a movie comes with an open file: after a failure the reference
    // is 0, which names no file of ours.
    if (movie != nullptr) CloseMovieFile(fileRef);
    return movie;
}

// An open instance of the first component of the type whose subtype and
// manufacturer equal those asked for (0 asks for 0, not for any). 0 when
// none matches; after a failed open, the instance as OpenAComponent left it.
// The caller closes the instance.
ComponentInstance nr_open_component(OSType type, OSType subType, OSType manufacturer) {
    ComponentDescription search = {type, 0, 0, 0, 0};
    ComponentDescription info = {0, 0, 0, 0, 0};
    ComponentInstance instance = 0;

    char *sub_text = o2c(subType);
    char *manu_text = o2c(manufacturer);
    nr_printf(3, "nr_open_component %s:%s (%08x:%08x)", sub_text, manu_text, subType,
              manufacturer);
    std::free(sub_text);
    std::free(manu_text);

    Component component = 0;
    while ((component = FindNextComponent(component, &search)) != 0) {
        GetComponentInfo(component, &info, nullptr, nullptr, nullptr);
        char *found_sub = o2c(info.componentSubType);
        char *found_manu = o2c(info.componentManufacturer);
        nr_printf(3, "FindNextComponent: 0x%08x, %s:%s (%08x:%08x)", component, found_sub,
                  found_manu, info.componentSubType, info.componentManufacturer);
        std::free(found_sub);
        std::free(found_manu);

        if (info.componentSubType == subType && info.componentManufacturer == manufacturer) {
            const int32_t err = OpenAComponent(component, &instance);
            if (err < 0) {
                char *message = nr_sprintf("OpenAComponent %d", err);
                NR_ERROR(message);
                std::free(message);
            }
            return instance;
        }
    }
    NR_ERROR("FindNextComponent");
    return instance;
}

// Only the lowest 8 bits of the level count: 255 gives 65280, 256 black.
void GoGrey(int32_t level) {
    const uint16_t value = static_cast<uint16_t>((level & 0xFF) * 256);
    const RGBColor grey = {value, value, value};
    RGBForeColor(&grey);
}

void GoBW(void) {
    ForeColor(blackColor);
    BackColor(whiteColor);
}

}  // extern "C"
