// deep_atom.cpp - values in an atom container named by a deep atom path: a
// string of four-character types, each group naming the first child of its
// type under the atom named so far ("" is the root). Find (optionally
// creating missing atoms), read a leaf of an exact size, remove, and replace
// a leaf, with big-endian 1-, 2- and 4-byte integer shortcuts.
//
// Every status is held in 16 bits: a platform result is cut to its low 16
// bits and sign-extended before it is tested.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pellorkit.h"
#include "pellorkit/status.h"
#include "toolbox/byteorder.h"

namespace {

constexpr size_t kPathBufferSize = 1024;
constexpr size_t kGroup = 4;

QTAtomType group_type(const char *group) {
    return tb_read32(reinterpret_cast<const unsigned char *>(group));
}

void trace_group(QTAtomType type) {
    char *text = o2c(type);
    nr_printf(3, "nr_find_deep_atom: ('%s')", text != nullptr ? text : "....");
    std::free(text);
}

}  // namespace

extern "C" {

// The atom found (or created) goes to *atom, 0 whenever the status is not 0.
// Without creation a missing group gives -1 and the rest of the path is
// still traced, looked up under the root.
int nr_find_deep_atom(QTAtomContainer container, const char *path, QTAtom *atom,
                      int create_as_we_go) {
    nr_printf(3, "nr_find_deep_atom: '%s'%s", path != nullptr ? path : "(null)",
              create_as_we_go ? ", create_as_we_go" : "");
    int16_t status = 0;
    QTAtom current = kParentAtomIsContainer;
    const size_t len = path != nullptr ? std::strlen(path) : 1;
    if (len % kGroup != 0) {
        NR_ERROR("nr_find_deep_atom_data: path must be 4n");
        status = -1;
    } else {
        for (size_t at = 0; at < len; at += kGroup) {
            const QTAtomType type = group_type(path + at);
            trace_group(type);
            QTAtom child = QTFindChildByIndex(container, current, type, 1, nullptr);
            if (child == 0 && create_as_we_go) {
                const int16_t err =
                    status16(QTInsertChild(container, current, type, 1, 1, 0, nullptr, &child));
                if (err < 0) {
                    NR_ERROR("QTInsertChild");
                    status = err;
                    break;
                }
            } else if (child == 0) {
                status = -1;
            }
            current = child;
        }
    }
    if (status != 0) {
        current = 0;
    } else {
        nr_printf(3, "nr_find_deep_atom: returning 0x%08x", static_cast<unsigned>(current));
    }
    if (atom != nullptr) *atom = current;
    return status;
}

// Copies the leaf's data only when its size is exactly `length`; otherwise -1
// and dest is untouched. The empty path asks for the root's data, which is
// whatever QTGetAtomDataPtr answers for atom 0 (notLeafAtomErr once the root
// has children).
int nr_get_deep_atom_data(QTAtomContainer container, const char *path, int32_t length,
                          void *dest) {
    QTAtom atom = 0;
    int16_t status = status16(nr_find_deep_atom(container, path, &atom, 0));
    if (status != 0) return status;
    int32_t size = 0;
    Ptr data = nullptr;
    status = status16(QTGetAtomDataPtr(container, atom, &size, &data));
    if (status < 0) {
        NR_ERROR("QTGetAtomDataPtr");
        return status;
    }
    if (size != length) return -1;
    // No call between the pointer and the copy: the block cannot move.
    if (length > 0) std::memcpy(dest, data, static_cast<size_t>(length));
    return 0;
}

// A path that leads nowhere, and the empty path, remove nothing and give 0.
int nr_delete_deep_atom(QTAtomContainer container, const char *path) {
    QTAtom atom = 0;
    if (status16(nr_find_deep_atom(container, path, &atom, 0)) != 0) return 0;
    if (atom == 0) return 0;
    const int16_t status = status16(QTRemoveAtom(container, atom));
    if (status < 0) {
        NR_ERROR("QTRemoveAtom");
        return status;
    }
    return 0;
}

// Replaces the first leaf of the last group's type under the parent path,
// creating missing parents. A path of fewer than four characters names no
// leaf, and one of 1024 or more does not fit the parent-path buffer: both
// are reported and give -1 before the container is touched. Nothing is
// undone after a later failure. The data may lie inside the container itself
// (a value copied from another leaf): it is copied first, since removing the
// old leaf and creating parents move the block.
int nr_insert_deep_atom_data_id(QTAtomContainer container, const char *path, int32_t length,
                                const void *data, QTAtomID id) {
    const size_t len = path != nullptr ? std::strlen(path) : 0;
    if (len < kGroup) {
        NR_ERROR("nr_insert_deep_atom_data_id: path names no leaf");
        return -1;
    }
    if (len >= kPathBufferSize) {
        NR_ERROR("nr_insert_deep_atom_data_id: path too long");
        return -1;
    }
    std::vector<unsigned char> own_copy;
    if (length > 0 && data != nullptr && container != nullptr && *container != nullptr) {
        const auto *p = static_cast<const unsigned char *>(data);
        const auto *block = reinterpret_cast<const unsigned char *>(*container);
        if (p >= block && p < block + GetHandleSize(container)) {
            own_copy.assign(p, p + length);
            data = own_copy.data();
        }
    }
    nr_delete_deep_atom(container, path);

    char parent_path[kPathBufferSize];
    std::snprintf(parent_path, sizeof parent_path, "%.*s", static_cast<int>(len - kGroup), path);
    QTAtom parent = 0;
    int16_t status = status16(nr_find_deep_atom(container, parent_path, &parent, 1));
    if (status < 0) {
        NR_ERROR("nr_find_deep_atom");
        return status;
    }
    const QTAtomType type = group_type(path + len - kGroup);
    QTAtom leaf = 0;
    status = status16(QTInsertChild(container, parent, type, id, 1, length, data, &leaf));
    if (status < 0) {
        NR_ERROR("QTInsertChild");
        return status;
    }
    return 0;
}

int nr_insert_deep_atom_data(QTAtomContainer container, const char *path, int32_t length,
                             const void *data) {
    return nr_insert_deep_atom_data_id(container, path, length, data, 1);
}

int nr_insert_deep_atom_byte(QTAtomContainer container, const char *path, int32_t value) {
    const unsigned char bytes[1] = {static_cast<unsigned char>(value)};
    return nr_insert_deep_atom_data(container, path, 1, bytes);
}

int nr_insert_deep_atom_short(QTAtomContainer container, const char *path, int32_t value) {
    unsigned char bytes[2];
    tb_write16(bytes, static_cast<uint16_t>(value));
    return nr_insert_deep_atom_data(container, path, 2, bytes);
}

int nr_insert_deep_atom_long(QTAtomContainer container, const char *path, int32_t value) {
    unsigned char bytes[4];
    tb_write32(bytes, static_cast<uint32_t>(value));
    return nr_insert_deep_atom_data(container, path, 4, bytes);
}

}  // extern "C"
