// The atom-container calls: building, finding, removing, and reading
// damaged blocks without stepping outside them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"

using namespace testsupport;

namespace {

constexpr OSType kAbcd = 0x61626364;
constexpr OSType kWxyz = 0x7778797a;

struct ContainerGuard {
    explicit ContainerGuard(QTAtomContainer h) : c(h) {}
    ~ContainerGuard() { QTDisposeAtomContainer(c); }
    QTAtomContainer c;
};

TEST(AtomContainer, NewContainerIsHeaderAndEmptyRoot) {
    QTAtomContainer c = nullptr;
    ASSERT_EQ(noErr, QTNewAtomContainer(&c));
    ContainerGuard g(c);
    EXPECT_EQ(Container({}), Bytes(c));
    QTAtomType type = 0;
    QTAtomID id = 0;
    ASSERT_EQ(noErr, QTGetAtomTypeAndID(c, 0, &type, &id));
    EXPECT_EQ(0x7365616eu, type);
    EXPECT_EQ(1, id);
    int32_t size = -1;
    Ptr data = reinterpret_cast<Ptr>(1);
    ASSERT_EQ(noErr, QTGetAtomDataPtr(c, 0, &size, &data));
    EXPECT_EQ(0, size);
    EXPECT_EQ(nullptr, data);
}

TEST(AtomContainer, InsertKeepsSizesAndCountsAndPutsNewAtomFirstOfItsType) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    ContainerGuard g(c);
    QTAtom parent = 0, a = 0, b = 0, first = 0;
    ASSERT_EQ(noErr, QTInsertChild(c, 0, kWxyz, 1, 1, 0, nullptr, &parent));
    ASSERT_EQ(noErr, QTInsertChild(c, parent, kAbcd, 1, 1, 2, "hi", &a));
    ASSERT_EQ(noErr, QTInsertChild(c, parent, kWxyz, 9, 1, 0, nullptr, &b));
    ASSERT_EQ(noErr, QTInsertChild(c, parent, kAbcd, 2, 1, 3, "new", &first));
    EXPECT_EQ(Container({Parent("wxyz", 1, {Atom("abcd", 2, "new"), Atom("abcd", 1, "hi"),
                                              Atom("wxyz", 9, "")})}),
              Bytes(c));
    EXPECT_EQ(3, QTCountChildrenOfType(c, parent, 0));
    EXPECT_EQ(2, QTCountChildrenOfType(c, parent, kAbcd));
    QTAtomID id = 0;
    EXPECT_EQ(first, QTFindChildByIndex(c, parent, kAbcd, 1, &id));
    EXPECT_EQ(2, id);
    EXPECT_NE(0, QTFindChildByIndex(c, parent, kAbcd, 2, nullptr));
    EXPECT_EQ(0, QTFindChildByIndex(c, parent, kAbcd, 3, nullptr));
    EXPECT_EQ(0, QTFindChildByIndex(c, parent, kAbcd, 0, nullptr));

    // Index 0 (or past the last of its type) appends after every child.
    ASSERT_EQ(noErr, QTInsertChild(c, parent, kAbcd, 3, 0, 0, nullptr, &a));
    EXPECT_EQ(Container({Parent("wxyz", 1, {Atom("abcd", 2, "new"), Atom("abcd", 1, "hi"),
                                              Atom("wxyz", 9, ""), Atom("abcd", 3, "")})}),
              Bytes(c));
}

TEST(AtomContainer, RemoveTakesTheSubtreeAndRestoresTheBytes) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    ContainerGuard g(c);
    QTAtom keep = 0;
    QTInsertChild(c, 0, kAbcd, 1, 0, 4, "keep", &keep);
    const std::string before = Bytes(c);
    QTAtom parent = 0, leaf = 0;
    ASSERT_EQ(noErr, QTInsertChild(c, 0, kWxyz, 1, 1, 0, nullptr, &parent));
    ASSERT_EQ(noErr, QTInsertChild(c, parent, kAbcd, 1, 1, 5, "inner", &leaf));
    ASSERT_EQ(noErr, QTRemoveAtom(c, QTFindChildByIndex(c, 0, kWxyz, 1, nullptr)));
    EXPECT_EQ(before, Bytes(c));
    EXPECT_EQ(paramErr, QTRemoveAtom(c, 0));  // the root stays
    EXPECT_EQ(before, Bytes(c));
}

TEST(AtomContainer, InsertRefusesBadParentsAndLeavesTheBlockAlone) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    ContainerGuard g(c);
    QTAtom leaf = 0, out = 123;
    QTInsertChild(c, 0, kAbcd, 1, 1, 2, "xy", &leaf);
    const std::string before = Bytes(c);
    EXPECT_EQ(notLeafAtomErr, QTInsertChild(c, leaf, kAbcd, 1, 1, 0, nullptr, &out));
    EXPECT_EQ(0, out);
    EXPECT_LT(QTInsertChild(c, leaf + 4, kAbcd, 1, 1, 0, nullptr, &out), 0);  // not an atom
    EXPECT_LT(QTInsertChild(c, 1 << 20, kAbcd, 1, 1, 0, nullptr, &out), 0);   // past the block
    EXPECT_EQ(paramErr, QTInsertChild(c, 0, kAbcd, 1, 1, -1, nullptr, &out));
    EXPECT_EQ(paramErr, QTInsertChild(c, 0, kAbcd, 1, 1, 4, nullptr, &out));
    EXPECT_EQ(before, Bytes(c));
}

