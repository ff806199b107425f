// The readers: the duck model's OBJ lines and the images, from strings and
// from the generated files (run from the game's stage folder).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <clocale>
#include <fstream>
#include <iterator>
#include <sstream>

#include "assets.h"

using namespace duckrun;

namespace {

const char* const kHeader =
    "# a test model\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "vt 0 0\nvt 1 0 0\nvt 1 1\n"
    "vn 0 0 1\n";

DuckMesh read(const std::string& text) {
    std::istringstream in(text);
    return readDuckModel(in, "pato.obj");
}

// The message of the refusal, or "" when the text was accepted.
std::string refusal(const std::string& text) {
    try {
        read(text);
    } catch (const AssetError& e) {
        return e.what();
    }
    return "";
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(DuckModelReader, TrianglesQuadsCommentsAndOtherLines) {
    const DuckMesh m = read(std::string(kHeader) +
                            "o duck\ng body\nusemtl x\ns 1\n"
                            "# f 9/9/9 9/9/9 9/9/9\n"
                            "f 1/1/1 2/2/1 3/3/1\n"
                            "f 1/1/1 2/2/1 3/3/1 4/3/1\r\n"
                            "f -4/-3/-1 -3/-2/-1 -2/-1/-1\n");
    ASSERT_EQ(m.positions.size(), 4u);
    ASSERT_EQ(m.texcoords.size(), 3u);
    ASSERT_EQ(m.normals.size(), 1u);
    ASSERT_EQ(m.faces.size(), 3u);
    EXPECT_EQ(m.faces[0].count, 3);
    EXPECT_EQ(m.faces[1].count, 4);
    EXPECT_EQ(m.faces[1].corners[3].p, 3);
    EXPECT_EQ(m.faces[1].corners[3].t, 2);
    EXPECT_EQ(m.faces[2].corners[0].p, 0) << "negative indices count back from the end";
    EXPECT_EQ(m.faces[2].corners[2].t, 2);
    EXPECT_FLOAT_EQ(m.positions[2].y, 1);
    EXPECT_FLOAT_EQ(m.texcoords[1][0], 1);
}

TEST(DuckModelReader, ReadsNumbersWithADecimalPointUnderADecimalCommaLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE.utf8");
    const DuckMesh m = read("v 0.5 -1.25 2e-1\nvt 0.75 0.25\nvn 0 0 1\nf 1/1/1 1/1/1 1/1/1\n");
    std::setlocale(LC_ALL, old.c_str());
    if (!german) GTEST_SKIP() << "no de_DE locale";
    EXPECT_FLOAT_EQ(m.positions[0].x, 0.5f);
    EXPECT_FLOAT_EQ(m.positions[0].y, -1.25f);
    EXPECT_FLOAT_EQ(m.positions[0].z, 0.2f);
    EXPECT_FLOAT_EQ(m.texcoords[0][0], 0.75f);
}

TEST(DuckModelReader, RefusesBadLinesNamingFileAndLine) {
    const std::string tri = "f 1/1/1 2/2/1 3/3/1\n";
    const struct {
        std::string text, expected;
    } cases[] = {
        {"v 1 2\n" + tri, "línea 1"},
        {"v 1 x 3\n", "número mal escrito: x"},
        {"v 1,5 2 3\n", "número mal escrito"},
        {"vn 1 2 3 4\n", "cantidad"},
        {"vt 1\n", "cantidad"},
        {std::string(kHeader) + "f 1/1/1 2/2/1\n", "no 2"},
        {std::string(kHeader) + "f 1/1/1 2/2/1 3/3/1 4/3/1 1/1/1\n", "no 5"},
        {std::string(kHeader) + "f 1/1 2/2/1 3/3/1\n", "esquina mal escrita"},
        {std::string(kHeader) + "f 1//1 2/2/1 3/3/1\n", "esquina mal escrita"},
        {std::string(kHeader) + "f 1/1/1/1 2/2/1 3/3/1\n", "esquina mal escrita"},
        {std::string(kHeader) + "f 1/1/1 2/2/1 3x/3/1\n", "esquina mal escrita"},
        {std::string(kHeader) + "f 0/1/1 2/2/1 3/3/1\n", "índice fuera de rango: 0/1/1"},
        {std::string(kHeader) + "f 1/1/1 5/2/1 3/3/1\n", "índice fuera de rango: 5/2/1"},
        {std::string(kHeader) + "f 1/1/1 2/4/1 3/3/1\n", "índice fuera de rango"},
        {std::string(kHeader) + "f 1/1/1 2/2/2 3/3/1\n", "índice fuera de rango"},
        {std::string(kHeader) + "f -5/1/1 2/2/1 3/3/1\n", "índice fuera de rango"},
        {std::string(kHeader) + "f 99999999999/1/1 2/2/1 3/3/1\n", "esquina mal escrita"},
        {"f 1/1/1 1/1/1 1/1/1\nv 0 0 0\nvt 0 0\nvn 0 0 1\n", "índice fuera de rango"},
        {"", "no tiene caras"},
        {"# only a comment\nv 0 0 0\n", "no tiene caras"},
    };
    for (const auto& c : cases) {
        const std::string message = refusal(c.text);
        EXPECT_NE(message.find(c.expected), std::string::npos) << "'" << c.text << "' gave '" << message << "'";
        if (!message.empty()) {
            EXPECT_NE(message.find("pato.obj"), std::string::npos) << message;
        }
    }
}

TEST(DuckModelReader, LinesOver255CharactersAreRefused) {
    // 255 characters is the longest line read.
    std::string longest = "# " + std::string(253, 'x');
    ASSERT_EQ(longest.size(), 255u);
    EXPECT_EQ(refusal(std::string(kHeader) + longest + "\nf 1/1/1 2/2/1 3/3/1\n"), "");
    const std::string message = refusal(std::string(kHeader) + longest + "x\nf 1/1/1 2/2/1 3/3/1\n");
    EXPECT_NE(message.find("línea 10"), std::string::npos) << message;
    EXPECT_NE(message.find("255"), std::string::npos) << message;
    // A vertex line padded past the limit, and one huge line without an end.
    EXPECT_NE(refusal("v 1 2 3" + std::string(300, ' ') + "\n").find("255"), std::string::npos);
    EXPECT_NE(refusal(std::string(100000, 'f')).find("255"), std::string::npos);
}

TEST(DuckModelReader, MissingFileIsNamed) {
    try {
        readDuckModel("./no/such/Duck.obj");
        FAIL() << "no error";
    } catch (const AssetError& e) {
        EXPECT_NE(std::string(e.what()).find("./no/such/Duck.obj"), std::string::npos) << e.what();
    }
}

TEST(DuckAssets, EveryGeneratedFileReads) {
    const DuckMesh duck = readDuckModel(paths::kDuckModel);
    EXPECT_GT(duck.faces.size(), 50u);
    // The reader's "exactly three blanks" triangle form: the generator writes
    // single blanks only.
    std::istringstream lines(fileBytes(paths::kDuckModel));
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), kMaxModelLine);
        EXPECT_EQ(line.find("  "), std::string::npos) << line;
        if (line.rfind("f ", 0) == 0) {
            EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 4) << line;
        }
    }
    // z up, on the ground, about 2.4 units tall and 2 wide once scaled 0.06.
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (const Vec3& p : duck.positions) {
        const float c[3] = {p.x, p.y, p.z};
        for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], c[i] * 0.06f), hi[i] = std::max(hi[i], c[i] * 0.06f);
    }
    EXPECT_NEAR(lo[2], 0, 1e-3);
    EXPECT_NEAR(hi[2], 2.4f, 0.01f);
    EXPECT_NEAR(hi[0] - lo[0], 2.0f, 0.01f);
    // The bill is at -y in the file (toward +z once drawn).
    EXPECT_GT(-lo[1], hi[1]);
    // Drawn where it collides: the duck stands at its position, as wide as
    // its 1-unit radius there; bill and tail reach a little past it.
    EXPECT_NEAR(lo[0] + hi[0], 0, 0.05f);
    EXPECT_NEAR(lo[1] + hi[1], 0, 0.05f);
    EXPECT_LE(std::max(-lo[0], hi[0]), kDuckRadius + 0.05f);
    EXPECT_LE(std::max(-lo[1], hi[1]), kDuckRadius + 0.45f);

    const Picture texture = readPicture(paths::kDuckTexture, 24);
    EXPECT_EQ(texture.width, 128);
    EXPECT_EQ(readPicture(paths::kGrass, 24).width, 64);
    const Picture board = readPicture(paths::kBlackboard, 32);
    EXPECT_EQ(board.bytesPerPixel, 4);
    EXPECT_EQ(board.width, 512);
    for (const auto* set : {&paths::kDaySky, &paths::kNightSky})
        for (const std::string& face : *set) EXPECT_EQ(readPicture(face, 24).width, 512) << face;
}

