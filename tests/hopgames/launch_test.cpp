// Finding a game in each layout of the collection, and running one as a
// child: its folder, its output passed on, its last lines and its end.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "launch.h"

namespace {

namespace fs = std::filesystem;
using namespace hopgames;

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("hopgames_launch_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void script(const fs::path& file, const std::string& body, bool executable = true) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "#!/bin/sh\n" << body;
  fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

// Runs `start` to its end; its forwarded stdout and stderr land in `out`.
int runToEnd(Child& child, const Start& start) {
  std::string error;
  EXPECT_TRUE(child.start(start, error)) << error;
  for (int i = 0; i < 6000; ++i)
    if (auto status = child.wait(10)) return *status;
  ADD_FAILURE() << "still running";
  return -1;
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Locate, FindsAGameInTheStageInAnInstalledTreeAndThroughThePackagesLaunchers) {
  const fs::path root = scratch("locate");
  // The stage and `cmake --install`: the program in its folder, or one down.
  const fs::path stage = root / "stage";
  script(stage / "boardhop/boardhop", "");
  script(stage / "birdhop/game/birdhop", "");
  fs::create_directories(stage / "birdhop/resources");
  script(stage / "duckrun/duckrun", "", false);  // not executable
  fs::create_directories(stage / "henrun/henrun");  // a folder of its name
  Start s = locate(stage.string(), "boardhop");
  EXPECT_EQ(s.program, (stage / "boardhop/boardhop").string());
  EXPECT_EQ(s.workdir, (stage / "boardhop").string());
  s = locate(stage.string(), "birdhop");
  EXPECT_EQ(s.program, (stage / "birdhop/game/birdhop").string());
  EXPECT_EQ(s.workdir, (stage / "birdhop/game").string());
  EXPECT_FALSE(locate(stage.string(), "duckrun").found());
  EXPECT_FALSE(locate(stage.string(), "henrun").found());
  EXPECT_FALSE(locate(stage.string(), "marsdash").found());

  // The Debian package: the files under share/games, the launchers in games/.
  const fs::path usr = root / "usr";
  fs::create_directories(usr / "share/games/boardhop");
  fs::create_directories(usr / "share/games/marsdash");
  script(usr / "games/boardhop", "");
  s = locate((usr / "share/games").string(), "boardhop");
  EXPECT_EQ(s.program, (usr / "games/boardhop").string());
  EXPECT_EQ(s.workdir, "") << "the launcher moves to the game's folder itself";
  EXPECT_EQ(locate((usr / "share/games/").string(), "boardhop").program, s.program);
  EXPECT_FALSE(locate((usr / "share/games").string(), "marsdash").found()) << "no launcher";
  // Only a share/games folder leads to launchers.
  fs::create_directories(root / "other/games");
  script(root / "other/games/boardhop/readme", "");
  script(root / "games/boardhop", "");
  EXPECT_FALSE(locate((root / "other/games").string(), "boardhop").found());
  fs::remove_all(root);
}

TEST(Child, RunsInTheGamesFolderPassesItsOutputOnAndKeepsItsLastErrorLines) {
  const fs::path dir = scratch("child");
  script(dir / "game/game",
         "pwd\n"
         "echo started\n"
         "head -c 200000 /dev/zero | tr '\\000' x\n"  // more than a pipe holds: read while it runs
         "echo\n"
         "printf '\\033[2J\\033[Hcleared\\r\\n' >&2\n"
         "for i in 1 2 3 4 5 6 7; do echo \"error $i\" >&2; done\n"
         "printf 'modelos/font.ttf: file missing' >&2\n"  // a last line without its newline
         "exit 1\n");
  const fs::path out = dir / "out", err = dir / "err";
  const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  {
    Child child(outFd, errFd);
    const int status = runToEnd(child, {(dir / "game/game").string(), (dir / "game").string()});
    EXPECT_EQ(endText("Mars Dash", status), "Mars Dash ended with status 1");
    const std::deque<std::string> expected{"error 3", "error 4", "error 5", "error 6", "error 7",
                                           "modelos/font.ttf: file missing"};
    EXPECT_EQ(child.lastLines(), expected);
    EXPECT_FALSE(child.running());
  }
  close(outFd);
  close(errFd);
  const std::string printed = slurp(out);
  EXPECT_EQ(printed.substr(0, printed.find('\n')), fs::canonical(dir / "game").string());
  EXPECT_EQ(printed.size(), (dir / "game").string().size() + 1 + 8 + 200000 + 1);
  EXPECT_NE(slurp(err).find("\033[2J"), std::string::npos) << "the console gets the game's bytes as they are";

  // Lines only on stdout are the ones kept; a clean end says nothing.
  script(dir / "quiet/quiet", "echo one\necho two\n");
  Child quiet(-1, -1);
  EXPECT_EQ(endText("quiet", runToEnd(quiet, {(dir / "quiet/quiet").string(), (dir / "quiet").string()})), "");
  EXPECT_EQ(quiet.lastLines(), (std::deque<std::string>{"one", "two"}));
  fs::remove_all(dir);
}

TEST(Child, AGameGetsSignalsBackFailsToStartLoudlyAndIsEndedWithTheWindow) {
  const fs::path dir = scratch("signals");
  // The front window ignores SIGPIPE; its games must not inherit that.
  struct sigaction ignore {}, before{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &before);
  script(dir / "pipe/pipe", "kill -PIPE $$\nexit 0\n");
  Child child(-1, -1);
  EXPECT_EQ(endText("pipe", runToEnd(child, {(dir / "pipe/pipe").string(), (dir / "pipe").string()})),
            "pipe was ended by signal 13 (" + std::string(strsignal(SIGPIPE)) + ")");
  sigaction(SIGPIPE, &before, nullptr);

  script(dir / "broken/broken", "", false);
  EXPECT_EQ(endText("broken", runToEnd(child, {(dir / "broken/broken").string(), (dir / "broken").string()})),
            "broken ended with status 127");
  ASSERT_EQ(child.lastLines().size(), 1u);
  EXPECT_EQ(child.lastLines()[0], "hopgames: cannot start " + (dir / "broken/broken").string() + ": Permission denied");

  // A game still running when its Child goes is asked to end (SIGTERM).
  script(dir / "long/long", "trap 'echo asked >&2; exit 0' TERM\necho ready\nwhile :; do sleep 0.05; done\n");
  const int log = open((dir / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  {
    Child running(log, log);
    std::string error;
    ASSERT_TRUE(running.start({(dir / "long/long").string(), ""}, error)) << error;
    pid = running.pid();
    EXPECT_FALSE(running.wait(50)) << "still running";
    for (int i = 0; i < 600 && slurp(dir / "log").find("ready") == std::string::npos; ++i) running.wait(10);
  }
  close(log);
  EXPECT_NE(slurp(dir / "log").find("asked"), std::string::npos);
  EXPECT_NE(kill(pid, 0), 0) << "reaped";
  fs::remove_all(dir);
}

}  // namespace
