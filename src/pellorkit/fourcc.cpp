// fourcc.cpp - four-character codes and their text form. Character 1 is the
// most significant byte; code 0 and the text "...." stand for each other.
#include <cstdlib>
#include <cstring>

#include "pellorkit.h"
#include "toolbox/byteorder.h"

extern "C" {

// A new 5-byte block: four printable characters (others become '.') and a
// NUL. NULL only when the block cannot be had.
char *o2c(OSType code) {
    char *text = static_cast<char *>(std::malloc(5));
    if (text == nullptr) return nullptr;
    unsigned char bytes[4];
    tb_write32(bytes, code);
    for (int i = 0; i < 4; ++i)
        text[i] = (bytes[i] >= 0x20 && bytes[i] <= 0x7e) ? static_cast<char>(bytes[i]) : '.';
    text[4] = '\0';
    return text;
}

OSType c2o(const char *text) {
    if (std::strncmp(text, "....", 4) == 0) return 0;
    unsigned char bytes[4] = {' ', ' ', ' ', ' '};
    for (int i = 0; i < 4 && text[i] != '\0' && text[i] != ','; ++i)
        bytes[i] = static_cast<unsigned char>(text[i]);
    return tb_read32(bytes);
}

// A text shorter than four characters is read whole, padded with spaces.
OSType nr_last_four_chars(const char *text) {
    const size_t n = std::strlen(text);
    return c2o(n >= 4 ? text + n - 4 : text);
}

}  // extern "C"