TEST(DuckAssets, SkyFacesJoinAtTheirEdges) {
    // Left, back, right, front run round the horizon: each one's right
    // column meets the next one's left column.
    for (const auto* set : {&paths::kDaySky, &paths::kNightSky}) {
        const Picture side[4] = {readPicture((*set)[3], 24), readPicture((*set)[2], 24), readPicture((*set)[1], 24),
                                 readPicture((*set)[0], 24)};  // front, right, back, left
        for (int i = 0; i < 4; ++i) {
            const Picture& a = side[i];
            const Picture& b = side[(i + 1) % 4];
            int worst = 0;
            for (int y = 0; y < a.height; ++y)
                for (int ch = 0; ch < 3; ++ch) {
                    const int pa = a.pixels[std::size_t((y * a.width + a.width - 1) * 3 + ch)];
                    const int pb = b.pixels[std::size_t((y * b.width) * 3 + ch)];
                    worst = std::max(worst, std::abs(pa - pb));
                }
            EXPECT_LE(worst, 12) << (*set)[0] << " side " << i;
        }
    }
}

TEST(DuckAssets, BadImagesAreRefusedNamingTheFile) {
    const std::string png = fileBytes(paths::kGrass);
    const std::string jpg = fileBytes(paths::kDuckTexture);
    ASSERT_GT(png.size(), 100u);
    const struct {
        std::string bytes, label;
    } cases[] = {
        {"", "empty"},
        {png.substr(0, png.size() / 2), "half a PNG"},
        {jpg.substr(0, jpg.size() / 2), "half a JPEG"},
        {std::string(png.size(), '\x5a'), "garbage"},
        {png.substr(0, 8), "PNG signature only"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.bytes);
        try {
            readPicture(in, "./assets/textures/x.png", 24);
            ADD_FAILURE() << c.label << " was accepted";
        } catch (const AssetError& e) {
            EXPECT_NE(std::string(e.what()).find("./assets/textures/x.png"), std::string::npos) << e.what();
        }
    }
}

