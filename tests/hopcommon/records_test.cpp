// The best-score store: its reader, its folder, and what happens to the
// file when things go wrong (bad files, a read-only folder, a full disk, a
// kill in the middle of a save, two copies saving at once).
#include "hopcommon/records.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

// Files in `dir` whose names start with `prefix`.
std::vector<fs::path> named(const fs::path& dir, const std::string& prefix) {
  std::vector<fs::path> found;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path());
  return found;
}

struct Child {
  int status = -1;  // exit status, or -signal
  std::string log;  // what the body wrote to its stream
};

// Runs `body` in a child process (whatever it changes there stays there).
Child inChild(const std::function<int(std::ostream&)>& body) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::ostringstream log;
    const int rc = body(log);
    const std::string s = log.str();
    if (write(fds[1], s.data(), s.size()) < 0) _exit(100);
    _exit(rc);
  }
  close(fds[1]);
  Child c;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) c.log.append(buf, std::size_t(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return c;
}

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/hopcommon-records-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    root = tmpl;
    setenv("HOPGAMES_DATA_DIR", root.c_str(), 1);
    folder = root / "boardhop";
    file = folder / "records.txt";
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, ec);
    fs::remove_all(root, ec);
  }
  void put(const std::string& text) {
    fs::create_directories(folder);
    std::ofstream(file, std::ios::binary) << text;
  }
  fs::path root, folder, file;
};

