#include <gtest/gtest.h>

#include "fonts.h"
#include "text.h"

using namespace assetgen;

namespace {

struct Bounds {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // inclusive
  int count = 0;
};

Bounds inked(const Image& img, Rgba colour) {
  Bounds b;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.at(x, y).a > 0 && (colour.a == 0 || img.at(x, y) == colour)) {
        b.x0 = std::min(b.x0, x);
        b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x);
        b.y1 = std::max(b.y1, y);
        ++b.count;
      }
  return b;
}

}  // namespace

TEST(Text, GlyphsFillExactlyTheirMeasuredBox) {
  const Font font(fontFile("boardhop", "title"));
  const TextBox box = font.measure("PAUSA", 64);
  EXPECT_GT(box.width, 100);
  EXPECT_GT(box.height, 30);
  EXPECT_GT(box.baseline, 30);
  EXPECT_LE(box.baseline, box.height);

  Image img(400, 200, rgb(0, 0, 0, 0));
  TextStyle s;
  s.pixelSize = 64;
  font.draw(img, "PAUSA", 37, 51, s);
  const Bounds b = inked(img, rgb(0, 0, 0, 0));
  ASSERT_GT(b.count, 500);
  EXPECT_EQ(b.x0, 37);
  EXPECT_EQ(b.y0, 51);
  EXPECT_EQ(b.x1, 37 + box.width - 1);
  EXPECT_EQ(b.y1, 51 + box.height - 1);

  // Centred placement, and a shorter string measures narrower.
  Image centred(400, 200, rgb(0, 0, 0, 0));
  font.drawCentred(centred, "p: continuar", 200, 100, s);
  const Bounds c = inked(centred, rgb(0, 0, 0, 0));
  EXPECT_NEAR((c.x0 + c.x1) / 2.0, 200.0, 1.0);
  EXPECT_NEAR((c.y0 + c.y1) / 2.0, 100.0, 1.0);
  EXPECT_LT(font.measure("PAU", 64).width, box.width);
  EXPECT_EQ(font.measure("", 64).width, 0);
  EXPECT_EQ(font.measure("   ", 64).width, 0);
}

TEST(Text, OutlineAndShadowSurroundTheFill) {
  const Font font(fontFile("boardhop", "hud"));
  Image img(300, 120, rgb(0, 0, 0, 0));
  TextStyle s;
  s.pixelSize = 48;
  s.colour = rgb(255, 255, 255);
  s.outline = 4;
  s.outlineColour = rgb(0, 0, 200);
  s.shadowX = 3;
  s.shadowY = 5;
  s.shadowColour = rgb(0, 0, 0, 255);
  const TextBox box = font.measure("Hola", 48);
  font.draw(img, "Hola", 50, 30, s);
  const Bounds all = inked(img, rgb(0, 0, 0, 0));
  const Bounds fill = inked(img, rgb(255, 255, 255));
  const Bounds outline = inked(img, rgb(0, 0, 200));
  ASSERT_GT(fill.count, 100);
  ASSERT_GT(outline.count, 100);
  EXPECT_GE(fill.x0, 50);
  EXPECT_LE(fill.x1, 50 + box.width - 1);
  EXPECT_EQ(all.x0, 50 - 4);
  EXPECT_EQ(all.y0, 30 - 4);
  EXPECT_EQ(all.x1, 50 + box.width - 1 + 4 + 3);
  EXPECT_EQ(all.y1, 30 + box.height - 1 + 4 + 5);
}

TEST(Text, Utf8DecodingAndBadFonts) {
  EXPECT_EQ(decodeUtf8("a\xc3\xb1\xe2\x82\xac\xf0\x9f\x98\x80"), (std::u32string{U'a', 0xf1, 0x20ac, 0x1f600}));
  EXPECT_EQ(decodeUtf8("\xff" "a"), (std::u32string{0xfffd, U'a'}));
  EXPECT_EQ(decodeUtf8("\xe2\x82"), (std::u32string{0xfffd, 0xfffd}));  // cut short
  EXPECT_EQ(decodeUtf8("\xc0\xaf"), (std::u32string{0xfffd, 0xfffd}));  // overlong '/'
  EXPECT_EQ(decodeUtf8("\xed\xa0\x80"), (std::u32string{0xfffd, 0xfffd, 0xfffd}));  // surrogate

  try {
    Font missing("/nonexistent/font.ttf");
    FAIL() << "opened a missing font";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/font.ttf"), std::string::npos);
  }
  EXPECT_THROW(Font(__FILE__), std::runtime_error);  // not a font at all
  EXPECT_THROW(fontFile("boardhop", "no-such-role"), std::runtime_error);
  EXPECT_THROW(fontFile("no-such-game", "title"), std::runtime_error);

  const std::string listing = fontListing();
  for (const FontSource& f : fontSources()) {
    EXPECT_NE(listing.find(f.path), std::string::npos);
    EXPECT_NE(listing.find(f.package), std::string::npos);
  }
}
