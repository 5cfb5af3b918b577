// byteorder.h - the one pair of big-endian helpers that every file uses to
// turn values into bytes and back. Callers check the bounds first.
#ifndef TESSIK_BYTEORDER_H
#define TESSIK_BYTEORDER_H

#include <cstdint>

inline uint16_t tb_read16(const unsigned char *p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t tb_read32(const unsigned char *p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void tb_write16(unsigned char *p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}
inline void tb_write32(unsigned char *p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

#endif
