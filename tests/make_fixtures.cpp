// make_fixtures - writes the example settings files of examples/ with the
// toolbox, the way a program that saves its settings would.
//
//   make_fixtures OUTDIR
#include <cstdio>
#include <cstring>
#include <string>

#include "pellorkit.h"
#include "toolbox/byteorder.h"

namespace {

constexpr OSType code(const char (&s)[5]) {
    return (static_cast<OSType>(static_cast<unsigned char>(s[0])) << 24) |
           (static_cast<OSType>(static_cast<unsigned char>(s[1])) << 16) |
           (static_cast<OSType>(static_cast<unsigned char>(s[2])) << 8) |
           static_cast<OSType>(static_cast<unsigned char>(s[3]));
}

QTAtom add(QTAtomContainer c, QTAtom parent, OSType type, QTAtomID id, const void *data = nullptr,
           int32_t size = 0) {
    QTAtom atom = 0;
    if (QTInsertChild(c, parent, type, id, 0, size, data, &atom) != noErr) {
        std::fprintf(stderr, "make_fixtures: QTInsertChild failed\n");
        std::exit(1);
    }
    return atom;
}

QTAtom add32(QTAtomContainer c, QTAtom parent, OSType type, uint32_t value) {
    unsigned char b[4];
    tb_write32(b, value);
    return add(c, parent, type, 1, b, 4);
}

QTAtom add16(QTAtomContainer c, QTAtom parent, OSType type, uint16_t value) {
    unsigned char b[2];
    tb_write16(b, value);
    return add(c, parent, type, 1, b, 2);
}

void save(QTAtomContainer c, const std::string &path) {
    if (nr_atom_container_to_file(c, path.c_str()) != 0) {
        std::fprintf(stderr, "make_fixtures: could not save %s\n", path.c_str());
        std::exit(1);
    }
    QTDisposeAtomContainer(c);
}

// Video compression settings: spatial, temporal and data-rate settings.
void video(const std::string &dir) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    QTAtom vide = add(c, 0, code("vide"), 1);
    QTAtom sptl = add(c, vide, code("sptl"), 1);
    add32(c, sptl, code("cdec"), code("avc1"));
    add16(c, sptl, code("dpth"), 24);
    add32(c, sptl, code("qual"), 0x00000300);
    QTAtom tprl = add(c, vide, code("tprl"), 1);
    add32(c, tprl, code("frat"), 0x001df854);  // 29.97 in 16.16
    add32(c, tprl, code("keyf"), 30);
    QTAtom drat = add(c, vide, code("drat"), 1);
    add32(c, drat, code("drat"), 625000);
    add32(c, drat, code("mdrt"), 0);
    QTAtom isiz = add(c, 0, code("isiz"), 1);
    add32(c, isiz, code("iwdt"), 1920);
    add32(c, isiz, code("ihgt"), 1080);
    const char name[] = "HD 1080p, web delivery";
    add(c, 0, code("name"), 1, name, static_cast<int32_t>(std::strlen(name)));
    add(c, 0, code("save"), 1, "\x01", 1);
    save(c, dir + "/video_settings.st");
}

// Sound compression settings.
void sound(const std::string &dir) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    QTAtom soun = add(c, 0, code("soun"), 1);
    add32(c, soun, code("ssct"), code("aac "));
    add32(c, soun, code("ssrt"), 0xac440000);  // 44100.0 in unsigned 16.16
    add16(c, soun, code("ssss"), 16);
    add16(c, soun, code("sscc"), 2);
    QTAtom opts = add(c, soun, code("cmop"), 1);
    add32(c, opts, code("brat"), 256000);
    add32(c, opts, code("qual"), 0x7f);
    add(c, opts, code("mgck"), 1);  // an empty leaf
    save(c, dir + "/sound_settings.st");
}

}  // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fixtures OUTDIR\n");
        return 2;
    }
    video(argv[1]);
    sound(argv[1]);
    return 0;
}
