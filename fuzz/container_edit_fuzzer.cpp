// container_edit_fuzzer - a container plus a short script of edits and reads.
//
// Input: container bytes, then the script, then one byte giving the script's
// length (cut to what is there). Each script step picks a call (the atom
// container calls, or the deep-path finds, replaces, reads and removes
// above them), its atoms
// (from a walk of the current tree, or raw offsets), its types (from the
// tree, a few fixed ones, or raw codes) and its values from the script bytes.
// After every step: a call that failed or only reads has left the bytes as
// they were; an edit that succeeded keeps a well-formed container well
// formed and did what it said. Any breach aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "container_check.h"
#include "pellorkit.h"

namespace {

// TESSIK_FUZZ_TRACE=1 in the environment traces each edit on stderr, for
// reading a finding.
bool g_trace = false;

[[noreturn]] void breach(const char *what) {
    std::fprintf(stderr, "container_edit_fuzzer: %s\n", what);
    std::abort();
}

struct Script {
    const uint8_t *p;
    size_t n;
    bool empty() const { return n == 0; }
    uint8_t u8() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | u8();
        return v;
    }
};

constexpr QTAtomType kFixedTypes[] = {0x7365616e /* sean */, 0x76696465 /* vide */, 0x7370746c /* sptl */,
                                      0x6e616d65 /* name */, 0x61626364 /* abcd */, 0};

// Atoms and types met in a walk of the tree through the container calls.
struct Tree {
    std::vector<QTAtom> atoms;
    std::vector<QTAtomType> types;
};

Tree walk(QTAtomContainer c) {
    Tree t;
    t.atoms.push_back(0);
    for (size_t i = 0; i < t.atoms.size() && t.atoms.size() < 256; ++i) {
        const QTAtom parent = t.atoms[i];
        const int32_t count = QTCountChildrenOfType(c, parent, 0);
        QTAtom child = 0;
        for (int32_t k = 0; k < count && t.atoms.size() < 256; ++k) {
            if (QTNextChildAnyType(c, parent, child, &child) != noErr) break;
            t.atoms.push_back(child);
            QTAtomType type = 0;
            if (QTGetAtomTypeAndID(c, child, &type, nullptr) != noErr) breach("a child found has no type");
            if (t.types.size() < 64) t.types.push_back(type);
        }
    }
    return t;
}

QTAtom pick_atom(Script &s, const Tree &t) {
    const uint8_t b = s.u8();
    if (b >= 0xf0) return static_cast<QTAtom>(s.u32());
    return t.atoms[b % t.atoms.size()];
}

QTAtomType pick_type(Script &s, const Tree &t) {
    const uint8_t b = s.u8();
    if (b >= 0xf0) return s.u32();
    if (b >= 0xc0 || t.types.empty()) return kFixedTypes[b % std::size(kFixedTypes)];
    return t.types[b % t.types.size()];
}

std::string bytes_of(QTAtomContainer c) { return std::string(*c, static_cast<size_t>(GetHandleSize(c))); }

struct Shape {
    bool loose;
    bool strict;
};

Shape shape_of(QTAtomContainer c) {
    const auto *b = reinterpret_cast<const unsigned char *>(*c);
    const size_t size = static_cast<size_t>(GetHandleSize(c));
    return {ContainerWellFormed(b, size, false), ContainerWellFormed(b, size, true)};
}

void check_kept(const Shape &before, QTAtomContainer c) {
    const Shape after = shape_of(c);
    if (before.loose && !after.loose) breach("an edit broke a well-formed container");
    if (before.strict && !after.strict) breach("an edit left bytes past the root");
}

const void *pick_data(QTAtomContainer c, Script &s, bool inside_ok, int32_t *len, std::string *copy);

