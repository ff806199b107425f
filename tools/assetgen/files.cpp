#include "files.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace assetgen {

namespace fs = std::filesystem;

void ensureParentFolder(const fs::path& file) {
  const fs::path parent = file.parent_path();
  if (parent.empty()) return;
  std::error_code ec;
  fs::create_directories(parent, ec);
  if (ec || !fs::is_directory(parent))
    throw std::runtime_error("cannot create folder " + parent.string() + ": " + ec.message());
}

void writeFile(const fs::path& file, const std::string& bytes) {
  ensureParentFolder(file);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot open " + file.string() + " for writing");
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void copyFile(const fs::path& from, const fs::path& to) {
  if (!fs::is_regular_file(from)) throw std::runtime_error("missing source file " + from.string());
  ensureParentFolder(to);
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw std::runtime_error("cannot copy " + from.string() + " to " + to.string() + ": " + ec.message());
}

}  // namespace assetgen
