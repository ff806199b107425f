// The files the front window reads: the table of games (the same file as
// cmake/games.txt, staged as games.txt) and each game's controls
// (docs/controls/<game>.txt, staged as controls/<game>.txt). Readers take a
// stream and give an error naming the line; readFile() checks the path.
// Both readers want every line ended by a newline: a file cut short within
// a line is refused, not read as a shorter line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace hopgames {

struct GameInfo {
  std::string program;  // also the folder the game lies in
  std::string folder;   // its source folder
  std::string name;     // the name menus show
  std::string window;   // its window title
  std::string hero;     // the asset generator's hero of its icon
  std::string quit;     // the key that quits it (an X key name)
  std::string keys;     // a few words on its keys
  std::string about;    // one line about the game
};

constexpr std::size_t kMaxGames = 64;
constexpr std::size_t kMaxLine = 400;      // bytes, in either file
constexpr std::size_t kMaxControls = 40;   // lines of one game
constexpr std::size_t kMaxFile = 64 * 1024;

// Lines of eight fields separated by '|', each trimmed and not empty; '#'
// lines and blank lines are skipped. No line, comments included, holds
// ; [ ] \ or " (the build reads the same file as a CMake list). The program is 1 to 32 of
// a-z 0-9 - _ and appears once. False with `error` ("line N: ...") on the
// first bad line, on a file with no game and on more than kMaxGames.
bool readTable(std::istream& in, std::vector<GameInfo>& out, std::string& error);

struct Control {
  std::string keys;        // "arrows", "p / h"
  std::string controller;  // empty: none ("-" in the file)
  std::string effect;
};

// "keys | controller | effect" a line, controller "-" where none; '#' lines
// and blank lines are skipped. False with `error` ("line N: ...", or "no
// control" for a file without one).
bool readControls(std::istream& in, std::vector<Control>& out, std::string& error);

// True when `path` is a regular file (following links); false with `error`
// naming the path and what it is instead. Never blocks on a pipe.
bool regularFile(const std::string& path, std::string& error);

// The whole of `path` when it is a regular file of at most kMaxFile bytes;
// false with `error` naming the path (missing, a folder, a pipe, too big,
// unreadable). Never blocks on a pipe.
bool readFile(const std::string& path, std::string& text, std::string& error);

// The best result ("best", higher is better) the game has recorded in
// <recordsFolder(game)>/records.txt; nullopt where there is none, or the
// file is missing, not a plain file or not a records file. Only reads: a
// game's file is never renamed, set aside or written from here.
std::optional<long long> bestScore(const std::string& game);

// Text fit to be drawn: terminal escapes and control characters dropped,
// bytes that are not UTF-8 become '?', at most `maxBytes` (cut on a
// character boundary).
std::string printable(const std::string& text, std::size_t maxBytes = 200);

}  // namespace hopgames
