// The OBJ and MTL reader: corner forms, negative indices, polygons, groups
// split by material, progress lines, refused files and bad input; then every
// model the generator makes, read as the game reads it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "archivo.h"
#include "lector_obj.h"
#include "modelos.h"
#include "objetos.h"

using namespace coopdash;

namespace {

struct Read {
    std::ostringstream console;
    Loader loader{&console};
    bool ok = false;
    explicit Read(const std::string& text, const std::string& dir = "") {
        std::istringstream in(text);
        ok = loader.load(in, dir);
    }
};

const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.5\nvt 1 0\nvt 0 1\nvn 0 0 1\n";

double area(const std::array<float, 3>& a, const std::array<float, 3>& b, const std::array<float, 3>& c) {
    return 0.5 * ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
}

std::string tempPath(const std::string& name) { return ::testing::TempDir() + name; }

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace

TEST(CoopdashReader, EveryCornerFormGivesOneTriangle) {
    const char* faces[] = {"f 1 2 3\n", "f 1/1 2/2 3/3\n", "f 1//1 2//1 3//1\n", "f 1/1/1 2/2/1 3/3/1\n"};
    for (const char* f : faces) {
        Read r(std::string(kTriangle) + "o tri\n" + f);
        ASSERT_TRUE(r.ok) << f << r.loader.error;
        ASSERT_EQ(r.loader.loadedMeshes.size(), 1u) << f;
        const Mesh& m = r.loader.loadedMeshes[0];
        EXPECT_EQ(m.name, "tri");
        EXPECT_EQ(m.indices, (std::vector<unsigned>{0, 1, 2})) << f;
        ASSERT_EQ(m.vertices.size(), 3u);
        EXPECT_FLOAT_EQ(m.vertices[1].position[0], 1);
        EXPECT_FLOAT_EQ(m.vertices[2].position[1], 1);
        // Normals: from the file or the face's own, (0, 0, 1) either way.
        for (const Vertex& v : m.vertices) EXPECT_FLOAT_EQ(v.normal[2], 1) << f;
        const bool textured = std::string(f).find("/1 ") != std::string::npos && std::string(f).find("//") == std::string::npos;
        EXPECT_FLOAT_EQ(m.vertices[0].textureCoordinate[0], textured ? 0.25f : 0.f) << f;
        EXPECT_EQ(r.loader.loadedVertices.size(), 3u);
        EXPECT_EQ(r.loader.loadedIndices.size(), 3u);
    }
    // The face normal comes from the first three corners, whichever way round.
    Read back(std::string(kTriangle) + "f 1 3 2\n");
    ASSERT_TRUE(back.ok);
    EXPECT_FLOAT_EQ(back.loader.loadedMeshes[0].vertices[0].normal[2], -1);
    EXPECT_EQ(back.loader.loadedMeshes[0].name, "unnamed");
}

TEST(CoopdashReader, NegativeIndicesCountBackFromWhatWasRead) {
    Read r("v 9 9 9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 5 5 5\nf -4 -3 -1\n");
    ASSERT_TRUE(r.ok) << r.loader.error;
    const Mesh& m = r.loader.loadedMeshes[0];
    ASSERT_EQ(m.vertices.size(), 6u);
    EXPECT_FLOAT_EQ(m.vertices[0].position[0], 0);
    EXPECT_FLOAT_EQ(m.vertices[1].position[0], 1);
    EXPECT_FLOAT_EQ(m.vertices[2].position[1], 1);
    // Later, -1 is the newest position.
    EXPECT_FLOAT_EQ(m.vertices[3].position[0], 0);
    EXPECT_FLOAT_EQ(m.vertices[5].position[0], 5);
}

TEST(CoopdashReader, PolygonsAreSplitIntoTrianglesThatCoverThem) {
    // A square and a concave arrow-head, both counter-clockwise.
    Read quad("v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nf 1 2 3 4\n");
    ASSERT_TRUE(quad.ok);
    EXPECT_EQ(quad.loader.loadedMeshes[0].indices.size(), 6u);

    const std::vector<std::array<float, 3>> arrow = {{0, 0, 0}, {4, 2, 0}, {0, 4, 0}, {1, 2, 0}};
    std::string text;
    for (const auto& p : arrow) text += "v " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " 0\n";
    Read concave(text + "f 1 2 3 4\n");
    ASSERT_TRUE(concave.ok);
    const std::vector<unsigned>& idx = concave.loader.loadedMeshes[0].indices;
    ASSERT_EQ(idx.size(), 6u);
    double total = 0;
    for (std::size_t i = 0; i < idx.size(); i += 3) {
        const double a = area(arrow[idx[i]], arrow[idx[i + 1]], arrow[idx[i + 2]]);
        EXPECT_GT(a, 0) << "a triangle turned over or outside the outline";
        total += a;
    }
    EXPECT_NEAR(total, 6.0, 1e-6) << "the arrow-head's area is 6";
}

TEST(CoopdashReader, MaterialChangesSplitAGroupIntoNamedMeshes) {
    const std::string dir = ::testing::TempDir();
    writeFile(dir + "two.mtl",
              "# two colours\nnewmtl red\nKa 0.1 0 0\nKd 1 0 0\nKs 0.5 0.5 0.5\nNs 10\nd 1\nillum 2\n"
              "newmtl blue\nKd 0 0 1\nKd 1 1\nmap_Kd blue.png\nbump blue_n.png\n");
    const std::string obj = std::string(kTriangle) + "mtllib two.mtl\ng body\nusemtl red\nf 1 2 3\nusemtl blue\nf 1 3 2\n";
    Read r(obj, dir.substr(0, dir.size() - 1));
    ASSERT_TRUE(r.ok) << r.loader.error;
    ASSERT_EQ(r.loader.loadedMeshes.size(), 2u);
    const Mesh& a = r.loader.loadedMeshes[0];
    const Mesh& b = r.loader.loadedMeshes[1];
    EXPECT_NE(a.name, b.name);
    EXPECT_EQ(b.name, "body");
    EXPECT_EQ(a.name.rfind("body_", 0), 0u) << a.name;
    EXPECT_EQ(a.material.name, "red");
    EXPECT_FLOAT_EQ(a.material.Kd[0], 1);
    EXPECT_FLOAT_EQ(a.material.Ka[0], 0.1f);
    EXPECT_FLOAT_EQ(a.material.Ns, 10);
    EXPECT_EQ(a.material.illum, 2);
    EXPECT_EQ(b.material.name, "blue");
    EXPECT_FLOAT_EQ(b.material.Kd[2], 1) << "a Kd line with two numbers is skipped";
    EXPECT_EQ(b.material.map_Kd, "blue.png");
    EXPECT_EQ(b.material.map_bump, "blue_n.png");
    EXPECT_TRUE(r.loader.missingMaterials.empty());
    EXPECT_NE(r.console.str().find("\n- find materials in: " + dir.substr(0, dir.size() - 1) + "/two.mtl\n"),
              std::string::npos)
        << r.console.str();

    // A material the library lacks is reported.
    Read missing(std::string(kTriangle) + "usemtl nowhere\nf 1 2 3\n");
    ASSERT_TRUE(missing.ok);
    EXPECT_EQ(missing.loader.missingMaterials, (std::vector<std::string>{"nowhere"}));
}

TEST(CoopdashReader, MaterialLibraryLines) {
    Loader loader;
    std::istringstream in("Kd 1 1 1\nnewmtl\nKd 0.5 0.25 0.125\nKs 1 x 1\nNi 1.5\nd 0.5\nillum 7\n"
                          "map_Ka a.png\nmap_Ks s.png\nmap_Ns n.png\nmap_d d.png\nmap_Bump b1.png\n"
                          "newmtl  \r\nnewmtl named\r\nmap_bump b2.png\n");
    ASSERT_TRUE(loader.loadMaterials(in));
    ASSERT_EQ(loader.loadedMaterials.size(), 3u);
    const Material& m = loader.loadedMaterials[0];
    EXPECT_EQ(m.name, "none");
    EXPECT_FLOAT_EQ(m.Kd[2], 0.125f);
    EXPECT_FLOAT_EQ(m.Ks[0], 0) << "a malformed Ks line is skipped";
    EXPECT_FLOAT_EQ(m.Ni, 1.5f);
    EXPECT_FLOAT_EQ(m.d, 0.5f);
    EXPECT_EQ(m.illum, 7);
    EXPECT_EQ(m.map_Ka, "a.png");
    EXPECT_EQ(m.map_Ks, "s.png");
    EXPECT_EQ(m.map_Ns, "n.png");
    EXPECT_EQ(m.map_d, "d.png");
    EXPECT_EQ(m.map_bump, "b1.png");
    EXPECT_EQ(loader.loadedMaterials[1].name, "none");
    EXPECT_EQ(loader.loadedMaterials[2].name, "named");
    EXPECT_EQ(loader.loadedMaterials[2].map_bump, "b2.png");

    Loader empty;
    std::istringstream nothing("# nothing\nKd 1 1 1\n");
    EXPECT_FALSE(empty.loadMaterials(nothing));
    EXPECT_FALSE(empty.loadMaterials(tempPath("absent.mtl")));
    writeFile(tempPath("fine.txt"), "newmtl a\n");
    EXPECT_FALSE(empty.loadMaterials(tempPath("fine.txt"))) << "only .mtl files";
}

TEST(CoopdashReader, RefusesOtherExtensionsMissingFilesAndBadInput) {
    // A readable model under another name is refused without being read.
    writeFile(tempPath("model.txt"), std::string(kTriangle) + "f 1 2 3\n");
    writeFile(tempPath("model.obj"), std::string(kTriangle) + "f 1 2 3\n");
    std::ostringstream console;
    Loader loader(&console);
    EXPECT_TRUE(loader.loadFile(tempPath("model.obj")));
    EXPECT_FALSE(loader.loadFile(tempPath("model.txt")));
    EXPECT_FALSE(loader.loadFile(tempPath("model.obj.bak")));
    EXPECT_FALSE(loader.loadFile(tempPath("absent.obj")));

    const char* bad[] = {
        "v 1 2\nf 1 1 1\n",                    // too few numbers
        "v 1 x 3\n",                           // not a number
        "v 1 2 3e999\n",                       // out of range
        "v 1 2 nan\n",                         // not finite
        "vt 0.5\n",                            // one coordinate
        "vn 0 1\n",                            // two of three
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",     // past the end
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n",     // zero
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 -2 -1\n",  // before the first
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/2 2 3\n",   // no texture coordinates at all
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1//1 2//1 3//1\n",  // no normals at all
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/ 2/ 3/\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/1/1 2 3\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n",       // two corners
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 three\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99999999999999999999\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -9223372036854775808\n",  // negating it is undefined
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9223372036854775807\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/-9223372036854775808 2/1 3/1\n",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//-9223372036854775807 2//1 3//1\n",
        "",                                     // empty
        "# only a comment\n",
    };
    for (const char* text : bad) {
        Read r(text);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_FALSE(r.loader.error.empty()) << text;
    }
    Read malformed("v 0 0 0\nv 1 x 0\n");
    EXPECT_NE(malformed.loader.error.find("line 2"), std::string::npos) << malformed.loader.error;

    // Random bytes: refused or read, never a crash or a read out of bounds.
    std::mt19937 rng(3);
    for (int i = 0; i < 200; ++i) {
        std::string junk(std::size_t(rng() % 400), '\0');
        for (char& c : junk) c = char("vtnf/ -0123456789.\nxg#"[rng() % 22]);
        Read r(junk);
        if (!r.ok) continue;
        for (const Mesh& m : r.loader.loadedMeshes)
            for (unsigned k : m.indices) ASSERT_LT(k, m.vertices.size());
    }
}

TEST(CoopdashReader, ProgressLinesNameTheMeshEveryThousandLines) {
    std::string text = "o thing\n";
    for (int i = 0; i < 1200; ++i) text += "v 0 0 0\n";
    text += "usemtl shiny\n";
    for (int i = 0; i < 900; ++i) text += "f 1 2 3\n";
    Read r(text);
    ASSERT_TRUE(r.ok);
    const std::string out = r.console.str();
    EXPECT_NE(out.find("\r- thing\t| vertices > 999\t| texcoords > 0\t| normals > 0\t| triangles > 0"),
              std::string::npos)
        << out;
    // Line 2001: 1200 positions, the material named, 798 faces of 3 corners.
    EXPECT_NE(out.find("\r- thing\t| vertices > 1200\t| texcoords > 0\t| normals > 0\t| triangles > 798\t| material: "
                       "shiny"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.back(), '\n');
}

TEST(CoopdashReader, EveryGeneratedModelReadsWithItsMaterials) {
    // Run from the game's folder: the models lie where it reads them.
    std::array<std::array<float, 6>, KindCount> box{};  // min x y z, max x y z
    for (int k = 0; k < KindCount; ++k) {
        std::ostringstream console;
        const std::string path = std::string(kModelDir) + kModelFiles[std::size_t(k)];
        std::vector<Mesh> meshes;
        ASSERT_NO_THROW(meshes = readModel(path, &console)) << path;
        ASSERT_FALSE(meshes.empty()) << path;
        box[std::size_t(k)] = {1e9f, 1e9f, 1e9f, -1e9f, -1e9f, -1e9f};
        std::size_t triangles = 0;
        for (const Mesh& m : meshes) {
            EXPECT_FALSE(m.material.name.empty()) << path << " " << m.name;
            EXPECT_GT(m.material.Kd[0] + m.material.Kd[1] + m.material.Kd[2], 0.f) << path << " " << m.name;
            triangles += m.indices.size() / 3;
            for (const Vertex& v : m.vertices)
                for (int i = 0; i < 3; ++i) {
                    box[std::size_t(k)][std::size_t(i)] = std::min(box[std::size_t(k)][std::size_t(i)], v.position[i]);
                    box[std::size_t(k)][std::size_t(i + 3)] = std::max(box[std::size_t(k)][std::size_t(i + 3)], v.position[i]);
                }
        }
        EXPECT_LT(triangles, 6000u) << path;
        EXPECT_NE(console.str().find("- find materials in: ../objetos/"), std::string::npos) << path;
    }
    const auto size = [&](int k, int axis) { return box[std::size_t(k)][std::size_t(axis + 3)] - box[std::size_t(k)][std::size_t(axis)]; };
    // Sized for the game's boxes: the chicken about 0.9 tall standing on 0,
    // cars and trains longer along x, rows spanning the field.
    EXPECT_NEAR(size(KindPollo, 1), 0.9, 0.1);
    EXPECT_NEAR(box[KindPollo][1], 0, 1e-4);
    EXPECT_GT(size(KindAuto, 0), size(KindAuto, 2) * 1.5);
    EXPECT_NEAR(size(KindTren, 0), 7.1, 0.2);
    EXPECT_NEAR(size(KindTren, 2), 0.6, 0.1);
    for (int k : {KindCalle, KindVia, KindPasto}) {
        EXPECT_GE(size(k, 0), 30) << k;
        EXPECT_NEAR(size(k, 2), 1, 0.05) << k;
        EXPECT_NEAR(box[std::size_t(k)][4], 0, 0.11) << k;
    }
    EXPECT_GT(size(KindArbol, 1), 1.2);
}

namespace {

std::vector<std::array<float, 3>> circle(int n) {
    std::vector<std::array<float, 3>> p;
    for (int i = 0; i < n; ++i) p.push_back({std::cos(6.2831853f * float(i) / float(n)), std::sin(6.2831853f * float(i) / float(n)), 0});
    return p;
}

std::string faceText(const std::vector<std::array<float, 3>>& pts) {
    std::ostringstream out;
    for (const auto& p : pts) out << "v " << p[0] << " " << p[1] << " " << p[2] << "\n";
    out << "f";
    for (std::size_t i = 1; i <= pts.size(); ++i) out << " " << i;
    out << "\n";
    return out.str();
}

// Twice the signed area of the outline, and of the triangles (each must be
// counter-clockwise: none turned over).
double outlineArea(const std::vector<std::array<float, 3>>& p) {
    double a = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const auto& u = p[i];
        const auto& v = p[(i + 1) % p.size()];
        a += double(u[0]) * v[1] - double(v[0]) * u[1];
    }
    return a / 2;
}

}  // namespace

TEST(CoopdashReader, LargeFacesAreRefusedAndSplittingStaysQuadratic) {
    // Up to the stated 64 corners a face is split; one more is refused,
    // saying so.
    Read most(faceText(circle(64)));
    ASSERT_TRUE(most.ok) << most.loader.error;
    EXPECT_EQ(most.loader.loadedIndices.size(), 3u * 62u);
    Read over(faceText(circle(65)));
    EXPECT_FALSE(over.ok);
    EXPECT_NE(over.loader.error.find("65 corners (at most 64)"), std::string::npos) << over.loader.error;

    // A concave comb of 100 teeth is covered exactly, nothing turned over.
    std::vector<std::array<float, 3>> comb = {{0, 0, 0}, {200, 0, 0}, {200, 1, 0}};
    for (int j = 99; j >= 0; --j) {
        comb.push_back({float(2 * j + 1), 4, 0});
        comb.push_back({float(2 * j), 1, 0});
    }
    const std::vector<unsigned> idx = triangulate(comb);
    ASSERT_EQ(idx.size(), 3 * (comb.size() - 2));
    double total = 0;
    for (std::size_t i = 0; i < idx.size(); i += 3) {
        const double a = area(comb[idx[i]], comb[idx[i + 1]], comb[idx[i + 2]]);
        EXPECT_GE(a, 0) << "a triangle turned over at " << i;
        total += a;
    }
    EXPECT_NEAR(total, outlineArea(comb), 1e-3);

    // A hostile outline: a saw whose every tooth holds a corner of the way
    // back, so ears are found late. Looking for an ear afresh after each
    // cut made this cubic (one face of a 67 KB file took 24 s); the point
    // tests stay within a small multiple of n^2, however many corners.
    const auto saw = [](int teeth) {
        std::vector<std::array<float, 3>> p;
        for (int j = 0; j < teeth; ++j) {
            p.push_back({2.f * float(j), 0, 0});
            p.push_back({2.f * float(j) + 1, -1, 0});
        }
        p.push_back({2.f * float(teeth), 0, 0});
        p.push_back({2.f * float(teeth), 10, 0});
        for (int j = teeth - 1; j >= 0; --j) p.push_back({2.f * float(j) + 1, j % 2 ? -0.4f : -0.6f, 0});
        return p;
    };
    for (int teeth : {150, 500}) {
        const auto p = saw(teeth);
        std::size_t work = 0;
        const std::vector<unsigned> cut = triangulate(p, &work);
        EXPECT_EQ(cut.size(), 3 * (p.size() - 2));
        for (unsigned k : cut) ASSERT_LT(k, p.size());
        EXPECT_LT(double(work), 2.0 * double(p.size()) * double(p.size())) << teeth << " teeth";
    }
}

TEST(CoopdashReader, AFolderOrANamedPipeInAFilesPlaceIsRefusedByName) {
    const std::string dir = tempPath("coopdash_kinds_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/folder.obj");
    std::filesystem::create_directories(dir + "/folder.mtl");
    ASSERT_EQ(::mkfifo((dir + "/pipe.obj").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir + "/pipe.mtl").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir + "/pipe.png").c_str(), 0600), 0);
    writeFile(dir + "/uses_pipe.obj", std::string(kTriangle) + "mtllib pipe.mtl\nusemtl a\nf 1 2 3\n");
    writeFile(dir + "/uses_folder.obj", std::string(kTriangle) + "mtllib folder.mtl\nusemtl a\nf 1 2 3\n");
    writeFile(dir + "/fine.obj", std::string(kTriangle) + "f 1 2 3\n");

    // Each is refused at once (a pipe nobody writes to would block open()),
    // and the message names the file.
    for (const char* name : {"folder.obj", "pipe.obj", "missing.obj"}) {
        const std::string path = dir + "/" + name;
        std::string bytes, why;
        EXPECT_FALSE(readAssetFile(path, bytes, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
        std::ostringstream console;
        Loader loader(&console);
        EXPECT_FALSE(loader.loadFile(path)) << name;
        try {
            readModel(path, &console);
            ADD_FAILURE() << name << " read";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).find(path + ": "), 0u) << e.what();
        }
    }
    for (const char* name : {"uses_pipe.obj", "uses_folder.obj"}) {
        std::ostringstream console;
        try {
            readModel(dir + "/" + name, &console);
            ADD_FAILURE() << name << " read";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(".mtl: "), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(loadTexture(dir + "/pipe.png"), std::runtime_error);
    try {
        loadTexture(dir + "/pipe.png");
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).find(dir + "/pipe.png: "), 0u) << e.what();
    }
    EXPECT_EQ(readAssetFile(dir + "/fine.obj"), std::string(kTriangle) + "f 1 2 3\n");
    std::filesystem::remove_all(dir);
}

