// What the presentation computes without drawing: camera poses and zoom, the
// options panel's hover, clicks and highlights, glyph placement.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "app.h"
#include "camera.h"
#include "loop.h"
#include "panel.h"
#include "text.h"

using namespace birdhop;

namespace {
constexpr double kPi = 3.14159265358979323846;
void expectVec(const Vec3d& v, double x, double y, double z, const char* what) {
    EXPECT_NEAR(v.x, x, 1e-9) << what;
    EXPECT_NEAR(v.y, y, 1e-9) << what;
    EXPECT_NEAR(v.z, z, 1e-9) << what;
}
}  // namespace

TEST(BirdhopCamera, OrbitOverviewAndFirstPersonPoses) {
    BirdCamera c;
    const Vec3d bird{2, 0.5, 10};
    c.pitch = 30;
    c.yaw = 90;
    // Orbit: 7 units from the bird, raised by sin 30 * 7 above height 2.
    CameraPose p = c.pose(bird);
    const double cp = std::cos(kPi / 6), sp = 0.5;
    expectVec(p.eye, 2 + 7 * cp, 7 * sp + 2, 10, "orbit eye");
    expectVec(p.target, 2, 2, 10, "orbit target");
    expectVec(p.up, -7 * sp, 7 * cp, 0, "orbit up");
    // Overview: the same round the start, 10 units away.
    c.mode = 1;
    p = c.pose(bird);
    expectVec(p.eye, 10 * cp, 10 * sp + 2, 0, "overview eye");
    expectVec(p.target, 0, 2, 0, "overview target");
    // First person from 2 above the bird, looking the way the orbit looks
    // for the same yaw (toward -x here), 70 - pitch degrees above the bird's
    // height + 1.
    c.mode = 2;
    c.pitch = 10;
    p = c.pose(bird);
    const double a = 60 * kPi / 180;
    expectVec(p.eye, 2, 2.5, 10, "eye");
    expectVec(p.target, 2 - std::cos(a), 1.5 + std::sin(a), 10, "first-person target");
    expectVec(p.up, std::sin(a), std::cos(a), 0, "first-person up");
    // At headings where neither the sine nor the cosine of the yaw is zero,
    // the first-person view still looks where the orbit view looks, with an
    // up vector in the view's upright plane.
    for (double yaw : {130.0, 217.0, 305.0, -20.0}) {
        c.yaw = yaw;
        c.mode = 0;
        const CameraPose orbit = c.pose(bird);
        c.mode = 2;
        const CameraPose first = c.pose(bird);
        const double ox = orbit.target.x - orbit.eye.x, oz = orbit.target.z - orbit.eye.z;
        const Vec3d f{first.target.x - first.eye.x, first.target.y - first.eye.y, first.target.z - first.eye.z};
        const double ol = std::hypot(ox, oz), fl = std::hypot(f.x, f.z);
        EXPECT_NEAR(f.x / fl, ox / ol, 1e-9) << "yaw " << yaw;
        EXPECT_NEAR(f.z / fl, oz / ol, 1e-9) << "yaw " << yaw;
        EXPECT_NEAR(f.x * first.up.z - f.z * first.up.x, 0, 1e-9) << "yaw " << yaw << ": up leans along the view";
        EXPECT_GT(first.up.y, 0) << "yaw " << yaw;
        expectVec(first.eye, bird.x, bird.y + 2, bird.z, "first-person eye");
    }
    c.nextMode();
    EXPECT_EQ(c.mode, 0);
}

TEST(BirdhopCamera, MouseLookClampsPitchAndZoomKeepsItsLimits) {
    BirdCamera c;
    c.pitch = 0;
    c.yaw = 0;
    c.turn(-20, 40);
    EXPECT_EQ(c.pitch, 20);
    EXPECT_EQ(c.yaw, -10);
    c.turn(0, 400);
    EXPECT_EQ(c.pitch, 90);
    c.turn(0, -400);
    EXPECT_EQ(c.pitch, 0);

    for (int i = 0; i < 100; ++i) c.zoom(1);
    EXPECT_EQ(c.orbitDistance, 3);
    for (int i = 0; i < 200; ++i) c.zoom(-1);
    EXPECT_EQ(c.orbitDistance, 50);
    c.zoom(1);
    EXPECT_EQ(c.orbitDistance, 49.5);

    c.mode = 1;
    c.zoom(1);
    EXPECT_EQ(c.overviewDistance, 10) << "no closer until wheel-down has raised it past 30";
    for (int i = 0; i < 3; ++i) c.zoom(-1);
    EXPECT_EQ(c.overviewDistance, 40);
    c.zoom(1);
    EXPECT_EQ(c.overviewDistance, 30);
    c.zoom(1);
    EXPECT_EQ(c.overviewDistance, 30);
    for (int i = 0; i < 100; ++i) c.zoom(-1);
    EXPECT_EQ(c.overviewDistance, 200);

    c.mode = 2;
    c.zoom(1);
    c.zoom(-1);
    EXPECT_EQ(c.overviewDistance, 200);
    EXPECT_EQ(c.orbitDistance, 49.5);
}

