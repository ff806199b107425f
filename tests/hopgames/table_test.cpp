// The front window's readers: the table of games, a game's controls, the
// file check under both, the text cleaner, and the best score it shows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "table.h"

namespace {

namespace fs = std::filesystem;
using namespace hopgames;

const std::string kGood =
    "# a comment | with | bars\n"
    "\n"
    "boardhop | boardhop | Board Hop | Grafitec 2021 - boardhop | penguin | q | the arrow keys hop | A penguin\r\n"
    "  lanehop|src|Lane Hop|Plonky Path|chicken|q|w, a, s, d hop|A chicken, 6 levels  \n";

bool table(const std::string& text, std::vector<GameInfo>& out, std::string& error) {
  std::istringstream in(text);
  return readTable(in, out, error);
}

std::string tableError(const std::string& text) {
  std::vector<GameInfo> games;
  std::string error;
  EXPECT_FALSE(table(text, games, error)) << text;
  return error;
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("hopgames_test_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(Table, ReadsTrimmedFieldsAndRefusesEachMalformedLineByNumber) {
  std::vector<GameInfo> games;
  std::string error;
  ASSERT_TRUE(table(kGood, games, error)) << error;
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[0].program, "boardhop");
  EXPECT_EQ(games[0].window, "Grafitec 2021 - boardhop");
  EXPECT_EQ(games[0].about, "A penguin");
  EXPECT_EQ(games[1].folder, "src");
  EXPECT_EQ(games[1].keys, "w, a, s, d hop");
  EXPECT_EQ(games[1].about, "A chicken, 6 levels");

  const std::string row = "a | a | A | A | hero | q | keys | about\n";
  EXPECT_EQ(tableError("# x\n" + row + "a | a | A | A | hero | q | keys\n"), "line 3: 7 fields, not 8");
  EXPECT_EQ(tableError(row.substr(0, row.size() - 1) + " | more\n"), "line 1: 9 fields, not 8");
  EXPECT_EQ(tableError("a | a |  | A | hero | q | keys | about\n"), "line 1: an empty field");
  EXPECT_EQ(tableError(row + row), "line 2: a is listed twice");
  EXPECT_EQ(tableError("Board | a | A | A | hero | q | keys | about\n"), "line 1: 'Board' is not a program name");
  EXPECT_EQ(tableError("a/b | a | A | A | hero | q | keys | about\n"), "line 1: 'a/b' is not a program name");
  const std::string longName(33, 'a');
  EXPECT_EQ(tableError(longName + " | a | A | A | h | q | k | x\n"), "line 1: '" + longName + "' is not a program name");
  // What CMake would split or misread, in a game's line or a comment.
  for (const char* bad : {";", "[", "]", "\\", "\""}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(tableError(row + "a2 | a | A | A | hero | q | keys | about " + bad + "\n").substr(0, 21),
              "line 2: holds one of ");
    EXPECT_EQ(tableError("# " + std::string(bad) + "\n" + row).substr(0, 21), "line 1: holds one of ");
  }
  EXPECT_EQ(tableError(row + "b | b | B\x01 | B | h | q | k | x\n"), "line 2: a control character");
  EXPECT_EQ(tableError("b | b | B\xff | B | h | q | k | x\n"), "line 1: not UTF-8 text");
  EXPECT_EQ(tableError("b | b | B | B | h | q | k | " + std::string(kMaxLine, 'x') + "\n").substr(0, 22),
            "line 1: longer than 40");
  EXPECT_EQ(tableError("# only a comment\n\n"), "no game");
  EXPECT_EQ(tableError(row + "b | b | B | B | h | q | k | a cut sho"), "line 2: no end of line (the file is cut short)");
  std::string many;
  for (std::size_t i = 0; i <= kMaxGames; ++i) many += "g" + std::to_string(i) + " | f | N | W | h | q | k | a\n";
  EXPECT_EQ(tableError(many), "line 65: more than 64 games");
}

TEST(Controls, ReadsKeysControllerAndEffectAndRefusesBadLines) {
  std::istringstream in(
      "# game: one control a line\n"
      "arrows | d-pad | hop\n"
      "\\ | - | fly mode (jump again; mid-air)\n");
  std::vector<Control> controls;
  std::string error;
  ASSERT_TRUE(readControls(in, controls, error)) << error;
  ASSERT_EQ(controls.size(), 2u);
  EXPECT_EQ(controls[0].controller, "d-pad");
  EXPECT_EQ(controls[1].keys, "\\");
  EXPECT_EQ(controls[1].controller, "") << "\"-\" means none";
  EXPECT_EQ(controls[1].effect, "fly mode (jump again; mid-air)");

  auto fails = [](const std::string& text) {
    std::istringstream bad(text);
    std::vector<Control> c;
    std::string why;
    EXPECT_FALSE(readControls(bad, c, why)) << text;
    return why;
  };
  EXPECT_EQ(fails("arrows | hop\n"), "line 1: 2 fields, not 3 (keys | controller | effect)");
  EXPECT_EQ(fails("a | - | b | c\n"), "line 1: 4 fields, not 3 (keys | controller | effect)");
  EXPECT_EQ(fails("ok | - | fine\n | - | hop\n"), "line 2: an empty field (\"-\" where there is none)");
  std::string many;
  for (std::size_t i = 0; i <= kMaxControls; ++i) many += "k | - | e\n";
  EXPECT_EQ(fails(many), "line 41: more than 40 controls");
  EXPECT_EQ(fails("# nothing but a comment\n"), "no control");
  EXPECT_EQ(fails("arrows | - | hop\nv | - | next vi"), "line 2: no end of line (the file is cut short)");
}

TEST(Files, OnlyRegularFilesAreReadAndEveryRefusalNamesThePath) {
  const fs::path dir = scratch("files");
  std::ofstream(dir / "good") << "text";
  std::ofstream(dir / "big") << std::string(kMaxFile + 1, 'x');
  fs::create_directory(dir / "folder");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir / "good", dir / "link");

