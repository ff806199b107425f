// The OBJ reader, the image reader and the arithmetic that readies models.
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "model.h"
#include "texture.h"

using namespace birdhop;

namespace {

const char* const kSquare =
    "# a unit square, z up\n"
    "v 0 0 0\nv 2 0 0\nv 2 4 0\nv 0 4 1\n"
    "vt 0 0\nvt 1 1\n"
    "vn 0 0 1\n"
    "f 1/1/1 2/2/1 3/1/1 4/2/1\n";

ObjMesh read(const std::string& text) {
    std::istringstream in(text);
    return readObj(in);
}

std::string errorOf(const std::string& text) {
    try {
        read(text);
    } catch (const AssetError& e) {
        return e.what();
    }
    return "";
}

// A small picture encoded by FreeImage as the given format.
std::string encoded(FREE_IMAGE_FORMAT format, int size, int flags = 0) {
    FIBITMAP* bmp = FreeImage_Allocate(size, size, 24);
    for (int y = 0; y < size; ++y) {
        BYTE* line = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < size; ++x) {
            line[x * 3] = BYTE(x * 7);
            line[x * 3 + 1] = BYTE(y * 5);
            line[x * 3 + 2] = BYTE((x ^ y) * 3);
        }
    }
    FIMEMORY* mem = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(format, bmp, mem, flags);
    BYTE* data = nullptr;
    DWORD n = 0;
    FreeImage_AcquireMemory(mem, &data, &n);
    std::string out(reinterpret_cast<char*>(data), n);
    FreeImage_CloseMemory(mem);
    FreeImage_Unload(bmp);
    return out;
}

std::string imageError(const std::string& bytes, int bits = 24) {
    std::istringstream in(bytes);
    try {
        readImage(in, bits);
    } catch (const AssetError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(BirdhopObj, ReadsPositionsCoordinatesNormalsAndFacesOfAnySize) {
    const ObjMesh m = read(std::string(kSquare) + "o skipped\r\nusemtl also\n\n  v  1 1 1 \n");
    ASSERT_EQ(m.positions.size(), 5u);
    EXPECT_EQ(m.positions[4][2], 1);
    ASSERT_EQ(m.faces.size(), 1u);
    ASSERT_EQ(m.faces[0].size(), 4u);
    EXPECT_EQ(m.faces[0][3].position, 3);
    EXPECT_EQ(m.faces[0][3].texcoord, 1);
    EXPECT_EQ(m.faces[0][3].normal, 0);
}

TEST(BirdhopObj, BadInputIsRefusedWithTheLineAndTheProblem) {
    const std::string v = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n";
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {"v 0 zero 0\n", "line 1: malformed number 'zero'"},
        {"v 0 1,5 0\n", "line 1: malformed number '1,5'"},
        {"v 0 0\n", "line 1: 'v' needs 3 numbers"},
        {"vt 0.5\n", "line 1: 'vt' needs 2 numbers"},
        {"vn 0 nan 1\n", "line 1: malformed number 'nan'"},
        {"v 1e999 0 0\n", "line 1: number out of range '1e999'"},
        {v + "f 1/1/1 2/1/1\n", "line 6: face with fewer than three corners"},
        {v + "f 1/1/1 2/1/1 3/1\n", "line 6: face corner not written p/t/n: '3/1'"},
        {v + "f 1//1 2/1/1 3/1/1\n", "line 6: malformed texture coordinate index ''"},
        {v + "f 1/1/1 2/1/1 4/1/1\n", "line 6: position index 4 outside the 3 read"},
        {v + "f 0/1/1 2/1/1 3/1/1\n", "line 6: position index 0 outside the 3 read"},
        {v + "f -1/1/1 2/1/1 3/1/1\n", "line 6: position index -1 outside the 3 read"},
        {v + "f 1/2/1 2/1/1 3/1/1\n", "line 6: texture coordinate index 2 outside the 1 read"},
        {v + "f 1/1/9 2/1/1 3/1/1\n", "line 6: normal index 9 outside the 1 read"},
        {v + "f 1/1/1 2/1/x 3/1/1\n", "line 6: malformed normal index 'x'"},
        {v + "f 1/1/1 2/1/1 99999999999/1/1\n", "line 6: malformed position index '99999999999'"},
        {"", "no faces"},
        {v, "no faces"},
        {std::string("\x89PNG\r\n\x1a\n\0\0garbage", 18), "no faces"},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.text), c.message) << c.text;
}

TEST(BirdhopObj, AMissingFileIsNamed) {
    try {
        readObjFile("/nonexistent/bird.obj");
        FAIL();
    } catch (const AssetError& e) {
        EXPECT_STREQ(e.what(), "/nonexistent/bird.obj: cannot open the model");
    }
}

