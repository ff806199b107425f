#include "lector_obj.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>
#include <sstream>

#include "archivo.h"

namespace coopdash {

namespace {

bool endsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Splits a line into its first token and the rest (leading blanks and
// trailing blanks and carriage return removed).
void splitLine(const std::string& line, std::string& first, std::string& rest) {
    std::size_t a = line.find_first_not_of(" \t");
    if (a == std::string::npos) {
        first.clear();
        rest.clear();
        return;
    }
    std::size_t b = line.find_first_of(" \t", a);
    first = line.substr(a, b == std::string::npos ? std::string::npos : b - a);
    rest.clear();
    if (b == std::string::npos) return;
    const std::size_t c = line.find_first_not_of(" \t", b);
    if (c == std::string::npos) return;
    const std::size_t e = line.find_last_not_of(" \t\r");
    rest = line.substr(c, e - c + 1);
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> out;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    for (std::size_t i = 0; i < s.size();) {
        while (i < s.size() && blank(s[i])) ++i;
        const std::size_t start = i;
        while (i < s.size() && !blank(s[i])) ++i;
        if (i > start) out.emplace_back(s, start, i - start);
    }
    return out;
}

// A finite number spelled in full ("1", "-0.5", "2e3"), whatever the locale.
bool parseFloat(const std::string& s, float& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    double v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v)) return false;
    out = float(v);
    return std::isfinite(out);
}

bool parseInt(const std::string& s, long& out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e && b != e;
}

// n floats from the words of `rest` (extra words allowed); false when fewer
// or malformed.
bool floats(const std::string& rest, int n, float* out) {
    const std::vector<std::string> w = words(rest);
    if (int(w.size()) < n) return false;
    for (int i = 0; i < n; ++i)
        if (!parseFloat(w[std::size_t(i)], out[i])) return false;
    return true;
}

// Exactly n floats; anything else leaves `out` as it was.
void exactFloats(const std::string& rest, int n, float* out) {
    const std::vector<std::string> w = words(rest);
    if (int(w.size()) != n) return;
    float v[3];
    for (int i = 0; i < n; ++i)
        if (!parseFloat(w[std::size_t(i)], v[i])) return;
    for (int i = 0; i < n; ++i) out[i] = v[i];
}

// A 1-based index, or a negative one counting back from the `count` items
// read so far, into 0-based; false when zero or outside. The range is
// checked before any arithmetic: negating the most negative long is
// undefined.
bool resolveIndex(const std::string& s, std::size_t count, std::size_t& out) {
    long v = 0;
    if (!parseInt(s, v) || v == 0) return false;
    const long n = long(count);  // a vector's size fits
    if (v > n || v < -n) return false;
    out = v > 0 ? std::size_t(v - 1) : count - std::size_t(-v);
    return true;
}

using P3 = std::array<float, 3>;
P3 sub(const P3& a, const P3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
P3 cross(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

std::vector<unsigned> triangulate(const std::vector<P3>& pts, std::size_t* work) {
    const std::size_t n = pts.size();
    std::size_t tests = 0;
    std::vector<unsigned> out;
    if (work) *work = 0;
    if (n < 3) return out;
    if (n == 3) return {0, 1, 2};
    // Newell's normal picks the plane to work in.
    P3 nrm{0, 0, 0};
    for (std::size_t i = 0; i < n; ++i) {
        const P3& a = pts[i];
        const P3& b = pts[(i + 1) % n];
        nrm[0] += (a[1] - b[1]) * (a[2] + b[2]);
        nrm[1] += (a[2] - b[2]) * (a[0] + b[0]);
        nrm[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    int drop = 0;
    for (int k = 1; k < 3; ++k)
        if (std::fabs(nrm[std::size_t(k)]) > std::fabs(nrm[std::size_t(drop)])) drop = k;
    const std::size_t u = std::size_t((drop + 1) % 3), v = std::size_t((drop + 2) % 3);
    // The outline in that plane, turned counter-clockwise.
    const float sign = nrm[std::size_t(drop)] >= 0 ? 1.f : -1.f;
    std::vector<float> xs(n), ys(n);
    for (std::size_t i = 0; i < n; ++i) {
        xs[i] = pts[i][u];
        ys[i] = sign * pts[i][v];
    }
    const float* X = xs.data();
    const float* Y = ys.data();
    const auto area2 = [X, Y](std::size_t a, std::size_t b, std::size_t c) {
        return (X[b] - X[a]) * (Y[c] - Y[a]) - (Y[b] - Y[a]) * (X[c] - X[a]);
    };

    // The ring as a doubly linked list, with whether each corner is an ear.
    // Ears are worked out once for every corner, then again only for the two
    // neighbours of each corner clipped: O(n) point tests a clip, O(n^2) for
    // the face, where looking for an ear afresh after every clip costs
    // O(n^3) on a hostile outline.
    std::vector<std::size_t> prev(n), next(n);
    for (std::size_t i = 0; i < n; ++i) {
        prev[i] = (i + n - 1) % n;
        next[i] = (i + 1) % n;
    }
    const auto isEar = [&](std::size_t b) {
        const std::size_t a = prev[b], c = next[b];
        if (area2(a, b, c) <= 0) return false;  // reflex or degenerate corner
        for (std::size_t p = next[c]; p != a; p = next[p]) {
            ++tests;
            if (area2(a, b, p) >= 0 && area2(b, c, p) >= 0 && area2(c, a, p) >= 0) return false;
        }
        return true;
    };
    std::vector<char> ear(n, 0);
    std::size_t size = n, cursor = 0;
    const auto markAll = [&] {
        std::size_t p = cursor;
        for (std::size_t k = 0; k < size; ++k, p = next[p]) ear[p] = isEar(p);
    };
    // A clip can also free a corner that is not its neighbour (the clipped
    // corner stood in its triangle); when no corner is marked, the marks are
    // worked out afresh while the work stays within a bound of the same
    // order. An outline left without an ear (degenerate, or crossing
    // itself) is fanned.
    const std::size_t budget = 2 * n * n + 16 * n;
    markAll();
    while (size > 3) {
        std::size_t walked = 0;
        while (!ear[cursor] && walked < size) {
            cursor = next[cursor];
            ++walked;
        }
        if (!ear[cursor]) {
            if (tests + size * size > budget) break;
            markAll();
            if (std::find(ear.begin(), ear.end(), char(1)) == ear.end()) break;
            continue;
        }
        const std::size_t a = prev[cursor], b = cursor, c = next[cursor];
        out.insert(out.end(), {unsigned(a), unsigned(b), unsigned(c)});
        next[a] = c;
        prev[c] = a;
        ear[b] = 0;
        --size;
        cursor = c;
        if (size > 3) {
            ear[a] = isEar(a);
            ear[c] = isEar(c);
        }
    }
    // The last triangle, or a fan over what no ear could be cut from.
    const std::size_t first = cursor;
    for (std::size_t p = next[first]; next[p] != first; p = next[p])
        out.insert(out.end(), {unsigned(first), unsigned(p), unsigned(next[p])});
    if (work) *work = tests;
    return out;
}

Loader::Loader(std::ostream* console) : console_(console ? *console : std::cout) {}

bool Loader::loadFile(const std::string& path) {
    reset();
    if (!endsWith(path, ".obj")) {
        error = "not an .obj file";
        return false;
    }
    std::string bytes;
    if (!readAssetFile(path, bytes, error)) return false;
    std::istringstream in(std::move(bytes));
    const std::size_t slash = path.find_last_of('/');
    return load(in, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

void Loader::storeMesh(const std::string& name) {
    Mesh m;
    m.name = name;
    m.vertices = std::move(meshVertices_);
    m.indices = std::move(meshIndices_);
    loadedMeshes.push_back(std::move(m));
    meshVertices_.clear();
    meshIndices_.clear();
}

void Loader::progress() {
    console_ << "\r- " << meshName_ << "\t| vertices > " << positions_.size() / 3 << "\t| texcoords > "
             << texcoords_.size() / 2 << "\t| normals > " << normals_.size() / 3 << "\t| triangles > "
             << meshVertices_.size() / 3;
    if (!materialNames_.empty()) console_ << "\t| material: " << materialNames_.back();
}

bool Loader::parseFace(const std::string& rest) {
    const std::vector<std::string> corners = words(rest);
    if (corners.size() < 3) {
        error = "a face needs three corners";
        return false;
    }
    if (corners.size() > kMaxFaceCorners) {
        error = "a face of " + std::to_string(corners.size()) + " corners (at most " +
                std::to_string(kMaxFaceCorners) + ")";
        return false;
    }
    std::vector<Vertex> face;
    bool allNormals = true;
    for (const std::string& c : corners) {
        std::string parts[3];
        int count = 0;
        std::size_t from = 0;
        for (;;) {
            const std::size_t slash = c.find('/', from);
            if (count == 3) {
                error = "bad corner '" + c + "'";
                return false;
            }
            parts[count++] = c.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
            if (slash == std::string::npos) break;
            from = slash + 1;
        }
        Vertex v;
        std::size_t i = 0;
        if (!resolveIndex(parts[0], positions_.size() / 3, i)) {
            error = "position index out of range or malformed in '" + c + "'";
            return false;
        }
        for (int k = 0; k < 3; ++k) v.position[k] = positions_[3 * i + std::size_t(k)];
        if (count >= 2 && !parts[1].empty()) {
            if (!resolveIndex(parts[1], texcoords_.size() / 2, i)) {
                error = "texture index out of range or malformed in '" + c + "'";
                return false;
            }
            v.textureCoordinate[0] = texcoords_[2 * i];
            v.textureCoordinate[1] = texcoords_[2 * i + 1];
        } else if (count == 2) {
            error = "empty texture index in '" + c + "'";
            return false;
        }
        if (count == 3) {
            if (!resolveIndex(parts[2], normals_.size() / 3, i)) {
                error = "normal index out of range or malformed in '" + c + "'";
                return false;
            }
            for (int k = 0; k < 3; ++k) v.normal[k] = normals_[3 * i + std::size_t(k)];
        } else {
            allNormals = false;
        }
        face.push_back(v);
    }
    std::vector<P3> pts;
    for (const Vertex& v : face) pts.push_back({v.position[0], v.position[1], v.position[2]});
    if (!allNormals) {
        P3 n = cross(sub(pts[1], pts[0]), sub(pts[2], pts[0]));
        const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (len > 0)
            for (float& x : n) x /= len;
        for (Vertex& v : face)
            for (int k = 0; k < 3; ++k) v.normal[k] = n[std::size_t(k)];
    }
    const unsigned meshBase = unsigned(meshVertices_.size()), fileBase = unsigned(loadedVertices.size());
    for (const Vertex& v : face) {
        meshVertices_.push_back(v);
        loadedVertices.push_back(v);
    }
    for (unsigned k : triangulate(pts)) {
        meshIndices_.push_back(meshBase + k);
        loadedIndices.push_back(fileBase + k);
    }
    return true;
}

void Loader::reset() {
    loadedMeshes.clear();
    loadedVertices.clear();
    loadedIndices.clear();
    loadedMaterials.clear();
    positions_.clear();
    texcoords_.clear();
    normals_.clear();
    materialNames_.clear();
    meshVertices_.clear();
    meshIndices_.clear();
    missingMaterials.clear();
    libraries.clear();
    meshName_.clear();
    named_ = false;
    splits_ = 0;
    error.clear();
}

bool Loader::load(std::istream& in, const std::string& directory) {
    reset();

    int counter = 1000;
    int lineNumber = 0;
    std::string line, first, rest;
    const auto fail = [&](const std::string& why) {
        console_ << "\n";
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        counter = (counter + 1) % 1000;
        if (counter == 1 && named_) progress();
        splitLine(line, first, rest);
        if (first == "o" || first == "g" || (!line.empty() && line[0] == 'g')) {
            const std::string name = rest.empty() ? "unnamed" : rest;
            if (named_ && !meshVertices_.empty() && !meshIndices_.empty()) storeMesh(meshName_);
            meshName_ = name;
            named_ = true;
        } else if (first == "v") {
            float p[3];
            if (!floats(rest, 3, p)) return fail("a position needs three numbers");
            positions_.insert(positions_.end(), p, p + 3);
        } else if (first == "vt") {
            float t[2];
            if (!floats(rest, 2, t)) return fail("a texture coordinate needs two numbers");
            texcoords_.insert(texcoords_.end(), t, t + 2);
        } else if (first == "vn") {
            float n[3];
            if (!floats(rest, 3, n)) return fail("a normal needs three numbers");
            normals_.insert(normals_.end(), n, n + 3);
        } else if (first == "f") {
            if (!parseFace(rest)) return fail(error);
        } else if (first == "usemtl") {
            materialNames_.push_back(rest);
            if (!meshVertices_.empty() && !meshIndices_.empty()) {
                storeMesh((named_ ? meshName_ : std::string("unnamed")) + "_" + std::to_string(++splits_));
            }
        } else if (first == "mtllib") {
            const std::string path = directory.empty() ? rest : directory + "/" + rest;
            console_ << "\n- find materials in: " << path << "\n";
            Library lib{path, false, ""};
            lib.read = loadMaterials(path, lib.why);
            libraries.push_back(lib);
        }
    }
    console_ << "\n";
    if (!meshVertices_.empty() && !meshIndices_.empty()) storeMesh(named_ ? meshName_ : std::string("unnamed"));
    for (std::size_t i = 0; i < materialNames_.size(); ++i) {
        const Material* found = nullptr;
        for (const Material& m : loadedMaterials)
            if (m.name == materialNames_[i]) found = &m;
        if (!found) {
            missingMaterials.push_back(materialNames_[i]);
            continue;
        }
        if (i < loadedMeshes.size()) loadedMeshes[i].material = *found;
    }
    if (loadedMeshes.empty() && loadedVertices.empty() && loadedIndices.empty()) {
        error = "no faces";
        return false;
    }
    return true;
}

bool Loader::loadMaterials(const std::string& path) {
    std::string why;
    return loadMaterials(path, why);
}

bool Loader::loadMaterials(const std::string& path, std::string& why) {
    if (!endsWith(path, ".mtl")) {
        why = "not an .mtl file";
        return false;
    }
    std::string bytes;
    if (!readAssetFile(path, bytes, why)) return false;
    std::istringstream in(std::move(bytes));
    if (loadMaterials(in)) return true;
    why = "no materials";
    return false;
}

bool Loader::loadMaterials(std::istream& in) {
    std::string line, first, rest;
    Material current;
    bool reading = false;
    bool stored = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        splitLine(line, first, rest);
        if (first == "newmtl") {
            if (reading) {
                loadedMaterials.push_back(current);
                stored = true;
            }
            current = Material();
            current.name = line.size() < 8 || rest.empty() ? "none" : rest;
            reading = true;
            continue;
        }
        if (!reading) continue;
        if (first == "Ka") exactFloats(rest, 3, current.Ka);
        else if (first == "Kd") exactFloats(rest, 3, current.Kd);
        else if (first == "Ks") exactFloats(rest, 3, current.Ks);
        else if (first == "Ns") exactFloats(rest, 1, &current.Ns);
        else if (first == "Ni") exactFloats(rest, 1, &current.Ni);
        else if (first == "d") exactFloats(rest, 1, &current.d);
        else if (first == "illum") {
            long v = 0;
            const std::vector<std::string> w = words(rest);
            if (w.size() == 1 && parseInt(w[0], v) && v >= 0 && v < 100) current.illum = int(v);
        } else if (first == "map_Ka") current.map_Ka = rest;
        else if (first == "map_Kd") current.map_Kd = rest;
        else if (first == "map_Ks") current.map_Ks = rest;
        else if (first == "map_Ns") current.map_Ns = rest;
        else if (first == "map_d") current.map_d = rest;
        else if (first == "map_Bump" || first == "map_bump" || first == "bump") current.map_bump = rest;
    }
    if (reading) {
        loadedMaterials.push_back(current);
        stored = true;
    }
    return stored;
}

}  // namespace coopdash
