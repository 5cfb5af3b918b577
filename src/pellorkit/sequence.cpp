// sequence.cpp - numbered file names: splitting a name at its first run of
// digits into prefix, width and suffix, and rebuilding it for any number.
#include <cstdint>
#include <cstring>

#include "pellorkit.h"

namespace {

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

extern "C" {

// Fills all five fields with new heap strings owned by the caller (what they
// held is not freed). Only the first run of digits is the number; later
// digits belong to the suffix. A name without digits gives the whole name
// as prefix, digit_count 0, modulus 1, an empty suffix and the format
// "%s%d%s", so that a rebuilt name is the name with the number appended.
// modulus is 10^digit_count, held at INT32_MAX from ten digits on, where the
// power no longer fits in 32 bits.
void nr_filename_to_sequence_stuff(const char *name, SequenceStuff *stuff) {
    const size_t n = std::strlen(name);
    size_t start = 0;
    while (start < n && !is_digit(name[start])) ++start;
    size_t end = start;
    while (end < n && is_digit(name[end])) ++end;

    const auto digits = static_cast<int32_t>(end - start);
    int32_t modulus = 1;
    for (int32_t i = 0; i < digits; ++i) {
        if (modulus > INT32_MAX / 10) {
            modulus = INT32_MAX;
            break;
        }
        modulus *= 10;
    }

    stuff->prefix = csubstr(name, 0, static_cast<int32_t>(start));
    stuff->digit_count = digits;
    stuff->modulus = modulus;
    stuff->suffix = csubstr(name, static_cast<int32_t>(end), static_cast<int32_t>(n - end));
    stuff->format = digits > 0 ? nr_sprintf("%%s%%0%dd%%s", digits) : nr_sprintf("%%s%%d%%s");
}

// A new 1024-byte block: prefix, the number zero-padded to digit_count
// places (never cut; a minus sign counts toward the width), suffix. NULL
// when the record has no format.
char *nr_sequence_stuff_to_filename(const SequenceStuff *stuff, int32_t number) {
    if (stuff == nullptr || stuff->format == nullptr) return nullptr;
    return nr_sprintf(stuff->format, stuff->prefix != nullptr ? stuff->prefix : "", number,
                      stuff->suffix != nullptr ? stuff->suffix : "");
}

}  // extern "C"
