// output.cpp - the output level, gated printing, message blocks, info lines,
// error reports and the version banner. Everything goes to standard output.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pellorkit.h"

#ifndef TESSIK_BUILD_HOST
#define TESSIK_BUILD_HOST "unknown host"
#endif

namespace {

constexpr size_t kBlockSize = 1024;

// Formats and writes in one piece, so that a line reaches an unbuffered
// stream with one write. A line end is added when `newline` says so.
void write_formatted(const char *format, va_list ap, bool newline) {
    char local[kBlockSize];
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(local, sizeof local, format, copy);
    va_end(copy);
    if (n < 0) return;
    const size_t len = static_cast<size_t>(n);
    if (len + 1 < sizeof local) {
        if (newline) local[len] = '\n';
        std::fwrite(local, 1, len + (newline ? 1 : 0), stdout);
        return;
    }
    char *big = static_cast<char *>(std::malloc(len + 2));
    if (big == nullptr) {
        // Out of memory: print what fits rather than nothing.
        std::fwrite(local, 1, sizeof local - 1, stdout);
        if (newline) std::fputc('\n', stdout);
        return;
    }
    std::vsnprintf(big, len + 1, format, ap);
    if (newline) big[len] = '\n';
    std::fwrite(big, 1, len + (newline ? 1 : 0), stdout);
    std::free(big);
}

}  // namespace

extern "C" {

int g_verbosity = 1;

void nr_printf(int level, const char *format, ...) {
    if (level > g_verbosity) return;
    // The rule looks at the format's own last byte: a control character
    // (0 to 31) means the caller ends the line itself; so does a byte of
    // 0x80 or above, which is negative as a signed char.
    const size_t flen = std::strlen(format);
    const bool newline = flen == 0 || static_cast<signed char>(format[flen - 1]) > 31;
    va_list ap;
    va_start(ap, format);
    write_formatted(format, ap, newline);
    va_end(ap);
}

// Returns a new 1024-byte block, owned by the caller; a longer text is cut
// to 1023 characters. NULL only when the block cannot be had.
char *nr_sprintf(const char *format, ...) {
    char *block = static_cast<char *>(std::malloc(kBlockSize));
    if (block == nullptr) return nullptr;
    va_list ap;
    va_start(ap, format);
    if (std::vsnprintf(block, kBlockSize, format, ap) < 0) block[0] = '\0';
    va_end(ap);
    return block;
}

void nr_print_info(const char *label, const char *value) {
    nr_printf(1, "+ %26s : %s \n", label, value);
}

void nr_print_int(const char *label, int32_t n) {
    char value[kBlockSize];
    std::snprintf(value, sizeof value, "%d", n);
    nr_print_info(label, value);
}

void nr_print_cr(void) { nr_printf(1, "+"); }

void nr_print_version(const char *name) {
    // Show the caller's source path without its extension: src/x.c and
    // src/x.cpp both read src/x. A name without an extension stays whole.
    char cut[kBlockSize];
    std::snprintf(cut, sizeof cut, "%s", name != nullptr ? name : "");
    char *dot = std::strrchr(cut, '.');
    const char *slash = std::strrchr(cut, '/');
    if (dot != nullptr && dot != cut && (slash == nullptr || dot > slash + 1)) *dot = '\0';

    char banner[3 * kBlockSize];
    const int n = std::snprintf(banner, sizeof banner,
                                "\n"
                                ":\n"
                                ":  %s version %s.%s-[%s] %s\n"
                                ":  built on %s\n"
                                ":  %s\n"
                                ":\n",
                                cut, "2", "0", "404", "2006.03.15-01:00:17", TESSIK_BUILD_HOST,
                                "pellorkit tools for settings files, by the tessik developers");
    if (n > 0) std::fwrite(banner, 1, static_cast<size_t>(n) < sizeof banner ? n : sizeof banner - 1, stdout);
}

void nr_report_error(const char *file, int line, int level, const char *text) {
    nr_printf(3, "### (%s: %d)\n", file, line);
    nr_printf(level, "### error: %s\n", text != nullptr ? text : "(no memory for the message)");
}

}  // extern "C"
