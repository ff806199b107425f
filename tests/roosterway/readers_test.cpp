// The model, image and font readers on good and bad input, without a window:
// decimal-comma locale, CRLF line ends, no final newline, missing and
// damaged files.
#include <FreeImage.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>

#include "models.h"
#include "text.h"

using namespace roosterway;

namespace {

// Switches the process to a decimal-comma locale for one test, if installed.
struct CommaLocale {
    CommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name)) {
                try {
                    std::locale::global(std::locale(name));
                } catch (const std::runtime_error&) {
                }
                active = true;
                break;
            }
        }
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
    bool active = false;
};

const char* const kQuadObj =
    "# two triangles\r\n"
    "v -0.5 0.25 1.5\r\nv 0.5 0.25 1.5\r\nv 0.5 0.75 1.5\r\nv -0.5 0.75 1.5\r\n"
    "vt 0 0\r\nvt 1 0\r\nvt 1 1\r\nvt 0 1\r\n"
    "vn 0 0 1\r\n"
    "o quad\r\n"
    "f 1/1/1 2/2/1 3/3/1\r\nf 1/1/1 3/3/1 4/4/1";  // no final newline

// The scene's vertex extent over all meshes.
void extent(const aiScene* s, aiVector3D& lo, aiVector3D& hi) {
    lo = aiVector3D(1e9f, 1e9f, 1e9f);
    hi = aiVector3D(-1e9f, -1e9f, -1e9f);
    for (unsigned m = 0; m < s->mNumMeshes; ++m)
        for (unsigned v = 0; v < s->mMeshes[m]->mNumVertices; ++v) {
            const aiVector3D& p = s->mMeshes[m]->mVertices[v];
            lo.x = std::min(lo.x, p.x), lo.y = std::min(lo.y, p.y), lo.z = std::min(lo.z, p.z);
            hi.x = std::max(hi.x, p.x), hi.y = std::max(hi.y, p.y), hi.z = std::max(hi.z, p.z);
        }
}

std::string pngBytes(int w, int h) {
    FIBITMAP* bmp = FreeImage_Allocate(w, h, 32);
    for (int y = 0; y < h; ++y) {
        BYTE* row = FreeImage_GetScanLine(bmp, y);
        for (int x = 0; x < w; ++x) {
            row[4 * x + FI_RGBA_RED] = BYTE(200);
            row[4 * x + FI_RGBA_GREEN] = BYTE(y == 0 ? 10 : 100);
            row[4 * x + FI_RGBA_BLUE] = BYTE(x);
            row[4 * x + FI_RGBA_ALPHA] = 255;
        }
    }
    FIMEMORY* mem = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_PNG, bmp, mem, 0);
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(mem, &data, &size);
    std::string bytes(reinterpret_cast<char*>(data), size);
    FreeImage_CloseMemory(mem);
    FreeImage_Unload(bmp);
    return bytes;
}

template <class F>
std::string messageOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(ModelReader, ReadsObjUnderACommaLocaleWithCrlfAndNoFinalNewline) {
    CommaLocale locale;
    if (!locale.active) GTEST_SKIP() << "no de_DE locale installed";
    std::istringstream in(kQuadObj);
    const aiScene* scene = importModel(in, "quad.obj");
    ASSERT_NE(scene, nullptr);
    ASSERT_GE(scene->mNumMeshes, 1u);
    aiVector3D lo, hi;
    extent(scene, lo, hi);
    EXPECT_FLOAT_EQ(lo.x, -0.5f);
    EXPECT_FLOAT_EQ(lo.y, 0.25f);
    EXPECT_FLOAT_EQ(hi.y, 0.75f);
    EXPECT_FLOAT_EQ(hi.z, 1.5f);
    const aiMesh* mesh = scene->mMeshes[0];
    EXPECT_TRUE(mesh->HasNormals());
    EXPECT_TRUE(mesh->HasTextureCoords(0));
    EXPECT_EQ(mesh->mNumFaces, 2u);
    releaseScene(scene);
}

