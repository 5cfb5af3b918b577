// args.cpp - command-line argument lookup by key: named --key[=value]
// options, positional arguments and comma-separated fields. Nothing is
// parsed ahead; every call scans argv anew and hands back pointers into it.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pellorkit.h"

namespace {

constexpr size_t kPatternSize = 1024;
const char kFlagValue[] = "1";

// Reads a decimal integer the way "%d" does (leading white space and a sign
// allowed, stops at the first non-digit). Values beyond 32 bits saturate.
bool read_decimal(const char *text, int32_t *out) {
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (end == text) return false;
    if (v > INT32_MAX) *out = INT32_MAX;
    else if (v < INT32_MIN) *out = INT32_MIN;
    else *out = static_cast<int32_t>(v);
    return true;
}

// Reads hexadecimal digits the way "%x" does; the value keeps its low 32
// bits, so eight F digits read as -1.
bool read_hex(const char *text, int32_t *out) {
    char *end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 16);
    if (end == text) return false;
    *out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

bool begins_with_0x(const char *s) { return s[0] == '0' && s[1] == 'x'; }

// The field `index` of the key's value (field 0 when index < 0), running on
// to the end of the value; NULL when the key, or the field, is absent or empty.
const char *r_find_arg_index(int argc, char *const argv[], const char *key, int32_t index) {
    const char *value = nullptr;
    if (!nr_find_arg(argc, argv, key, nullptr, &value)) return nullptr;
    for (; index > 0; --index) {
        const char *comma = std::strchr(value, ',');
        if (comma == nullptr) return nullptr;
        value = comma + 1;
    }
    if (*value == '\0' || *value == ',') return nullptr;
    return value;
}

}  // namespace

extern "C" {

int nr_find_arg(int argc, char *const argv[], const char *key, int32_t *number,
                const char **text) {
    int32_t n = 0;
    if (!read_decimal(key, &n)) n = 0;
    const char *value = nullptr;

    if (n != 0) {
        // A negative positional key never counts down to 0: never found.
        for (int i = 1; i < argc && value == nullptr; ++i) {
            if (argv[i][0] == '-') continue;
            if (--n == 0) value = argv[i];
        }
    } else {
        // A key too long for the pattern buffer cannot be asked for.
        char pattern[kPatternSize];
        const int plen = std::snprintf(pattern, sizeof pattern, "--%s", key);
        if (plen < 0 || static_cast<size_t>(plen) >= sizeof pattern) return 0;
        for (int i = 0; i < argc && value == nullptr; ++i) {
            if (std::strncmp(argv[i], pattern, static_cast<size_t>(plen)) != 0) continue;
            const char *rest = argv[i] + plen;
            value = *rest == '=' ? rest + 1 : kFlagValue;
        }
    }
    if (value == nullptr) return 0;

    if (number != nullptr) {
        int32_t v = 0;
        const bool ok = begins_with_0x(value) ? read_hex(value, &v) : read_decimal(value, &v);
        *number = ok ? v : 0;
    }
    if (text != nullptr) *text = value;
    return 1;
}

const char *nr_find_arg_string(int argc, char *const argv[], const char *key, int32_t index,
                               const char *def) {
    const char *field = r_find_arg_index(argc, argv, key, index);
    return field != nullptr ? field : def;
}

int32_t nr_find_arg_int(int argc, char *const argv[], const char *key, int32_t index,
                        int32_t def) {
    const char *field = r_find_arg_index(argc, argv, key, index);
    if (field == nullptr) return def;
    int32_t v = def;
    const bool ok = begins_with_0x(field) ? read_hex(field + 2, &v) : read_decimal(field, &v);
    return ok ? v : def;
}

double nr_find_arg_double(int argc, char *const argv[], const char *key, int32_t index,
                          double def) {
    const char *field = r_find_arg_index(argc, argv, key, index);
    if (field == nullptr) return def;
    char *end = nullptr;
    const double v = std::strtod(field, &end);
    return end == field ? def : v;
}

OSType nr_find_arg_ostype(int argc, char *const argv[], const char *key, int32_t index,
                          OSType def) {
    const char *field = r_find_arg_index(argc, argv, key, index);
    return field != nullptr ? c2o(field) : def;
}

}  // extern "C"
