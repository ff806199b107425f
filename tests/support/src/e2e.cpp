#include "hoptest/e2e.h"
#include "x11.h"

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace hoptest {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

// argv/envp views; the strings must outlive the returned vector.
std::vector<char*> cptrs(std::vector<std::string>& v) {
  std::vector<char*> p;
  for (auto& s : v) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// "NAME=value" sets NAME; a bare "NAME" removes it.
void setEnv(std::vector<std::string>& env, const std::string& entry) {
  const auto eq = entry.find('=');
  if (eq == std::string::npos) {
    const std::string name = entry + "=";
    env.erase(std::remove_if(env.begin(), env.end(),
                             [&](const std::string& e) { return e.compare(0, name.size(), name) == 0; }),
              env.end());
    return;
  }
  std::string name = entry.substr(0, eq + 1);
  for (auto& e : env)
    if (e.compare(0, name.size(), name) == 0) {
      e = entry;
      return;
    }
  env.push_back(entry);
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

int occurrences(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos && !needle.empty(); p = hay.find(needle, p + 1)) ++n;
  return n;
}

std::string tail(const std::string& s, size_t n = 4000) { return s.size() > n ? "..." + s.substr(s.size() - n) : s; }

std::string join(const std::vector<std::string>& v) {
  std::string s;
  for (auto& a : v) s += (s.empty() ? "" : " ") + a;
  return s;
}

// Starts argv[0] (searched in PATH) in its own process group, so that all of
// it, children included, can be signalled, and so that it dies with the test
// process even when that is killed outright (deathSignal). stdio[i] >= 0
// becomes descriptor i; keepFd survives the exec. -1 when fork fails; exit
// status 127 when chdir or exec does.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, std::array<int, 3> stdio,
            int deathSignal, const std::string& workdir = {}, int keepFd = -1) {
  auto av = cptrs(argv), ev = cptrs(env);
  const pid_t parent = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, deathSignal);
    if (getppid() != parent) _exit(127);
    for (int i = 0; i < 3; ++i)
      if (stdio[i] >= 0) dup2(stdio[i], i);
    if (keepFd >= 0) fcntl(keepFd, F_SETFD, 0);
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(127);
    execvpe(av[0], av.data(), ev.data());
    _exit(127);
  }
  if (pid > 0) setpgid(pid, pid);  // both sides, whichever runs first
  return pid;
}

// Appends what fd delivers until end of file (-> true), the deadline
// (-> false) or, with `line`, a newline (-> true).
bool readUntil(int fd, std::string& out, Clock::time_point deadline, bool line = false) {
  while (!line || out.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, int(std::min<long long>(left, 100))) <= 0) continue;
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return true;
    out.append(buf, size_t(n));
  }
  return true;
}

int openFile(const std::string& path) { return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }

// The frame counter a program shares with the preloaded hoptest_frames
// library: a file of one page, mapped; nullptr when that fails.
std::uint64_t* mapCounter(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  void* p = ftruncate(fd, 4096) == 0 ? mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  close(fd);
  return p == MAP_FAILED ? nullptr : static_cast<std::uint64_t*>(p);
}

// The preloaded frame counter, when it was built and is there.
std::string framesLibrary() {
#ifdef HOPTEST_FRAMES_LIB
  std::error_code ec;
  if (std::filesystem::is_regular_file(HOPTEST_FRAMES_LIB, ec)) return HOPTEST_FRAMES_LIB;
#endif
  return {};
}

}  // namespace

milliseconds patience() {
  static const milliseconds limit = [] {
    double scale = 1;
    if (const char* s = std::getenv("HOPTEST_TIMEOUT_SCALE")) {
      char* end = nullptr;
      const double v = std::strtod(s, &end);
      if (end != s && std::isfinite(v) && v > 0) scale = v;
    }
    return milliseconds(static_cast<long long>(120000 * scale));
  }();
  return limit;
}

bool waitUntil(const std::function<bool()>& pred, milliseconds timeout, milliseconds interval) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (pred()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(interval);
  }
}

