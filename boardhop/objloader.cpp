#include "objloader.h"

#include "files.h"

#include <array>
#include <fstream>
#include <locale>
#include <sstream>

namespace boardhop {

namespace {

struct Corner {
    long p, t, n;
};

std::string lineError(const std::string& what, int lineNo) {
    return "ERROR::OBJLOADER::" + what + " (line " + std::to_string(lineNo) + ")";
}

// Reads `count` floats from the rest of the line, "C" locale whatever the
// process locale is.
template <std::size_t N>
std::array<float, N> readFloats(std::istringstream& words, int lineNo) {
    std::array<float, N> out{};
    for (auto& v : out) {
        if (!(words >> v)) throw ObjError(lineError("Malformed number", lineNo));
    }
    return out;
}

bool parseIndex(const std::string& text, long& out) {
    if (text.empty()) return false;
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        if (value > 100000000) return false;  // no model here has that many entries
        value = value * 10 + (text[i] - '0');
    }
    out = negative ? -value : value;
    return true;
}

Corner parseCorner(const std::string& word, int lineNo) {
    long idx[3];
    std::size_t start = 0;
    for (int slot = 0; slot < 3; ++slot) {
        const std::size_t slash = word.find('/', start);
        const bool last = slot == 2;
        if (last != (slash == std::string::npos))
            throw ObjError(lineError("Face corner not written p/t/n: '" + word + "'", lineNo));
        const std::string part = word.substr(start, last ? std::string::npos : slash - start);
        if (!parseIndex(part, idx[slot]))
            throw ObjError(lineError("Face corner not written p/t/n: '" + word + "'", lineNo));
        start = slash + 1;
    }
    return {idx[0], idx[1], idx[2]};
}

template <typename T>
const T& at(const std::vector<T>& list, long oneBased, const char* what, int lineNo) {
    if (oneBased < 1 || std::size_t(oneBased) > list.size())
        throw ObjError(lineError(std::string("Face index out of range: ") + what + " " +
                                     std::to_string(oneBased) + " of " + std::to_string(list.size()),
                                 lineNo));
    return list[std::size_t(oneBased - 1)];
}

}  // namespace

std::vector<Vertex> loadObj(std::istream& in) {
    std::vector<std::array<float, 3>> positions, normals;
    std::vector<std::array<float, 2>> texcoords;
    std::vector<std::pair<Corner, int>> corners;  // with the line they came from

    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        words.imbue(std::locale::classic());
        std::string kind;
        if (!(words >> kind)) continue;
        if (kind[0] == '#' || kind == "o" || kind == "s" || kind == "use_mtl") continue;
        if (kind == "v") {
            positions.push_back(readFloats<3>(words, lineNo));
        } else if (kind == "vt") {
            texcoords.push_back(readFloats<2>(words, lineNo));
        } else if (kind == "vn") {
            normals.push_back(readFloats<3>(words, lineNo));
        } else if (kind == "f") {
            std::vector<Corner> face;
            std::string word;
            while (words >> word) face.push_back(parseCorner(word, lineNo));
            if (face.size() < 3) throw ObjError(lineError("Face with fewer than three corners", lineNo));
            for (std::size_t k = 1; k + 1 < face.size(); ++k) {
                corners.push_back({face[0], lineNo});
                corners.push_back({face[k], lineNo});
                corners.push_back({face[k + 1], lineNo});
            }
        }
    }

    // Nothing to draw is not a model: an empty file, a cut-off one or one
    // of some other kind.
    if (corners.empty()) throw ObjError("ERROR::OBJLOADER::No faces");

    std::vector<Vertex> vertices;
    vertices.reserve(corners.size());
    for (const auto& [c, where] : corners) {
        const auto& p = at(positions, c.p, "position", where);
        const auto& t = at(texcoords, c.t, "texture coordinate", where);
        const auto& n = at(normals, c.n, "normal", where);
        vertices.push_back({{p[0], p[1], p[2]}, {1, 1, 1}, {t[0], t[1]}, {n[0], n[1], n[2]}});
    }
    return vertices;
}

std::vector<Vertex> loadObj(const std::string& path) {
    if (notAPlainFile(path)) throw ObjError("ERROR::OBJLOADER::Could not open file. " + path + " (not a plain file)");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ObjError("ERROR::OBJLOADER::Could not open file. " + path);
    try {
        return loadObj(file);
    } catch (const std::exception& e) {
        // The reader's own errors, and a read that fails halfway.
        throw ObjError(std::string(e.what()) + " in " + path);
    }
}

}  // namespace boardhop
