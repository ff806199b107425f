#include "front.h"

#include <algorithm>

namespace hopgames {
namespace {

// The design, in 1280 x 720 units.
constexpr float kMargin = 24, kGap = 16, kRowGap = 14;
constexpr float kHeaderHeight = 84;
constexpr float kTilesTop = 92, kTilesBottom = 498;
constexpr float kPanelTop = 512, kPanelBottom = 708;
constexpr float kInset = 6;         // the picture's frame inside its tile
constexpr float kTextBelow = 72;    // name and two lines about the game

}  // namespace

Layout::Layout(int windowWidth, int windowHeight, int count)
    : width(std::max(windowWidth, 1)), height(std::max(windowHeight, 1)) {
  scale = std::min(float(width) / kWidth, float(height) / kHeight);
  originX = (float(width) - kWidth * scale) / 2;
  originY = (float(height) - kHeight * scale) / 2;
  header = at(0, 0, kWidth, kHeaderHeight);
  hint = at(kWidth / 2, 0, kWidth / 2 - kMargin, kHeaderHeight);
  const int rows = std::max(1, (count + kColumns - 1) / kColumns);
  const float tileW = (kWidth - 2 * kMargin - (kColumns - 1) * kGap) / kColumns;
  const float tileH = (kTilesBottom - kTilesTop - (rows - 1) * kRowGap) / float(rows);
  for (int i = 0; i < count; ++i)
    tiles.push_back(at(kMargin + float(i % kColumns) * (tileW + kGap), kTilesTop + float(i / kColumns) * (tileH + kRowGap),
                       tileW, tileH));
  panel = at(kMargin, kPanelTop, kWidth - 2 * kMargin, kPanelBottom - kPanelTop);
  message = at(200, 170, kWidth - 400, 380);
}

Box Layout::at(float x, float y, float w, float h) const {
  return {originX + x * scale, originY + y * scale, w * scale, h * scale};
}

Box Layout::picture(int i) const {
  const Box& t = tiles[std::size_t(i)];
  const float inset = kInset * scale;
  return {t.x + inset, t.y + inset, t.w - 2 * inset, std::max(0.f, t.h - kTextBelow * scale - inset)};
}

Box Layout::name(int i) const {
  const Box p = picture(i);
  return {p.x + 2 * scale, p.bottom() + 6 * scale, p.w - 4 * scale, 24 * scale};
}

Box Layout::about(int i) const {
  const Box n = name(i);
  return {n.x, n.bottom() + 2 * scale, n.w, 34 * scale};
}

int Layout::tileAt(float x, float y) const {
  for (std::size_t i = 0; i < tiles.size(); ++i)
    if (tiles[i].contains(x, y)) return int(i);
  return -1;
}

Front::Front(std::vector<Tile> tiles) : tiles_(std::move(tiles)) {}

void Front::select(int i) {
  if (!tiles_.empty()) selected_ = std::clamp(i, 0, int(tiles_.size()) - 1);
}

Front::Action Front::move(int to) {
  const int before = selected_;
  select(to);
  return selected_ == before ? Action::None : Action::Redraw;
}

Front::Action Front::handle(const SDL_Event& e, const Layout& layout) {
  switch (e.type) {
    case SDL_QUIT:
      return Action::Quit;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
          return Action::Redraw;
        case SDL_WINDOWEVENT_CLOSE:
          return Action::Quit;
        default:
          return Action::None;
      }
    case SDL_KEYDOWN: {
      const SDL_Keycode key = e.key.keysym.sym;
      if (key == SDLK_F11) return Action::FullScreen;
      if (message_) {
        if (e.key.repeat) return Action::None;
        message_.reset();
        return Action::Redraw;
      }
      const int columns = Layout::kColumns, last = int(tiles_.size()) - 1;
      switch (key) {
        case SDLK_LEFT: return move(selected_ - 1);
        case SDLK_RIGHT: return move(selected_ + 1);
        // Down from a column the last row lacks lands on the last tile.
        case SDLK_UP: return selected_ - columns >= 0 ? move(selected_ - columns) : Action::None;
        case SDLK_DOWN:
          return selected_ / columns < last / columns ? move(std::min(selected_ + columns, last)) : Action::None;
        case SDLK_HOME: return move(0);
        case SDLK_END: return move(last);
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
          return e.key.repeat || tiles_.empty() ? Action::None : Action::Start;
        case SDLK_ESCAPE:
        case SDLK_q:
          return Action::Quit;
        default:
          return Action::None;
      }
    }
    case SDL_MOUSEMOTION: {
      const std::pair<int, int> at{e.motion.x, e.motion.y};
      const bool moved = pointer_ && *pointer_ != at;
      pointer_ = at;
      const int i = layout.tileAt(float(at.first), float(at.second));
      return moved && i >= 0 && !message_ ? move(i) : Action::None;
    }
    case SDL_MOUSEBUTTONDOWN: {
      if (e.button.button != SDL_BUTTON_LEFT) return Action::None;
      if (message_) {
        message_.reset();
        return Action::Redraw;
      }
      const int i = layout.tileAt(float(e.button.x), float(e.button.y));
      if (i < 0) return Action::None;
      select(i);
      return Action::Start;
    }
    default:
      return Action::None;
  }
}

}  // namespace hopgames