void insert(QTAtomContainer c, Script &s, const Tree &t) {
    const QTAtom parent = pick_atom(s, t);
    const QTAtomType type = pick_type(s, t);
    const QTAtomID id = static_cast<QTAtomID>(s.u32());
    const int16_t index = static_cast<int8_t>(s.u8());
    int32_t len = 0;
    std::string data;
    const void *src = pick_data(c, s, true, &len, &data);
    const std::string before = bytes_of(c);
    const Shape shape = shape_of(c);
    QTAtom made = -1;
    const OSErr err = QTInsertChild(c, parent, type, id, index, len, src, &made);
    if (g_trace)
        std::fprintf(stderr, "insert parent %d type %08x id %d index %d len %d -> %d atom %d (size %zu, wf %d/%d)\n",
                     parent, type, id, index, len, err, made, before.size(), shape.loose, shape.strict);
    if (err != noErr) {
        if (made != 0) breach("a failed insert handed back an atom");
        if (bytes_of(c) != before) breach("a failed insert changed the container");
        return;
    }
    check_kept(shape, c);
    if (GetHandleSize(c) != static_cast<Size>(before.size() + 20 + static_cast<size_t>(len)))
        breach("an insert grew the container by the wrong size");
    QTAtomType got_type = 0;
    QTAtomID got_id = 0;
    if (QTGetAtomTypeAndID(c, made, &got_type, &got_id) != noErr || got_type != type || got_id != id)
        breach("the inserted atom reads back wrong");
    int32_t got_len = -1;
    Ptr got = nullptr;
    if (QTGetAtomDataPtr(c, made, &got_len, &got) != noErr || got_len != len ||
        (len > 0 && std::memcmp(got, data.data(), static_cast<size_t>(len)) != 0))
        breach("the inserted data reads back wrong");
    if (shape.loose && type != 0) {
        // The index-th child of its type, or the last one when there were
        // fewer (or the index is below 1). Type 0 counts every child.
        const int32_t n = QTCountChildrenOfType(c, parent, type);
        const int32_t at = index >= 1 && index <= n ? index : n;
        if (at <= INT16_MAX && QTFindChildByIndex(c, parent, type, static_cast<int16_t>(at), nullptr) != made)
            breach("the inserted atom is not at its index");
    }
}

void remove(QTAtomContainer c, Script &s, const Tree &t) {
    const QTAtom atom = pick_atom(s, t);
    const std::string before = bytes_of(c);
    const Shape shape = shape_of(c);
    int32_t gone = 0;
    if (atom > 0 && static_cast<size_t>(atom) + 4 <= before.size())
        gone = static_cast<int32_t>(tb_read32(reinterpret_cast<const unsigned char *>(before.data()) + atom));
    const OSErr err = QTRemoveAtom(c, atom);
    if (g_trace) std::fprintf(stderr, "remove %d -> %d\n", atom, err);
    if (err != noErr) {
        if (bytes_of(c) != before) breach("a failed remove changed the container");
        return;
    }
    check_kept(shape, c);
    if (GetHandleSize(c) != static_cast<Size>(before.size()) - gone) breach("a remove took the wrong size");
}

// The calls that only read: each must leave the bytes alone.
void read_only(QTAtomContainer c, Script &s, const Tree &t, uint8_t op) {
    const std::string before = bytes_of(c);
    volatile unsigned sink = 0;
    switch (op) {
    case 0: {
        const QTAtom parent = pick_atom(s, t);
        const QTAtomType type = pick_type(s, t);
        QTAtomID id = 0;
        const QTAtom found = QTFindChildByIndex(c, parent, type, static_cast<int8_t>(s.u8()), (s.u8() & 1) ? &id : nullptr);
        if (found != 0) {
            QTAtomType got = 0;
            if (QTGetAtomTypeAndID(c, found, &got, nullptr) != noErr || got != type) breach("found a child of another type");
        }
        break;
    }
    case 1: {
        int32_t size = 0;
        Ptr data = nullptr;
        if (QTGetAtomDataPtr(c, pick_atom(s, t), &size, &data) == noErr) {
            if (size < 0) breach("negative data size");
            if (data != nullptr && (data < *c || data + size > *c + GetHandleSize(c))) breach("data outside the block");
            for (int32_t i = 0; data != nullptr && i < size; ++i) sink = sink + static_cast<unsigned char>(data[i]);
        }
        break;
    }
    case 2: {
        const QTAtom parent = pick_atom(s, t);
        const int32_t count = QTCountChildrenOfType(c, parent, (s.u8() & 1) ? pick_type(s, t) : 0);
        QTAtom child = 0;
        for (int32_t k = 0; k < count && k < 4096; ++k) {
            if (QTNextChildAnyType(c, parent, child, &child) != noErr) {
                if (child != 0) breach("a failed next child handed back an atom");
                break;
            }
        }
        break;
    }
    case 3: {
        QTAtomType type = 0;
        QTAtomID id = 0;
        sink = sink + static_cast<unsigned>(QTGetAtomTypeAndID(c, pick_atom(s, t), &type, &id)) + type;
        break;
    }
    case 4: {
        QTAtom next = 0;
        const QTAtom parent = pick_atom(s, t);
        const QTAtom current = pick_atom(s, t);
        if (QTNextChildAnyType(c, parent, current, &next) == noErr && next <= 0) breach("next child is no atom");
        break;
    }
    default:
        QTLockContainer(c);
        QTUnlockContainer(c);
        break;
    }
    (void)sink;
    if (bytes_of(c) != before) breach("a reading call changed the container");
}

std::string pick_path(Script &s, const Tree &t) {
    const uint8_t how = s.u8();
    std::string path;
    for (int i = 0; i < how % 5; ++i) {
        const QTAtomType type = pick_type(s, t);
        for (int k = 3; k >= 0; --k) path.push_back(static_cast<char>(type >> (8 * k)));
    }
    // A path whose length is no multiple of four.
    if (how & 0x80) path.append(1 + (how >> 5 & 1) + (how >> 6 & 1), 'x');
    // The calls take a C string: a zero byte ends the path.
    path.resize(std::strlen(path.c_str()));
    return path;
}

