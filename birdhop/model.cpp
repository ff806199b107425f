#include "model.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>

namespace birdhop {

namespace {

constexpr std::size_t kBarkFaces = 20;

std::string onLine(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

double number(const std::string& word, int line) {
    double v = 0;
    const char* end = word.data() + word.size();
    const auto r = std::from_chars(word.data(), end, v);
    if (r.ec == std::errc::result_out_of_range) throw AssetError(onLine(line, "number out of range '" + word + "'"));
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
        throw AssetError(onLine(line, "malformed number '" + word + "'"));
    return v;
}

template <std::size_t N>
std::array<double, N> numbers(const std::vector<std::string>& w, int line) {
    if (w.size() < N + 1) throw AssetError(onLine(line, "'" + w[0] + "' needs " + std::to_string(N) + " numbers"));
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = number(w[i + 1], line);
    return out;
}

// A 1-based index into a list of `count`, returned 0-based.
int index(const std::string& part, std::size_t count, const char* what, int line) {
    int v = 0;
    const char* end = part.data() + part.size();
    const auto r = std::from_chars(part.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end || part.empty())
        throw AssetError(onLine(line, std::string("malformed ") + what + " index '" + part + "'"));
    if (v < 1 || std::size_t(v) > count)
        throw AssetError(onLine(line, std::string(what) + " index " + part + " outside the " + std::to_string(count) +
                                          " read"));
    return v - 1;
}

}  // namespace

ObjMesh readObj(std::istream& in) {
    ObjMesh m;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto w = words(line);
        if (w.empty()) continue;
        if (w[0] == "v") {
            m.positions.push_back(numbers<3>(w, n));
        } else if (w[0] == "vt") {
            m.texcoords.push_back(numbers<2>(w, n));
        } else if (w[0] == "vn") {
            m.normals.push_back(numbers<3>(w, n));
        } else if (w[0] == "f") {
            if (w.size() < 4) throw AssetError(onLine(n, "face with fewer than three corners"));
            std::vector<ObjMesh::Corner> face;
            for (std::size_t i = 1; i < w.size(); ++i) {
                const std::string& c = w[i];
                const auto s1 = c.find('/');
                const auto s2 = s1 == std::string::npos ? s1 : c.find('/', s1 + 1);
                if (s2 == std::string::npos || c.find('/', s2 + 1) != std::string::npos)
                    throw AssetError(onLine(n, "face corner not written p/t/n: '" + c + "'"));
                face.push_back({index(c.substr(0, s1), m.positions.size(), "position", n),
                                index(c.substr(s1 + 1, s2 - s1 - 1), m.texcoords.size(), "texture coordinate", n),
                                index(c.substr(s2 + 1), m.normals.size(), "normal", n)});
            }
            m.faces.push_back(std::move(face));
        }
    }
    if (in.bad()) throw AssetError("read error");
    if (m.faces.empty()) throw AssetError("no faces");
    return m;
}

void checkRegularFile(const std::string& path, const char* what) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw AssetError(path + ": cannot open the " + what);
    if (S_ISREG(st.st_mode)) return;
    if (S_ISDIR(st.st_mode)) throw AssetError(path + ": is a folder, not a " + what + " file");
    if (S_ISFIFO(st.st_mode)) throw AssetError(path + ": is a named pipe, not a " + what + " file");
    throw AssetError(path + ": is not a regular file");
}

ObjMesh readObjFile(const std::string& path) {
    checkRegularFile(path, "model");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw AssetError(path + ": cannot open the model");
    try {
        return readObj(in);
    } catch (const std::exception& e) {
        // The reader's own errors, and the stream's (a read that fails).
        throw AssetError(path + ": " + e.what());
    }
}

ModelBounds boundsOf(const ObjMesh& mesh) {
    ModelBounds b;
    if (mesh.positions.empty()) return b;
    const double inf = std::numeric_limits<double>::infinity();
    b = {inf, -inf, inf, -inf, inf, -inf};
    for (const auto& p : mesh.positions) {
        b.minX = std::min(b.minX, p[0]), b.maxX = std::max(b.maxX, p[0]);
        b.minY = std::min(b.minY, p[1]), b.maxY = std::max(b.maxY, p[1]);
        b.minZ = std::min(b.minZ, p[2]), b.maxZ = std::max(b.maxZ, p[2]);
    }
    return b;
}

BirdModel buildTexturedModel(ObjMesh mesh) {
    for (auto& p : mesh.positions) p = {p[0], p[2], -p[1]};  // z-up to y-up
    for (auto& n : mesh.normals) n = {n[0], n[2], -n[1]};
    const ModelBounds b = boundsOf(mesh);
    double s = std::max({b.maxX - b.minX, b.maxY - b.minY, b.maxZ - b.minZ});
    if (!(s > 0)) s = 1;  // a flat point: keep it where it is rather than divide by zero
    const double cx = (b.minX + b.maxX) / 2, cz = (b.minZ + b.maxZ) / 2;
    for (auto& p : mesh.positions) p = {(p[0] - cx) / s, (p[1] - b.minY) / s, (p[2] - cz) / s};

    BirdModel m;
    m.bounds = {-(b.maxX - b.minX) / 2 / s, (b.maxX - b.minX) / 2 / s, 0, (b.maxY - b.minY) / s,
                -(b.maxZ - b.minZ) / 2 / s, (b.maxZ - b.minZ) / 2 / s};
    unsigned count = 0;
    for (const auto& f : mesh.faces)
        for (std::size_t i = 1; i + 1 < f.size(); ++i)
            for (const ObjMesh::Corner& c : {f[0], f[i], f[i + 1]}) {
                const auto& p = mesh.positions[std::size_t(c.position)];
                const auto& n = mesh.normals[std::size_t(c.normal)];
                const auto& t = mesh.texcoords[std::size_t(c.texcoord)];
                m.positions.insert(m.positions.end(), p.begin(), p.end());
                m.normals.insert(m.normals.end(), n.begin(), n.end());
                m.texcoords.insert(m.texcoords.end(), t.begin(), t.end());
                ++count;
            }
    m.vertexCount = count;
    m.drawn = m.bounds;
    return m;
}

ModelBounds liftTree(ObjMesh& mesh, ModelBounds& box) {
    const ModelBounds b = boundsOf(mesh);
    for (auto& p : mesh.positions) p[1] -= b.minY;
    box = b;
    box.maxY = b.maxY - b.minY;
    box.minY = 0;
    box.minX = -b.maxX;
    return b;
}

ModelBounds treeDrawnBounds(const ObjMesh& lifted) {
    ObjMesh both = lifted;
    // The second copy: translate (shift, 0, 0), then turn 180 degrees about y.
    for (const auto& p : lifted.positions) both.positions.push_back({kTreeCopyShift - p[0], p[1], -p[2]});
    return boundsOf(both);
}

double treeTexT(int corner, std::size_t face, std::size_t faceCount) {
    const bool bark = faceCount <= kBarkFaces || face >= faceCount - kBarkFaces;
    return bark ? 0.9 - corner / 100.0 : corner / 100.0 + 0.1;
}

}  // namespace birdhop