  std::string text, error;
  ASSERT_TRUE(readFile((dir / "link").string(), text, error)) << error;
  EXPECT_EQ(text, "text");
  EXPECT_TRUE(regularFile((dir / "good").string(), error));
  for (const auto& [name, why] : {std::pair{"missing", "No such file or directory"}, {"folder", "a folder, not a file"},
                                  {"pipe", "not a regular file"}, {"big", "larger than 65536 bytes"}}) {
    SCOPED_TRACE(name);
    const std::string path = (dir / name).string();
    EXPECT_FALSE(readFile(path, text, error));  // the pipe must not block here
    EXPECT_EQ(error, path + ": " + why);
    if (std::string(name) != "big") {
      EXPECT_FALSE(regularFile(path, error));
      EXPECT_EQ(error, path + ": " + why);
    }
  }
  fs::remove_all(dir);
}

TEST(Printable, DropsEscapesAndControlsMendsBadBytesAndCutsOnACharacter) {
  EXPECT_EQ(printable("\x1b[2J\x1b[Hscore 3\a"), "score 3");
  EXPECT_EQ(printable("tab\there"), "tab here");
  EXPECT_EQ(printable("caf\xc3\xa9 \xff\xfe ok"), "caf\xc3\xa9 ?? ok");
  EXPECT_EQ(printable("\xe2\x80\xa6 cut", 2), "") << "an ellipsis of three bytes does not fit in two";
  EXPECT_EQ(printable("ab\xc3\xa9", 3), "ab");
  EXPECT_EQ(printable("abc\x1b", 10), "abc");
}

TEST(Scores, TheBestOfAGoodRecordsFileOnlyAndTheFileIsNeverTouched) {
  const fs::path data = scratch("records");
  setenv("HOPGAMES_DATA_DIR", data.c_str(), 1);
  EXPECT_EQ(bestScore("boardhop"), std::nullopt) << "no file yet";

  fs::create_directories(data / "boardhop");
  std::ofstream(data / "boardhop/records.txt") << "hopgames-records 1\nlevel-2 40\nbest 1234\nend 2\n";
  EXPECT_EQ(bestScore("boardhop"), 1234);

  fs::create_directories(data / "marsdash");
  std::ofstream(data / "marsdash/records.txt") << "hopgames-records 1\nlevel-2 40\nend 1\n";
  EXPECT_EQ(bestScore("marsdash"), std::nullopt) << "no \"best\" in it";

  const std::string garbage = "hopgames-records 1\nbest 12\n";  // cut short: no "end"
  fs::create_directories(data / "duckrun");
  std::ofstream(data / "duckrun/records.txt") << garbage;
  EXPECT_EQ(bestScore("duckrun"), std::nullopt);
  fs::create_directories(data / "henrun/records.txt");
  EXPECT_EQ(bestScore("henrun"), std::nullopt);
  fs::create_directories(data / "birdhop");
  ASSERT_EQ(mkfifo((data / "birdhop/records.txt").c_str(), 0600), 0);
  EXPECT_EQ(bestScore("birdhop"), std::nullopt);
  EXPECT_EQ(bestScore("../boardhop"), std::nullopt) << "not a game's name";

  // The bad file is where it was, as it was, and nothing was added beside it.
  std::ifstream in(data / "duckrun/records.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
  EXPECT_EQ(std::distance(fs::directory_iterator(data / "duckrun"), fs::directory_iterator()), 1);
  unsetenv("HOPGAMES_DATA_DIR");
  fs::remove_all(data);
}

}  // namespace
