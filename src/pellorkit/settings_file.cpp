// settings_file.cpp - loading a settings file (one atom container, byte for
// byte, filling the file's data) into a container, and saving one.
//
// Saving never goes through a moment with no file: the container is written
// to a new file beside the target, flushed to the disk and renamed over the
// target in one step. Whatever fails, the old file stays as it was and the
// new one is removed.
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "pellorkit.h"
#include "pellorkit/status.h"

namespace {

// An FSSpec for a new, unused file in the target's folder. On
// failure the error is FSpCreate's.
OSErr create_temporary(const FSSpec &target, FSSpec *temp) {
    const char *slash = std::strrchr(target.path, '/');
    const int dir_len = slash == nullptr ? 0 : static_cast<int>(slash - target.path + 1);
    const char *base = target.path + dir_len;
    OSErr err = noErr;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        // The name is cut so that the temporary's stays within the 255
        // bytes a folder entry may have, however long the target's is.
        const int n = std::snprintf(temp->path, sizeof temp->path, "%.*s.%.200s.%ld-%u.saving", dir_len,
                                    target.path, base, static_cast<long>(getpid()), attempt);
        if (n < 0 || static_cast<size_t>(n) >= sizeof temp->path) return bdNamErr;
        err = FSpCreate(temp, kSettingsCreator, kSettingsFileType, smSystemScript);
        if (err != dupFNErr) return err;
    }
    return err;
}

}  // namespace

extern "C" {

// On success *container is a new container that the caller disposes of; on
// failure it is NULL and the failed call has been reported.
int nr_file_to_atom_container(const char *path, QTAtomContainer *container) {
    QTAtomContainer handle = nullptr;
    int16_t ref = -1;
    FSSpec spec;
    int32_t length = 0;

    OSErr err = status16(NativePathNameToFSSpec(path, &spec, 0));
    if (err < 0) {
        NR_ERROR("NativePathNameToFSSpec");
    } else if ((err = FSpOpenDF(&spec, fsRdPerm, &ref)) < 0) {
        ref = -1;
        NR_ERROR("FSpOpenDF");
    } else if ((err = GetEOF(ref, &length)) < 0) {
        NR_ERROR("GetEOF");
    } else if (handle = NewHandleClear(length), (err = MemError()) < 0) {
        NR_ERROR("NewHandleClear");
    } else if ((err = FSRead(ref, &length, *handle)) < 0) {
        NR_ERROR("FSRead");
    }
    if (ref != -1) {
        const OSErr close_err = FSClose(ref);
        if (err == noErr) err = close_err;
    }
    if (err != noErr) {
        if (handle != nullptr) QTDisposeAtomContainer(handle);
        handle = nullptr;
    }
    if (container != nullptr) *container = handle;
    return err;
}

int nr_atom_container_to_file(QTAtomContainer container, const char *path) {
    FSSpec target;
    FSSpec temp;
    bool temp_made = false;
    int16_t ref = -1;

    OSErr err = status16(NativePathNameToFSSpec(path, &target, 0));
    if (err == fnfErr) err = noErr;  // a new file
    if (err < 0) {
        NR_ERROR("NativePathNameToFSSpec");
    } else if ((err = create_temporary(target, &temp)) < 0) {
        NR_ERROR("FSpCreate");
    } else if (temp_made = true, (err = FSpOpenDF(&temp, fsRdWrPerm, &ref)) < 0) {
        ref = -1;
        NR_ERROR("FSpOpenDF");
    } else {
        // No container is no empty file: the old one must stay.
        int32_t count = GetHandleSize(container);
        if ((err = MemError()) < 0) {
            NR_ERROR("GetHandleSize");
        } else if ((err = FSWrite(ref, &count, *container)) < 0) {
            NR_ERROR("FSWrite");
        } else if ((err = FSFlushFork(ref)) < 0) {
            NR_ERROR("FSFlushFork");
        }
    }
    if (ref != -1) {
        // Unlike a load, a failed close here may mean lost data: report it
        // and keep the old file.
        const OSErr close_err = FSClose(ref);
        if (err == noErr && close_err < 0) {
            err = close_err;
            NR_ERROR("FSClose");
        }
    }
    if (err == noErr && (err = FSpRenameOver(&temp, &target)) < 0) NR_ERROR("FSpRenameOver");
    if (err != noErr && temp_made) FSpDelete(&temp);
    return err;
}

int nr_file_exists(const char *path) {
    FSSpec spec;
    const OSErr err = status16(NativePathNameToFSSpec(path, &spec, 0));
    if (err != noErr) return err;
    FInfo info;
    return FSpGetFInfo(&spec, &info);
}

}  // extern "C"
