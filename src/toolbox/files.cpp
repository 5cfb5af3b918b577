// files.cpp - the File Manager calls, as thin wrappers over POSIX.
//
// An FSSpec holds the resolved native path. A reference number is
// the file descriptor (reference numbers are 16-bit, so a descriptor beyond
// that range is closed again and reported as too many open files).
//
// Creator and type codes live in the "user.com.apple.FinderInfo" extended
// attribute (32 bytes: type, creator, flags, location, folder, then zeros),
// where a Linux user can read them with getfattr. On a file system without
// extended attributes they are simply not kept, and that is no failure.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "toolbox/internal.h"
#include "toolbox/toolbox.h"

namespace {

constexpr const char *kFinderInfoAttr = "user.com.apple.FinderInfo";
constexpr size_t kFinderInfoSize = 32;

OSErr err_from_errno(int e) {
    switch (e) {
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EACCES:
    case EPERM: return permErr;
    case EEXIST: return dupFNErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EROFS: return wPrErr;
    case EMFILE:
    case ENFILE: return tmfoErr;
    case ENAMETOOLONG: return bdNamErr;
    case EISDIR: return notAFileErr;
    case EBADF: return rfNumErr;
    case EFBIG:
    case EOVERFLOW: return fileTooBigErr;
    case ENOMEM: return memFullErr;
    default: return ioErr;
    }
}

bool copy_path(FSSpec *spec, const std::string &path) {
    if (path.size() >= sizeof spec->path) return false;
    std::memcpy(spec->path, path.c_str(), path.size() + 1);
    return true;
}

bool fd_is_open_file(int16_t refNum) { return refNum >= 0 && fcntl(refNum, F_GETFD) != -1; }

TBFileCallHook g_hook = nullptr;
void *g_hook_refcon = nullptr;

// The injected status for this call, 0 when there is no hook or it lets the call go on.
OSErr injected(const char *call) {
    if (g_hook == nullptr) return noErr;
    const OSErr err = g_hook(call, g_hook_refcon);
    return err < 0 ? err : static_cast<OSErr>(noErr);
}

// Moves the whole count with `transfer` (read or write), retrying short and
// interrupted transfers. A transfer that moves nothing ends it with
// `at_end`; *count is always the bytes moved.
template <typename Buffer, typename Transfer>
OSErr transfer_all(int16_t refNum, int32_t *count, Buffer *buffer, const char *call,
                   OSErr at_end, Transfer transfer) {
    if (count == nullptr || *count < 0 || (*count > 0 && buffer == nullptr)) return paramErr;
    if (const OSErr err = injected(call)) return err;
    if (!fd_is_open_file(refNum)) return rfNumErr;
    const int32_t want = *count;
    int32_t done = 0;
    OSErr err = noErr;
    while (done < want) {
        const ssize_t n = transfer(refNum, buffer + done, static_cast<size_t>(want - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? err_from_errno(errno) : at_end;
            break;
        }
        done += static_cast<int32_t>(n);
    }
    *count = done;
    return err;
}

}  // namespace

extern "C" {

void TBSetFileCallHook(TBFileCallHook hook, void *refcon) {
    g_hook = hook;
    g_hook_refcon = refcon;
}

OSStatus NativePathNameToFSSpec(const char *path, FSSpec *spec, uint32_t /*flags*/) {
    if (spec == nullptr) return paramErr;
    spec->path[0] = '\0';
    if (const OSErr err = injected("NativePathNameToFSSpec")) return err;
    if (path == nullptr || path[0] == '\0') return bdNamErr;
    if (std::strlen(path) >= sizeof spec->path) return bdNamErr;

    char resolved[PATH_MAX];
    if (realpath(path, resolved) != nullptr) {
        return copy_path(spec, resolved) ? noErr : bdNamErr;
    }
    if (errno != ENOENT) return err_from_errno(errno);

    // Only the last component may be missing: its folder must resolve.
    std::string p(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return bdNamErr;
    char dir_resolved[PATH_MAX];
    if (realpath(dir.c_str(), dir_resolved) == nullptr) return errno == ENOENT ? static_cast<OSErr>(dirNFErr) : err_from_errno(errno);
    struct stat st;
    if (stat(dir_resolved, &st) != 0 || !S_ISDIR(st.st_mode)) return dirNFErr;
    std::string full(dir_resolved);
    if (full != "/") full += '/';
    full += name;
    if (!copy_path(spec, full)) return bdNamErr;
    return fnfErr;
}

OSErr FSpOpenDF(const FSSpec *spec, int8_t permission, int16_t *refNum) {
    if (spec == nullptr || refNum == nullptr) return paramErr;
    *refNum = -1;
    if (const OSErr err = injected("FSpOpenDF")) return err;
    // The current permission (0) is reading: nothing here writes a file it
    // did not ask to write.
    int flags = O_RDONLY;
    if (permission == fsWrPerm) flags = O_WRONLY;
    else if (permission == fsRdWrPerm) flags = O_RDWR;
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const int fd = open(spec->path, flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return err_from_errno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const OSErr err = err_from_errno(errno);
        close(fd);
        return err;
    }
    if (!S_ISREG(st.st_mode)) {
        // A folder (or a device) is not a data fork.
        const bool is_dir = S_ISDIR(st.st_mode);
        close(fd);
        return is_dir ? notAFileErr : paramErr;
    }
    if (fd > INT16_MAX) {
        close(fd);
        return tmfoErr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *refNum = static_cast<int16_t>(fd);
    return noErr;
}

OSErr FSpCreate(const FSSpec *spec, OSType creator, OSType fileType, ScriptCode /*scriptTag*/) {
    if (spec == nullptr || spec->path[0] == '\0') return paramErr;
    if (const OSErr err = injected("FSpCreate")) return err;
    const int fd = open(spec->path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return err_from_errno(errno);
    unsigned char info[kFinderInfoSize] = {};
    tb_write32(info, fileType);
    tb_write32(info + 4, creator);
    OSErr err = noErr;
    if (fsetxattr(fd, kFinderInfoAttr, info, sizeof info, 0) != 0 && errno != ENOTSUP &&
        errno != EOPNOTSUPP) {
        err = err_from_errno(errno);
    }
    close(fd);
    if (err != noErr) unlink(spec->path);
    return err;
}

OSErr FSpDelete(const FSSpec *spec) {
    if (spec == nullptr || spec->path[0] == '\0') return paramErr;
    if (const OSErr err = injected("FSpDelete")) return err;
    if (unlink(spec->path) != 0) return err_from_errno(errno);
    return noErr;
}

OSErr FSpGetFInfo(const FSSpec *spec, FInfo *fndrInfo) {
    if (spec == nullptr) return paramErr;
    if (const OSErr err = injected("FSpGetFInfo")) return err;
    struct stat st;
    if (stat(spec->path, &st) != 0) return err_from_errno(errno);
    if (S_ISDIR(st.st_mode)) return notAFileErr;
    if (fndrInfo != nullptr) {
        std::memset(fndrInfo, 0, sizeof *fndrInfo);
        unsigned char info[kFinderInfoSize] = {};
        const ssize_t n = getxattr(spec->path, kFinderInfoAttr, info, sizeof info);
        if (n >= 8) {
            fndrInfo->fdType = tb_read32(info);
            fndrInfo->fdCreator = tb_read32(info + 4);
        }
        if (n >= 10) fndrInfo->fdFlags = tb_read16(info + 8);
    }
    return noErr;
}

OSErr FSpRenameOver(const FSSpec *source, const FSSpec *target) {
    if (source == nullptr || target == nullptr) return paramErr;
    if (const OSErr err = injected("FSpRenameOver")) return err;
    // The replacement keeps the permissions of the file it replaces: a
    // private settings file stays private.
    struct stat old;
    if (stat(target->path, &old) == 0 && S_ISREG(old.st_mode) &&
        chmod(source->path, old.st_mode & 07777) != 0)
        return err_from_errno(errno);
    if (rename(source->path, target->path) != 0) return err_from_errno(errno);
    // Make the new name itself durable: flush the folder that holds it.
    std::string dir(target->path);
    const size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : dir.substr(0, slash));
    const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);  // a folder that cannot be flushed still holds the file
        close(dfd);
    }
    return noErr;
}

OSErr GetEOF(int16_t refNum, int32_t *logEOF) {
    if (logEOF == nullptr) return paramErr;
    *logEOF = 0;
    if (const OSErr err = injected("GetEOF")) return err;
    struct stat st;
    if (refNum < 0 || fstat(refNum, &st) != 0) return rfNumErr;
    if (st.st_size > INT32_MAX) return fileTooBigErr;
    *logEOF = static_cast<int32_t>(st.st_size);
    return noErr;
}

OSErr SetFPos(int16_t refNum, int16_t posMode, int32_t posOff) {
    if (posMode != fsFromStart || posOff < 0) return paramErr;
    if (const OSErr err = injected("SetFPos")) return err;
    if (!fd_is_open_file(refNum)) return rfNumErr;
    if (lseek(refNum, posOff, SEEK_SET) < 0) return err_from_errno(errno);
    return noErr;
}

// A file that ends before the count is read gives eofErr.
OSErr FSRead(int16_t refNum, int32_t *count, void *buffPtr) {
    return transfer_all(refNum, count, static_cast<char *>(buffPtr), "FSRead", eofErr, ::read);
}

OSErr FSWrite(int16_t refNum, int32_t *count, const void *buffPtr) {
    return transfer_all(refNum, count, static_cast<const char *>(buffPtr), "FSWrite", ioErr, ::write);
}

OSErr FSFlushFork(int16_t refNum) {
    if (const OSErr err = injected("FSFlushFork")) return err;
    if (!fd_is_open_file(refNum)) return rfNumErr;
    if (fsync(refNum) != 0) return err_from_errno(errno);
    return noErr;
}

OSErr FSClose(int16_t refNum) {
    if (refNum < 0) return rfNumErr;
    if (const OSErr err = injected("FSClose")) {
        close(refNum);
        return err;
    }
    if (close(refNum) != 0) return errno == EBADF ? static_cast<OSErr>(rfNumErr) : err_from_errno(errno);
    return noErr;
}

}  // extern "C"
