// Drawing the front window with fixed-function OpenGL: the backdrop, the
// title, the tiles with the games' pictures, the chosen game's controls and
// a failed game's message. Text is rendered with SDL_ttf into textures,
// once for each string and size.
#pragma once

#include <SDL2/SDL_ttf.h>

#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "front.h"

namespace hopgames {

// A file the program cannot do without; what() names it.
struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Rgba {
  float r, g, b, a = 1;
};

class Renderer {
 public:
  // The staged files, relative to the working folder.
  static constexpr const char* kFonts[3] = {"fonts/title.ttf", "fonts/text.ttf", "fonts/bold.ttf"};
  static constexpr const char* kHero = "hero.png";
  static std::string picturePath(const std::string& game) { return "pictures/" + game + ".png"; }

  // Needs TTF_Init, IMG_Init and a current GL context. Throws FileError on
  // a font that is missing or not a font; a missing or bad picture is told
  // on `log` once and its place drawn plain.
  Renderer(const std::vector<Tile>& tiles, std::ostream& log);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // The whole window: `layout` in window coordinates, drawn into a
  // drawable of `drawableWidth` x `drawableHeight` pixels. `appear` (0 to
  // 1) fades the window in from its sky; `lift` raises the chosen tile.
  void draw(const Front& front, const Layout& layout, int drawableWidth, int drawableHeight, float appear = 1,
            float lift = 1);

  // The text textures kept (they are remade when the scale changes).
  std::size_t cachedTexts() const { return texts_.size(); }

 private:
  enum Font { Title, Text, Bold };
  enum Align { Left, Right, Centre };
  struct Texture {
    unsigned id = 0;
    int w = 0, h = 0;
  };

  TTF_Font* font(Font f, int px);
  // The widest start of `text` that fits `maxPx` pixels, with "…" when cut.
  std::string fit(Font f, int px, const std::string& text, float maxPx);
  // Up to `lines` lines of `text` wrapped at words to `maxPx`.
  std::vector<std::string> wrap(Font f, int px, const std::string& text, float maxPx, int lines);
  const Texture& textTexture(Font f, int px, const std::string& text);
  // Draws `text` (design size `size`) with its top at y; returns its width
  // in window units. `shadow` adds a dark copy under it.
  float text(Font f, float size, const std::string& s, Rgba colour, float x, float y, float maxW,
             Align align = Left, bool shadow = false);
  Texture picture(const std::string& path);

  void backdrop(const Layout& l);
  void header(const Layout& l);
  void tile(const Front& front, const Layout& l, int i, float lift);
  void panel(const Front& front, const Layout& l);
  void message(const Front& front, const Layout& l);

  std::ostream& log_;
  std::vector<std::string> fontFiles_;
  std::map<std::pair<int, int>, TTF_Font*> fonts_;
  std::map<std::tuple<int, int, std::string>, Texture> texts_;
  std::vector<Texture> pictures_;  // one per tile; id 0 where there is none
  Texture hero_;
  float pixels_ = 1;  // drawable pixels per window unit times the layout's scale
  float toPixels_ = 1;  // drawable pixels per window unit
};

}  // namespace hopgames
