// tessik.cpp - the settings-file inspector: the driver and the atom tree
// listing. `tessik FILE` prints the file's path, the tree's depth, the
// container's size and every atom with its type, ID and child count or a
// hex-and-text dump of its data.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pellorkit.h"

namespace {

// The tree text of one atom (its line, its dump rows) is gathered here and
// written in one piece when the atom is done, or before anything else is
// printed, so the output keeps the order of the calls. A long dump is
// written every 64 KiB.
class AtomText {
public:
    AtomText() { buf_.reserve(kChunk + 256); }
    ~AtomText() { flush(); }
    void put(const char *s, size_t n) {
        buf_.append(s, n);
        if (buf_.size() >= kChunk) flush();
    }
    void put(const char *s) { put(s, std::strlen(s)); }
    void put(char c, size_t n) { buf_.append(n, c); }
    std::string &raw() { return buf_; }
    void flush() {
        if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), stdout);
        buf_.clear();
    }

private:
    static constexpr size_t kChunk = 64 * 1024;
    std::string buf_;
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

// "xx " for every byte value, and the byte as it shows in the text column.
struct HexTable {
    char hex[256][3];
    char text[256];
    constexpr HexTable() : hex(), text() {
        const char digits[] = "0123456789abcdef";
        for (int i = 0; i < 256; ++i) {
            hex[i][0] = digits[i >> 4];
            hex[i][1] = digits[i & 15];
            hex[i][2] = ' ';
            text[i] = (i >= 0x20 && i <= 0x7e) ? static_cast<char>(i) : '.';
        }
    }
};
constexpr HexTable kHex;

// Prints the bytes as rows of 16: hex, padding to the text column, "| ",
// the text, a line end; rows after the first start with "+ " and `indent`
// spaces. Always returns 0.
int r_dump_hex(int indent, int size, const unsigned char *data) {
    for (int at = 0; at < size; at += 16) {
        if (at > 0) {
            g_out.put("+ ", 2);
            g_out.put(' ', static_cast<size_t>(indent > 0 ? indent : 0));
        }
        const int row = size - at < 16 ? size - at : 16;
        std::string &b = g_out.raw();
        for (int i = 0; i < row; ++i) b.append(kHex.hex[data[at + i]], 3);
        b.append(static_cast<size_t>(16 - row) * 3, ' ');
        b.append("| ", 2);
        for (int i = 0; i < row; ++i) b.push_back(kHex.text[data[at + i]]);
        g_out.put("\n", 1);
    }
    return 0;
}

// The greatest depth in the atom's subtree (the atom itself counting as
// `depth`), or a negative status when the atom's own children cannot be
// walked. A child whose walk fails has reported it and adds nothing.
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
            return err;
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

    char head[64];
    char *type_text = o2c(type);
    g_out.put("+ ", 2);
    g_out.put('.', static_cast<size_t>(depth));
    const int n = std::snprintf(head, sizeof head, "%s[%d]: ", type_text != nullptr ? type_text : "????", id);
    std::free(type_text);
    g_out.put(head, static_cast<size_t>(n));

    if (count != 0) {
        const int m = std::snprintf(head, sizeof head, "(%d children)\n", count);
        g_out.put(head, static_cast<size_t>(m));
    } else {
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
