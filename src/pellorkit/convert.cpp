// convert.cpp - small conversions between the platform's forms and ours:
// Pascal strings, handle contents, 16.16 fixed point, substrings and linear
// mapping of integer ranges. Every string or handle returned is new and
// sized exactly to its content; the caller owns it. An allocation that fails
// gives NULL. No double is converted to an integer type unless it is known
// to be in range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pellorkit.h"

namespace {

char *new_text(const void *bytes, size_t n) {
    char *text = static_cast<char *>(std::malloc(n + 1));
    if (text == nullptr) return nullptr;
    if (n > 0) std::memcpy(text, bytes, n);
    text[n] = '\0';
    return text;
}

}  // namespace

extern "C" {

// A NULL Pascal string reads as the empty one.
char *p2c(ConstStr255Param pstr) {
    if (pstr == nullptr) return new_text("", 0);
    return new_text(pstr + 1, pstr[0]);
}

// Texts longer than 255 characters are cut to their first 255.
unsigned char *c2p(const char *cstr) {
    size_t n = 0;
    while (cstr != nullptr && n < 255 && cstr[n] != '\0') ++n;
    auto *p = static_cast<unsigned char *>(std::malloc(n + 1));
    if (p == nullptr) return nullptr;
    p[0] = static_cast<unsigned char>(n);
    if (n > 0) std::memcpy(p + 1, cstr, n);
    return p;
}

// Every byte of the block is copied, NULs included. A NULL handle reads as
// an empty one.
char *h2c(Handle h) {
    const Size size = h != nullptr && *h != nullptr ? GetHandleSize(h) : 0;
    const size_t n = size > 0 ? static_cast<size_t>(size) : 0;
    char *text = static_cast<char *>(std::malloc(n + 1));
    if (text == nullptr) return nullptr;
    // Read the block only after the allocation: nothing in between moves it.
    if (n > 0) std::memcpy(text, *h, n);
    text[n] = '\0';
    return text;
}

// The characters without a NUL; NULL when the handle cannot be had.
Handle c2h(const char *cstr) {
    const size_t n = cstr != nullptr ? std::strlen(cstr) : 0;
    if (n > INT32_MAX) return nullptr;
    Handle h = NewHandle(static_cast<Size>(n));
    if (h == nullptr) return nullptr;
    if (n > 0) std::memcpy(*h, cstr, n);
    return h;
}

// x * 65536 truncated toward zero, clamped to [-2^31, 2^32 - 1], low 32
// bits. NaN gives 0.
Fixed d2f(double x) {
    const double scaled = std::trunc(x * 65536.0);
    if (std::isnan(scaled)) return 0;
    int64_t v;
    if (scaled <= -2147483648.0) {
        v = INT64_C(-2147483648);
    } else if (scaled >= 4294967295.0) {
        v = INT64_C(4294967295);
    } else {
        v = static_cast<int64_t>(scaled);
    }
    return static_cast<Fixed>(static_cast<uint32_t>(v));
}

// All 32 bits read as unsigned: the result lies in [0, 65536).
double f2d(Fixed f) { return static_cast<uint32_t>(f) / 65536.0; }

// Copies `length` bytes from s + start, NULs included, and ends them with a
// NUL. The caller makes sure those bytes exist; a negative start or length
// gives the empty string.
char *csubstr(const char *s, int32_t start, int32_t length) {
    if (start < 0 || length < 0) return new_text("", 0);
    return new_text(s + start, static_cast<size_t>(length));
}

// Maps v from a..b onto c..d (a onto c), truncating toward zero and
// extrapolating outside the range. The differences are taken in 64 bits, so
// wide ranges do not wrap. An empty source range (a == b) gives c; a result
// beyond 32 bits is clamped to INT32_MIN or INT32_MAX.
int32_t nr_map_int(int32_t v, int32_t a, int32_t b, int32_t c, int32_t d) {
    if (a == b) return c;
    const double q = static_cast<double>(int64_t{v} - a) * static_cast<double>(int64_t{d} - c) /
                     static_cast<double>(int64_t{b} - a);
    const double r = std::trunc(q) + static_cast<double>(c);
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(r);
}

}  // extern "C"