TEST(BirdhopCamera, SkyFacesMeetAlongTheirSharedEdges) {
    // The top face's lower edge is the front face's upper edge, and the
    // middle row runs round: the right edge of each face is the left edge
    // of the next.
    for (double a : {-1.0, -0.3, 0.6, 1.0}) {
        const Vec3d top = skyDirection(4, a, -1), front = skyDirection(0, a, 1);
        expectVec(top, front.x, front.y, front.z, "top / +z");
        const Vec3d bottom = skyDirection(5, a, 1), front2 = skyDirection(0, a, -1);
        expectVec(bottom, front2.x, front2.y, front2.z, "bottom / +z");
    }
    const int ring[4] = {2, 0, 3, 1};  // +x, +z, -x, -z across the cross
    for (int i = 0; i < 4; ++i)
        for (double b : {-1.0, 0.2, 1.0}) {
            const Vec3d right = skyDirection(ring[i], 1, b), left = skyDirection(ring[(i + 1) % 4], -1, b);
            expectVec(right, left.x, left.y, left.z, "ring");
            EXPECT_LE(kSkyFaceRects[ring[i]].s1, kSkyFaceRects[ring[(i + 1) % 4]].s0 + 1e-12 + (i == 3 ? 1 : 0));
        }
}

TEST(BirdhopPanel, HoverIsStrictClicksActOnTheirCellAndHighlightsFollowTheFlags) {
    const auto cells = makePanel();
    ASSERT_EQ(cells.size(), 19u);
    const PanelCell& half = cells[7];  // x0.5 at grid (0, 3): pixels (0, 144) from the centre
    EXPECT_TRUE(half.hovered(31, 144 + 23));
    EXPECT_FALSE(half.hovered(32, 144)) << "exactly 32 pixels away";
    EXPECT_FALSE(half.hovered(-32, 144));
    EXPECT_FALSE(half.hovered(0, 144 + 24));
    EXPECT_FALSE(cells[0].hovered(-256, 144)) << "labels are not clickable";

    RenderFlags f;
    int bright = 0;
    for (const PanelCell& c : cells)
        if (c.kind == PanelCell::kSpeed) bright += c.selected(f);
    EXPECT_EQ(bright, 1);
    EXPECT_TRUE(cells[8].selected(f));
    cells[9].act(f);
    EXPECT_EQ(f.speed, 2);
    EXPECT_TRUE(cells[9].selected(f));
    EXPECT_FALSE(cells[8].selected(f));
    cells[7].act(f);
    EXPECT_EQ(f.speed, 0.5);

    cells[10].act(f);
    EXPECT_FALSE(f.red);
    EXPECT_FALSE(cells[10].selected(f));
    cells[10].act(f);
    EXPECT_TRUE(f.red);
    cells[12].act(f);
    EXPECT_FALSE(f.blue);
    EXPECT_TRUE(cells[11].selected(f));

    EXPECT_TRUE(cells[14].selected(f)) << "flat shading: the NO cell";
    cells[13].act(f);
    EXPECT_TRUE(f.smooth);
    EXPECT_TRUE(cells[13].selected(f));
    cells[16].act(f);
    EXPECT_FALSE(f.textures);
    cells[17].act(f);
    EXPECT_TRUE(f.wireframe);
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(cells[std::size_t(i)].selected(f));
}

// The panel by arrows (a controller's d-pad): the nearest toggle the arrow
// points to, the most in line first; labels are never chosen; an arrow with
// nothing that way stays put.
TEST(BirdhopPanel, ArrowsMoveTheChosenCellToTheNearestToggleThatWay) {
    const auto cells = makePanel();
    int at = movePanelFocus(cells, -1, Key::Down);
    EXPECT_EQ(at, 7) << "none chosen yet: the first toggle, x0.5";
    const std::vector<std::pair<Key, int>> walk = {
        {Key::Right, 8},  {Key::Right, 9}, {Key::Right, 9},  // x1, x2, then nothing further right
        {Key::Up, 9},     {Key::Down, 12},                   // the blue toggle under x2
        {Key::Down, 14},                                     // (2, 1) is more in line than (0, 1)
        {Key::Left, 13},  {Key::Left, 13},                   // the labels at x = -4 are not cells to choose
        {Key::Up, 10},    {Key::Down, 13}, {Key::Down, 15}, {Key::Down, 17}, {Key::Down, 17},
        {Key::Space, 17},
    };
    for (const auto& [arrow, want] : walk) {
        const int from = at;
        at = movePanelFocus(cells, at, arrow);
        EXPECT_EQ(at, want) << "from cell " << from;
    }
}

