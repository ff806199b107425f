// The OBJ reader and the image reader: material groups, bad input refused
// with a message, and every file the generator stages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app.h"
#include "assets.h"
#include "hud.h"
#include "model.h"
#include "texture.h"

using namespace pigeonrun;

namespace {

Model read(const std::string& text) {
    std::istringstream in(text);
    Model m;
    readObj(in, m);
    return m;
}

std::string error(const std::string& text) {
    try {
        read(text);
    } catch (const ModelError& e) {
        return e.what();
    }
    return "";
}

const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n";

}  // namespace

TEST(PigeonrunModel, MaterialGroupsOpenAndCloseAtTheRightFaces) {
    const std::string f = "f 1/1/1 2/1/1 3/1/1\n";
    const Model m = read(std::string(kTriangle) + "# a comment\no thing\n" + f + "usemtl grey\n" + f + f +
                         "usemtl white\nusemtl black\n" + f + "s off\nusemtl orange\n");
    ASSERT_EQ(m.faces.size(), 4u);
    ASSERT_EQ(m.groups.size(), 4u);
    EXPECT_EQ(m.groups[0].name, "grey");
    EXPECT_EQ(m.groups[0].first, 1) << "the face before the first usemtl belongs to no group";
    EXPECT_EQ(m.groups[0].last, 2);
    EXPECT_EQ(m.groups[1].name, "white");
    EXPECT_EQ(m.groups[1].last, m.groups[1].first - 1) << "empty";
    EXPECT_EQ(m.groups[2].first, 3);
    EXPECT_EQ(m.groups[2].last, 3);
    EXPECT_EQ(m.groups[3].first, 4) << "a usemtl at the end opens an empty group";
    EXPECT_EQ(m.groups[3].last, 3);
    // Triangles: indices become 0-based.
    EXPECT_EQ(m.faces[0][1].position, 1);
    EXPECT_EQ(m.faces[0][2].normal, 0);
    EXPECT_EQ(m.positions[2][1], 1.0f);

    // Windows line ends, tabs and exponents read the same.
    const Model w = read("v 1e-1\t2 3\r\nv 0 0 0\r\nv 0 1 0\r\nvt 0 0\r\nvn 0 0 1\r\nf 1/1/1 2/1/1 3/1/1\r\n");
    EXPECT_FLOAT_EQ(w.positions[0][0], 0.1f);
}

TEST(PigeonrunModel, MalformedNumbersAndBadIndicesAreRefusedWithTheLine) {
    const std::string t = kTriangle;
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {"v 1 2 x\n", "line 1: malformed number 'x'"},
        {"v 1 2\n", "line 1: expected 3 numbers"},
        {"v 1,5 2 3\n", "malformed number '1,5'"},
        {"v 1.5.2 2 3\n", "malformed number"},
        {"v 1e99 0 0\n", "malformed number"},
        {"v nan 0 0\n", "malformed number"},
        {"vt 0\n", "expected 2 numbers"},
        {"vn 0 0 -\n", "malformed number"},
        {t + "f 1/1/1 2/1/1\n", "line 6: face with fewer than three corners"},
        {t + "f 1/1/1 2/1/1 3/1/1 1/1/1\n", "more than three corners"},
        {t + "f 1 2 3\n", "not written p/t/n"},
        {t + "f 1//1 2//1 3//1\n", "malformed index ''"},
        {t + "f 1/1/1 2/1/1 3/1/x\n", "malformed index 'x'"},
        {t + "f 1/1/1 2/1/1 99999999999/1/1\n", "malformed index"},
        {t + "f 0/1/1 2/1/1 3/1/1\n", "position index 0 outside the 3 read"},
        {t + "f 1/1/1 2/1/1 4/1/1\n", "position index 4 outside the 3 read"},
        {t + "f -1/1/1 2/1/1 3/1/1\n", "position index -1"},
        {t + "f 1/2/1 2/1/1 3/1/1\n", "texture coordinate index 2"},
        {t + "f 1/1/1 2/1/1 3/1/2\n", "normal index 2"},
        {t + "usemtl\n", "usemtl without a name"},
        {t, "no faces"},
        {"", "no faces"},
        {std::string("\x89PNG\r\n\x1a\n\0\0garbage\xff\xfe", 20), "no faces"},
    };
    for (const Case& c : cases) {
        const std::string e = error(c.text);
        EXPECT_NE(e.find(c.message), std::string::npos) << "input: " << c.text << "\nerror: " << e;
    }
    // The file reader names the file, also when it is missing.
    Model m;
    try {
        readObjFile("/nonexistent/paloma.obj", m);
        ADD_FAILURE() << "no error";
    } catch (const ModelError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/paloma.obj: cannot open the file");
    }
}

TEST(PigeonrunModel, NumbersReadTheSameUnderADecimalCommaLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
    const Model m = read(std::string("v 0.5 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n"));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_FLOAT_EQ(m.positions[0][0], 0.5f);
}

