// The command block a test shares with the hoptest_pad library preloaded
// into the program it starts: one page of a file, mapped by both. The test
// writes the pad's state, then bumps `request`; the program applies it at
// its next event poll, then stores `request` in `applied`.
#pragma once

#include <cstdint>

namespace hoptest {

struct PadBlock {
  static constexpr std::uint32_t kMagic = 0x44415048;  // "HPAD"
  std::uint32_t magic;
  std::uint32_t request;   // test -> program, written last
  std::uint32_t applied;   // program -> test
  std::uint32_t opened;    // program -> test: 1 while the program has the pad open as a game controller
  std::uint32_t plugged;   // test: 1 plugged in, 0 unplugged
  std::uint8_t buttons[32];  // SDL_GameControllerButton -> 1 down
  std::int16_t axes[8];      // SDL_GameControllerAxis -> value
  char error[256];           // program -> test: why the pad could not be attached
};

}  // namespace hoptest
