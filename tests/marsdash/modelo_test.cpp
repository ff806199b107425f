// The game's OBJ reader: material groups, polygons of any corner count,
// line ends, locales and every kind of bad input.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>

#include "modelo.h"

using namespace marsdash;

namespace {

const char* const kGrouped =
    "# two groups\n"
    "mtllib ship1.mtl\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0.5 1.5 0\n"
    "vt 0 0\nvt 1 1\n"
    "vn 0 0 1\n"
    "f 1/1/1 2/1/1 3/2/1\n"
    "usemtl c0\n"
    "f 1/1/1 2/1/1 3/2/1 4/2/1\n"
    "f 1/1/1 2/1/1 3/2/1 5/2/1 4/1/1\n"
    "usemtl c1\n"
    "usemtl c2\n"
    "f 4/1/1 3/1/1 5/2/1\n";

Modelo read(const std::string& text, bool materials) {
    std::istringstream in(text);
    Modelo m;
    leerModelo(in, materials, m);
    return m;
}

std::string errorOf(const std::string& text) {
    std::istringstream in(text);
    Modelo m;
    try {
        leerModelo(in, true, m);
    } catch (const ErrorModelo& e) {
        EXPECT_TRUE(m.vacio()) << "a failed read leaves nothing half-read";
        EXPECT_TRUE(m.puntos.empty());
        return e.what();
    }
    return "";
}

}  // namespace

TEST(Reader, GroupsAndPolygons) {
    const Modelo m = read(kGrouped, true);
    EXPECT_EQ(m.puntos.size(), 5u);
    EXPECT_EQ(m.texturas.size(), 2u);
    EXPECT_EQ(m.normales.size(), 1u);
    EXPECT_EQ(m.esquinas, (std::vector<int>{3, 4, 5, 3}));
    EXPECT_EQ(m.iPunto.size(), 15u);
    EXPECT_EQ(m.iPunto[6], 4);
    EXPECT_EQ(m.iTextura[6], 2);
    EXPECT_EQ(m.iPunto[10], 5);
    EXPECT_EQ(m.iNormal[14], 1);
    // The faces before the first usemtl, the two after it, the last one;
    // a usemtl right after another closes nothing.
    EXPECT_EQ(m.grupos, (std::vector<int>{1, 2, 1}));
    EXPECT_FLOAT_EQ(m.puntos[4][1], 1.5f);

    const Modelo plain = read(kGrouped, false);
    EXPECT_TRUE(plain.grupos.empty());
    EXPECT_EQ(plain.caras(), 4u);
}

TEST(Reader, LineEndsLocaleAndNoFinalNewline) {
    std::string crlf;
    for (char c : std::string(kGrouped)) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    crlf += "f 1/1/1 2/2/1 3/1/1";  // no final newline
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::locale old = std::locale::global(std::locale::classic());
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
        // Not generated here: the classic locale still runs the rest.
    }
    const Modelo m = read(crlf, true);
    std::locale::global(old);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(m.caras(), 5u);
    EXPECT_EQ(m.grupos, (std::vector<int>{1, 2, 2}));
    EXPECT_FLOAT_EQ(m.puntos[4][0], 0.5f);
}

TEST(Reader, BadInputIsNamed) {
    EXPECT_NE(errorOf("v 1 2\n").find("line 1: malformed number"), std::string::npos);
    EXPECT_NE(errorOf("v 1,5 2 3\n").find("line 1"), std::string::npos);
    EXPECT_NE(errorOf("vt x y\n").find("malformed number"), std::string::npos);
    const std::string head = "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvn 0 0 1\n";
    EXPECT_NE(errorOf(head + "f 1/1/1 2/1/1\n").find("line 6: face with fewer than three corners"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1//1 2//1 3//1\n").find("not written p/t/n: '1//1'"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1 2 3\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf(head + "f -1/1/1 2/1/1 3/1/1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/1/1/1 2/1/1 3/1/1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/1/1 2/1/1 99999999999999/1/1\n").find("p/t/n"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/1/1 2/1/1 4/1/1\n").find("line 6: position index 4 outside the 3 read"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/2/1 2/1/1 3/1/1\n").find("line 6: texture coordinate index 2"), std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/1/1 2/1/1 3/1/1\n# two\nf 1/1/1 2/1/1 3/1/2\n").find("line 8: normal index 2"),
              std::string::npos);
    EXPECT_NE(errorOf(head + "f 1/1/0 2/1/1 3/1/1\n").find("normal index 0"), std::string::npos);
    // Unknown lines, blank lines and comments are skipped.
    const Modelo m = read("\n\n# c\no thing\ns off\ng x\nmtllib a.mtl\n" + head + "f 1/1/1 2/1/1 3/1/1\n", false);
    EXPECT_EQ(m.caras(), 1u);
    EXPECT_TRUE(read("", true).vacio());
}

TEST(Reader, FilesThatCannotBeOpenedOrRead) {
    Modelo m;
    m.puntos.push_back({1, 2, 3});
    EXPECT_FALSE(leerModelo("/nonexistent/modelos/ship1.obj", true, m));
    EXPECT_TRUE(m.vacio());
    EXPECT_TRUE(m.puntos.empty());

    const auto dir = std::filesystem::temp_directory_path() / "marsdash-reader";
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "good.obj") << kGrouped;
        std::ofstream(dir / "bad.obj") << "v 0 0 0\nf 1/1/1 1/1/1 1/1/1\n";
    }
    EXPECT_TRUE(leerModelo((dir / "good.obj").string(), true, m));
    EXPECT_EQ(m.grupos.size(), 3u);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(leerModelo((dir / "bad.obj").string(), true, m));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("bad.obj: line 2: texture coordinate index 1 outside the 0 read"), std::string::npos) << err;
    EXPECT_TRUE(m.vacio());
    // A missing, an empty and a garbage model are named, and not drawn.
    {
        std::ofstream(dir / "empty.obj").close();
        std::ofstream(dir / "garbage.obj") << std::string("\x89PNG\r\n\x1a\n\x01\xff garbage\n\x7f", 20);
    }
    for (const char* name : {"missing.obj", "empty.obj", "garbage.obj"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(leerModelo((dir / name).string(), false, m)) << name;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find((dir / name).string() + ": "), std::string::npos) << said;
        EXPECT_TRUE(m.vacio());
    }
    std::filesystem::remove_all(dir);
}