GameSession::GameSession() : GameSession(Launch{}) {}

GameSession::GameSession(const Launch& launch) {
  char tmpl[] = "/tmp/hoptest-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("hoptest: mkdtemp failed");
  dir_ = tmpl;
  try {
    startXvfb();
    if (!launch.program.empty()) start(launch);
  } catch (...) {
    stopGame();
    stopXvfb();
    std::filesystem::remove_all(dir_);
    throw;
  }
}

GameSession::~GameSession() {
  try {
    if (::testing::Test::HasFailure()) reportFailure();
  } catch (...) {
  }
  stopGame();
  stopXvfb();
  if (frames_) munmap(frames_, 4096);
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void GameSession::startXvfb() {
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env_.push_back(*e);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("hoptest: pipe failed");
  const std::string log = dir_ + "/xvfb.log";
  int logfd = openFile(log);
  // -displayfd: Xvfb picks a free display itself and writes its number once
  // it accepts connections, so parallel tests never collide.
  xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 "-noreset"},
                env_, {-1, logfd, logfd}, SIGTERM, {}, fds[1]);
  close(fds[1]);
  close(logfd);
  std::string number;
  if (xvfb_ > 0) readUntil(fds[0], number, Clock::now() + patience(), true);
  close(fds[0]);
  if (number.find('\n') == std::string::npos)
    throw std::runtime_error("hoptest: Xvfb did not start:\n" + readFile(log));
  display_ = std::stoi(number);
  env_.push_back("DISPLAY=:" + std::to_string(display_));
  if (!waitUntil([&] { return tool({"xdotool", "getdisplaygeometry"}).status == 0; }, patience(),
                 milliseconds(50)))
    throw std::runtime_error("hoptest: Xvfb on :" + std::to_string(display_) + " does not answer");
  std::string error;
  if (!autoRepeatOff(display_, error)) throw std::runtime_error("hoptest: Xvfb on :" + std::to_string(display_) + ": " + error);
}

void GameSession::start(const Launch& launch) {
  if (pid_ > 0) throw std::runtime_error("hoptest: GameSession already started a program");
  std::string workdir = launch.workdir;
  if (workdir.empty()) workdir = std::filesystem::path(launch.program).parent_path().string();
  std::vector<std::string> env = env_;
  setEnv(env, "SDL_VIDEODRIVER=x11");
  setEnv(env, "SDL_AUDIODRIVER=dummy");
  setEnv(env, "HOPGAMES_DATA_DIR=" + dir_ + "/data");
  // The frame counter: preloaded in front of SDL. A sanitizer runtime
  // insists on coming first among the libraries; here it need not.
  const std::string library = framesLibrary();
  if (!library.empty() && (frames_ = mapCounter(dir_ + "/frames"))) {
    std::string preload = library, asan = "verify_asan_link_order=0";
    for (const auto& e : env) {
      if (e.rfind("LD_PRELOAD=", 0) == 0 && e.size() > 11) preload += ":" + e.substr(11);
      if (e.rfind("ASAN_OPTIONS=", 0) == 0 && e.size() > 13) asan = e.substr(13) + ":" + asan;
    }
    setEnv(env, "LD_PRELOAD=" + preload);
    setEnv(env, "ASAN_OPTIONS=" + asan);
    setEnv(env, "HOPTEST_FRAMES=" + dir_ + "/frames");
  }
  for (const auto& e : launch.env) setEnv(env, e);
  std::vector<std::string> argv = {launch.program};
  argv.insert(argv.end(), launch.args.begin(), launch.args.end());
  int in = open("/dev/null", O_RDONLY | O_CLOEXEC), out = openFile(dir_ + "/stdout.txt"),
      err = openFile(dir_ + "/stderr.txt");
  pid_t pid = spawn(argv, env, {in, out, err}, SIGKILL, workdir);
  close(in);
  close(out);
  close(err);
  if (pid < 0) throw std::runtime_error("hoptest: fork failed");
  pid_ = pid;
}

