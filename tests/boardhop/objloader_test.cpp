// The OBJ reader on good, awkward and malformed input.
#include <gtest/gtest.h>

#include <locale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "objloader.h"

using namespace boardhop;

namespace {

const char* const kTriangle =
    "# a triangle\n"
    "o tri\n"
    "v 0 0 0\n"
    "v 1.5 0 0\n"
    "v 0 2.25 -1\n"
    "vt 0 0\n"
    "vt 1 0\n"
    "vt 0.5 1\n"
    "vn 0 0 1\n"
    "s off\n"
    "use_mtl anything\n"
    "usemtl ignored\n"
    "f 1/1/1 2/2/1 3/3/1\n";

std::vector<Vertex> read(const std::string& text) {
    std::istringstream in(text);
    return loadObj(in);
}

std::string errorOf(const std::string& text) {
    try {
        read(text);
    } catch (const ObjError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ObjReader, ReadsTrianglesWrittenPTN) {
    const auto v = read(kTriangle);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_FLOAT_EQ(v[1].position[0], 1.5f);
    EXPECT_FLOAT_EQ(v[2].position[1], 2.25f);
    EXPECT_FLOAT_EQ(v[2].position[2], -1.0f);
    EXPECT_FLOAT_EQ(v[2].texcoord[0], 0.5f);
    EXPECT_FLOAT_EQ(v[2].texcoord[1], 1.0f);
    EXPECT_FLOAT_EQ(v[0].normal[2], 1.0f);
    for (const Vertex& x : v) {
        EXPECT_FLOAT_EQ(x.color[0], 1);
        EXPECT_FLOAT_EQ(x.color[2], 1);
    }
}

TEST(ObjReader, CrlfNoFinalNewlineAndDecimalCommaLocale) {
    std::string crlf;
    for (char c : std::string(kTriangle)) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    crlf.pop_back();
    crlf.pop_back();  // no final line end
    // Streams made after this read "2,25" as a number and stop at "2.25".
    struct CommaDecimal : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    std::vector<Vertex> v;
    EXPECT_NO_THROW(v = read(crlf));
    std::locale::global(previous);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_FLOAT_EQ(v[2].position[1], 2.25f);
}

TEST(ObjReader, PolygonsBecomeFans) {
    const auto v = read("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1 4/1/1\n");
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[3].position[0], 0);
    EXPECT_FLOAT_EQ(v[5].position[1], 1);
}

TEST(ObjReader, RefusesMalformedFiles) {
    // Indices outside the lists read: never read out of bounds.
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 1/1/1\n").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 1/2/1\n").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 1/1/0\n").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 -1/1/1\n").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nf 1/1/1 1/1/1 1/1/1\n").find("out of range"), std::string::npos)
        << "normals referenced but none read";
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 99999999999999/1/1 1/1/1 1/1/1\n"), "");
    // Corners not written p/t/n
    EXPECT_NE(errorOf("v 0 0 0\nvn 0 0 1\nf 1//1 1//1 1//1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nf 1 1 1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1/1 1/1/1 1/1/1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/a/1 1/1/1 1/1/1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1\n").find("three"), std::string::npos);
    // Numbers that do not parse, and the line they are on
    const std::string bad = errorOf("v 0 0 0\nv 1 nope 0\n");
    EXPECT_NE(bad.find("Malformed number"), std::string::npos);
    EXPECT_NE(bad.find("line 2"), std::string::npos);
    EXPECT_NE(errorOf("vn 0 0\n"), "");
    // Nothing to draw is refused: empty, comments only, vertices without a
    // face, and bytes that are not an OBJ file at all.
    for (const std::string& text : {std::string(""), std::string("\n\n# nothing\n"),
                                    std::string("v 0 0 0\nvt 0 0\nvn 0 0 1\n"),
                                    std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe garbage", 24)})
        EXPECT_NE(errorOf(text).find("No faces"), std::string::npos) << text;
}

TEST(ObjReader, MissingFileAndPathInMessages) {
    try {
        loadObj(std::string("no/such/model.obj"));
        FAIL() << "no error";
    } catch (const ObjError& e) {
        EXPECT_STREQ(e.what(), "ERROR::OBJLOADER::Could not open file. no/such/model.obj");
    }
    const std::string empty = ::testing::TempDir() + "empty_model.obj";
    std::ofstream(empty).close();
    try {
        loadObj(empty);
        FAIL() << "an empty model was accepted";
    } catch (const ObjError& e) {
        EXPECT_NE(std::string(e.what()).find("No faces in " + empty), std::string::npos) << e.what();
    }
    std::remove(empty.c_str());
    const std::string path = ::testing::TempDir() + "broken_index.obj";
    {
        std::ofstream out(path);
        out << "v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 5/1/1\n";
    }
    try {
        loadObj(path);
        FAIL() << "no error";
    } catch (const ObjError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
    std::remove(path.c_str());
    // A folder opened as a file failed the first read with the C++ library's
    // words alone, and the exception was not an ObjError.
    const std::string folder = ::testing::TempDir() + "folder_model.obj";
    std::filesystem::create_directories(folder);
    try {
        loadObj(folder);
        FAIL() << "a folder was read";
    } catch (const ObjError& e) {
        EXPECT_NE(std::string(e.what()).find("Could not open file. " + folder), std::string::npos) << e.what();
    }
    std::filesystem::remove(folder);
}
