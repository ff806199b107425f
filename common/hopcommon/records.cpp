#include "hopcommon/records.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <istream>
#include <ostream>
#include <sstream>

#include <dirent.h>

namespace hop {
namespace {

const char kHeader[] = "hopgames-records 1";
const char kFile[] = "records.txt";
const char kTemp[] = "records.txt.tmp-";
constexpr std::size_t kMaxLine = 80;
constexpr off_t kMaxFile = 64 * 1024;

// One line without its '\n': 1; 0 at the end of the input; -1 when the
// input ends inside a line; -2 when the line is longer than kMaxLine.
int nextLine(std::istream& in, std::string& line) {
  line.clear();
  for (auto c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n') return 1;
    if (line.size() == kMaxLine) return -2;
    line += char(c);
  }
  return line.empty() ? 0 : -1;
}

bool digits(const std::string& s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

// A decimal number in 0..kMaxRecord; `why` when it is not.
bool parseValue(const std::string& s, long long& value, std::string& why) {
  if (digits(s) && s.size() <= 15) {
    value = std::stoll(s);
    return true;
  }
  why = digits(s) || (s[0] == '-' && digits(s.substr(1))) ? "valor fuera de rango: " + s : "número no válido: " + s;
  return false;
}

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string error() { return std::strerror(errno); }

// Makes `path` and its missing parents (private, as data folders are).
bool makeFolder(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

// An exclusive lock on the folder, for two seconds at most: another copy of
// the game holds it only while it saves. Without it the save still goes
// ahead (the rename alone keeps the file whole).
bool lock(int dirFd) {
  for (int i = 0; i < 200; ++i) {
    if (flock(dirFd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    usleep(10000);
  }
  return false;
}

// Temporary files of saves that were killed before their rename. Only
// under the lock: no other save is under way.
void removeStaleTemps(int dirFd) {
  const int fd = dup(dirFd);
  DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
  if (!d) {
    if (fd >= 0) close(fd);
    return;
  }
  while (const dirent* e = readdir(d))
    if (std::strncmp(e->d_name, kTemp, sizeof kTemp - 1) == 0) unlinkat(dirFd, e->d_name, 0);
  closedir(d);
}

bool writeAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

}  // namespace

bool validRecordName(const std::string& name) {
  return !name.empty() && name.size() <= 32 && name != "end" &&
         name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_") == std::string::npos;
}

bool readRecords(std::istream& in, RecordTable& out, std::string& error) {
  out.clear();
  RecordTable table;
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    error = number > 1 ? "línea " + std::to_string(number) + ": " + why : why;
    return false;
  };
  for (;;) {
    const int got = nextLine(in, line);
    ++number;
    if (got == 0) return fail(number == 1 ? "vacío" : "cortado: falta la línea final");
    if (got == -1) return fail("cortado a media línea");
    if (got == -2) return fail("línea demasiado larga");
    if (number == 1) {
      if (line != kHeader) return fail("no es un archivo de récords");
      continue;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return fail("se esperaba «nombre valor»");
    const std::string name = line.substr(0, space);
    long long value = 0;
    std::string why;
    if (!parseValue(line.substr(space + 1), value, why)) return fail(why);
    if (name == "end") {
      if (value != (long long)table.size()) return fail("la cuenta final no coincide");
      if (nextLine(in, line) != 0) return fail("datos tras la línea final");
      out = std::move(table);
      return true;
    }
    if (!validRecordName(name)) return fail("nombre no válido: " + name);
    if (table.size() == std::size_t(kMaxRecords)) return fail("demasiados récords");
    if (!table.emplace(name, value).second) return fail("nombre repetido: " + name);
  }
}

void writeRecords(std::ostream& out, const RecordTable& table) {
  out << kHeader << '\n';
  for (const auto& [name, value] : table) out << name << ' ' << value << '\n';
  out << "end " << table.size() << '\n';
}

std::string recordsFolder(const std::string& game) {
  if (const std::string dir = env("HOPGAMES_DATA_DIR"); !dir.empty()) return dir + "/" + game;
  // A relative XDG_DATA_HOME is to be ignored, as an empty one is.
  if (const std::string xdg = env("XDG_DATA_HOME"); !xdg.empty() && xdg[0] == '/') return xdg + "/hopgames/" + game;
  if (const std::string home = env("HOME"); !home.empty()) return home + "/.local/share/hopgames/" + game;
  return {};
}

Records::Records(const std::string& game) : Records(game, std::cerr) {}

Records::Records(const std::string& game, std::ostream& log) : log_(log) {
  if (!validRecordName(game)) {
    log_ << "Récords: nombre de juego no válido «" << game << "»; no se guardarán" << std::endl;
    return;
  }
  folder_ = recordsFolder(game);
  if (folder_.empty()) {
    log_ << "Récords: sin carpeta de datos (HOME no está definido); no se guardarán" << std::endl;
    return;
  }
  file_ = folder_ + "/" + kFile;
  const int dir = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    // A missing folder is made by the first save.
    if (errno != ENOENT) log_ << "Récords: no se puede leer la carpeta " << folder_ << ": " << error() << std::endl;
    return;
  }
  lock(dir);
  std::string why;
  if (readDisk(dir, table_, why) == Bad) setAside(dir, why);
  close(dir);
}

std::optional<long long> Records::best(const std::string& name) const {
  const auto it = table_.find(name);
  if (it == table_.end()) return std::nullopt;
  return it->second;
}

bool Records::better(const std::string& name, long long a, long long b) const {
  const auto it = orders_.find(name);
  return it != orders_.end() && it->second == Lower ? a < b : a > b;
}

bool Records::record(const std::string& name, long long value, Order order) {
  if (!validRecordName(name) || value < 0 || value > kMaxRecord) {
    log_ << "Récords: resultado no válido: «" << name << "» " << value << std::endl;
    return false;
  }
  orders_[name] = order;
  const auto it = table_.find(name);
  if (it != table_.end() && !better(name, value, it->second)) return false;
  table_[name] = value;
  save();
  return true;
}

Records::Disk Records::readDisk(int dirFd, RecordTable& table, std::string& why) {
  table.clear();
  const int fd = openat(dirFd, kFile, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Missing;
    why = "no se puede leer: " + error();
    return Bad;
  }
  struct stat st {};
  std::string text;
  if (fstat(fd, &st) != 0) {
    why = "no se puede leer: " + error();
  } else if (!S_ISREG(st.st_mode)) {
    why = "no es un archivo normal";
  } else if (st.st_size > kMaxFile) {
    why = "demasiado grande";
  } else {
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) text.append(buf, std::size_t(n));
    if (n < 0) why = "no se puede leer: " + error();
  }
  close(fd);
  if (!why.empty()) return Bad;
  std::istringstream in(text);
  return readRecords(in, table, why) ? Good : Bad;
}

bool Records::setAside(int dirFd, const std::string& why) {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  int err = 0;
  for (int n = 1; n < 100; ++n) {
    const std::string aside = std::string(kFile) + ".bad-" + stamp + (n > 1 ? "-" + std::to_string(n) : "");
    // Never over another file: what is set aside stays for the player to read.
    int done = renameat2(dirFd, kFile, dirFd, aside.c_str(), RENAME_NOREPLACE);
    if (done != 0 && errno == EINVAL && linkat(dirFd, kFile, dirFd, aside.c_str(), 0) == 0)
      done = unlinkat(dirFd, kFile, 0);
    if (done == 0) {
      log_ << "Récords: " << file_ << " no es válido (" << why << "); apartado como " << folder_ << "/" << aside
           << std::endl;
      return true;
    }
    if (errno != EEXIST) {
      err = errno;
      break;
    }
  }
  if (err == ENOENT) return true;  // another copy of the game set it aside first
  log_ << "Récords: " << file_ << " no es válido (" << why << ") y no se pudo apartar (" << std::strerror(err)
       << "); no se guardarán récords" << std::endl;
  file_.clear();
  return false;
}

void Records::failed(const std::string& what) {
  if (!failing_) log_ << "Récords: no se puede guardar " << file_ << ": " << what << std::endl;
  failing_ = true;
}

void Records::save() {
  if (file_.empty()) return;
  if (!makeFolder(folder_)) return failed(error());
  const int dir = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return failed(error());
  const bool locked = lock(dir);
  // Merge what another copy of the game saved since: a name this copy has
  // recorded keeps the better of both; any other takes the file's value,
  // which was merged with everything before it.
  RecordTable disk;
  std::string why;
  const Disk state = readDisk(dir, disk, why);
  if (state == Bad && !setAside(dir, why)) return (void)close(dir);
  for (const auto& [name, value] : disk) {
    const auto it = table_.find(name);
    if (it == table_.end() || !orders_.count(name) || better(name, value, it->second)) table_[name] = value;
  }
  if (locked) removeStaleTemps(dir);

  std::ostringstream text;
  writeRecords(text, table_);
  std::string temp = folder_ + "/" + kTemp + "XXXXXX";
  const int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) {
    failed(error());
    return (void)close(dir);
  }
  bool ok = writeAll(fd, text.str()) && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) ok = false, err = errno;
  if (ok && std::getenv("HOPGAMES_TEST_HOLD_RENAME")) {
    log_ << "Récords: detenido antes de renombrar " << temp << std::endl;
    std::raise(SIGSTOP);
  }
  if (ok && std::rename(temp.c_str(), file_.c_str()) != 0) ok = false, err = errno;
  if (!ok) {
    unlink(temp.c_str());
    failed(std::strerror(err));
  } else {
    fsync(dir);  // the rename itself reaches the disk
    failing_ = false;
  }
  close(dir);
}

}  // namespace hop
