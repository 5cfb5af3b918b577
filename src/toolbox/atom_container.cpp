// atom_container.cpp - atom containers in the published stored layout.
//
// The handle's block is the stored form itself, byte for byte, big-endian:
//
//   container header, 12 bytes
//     offset  size  meaning
//     0       10    reserved (zero)
//     10      2     lock count as stored (never changed here)
//     12      ...   the root atom, type 'sean', ID 1
//
//   atom, a 20-byte header followed by its children or, for a leaf, its data
//     +0      4     size in bytes, header included (at least 20)
//     +4      4     type (four-character code)
//     +8      4     ID (signed)
//     +12     2     reserved
//     +14     2     child count (0: a leaf, whose payload is its data)
//     +16     4     reserved
//     +20     ...   payload
//
// An atom (QTAtom) is the byte offset of its header in the block; 0 names
// the container, which the per-atom calls take as its root atom. Blocks read
// from files are used as they stand, so every call checks what it touches:
// an atom's header and extent must lie in the block, and a child found from
// its parent must lie inside the parent's payload. Each check is constant
// time, so walking a whole tree stays linear in its size.
#include <cstdint>
#include <cstring>
#include <vector>

#include "toolbox/internal.h"
#include "toolbox/toolbox.h"

namespace {

constexpr uint32_t kContainerHeaderSize = 12;
constexpr uint32_t kAtomHeaderSize = 20;
constexpr uint32_t kRootOffset = kContainerHeaderSize;
constexpr uint32_t kRootType = 0x7365616e;  // 'sean'

struct View {
    unsigned char *base;
    uint32_t size;
};

bool view_of(QTAtomContainer c, View *v) {
    if (c == nullptr || *c == nullptr) return false;
    const Size size = GetHandleSize(c);
    if (size < 0) return false;
    v->base = reinterpret_cast<unsigned char *>(*c);
    v->size = static_cast<uint32_t>(size);
    return true;
}

uint32_t offset_of(QTAtom atom) {
    return atom == kParentAtomIsContainer ? kRootOffset : static_cast<uint32_t>(atom);
}

// True when an atom header and its whole extent lie inside [lo, hi) of the
// block (hi never beyond the block).
bool atom_fits(const View &v, uint64_t off, uint64_t lo, uint64_t hi) {
    if (off < lo || off + kAtomHeaderSize > hi) return false;
    const uint32_t size = tb_read32(v.base + off);
    return size >= kAtomHeaderSize && off + size <= hi;
}

bool atom_ok(const View &v, QTAtom atom) {
    if (atom < 0) return false;
    return atom_fits(v, offset_of(atom), kRootOffset, v.size);
}

uint32_t atom_size(const View &v, uint32_t off) { return tb_read32(v.base + off); }
uint32_t atom_type(const View &v, uint32_t off) { return tb_read32(v.base + off + 4); }
uint16_t child_count(const View &v, uint32_t off) { return tb_read16(v.base + off + 14); }

// Walks the children of a checked parent in stored order. next() checks each
// child against the parent's payload before handing it out.
struct ChildWalk {
    const View &v;
    uint32_t end;     // end of the parent's extent
    uint32_t pos;     // offset of the next child
    uint32_t left;    // children the parent's count still promises
    bool damaged = false;

    ChildWalk(const View &view, uint32_t parent)
        : v(view),
          end(parent + atom_size(view, parent)),
          pos(parent + kAtomHeaderSize),
          left(child_count(view, parent)) {}

    bool next(uint32_t *child) {
        if (left == 0) return false;
        if (!atom_fits(v, pos, pos, end)) {
            damaged = true;
            return false;
        }
        *child = pos;
        pos += atom_size(v, pos);
        --left;
        return true;
    }
};

// The chain of atoms from the root down to `target` (both included), each
// found as a checked child of the one before. Fails when target is not an
// atom of the tree or a parent on the way is damaged.
OSErr chain_to(const View &v, uint32_t target, std::vector<uint32_t> *chain) {
    chain->clear();
    if (!atom_fits(v, kRootOffset, kRootOffset, v.size)) return invalidAtomContainerErr;
    uint32_t cur = kRootOffset;
    chain->push_back(cur);
    while (cur != target) {
        ChildWalk walk(v, cur);
        uint32_t child = 0;
        bool found = false;
        while (walk.next(&child)) {
            if (target >= child && target < child + atom_size(v, child)) {
                found = true;
                break;
            }
        }
        if (!found) return walk.damaged ? invalidAtomErr : cannotFindAtomErr;
        cur = child;
        chain->push_back(cur);
    }
    return noErr;
}

// Checks that all the children a parent counts are present and returns the
// offset just past the last of them.
OSErr end_of_children(const View &v, uint32_t parent, uint32_t *end) {
    ChildWalk walk(v, parent);
    uint32_t child = 0;
    while (walk.next(&child)) {
    }
    if (walk.damaged) return invalidAtomErr;
    *end = walk.pos;
    return noErr;
}

}  // namespace

