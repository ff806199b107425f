// Screen text through SDL_ttf. Each text is rendered and uploaded once and
// kept while it is drawn every frame; a text not drawn in a frame (the old
// score, a screen that closed) is freed at the end of that frame.
#pragma once

#include <GL/gl.h>
#include <SDL2/SDL_ttf.h>

#include <map>
#include <string>
#include <tuple>

namespace henrun {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

struct Colour {
  unsigned char r = 255, g = 255, b = 255;
};

class Texto {
 public:
  // Reads the font and opens it at the sizes the screens use; throws
  // ErrorArchivo naming the file when it cannot be read or draws no text.
  explicit Texto(const std::string& fontPath);
  ~Texto();
  Texto(const Texto&) = delete;
  Texto& operator=(const Texto&) = delete;

  // Draws `text` with its lower-left corner at rect.x, rect.y (pixels from
  // the bottom-left of a width x height screen); stores the text's size in
  // rect.w, rect.h. The caller has set up the 2D projection. A light text
  // gets a dark rim, so it reads over any scene, white models included.
  void drawText(const std::string& text, int size, Colour colour, Rect& rect);
  // Frees the texts not drawn since the last call.
  void endFrame();
  std::size_t cached() const { return cache_.size(); }
  // How many texts were rendered by SDL_ttf so far (the cache's misses).
  int renders() const { return renders_; }

 private:
  struct Entry {
    GLuint texture = 0;
    int width = 0, height = 0, texWidth = 0, texHeight = 0;
    bool used = false;
  };
  using Key = std::tuple<std::string, int, unsigned>;
  Entry make(const std::string& text, TTF_Font* font, Colour colour);
  TTF_Font* font(int size);

  std::string path_;
  std::string data_;  // the font file: SDL_ttf reads its glyphs from here
  std::map<int, TTF_Font*> fonts_;
  std::map<Key, Entry> cache_;
  int renders_ = 0;
};

}  // namespace henrun
