#include "hoptest/gl.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace hoptest {

OffscreenGL::OffscreenGL(int width, int height) : w_(width), h_(height) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    throw std::runtime_error(std::string("SDL video (offscreen): ") + SDL_GetError());
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  window_ = SDL_CreateWindow("hoptest", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_) ctx_ = SDL_GL_CreateContext(window_);
  if (!ctx_) {
    std::string err = SDL_GetError();
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw std::runtime_error("offscreen GL context: " + err);
  }
  makeCurrent();
  glViewport(0, 0, width, height);
}

OffscreenGL::~OffscreenGL() {
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(ctx_);
  SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void OffscreenGL::makeCurrent() { SDL_GL_MakeCurrent(window_, ctx_); }
void OffscreenGL::swap() { SDL_GL_SwapWindow(window_); }

Image OffscreenGL::readRect(Rect r, bool alpha) const {
  int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  int x1 = r.w < 0 ? w_ : std::min(w_, r.x + r.w), y1 = r.h < 0 ? h_ : std::min(h_, r.y + r.h);
  Image img(std::max(0, x1 - x0), std::max(0, y1 - y0), alpha ? 4 : 3);
  if (img.empty()) return img;
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL rows run bottom-up: read the band that is y0..y1 counted from the top,
  // then flip it.
  Image flipped(img.width(), img.height(), img.channels());
  glReadPixels(x0, h_ - y1, img.width(), img.height(), alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
               flipped.data());
  const size_t row = size_t(img.width()) * img.channels();
  for (int y = 0; y < img.height(); ++y)
    std::copy_n(flipped.data() + size_t(img.height() - 1 - y) * row, row, img.data() + size_t(y) * row);
  return img;
}

Color OffscreenGL::readPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) throw std::out_of_range("OffscreenGL::readPixel");
  return readRect(Rect{x, y, 1, 1}, true).pixel(0, 0);
}

int OffscreenGL::countNear(Color c, int tolerance, Rect region) const {
  return readFramebuffer().countNear(c, tolerance, region);
}

bool OffscreenGL::savePNG(const std::string& path) const { return readFramebuffer().savePNG(path); }

void GLTest::SetUp() { gl_ = std::make_unique<OffscreenGL>(width, height); }

void GLTest::TearDown() {
  if (gl_ && HasFailure()) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string(info->test_suite_name()) + "." + info->name() + ".png";
    for (char& ch : path)
      if (ch == '/') ch = '_';  // parameterised names
    if (gl_->savePNG(path)) std::cerr << "hoptest: framebuffer saved to " << path << '\n';
  }
  gl_.reset();
}

}  // namespace hoptest
