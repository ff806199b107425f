#include "table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <istream>
#include <set>
#include <sstream>

#include "hopcommon/records.h"

namespace hopgames {
namespace {

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const auto at = line.find(sep, from);
    parts.push_back(trim(line.substr(from, at == std::string::npos ? std::string::npos : at - from)));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

// Length of the UTF-8 character at s[i], or 0 when the bytes there are not one.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return 0;
  if (n == 2 && c < 0xc2) return 0;  // an overlong form of one byte
  return n;
}

bool validUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = utf8Length(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

bool hasControl(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
  return false;
}

// Reads the lines of `in` that are neither comments nor blank, calling
// `take(line, number)` for each; false with `error` on a line that is too
// long, not UTF-8 or holds a control character, or when `take` refuses it.
template <typename Take>
bool eachLine(std::istream& in, std::string& error, const char* forbidden, Take take) {
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string at = "line " + std::to_string(number) + ": ";
    // A text file's lines all end: one that does not was cut short.
    if (in.eof()) return error = at + "no end of line (the file is cut short)", false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLine) return error = at + "longer than " + std::to_string(kMaxLine) + " bytes", false;
    if (!validUtf8(line)) return error = at + "not UTF-8 text", false;
    for (char& c : line)
      if (c == '\t') c = ' ';
    if (hasControl(line)) return error = at + "a control character", false;
    if (line.find_first_of(forbidden) != std::string::npos) return error = at + "holds one of " + forbidden, false;
    const std::string t = trim(line);
    if (t.empty() || t[0] == '#') continue;
    std::string why;
    if (!take(t, why)) return error = at + why, false;
  }
  return true;
}

bool programName(const std::string& s) {
  if (s.empty() || s.size() > 32) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')) return false;
  return true;
}

}  // namespace

bool readTable(std::istream& in, std::vector<GameInfo>& out, std::string& error) {
  std::vector<GameInfo> games;
  std::set<std::string> seen;
  const bool ok = eachLine(in, error, ";[]\\\"", [&](const std::string& line, std::string& why) {
    const std::vector<std::string> f = split(line, '|');
    if (f.size() != 8) return why = std::to_string(f.size()) + " fields, not 8", false;
    for (const std::string& field : f)
      if (field.empty()) return why = "an empty field", false;
    if (!programName(f[0])) return why = "'" + f[0] + "' is not a program name", false;
    if (!seen.insert(f[0]).second) return why = f[0] + " is listed twice", false;
    if (games.size() == kMaxGames) return why = "more than " + std::to_string(kMaxGames) + " games", false;
    games.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
    return true;
  });
  if (!ok) return false;
  if (games.empty()) return error = "no game", false;
  out = std::move(games);
  return true;
}

bool readControls(std::istream& in, std::vector<Control>& out, std::string& error) {
  std::vector<Control> controls;
  const bool ok = eachLine(in, error, "", [&](const std::string& line, std::string& why) {
    const std::vector<std::string> f = split(line, '|');
    if (f.size() != 3) return why = std::to_string(f.size()) + " fields, not 3 (keys | controller | effect)", false;
    if (f[0].empty() || f[1].empty() || f[2].empty()) return why = "an empty field (\"-\" where there is none)", false;
    if (controls.size() == kMaxControls) return why = "more than " + std::to_string(kMaxControls) + " controls", false;
    controls.push_back({f[0], f[1] == "-" ? "" : f[1], f[2]});
    return true;
  });
  if (!ok) return false;
  if (controls.empty()) return error = "no control", false;
  out = std::move(controls);
  return true;
}

namespace {

// The file's kind, or why it cannot be opened: empty for a regular file.
std::string kindProblem(int fd, const struct stat& st) {
  if (fd < 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "a folder, not a file";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  return {};
}

}  // namespace

bool regularFile(const std::string& path, std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st{};
  if (fd >= 0 && fstat(fd, &st) != 0) st.st_mode = 0;
  const std::string why = kindProblem(fd, st);
  if (fd >= 0) close(fd);
  if (!why.empty()) return error = path + ": " + why, false;
  return true;
}

bool readFile(const std::string& path, std::string& text, std::string& error) {
  // O_NONBLOCK: a named pipe nobody writes to must not hold the program in open().
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st{};
  if (fd >= 0 && fstat(fd, &st) != 0) st.st_mode = 0;
  std::string why = kindProblem(fd, st);
  if (fd < 0) return error = path + ": " + why, false;
  if (why.empty() && std::size_t(st.st_size) > kMaxFile) why = "larger than " + std::to_string(kMaxFile) + " bytes";
  if (why.empty()) {
    text.assign(std::size_t(st.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = read(fd, &text[got], text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += std::size_t(n);
    }
    if (got != text.size()) why = "could not be read whole";
  }
  close(fd);
  if (!why.empty()) return error = path + ": " + why, false;
  return true;
}

std::optional<long long> bestScore(const std::string& game) {
  if (!hop::validRecordName(game)) return std::nullopt;
  const std::string folder = hop::recordsFolder(game);
  if (folder.empty()) return std::nullopt;
  std::string text, error;
  if (!readFile(folder + "/records.txt", text, error)) return std::nullopt;
  std::istringstream in(text);
  hop::RecordTable table;
  if (!hop::readRecords(in, table, error)) return std::nullopt;
  const auto it = table.find("best");
  if (it == table.end()) return std::nullopt;
  return it->second;
}

std::string printable(const std::string& text, std::size_t maxBytes) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0x1b) {  // ESC [ parameters final-byte, or ESC and one byte
      std::size_t j = i + 1;
      if (j < text.size() && text[j] == '[') {
        ++j;
        while (j < text.size() && (static_cast<unsigned char>(text[j]) < 0x40 || text[j] > 0x7e)) ++j;
      }
      i = j + 1;
      continue;
    }
    std::size_t n = utf8Length(text, i);
    std::string piece = n == 0 ? "?" : text.substr(i, n);
    if (n == 0) n = 1;
    if (c < 0x20 || c == 0x7f) piece = c == '\t' ? " " : "";
    if (out.size() + piece.size() > maxBytes) break;
    out += piece;
    i += n;
  }
  return out;
}

}  // namespace hopgames