TEST(BirdhopModel, ZUpModelsAreTurnedCentredStoodAndScaledToAnExtentOfOne) {
    // x 0..2, y 0..4 (depth once turned), z 0..1 (height once turned).
    const BirdModel m = buildTexturedModel(read(kSquare));
    EXPECT_EQ(m.vertexCount, 6u) << "a four-corner face is two triangles";
    ASSERT_EQ(m.positions.size(), 18u);
    ASSERT_EQ(m.texcoords.size(), 12u);
    EXPECT_NEAR(m.bounds.minX, -0.25, 1e-12);
    EXPECT_NEAR(m.bounds.maxX, 0.25, 1e-12);
    EXPECT_NEAR(m.bounds.minZ, -0.5, 1e-12);
    EXPECT_NEAR(m.bounds.maxZ, 0.5, 1e-12);
    EXPECT_EQ(m.bounds.minY, 0);
    EXPECT_NEAR(m.bounds.maxY, 0.25, 1e-12);
    // Corner 1 (0, 0, 0) becomes (0, 0, -0) then moves to (-0.25, 0, 0.5).
    EXPECT_NEAR(m.positions[0], -0.25, 1e-12);
    EXPECT_NEAR(m.positions[1], 0, 1e-12);
    EXPECT_NEAR(m.positions[2], 0.5, 1e-12);
    // Corner 4 (0, 4, 1) stands 0.25 up at the far end, -z.
    EXPECT_NEAR(m.positions[15], -0.25, 1e-12);
    EXPECT_NEAR(m.positions[16], 0.25, 1e-12);
    EXPECT_NEAR(m.positions[17], -0.5, 1e-12);
    // The z-up normal (0, 0, 1) points up.
    EXPECT_NEAR(m.normals[1], 1, 1e-12);
}

TEST(BirdhopModel, TheTreeKeepsItsUnitsStandsOnZeroAndIsSymmetricInX) {
    ObjMesh tree = read("v -0.5 -1 -0.3\nv 1 3 0.4\nv 0 2 0\nvt 0 0\nvn 0 1 0\nf 1/1/1 2/1/1 3/1/1\n");
    ModelBounds box;
    const ModelBounds printed = liftTree(tree, box);
    EXPECT_EQ(printed.maxX, 1);
    EXPECT_EQ(printed.minX, -0.5);
    EXPECT_EQ(box.minX, -1);
    EXPECT_EQ(box.maxX, 1);
    EXPECT_EQ(box.minY, 0);
    EXPECT_EQ(box.maxY, 4);
    EXPECT_EQ(box.minZ, -0.3);
    EXPECT_EQ(tree.positions[0][1], 0);
    EXPECT_EQ(tree.positions[1][1], 4);
    // Bark for the last 20 faces, leaves before them.
    EXPECT_DOUBLE_EQ(treeTexT(0, 0, 44), 0.1);
    EXPECT_DOUBLE_EQ(treeTexT(2, 23, 44), 0.12);
    EXPECT_DOUBLE_EQ(treeTexT(0, 24, 44), 0.9);
    EXPECT_DOUBLE_EQ(treeTexT(3, 43, 44), 0.87);
}

TEST(BirdhopImages, PicturesDecodeAndDamagedOnesAreRefused) {
    const std::string png = encoded(FIF_PNG, 16), jpg = encoded(FIF_JPEG, 64, 90);
    {
        std::istringstream in(png);
        const ImageData img = readImage(in, 32);
        EXPECT_EQ(img.width, 16);
        EXPECT_EQ(img.channels, 4);
        EXPECT_EQ(img.pixels.size(), 16u * 16u * 4u);
        EXPECT_EQ(img.pixels[4 * 3 + 0], 21) << "blue of pixel (3, 0), bottom row first";
    }
    {
        std::istringstream in(jpg);
        const ImageData img = readImage(in, 24);
        EXPECT_EQ(img.height, 64);
        EXPECT_EQ(img.pixels.size(), 64u * 64u * 3u);
    }
    EXPECT_EQ(imageError(""), "empty image file");
    EXPECT_EQ(imageError(std::string(500, 'x')), "not a picture FreeImage can read");
    EXPECT_NE(imageError(png.substr(0, png.size() / 2)), "") << "half a PNG";
    EXPECT_NE(imageError(jpg.substr(0, jpg.size() / 2)), "") << "half a JPEG";
    EXPECT_NE(imageError(png.substr(0, 40)), "") << "a PNG header only";
    std::string flipped = jpg;
    for (std::size_t i = flipped.size() / 3; i < flipped.size() / 3 + 200; ++i) flipped[i] = char(0xFF ^ i);
    EXPECT_NE(imageError(flipped), "") << "random bytes inside a JPEG";
    try {
        readImageFile("/nonexistent/grass.jpg", 24);
        FAIL();
    } catch (const AssetError& e) {
        EXPECT_STREQ(e.what(), "/nonexistent/grass.jpg: cannot open the picture");
    }
}

TEST(BirdhopFiles, FoldersPipesAndUnreadableFilesAreRefusedByName) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("birdhop_files_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "grass.jpg");
    ASSERT_EQ(mkfifo((dir / "bird.obj").c_str(), 0600), 0);
    const auto error = [](auto read) -> std::string {
        try {
            read();
        } catch (const AssetError& e) {
            return e.what();
        }
        return "";
    };
    const std::string folder = (dir / "grass.jpg").string(), pipe = (dir / "bird.obj").string();
    EXPECT_EQ(error([&] { readImageFile(folder, 24); }), folder + ": is a folder, not a picture file");
    EXPECT_EQ(error([&] { readObjFile(folder); }), folder + ": is a folder, not a model file");
    // A pipe nobody writes to would block the open: it is never opened.
    EXPECT_EQ(error([&] { readObjFile(pipe); }), pipe + ": is a named pipe, not a model file");
    EXPECT_EQ(error([&] { readImageFile(pipe, 32); }), pipe + ": is a named pipe, not a picture file");
    EXPECT_EQ(error([&] { readImageFile("/dev/null", 24); }), "/dev/null: is not a regular file");
    // A plain file whose read fails: the stream's error, with the path.
    EXPECT_EQ(error([&] { readImageFile("/proc/self/mem", 24); }).rfind("/proc/self/mem: ", 0), 0u);
    EXPECT_EQ(error([&] { readObjFile("/proc/self/mem"); }).rfind("/proc/self/mem: ", 0), 0u);
    fs::remove_all(dir);
}
