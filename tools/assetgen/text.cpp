#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace assetgen {

std::u32string decodeUtf8(const std::string& text) {
  std::u32string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    const int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xe ? 2 : (b >> 3) == 0x1e ? 3 : -1;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1f) : extra == 2 ? (b & 0x0f) : (b & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + std::size_t(k) >= n || (s[i + std::size_t(k)] & 0xc0) != 0x80) ok = false;
      else cp = (cp << 6) | (s[i + std::size_t(k)] & 0x3f);
    }
    // Overlong forms and surrogates are malformed too.
    static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[extra] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))) ok = false;
    if (ok) {
      out += cp;
      i += std::size_t(extra) + 1;
    } else {
      out += char32_t(0xfffd);
      ++i;
    }
  }
  return out;
}

Font::Font(const std::filesystem::path& file) {
  if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("cannot start FreeType");
  if (FT_New_Face(library_, file.string().c_str(), 0, &face_) != 0) {
    FT_Done_FreeType(library_);
    throw std::runtime_error("cannot open font " + file.string());
  }
}

Font::~Font() {
  FT_Done_Face(face_);
  FT_Done_FreeType(library_);
}

Font::Coverage Font::render(const std::string& utf8, int pixelSize) const {
  struct Glyph {
    int x, y, w, h;  // bitmap top-left relative to the pen origin on the baseline, y down
    std::vector<unsigned char> pixels;
  };
  if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixelSize)) != 0)
    throw std::runtime_error("font cannot be set to " + std::to_string(pixelSize) + " pixels");
  std::vector<Glyph> glyphs;
  long pen = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
  for (char32_t cp : decodeUtf8(utf8)) {
    const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(cp));
    if (previous && index && FT_HAS_KERNING(face_)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face_, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
    }
    previous = index;
    if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    // FT_LOAD_RENDER gives 8-bit coverage for outline fonts; embedded 1-bit
    // strikes would need unpacking, and none of our fonts has them.
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.rows > 0) throw std::runtime_error("font has no outline glyphs");
    Glyph g{int(pen >> 6) + slot->bitmap_left, -slot->bitmap_top, int(bm.width), int(bm.rows), {}};
    pen += slot->advance.x;
    if (g.w == 0 || g.h == 0) continue;
    g.pixels.resize(std::size_t(g.w) * std::size_t(g.h));
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x) g.pixels[std::size_t(y * g.w + x)] = bm.buffer[y * bm.pitch + x];
    x0 = std::min(x0, g.x);
    y0 = std::min(y0, g.y);
    x1 = std::max(x1, g.x + g.w);
    y1 = std::max(y1, g.y + g.h);
    glyphs.push_back(std::move(g));
  }
  Coverage cov;
  if (glyphs.empty()) return cov;
  cov.width = x1 - x0;
  cov.height = y1 - y0;
  cov.baseline = -y0;
  cov.alpha.assign(std::size_t(cov.width) * std::size_t(cov.height), 0.f);
  for (const Glyph& g : glyphs)
    for (int y = 0; y < g.h; ++y)
      for (int x = 0; x < g.w; ++x) {
        float& a = cov.alpha[std::size_t((g.y - y0 + y) * cov.width + (g.x - x0 + x))];
        a = std::min(1.f, a + float(g.pixels[std::size_t(y * g.w + x)]) / 255.f);
      }
  return cov;
}

TextBox Font::measure(const std::string& utf8, int pixelSize) const {
  const Coverage c = render(utf8, pixelSize);
  return TextBox{c.width, c.height, c.baseline};
}

void Font::draw(Image& img, const std::string& utf8, int left, int top, const TextStyle& style) const {
  const Coverage fill = render(utf8, style.pixelSize);
  if (fill.alpha.empty()) return;
  // The outline is the glyph coverage grown by a disc of `outline` pixels:
  // each pixel takes the strongest coverage within reach, faded over the
  // last pixel of the radius so the outer edge stays smooth.
  const int r = std::max(0, style.outline);
  Coverage shape = fill;
  if (r > 0) {
    shape.width = fill.width + 2 * r;
    shape.height = fill.height + 2 * r;
    shape.alpha.assign(std::size_t(shape.width) * std::size_t(shape.height), 0.f);
    std::vector<std::pair<int, int>> reach;
    std::vector<float> weight;
    for (int dy = -r - 1; dy <= r + 1; ++dy)
      for (int dx = -r - 1; dx <= r + 1; ++dx) {
        const float w = std::clamp(float(r) + 0.5f - std::hypot(float(dx), float(dy)), 0.f, 1.f);
        if (w > 0.f) {
          reach.emplace_back(dx, dy);
          weight.push_back(w);
        }
      }
    for (int y = 0; y < shape.height; ++y)
      for (int x = 0; x < shape.width; ++x) {
        float best = 0.f;
        for (std::size_t k = 0; k < reach.size() && best < 1.f; ++k)
          best = std::max(best, weight[k] * fill.at(x - r + reach[k].first, y - r + reach[k].second));
        shape.alpha[std::size_t(y * shape.width + x)] = best;
      }
  }
  auto paint = [&](const Coverage& c, int ox, int oy, Rgba colour) {
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const float a = c.alpha[std::size_t(y * c.width + x)];
        if (a > 0.f) img.blend(ox + x, oy + y, colour, a);
      }
  };
  if (style.shadowX != 0 || style.shadowY != 0)
    paint(shape, left - r + style.shadowX, top - r + style.shadowY, style.shadowColour);
  if (r > 0) paint(shape, left - r, top - r, style.outlineColour);
  paint(fill, left, top, style.colour);
}

void Font::drawCentred(Image& img, const std::string& utf8, int cx, int cy, const TextStyle& style) const {
  const TextBox box = measure(utf8, style.pixelSize);
  draw(img, utf8, cx - box.width / 2, cy - box.height / 2, style);
}

}  // namespace assetgen
