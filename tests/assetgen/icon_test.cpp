// Desktop icons drawn from each game's hero.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "heroes.h"
#include "voxel.h"

namespace {

using namespace assetgen;

int opaque(const Image& img) {
  int n = 0;
  for (const Rgba& p : img.pixels()) n += p.a > 200;
  return n;
}

TEST(Icon, DrawsTheVisibleFacesFittedAndShadedOnATransparentField) {
  // One red cube with a green top: the top and two sides face the viewer,
  // the bottom and the far sides never show.
  VoxelModel m;
  m.set(0, 0, 0, rgb(200, 20, 20));
  m.setFace(0, 0, 0, PosY, rgb(20, 200, 20));
  m.setFace(0, 0, 0, NegY, rgb(20, 20, 200));
  m.setFace(0, 0, 0, NegZ, rgb(20, 20, 200));
  const Image icon = renderIcon({{"cube", m.mesh()}}, 64);
  ASSERT_EQ(icon.width(), 64);
  ASSERT_EQ(icon.height(), 64);
  EXPECT_EQ(icon.at(0, 0).a, 0);
  EXPECT_EQ(icon.at(63, 63).a, 0);
  EXPECT_EQ(icon.at(32, 32).a, 255);
  // Fitted: it fills most of the field, with a margin all round.
  EXPECT_GT(opaque(icon), 64 * 64 / 3);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(icon.at(i, 0).a + icon.at(0, i).a + icon.at(i, 63).a, 0);
  int green = 0, red = 0, blue = 0;
  std::set<int> reds;
  for (const Rgba& p : icon.pixels()) {
    if (p.a < 255) continue;
    green += p.g > 150 && p.r < 60;
    blue += p.b > 150 && p.r < 60;
    if (p.r > 120 && p.g < 40) ++red, reds.insert(p.r);
  }
  EXPECT_GT(green, 200) << "the top faces the viewer";
  EXPECT_GT(red, 200) << "so do two sides";
  EXPECT_EQ(blue, 0) << "the bottom and the back never show";
  EXPECT_GE(reds.size(), 2u) << "the two sides are shaded apart";

  EXPECT_THROW(renderIcon({{"cube", m.mesh()}}, 4), std::runtime_error);
  EXPECT_THROW(renderIcon({}, 48), std::runtime_error);
}

TEST(Icon, EveryHeroRendersARecognisableFigure) {
  ASSERT_GE(heroes().size(), 8u);
  EXPECT_NE(findHero("penguin"), nullptr);
  EXPECT_EQ(findHero("nobody"), nullptr);
  for (const Hero& h : heroes()) {
    SCOPED_TRACE(h.name);
    const Image icon = renderIcon(h.build(), 48);
    std::set<std::uint32_t> colours;
    for (const Rgba& p : icon.pixels())
      if (p.a == 255) colours.insert(p.key());
    EXPECT_GT(opaque(icon), 48 * 48 / 6);
    EXPECT_GT(colours.size(), 4u) << "several colours, not a silhouette";
  }
}

}  // namespace
