// What the tools that play the real games (hopsoak, hopidle) know of each
// game: its window title, the keys of its key table, the key that quits and
// the screens on which nothing moves.
#pragma once

#include <string>
#include <vector>

namespace hoptest {

struct StillScreen {
  const char* name;
  std::vector<std::string> keys;  // tapped in turn from a fresh start
};

struct Profile {
  const char* game;
  const char* title;
  std::vector<std::string> taps;   // keys pressed and released
  std::vector<std::string> holds;  // keys held for a moment (walking)
  bool mouse;                      // motion, clicks, drags and the wheel
  const char* quit;                // pressed once, at the end
  // Screens where nothing moves: drawn when something changes, so standing
  // on one costs next to nothing.
  std::vector<StillScreen> still;
};

// From each game's key table, less the keys that quit.
inline const std::vector<Profile>& profiles() {
  static const std::vector<Profile> table = {
      {"boardhop", "Grafitec 2021 - boardhop",
       {"Up", "Down", "Left", "Right", "Up", "Up", "c", "d", "v", "space", "p", "h", "t", "f", "k", "KP_Subtract",
        "KP_Add", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
       {"Up", "Left", "Right", "Down"}, true, "q",
       {{"pause", {"p"}}, {"help", {"h"}}, {"game over", {"Up", "Up", "Right", "Right", "Right", "Up", "Up", "Up"}}}},
      {"lanehop", "Plonky Path",
       {"space", "backslash", "p", "p", "v", "o", "1", "2", "3", "4", "5", "minus", "equal", "0", "t", "f", "i",
        "l", "b", "c", "k", "m", "r", "Prior", "g"},
       {"Up", "w", "a", "d", "Left", "Right", "Down", "Up"}, true, "q",
       {{"paused controls panel", {}}}},
      {"marsdash", "marsdash",
       {"i", "Up", "Up", "Left", "Right", "Down", "p", "r", "1", "2", "3", "4", "0", "v", "a", "d", "s", "t", "y",
        "u", "z", "F11"},
       {"Up", "a"}, true, "q",
       {{"title", {}}, {"pause", {"i", "p"}}}},
      {"roosterway", "OpenGL", {"Up", "Up", "Left", "Right", "Down", "v", "w", "p"}, {"Up", "Down"}, true, "Escape",
       {{"menu", {}}, {"options", {"Down", "Down", "Return"}}, {"controls", {"Down", "Down", "Down", "Return"}}}},
      {"orbitdash", "Taller-3D",
       {"r", "w", "Up", "space", "s", "Down", "a", "Left", "d", "Right", "p", "p", "t", "y", "u", "v", "n", "m",
        "z", "x"},
       {"w", "Up"}, true, "q",
       {{"title", {}}, {"menu", {"p"}}, {"menu in play", {"r", "p"}}}},
      {"birdhop", "Taller-3D", {"Up", "Up", "Down", "Left", "Right", "space", "v", "p", "d", "t", "r", "e", "c", "a", "u", "k"},
       {"Up", "Left", "Right"}, true, "q",
       {{"pause panel", {"p"}}}},
      {"pigeonrun", "grafitec obligatorio 1 - Plonky Path",
       {"Return", "Up", "Up", "Left", "Right", "Down", "v", "KP_Add", "KP_Subtract", "p", "r", "t", "w", "s"},
       {"Left", "Right", "Up"}, true, "q",
       // Hopping on blindly ends the game (the tests show it does, well within these hops).
       {{"title", {}}, {"pause", {"Return", "p"}}, {"game over", [] {
          std::vector<std::string> keys{"Return"};
          keys.insert(keys.end(), 120, "Up");
          return keys;
        }()}}},
      {"duckrun", "Plonky Duck 3D", {"p", "v", "r", "1", "2", "3", "t", "w", "i", "n", "l"},
       {"Up", "Up", "Left", "Right", "Down"}, true, "q",
       {{"chalkboard", {}}, {"pause", {"p", "p"}}}},
      {"coopdash", "Taller-3D", {"Up", "Down", "Left", "Right", "p", "p", "v"}, {"Up", "Up", "Left", "Right", "Down"},
       true, "q",
       {{"menu", {}}, {"pause", {"p", "p"}}}},
      {"henrun", "Plonkito", {"p", "p", "w", "t", "s", "v", "c", "l", "Return"}, {"Up", "Up", "Left", "Right"}, true,
       "q",
       {{"menu", {}}, {"menu after play (pause)", {"p", "p"}}, {"menu in the follow view at night", {"c", "l"}}}},
      // The front window: no Enter and no clicks, which would start a game.
      {"hopgames", "Hop Games", {"Right", "Right", "Down", "Left", "Up", "Home", "End", "F11", "F11"}, {}, false,
       "Escape",
       {{"front window", {}}, {"a tile chosen", {"Right", "Down"}}}},
  };
  return table;
}

}  // namespace hoptest