TEST(PigeonrunImages, BadImagesAreRefusedNamingTheFile) {
    auto refused = [](const std::string& bytes, const std::string& name) {
        std::istringstream in(bytes);
        try {
            readImage(in, name, true);
        } catch (const ImageError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(refused("", "x/Logo.png"), "x/Logo.png: empty file");
    EXPECT_EQ(refused("not an image at all", "x/Logo.png"), "x/Logo.png: not a readable image");
    EXPECT_EQ(refused("whatever", "x/Logo"), "x/Logo: unknown image type");
    // A real PNG cut in half.
    std::ifstream png(std::string(PIGEONRUN_STAGE) + "/Objetos/piso.png", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 1000u);
    EXPECT_NE(refused(whole.substr(0, 40), "piso.png"), "");
    EXPECT_EQ(refused(whole.substr(0, 7), "piso.png"), "piso.png: not a readable image");
    try {
        readImageFile("/nonexistent/calle.png", false);
        ADD_FAILURE() << "no error";
    } catch (const ImageError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/calle.png: cannot open the file");
    }
}

TEST(PigeonrunFiles, EveryStagedModelAndImageReads) {
    const std::string stage = std::string(PIGEONRUN_STAGE) + "/juego/";
    struct Obj {
        const char* path;
        std::vector<std::string> groups;
    };
    const Obj models[] = {
        {AssetPaths::kPigeon, {"grey_dark", "grey", "grey_light", "orange", "white", "black"}},
        {AssetPaths::kCar,
         {"phong1SG.003", "phong2SG.003", "phong3SG.003", "phong4SG.003", "phong6SG.003", "phong8SG.003",
          "phong5SG.003", "phong7SG.003"}},
        {AssetPaths::kCoin, {}},
    };
    for (const Obj& o : models) {
        Model m;
        ASSERT_NO_THROW(readObjFile(stage + o.path, m)) << o.path;
        EXPECT_GT(m.faces.size(), 50u) << o.path;
        EXPECT_LT(m.faces.size(), 3000u) << o.path;
        std::vector<std::string> names;
        int covered = 0;
        for (const MaterialGroup& g : m.groups) {
            names.push_back(g.name);
            covered += g.last - g.first + 1;
        }
        EXPECT_EQ(names, o.groups) << o.path;
        if (!o.groups.empty()) {
            EXPECT_EQ(covered, int(m.faces.size())) << o.path << ": every face coloured";
        }
    }
    // The pigeon faces +z (beak ahead), stands on y 0; the car is centred
    // and longer along z than across.
    Model pigeon, car;
    readObjFile(stage + AssetPaths::kPigeon, pigeon);
    readObjFile(stage + AssetPaths::kCar, car);
    auto extent = [](const Model& m, int axis) {
        float lo = 1e9f, hi = -1e9f;
        for (const auto& p : m.positions) lo = std::min(lo, p[std::size_t(axis)]), hi = std::max(hi, p[std::size_t(axis)]);
        return std::pair{lo, hi};
    };
    EXPECT_FLOAT_EQ(extent(pigeon, 1).first, 0);
    for (const MaterialGroup& g : pigeon.groups) {
        if (g.name != "white") continue;
        for (int f = g.first; f <= g.last; ++f)
            for (const Corner& c : pigeon.faces[std::size_t(f)])
                EXPECT_GT(pigeon.positions[std::size_t(c.position)][2], 2.f) << "the cere sits at the front";
    }
    const auto carX = extent(car, 0), carZ = extent(car, 2);
    EXPECT_NEAR(carZ.first + carZ.second, 0, 1e-3);
    EXPECT_GT(carZ.second - carZ.first, 2 * (carX.second - carX.first));
    EXPECT_LE(carZ.second - carZ.first, 15.f) << "within the hit box";

    std::vector<std::string> alpha = {AssetPaths::kCoinIcon, AssetPaths::kLogo, AssetPaths::kPause,
                                      AssetPaths::kGameOver, AssetPaths::kPressEnter};
    for (int d = 0; d < 10; ++d) alpha.push_back(AssetPaths::digit(d));
    for (const std::string& path : alpha) {
        const Pixels p = readImageFile(stage + path, true);
        EXPECT_GT(p.width, 0) << path;
        EXPECT_EQ(p.bytes.size(), std::size_t(p.width * p.height * 4)) << path;
        // Premultiplied: no colour where there is no alpha.
        for (std::size_t i = 0; i < p.bytes.size(); i += 4)
            if (p.bytes[i + 3] == 0 && (p.bytes[i] || p.bytes[i + 1] || p.bytes[i + 2])) {
                ADD_FAILURE() << path << ": colour under zero alpha";
                break;
            }
    }
    for (const char* path : {AssetPaths::kGrass, AssetPaths::kRoad}) {
        const Pixels p = readImageFile(stage + path, false);
        EXPECT_EQ(p.bytes.size(), std::size_t(p.width * p.height * 3)) << path;
    }
}

TEST(PigeonrunFiles, AFolderIsRefusedByNameBeforeItIsRead) {
    // Opened as a file, a folder fails on its first read with a message that
    // does not name it.
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("pigeonrun_folder_" + std::to_string(getpid()) + ".png")).string();
    std::filesystem::create_directories(dir);
    for (bool image : {true, false}) {
        std::string message;
        try {
            if (image) {
                readImageFile(dir, true);
            } else {
                Model m;
                readObjFile(dir, m);
            }
        } catch (const std::exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message, dir + ": is a folder, not a file") << (image ? "image" : "model");
    }
    std::filesystem::remove(dir);
}

TEST(PigeonrunApp, TheVideoDriverCountsAsAskedForOnlyWhenTheEnvironmentNamesIt) {
    EXPECT_TRUE(videoDriverRequested("offscreen", "offscreen"));
    EXPECT_TRUE(videoDriverRequested("x11,OffScreen", "offscreen"));
    EXPECT_TRUE(videoDriverRequested("DUMMY,", "dummy"));
    EXPECT_FALSE(videoDriverRequested(nullptr, "offscreen"));
    EXPECT_FALSE(videoDriverRequested("", "offscreen"));
    EXPECT_FALSE(videoDriverRequested("x11,wayland", "dummy"));
    EXPECT_FALSE(videoDriverRequested("offscreen2", "offscreen"));
    EXPECT_FALSE(videoDriverRequested("offscreen", "dummy"));
}
