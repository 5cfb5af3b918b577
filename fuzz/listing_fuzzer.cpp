// listing_fuzzer - the inspector's whole report over arbitrary bytes: the
// bytes are saved as a settings file, loaded back through the loader and
// listed with every error report on (verbosity 3). Output goes to /dev/null.
// The driver's own helpers go unused without its main.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#define TESSIK_NO_MAIN
#include "../src/tessik.cpp"
#pragma clang diagnostic pop

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

char g_path[] = "/tmp/tessik-listing-fuzz-XXXXXX";

void remove_file() { unlink(g_path); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    std::setbuf(stdout, nullptr);
    const int fd = mkstemp(g_path);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit(remove_file);
    EnterMovies();
    g_verbosity = 3;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 1 << 24) return 0;
    const int fd = open(g_path, O_WRONLY | O_TRUNC);
    if (fd < 0) std::abort();
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    close(fd);

    QTAtomContainer container = nullptr;
    if (nr_file_to_atom_container(g_path, &container) != 0 || container == nullptr) std::abort();
    // The loader hands the bytes over as they stand.
    if (GetHandleSize(container) != static_cast<Size>(size) ||
        (size > 0 && std::memcmp(*container, data, size) != 0))
        std::abort();
    const int status = r_show_atom_contents(container);
    if (status > 0) std::abort();
    // The listing never changes the container and leaves it unlocked.
    if (std::memcmp(*container, data, size) != 0 || QTGetContainerLockCount(container) != 0) std::abort();
    QTDisposeAtomContainer(container);
    g_out.flush();
    return 0;
}
