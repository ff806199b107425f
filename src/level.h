// The two text formats of the game: level grids and the settings panel.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace lanehop {

using Grid = std::vector<std::vector<char>>;

// A level that is not text: a control byte or one outside ASCII, where any
// printable character would be a tile.
class LevelFormatError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One row per line, one tile per non-blank character; tiles may be written
// together ("00l00") or apart ("0 0 l 0 0"). Lines without tiles are skipped,
// CR line ends are dropped. Any printable ASCII character is a tile (unknown
// ones are plain floor); other bytes throw LevelFormatError with the row
// and column ("fila 3, columna 5: el byte 0xFF no es una casilla").
Grid parseLevel(std::istream& in);
// Empty when the file cannot be opened or is not a regular file.
Grid readLevelFile(const std::string& path);
// True when some tile is a goal ('b' or 'w'): a level without one can never
// be finished (a file cut short loses its last rows, the goal among them).
bool hasGoal(const Grid& grid);

struct Settings {
    std::vector<std::string> pages[2];
    // Why the file gave no lines ("falta el archivo", "es una carpeta, no un
    // archivo", "el archivo está vacío"...); empty when it was read.
    std::string problem;
    // Lines that held bytes that are not UTF-8 (shown with U+FFFD).
    int brokenLines = 0;
};
// "label:value" lines; a line that is exactly ":" turns to page 1 (further
// separators are kept as lines of page 1). Bytes that are not UTF-8 become
// U+FFFD: the lines go to the font renderer as they are.
Settings parseSettings(std::istream& in);
// A missing file, one that is not a regular file (never opened) or one
// without lines gives empty pages and the problem.
Settings readSettingsFile(const std::string& path);
// The parts of a panel line before and after its first ':' (the value is
// empty when there is none).
std::string settingLabel(const std::string& line);
std::string settingValue(const std::string& line);

// The engine's path convention: paths are written from the source folder
// ("../level/level1.txt") and lose their first character when opened.
std::string enginePath(const std::string& path);

}  // namespace lanehop
