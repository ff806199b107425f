// Where the board's ground hides everything beyond it. Seen from above, the
// ground plane of the board is opaque (river pits are closed boxes), so the
// sky and whatever hangs under the board can only show outside its picture.
// The cover is that picture, pulled in a few pixels, as eye-space planes:
// drawing a thing once per region of `GroundCover::regions()` draws it
// exactly where the ground cannot hide it, and the rasteriser never visits
// the pixels the ground fills.
#pragma once

#include <array>
#include <vector>

namespace lanehop {

// A plane a x + b y + c z + d = 0 in eye space; points with a positive value
// are on its kept side (the convention of glClipPlane).
using Plane = std::array<double, 4>;

struct GroundCover {
    // Eye-space planes of the cover's edges, each keeping the covered side,
    // and the same edges moved out by a pixel; empty when nothing is covered.
    std::vector<Plane> inner, outer;
    // The window rectangle around the cover as it is before pulling in:
    // x0, y0 included, x1, y1 excluded, clamped to the viewport.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return inner.empty(); }
    // Region i: outside edge i, inside the widened edges before it. Together
    // the regions hold every point outside the cover; neighbours share a
    // pixel-wide strip, so no pixel falls between them.
    std::vector<std::vector<Plane>> regions() const;
};

// The cover of the ground rectangle y = 0, x0 <= x <= x1, z0 <= z <= z1
// (world units) seen through `modelview` and `projection` (column-major, as
// glGet gives them) in `viewport` (x, y, width, height), pulled in by `inset`
// window pixels. Only what lies between the near and far planes counts.
GroundCover groundCover(const double modelview[16], const double projection[16], const int viewport[4], double x0,
                        double z0, double x1, double z1, double inset);

// Whether eye-space point p is on the kept side of every plane.
bool keeps(const std::vector<Plane>& planes, const std::array<double, 3>& p);

}  // namespace lanehop