TEST(AtomContainer, InsertCopiesDataThatLiesInsideTheContainer) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    ContainerGuard g(c);
    QTAtom leaf = 0, copy = 0;
    const std::string big(4000, 'q');
    QTInsertChild(c, 0, kAbcd, 1, 1, static_cast<int32_t>(big.size()), big.data(), &leaf);
    int32_t size = 0;
    Ptr data = nullptr;
    ASSERT_EQ(noErr, QTGetAtomDataPtr(c, leaf, &size, &data));
    ASSERT_EQ(noErr, QTInsertChild(c, 0, kWxyz, 1, 1, size, data, &copy));
    ASSERT_EQ(noErr, QTGetAtomDataPtr(c, copy, &size, &data));
    EXPECT_EQ(big, std::string(data, static_cast<size_t>(size)));
}

TEST(AtomContainer, LockCountsWithoutChangingBytes) {
    QTAtomContainer c = nullptr;
    QTNewAtomContainer(&c);
    ContainerGuard g(c);
    const std::string before = Bytes(c);
    QTLockContainer(c);
    QTLockContainer(c);
    EXPECT_EQ(2, QTGetContainerLockCount(c));
    QTUnlockContainer(c);
    QTUnlockContainer(c);
    QTUnlockContainer(c);  // unlocking an unlocked container does no harm
    EXPECT_EQ(0, QTGetContainerLockCount(c));
    EXPECT_EQ(before, Bytes(c));
}

// Damaged blocks: what each call gives for the first child of the root.
struct DamageCase {
    const char *name;
    std::string bytes;
    OSErr first_child;   // QTNextChildAnyType(root, 0)
    OSErr root_type;     // QTGetAtomTypeAndID(0)
};

void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.name; }

class Damaged : public testing::TestWithParam<DamageCase> {};

TEST_P(Damaged, CallsFailInsteadOfReadingOutside) {
    const DamageCase &d = GetParam();
    QTAtomContainer c = FromBytes(d.bytes);
    ContainerGuard g(c);
    QTAtom child = 77;
    EXPECT_EQ(d.first_child, QTNextChildAnyType(c, 0, 0, &child));
    if (d.first_child != noErr) {
        EXPECT_EQ(0, child);
    }
    EXPECT_EQ(d.root_type, QTGetAtomTypeAndID(c, 0, nullptr, nullptr));
    // Edits of a damaged parent are refused, never half done.
    QTAtom out = 0;
    if (d.first_child != noErr) {
        const std::string before = Bytes(c);
        EXPECT_LT(QTInsertChild(c, 0, kAbcd, 1, 1, 0, nullptr, &out), 0);
        EXPECT_EQ(before, Bytes(c));
    }
}

std::string RootWithPayload(const std::string &payload, int count) {
    return std::string(12, '\0') + Atom("sean", 1, payload, count);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Damaged,
    testing::Values(
        DamageCase{"empty", "", invalidAtomErr, invalidAtomErr},
        DamageCase{"header only", std::string(12, '\0'), invalidAtomErr, invalidAtomErr},
        DamageCase{"all zero", std::string(64, '\0'), invalidAtomErr, invalidAtomErr},
        DamageCase{"root past block", std::string(12, '\0') + Atom("sean", 1, "", 1, 500), invalidAtomErr, invalidAtomErr},
        DamageCase{"child past parent", RootWithPayload(Atom("abcd", 1, "xx", 0, 60), 1), invalidAtomErr, noErr},
        DamageCase{"child size 0", RootWithPayload(Atom("abcd", 1, "", 0, 0), 1), invalidAtomErr, noErr},
        DamageCase{"child size 19", RootWithPayload(Atom("abcd", 1, "", 0, 19), 1), invalidAtomErr, noErr},
        DamageCase{"count without children", RootWithPayload("", 2), cannotFindAtomErr, noErr},
        DamageCase{"short tail", RootWithPayload("0123456789", 1), invalidAtomErr, noErr},
        DamageCase{"fine", RootWithPayload(Atom("abcd", 1, "x"), 1), noErr, noErr}),
    [](const testing::TestParamInfo<DamageCase> &info) {
        std::string n = info.param.name;
        for (auto &ch : n) if (ch == ' ') ch = '_';
        return n;
    });

TEST(AtomContainer, NextChildStopsAtTheLastCountedChildThatFits) {
    // The count promises three children; two fit.
    QTAtomContainer c = FromBytes(RootWithPayload(Atom("abcd", 1, "a") + Atom("abcd", 2, "b"), 3));
    ContainerGuard g(c);
    QTAtom child = 0;
    ASSERT_EQ(noErr, QTNextChildAnyType(c, 0, child, &child));
    ASSERT_EQ(noErr, QTNextChildAnyType(c, 0, child, &child));
    EXPECT_EQ(cannotFindAtomErr, QTNextChildAnyType(c, 0, child, &child));
    EXPECT_EQ(3, QTCountChildrenOfType(c, 0, 0));      // what the file says
    EXPECT_EQ(2, QTCountChildrenOfType(c, 0, kAbcd));  // what is there
}

TEST(Memory, HandlesResizeAndReportFailure) {
    Handle h = NewHandleClear(8);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(noErr, MemError());
    EXPECT_EQ(8, GetHandleSize(h));
    std::memcpy(*h, "abcdefgh", 8);
    SetHandleSize(h, 100000);
    EXPECT_EQ(noErr, MemError());
    EXPECT_EQ(100000, GetHandleSize(h));
    EXPECT_EQ(0, std::memcmp(*h, "abcdefgh", 8));
    DisposeHandle(h);
    EXPECT_EQ(nullptr, NewHandle(-1));
    EXPECT_EQ(paramErr, MemError());
    EXPECT_EQ(0, GetHandleSize(nullptr));
}

}  // namespace
