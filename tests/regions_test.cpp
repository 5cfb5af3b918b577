// QuickDraw regions: unions of rectangles, their bounds, emptiness and
// whether they are one rectangle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct R {
    int16_t left, top, right, bottom;
};

struct RegionCase {
    const char *name;
    std::vector<R> rects;  // each made with SetRectRgn and united in turn
    bool empty;
    bool rectangular;
    Rect bounds;  // top, left, bottom, right
};

TEST(Regions, UnionsBoundsAndShape) {
    const RegionCase cases[] = {
        {"nothing", {}, true, true, {0, 0, 0, 0}},
        {"one", {{0, 0, 320, 240}}, false, true, {0, 0, 240, 320}},
        {"empty rect", {{10, 10, 10, 20}}, true, true, {0, 0, 0, 0}},
        {"inverted rect", {{30, 30, 10, 10}}, true, true, {0, 0, 0, 0}},
        {"side by side", {{0, 0, 10, 10}, {10, 0, 20, 10}}, false, true, {0, 0, 10, 20}},
        {"stacked", {{0, 0, 10, 10}, {0, 10, 10, 20}}, false, true, {0, 0, 20, 10}},
        {"same twice", {{5, 5, 9, 9}, {5, 5, 9, 9}}, false, true, {5, 5, 9, 9}},
        {"one inside another", {{0, 0, 10, 10}, {2, 2, 4, 4}}, false, true, {0, 0, 10, 10}},
        {"with an empty one", {{0, 0, 10, 10}, {50, 50, 50, 60}}, false, true, {0, 0, 10, 10}},
        {"L shape", {{0, 0, 320, 120}, {0, 120, 160, 240}}, false, false, {0, 0, 240, 320}},
        {"apart", {{0, 0, 10, 10}, {20, 20, 30, 30}}, false, false, {0, 0, 30, 30}},
        {"gap of one", {{0, 0, 10, 10}, {11, 0, 20, 10}}, false, false, {0, 0, 10, 20}},
        {"overlapping cross", {{0, 5, 20, 15}, {5, 0, 15, 20}}, false, false, {0, 0, 20, 20}},
        {"four quarters", {{0, 0, 5, 5}, {5, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 10, 10}}, false, true,
         {0, 0, 10, 10}},
        {"three quarters", {{0, 0, 5, 5}, {5, 0, 10, 5}, {0, 5, 5, 10}}, false, false, {0, 0, 10, 10}},
        {"overlapping halves", {{0, 0, 7, 10}, {3, 0, 10, 10}}, false, true, {0, 0, 10, 10}},
        {"negative", {{-20, -10, -5, 0}}, false, true, {-10, -20, 0, -5}},
    };
    for (const RegionCase &c : cases) {
        SCOPED_TRACE(c.name);
        RgnHandle rgn = NewRgn();
        RgnHandle piece = NewRgn();
        ASSERT_NE(nullptr, rgn);
        for (const R &r : c.rects) {
            SetRectRgn(piece, r.left, r.top, r.right, r.bottom);
            UnionRgn(rgn, piece, rgn);
        }
        EXPECT_EQ(c.empty, EmptyRgn(rgn) != 0);
        EXPECT_EQ(c.rectangular, IsRegionRectangular(rgn) != 0);
        Rect b{1, 2, 3, 4};
        EXPECT_EQ(&b, GetRegionBounds(rgn, &b));
        EXPECT_EQ(c.bounds.top, b.top);
        EXPECT_EQ(c.bounds.left, b.left);
        EXPECT_EQ(c.bounds.bottom, b.bottom);
        EXPECT_EQ(c.bounds.right, b.right);
        DisposeRgn(piece);
        DisposeRgn(rgn);
    }
}

TEST(Regions, RectRgnReplacesAndUnionWritesAThirdRegion) {
    RgnHandle a = NewRgn();
    RgnHandle b = NewRgn();
    RgnHandle dst = NewRgn();
    SetRectRgn(a, 0, 0, 10, 10);
    SetRectRgn(b, 20, 0, 30, 10);
    SetRectRgn(dst, 100, 100, 200, 200);
    UnionRgn(a, b, dst);
    Rect bounds{};
    GetRegionBounds(dst, &bounds);
    EXPECT_EQ(0, bounds.left);
    EXPECT_EQ(30, bounds.right);
    EXPECT_FALSE(IsRegionRectangular(dst));
    GetRegionBounds(a, &bounds);
    EXPECT_EQ(10, bounds.right);  // the sources stay as they were

    const Rect r{1, 2, 3, 4};
    RectRgn(dst, &r);
    GetRegionBounds(dst, &bounds);
    EXPECT_EQ(1, bounds.top);
    EXPECT_EQ(2, bounds.left);
    EXPECT_EQ(3, bounds.bottom);
    EXPECT_EQ(4, bounds.right);
    EXPECT_TRUE(IsRegionRectangular(dst));

    // Uniting a region with itself many times keeps it the same shape.
    RgnHandle self = NewRgn();
    UnionRgn(a, b, self);
    for (int i = 0; i < 40; ++i) UnionRgn(self, self, self);
    EXPECT_FALSE(IsRegionRectangular(self));
    GetRegionBounds(self, &bounds);
    EXPECT_EQ(30, bounds.right);

    DisposeRgn(self);
    DisposeRgn(a);
    DisposeRgn(b);
    DisposeRgn(dst);
    DisposeRgn(nullptr);
}

}  // namespace