TEST(BirdhopText, GlyphsArePlacedForEachAlignmentAndOverlap) {
    // "ab" at size 0.2: quads 0.2 wide, 0.08 apart.
    auto q = layoutText("ab", "left", "top", 0.2);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_DOUBLE_EQ(q[0].x0, -1);
    EXPECT_DOUBLE_EQ(q[0].y0, 0.8);
    EXPECT_DOUBLE_EQ(q[0].y1, 1.0);
    EXPECT_DOUBLE_EQ(q[1].x0, -0.92);
    EXPECT_DOUBLE_EQ(q[1].x1, -0.72);
    q = layoutText("ab", "right", "bottom", 0.2);
    EXPECT_NEAR(q[0].x0, 1 - 3 * 0.08, 1e-12);
    EXPECT_DOUBLE_EQ(q[0].y0, -1);
    q = layoutText("abc", "center", "center", 0.1);
    EXPECT_NEAR(q[0].x0, -3.5 * 0.02, 1e-12);
    EXPECT_NEAR(q[0].y0, -0.05, 1e-12);
    q = layoutText("a", "center", "top", 0.1, 0.2);
    EXPECT_NEAR(q[0].y0, 0.7, 1e-12);
    // 'a' is 97: column 1, row 6 from the top.
    EXPECT_DOUBLE_EQ(q[0].s0, 1.0 / 16);
    EXPECT_DOUBLE_EQ(q[0].s1, 2.0 / 16);
    EXPECT_DOUBLE_EQ(q[0].t0, 1 - 7.0 / 16);
    EXPECT_DOUBLE_EQ(q[0].t1, 1 - 6.0 / 16);
    // Bytes above 127 index the lower half of the grid, not past it.
    q = layoutText("\xff", "left", "bottom", 0.1);
    EXPECT_DOUBLE_EQ(q[0].s0, 15.0 / 16);
    EXPECT_DOUBLE_EQ(q[0].t0, 0);
    EXPECT_TRUE(layoutText("", "right", "top", 0.2).empty());
}

TEST(BirdhopCamera, RowsOutsideTheViewVolumeAreCulledAndOthersKept) {
    // Identity: the view volume is the cube -1 .. 1.
    const double id[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_TRUE(boxVisible(id, {-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}));
    EXPECT_TRUE(boxVisible(id, {-30, -0.1, 0.2}, {30, 0.1, 0.3})) << "wider than the view, crossing it";
    EXPECT_FALSE(boxVisible(id, {1.1, -0.5, -0.5}, {3, 0.5, 0.5}));
    EXPECT_FALSE(boxVisible(id, {-0.5, -0.5, -9}, {0.5, 0.5, -1.01}));
    // A perspective view down -z (45 degrees, 4:3, near 0.1, far 100): a
    // row ahead is seen, one behind the eye is not.
    const double f = 1 / std::tan(22.5 * kPi / 180), n = 0.1, far = 100;
    const double persp[16] = {f / (4.0 / 3), 0, 0, 0, 0, f, 0, 0, 0, 0, (far + n) / (n - far), -1,
                              0, 0, 2 * far * n / (n - far), 0};
    EXPECT_TRUE(boxVisible(persp, {-21, -2, -11}, {21, 2, -9}));
    EXPECT_FALSE(boxVisible(persp, {-21, -2, 9}, {21, 2, 11}));
    EXPECT_FALSE(boxVisible(persp, {-21, -2, -130}, {21, 2, -110})) << "beyond the far plane";
}

TEST(BirdhopHud, TheLightLineSeparatesItsThreeNumbers) {
    EXPECT_EQ(lightDirectionText({-0.69, -0.66, 0.02}), "direccion luz (presiona D): -0.69 -0.66 0.02");
    EXPECT_EQ(lightDirectionText({0.5, -1, -1}), "direccion luz (presiona D): 0.50 -1.00 -1.00");
}

TEST(BirdhopStart, OnlyADriverThatShowsNothingUnaskedMeansNoDisplay) {
    const std::string line =
        "No hay pantalla disponible (controlador de video \"offscreen\"): inicie el juego desde una sesión gráfica";
    EXPECT_EQ(noDisplayLine("offscreen", nullptr), line);
    EXPECT_EQ(noDisplayLine("offscreen", ""), line);
    EXPECT_EQ(noDisplayLine("offscreen", "x11,wayland"), line);
    EXPECT_EQ(noDisplayLine("dummy", "x11"), "No hay pantalla disponible (controlador de video \"dummy\"): inicie el "
                                             "juego desde una sesión gráfica");
    EXPECT_EQ(noDisplayLine("offscreen", "offscreen"), "");
    EXPECT_EQ(noDisplayLine("offscreen", "x11,OffScreen"), "") << "any entry, any case";
    EXPECT_EQ(noDisplayLine("dummy", "DUMMY"), "");
    EXPECT_EQ(noDisplayLine("x11", nullptr), "");
    EXPECT_EQ(noDisplayLine("wayland", "offscreen"), "");
}
