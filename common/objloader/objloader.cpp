#include "objloader.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>

namespace objloader {

const Dialect kLineDialect{
    "Impossible to open the file ! Are you in the right path ? See Tutorial 1 for details\n",
    "File can't be read by our simple parser :-( Try exporting with other options\n",
    true,
};

const Dialect kWordDialect{
    "Impossible to open the file !\n",
    "File can't be read by our simple parser : ( Try exporting with other options\n",
    false,
};

namespace {

// The C "isspace" set, without consulting a locale.
bool blank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Character-level reading with the rules of the scanf formats the file
// format was written for ("%f %f %f", "%d/%d/%d ..."): numbers skip the
// whitespace before them (line ends included), a '/' must follow at once.
class Scanner {
public:
    explicit Scanner(std::istream& in) : in_(in) {}

    void skipBlanks() {
        while (blank(in_.peek())) in_.get();
    }

    // The next whitespace-delimited word; false at the end of the input.
    bool word(std::string& out) {
        skipBlanks();
        out.clear();
        for (int c = in_.peek(); c != EOF && !blank(c); c = in_.peek()) out += char(in_.get());
        return !out.empty();
    }

    void skipLine() { in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }

    // A finite decimal number written as one word.
    bool real(float& out) {
        std::string w;
        if (!word(w)) return false;
        const char* first = w.data();
        const char* last = w.data() + w.size();
        if (*first == '+') ++first;
        if (first == last || *first == '+') return false;
        const auto r = std::from_chars(first, last, out, std::chars_format::general);
        return r.ec == std::errc() && r.ptr == last && std::isfinite(out);
    }

    // An optionally signed decimal integer; refuses one that overflows long.
    bool integer(long& out) {
        skipBlanks();
        std::string digits;
        if (in_.peek() == '-' || in_.peek() == '+') digits += char(in_.get());
        while (in_.peek() >= '0' && in_.peek() <= '9') digits += char(in_.get());
        const char* first = digits.data();
        const char* last = digits.data() + digits.size();
        if (first != last && *first == '+') ++first;
        const auto r = std::from_chars(first, last, out);
        return first != last && r.ec == std::errc() && r.ptr == last;
    }

    bool slash() {
        if (in_.peek() != '/') return false;
        in_.get();
        return true;
    }

private:
    std::istream& in_;
};

// One position/texture/normal triple.
bool corner(Scanner& s, long out[3]) {
    return s.integer(out[0]) && s.slash() && s.integer(out[1]) && s.slash() && s.integer(out[2]);
}

template <typename T>
bool inRange(long index, const std::vector<T>& array) {
    return index >= 1 && static_cast<unsigned long>(index) <= array.size();
}

bool refuse(const Dialect& d, std::ostream& messages) {
    messages << d.parseMessage << std::flush;
    return false;
}

}  // namespace

bool readObjModel(std::istream& in, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect, std::ostream& messages) {
    std::vector<Point> filePositions, fileNormals;
    std::vector<TexCoord> fileUvs;
    std::vector<long> corners;  // position, texture, normal index of each corner

    Scanner s(in);
    std::string w;
    while (s.word(w)) {
        if (w == "v" || w == "vn") {
            Point p;
            if (!s.real(p.x) || !s.real(p.y) || !s.real(p.z)) return refuse(dialect, messages);
            (w == "v" ? filePositions : fileNormals).push_back(p);
        } else if (w == "vt") {
            TexCoord t;
            if (!s.real(t.u) || !s.real(t.v)) return refuse(dialect, messages);
            fileUvs.push_back(t);  // v as written: the textures are made for it
        } else if (w == "f") {
            // Exactly the first three triples; a fourth (a quad) is then an
            // unknown word.
            for (int k = 0; k < 3; ++k) {
                long c[3];
                if (!corner(s, c)) return refuse(dialect, messages);
                corners.insert(corners.end(), c, c + 3);
            }
        } else if (dialect.skipRestOfLine) {
            s.skipLine();
        }
    }

    for (std::size_t i = 0; i < corners.size(); i += 3)
        if (!inRange(corners[i], filePositions) || !inRange(corners[i + 1], fileUvs) ||
            !inRange(corners[i + 2], fileNormals))
            return refuse(dialect, messages);

    positions.reserve(positions.size() + corners.size() / 3);
    uvs.reserve(uvs.size() + corners.size() / 3);
    normals.reserve(normals.size() + corners.size() / 3);
    for (std::size_t i = 0; i < corners.size(); i += 3) {
        positions.push_back(filePositions[std::size_t(corners[i] - 1)]);
        uvs.push_back(fileUvs[std::size_t(corners[i + 1] - 1)]);
        normals.push_back(fileNormals[std::size_t(corners[i + 2] - 1)]);
    }
    return true;
}

bool readObjModel(const std::string& path, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect, std::ostream& messages) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        messages << dialect.openMessage << std::flush;
        return false;
    }
    return readObjModel(file, positions, uvs, normals, dialect, messages);
}

bool readObjModel(const std::string& path, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect) {
    return readObjModel(path, positions, uvs, normals, dialect, std::cout);
}

}  // namespace objloader
