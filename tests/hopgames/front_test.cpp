// The front window's input and layout without a window: what each key,
// pointer move and click does, and where the tiles lie at any size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app.h"
#include "front.h"
#include "hoptest/events.h"

namespace {

using namespace hopgames;
using Action = Front::Action;

Front front(int n) {
  std::vector<Tile> tiles(std::size_t(n), Tile{});
  for (int i = 0; i < n; ++i) tiles[std::size_t(i)].info.program = "g" + std::to_string(i);
  return Front(std::move(tiles));
}

SDL_Event motion(float x, float y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = int(x);
  e.motion.y = int(y);
  return e;
}

SDL_Event click(float x, float y, Uint8 button = SDL_BUTTON_LEFT) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = button;
  e.button.x = int(x);
  e.button.y = int(y);
  return e;
}

SDL_Event window(Uint8 what) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  return e;
}

Action key(Front& f, const Layout& l, SDL_Keycode k, bool repeat = false) {
  SDL_Event e = hoptest::keyEvent(k, true);
  e.key.repeat = repeat;
  return f.handle(e, l);
}

TEST(Front, ArrowsMoveInTheGridEnterStartsEscapeAndQQuit) {
  Front f = front(10);
  const Layout l(1280, 720, 10);
  EXPECT_EQ(key(f, l, SDLK_LEFT), Action::None) << "the first tile has nothing on its left";
  EXPECT_EQ(key(f, l, SDLK_UP), Action::None);
  EXPECT_EQ(key(f, l, SDLK_RIGHT), Action::Redraw);
  EXPECT_EQ(key(f, l, SDLK_RIGHT), Action::Redraw);
  EXPECT_EQ(f.selected(), 2);
  EXPECT_EQ(key(f, l, SDLK_DOWN), Action::Redraw);
  EXPECT_EQ(f.selected(), 7) << "a row of five down";
  EXPECT_EQ(key(f, l, SDLK_DOWN), Action::None);
  EXPECT_EQ(key(f, l, SDLK_UP), Action::Redraw);
  EXPECT_EQ(f.selected(), 2);
  key(f, l, SDLK_END);
  EXPECT_EQ(f.selected(), 9);
  EXPECT_EQ(key(f, l, SDLK_RIGHT), Action::None);
  key(f, l, SDLK_LEFT);
  EXPECT_EQ(f.selected(), 8) << "left goes back in reading order";
  EXPECT_EQ(key(f, l, SDLK_RETURN), Action::Start);
  EXPECT_EQ(key(f, l, SDLK_KP_ENTER), Action::Start);
  EXPECT_EQ(key(f, l, SDLK_RETURN, true), Action::None) << "a held Enter starts one game";
  EXPECT_EQ(key(f, l, SDLK_F11), Action::FullScreen);
  EXPECT_EQ(key(f, l, SDLK_ESCAPE), Action::Quit);
  EXPECT_EQ(key(f, l, SDLK_q), Action::Quit);

  // A short last row: down from a column it lacks lands on its last tile.
  Front seven = front(7);
  const Layout l7(1280, 720, 7);
  key(seven, l7, SDLK_END);
  key(seven, l7, SDLK_UP);
  EXPECT_EQ(seven.selected(), 1);
  seven.select(4);
  EXPECT_EQ(key(seven, l7, SDLK_DOWN), Action::Redraw);
  EXPECT_EQ(seven.selected(), 6);
}

TEST(Front, ThePointerChoosesAClickStartsAndAMessageTakesTheNextInputOnly) {
  Front f = front(10);
  const Layout l(1280, 720, 10);
  auto centre = [&](int i) { return std::pair{l.tiles[i].x + l.tiles[i].w / 2, l.tiles[i].y + l.tiles[i].h / 2}; };
  auto [x6, y6] = centre(6);
  // The motion SDL reports when the window opens under a resting pointer chooses nothing.
  EXPECT_EQ(f.handle(motion(x6, y6), l), Action::None);
  EXPECT_EQ(f.selected(), 0);
  EXPECT_EQ(f.handle(motion(x6 + 3, y6), l), Action::Redraw);
  EXPECT_EQ(f.selected(), 6);
  EXPECT_EQ(f.handle(motion(x6 + 4, y6), l), Action::None) << "same tile, same picture";
  EXPECT_EQ(f.handle(motion(l.panel.x + 5, l.panel.y + 5), l), Action::None) << "off the tiles: the choice stays";
  EXPECT_EQ(f.selected(), 6);
  auto [x3, y3] = centre(3);
  EXPECT_EQ(f.handle(click(x3, y3), l), Action::Start);
  EXPECT_EQ(f.selected(), 3);
  EXPECT_EQ(f.handle(click(x3, y3, SDL_BUTTON_RIGHT), l), Action::None);
  EXPECT_EQ(f.handle(click(l.header.x + 10, l.header.y + 10), l), Action::None);
  // Between two tiles nothing is hit.
  EXPECT_EQ(f.handle(click(l.tiles[0].right() + 2, y3), l), Action::None);

  f.showMessage({"g3 ended with status 1", {"file missing"}});
  EXPECT_EQ(key(f, l, SDLK_ESCAPE), Action::Redraw) << "Escape puts the message away, it does not quit";
  EXPECT_FALSE(f.message());
  EXPECT_EQ(key(f, l, SDLK_ESCAPE), Action::Quit);
  f.showMessage({"g3 ended with status 1", {}});
  EXPECT_EQ(key(f, l, SDLK_RETURN), Action::Redraw);
  EXPECT_EQ(f.selected(), 3);
  f.showMessage({"g3 ended with status 1", {}});
  EXPECT_EQ(f.handle(click(x6, y6), l), Action::Redraw) << "a click too, without starting anything";
  EXPECT_EQ(f.selected(), 3);

  EXPECT_EQ(f.handle(window(SDL_WINDOWEVENT_EXPOSED), l), Action::Redraw);
  EXPECT_EQ(f.handle(window(SDL_WINDOWEVENT_SIZE_CHANGED), l), Action::Redraw);
  EXPECT_EQ(f.handle(window(SDL_WINDOWEVENT_FOCUS_GAINED), l), Action::None) << "nothing to draw anew";
  EXPECT_EQ(f.handle(window(SDL_WINDOWEVENT_CLOSE), l), Action::Quit);
}

