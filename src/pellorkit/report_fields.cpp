// report_fields.cpp - the report field formatters: each turns one kind of
// value into a short text in a 1024-byte buffer of its own and prints it with
// the caller's label as one info line. The text is built whatever the level;
// only the printing is gated (in nr_print_info). None reports a failure.
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "pellorkit.h"

namespace {

constexpr size_t kValueSize = 1024;

// A new 1024-byte block: "%d" when x is an integer within 32 bits, otherwise
// "%.2f". The range is tested before any conversion, so NaN, infinities and
// huge values go the "%.2f" way. NULL when the block cannot be had.
char *r_d2s(double x) {
    char *text = static_cast<char *>(std::malloc(kValueSize));
    if (text == nullptr) return nullptr;
    if (x >= -2147483648.0 && x <= 2147483647.0 && static_cast<double>(static_cast<int32_t>(x)) == x) {
        std::snprintf(text, kValueSize, "%d", static_cast<int32_t>(x));
    } else {
        std::snprintf(text, kValueSize, "%.2f", x);
    }
    return text;
}

// Formats the value text in the call's own value buffer and prints it as
// the label's info line.
void print_value(const char *label, const char *format, ...) NR_PRINTF_LIKE(2, 3);
void print_value(const char *label, const char *format, ...) {
    char value[kValueSize];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(value, sizeof value, format, ap);
    va_end(ap);
    nr_print_info(label, value);
}

// Copies a heap string from o2c, p2c or r_d2s into a value buffer and frees
// it; a string that could not be had copies as empty.
void take_text(char *buffer, size_t size, char *heap) {
    std::snprintf(buffer, size, "%s", heap != nullptr ? heap : "");
    std::free(heap);
}

void print_text(const char *label, const char *text) {
    print_value(label, "%s", text);
}

void print_double_or(const char *label, double x, const char *if_zero) {
    char value[kValueSize];
    if (x == 0.0) {
        std::snprintf(value, sizeof value, "%s", if_zero);
    } else {
        take_text(value, sizeof value, r_d2s(x));
    }
    nr_print_info(label, value);
}

}  // namespace

extern "C" {

void nr_print_int_of_int(const char *label, int32_t a, int32_t b) {
    print_value(label, "%d of %d", a, b);
}

void nr_print_int2(const char *label, int32_t a, int32_t b) {
    print_value(label, "%d / %d", a, b);
}

void nr_print_int3(const char *label, int32_t a, int32_t b, int32_t c) {
    print_value(label, "%d / %d / %d", a, b, c);
}

void nr_print_dims(const char *label, int32_t width, int32_t height) {
    print_value(label, "%d x %d", width, height);
}

void nr_print_createmodtime(const char *label, uint32_t created, uint32_t modified) {
    print_value(label, "%lu / %lu", static_cast<unsigned long>(created),
                static_cast<unsigned long>(modified));
}

void nr_print_double(const char *label, double x) {
    char value[kValueSize];
    take_text(value, sizeof value, r_d2s(x));
    nr_print_info(label, value);
}

// Zero (either sign) means "as the movie has it"; NaN is not zero.
void nr_print_d_frame_rate(const char *label, double rate) { print_double_or(label, rate, "movie"); }

void nr_print_d_data_rate(const char *label, double rate) { print_double_or(label, rate, "whatever"); }

void nr_print_d_audio_format(const char *label, double rate, int32_t n, int32_t channels) {
    char chan[kValueSize];
    if (channels == 1) {
        std::snprintf(chan, sizeof chan, "mono");
    } else if (channels == 2) {
        std::snprintf(chan, sizeof chan, "stereo");
    } else {
        std::snprintf(chan, sizeof chan, "%d", channels);
    }
    char *rate_text = r_d2s(rate);
    char value[kValueSize];
    const int used = std::snprintf(value, sizeof value, "%s / %d / ", rate_text != nullptr ? rate_text : "", n);
    std::free(rate_text);
    if (used >= 0 && static_cast<size_t>(used) < sizeof value)
        std::snprintf(value + used, sizeof value - static_cast<size_t>(used), "%s", chan);
    nr_print_info(label, value);
}

// The end is tested first: an end of 0 means the whole range.
void nr_print_d_time_range(const char *label, double start, double end) {
    char value[kValueSize];
    if (end == 0.0) {
        std::snprintf(value, sizeof value, "all");
    } else if (start == 0.0) {
        std::snprintf(value, sizeof value, "%f", end);
    } else {
        std::snprintf(value, sizeof value, "%.4f to %.4f", start, end);
    }
    nr_print_info(label, value);
}

void nr_print_yesno(const char *label, int32_t flag) { print_text(label, flag != 0 ? "yes" : "no"); }

void nr_print_string(const char *label, ConstStr255Param s) {
    char value[kValueSize];
    take_text(value, sizeof value, p2c(s));
    nr_print_info(label, value);
}

void nr_print_ostype(const char *label, OSType code) {
    char value[kValueSize];
    take_text(value, sizeof value, o2c(code));
    nr_print_info(label, value);
}

// The integer part of a Fixed is its upper half, signed: the fraction is
// dropped toward minus infinity.
void nr_print_dimensions(const char *label, Fixed width, Fixed height) {
    print_value(label, "(%d,%d)", width >> 16, height >> 16);
}

void nr_print_time(const char *label, int32_t value, int32_t scale) {
    char text[kValueSize];
    std::snprintf(text, sizeof text, "%.3f (%d/%d)", static_cast<double>(value) / static_cast<double>(scale),
                  value, scale);
    nr_print_info(label, text);
}

// Six truncated decimals of the fraction. A negative rate prints as sign and
// magnitude (-0.5 reads -0.500000), not as a floored integer part with an
// upward fraction.
void nr_print_rate(const char *label, Fixed rate) {
    const bool negative = rate < 0;
    const uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(rate) : static_cast<uint32_t>(rate);
    const uint32_t whole = magnitude >> 16;
    const uint32_t millionths = static_cast<uint32_t>((uint64_t{magnitude & 0xffffu} * 1000000u) >> 16);
    print_value(label, "%s%u.%06u", negative ? "-" : "", static_cast<unsigned>(whole),
                static_cast<unsigned>(millionths));
}

void nr_print_volume(const char *label, int16_t volume) {
    print_value(label, "%d", volume);
}

void nr_print_rect(const char *label, const Rect *rect) {
    print_value(label, "(%d,%d,%d,%d)", rect->left, rect->top, rect->right, rect->bottom);
}

// The bounds are fetched before the emptiness test, for every non-null region.
void nr_print_rgn(const char *label, RgnHandle region) {
    char value[kValueSize];
    if (region == nullptr) {
        std::snprintf(value, sizeof value, "(null)");
    } else {
        Rect bounds = {0, 0, 0, 0};
        GetRegionBounds(region, &bounds);
        if (EmptyRgn(region)) {
            std::snprintf(value, sizeof value, "(empty)");
        } else {
            std::snprintf(value, sizeof value, "%srectangular (%d,%d,%d,%d)",
                          IsRegionRectangular(region) ? "" : "non", bounds.left, bounds.top,
                          bounds.right, bounds.bottom);
        }
    }
    nr_print_info(label, value);
}

void nr_print_handler(const char *label, OSType a, OSType b, ConstStr255Param name) {
    char *first = o2c(a);
    char *second = o2c(b);
    char *text = p2c(name);
    print_value(label, "%s/%s %s", first != nullptr ? first : "", second != nullptr ? second : "",
                text != nullptr ? text : "");
    std::free(first);
    std::free(second);
    std::free(text);
}

}  // extern "C"