extern "C" {

OSErr QTNewAtomContainer(QTAtomContainer *container) {
    if (container == nullptr) return paramErr;
    *container = nullptr;
    Handle h = NewHandleClear(kContainerHeaderSize + kAtomHeaderSize);
    if (h == nullptr) return MemError();
    auto *root = reinterpret_cast<unsigned char *>(*h) + kRootOffset;
    tb_write32(root, kAtomHeaderSize);
    tb_write32(root + 4, kRootType);
    tb_write32(root + 8, 1);
    *container = h;
    return noErr;
}

OSErr QTDisposeAtomContainer(QTAtomContainer container) {
    if (container == nullptr) return nilHandleErr;
    DisposeHandle(container);
    return noErr;
}

OSErr QTLockContainer(QTAtomContainer container) {
    if (container == nullptr) return nilHandleErr;
    ++tb_master_record(container)->lock_count;
    return noErr;
}

OSErr QTUnlockContainer(QTAtomContainer container) {
    if (container == nullptr) return nilHandleErr;
    MasterRecord *rec = tb_master_record(container);
    if (rec->lock_count > 0) --rec->lock_count;
    return noErr;
}

int32_t QTGetContainerLockCount(QTAtomContainer container) {
    return container == nullptr ? 0 : tb_master_record(container)->lock_count;
}

int32_t QTCountChildrenOfType(QTAtomContainer container, QTAtom parent, QTAtomType childType) {
    View v;
    if (!view_of(container, &v) || !atom_ok(v, parent)) return 0;
    const uint32_t off = offset_of(parent);
    // Any type: the stored count, so that a count the payload cannot hold is
    // met (and reported) when the missing child is asked for.
    if (childType == 0) return child_count(v, off);
    ChildWalk walk(v, off);
    uint32_t child = 0;
    int32_t n = 0;
    while (walk.next(&child)) {
        if (atom_type(v, child) == childType) ++n;
    }
    return n;
}

OSErr QTNextChildAnyType(QTAtomContainer container, QTAtom parent, QTAtom currentChild,
                         QTAtom *nextChild) {
    if (nextChild == nullptr) return paramErr;
    *nextChild = 0;
    View v;
    if (!view_of(container, &v)) return invalidAtomContainerErr;
    if (!atom_ok(v, parent)) return invalidAtomErr;
    const uint32_t p = offset_of(parent);
    const uint32_t begin = p + kAtomHeaderSize;
    const uint32_t end = p + atom_size(v, p);
    if (child_count(v, p) == 0) return cannotFindAtomErr;
    uint64_t pos = begin;
    if (currentChild != 0) {
        if (currentChild < 0 || !atom_fits(v, static_cast<uint32_t>(currentChild), begin, end))
            return invalidAtomErr;
        pos = static_cast<uint64_t>(currentChild) + atom_size(v, static_cast<uint32_t>(currentChild));
    }
    if (pos >= end) return cannotFindAtomErr;
    if (!atom_fits(v, pos, begin, end)) return invalidAtomErr;
    *nextChild = static_cast<QTAtom>(pos);
    return noErr;
}

QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parent, QTAtomType atomType,
                          int16_t index, QTAtomID *id) {
    View v;
    if (index < 1 || !view_of(container, &v) || !atom_ok(v, parent)) return 0;
    ChildWalk walk(v, offset_of(parent));
    uint32_t child = 0;
    int16_t seen = 0;
    while (walk.next(&child)) {
        if (atom_type(v, child) != atomType) continue;
        if (++seen == index) {
            if (id != nullptr) *id = static_cast<QTAtomID>(tb_read32(v.base + child + 8));
            return static_cast<QTAtom>(child);
        }
    }
    return 0;
}

OSErr QTGetAtomTypeAndID(QTAtomContainer container, QTAtom atom, QTAtomType *atomType,
                         QTAtomID *id) {
    View v;
    if (!view_of(container, &v)) return invalidAtomContainerErr;
    if (!atom_ok(v, atom)) return invalidAtomErr;
    const uint32_t off = offset_of(atom);
    if (atomType != nullptr) *atomType = atom_type(v, off);
    if (id != nullptr) *id = static_cast<QTAtomID>(tb_read32(v.base + off + 8));
    return noErr;
}