TEST(Layout, AtEverySizeTheTilesFitAndDoNotOverlapAndEachClickHitsItsOwn) {
  for (const auto& [w, h] : {std::pair{1280, 720}, {800, 600}, {1920, 1080}, {640, 1000}, {3000, 700}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Layout l(w, h, 10);
    ASSERT_EQ(l.tiles.size(), 10u);
    auto inside = [&](const Box& b) { return b.x >= 0 && b.y >= 0 && b.right() <= w && b.bottom() <= h; };
    EXPECT_NEAR(l.header.x + l.header.w / 2, w / 2.f, 0.5f) << "centred";
    EXPECT_NEAR(l.panel.x + l.panel.w / 2, w / 2.f, 0.5f);
    EXPECT_TRUE(inside(l.panel));
    EXPECT_TRUE(inside(l.message));
    for (int i = 0; i < 10; ++i) {
      const Box& t = l.tiles[std::size_t(i)];
      EXPECT_TRUE(inside(t)) << i;
      EXPECT_GE(t.y, l.header.bottom()) << i;
      EXPECT_LE(t.bottom(), l.panel.y) << i;
      EXPECT_EQ(l.tileAt(t.x + t.w / 2, t.y + t.h / 2), i);
      for (const Box& part : {l.picture(i), l.name(i), l.about(i)})
        EXPECT_TRUE(part.x >= t.x && part.y >= t.y && part.right() <= t.right() && part.bottom() <= t.bottom()) << i;
      EXPECT_LE(l.picture(i).bottom(), l.name(i).y);
      EXPECT_LE(l.name(i).bottom(), l.about(i).y);
      for (int j = 0; j < i; ++j) {
        const Box& o = l.tiles[std::size_t(j)];
        EXPECT_TRUE(t.x >= o.right() || o.x >= t.right() || t.y >= o.bottom() || o.y >= t.bottom()) << i << " " << j;
      }
    }
    // Reading order: five a row, left to right.
    EXPECT_LT(l.tiles[0].x, l.tiles[1].x);
    EXPECT_EQ(l.tiles[5].x, l.tiles[0].x);
    EXPECT_GT(l.tiles[5].y, l.tiles[4].y);
  }
}

TEST(App, ArgumentsAndTheRefusalOfADriverNobodyAskedFor) {
  Options o;
  std::string error;
  const char* games[] = {"hopgames", "--games", "/tmp/x"};
  EXPECT_TRUE(parseOptions(3, const_cast<char**>(games), o, error));
  EXPECT_EQ(o.games, "/tmp/x");
  const char* joined[] = {"hopgames", "--games=/tmp/y"};
  EXPECT_TRUE(parseOptions(2, const_cast<char**>(joined), o, error));
  EXPECT_EQ(o.games, "/tmp/y");
  for (std::vector<const char*> bad : {std::vector<const char*>{"hopgames", "--games"}, {"hopgames", "boardhop"},
                                       {"hopgames", "--games="}}) {
    EXPECT_FALSE(parseOptions(int(bad.size()), const_cast<char**>(bad.data()), o, error)) << bad.back();
    EXPECT_EQ(error, "hopgames: unknown argument '" + std::string(bad.back()) + "' (usage: hopgames [--games DIR])");
  }

  EXPECT_TRUE(driverNotAsked("offscreen", nullptr));
  EXPECT_TRUE(driverNotAsked("dummy", "x11"));
  EXPECT_TRUE(driverNotAsked("offscreen", "offscreenx,dumm"));
  EXPECT_FALSE(driverNotAsked("offscreen", "offscreen"));
  EXPECT_FALSE(driverNotAsked("Offscreen", "x11, OFFSCREEN"));
  EXPECT_FALSE(driverNotAsked("x11", nullptr));
  EXPECT_FALSE(driverNotAsked("wayland", "x11"));
  EXPECT_FALSE(driverNotAsked(nullptr, nullptr));
}

}  // namespace