TEST(RecordsReader, ReadsWhatIsWrittenAndRefusesAnythingElse) {
  const hop::RecordTable table{{"best", 1234}, {"level-3", 0}, {"time_2", hop::kMaxRecord}};
  std::ostringstream out;
  hop::writeRecords(out, table);
  EXPECT_EQ(out.str(), "hopgames-records 1\nbest 1234\nlevel-3 0\ntime_2 999999999999999\nend 3\n");
  hop::RecordTable back;
  std::string error;
  std::istringstream in(out.str());
  ASSERT_TRUE(hop::readRecords(in, back, error)) << error;
  EXPECT_EQ(back, table);
  std::istringstream none("hopgames-records 1\nend 0\n");
  EXPECT_TRUE(hop::readRecords(none, back, error) && back.empty()) << error;

  const std::string head = "hopgames-records 1\n";
  const struct {
    std::string text, error;
  } bad[] = {
      {"", "vacío"},
      {"\x7f" "ELF\x02\x01\x01", "cortado a media línea"},
      {"hopgames-records 2\nend 0\n", "no es un archivo de récords"},
      {"hopgames-records 1\r\nend 0\r\n", "no es un archivo de récords"},
      {head, "cortado: falta la línea final"},
      {head + "best 12", "cortado a media línea"},
      {head + "best 12\n", "cortado: falta la línea final"},
      {head + "best 12\nend 2\n", "línea 3: la cuenta final no coincide"},
      {head + "best 12\nend 1\nbest 13\n", "datos tras la línea final"},
      {head + "best 12\nend 1", "cortado a media línea"},
      {head + "best -5\nend 1\n", "línea 2: valor fuera de rango: -5"},
      {head + "best 1000000000000000\nend 1\n", "valor fuera de rango"},
      {head + "best 99999999999999999999999\nend 1\n", "valor fuera de rango"},
      {head + "best 1e3\nend 1\n", "número no válido: 1e3"},
      {head + "best \nend 1\n", "número no válido"},
      {head + "best +5\nend 1\n", "número no válido"},
      {head + "best 5 \nend 1\n", "número no válido"},
      {head + "best\nend 1\n", "se esperaba «nombre valor»"},
      {head + "Best 5\nend 1\n", "nombre no válido: Best"},
      {head + " 5\nend 1\n", "nombre no válido"},
      {head + "best 5\nbest 6\nend 2\n", "línea 3: nombre repetido: best"},
      {head + std::string(100, 'a') + " 1\nend 1\n", "línea demasiado larga"},
      {head + "end x\n", "número no válido"},
  };
  for (const auto& c : bad) {
    std::istringstream text(c.text);
    back = {{"left", 1}};
    error.clear();
    EXPECT_FALSE(hop::readRecords(text, back, error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
    EXPECT_TRUE(back.empty()) << c.text;
  }
  std::string many = head;
  for (int i = 0; i <= hop::kMaxRecords; ++i) many += "k" + std::to_string(i) + " 1\n";
  std::istringstream text(many + "end " + std::to_string(hop::kMaxRecords + 1) + "\n");
  EXPECT_FALSE(hop::readRecords(text, back, error));
  EXPECT_EQ(error, "línea " + std::to_string(hop::kMaxRecords + 2) + ": demasiados récords");
}

TEST(RecordsFolder, ComesFromTheEnvironment) {
  setenv("HOPGAMES_DATA_DIR", "/data/portable", 1);
  setenv("XDG_DATA_HOME", "/home/ana/.datos", 1);
  setenv("HOME", "/home/ana", 1);
  EXPECT_EQ(hop::recordsFolder("henrun"), "/data/portable/henrun");
  setenv("HOPGAMES_DATA_DIR", "", 1);
  EXPECT_EQ(hop::recordsFolder("henrun"), "/home/ana/.datos/hopgames/henrun");
  setenv("XDG_DATA_HOME", "relativa", 1);  // ignored, as the XDG rules say
  EXPECT_EQ(hop::recordsFolder("henrun"), "/home/ana/.local/share/hopgames/henrun");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(hop::recordsFolder("henrun"), "/home/ana/.local/share/hopgames/henrun");
  unsetenv("HOME");
  EXPECT_EQ(hop::recordsFolder("henrun"), "");
  std::ostringstream log;
  hop::Records none("henrun", log);
  EXPECT_EQ(lines(log.str()), 1);
  EXPECT_TRUE(none.record("best", 5));  // kept for the run, nowhere saved
  EXPECT_EQ(none.best("best"), 5);
}

TEST_F(RecordsTest, BestSurvivesARestartAndAWorseOneDoesNotReplaceIt) {
  std::ostringstream log;
  {
    hop::Records r("boardhop", log);
    EXPECT_EQ(r.file(), file.string());
    EXPECT_FALSE(r.best("best"));
    EXPECT_TRUE(r.record("best", 50));  // the folder is made on the way
    EXPECT_TRUE(r.record("time", 300, hop::Records::Lower));
    EXPECT_FALSE(r.record("best", 49));
    EXPECT_FALSE(r.record("best", 50));
    EXPECT_FALSE(r.record("time", 301, hop::Records::Lower));
  }
  hop::Records again("boardhop", log);
  EXPECT_EQ(again.best("best"), 50);
  EXPECT_EQ(again.best("time"), 300);
  EXPECT_FALSE(again.record("best", 20));
  EXPECT_TRUE(again.record("time", 250, hop::Records::Lower));
  EXPECT_TRUE(again.record("level-2", 7));
  EXPECT_EQ(slurp(file), "hopgames-records 1\nbest 50\nlevel-2 7\ntime 250\nend 3\n");
  EXPECT_EQ(log.str(), "");
  // Names and values the file cannot hold are refused with a line.
  EXPECT_FALSE(again.record("end", 1));
  EXPECT_FALSE(again.record("best", -1));
  EXPECT_FALSE(again.record("Best Score", 1));
  EXPECT_EQ(lines(log.str()), 3);
  EXPECT_EQ(again.best("best"), 50);
  EXPECT_TRUE(named(folder, "records.txt.").empty());  // no temporary file left
}

TEST_F(RecordsTest, ABadFileIsNamedSetAsideAndPlayGoesOn) {
  const std::string good = "hopgames-records 1\nbest 77\nend 1\n";
  const struct {
    const char* what;
    std::string content;  // "<folder>" / "<pipe>": not a plain file
  } cases[] = {{"garbage", "\x13\xff garbage\n\x01"}, {"truncated", good.substr(0, 25)}, {"empty", ""},
               {"folder", "<folder>"}, {"pipe", "<pipe>"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (c.content == "<folder>") {
      fs::create_directory(file);
    } else if (c.content == "<pipe>") {
      ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    } else {
      put(c.content);
    }
    std::ostringstream log;
    hop::Records r("boardhop", log);  // a pipe must not block here
    EXPECT_EQ(lines(log.str()), 1) << log.str();
    EXPECT_NE(log.str().find("Récords: " + file.string() + " no es válido ("), std::string::npos) << log.str();
    const auto aside = named(folder, "records.txt.bad-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(log.str().find(aside[0].string()), std::string::npos) << log.str();
    if (c.content.empty() || c.content[0] != '<') {
      EXPECT_EQ(slurp(aside[0]), c.content);
    }
    EXPECT_FALSE(r.best("best"));
    EXPECT_TRUE(r.record("best", 3));
    EXPECT_EQ(hop::Records("boardhop", log).best("best"), 3);
    EXPECT_EQ(lines(log.str()), 1) << log.str();
  }
  // Two bad files in the same second: the second never lands on the first.
  put("nonsense\n");
  { hop::Records r("boardhop", std::cerr); }
  put("more nonsense\n");
  { hop::Records r("boardhop", std::cerr); }
  put("and more\n");
  { hop::Records r("boardhop", std::cerr); }
  const auto aside = named(folder, "records.txt.bad-");
  EXPECT_GE(aside.size(), 3u);  // with the pipe's, maybe in another second
  std::string all;
  for (const auto& p : aside) all += fs::is_regular_file(p) ? slurp(p) : "";
  EXPECT_NE(all.find("nonsense\n"), std::string::npos);
  EXPECT_NE(all.find("more nonsense\n"), std::string::npos);
  EXPECT_NE(all.find("and more\n"), std::string::npos);

  // Spoilt while the game runs: set aside by the next save, not overwritten.
  fs::remove_all(folder);
  std::ostringstream log;
  hop::Records r("boardhop", log);
  put("spoilt\n");
  EXPECT_TRUE(r.record("best", 9));
  EXPECT_EQ(named(folder, "records.txt.bad-").size(), 1u);
  EXPECT_EQ(hop::Records("boardhop", log).best("best"), 9);
}

TEST_F(RecordsTest, AReadOnlyFolderOrAFullDiskGivesOneLineAndPlayGoesOn) {
  put("hopgames-records 1\nbest 40\nend 1\n");
  const std::string before = slurp(file);
  const Child readOnly = inChild([&](std::ostream& log) {
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;  // root writes anywhere
    hop::Records r("boardhop", log);
    if (r.best("best") != 40) return 3;
    if (!r.record("best", 41) || !r.record("best", 42)) return 4;  // the run goes on with its bests
    return r.best("best") == 42 ? 0 : 5;
  });
  EXPECT_EQ(readOnly.status, 0);
  EXPECT_EQ(lines(readOnly.log), 1) << readOnly.log;
  EXPECT_EQ(readOnly.log.rfind("Récords: no se puede guardar " + file.string() + ": ", 0), 0u) << readOnly.log;
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(slurp(file), before);

  // A full disk: writes fail part way (EFBIG here, as ENOSPC would).
  const Child full = inChild([&](std::ostream& log) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit small{20, 20};
    setrlimit(RLIMIT_FSIZE, &small);
    hop::Records r("boardhop", log);
    return r.record("best", 1000) && r.record("best", 2000) ? 0 : 1;
  });
  EXPECT_EQ(full.status, 0);
  EXPECT_EQ(lines(full.log), 1) << full.log;
  EXPECT_NE(full.log.find("no se puede guardar " + file.string()), std::string::npos) << full.log;
  EXPECT_EQ(slurp(file), before);
  EXPECT_TRUE(named(folder, "records.txt.tmp-").empty());
}

TEST_F(RecordsTest, AKillBetweenWriteAndRenameLeavesThePreviousBest) {
  put("hopgames-records 1\nbest 40\nend 1\n");
  const std::string before = slurp(file);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("HOPGAMES_TEST_HOLD_RENAME", "1", 1);
    std::ostringstream log;
    hop::Records("boardhop", log).record("best", 90);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
  ASSERT_TRUE(WIFSTOPPED(status)) << "the save did not stop before its rename";
  const auto temps = named(folder, "records.txt.tmp-");
  ASSERT_EQ(temps.size(), 1u);
  EXPECT_EQ(slurp(temps[0]), "hopgames-records 1\nbest 90\nend 1\n");  // written in full, not yet in place
  EXPECT_EQ(slurp(file), before);
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);

  std::ostringstream log;
  hop::Records r("boardhop", log);
  EXPECT_EQ(r.best("best"), 40);
  EXPECT_TRUE(r.record("best", 41));
  EXPECT_TRUE(named(folder, "records.txt.tmp-").empty());  // the dead save's leftover is gone
  EXPECT_EQ(log.str(), "");
}

TEST_F(RecordsTest, TwoCopiesSavingKeepEachOthersBests) {
  std::ostringstream log;
  put("hopgames-records 1\nbest 5\ntime 500\nend 2\n");
  hop::Records a("boardhop", log), b("boardhop", log);
  EXPECT_TRUE(a.record("best", 10));
  EXPECT_TRUE(a.record("time", 400, hop::Records::Lower));
  EXPECT_TRUE(b.record("best", 8));  // better than b knew; a's 10 stays
  EXPECT_TRUE(b.record("level-2", 3));
  EXPECT_EQ(b.best("best"), 10);
  EXPECT_EQ(slurp(file), "hopgames-records 1\nbest 10\nlevel-2 3\ntime 400\nend 3\n");

  // Two processes saving as fast as they can: every save sees the other's.
  auto player = [&](int base, const std::string& own) {
    return [=](std::ostream& out) {
      hop::Records r("boardhop", out);
      for (int i = 1; i <= 40; ++i) {
        r.record("best", base + i);  // false once the other's bests come in
        if (!r.record(own, i)) return 1;
      }
      return 0;
    };
  };
  fs::remove(file);
  const pid_t first = fork();
  if (first == 0) _exit(inChild(player(1000, "first")).status);
  const Child second = inChild(player(2000, "second"));
  int status = 0;
  waitpid(first, &status, 0);
  EXPECT_EQ(second.status, 0) << second.log;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(slurp(file), "hopgames-records 1\nbest 2040\nfirst 40\nsecond 40\nend 3\n");
  EXPECT_TRUE(named(folder, "records.txt.tmp-").empty());
}

}  // namespace