OSErr QTGetAtomDataPtr(QTAtomContainer container, QTAtom atom, int32_t *dataSize,
                       Ptr *atomData) {
    View v;
    if (!view_of(container, &v)) return invalidAtomContainerErr;
    if (!atom_ok(v, atom)) return invalidAtomErr;
    const uint32_t off = offset_of(atom);
    if (child_count(v, off) != 0) return notLeafAtomErr;
    const uint32_t size = atom_size(v, off) - kAtomHeaderSize;
    if (dataSize != nullptr) *dataSize = static_cast<int32_t>(size);
    if (atomData != nullptr)
        *atomData = size == 0 ? nullptr : reinterpret_cast<Ptr>(v.base + off + kAtomHeaderSize);
    return noErr;
}

OSErr QTInsertChild(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                    QTAtomID id, int16_t index, int32_t dataSize, const void *data,
                    QTAtom *newAtom) {
    if (newAtom != nullptr) *newAtom = 0;
    if (dataSize < 0 || (dataSize > 0 && data == nullptr) || parentAtom < 0) return paramErr;
    View v;
    if (!view_of(container, &v)) return invalidAtomContainerErr;
    std::vector<uint32_t> chain;
    OSErr err = chain_to(v, offset_of(parentAtom), &chain);
    if (err != noErr) return err;
    const uint32_t parent = chain.back();
    const uint16_t count = child_count(v, parent);
    if (count == 0 && atom_size(v, parent) != kAtomHeaderSize) return notLeafAtomErr;
    if (count == UINT16_MAX) return paramErr;

    // Where the new atom goes: before the index-th child of its type, or
    // after the last child when there are not that many.
    uint32_t pos = 0;
    {
        ChildWalk walk(v, parent);
        uint32_t child = 0;
        int32_t seen = 0;
        while (pos == 0 && walk.next(&child)) {
            if (atom_type(v, child) == atomType && ++seen == index) pos = child;
        }
        if (pos == 0) {
            err = end_of_children(v, parent, &pos);
            if (err != noErr) return err;
        }
    }

    const uint64_t delta = static_cast<uint64_t>(kAtomHeaderSize) + static_cast<uint32_t>(dataSize);
    if (v.size + delta > INT32_MAX) return memFullErr;

    // The data may lie inside this very block, which is about to move.
    std::vector<unsigned char> copy;
    const auto *src = static_cast<const unsigned char *>(data);
    if (dataSize > 0 && src >= v.base && src < v.base + v.size) {
        copy.assign(src, src + dataSize);
        src = copy.data();
    }

    const uint32_t old_size = v.size;
    SetHandleSize(container, static_cast<Size>(old_size + delta));
    if (MemError() != noErr) return MemError();
    view_of(container, &v);
    std::memmove(v.base + pos + delta, v.base + pos, old_size - pos);
    unsigned char *h = v.base + pos;
    std::memset(h, 0, kAtomHeaderSize);
    tb_write32(h, static_cast<uint32_t>(delta));
    tb_write32(h + 4, atomType);
    tb_write32(h + 8, static_cast<uint32_t>(id));
    if (dataSize > 0) std::memcpy(h + kAtomHeaderSize, src, static_cast<size_t>(dataSize));
    for (uint32_t a : chain) tb_write32(v.base + a, atom_size(v, a) + static_cast<uint32_t>(delta));
    tb_write16(v.base + parent + 14, static_cast<uint16_t>(count + 1));
    if (newAtom != nullptr) *newAtom = static_cast<QTAtom>(pos);
    return noErr;
}

OSErr QTRemoveAtom(QTAtomContainer container, QTAtom atom) {
    View v;
    if (!view_of(container, &v)) return invalidAtomContainerErr;
    if (atom <= 0 || static_cast<uint32_t>(atom) == kRootOffset) return paramErr;
    std::vector<uint32_t> chain;
    const OSErr err = chain_to(v, static_cast<uint32_t>(atom), &chain);
    if (err != noErr) return err;
    const uint32_t off = chain.back();
    chain.pop_back();
    const uint32_t parent = chain.back();
    const uint32_t size = atom_size(v, off);
    std::memmove(v.base + off, v.base + off + size, v.size - off - size);
    for (uint32_t a : chain) tb_write32(v.base + a, atom_size(v, a) - size);
    tb_write16(v.base + parent + 14, static_cast<uint16_t>(child_count(v, parent) - 1));
    SetHandleSize(container, static_cast<Size>(v.size - size));  // shrinking cannot fail
    return noErr;
}

}  // extern "C"
