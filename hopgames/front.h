// The front window's state without drawing: the tiles, which one is
// chosen, the message of a game that failed, what each input does, and
// where everything lies on a window of any size.
#pragma once

#include <SDL2/SDL.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "launch.h"
#include "table.h"

namespace hopgames {

// A game as its tile shows it.
struct Tile {
  GameInfo info;
  Start start;                    // not found: the game is not built or installed here
  std::vector<Control> controls;  // its controls file; empty when that could not be read
  std::optional<long long> best;  // "best" of its records file
};

// Rectangles in the window's coordinates (origin top left), floats so that
// the scaled layout stays exact.
struct Box {
  float x = 0, y = 0, w = 0, h = 0;
  bool contains(float px, float py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  float right() const { return x + w; }
  float bottom() const { return y + h; }
};

// The layout is made for 1280 x 720 and scaled evenly to fit the window,
// centred; the backdrop fills all of it.
struct Layout {
  static constexpr float kWidth = 1280, kHeight = 720;
  static constexpr int kColumns = 5;

  Layout(int windowWidth, int windowHeight, int tiles);
  float scale = 1, originX = 0, originY = 0;
  int width, height;  // the window
  // A rectangle of the 1280 x 720 design, in the window.
  Box at(float x, float y, float w, float h) const;

  Box header, hint;                     // title band; key hint at its right
  std::vector<Box> tiles;               // one per game, in reading order
  Box panel;                            // the chosen game's controls
  Box message;                          // a failed game's message, over everything
  // The parts of a tile.
  Box picture(int i) const;
  Box name(int i) const;
  Box about(int i) const;
  int tileAt(float x, float y) const;  // -1: none
};

struct Message {
  std::string title;  // "boardhop ended with status 1"
  std::deque<std::string> lines;
};

class Front {
 public:
  enum class Action { None, Redraw, Start, Quit, FullScreen };

  explicit Front(std::vector<Tile> tiles);

  // One event: keys (arrows move, Enter starts, Escape or q quits, F11 full
  // screen), the mouse (the tile under the pointer is chosen, a click
  // starts it) and window events that need a new picture. While a message
  // is shown, the next key or click only puts it away.
  Action handle(const SDL_Event& e, const Layout& layout);

  const std::vector<Tile>& tiles() const { return tiles_; }
  std::vector<Tile>& tiles() { return tiles_; }
  int selected() const { return selected_; }
  void select(int i);
  const std::optional<Message>& message() const { return message_; }
  void showMessage(Message m) { message_ = std::move(m); }

 private:
  Action move(int to);

  std::vector<Tile> tiles_;
  int selected_ = 0;
  std::optional<Message> message_;
  // Where the pointer was: the motion SDL reports when the window appears
  // under a resting pointer chooses nothing, only a move does.
  std::optional<std::pair<int, int>> pointer_;
};

}  // namespace hopgames
