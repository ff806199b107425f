// The shared OBJ loader: good files, the quirks of its strict format, both
// dialects, line ends and locales, and every kind of bad input.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>

#include "objloader/objloader.h"

using namespace objloader;

namespace {

struct Model {
    std::vector<Point> positions;
    std::vector<TexCoord> uvs;
    std::vector<Point> normals;
    std::string messages;
    bool ok = false;
};

Model read(const std::string& text, const Dialect& dialect = kLineDialect) {
    Model m;
    std::istringstream in(text);
    std::ostringstream out;
    m.ok = readObjModel(in, m.positions, m.uvs, m.normals, dialect, out);
    m.messages = out.str();
    return m;
}

const char* const kHeader =
    "# two triangles\n"
    "mtllib x.mtl\n"
    "o panel\n"
    "v 0 0 0\n"
    "v 1.5 0 0\n"
    "v 0 2.25 -1\n"
    "v -4e-1 1 1\n"
    "vt 0.25 0.75\n"
    "vt 1 0\n"
    "vn 0 0 1\n"
    "vn 0 1 0\n"
    "usemtl a\n"
    "s off\n";

const std::string kParse = "File can't be read by our simple parser :-( Try exporting with other options\n";
const std::string kParseTerse = "File can't be read by our simple parser : ( Try exporting with other options\n";

}  // namespace

TEST(ObjLoader, ExpandsEveryCornerInOrder) {
    const Model m = read(std::string(kHeader) + "f 1/1/1 2/2/1 3/1/2\nf 4/2/2 1/1/1 2/2/2\n");
    ASSERT_TRUE(m.ok) << m.messages;
    EXPECT_EQ(m.messages, "");
    ASSERT_EQ(m.positions.size(), 6u);
    ASSERT_EQ(m.uvs.size(), 6u);
    ASSERT_EQ(m.normals.size(), 6u);
    EXPECT_FLOAT_EQ(m.positions[1].x, 1.5f);
    EXPECT_FLOAT_EQ(m.positions[2].y, 2.25f);
    EXPECT_FLOAT_EQ(m.positions[2].z, -1.0f);
    EXPECT_FLOAT_EQ(m.positions[3].x, -0.4f);
    // u and v arrive as written: v is not flipped.
    EXPECT_FLOAT_EQ(m.uvs[0].u, 0.25f);
    EXPECT_FLOAT_EQ(m.uvs[0].v, 0.75f);
    EXPECT_FLOAT_EQ(m.uvs[3].u, 1.0f);
    EXPECT_FLOAT_EQ(m.normals[2].y, 1.0f);
    EXPECT_FLOAT_EQ(m.normals[0].z, 1.0f);
}

TEST(ObjLoader, AppendsToWhatTheCallerHolds) {
    Model m;
    m.positions.resize(2);
    std::istringstream in(std::string(kHeader) + "f 1/1/1 2/2/1 3/1/2\n");
    std::ostringstream out;
    ASSERT_TRUE(readObjModel(in, m.positions, m.uvs, m.normals, kLineDialect, out));
    EXPECT_EQ(m.positions.size(), 5u);
    EXPECT_FLOAT_EQ(m.positions[3].x, 1.5f);
}

TEST(ObjLoader, OnlyVerticesGiveEmptyArrays) {
    const Model m = read("v 1 2 3\nv 4 5 6\n");
    EXPECT_TRUE(m.ok);
    EXPECT_TRUE(m.positions.empty());
    EXPECT_TRUE(m.uvs.empty());
    EXPECT_TRUE(m.normals.empty());
    EXPECT_TRUE(read("").ok);
}

TEST(ObjLoader, AFourCornerFaceIsReadAsItsFirstThree) {
    for (const Dialect* d : {&kLineDialect, &kWordDialect}) {
        const Model m = read(std::string(kHeader) + "f 1/1/1 2/2/1 3/1/2 4/2/2\nf 4/1/1 3/1/1 2/1/1\n", *d);
        ASSERT_TRUE(m.ok);
        ASSERT_EQ(m.positions.size(), 6u) << "the fourth triple is skipped, the next face still read";
        EXPECT_FLOAT_EQ(m.positions[2].y, 2.25f);
        EXPECT_FLOAT_EQ(m.positions[3].x, -0.4f);
    }
}

TEST(ObjLoader, FacesNotWrittenAsTriplesAreRefused) {
    const std::string bad[] = {
        "f 1//1 2//1 3//2\n",        // no texture index
        "f 1 2 3\n",                 // positions only
        "f 1/1 2/2 3/1\n",           // no normal index
        "f 1/1/1 2/2/1\n",           // two corners, then the end
        "f 1/1/1 2/2/1\nv 0 0 0\n",  // two corners, then a word
        "f a/1/1 2/2/1 3/1/2\n",
        "f 1 /1/1 2/2/1 3/1/2\n",
    };
    for (const std::string& face : bad) {
        Model m;
        m.positions.resize(1);
        std::istringstream in(std::string(kHeader) + face);
        std::ostringstream out;
        EXPECT_FALSE(readObjModel(in, m.positions, m.uvs, m.normals, kLineDialect, out)) << face;
        EXPECT_EQ(out.str(), kParse) << face;
        EXPECT_EQ(m.positions.size(), 1u) << "nothing appended on failure: " << face;
        EXPECT_TRUE(m.uvs.empty());
    }
}

