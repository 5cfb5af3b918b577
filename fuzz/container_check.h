// container_check.h - what the fuzz targets take as a well-formed container,
// checked straight from the bytes (independent of the toolbox): a 12-byte
// header, a root atom at offset 12 that fits the block, and under every
// atom with a child count its children, each fitting what its parent has
// left, exactly that many, filling the parent's payload to its end. With
// `strict`, the root also ends exactly at the end of the block.
#ifndef TESSIK_FUZZ_CONTAINER_CHECK_H
#define TESSIK_FUZZ_CONTAINER_CHECK_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolbox/byteorder.h"

inline bool ContainerWellFormed(const unsigned char *b, size_t size, bool strict) {
    if (size < 32) return false;
    const uint64_t root_size = tb_read32(b + 12);
    if (root_size < 20 || 12 + root_size > size) return false;
    if (strict && 12 + root_size != size) return false;
    std::vector<uint64_t> parents{12};  // atoms whose children are still to check
    while (!parents.empty()) {
        const uint64_t p = parents.back();
        parents.pop_back();
        const uint64_t end = p + tb_read32(b + p);
        const unsigned count = tb_read16(b + p + 14);
        if (count == 0) continue;
        uint64_t pos = p + 20;
        for (unsigned i = 0; i < count; ++i) {
            if (pos + 20 > end) return false;
            const uint64_t s = tb_read32(b + pos);
            if (s < 20 || pos + s > end) return false;
            parents.push_back(pos);
            pos += s;
        }
        if (pos != end) return false;
    }
    return true;
}

#endif
