// regions.cpp - QuickDraw regions as a union of non-empty rectangles.
//
// A region holds a list of rectangles (half-open: a rectangle covers the
// points with left <= h < right and top <= v < bottom). The empty region
// holds none. No rectangle in the list lies wholly inside another, so that
// repeated unions of the same shapes do not grow the list. A NULL region
// reads as empty and is left alone by the calls that change regions.
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "toolbox/toolbox.h"

struct OpaqueRgnHandle {
    std::vector<Rect> rects;
};

namespace {

bool rect_empty(const Rect &r) { return r.left >= r.right || r.top >= r.bottom; }

bool contains(const Rect &outer, const Rect &inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

Rect bounds_of(const std::vector<Rect> &rects) {
    if (rects.empty()) return Rect{0, 0, 0, 0};
    Rect b = rects.front();
    for (const Rect &r : rects) {
        b.top = std::min(b.top, r.top);
        b.left = std::min(b.left, r.left);
        b.bottom = std::max(b.bottom, r.bottom);
        b.right = std::max(b.right, r.right);
    }
    return b;
}

// True when the union of the rectangles covers its whole bounding box: each
// cell of the grid cut by all rectangle edges must lie inside one of them.
bool covers_bounds(const std::vector<Rect> &rects) {
    std::vector<int16_t> xs;
    std::vector<int16_t> ys;
    for (const Rect &r : rects) {
        xs.push_back(r.left);
        xs.push_back(r.right);
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        for (size_t j = 0; j + 1 < ys.size(); ++j) {
            const Rect cell{ys[j], xs[i], ys[j + 1], xs[i + 1]};
            const bool inside = std::any_of(rects.begin(), rects.end(),
                                            [&](const Rect &r) { return contains(r, cell); });
            if (!inside) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" {

// NULL when the memory cannot be had.
RgnHandle NewRgn(void) { return new (std::nothrow) OpaqueRgnHandle; }

void DisposeRgn(RgnHandle rgn) { delete rgn; }

// An empty rectangle (right <= left or bottom <= top) makes the region empty.
void SetRectRgn(RgnHandle rgn, int16_t left, int16_t top, int16_t right, int16_t bottom) {
    if (rgn == nullptr) return;
    rgn->rects.clear();
    const Rect r{top, left, bottom, right};
    if (!rect_empty(r)) rgn->rects.push_back(r);
}

void RectRgn(RgnHandle rgn, const Rect *r) {
    if (rgn == nullptr || r == nullptr) return;
    SetRectRgn(rgn, r->left, r->top, r->right, r->bottom);
}

// dst may be srcA or srcB. When the memory cannot be had, dst stays as it was.
void UnionRgn(RgnHandle srcA, RgnHandle srcB, RgnHandle dst) {
    if (dst == nullptr) return;
    try {
        std::vector<Rect> all;
        if (srcA != nullptr) all = srcA->rects;
        if (srcB != nullptr) all.insert(all.end(), srcB->rects.begin(), srcB->rects.end());
        std::vector<Rect> kept;
        for (size_t i = 0; i < all.size(); ++i) {
            bool redundant = false;
            for (size_t j = 0; j < all.size() && !redundant; ++j) {
                // Of two equal rectangles the first is kept.
                if (i != j && contains(all[j], all[i]) &&
                    !(contains(all[i], all[j]) && i < j))
                    redundant = true;
            }
            if (!redundant) kept.push_back(all[i]);
        }
        dst->rects.swap(kept);
    } catch (const std::bad_alloc &) {
    }
}

// The smallest rectangle holding the region; (0,0,0,0) for an empty one.
Rect *GetRegionBounds(RgnHandle rgn, Rect *bounds) {
    if (bounds == nullptr) return nullptr;
    *bounds = rgn != nullptr ? bounds_of(rgn->rects) : Rect{0, 0, 0, 0};
    return bounds;
}

Boolean EmptyRgn(RgnHandle rgn) { return rgn == nullptr || rgn->rects.empty(); }

// True exactly when the region equals its bounding box (so also when empty).
Boolean IsRegionRectangular(RgnHandle rgn) {
    if (rgn == nullptr || rgn->rects.size() <= 1) return true;
    try {
        return covers_bounds(rgn->rects);
    } catch (const std::bad_alloc &) {
        // Cannot tell: a region of several rectangles is not known to be one.
        return false;
    }
}

}  // extern "C"
