// Finding a game of the collection and running it as a child process whose
// console output the front window keeps.
#pragma once

#include <sys/types.h>

#include <deque>
#include <optional>
#include <string>

namespace hopgames {

// How a game starts: `program` run in `workdir` (empty: the front window's
// own folder, for a launcher that finds its folder itself).
struct Start {
  std::string program, workdir;
  bool found() const { return !program.empty(); }
};

// Where `game` starts from in the collection's folder `games`, in the three
// layouts the collection comes in:
// - the build's stage and an installed tree: <games>/<game>/<game>, run in
//   that folder, or <games>/<game>/<sub>/<game> for a game whose paths begin
//   with "../", run in <sub>;
// - the Debian package, where <games> is <prefix>/share/games and holds the
//   games' files but not their programs: the launcher <prefix>/games/<game>,
//   which moves to the game's folder itself.
// Not found: an empty Start.
Start locate(const std::string& games, const std::string& game);

// The folder of the games beside the front window's own: the parent of the
// working folder, absolute.
std::string defaultGamesFolder();

// A game running as a child, its stdout and stderr read through pipes. What
// it prints is passed on to our own stdout and stderr as it comes, and its
// last lines are kept for the message shown when it fails.
class Child {
 public:
  static constexpr std::size_t kKeptLines = 6;

  // `forwardOut`, `forwardErr`: where its output goes on to (-1: nowhere).
  explicit Child(int forwardOut = 1, int forwardErr = 2);
  ~Child();  // ends a child still running (SIGTERM) and reaps it
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts `start.program` (argv[0] "./<name>" when it runs in its folder,
  // like ./play does). False with `error` when the pipes or fork fail; a
  // program that cannot be executed ends with status 127 and says why on
  // its stderr.
  bool start(const Start& start, std::string& error);
  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }

  // Waits up to `ms` milliseconds for output or the child's end, reading
  // what came. Returns the wait status once the child has ended and its
  // output is read; nullopt while it runs.
  std::optional<int> wait(int ms);
  void terminate();  // SIGTERM, as a window manager's end of session does
  void kill();       // SIGKILL, for a game that does not end when asked

  // The last non-blank lines it wrote to stderr, or, where it wrote none
  // there, to stdout; printable(), oldest first.
  std::deque<std::string> lastLines() const;

 private:
  struct Stream {
    int fd = -1, forward = -1;
    std::string partial;
    std::deque<std::string> lines;
  };
  void drain(Stream& s);
  void closeStreams();

  pid_t pid_ = -1;
  Stream out_, err_;
  std::optional<int> status_;
};

// "boardhop ended with status 1", "boardhop was ended by signal 11
// (Segmentation fault)"; empty for a clean end (status 0).
std::string endText(const std::string& game, int waitStatus);

}  // namespace hopgames