GameSession::ToolResult GameSession::tool(const std::vector<std::string>& argv, milliseconds timeout) const {
  ToolResult r;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return r;
  pid_t pid = spawn(argv, env_, {-1, fds[1], fds[1]}, SIGKILL);
  close(fds[1]);
  bool finished = pid > 0 && readUntil(fds[0], r.out, Clock::now() + timeout);
  close(fds[0]);
  if (pid < 0) return r;
  if (!finished) kill(-pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = finished && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

WindowInfo GameSession::waitForWindow(const std::string& title, milliseconds timeout) {
  std::string re = "^";
  for (char c : title) {
    if (std::string(".[]{}()\\*+?^$|").find(c) != std::string::npos) re += '\\';
    re += c;
  }
  re += '$';
  const auto begin = Clock::now();
  WindowInfo found;
  waitUntil(
      [&] {
        std::istringstream ids(tool({"xdotool", "search", "--onlyvisible", "--name", re}).out);
        std::string id;
        while (std::getline(ids, id)) {
          if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) continue;
          // xdotool matches names case-insensitively
          if (tool({"xdotool", "getwindowname", id}).out != title + "\n") continue;
          auto geometry = tool({"xdotool", "getwindowgeometry", "--shell", id});
          if (geometry.status != 0) continue;
          std::istringstream lines(geometry.out);
          WindowInfo w;
          w.id = std::stoul(id);
          for (std::string line; std::getline(lines, line);) {
            auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            int v = std::atoi(line.c_str() + eq + 1);
            std::string k = line.substr(0, eq);
            if (k == "X") w.x = v;
            if (k == "Y") w.y = v;
            if (k == "WIDTH") w.width = v;
            if (k == "HEIGHT") w.height = v;
          }
          found = w;
          return true;
        }
        return !running();  // a program that is gone opens no window
      },
      timeout, milliseconds(100));
  if (found.id) {
    win_ = found;
    // Shown is not drawn: wait for the first frame too, in what is left.
    const auto left = std::chrono::duration_cast<milliseconds>(timeout - (Clock::now() - begin));
    if (frames() == 0 && left.count() > 0) waitUntil([&] { return frames() > 0 || !running(); }, left, milliseconds(10));
  }
  return found;
}

bool GameSession::focus() {
  if (!win_.id) {
    ADD_FAILURE() << "hoptest: input before waitForWindow found a window";
    return false;
  }
  auto r = tool({"xdotool", "windowfocus", "--sync", std::to_string(win_.id)});
  if (r.status != 0) ADD_FAILURE() << "hoptest: xdotool windowfocus failed (" << r.status << "): " << r.out;
  return r.status == 0;
}

// One xdotool run per command: in a chain, key and click would go to the
// window on xdotool's window stack through XSendEvent, which SDL ignores.
bool GameSession::xdo(std::vector<std::string> args) {
  if (!focus()) return false;
  args.insert(args.begin(), "xdotool");
  auto r = tool(args);
  if (r.status != 0) ADD_FAILURE() << "hoptest: " << join(args) << " failed (" << r.status << "): " << r.out;
  return r.status == 0;
}

bool GameSession::key(const std::string& name) { return xdo({"key", name}); }
bool GameSession::keyDown(const std::string& name) { return xdo({"keydown", name}); }
bool GameSession::keyUp(const std::string& name) { return xdo({"keyup", name}); }

bool GameSession::hold(const std::string& name, milliseconds ms) {
  if (!keyDown(name)) return false;
  const long shown = frames(), waited = waits();
  std::this_thread::sleep_for(ms);
  // However slow the frames: the key is down while the game reads its
  // events and polls the keyboard state at least once.
  if (shown >= 0)
    waitUntil([&] { return frames() >= shown + 3 || waits() >= waited + 3 || !running(); }, patience(),
              milliseconds(5));
  return keyUp(name);
}

bool GameSession::type(const std::string& text) { return xdo({"type", "--delay", "40", "--", text}); }

bool GameSession::mouseMove(int x, int y) {
  if (!xdo({"mousemove", "--sync", "--window", std::to_string(win_.id), "--", std::to_string(x),
           std::to_string(y)}))
    return false;
  mouseX_ = x, mouseY_ = y;
  return true;
}

bool GameSession::click(int x, int y, int button) {
  return mouseMove(x, y) && xdo({"click", std::to_string(button)});
}
bool GameSession::mouseDown(int x, int y, int button) {
  return mouseMove(x, y) && xdo({"mousedown", std::to_string(button)});
}
bool GameSession::mouseUp(int x, int y, int button) {
  return mouseMove(x, y) && xdo({"mouseup", std::to_string(button)});
}

bool GameSession::scroll(Scroll dir, int clicks) {
  if (mouseX_ < 0 && !mouseMove(win_.width / 2, win_.height / 2)) return false;
  return xdo({"click", "--repeat", std::to_string(clicks), "--delay", "30", dir == Scroll::Up ? "4" : "5"});
}

Image GameSession::screenshot() {
  const std::string file = dir_ + "/shot.xwd";
  std::vector<std::string> argv = {"xwd", "-silent", "-out", file};
  if (win_.id) {
    argv.insert(argv.end(), {"-id", std::to_string(win_.id)});
  } else {
    argv.push_back("-root");
  }
  auto r = tool(argv);
  if (r.status != 0) {
    ADD_FAILURE() << "hoptest: " << join(argv) << " failed (" << r.status << "): " << r.out;
    return {};
  }
  try {
    shot_ = readXWD(file);
    return shot_;
  } catch (const std::exception& e) {
    ADD_FAILURE() << "hoptest: " << e.what();
    return {};
  }
}

bool GameSession::closeWindow() {
  if (!win_.id) {
    ADD_FAILURE() << "hoptest: closeWindow before waitForWindow found a window";
    return false;
  }
  std::string error;
  if (!sendDeleteWindow(display_, win_.id, error)) {
    ADD_FAILURE() << "hoptest: closing window " << win_.id << ": " << error;
    return false;
  }
  return true;
}

long GameSession::frames() const { return frames_ ? long(__atomic_load_n(frames_, __ATOMIC_ACQUIRE)) : -1; }
long GameSession::waits() const { return frames_ ? long(__atomic_load_n(frames_ + 1, __ATOMIC_ACQUIRE)) : -1; }

bool GameSession::pollFrames(const std::function<bool()>& check, const std::function<bool(long)>& done) {
  long checked = -2;
  auto last = Clock::now();
  for (;;) {
    const long shown = frames();
    // Without a frame count, a check every 100 ms.
    const bool fresh = shown >= 0 ? shown != checked : checked == -2 || Clock::now() - last >= milliseconds(100);
    if (check && fresh) {
      checked = shown >= 0 ? shown : -1;
      last = Clock::now();
      if (check()) return true;
    }
    if (done(shown)) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
}

bool GameSession::waitFrames(int n, milliseconds timeout) {
  const long from = frames();
  if (from < 0) {
    std::this_thread::sleep_for(milliseconds(200));
    return running();
  }
  const auto deadline = Clock::now() + timeout;
  pollFrames({}, [&](long shown) { return shown >= from + n || !running() || Clock::now() >= deadline; });
  return frames() >= from + n;
}

bool GameSession::waitTurns(int n, milliseconds timeout) {
  const long shown = frames(), waited = waits();
  if (shown < 0) return waitFrames(n, timeout);
  const bool done = waitUntil([&] { return frames() >= shown + n || waits() >= waited + n || !running(); },
                              timeout, milliseconds(5));
  return done && running();
}

double GameSession::frameRate(int n) {
  const long from = frames();
  if (from < 0) return -1;
  const auto begin = Clock::now();
  if (!waitFrames(n)) return -1;
  const std::chrono::duration<double> span = Clock::now() - begin;
  return double(frames() - from) / span.count();
}

bool GameSession::waitForScreen(const std::function<bool(const Image&)>& pred, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  return pollFrames([&] { return running() && pred(screenshot()); },
                    [&](long) { return !running() || Clock::now() >= deadline; });
}

bool GameSession::waitWithin(int frames, milliseconds minimum, const std::function<bool()>& pred) {
  const auto begin = Clock::now();
  const long from = this->frames();
  return pollFrames(pred, [&](long shown) {
    const auto spent = Clock::now() - begin;
    return !running() || spent >= patience() || (spent >= minimum && (shown < 0 || shown >= from + frames));
  });
}

bool GameSession::waitForScreenWithin(int frames, milliseconds minimum,
                                      const std::function<bool(const Image&)>& pred) {
  return waitWithin(frames, minimum, [&] { return running() && pred(screenshot()); });
}

std::string GameSession::stdoutText() const { return readFile(dir_ + "/stdout.txt"); }
std::string GameSession::stderrText() const { return readFile(dir_ + "/stderr.txt"); }

bool GameSession::waitForOutput(const std::string& text, milliseconds timeout, int count) {
  auto seen = [&] { return occurrences(stdoutText(), text) + occurrences(stderrText(), text) >= count; };
  // Checked again after the exit: the last lines may land just before it.
  return waitUntil([&] { return seen() || !running(); }, timeout, milliseconds(20)) && seen();
}

bool GameSession::reap(bool block) {
  if (pid_ <= 0 || exit_) return true;
  siginfo_t info{};
  // WNOWAIT: the exited leader stays a zombie, so its process-group id cannot
  // be reused while the group's leftovers are killed.
  if (waitid(P_PID, id_t(pid_), &info, WEXITED | WNOWAIT | (block ? 0 : WNOHANG)) != 0 || info.si_pid == 0)
    return false;
  kill(-pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return true;
}

bool GameSession::running() { return pid_ > 0 && !reap(false); }

void GameSession::terminate() {
  if (running()) kill(pid_, SIGTERM);
}

std::optional<int> GameSession::waitExit(milliseconds timeout) {
  if (pid_ <= 0) return std::nullopt;
  waitUntil([&] { return reap(false); }, timeout, milliseconds(10));
  return exit_;
}

void GameSession::stopGame() {
  if (pid_ <= 0 || reap(false)) return;
  kill(-pid_, SIGTERM);
  if (!waitUntil([&] { return reap(false); }, seconds(3), milliseconds(10))) {
    kill(-pid_, SIGKILL);
    reap(true);
  }
}

void GameSession::stopXvfb() {
  if (xvfb_ <= 0) return;
  kill(-xvfb_, SIGTERM);
  if (!waitUntil([&] { return waitpid(xvfb_, nullptr, WNOHANG) != 0; }, seconds(5), milliseconds(10))) {
    kill(-xvfb_, SIGKILL);
    waitpid(xvfb_, nullptr, 0);
  }
  xvfb_ = -1;
}

void GameSession::reportFailure() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (pid_ > 0) {
    std::cerr << "hoptest: stdout of " << pid_ << ":\n" << tail(stdoutText()) << "\nhoptest: stderr of " << pid_
              << ":\n" << tail(stderrText()) << '\n';
  }
  if (!info) return;
  std::string path = std::string(info->test_suite_name()) + "." + info->name() + ".png";
  for (char& c : path)
    if (c == '/') c = '_';
  if (win_.id && running()) {
    Image shot = screenshot();
    if (!shot.empty() && shot.savePNG(path)) std::cerr << "hoptest: screenshot saved to " << path << '\n';
    return;
  }
  // Gone already (a test may fail halfway and still quit the game): the
  // last picture a wait looked at.
  if (exit_) std::cerr << "hoptest: the program ended with " << *exit_ << '\n';
  path.insert(path.size() - 4, ".last");
  if (!shot_.empty() && shot_.savePNG(path)) std::cerr << "hoptest: last screenshot saved to " << path << '\n';
}

}  // namespace hoptest