TEST(ObjLoader, IndicesOutsideTheArraysAreRefused) {
    const std::string bad[] = {
        "f 0/1/1 2/2/1 3/1/2\n",   // zero
        "f 1/1/1 2/0/1 3/1/2\n",
        "f 1/1/1 2/2/1 3/1/0\n",
        "f -1/1/1 2/2/1 3/1/2\n",  // relative indices are not supported
        "f 1/1/1 2/-1/1 3/1/2\n",
        "f 5/1/1 2/2/1 3/1/2\n",   // one past the end
        "f 1/3/1 2/2/1 3/1/2\n",
        "f 1/1/1 2/2/1 3/1/3\n",
        "f 4294967297/1/1 2/2/1 3/1/2\n",  // wraps to 1 as a 32-bit unsigned
        "f 99999999999999999999999/1/1 2/2/1 3/1/2\n",
    };
    for (const std::string& face : bad) {
        const Model m = read(std::string(kHeader) + face);
        EXPECT_FALSE(m.ok) << face;
        EXPECT_EQ(m.messages, kParse) << face;
        EXPECT_TRUE(m.positions.empty()) << face;
    }
    // Normals referenced where none were read; an index to a vertex that
    // only comes later in the file is fine.
    EXPECT_FALSE(read("v 0 0 0\nvt 0 0\nf 1/1/1 1/1/1 1/1/1\n").ok);
    EXPECT_TRUE(read("vt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 1/1/1\nv 0 0 0\n").ok);
}

TEST(ObjLoader, MalformedNumbersAreRefused) {
    for (const char* text : {"v 1 2\n", "v 1 2 x\n", "v 1,5 2 3\n", "vt 0.5\n", "vn 0 0 nan\n", "v 1 2 3e99\n",
                             "v 1 2 ++3\n", "vt 0.5 0.5abc\n"}) {
        const Model m = read(text);
        EXPECT_FALSE(m.ok) << text;
        EXPECT_EQ(m.messages, kParse) << text;
    }
    EXPECT_TRUE(read("v +1 -2 .5\n").ok);
}

TEST(ObjLoader, CrlfNoFinalNewlineAndADecimalCommaLocale) {
    std::string crlf;
    for (char c : std::string(kHeader) + "f 1/1/1 2/2/1 3/1/2\nf 4/2/2 1/1/1 2/2/2\n") {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    crlf.resize(crlf.size() - 2);  // no final line end

    // Both the C locale (for any scanf or strtod) and the C++ global locale
    // (for any stream) read "2,25" as a number.
    struct CommaDecimal : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // where generated; the C++ locale below is enough otherwise
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const Model m = read(crlf);
    std::locale::global(previous);
    std::setlocale(LC_ALL, savedC.c_str());

    ASSERT_TRUE(m.ok) << m.messages;
    ASSERT_EQ(m.positions.size(), 6u);
    EXPECT_FLOAT_EQ(m.positions[2].y, 2.25f);
    EXPECT_FLOAT_EQ(m.uvs[0].u, 0.25f);
    EXPECT_FLOAT_EQ(m.normals[5].y, 1.0f);
}

TEST(ObjLoader, TheTwoDialectsDifferInMessagesAndSkipping) {
    // An unknown word: the line dialect skips its whole line, the word
    // dialect the word alone, so a face after "usemtl" on the same line is
    // read only by the latter.
    const std::string text = std::string(kHeader) + "usemtl f 1/1/1 2/2/1 3/1/2\n# v 9 9 9\n";
    const Model line = read(text, kLineDialect);
    const Model word = read(text, kWordDialect);
    ASSERT_TRUE(line.ok);
    ASSERT_TRUE(word.ok);
    EXPECT_EQ(line.positions.size(), 0u);
    EXPECT_EQ(word.positions.size(), 3u);

    EXPECT_EQ(read(std::string(kHeader) + "f 1//1 2//1 3//2\n", kWordDialect).messages, kParseTerse);

    // A file that cannot be opened: the message, false, and no wait for input.
    for (const Dialect* d : {&kLineDialect, &kWordDialect}) {
        Model m;
        std::ostringstream out;
        EXPECT_FALSE(readObjModel("/nonexistent/model.obj", m.positions, m.uvs, m.normals, *d, out));
        EXPECT_EQ(out.str(), d->openMessage);
    }
    EXPECT_EQ(std::string(kLineDialect.openMessage),
              "Impossible to open the file ! Are you in the right path ? See Tutorial 1 for details\n");
    EXPECT_EQ(std::string(kWordDialect.openMessage), "Impossible to open the file !\n");
}

TEST(ObjLoader, ThePathCallReadsTheFile) {
    const std::string path = ::testing::TempDir() + "objloader_path.obj";
    {
        std::ofstream f(path, std::ios::binary);
        f << kHeader << "f 1/1/1 2/2/1 3/1/2\n";
    }
    Model m;
    std::ostringstream out;
    EXPECT_TRUE(readObjModel(path, m.positions, m.uvs, m.normals, kLineDialect, out));
    EXPECT_EQ(m.positions.size(), 3u);
    std::remove(path.c_str());
}

TEST(ObjLoader, GarbageNeverReadsOutOfBounds) {
    // Random bytes, and a good file cut at every length: each ends with true
    // or false, never a crash (the sanitizers watch).
    std::string bytes;
    unsigned x = 12345;
    for (int i = 0; i < 4000; ++i) {
        x = x * 1103515245u + 12345u;
        const char pool[] = "vtnf/ 0123456789.-\n\r#e";
        bytes += pool[(x >> 16) % (sizeof pool - 1)];
    }
    read(bytes);
    read(bytes, kWordDialect);
    const std::string good = std::string(kHeader) + "f 1/1/1 2/2/1 3/1/2\nf 4/2/2 1/1/1 2/2/2\n";
    for (std::size_t n = 0; n <= good.size(); ++n) {
        const Model m = read(good.substr(0, n));
        EXPECT_EQ(m.positions.size(), m.uvs.size());
        EXPECT_EQ(m.positions.size() % 3, 0u);
    }
}