// Data for an insert: from the script, or (bit 0x40 of `how`, when
// `inside_ok`) lying inside the container's own block. `copy` keeps the
// bytes as they were.
const void *pick_data(QTAtomContainer c, Script &s, bool inside_ok, int32_t *len, std::string *copy) {
    const uint8_t how = s.u8();
    *len = how & 0x3f;
    copy->clear();
    if ((how & 0x40) && inside_ok) {
        const int32_t size = GetHandleSize(c);
        const int32_t at = size > 0 ? static_cast<int32_t>(s.u8()) % size : 0;
        if (*len > size - at) *len = size - at;
        copy->assign(*c + at, static_cast<size_t>(*len));
        return *c + at;
    }
    for (int32_t i = 0; i < *len; ++i) copy->push_back(static_cast<char>(s.u8()));
    return *len > 0 ? copy->data() : nullptr;
}

// The deep-path calls. Whatever their status, a well-formed container stays
// well formed (a failed replace may leave the parents it made).
void deep(QTAtomContainer c, Script &s, const Tree &t, uint8_t op) {
    const std::string path = pick_path(s, t);
    const std::string before = bytes_of(c);
    const Shape shape = shape_of(c);
    switch (op) {
    case 0: {
        const bool create = s.u8() & 1;
        QTAtom atom = -1;
        const int status = nr_find_deep_atom(c, path.c_str(), &atom, create);
        if (g_trace) std::fprintf(stderr, "find '%s'%s -> %d atom %d\n", path.c_str(), create ? " create" : "", status, atom);
        if (status != 0 && atom != 0) breach("a failed find handed back an atom");
        if (!create && bytes_of(c) != before) breach("a find without creation changed the container");
        if (status == 0 && !path.empty() && shape.loose) {
            QTAtomType type = 0;
            if (QTGetAtomTypeAndID(c, atom, &type, nullptr) != noErr ||
                type != tb_read32(reinterpret_cast<const unsigned char *>(path.data() + path.size() - 4)))
                breach("the atom found is not of the path's last type");
        }
        break;
    }
    case 1: {
        int32_t len = 0;
        std::string copy;
        // Data inside the container must survive the block moving while the
        // old leaf is removed and parents are made.
        const void *data = pick_data(c, s, true, &len, &copy);
        const QTAtomID id = static_cast<QTAtomID>(s.u32());
        const int status = nr_insert_deep_atom_data_id(c, path.c_str(), len, data, id);
        if (g_trace) std::fprintf(stderr, "insert deep '%s' len %d -> %d\n", path.c_str(), len, status);
        if (status == 0 && shape.loose) {
            std::string back(static_cast<size_t>(len), '\0');
            if (nr_get_deep_atom_data(c, path.c_str(), len, back.data()) != 0 || back != copy)
                breach("a value written by path does not read back");
        }
        break;
    }
    case 2: {
        const int32_t len = s.u8();
        std::string dest(static_cast<size_t>(len) + 1, '\x5a');
        const int status = nr_get_deep_atom_data(c, path.c_str(), len, dest.data());
        if (status != 0 && dest != std::string(static_cast<size_t>(len) + 1, '\x5a'))
            breach("a failed read wrote to its destination");
        if (dest.back() != '\x5a') breach("a read wrote past its length");
        if (bytes_of(c) != before) breach("a read changed the container");
        break;
    }
    default: {
        const int status = nr_delete_deep_atom(c, path.c_str());
        if (g_trace) std::fprintf(stderr, "delete deep '%s' -> %d\n", path.c_str(), status);
        break;
    }
    }
    check_kept(shape, c);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    g_verbosity = 3;
    g_trace = std::getenv("TESSIK_FUZZ_TRACE") != nullptr;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0 || size > 1 << 20) return 0;
    size_t script_len = data[size - 1];
    if (script_len > size - 1) script_len = size - 1;
    const size_t container_len = size - 1 - script_len;
    Script s{data + container_len, script_len};

    Handle c = NewHandle(static_cast<Size>(container_len));
    if (c == nullptr) return 0;
    if (container_len > 0) std::memcpy(*c, data, container_len);

    for (int step = 0; step < 64 && !s.empty(); ++step) {
        const Tree t = walk(c);
        const uint8_t op = s.u8() % 12;
        if (op == 0) insert(c, s, t);
        else if (op == 1) remove(c, s, t);
        else if (op < 8) read_only(c, s, t, static_cast<uint8_t>(op - 2));
        else deep(c, s, t, static_cast<uint8_t>(op - 8));
    }
    QTDisposeAtomContainer(c);
    return 0;
}
