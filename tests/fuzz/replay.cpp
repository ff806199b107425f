// Feeds a fuzz target every committed seed and every input that once
// crashed it; the sanitizers turn any fault into a failed test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> filesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  if (fs::is_directory(dir))
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

void replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SCOPED_TRACE(file.string());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(FuzzReplay, SeedsRunClean) {
  const auto seeds = filesIn(SEED_DIR);
  ASSERT_FALSE(seeds.empty()) << SEED_DIR;
  for (const fs::path& f : seeds) replay(f);
}

TEST(FuzzReplay, EveryCrashFoundStaysMended) {
  for (const fs::path& f : filesIn(REGRESSION_DIR)) replay(f);
}
