#include "launch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <vector>

#include "table.h"

namespace hopgames {
namespace {

namespace fs = std::filesystem;

bool isProgram(const fs::path& p) {
  struct stat st{};
  return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0;
}

void writeAll(int fd, const char* data, std::size_t size) {
  while (fd >= 0 && size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a closed console: the output is dropped
    data += n;
    size -= std::size_t(n);
  }
}

constexpr std::size_t kMaxPartial = 4096;

}  // namespace

Start locate(const std::string& games, const std::string& game) {
  const fs::path folder = fs::path(games) / game;
  if (isProgram(folder / game)) return {(folder / game).string(), folder.string()};
  std::error_code ec;
  std::vector<fs::path> subs;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.is_directory(ec)) subs.push_back(entry.path());
  std::sort(subs.begin(), subs.end());
  for (const fs::path& sub : subs)
    if (isProgram(sub / game)) return {(sub / game).string(), sub.string()};
  // The Debian package: <prefix>/share/games holds the files, <prefix>/games the launchers.
  const fs::path dir = fs::path(games).lexically_normal();
  const fs::path base = dir.filename().empty() ? dir.parent_path() : dir;
  if (base.filename() == "games" && base.parent_path().filename() == "share") {
    const fs::path launcher = base.parent_path().parent_path() / "games" / game;
    if (isProgram(launcher)) return {launcher.string(), ""};
  }
  return {};
}

std::string defaultGamesFolder() {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  return ec ? std::string("..") : here.parent_path().string();
}

Child::Child(int forwardOut, int forwardErr) {
  out_.forward = forwardOut;
  err_.forward = forwardErr;
}

Child::~Child() {
  if (running()) {
    terminate();
    for (int i = 0; i < 100 && !wait(50); ++i) {
    }
    if (running()) {
      kill();
      waitpid(pid_, nullptr, 0);
    }
  }
  closeStreams();
}

bool Child::start(const Start& start, std::string& error) {
  if (running()) return error = "a game is already running", false;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return error = std::string("pipe: ") + std::strerror(errno), false;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    close(outPipe[0]), close(outPipe[1]);
    return false;
  }
  // Everything the child needs is made before fork: after it, only calls
  // that are safe in a child of a threaded program.
  const std::string name = fs::path(start.program).filename().string();
  const std::string argv0 = start.workdir.empty() ? start.program : "./" + name;
  const std::string program = start.workdir.empty() ? start.program : argv0;
  const std::string cannotMove = "hopgames: cannot enter " + start.workdir + ": ";
  const std::string cannotRun = "hopgames: cannot start " + start.program + ": ";
  std::vector<char*> argv{const_cast<char*>(argv0.c_str()), nullptr};

  const pid_t pid = fork();
  if (pid < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    return false;
  }
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    // Ignored signals stay ignored across exec: the game gets SIGPIPE back.
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    syscall(SYS_close_range, 3u, ~0u, 0u);  // our window's connection and GL files stay ours
    if (!start.workdir.empty() && chdir(start.workdir.c_str()) != 0) {
      const char* why = std::strerror(errno);
      writeAll(2, cannotMove.data(), cannotMove.size());
      writeAll(2, why, std::strlen(why));
      writeAll(2, "\n", 1);
      _exit(127);
    }
    execv(program.c_str(), argv.data());
    const char* why = std::strerror(errno);
    writeAll(2, cannotRun.data(), cannotRun.size());
    writeAll(2, why, std::strlen(why));
    writeAll(2, "\n", 1);
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  closeStreams();
  out_.fd = outPipe[0];
  err_.fd = errPipe[0];
  for (Stream* s : {&out_, &err_}) {
    fcntl(s->fd, F_SETFL, fcntl(s->fd, F_GETFL) | O_NONBLOCK);
    s->partial.clear();
    s->lines.clear();
  }
  pid_ = pid;
  status_.reset();
  return true;
}

void Child::drain(Stream& s) {
  char buffer[4096];
  while (s.fd >= 0) {
    const ssize_t n = read(s.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {  // the end (or an error): what is left is a last line
      close(s.fd);
      s.fd = -1;
      if (s.partial.empty()) return;
      s.partial.push_back('\n');
    } else {
      writeAll(s.forward, buffer, std::size_t(n));
      s.partial.append(buffer, std::size_t(n));
    }
    for (std::size_t at; (at = s.partial.find_first_of("\r\n")) != std::string::npos || s.partial.size() > kMaxPartial;) {
      if (at == std::string::npos) at = kMaxPartial;
      const std::string line = printable(s.partial.substr(0, at));
      s.partial.erase(0, at + 1);
      if (line.find_first_not_of(' ') == std::string::npos) continue;
      s.lines.push_back(line);
      if (s.lines.size() > kKeptLines) s.lines.pop_front();
    }
  }
}

std::optional<int> Child::wait(int ms) {
  if (status_) return status_;
  if (pid_ <= 0) return std::nullopt;
  pollfd fds[2];
  nfds_t n = 0;
  for (const Stream* s : {&out_, &err_})
    if (s->fd >= 0) fds[n++] = {s->fd, POLLIN, 0};
  poll(n ? fds : nullptr, n, ms);  // EINTR (a signal) is a wake like any other
  drain(out_);
  drain(err_);
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == 0 || (r < 0 && errno == EINTR)) return std::nullopt;
  // Ended: what it wrote last is in the pipes already (a program it left
  // running may hold them open, so take what is there and stop reading).
  drain(out_);
  drain(err_);
  for (Stream* s : {&out_, &err_})
    if (!s->partial.empty()) {
      const std::string line = printable(s->partial);
      s->partial.clear();
      if (line.find_first_not_of(' ') != std::string::npos) s->lines.push_back(line);
      if (s->lines.size() > kKeptLines) s->lines.pop_front();
    }
  closeStreams();
  pid_ = -1;
  status_ = r < 0 ? (127 << 8) : status;
  return status_;
}

void Child::terminate() {
  if (pid_ > 0) ::kill(pid_, SIGTERM);
}

void Child::kill() {
  if (pid_ > 0) ::kill(pid_, SIGKILL);
}

std::deque<std::string> Child::lastLines() const { return err_.lines.empty() ? out_.lines : err_.lines; }

void Child::closeStreams() {
  for (Stream* s : {&out_, &err_})
    if (s->fd >= 0) {
      close(s->fd);
      s->fd = -1;
    }
}

std::string endText(const std::string& game, int waitStatus) {
  if (WIFEXITED(waitStatus)) {
    const int code = WEXITSTATUS(waitStatus);
    return code == 0 ? std::string() : game + " ended with status " + std::to_string(code);
  }
  if (WIFSIGNALED(waitStatus)) {
    const int sig = WTERMSIG(waitStatus);
    const char* what = strsignal(sig);
    return game + " was ended by signal " + std::to_string(sig) + (what ? std::string(" (") + what + ")" : "");
  }
  return game + " ended oddly (wait status " + std::to_string(waitStatus) + ")";
}

}  // namespace hopgames