TEST(DuckAssets, FoldersPipesAndUnreadableFilesAreRefusedByName) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("duckrun_files_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "grass.png");
    ASSERT_EQ(mkfifo((dir / "Duck.obj").c_str(), 0600), 0);
    const auto error = [](auto read) -> std::string {
        try {
            read();
        } catch (const AssetError& e) {
            return e.what();
        }
        return "";
    };
    const std::string folder = (dir / "grass.png").string(), pipe = (dir / "Duck.obj").string();
    EXPECT_EQ(error([&] { readPicture(folder, 24); }), "No se pudo abrir la imagen " + folder + ": es una carpeta, no un archivo");
    EXPECT_EQ(error([&] { readDuckModel(folder); }), "No se pudo abrir el modelo " + folder + ": es una carpeta, no un archivo");
    // A pipe nobody writes to would block the open: it is never opened.
    EXPECT_EQ(error([&] { readDuckModel(pipe); }),
              "No se pudo abrir el modelo " + pipe + ": es una tubería con nombre, no un archivo");
    EXPECT_EQ(error([&] { readPicture(pipe, 32); }),
              "No se pudo abrir la imagen " + pipe + ": es una tubería con nombre, no un archivo");
    EXPECT_EQ(error([&] { readPicture("/dev/null", 24); }), "No se pudo abrir la imagen /dev/null: no es un archivo común");
    // A plain file whose read fails: the stream's error, with the path.
    EXPECT_EQ(error([&] { readPicture("/proc/self/mem", 24); }).rfind("No se pudo leer la imagen /proc/self/mem", 0), 0u);
    EXPECT_EQ(error([&] { readDuckModel("/proc/self/mem"); }).rfind("No se pudo leer el modelo /proc/self/mem", 0), 0u);
    fs::remove_all(dir);
}
