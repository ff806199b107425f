#include "model.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "files.h"

namespace pigeonrun {

namespace {

struct LineError {
    std::string what;
};

// The whole word must be the number: "1.5x" and "" are refused, so is a
// value out of range. from_chars ignores the process locale.
float toFloat(const std::string& word) {
    float v = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, v);
    if (word.empty() || ec != std::errc() || ptr != end || !std::isfinite(v))
        throw LineError{"malformed number '" + word + "'"};
    return v;
}

int toIndex(const std::string& word) {
    int v = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, v);
    if (word.empty() || ec != std::errc() || ptr != end) throw LineError{"malformed index '" + word + "'"};
    return v;
}

template <std::size_t N>
std::array<float, N> numbers(std::istringstream& words) {
    std::array<float, N> out{};
    for (float& v : out) {
        std::string w;
        if (!(words >> w)) throw LineError{"expected " + std::to_string(N) + " numbers"};
        v = toFloat(w);
    }
    return out;
}

// "a/b/c" with 1-based indices.
Corner corner(const std::string& word) {
    const std::size_t s1 = word.find('/');
    const std::size_t s2 = s1 == std::string::npos ? s1 : word.find('/', s1 + 1);
    if (s2 == std::string::npos || word.find('/', s2 + 1) != std::string::npos)
        throw LineError{"face corner not written p/t/n: '" + word + "'"};
    return Corner{toIndex(word.substr(0, s1)), toIndex(word.substr(s1 + 1, s2 - s1 - 1)), toIndex(word.substr(s2 + 1))};
}

void rebase(int& index, std::size_t count, const char* what) {
    if (index < 1 || std::size_t(index) > count)
        throw ModelError(std::string(what) + " index " + std::to_string(index) + " outside the " +
                         std::to_string(count) + " read");
    --index;
}

}  // namespace

void readObj(std::istream& in, Model& model) {
    model = Model{};
    Model m;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind)) continue;
        try {
            if (kind == "v") {
                m.positions.push_back(numbers<3>(words));
            } else if (kind == "vt") {
                m.texcoords.push_back(numbers<2>(words));
            } else if (kind == "vn") {
                m.normals.push_back(numbers<3>(words));
            } else if (kind == "f") {
                std::array<Corner, 3> face;
                std::string w;
                int n = 0;
                while (words >> w) {
                    if (n == 3) throw LineError{"face with more than three corners"};
                    face[std::size_t(n++)] = corner(w);
                }
                if (n < 3) throw LineError{"face with fewer than three corners"};
                m.faces.push_back(face);
            } else if (kind == "usemtl") {
                std::string name;
                if (!(words >> name)) throw LineError{"usemtl without a name"};
                // The open group ends at the face before; the new one starts at the next.
                if (!m.groups.empty()) m.groups.back().last = int(m.faces.size()) - 1;
                m.groups.push_back(MaterialGroup{name, int(m.faces.size()), -1});
            }
        } catch (const LineError& e) {
            throw ModelError("line " + std::to_string(number) + ": " + e.what);
        }
    }
    if (in.bad()) throw ModelError("read error");
    if (!m.groups.empty()) m.groups.back().last = int(m.faces.size()) - 1;
    if (m.faces.empty()) throw ModelError("no faces");
    for (auto& face : m.faces)
        for (Corner& c : face) {
            rebase(c.position, m.positions.size(), "position");
            rebase(c.texture, m.texcoords.size(), "texture coordinate");
            rebase(c.normal, m.normals.size(), "normal");
        }
    model = std::move(m);
}

void readObjFile(const std::string& path, Model& model) {
    model = Model{};
    // A folder or a pipe is refused before it is opened.
    const std::string problem = fileProblem(path);
    if (!problem.empty()) throw ModelError(path + ": " + problem);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ModelError(path + ": cannot open the file");
    try {
        readObj(file, model);
    } catch (const ModelError& e) {
        throw ModelError(path + ": " + e.what());
    } catch (const std::exception& e) {
        // The stream's own failures (a read error) say nothing of the file.
        model = Model{};
        throw ModelError(path + ": cannot read the file (" + e.what() + ")");
    }
}

}  // namespace pigeonrun