TEST(ModelReader, RefusesMissingEmptyAndDamagedFiles) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(messageOf([] { importModelFile("no/such/model.obj"); }), "El modelo no existe.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no/such/model.obj\n");
    try {
        importModelFile("no/such/model.obj");
        ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument&) {
    }

    for (const char* bad : {"", "f 1 2 3\n", "v 1 2\nf 1 9 12\n", "\x01\x02\x03garbage\xff", "o x\nf -1 -2 -3\n"}) {
        std::istringstream in(bad);
        const std::string msg = messageOf([&] {
            const aiScene* s = importModel(in, "bad.obj");
            // A reader that accepts odd input must still give a sound scene.
            for (unsigned m = 0; m < s->mNumMeshes; ++m)
                for (unsigned f = 0; f < s->mMeshes[m]->mNumFaces; ++f)
                    for (unsigned i = 0; i < s->mMeshes[m]->mFaces[f].mNumIndices; ++i)
                        EXPECT_LT(s->mMeshes[m]->mFaces[f].mIndices[i], s->mMeshes[m]->mNumVertices);
            releaseScene(s);
            throw std::runtime_error("accepted");
        });
        EXPECT_FALSE(msg.empty()) << bad;
    }
    std::istringstream empty("");
    EXPECT_NE(messageOf([&] { importModel(empty, "empty.obj"); }).find("No se pudo leer el modelo empty.obj"),
              std::string::npos);
}

TEST(ImageReader, DecodesPngAndRefusesMissingOrDamagedFiles) {
    std::istringstream png(pngBytes(4, 2));
    const ImageData img = decodeImage(png, "tiny.png");
    EXPECT_EQ(img.width, 4);
    EXPECT_EQ(img.height, 2);
    ASSERT_EQ(img.bgra.size(), 4u * 2u * 4u);
    // BGRA, bottom row first.
    EXPECT_EQ(img.bgra[0], 0);    // blue of x 0
    EXPECT_EQ(img.bgra[1], 10);   // green of the bottom row
    EXPECT_EQ(img.bgra[2], 200);  // red
    EXPECT_EQ(img.bgra[3], 255);
    EXPECT_EQ(img.bgra[4 * 3], 3);
    EXPECT_EQ(img.bgra[4 * 4 + 1], 100);

    testing::internal::CaptureStdout();
    EXPECT_EQ(messageOf([] { decodeImageFile("missing/texture.png"); }), "La textura no existe.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "missing/texture.png\n");

    const std::string good = pngBytes(8, 8);
    for (const std::string& bad : {std::string(), std::string("not a picture at all"), good.substr(0, 40),
                                   good.substr(0, good.size() / 2)}) {
        std::istringstream in(bad);
        const std::string msg = messageOf([&] { decodeImage(in, "bad.png"); });
        EXPECT_NE(msg.find("No se pudo leer la textura bad.png"), std::string::npos) << msg;
    }
    // A PNG under a JPEG name is refused by the JPEG reader.
    std::istringstream misnamed(good);
    EXPECT_NE(messageOf([&] { decodeImage(misnamed, "photo.jpg"); }).find("No se pudo leer"), std::string::npos);
}

TEST(FontReader, FreeTypeMessagesForMissingAndDamagedFonts) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(messageOf([] { renderGlyphsFile("fonts/none.ttf", 25); }),
              "No se pudo abrir la fuente fonts/none.ttf: "
              "FT_New_Face failed (there is probably a problem with your font file)");
    testing::internal::GetCapturedStdout();
    // An empty or garbage file that opens: the message names it too.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("roosterway_font_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const std::string& bad : {std::string(), std::string(4096, '\x5a')}) {
        const std::string path = (dir / "font_retro.ttf").string();
        std::ofstream(path, std::ios::binary) << bad;
        EXPECT_EQ(messageOf([&] { renderGlyphsFile(path, 25); }),
                  "No se pudo leer la fuente " + path +
                      ": FT_New_Face failed (there is probably a problem with your font file)");
    }
    std::filesystem::remove_all(dir);
    for (const std::string& bad : {std::string(), std::string("OTTO and then nothing useful"),
                                   std::string("\x00\x01\x00\x00\x00\x10", 6)}) {
        std::istringstream in(bad);
        EXPECT_EQ(messageOf([&] { renderGlyphs(in, 40); }),
                  "FT_New_Face failed (there is probably a problem with your font file)");
    }
    EXPECT_EQ(nextPowerOfTwo(0), 1);
    EXPECT_EQ(nextPowerOfTwo(1), 1);
    EXPECT_EQ(nextPowerOfTwo(33), 64);
    EXPECT_EQ(nextPowerOfTwo(64), 64);
}

TEST(TextLayout, LineHeightsAndCentring) {
    EXPECT_FLOAT_EQ(lineHeight(25), 25 / 0.63f + 10);
    EXPECT_FLOAT_EQ(lineHeight(40), 40 / 0.63f + 10);
    EXPECT_FLOAT_EQ(lineStartX(40, "JUGAR", 640), 640 - 5 * 23);
    EXPECT_FLOAT_EQ(lineStartX(25, "JUGAR", 540), 540);
}
