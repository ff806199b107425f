// An OpenGL compatibility-profile context without a display, through SDL's
// `offscreen` video driver (EGL pbuffer; Mesa's llvmpipe renders it).
//
//   TEST_F(MyGL, DrawsQuad) {          // struct MyGL : hoptest::GLTest {};
//     glClearColor(1, 0, 0, 1); glClear(GL_COLOR_BUFFER_BIT);
//     EXPECT_EQ(readPixel(0, 0), (hoptest::Color{255, 0, 0}));
//   }
//
// All coordinates have their origin at the top-left, like the screenshots
// of the end-to-end tests; reads come from the current read buffer (the back
// buffer), so read before swapping.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hoptest/image.h"

namespace hoptest {

class OffscreenGL {
 public:
  // Sets SDL_VIDEODRIVER=offscreen, initialises SDL video and makes a
  // width x height compatibility context current; throws on failure.
  explicit OffscreenGL(int width = 800, int height = 600);
  ~OffscreenGL();
  OffscreenGL(const OffscreenGL&) = delete;
  OffscreenGL& operator=(const OffscreenGL&) = delete;

  int width() const { return w_; }
  int height() const { return h_; }
  SDL_Window* window() const { return window_; }
  SDL_GLContext context() const { return ctx_; }
  void makeCurrent();
  void swap();

  Color readPixel(int x, int y) const;  // RGBA
  Image readRect(Rect r, bool alpha = false) const;
  Image readFramebuffer(bool alpha = false) const { return readRect(Rect{}, alpha); }
  int countNear(Color c, int tolerance = 8, Rect region = {}) const;
  bool savePNG(const std::string& path) const;

 private:
  int w_, h_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext ctx_ = nullptr;
};

// Fixture base: a fresh context per test. Set `width`/`height` in the derived
// fixture's constructor. On failure the framebuffer is saved as
// <Suite>.<Test>.png in the working folder.
class GLTest : public ::testing::Test {
 protected:
  int width = 800, height = 600;

  void SetUp() override;
  void TearDown() override;

  OffscreenGL& gl() { return *gl_; }
  Color readPixel(int x, int y) const { return gl_->readPixel(x, y); }
  Image readRect(Rect r, bool alpha = false) const { return gl_->readRect(r, alpha); }
  Image readFramebuffer(bool alpha = false) const { return gl_->readFramebuffer(alpha); }
  int countNear(Color c, int tolerance = 8, Rect region = {}) const {
    return gl_->countNear(c, tolerance, region);
  }
  bool savePNG(const std::string& path) const { return gl_->savePNG(path); }

 private:
  std::unique_ptr<OffscreenGL> gl_;
};

}  // namespace hoptest
