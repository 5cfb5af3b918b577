// tessik.cpp - the settings-file inspector: the driver and the atom tree
// listing. `tessik FILE` prints the file's path, the tree's depth, the
// container's size and every atom with its type, ID and child count or a
// hex-and-text dump of its data.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <utility>

#include "pellorkit.h"

namespace {

// The tree text of one atom (its line, its dump rows) is gathered here and
// written in one piece when the atom is done, or before anything else is
// printed, so the output keeps the order of the calls. A long dump is
// written every 64 KiB.
class AtomText {
public:
    // The most that room() may be asked for at once.
    static constexpr size_t kRoom = 4096;

    ~AtomText() { flush(); }
    // Where the next n bytes (n at most kRoom) go; done() takes the end of
    // what was written there.
    char *room(size_t n) {
        if (len_ + n > sizeof buf_) flush();
        return buf_ + len_;
    }
    void done(const char *end) {
        len_ = static_cast<size_t>(end - buf_);
        if (len_ >= kChunk) flush();
    }
    void put(const char *s, size_t n) {
        while (n > 0) {
            if (len_ == sizeof buf_) flush();
            const size_t take = n < sizeof buf_ - len_ ? n : sizeof buf_ - len_;
            std::memcpy(buf_ + len_, s, take);
            len_ += take;
            s += take;
            n -= take;
        }
        if (len_ >= kChunk) flush();
    }
    void put(char c, size_t n) {
        while (n > 0) {
            if (len_ == sizeof buf_) flush();
            const size_t take = n < sizeof buf_ - len_ ? n : sizeof buf_ - len_;
            std::memset(buf_ + len_, c, take);
            len_ += take;
            n -= take;
        }
        if (len_ >= kChunk) flush();
    }
    void flush() {
        if (len_ != 0) std::fwrite(buf_, 1, len_, stdout);
        len_ = 0;
    }

private:
    static constexpr size_t kChunk = 64 * 1024;
    char buf_[kChunk + kRoom];
    size_t len_ = 0;
};

AtomText g_out;

// Reports a failure of the listing: the pending tree text goes out first.
void report(const char *file, int line, const char *text) {
    g_out.flush();
    nr_report_error(file, line, 2, text);
}
#define LIST_ERROR(text) report(__FILE__, __LINE__, (text))

void report_formatted(const char *file, int line, char *message) {
    report(file, line, message);
    std::free(message);
}
#define LIST_ERROR_F(...) report_formatted(__FILE__, __LINE__, nr_sprintf(__VA_ARGS__))

// "xx " for every byte value (a fourth byte so that each can be stored as
// one 4-byte word), and the byte as it shows in the text column.
struct HexTable {
    char hex[256][4];
    char text[256];
    constexpr HexTable() : hex(), text() {
        const char digits[] = "0123456789abcdef";
        for (int i = 0; i < 256; ++i) {
            hex[i][0] = digits[i >> 4];
            hex[i][1] = digits[i & 15];
            hex[i][2] = ' ';
            hex[i][3] = ' ';
            text[i] = (i >= 0x20 && i <= 0x7e) ? static_cast<char>(i) : '.';
        }
    }
};
constexpr HexTable kHex;

// One dump row: 16 "xx " (the last store spills one byte that the padding
// or "| " overwrites), "| ", 16 text characters, "\n".
constexpr size_t kRowBytes = 16 * 3 + 1 + 2 + 16 + 1;

// Writes v in decimal at p and returns the end (at most 11 characters).
char *put_int(char *p, int32_t v) {
    uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    if (v < 0) *p++ = '-';
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    while (n > 0) *p++ = digits[--n];
    return p;
}

// A full row, spelt out at fixed offsets: the common case by far.
template <size_t... I>
char *put_full_row(char *p, const unsigned char *bytes, std::index_sequence<I...>) {
    (std::memcpy(p + 3 * I, kHex.hex[bytes[I]], 4), ...);
    p[48] = '|';
    p[49] = ' ';
    ((p[50 + I] = kHex.text[bytes[I]]), ...);
    p[66] = '\n';
    return p + 67;
}

// Writes one row of `row` bytes (1 to 16) at p: hex, padding to the text
// column, "| ", the text, "\n". Needs kRowBytes of room; returns the end.
char *put_row(char *p, const unsigned char *bytes, int row) {
    if (row == 16) return put_full_row(p, bytes, std::make_index_sequence<16>());
    for (int i = 0; i < row; ++i, p += 3) std::memcpy(p, kHex.hex[bytes[i]], 4);
    std::memset(p, ' ', static_cast<size_t>(16 - row) * 3);
    p += (16 - row) * 3;
    p[0] = '|';
    p[1] = ' ';
    p += 2;
    for (int i = 0; i < row; ++i) p[i] = kHex.text[bytes[i]];
    p[row] = '\n';
    return p + row + 1;
}

// Prints the bytes as rows of 16: hex, padding to the text column, "| ",
// the text, a line end; rows after the first start with "+ " and `indent`
// spaces. Always returns 0.
int r_dump_hex(int indent, int size, const unsigned char *data) {
    const size_t pad = indent > 0 ? static_cast<size_t>(indent) : 0;
    const bool pad_fits = pad + 2 + kRowBytes <= AtomText::kRoom;
    for (int at = 0; at < size; at += 16) {
        const int row = size - at < 16 ? size - at : 16;
        char *p = g_out.room(pad_fits ? pad + 2 + kRowBytes : kRowBytes);
        if (at > 0) {
            if (pad_fits) {
                p[0] = '+';
                p[1] = ' ';
                std::memset(p + 2, ' ', pad);
                p += 2 + pad;
            } else {
                g_out.put("+ ", 2);
                g_out.put(' ', pad);
                p = g_out.room(kRowBytes);
            }
        }
        g_out.done(put_row(p, data + at, row));
    }
    return 0;
}

// The greatest depth in the atom's subtree (the atom itself counting as
// `depth`), or a negative status past the nesting limit. Damage is reported
// where it is met and the walk gives the deepest level it reached: a status
// code is no depth, and the listing meets and reports the same damage.
int r_find_child_depth(QTAtomContainer container, QTAtom atom, int depth) {
    if (depth > kQTMaxAtomNesting) {
        LIST_ERROR_F("atom tree nested deeper than %d levels", kQTMaxAtomNesting);
        return nestingTooDeepErr;
    }
    int max = depth;
    const int count = QTCountChildrenOfType(container, atom, 0);
    QTAtom child = 0;
    for (int i = 1; i <= count; ++i) {
        const OSErr err = QTNextChildAnyType(container, atom, child, &child);
        if (err < 0) {
            LIST_ERROR("could not get next child");
            return max;
        }
        const int d = r_find_child_depth(container, child, depth + 1);
        if (d > max) max = d;
    }
    return max;
}

// Prints the atom's line at `depth`, then its descendants'. The first
// failure stops the atom's work and its status is returned.
int r_show_atom_level(QTAtomContainer container, QTAtom atom, int depth) {
    if (depth > kQTMaxAtomNesting) {
        LIST_ERROR_F("atom tree nested deeper than %d levels", kQTMaxAtomNesting);
        return nestingTooDeepErr;
    }
    QTAtomType type = 0;
    QTAtomID id = 0;
    int status = QTGetAtomTypeAndID(container, atom, &type, &id);
    if (status < 0) {
        LIST_ERROR("could not get atom type");
        return status;
    }
    const int count = QTCountChildrenOfType(container, atom, 0);

    // The depth check above bounds the dots, so the line fits in room().
    static_assert(2 + kQTMaxAtomNesting + 4 + 1 + 11 + 3 + 1 + 11 + 11 <= AtomText::kRoom);
    char *type_text = o2c(type);
    char *p = g_out.room(AtomText::kRoom);
    p[0] = '+';
    p[1] = ' ';
    std::memset(p + 2, '.', static_cast<size_t>(depth));
    p += 2 + depth;
    std::memcpy(p, type_text != nullptr ? type_text : "????", 4);
    std::free(type_text);
    p[4] = '[';
    p = put_int(p + 5, id);
    p[0] = ']';
    p[1] = ':';
    p[2] = ' ';
    p += 3;
    if (count != 0) {
        *p++ = '(';
        p = put_int(p, count);
        std::memcpy(p, " children)\n", 11);
        g_out.done(p + 11);
    } else {
        g_out.done(p);
        int32_t size = 0;
        Ptr data = nullptr;
        status = QTGetAtomDataPtr(container, atom, &size, &data);
        if (status < 0) {
            LIST_ERROR("could not get atom data ptr");
            return status;
        }
        if (size == 0 || data == nullptr) {
            g_out.put("-\n", 2);
        } else if ((status = r_dump_hex(depth + 9, size, reinterpret_cast<unsigned char *>(data))) < 0) {
            LIST_ERROR("could not dump hex");
            return status;
        }
    }
    g_out.flush();

    QTAtom child = 0;
    for (int i = 1; i <= count; ++i) {
        status = QTNextChildAnyType(container, atom, child, &child);
        if (status < 0) {
            // The 1-based number of the child that could not be found.
            LIST_ERROR_F("could not load child %d", i);
            return status;
        }
        status = r_show_atom_level(container, child, depth + 1);
        if (status < 0) {
            LIST_ERROR_F("could not show level %d", depth + 1);
            return status;
        }
    }
    return 0;
}

// The report: depth, size and the whole tree, inside one lock of the
// container. Returns 0, or the first failure's status.
int r_show_atom_contents(QTAtomContainer container) {
    int status = QTLockContainer(container);
    if (status < 0) {
        LIST_ERROR("could not lock container");
        QTUnlockContainer(container);
        return status;
    }
    nr_print_int("depth", r_find_child_depth(container, 0, 0));
    nr_print_int("file size", GetHandleSize(container));
    status = r_show_atom_level(container, 0, 0);
    if (status < 0) LIST_ERROR_F("could now show atom");
    QTUnlockContainer(container);
    return status;
}

void print_banner() { nr_print_version(__FILE__); }

void print_line(const char *text) { std::printf(":  %s\n", text); }

[[noreturn]] void version() {
    print_banner();
    std::exit(1);
}

[[noreturn]] void usage() {
    print_banner();
    print_line("tessik is a command line tool");
    print_line("for manipulating settings files");
    print_line("produced by morvane.");
    std::fputs(":\n", stdout);
    print_line("usage: tessik <settings file>");
    std::fputs(":\n", stdout);
    print_line("\"tessik --man | more\" will tell you the");
    print_line("same thing with a lot more words.");
    std::fputs(":\n", stdout);
    nr_printf(1, "");
    std::exit(0);
}

[[noreturn]] void man() {
    print_banner();
    std::fputs(":\n", stdout);
    print_line("No man page in this build.");
    std::fputs(":\n", stdout);
    std::exit(1);
}

void driver_error(const char *file, int line, char *message) {
    nr_report_error(file, line, 1, message);
    std::free(message);
}
#define DRIVER_ERROR(...) driver_error(__FILE__, __LINE__, nr_sprintf(__VA_ARGS__))

}  // namespace

// A fuzz target includes this file with TESSIK_NO_MAIN to drive the listing.
#ifndef TESSIK_NO_MAIN
int main(int argc, char *argv[]) {
    EnterMovies();
    std::setbuf(stdout, nullptr);

    if (nr_find_arg(argc, argv, "version", nullptr, nullptr)) version();
    if (nr_find_arg(argc, argv, "help", nullptr, nullptr)) usage();
    if (nr_find_arg(argc, argv, "man", nullptr, nullptr)) man();
    g_verbosity = nr_find_arg_int(argc, argv, "verbosity", 0, 1);

    const char *path = nullptr;
    if (!nr_find_arg(argc, argv, "1", nullptr, &path)) usage();

    QTAtomContainer container = nullptr;
    int status = nr_file_to_atom_container(path, &container);
    if (status < 0) {
        DRIVER_ERROR("could not load settings file %s", path);
    } else {
        nr_print_info("settings file", path);
        status = r_show_atom_contents(container);
        if (status < 0) DRIVER_ERROR("problem displaying atom %s", path);
    }
    if (container != nullptr) QTDisposeAtomContainer(container);
    nr_printf(1, "");
    return status == 0 ? 0 : 1;
}
#endif
