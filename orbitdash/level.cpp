#include "level.h"

#include <charconv>
#include <fstream>
#include <ostream>
#include <sstream>

#include "files.h"

namespace orbitdash {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The next whitespace-delimited field of `line` from `pos`, as an integer
// within [lo, hi].
bool field(const std::string& line, std::size_t& pos, int lo, int hi, int& out) {
    while (pos < line.size() && blank(line[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && !blank(line[pos])) ++pos;
    if (pos == start) return false;
    const char* first = line.data() + start;
    const char* last = line.data() + pos;
    if (*first == '+') ++first;
    const auto r = std::from_chars(first, last, out);
    return first != last && r.ec == std::errc() && r.ptr == last && out >= lo && out <= hi;
}

}  // namespace

LevelRead readLevel(std::istream& in, Random& random) {
    LevelRead result;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::size_t pos = 0;
        while (pos < line.size() && blank(line[pos])) ++pos;
        if (pos == line.size()) continue;
        const char kind = line[pos++];
        int a = 0, b = 0;
        bool ok = true;
        switch (kind) {
            case 'f':
                ok = field(line, pos, 0, 50, a) && field(line, pos, 0, 1, b);
                if (ok) result.course.add(std::make_unique<Suelo>(a, b == 1, random));
                break;
            case 'a':
                ok = field(line, pos, 0, 200, a) && field(line, pos, 1, 1000000, b);
                if (ok) result.course.add(std::make_unique<AsteroidBelt>(a, b, random));
                break;
            case 's':
                ok = field(line, pos, 0, 50, a) && field(line, pos, 1, 4, b);
                if (ok) result.course.add(std::make_unique<GroupSpaceShip>(a, b));
                break;
            default: continue;  // not an item: skipped
        }
        if (!ok) {
            result.badLine = number;
            break;
        }
    }
    // With the whole course laid, each belt knows what lies beside it.
    auto& items = result.course.items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (auto* belt = dynamic_cast<AsteroidBelt*>(items[i].get()))
            belt->clearTraps(i > 0 ? items[i - 1].get() : nullptr, i + 1 < items.size() ? items[i + 1].get() : nullptr);
    return result;
}

std::string levelPath(int level, const std::string& prefix) { return prefix + std::to_string(level) + ".txt"; }

Course loadLevel(const std::string& path, Random& random, std::ostream& messages) {
    std::ifstream file;
    std::string problem;
    if (!openFile(path, file, problem)) {
        messages << path << ": " << problem << "; the level has no course items" << std::endl;
        return {};
    }
    LevelRead read = readLevel(file, random);
    if (read.badLine)
        messages << path << ": line " << read.badLine << " does not read; the level ends before it" << std::endl;
    else if (read.course.size() == 0)
        messages << path << ": no course items" << std::endl;
    return std::move(read.course);
}

}  // namespace orbitdash
