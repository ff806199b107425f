#include "level.h"

#include <cstdio>
#include <fstream>
#include <istream>

#include "files.h"
#include "utf8.h"

namespace lanehop {

namespace {

bool getLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

Grid parseLevel(std::istream& in) {
    Grid grid;
    std::string line;
    int lineNumber = 0;
    while (getLine(in, line)) {
        ++lineNumber;
        std::vector<char> row;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto b = static_cast<unsigned char>(line[i]);
            if (blank(char(b))) continue;
            if (b < 0x20 || b > 0x7E) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", b);
                throw LevelFormatError("fila " + std::to_string(lineNumber) + ", columna " + std::to_string(i + 1) +
                                       ": el byte " + hex + " no es una casilla");
            }
            row.push_back(char(b));
        }
        if (!row.empty()) grid.push_back(std::move(row));
    }
    return grid;
}

Grid readLevelFile(const std::string& path) {
    if (!hop::fileProblem(path).empty()) return {};  // never open a pipe: it would block
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return parseLevel(in);
}

bool hasGoal(const Grid& grid) {
    for (const auto& row : grid)
        for (char t : row)
            if (t == 'b' || t == 'w') return true;
    return false;
}

Settings parseSettings(std::istream& in) {
    Settings s;
    int page = 0;
    std::string line;
    while (getLine(in, line)) {
        if (line == ":" && page == 0) {
            page = 1;
            continue;
        }
        std::string valid = hop::validUtf8(line);
        if (valid != line) ++s.brokenLines;
        s.pages[page].push_back(std::move(valid));
    }
    return s;
}

Settings readSettingsFile(const std::string& path) {
    Settings s;
    s.problem = hop::fileProblem(path);  // a pipe would block the open
    if (!s.problem.empty()) return s;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        s.problem = "no se puede abrir";
        return s;
    }
    s = parseSettings(in);
    if (s.pages[0].empty() && s.pages[1].empty()) s.problem = "el archivo está vacío";
    return s;
}

std::string settingLabel(const std::string& line) { return line.substr(0, line.find(':')); }

std::string settingValue(const std::string& line) {
    const auto p = line.find(':');
    return p == std::string::npos ? std::string() : line.substr(p + 1);
}

std::string enginePath(const std::string& path) { return path.empty() ? path : path.substr(1); }

}  // namespace lanehop
