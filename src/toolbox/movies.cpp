// movies.cpp - the minimal movie toolbox: starting it.
#include "toolbox/toolbox.h"

namespace {
bool g_movies_entered = false;
}

extern "C" {

OSErr EnterMovies(void) {
    g_movies_entered = true;
    return noErr;
}

void ExitMovies(void) { g_movies_entered = false; }

}  // extern "C"
