// Text drawn into images with FreeType: fill, outline and drop shadow.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "image.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace assetgen {

struct TextStyle {
  int pixelSize = 32;
  Rgba colour = rgb(255, 255, 255);
  int outline = 0;  // pixels of outline around the glyphs; 0 for none
  Rgba outlineColour = rgb(0, 0, 0);
  int shadowX = 0, shadowY = 0;  // drop shadow offset in pixels; both 0 for none
  Rgba shadowColour = rgb(0, 0, 0, 128);
};

// Size of the inked pixels of a string (without outline or shadow), and the
// distance from the box's top to the baseline.
struct TextBox {
  int width = 0, height = 0, baseline = 0;
};

// Code points of a UTF-8 string; each malformed byte becomes U+FFFD.
std::u32string decodeUtf8(const std::string& text);

class Font {
 public:
  // Throws std::runtime_error naming the file when FreeType cannot open it.
  explicit Font(const std::filesystem::path& file);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  TextBox measure(const std::string& utf8, int pixelSize) const;
  // Puts the ink box's top-left corner at (left, top); outline and shadow
  // spill outside that box.
  void draw(Image& img, const std::string& utf8, int left, int top, const TextStyle& style) const;
  // Centres the ink box on (cx, cy).
  void drawCentred(Image& img, const std::string& utf8, int cx, int cy, const TextStyle& style) const;

 private:
  struct Coverage {
    int width = 0, height = 0, baseline = 0;
    std::vector<float> alpha;  // row-major, 0..1
    float at(int x, int y) const {
      return x < 0 || y < 0 || x >= width || y >= height ? 0.f : alpha[std::size_t(y * width + x)];
    }
  };
  Coverage render(const std::string& utf8, int pixelSize) const;

  FT_LibraryRec_* library_ = nullptr;
  FT_FaceRec_* face_ = nullptr;
};

}  // namespace assetgen