TEST(CoopdashReader, EveryModelStandsWithinItsHitBoxAsTheGameTurnsIt) {
    struct Bounds {
        double lo[2] = {1e9, 1e9}, hi[2] = {-1e9, -1e9};  // x, z
    };
    // The model's footprint turned as drawObject turns it (degrees about
    // y), of its vertices lower than `below`.
    const auto footprint = [](int kind, double heading, double below) {
        const std::vector<Mesh> meshes = readModel(std::string(kModelDir) + kModelFiles[std::size_t(kind)]);
        const double h = heading * M_PI / 180, c = std::cos(h), s = std::sin(h);
        Bounds b;
        for (const Mesh& m : meshes)
            for (const Vertex& v : m.vertices) {
                if (v.position[1] >= below) continue;
                const double x = c * v.position[0] + s * v.position[2], z = -s * v.position[0] + c * v.position[2];
                b.lo[0] = std::min(b.lo[0], x), b.hi[0] = std::max(b.hi[0], x);
                b.lo[1] = std::min(b.lo[1], z), b.hi[1] = std::max(b.hi[1], z);
            }
        return b;
    };
    struct Case {
        const char* what;
        std::shared_ptr<Object> object;
        double tolerance;
        double below;  // only what the chicken can reach: a crown above it may be wider
    };
    const Case cases[] = {
        {"car to -x", std::make_shared<Auto>(Vec3{12, 0, 0}, Vec3{-12, 0, 0}, 1000), 0.1, 9},
        {"car to +x", std::make_shared<Auto>(Vec3{-12, 0, 0}, Vec3{12, 0, 0}, 1000), 0.1, 9},
        {"train", std::make_shared<Tren>(Vec3{15, 0, 0}, Vec3{-15, 0, 0}), 0.05, 9},
        {"chicken", std::make_shared<Pollo>(), 0.1, 9},
        {"tree", std::make_shared<Arbol>(0, 0, 0), 0.005, 0.95},
    };
    for (const Case& c : cases) {
        const Object& o = *c.object;
        const Bounds b = footprint(o.kind, o.heading, c.below);
        const double half[2] = {o.halfExtent.x, o.halfExtent.z};
        for (int a = 0; a < 2; ++a) {
            EXPECT_NEAR(b.lo[a], -half[a], c.tolerance) << c.what << (a ? " z" : " x");
            EXPECT_NEAR(b.hi[a], half[a], c.tolerance) << c.what << (a ? " z" : " x");
        }
    }
    // The coin spins: at every turn it stays within its box.
    const Moneda coin(0, 0, 0);
    for (double heading = 0; heading < 360; heading += 15) {
        const Bounds b = footprint(KindMoneda, heading, 9);
        for (int a = 0; a < 2; ++a) {
            EXPECT_GE(b.lo[a], -coin.halfExtent.x - 0.02) << heading;
            EXPECT_LE(b.hi[a], coin.halfExtent.x + 0.02) << heading;
        }
    }
}
