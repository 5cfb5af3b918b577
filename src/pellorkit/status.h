// status.h - the library's files hold every platform status in 16 bits: a
// wider result is cut to its low 16 bits and sign-extended before it is
// tested or handed on.
#ifndef PELLORKIT_STATUS_H
#define PELLORKIT_STATUS_H

#include <cstdint>

inline int16_t status16(long s) { return static_cast<int16_t>(static_cast<uint16_t>(s)); }

#endif
