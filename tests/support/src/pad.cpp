#include "hoptest/pad.h"

#include <sys/mman.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "pad_block.h"

namespace hoptest {
namespace {

std::string library(const char* path) {
  std::error_code ec;
  return path && std::filesystem::is_regular_file(path, ec) ? path : "";
}

}  // namespace

Pad::Pad(GameSession& session) : session_(session) {
  char tmpl[] = "/tmp/hoptest-pad-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("hoptest: mkdtemp failed");
  dir_ = tmpl;
  const int fd = open((dir_ + "/pad").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  void* p = fd >= 0 && ftruncate(fd, 4096) == 0 ? mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                                                 : MAP_FAILED;
  if (fd >= 0) close(fd);
  if (p == MAP_FAILED) throw std::runtime_error("hoptest: cannot map the pad's command block in " + dir_);
  block_ = static_cast<PadBlock*>(p);
  block_->magic = PadBlock::kMagic;
}

Pad::~Pad() {
  if (block_) munmap(block_, 4096);
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

Launch Pad::launch(Launch launch) const {
#ifdef HOPTEST_PAD_LIB
  const std::string pad = library(HOPTEST_PAD_LIB);
#else
  const std::string pad;
#endif
#ifdef HOPTEST_FRAMES_LIB
  const std::string frames = library(HOPTEST_FRAMES_LIB);
#else
  const std::string frames;
#endif
  if (pad.empty()) ADD_FAILURE() << "hoptest: the hoptest_pad library was not built";
  // The session puts the frame counter in LD_PRELOAD; an entry here
  // replaces the whole variable, so it names both.
  std::string preload = frames.empty() ? pad : frames + ":" + pad;
  if (const char* inherited = std::getenv("LD_PRELOAD"); inherited && *inherited) preload += std::string(":") + inherited;
  launch.env.push_back("LD_PRELOAD=" + preload);
  launch.env.push_back("HOPTEST_PAD=" + dir_ + "/pad");
  return launch;
}

bool Pad::send(bool waitOpened) {
  if (session_.window().id) session_.focus();
  const std::uint32_t request = block_->request + 1;
  __atomic_store_n(&block_->request, request, __ATOMIC_RELEASE);
  const bool done = waitUntil(
      [&] {
        if (!session_.running()) return true;
        return __atomic_load_n(&block_->applied, __ATOMIC_ACQUIRE) == request &&
               (!waitOpened || __atomic_load_n(&block_->opened, __ATOMIC_ACQUIRE) == 1);
      },
      patience(), milliseconds(5));
  const bool applied = __atomic_load_n(&block_->applied, __ATOMIC_ACQUIRE) == request;
  if (done && applied && (!waitOpened || block_->opened == 1)) return true;
  ADD_FAILURE() << "hoptest: the program " << (session_.running() ? "" : "exited and ")
                << (!applied ? "did not apply the pad's change" : "did not open the pad as a game controller")
                << (block_->error[0] ? std::string(": ") + block_->error : "");
  return false;
}

bool Pad::plug() {
  block_->plugged = 1;
  return send(true);
}

bool Pad::unplug() {
  block_->plugged = 0;
  for (auto& b : block_->buttons) b = 0;
  for (auto& a : block_->axes) a = 0;
  return send(false);
}

bool Pad::button(SDL_GameControllerButton b, bool down) {
  if (b < 0 || b >= int(sizeof block_->buttons)) return false;
  block_->buttons[b] = down ? 1 : 0;
  return send(false);
}

bool Pad::hold(SDL_GameControllerButton b) {
  if (!button(b, true)) return false;
  session_.waitTurns(3);
  return button(b, false);
}

bool Pad::axis(SDL_GameControllerAxis a, int value) {
  if (a < 0 || a >= int(sizeof block_->axes / sizeof block_->axes[0])) return false;
  block_->axes[a] = std::int16_t(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
  return send(false);
}

}  // namespace hoptest
