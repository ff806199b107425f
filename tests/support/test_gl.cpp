// The offscreen GL fixture: a real compatibility context, reads with a
// top-left origin.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "hoptest/gl.h"

using hoptest::Color;
using hoptest::Rect;

namespace {

// Not square, so that swapped axes show.
struct SmallGL : hoptest::GLTest {
  SmallGL() { width = 64, height = 48; }
};

// A quad in window coordinates with y pointing down.
void drawQuad(int w, int h, int x0, int y0, int x1, int y1) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3ub(250, 20, 30);
  glBegin(GL_QUADS);
  glVertex2i(x0, y0);
  glVertex2i(x1, y0);
  glVertex2i(x1, y1);
  glVertex2i(x0, y1);
  glEnd();
}

}  // namespace

TEST_F(SmallGL, QuadReadsBackAtItsTopLeftPlace) {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  ASSERT_NE(version, nullptr);
  EXPECT_GE(std::atof(version), 2.1) << version;

  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuad(64, 48, 4, 2, 20, 12);  // 16 x 10 pixels near the top-left corner
  ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

  const Color red{250, 20, 30}, blue{0, 0, 255};
  EXPECT_EQ(readPixel(4, 2), red);
  EXPECT_EQ(readPixel(19, 11), red);
  EXPECT_EQ(readPixel(3, 2), blue);
  EXPECT_EQ(readPixel(20, 11), blue);
  EXPECT_EQ(readPixel(4, 12), blue);
  EXPECT_EQ(readPixel(4, 47 - 2), blue);  // where an unflipped read would find it
  EXPECT_EQ(countNear(red, 2), 16 * 10);
  EXPECT_EQ(countNear(red, 2, Rect{0, 0, 12, 7}), 8 * 5);
  EXPECT_THROW(readPixel(64, 0), std::out_of_range);

  hoptest::Image all = readFramebuffer(true);
  ASSERT_EQ(all.width(), 64);
  ASSERT_EQ(all.height(), 48);
  EXPECT_EQ(all.pixel(10, 5), red);
  EXPECT_EQ(all.pixel(63, 47), blue);

  hoptest::Image band = readRect(Rect{2, 10, 10, 4});  // rows 10..13: 2 of quad, 2 below
  ASSERT_EQ(band.width(), 10);
  ASSERT_EQ(band.height(), 4);
  EXPECT_EQ(band.pixel(2, 0), red);
  EXPECT_EQ(band.pixel(2, 1), red);
  EXPECT_EQ(band.pixel(2, 2), blue);
  EXPECT_EQ(band.pixel(1, 0), blue);
  EXPECT_EQ(band.countNear(red, 2), 2 * 8);
}

TEST_F(SmallGL, ClearedAlphaReadsBack) {
  glClearColor(0, 1, 0, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT);
  Color c = readPixel(0, 0);
  EXPECT_EQ(c.g, 255);
  EXPECT_NEAR(c.a, 128, 1);
  EXPECT_EQ(readRect(Rect{60, 40, 10, 10}).width(), 4);  // clipped to the framebuffer
}

using DefaultGL = hoptest::GLTest;

TEST_F(DefaultGL, IsEightHundredBySixHundred) {
  EXPECT_EQ(gl().width(), 800);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(countNear({255, 255, 255}, 0), 800 * 600);
}

TEST(OffscreenGL, ContextsComeAndGoInTurn) {
  // A benchmark or a test may open several contexts one after the other.
  for (int i = 0; i < 3; ++i) {
    hoptest::OffscreenGL gl(32 + i, 16);
    glClearColor(0, 0, i / 2.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(gl.readFramebuffer().width(), 32 + i);
    EXPECT_NEAR(gl.readPixel(31, 15).b, i * 255 / 2.0, 1) << i;
  }
}
