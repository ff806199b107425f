// The sound layer for real, through SDL's "disk" audio driver, which writes
// everything the device plays to a file: the music starts only at the first
// P, pauses and resumes with the game, stops at a death while the death
// sound plays, and starts again after a restart.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "juego.h"
#include "sonido.h"

using namespace henrun;
namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kBytesPerSecond = 44100 * 2 * 2;  // 16-bit stereo

// Follows the file the disk driver writes, in the device's own time: waits
// (up to a generous limit) for the device to play a given span, whatever the
// machine's load.
class DiskAudio {
 public:
  explicit DiskAudio(fs::path file) : file_(std::move(file)) {}
  // Lets `seconds` of sound pass unread (the device's latency).
  void skip(double seconds) { read(seconds); }
  // Whether, within the next `seconds` played, the sound turns loud (a
  // tenth of a second above kAudible) or quiet (three tenths below
  // kSilent): the device plays on while a loaded machine keeps the test
  // from reading, so a change shows up some time after the call that made it.
  bool turns(bool loud, double seconds);
  // The loudest sample among the next `seconds` played.
  int peak(double seconds) {
    const std::string bytes = read(seconds);
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const int v = std::abs(int(std::int16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8)));
      loudest = std::max(loudest, v);
    }
    return loudest;
  }

 private:
  std::string read(double seconds) {
    const std::uintmax_t want = std::uintmax_t(seconds * double(kBytesPerSecond)) & ~std::uintmax_t(3);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code ec;
    while (fs::file_size(file_, ec) < offset_ + want && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(file_, std::ios::binary);
    in.seekg(std::streamoff(offset_));
    std::string bytes(want, '\0');
    in.read(bytes.data(), std::streamsize(want));
    bytes.resize(std::size_t(in.gcount()));
    offset_ += bytes.size();
    return bytes;
  }
  fs::path file_;
  std::uintmax_t offset_ = 0;
};

constexpr int kSilent = 40;   // dither-free silence is 0; leave a little room
constexpr int kAudible = 2000;

bool DiskAudio::turns(bool loud, double seconds) {
  int quiet = 0;
  for (double t = 0; t < seconds; t += 0.1) {
    const int p = peak(0.1);
    if (loud && p >= kAudible) return true;
    quiet = p <= kSilent ? quiet + 1 : 0;
    if (!loud && quiet == 3) return true;
  }
  return false;
}

}  // namespace

TEST(HenrunSound, MusicFollowsTheGameAndDeathStopsIt) {
  const fs::path file = fs::temp_directory_path() / ("henrun_audio_" + std::to_string(::getpid()) + ".raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    Sonido sound("../Sonidos/sonidoJuego.mp3", "../Sonidos/sonidoMuerte.mp3");
    ASSERT_TRUE(sound.available()) << SDL_GetError();
    DiskAudio disk(file);
    std::srand(4);
    Juego j(800, 600, 0, &sound);
    j.buildWorld();

    EXPECT_LE(disk.peak(0.3), kSilent) << "no music before the first P";
    j.keyDown(Tecla::P, 0);
    EXPECT_TRUE(disk.turns(true, 5)) << "P starts the music";
    j.keyDown(Tecla::P, 0);
    EXPECT_TRUE(disk.turns(false, 5)) << "P pauses it";
    j.keyDown(Tecla::P, 0);
    EXPECT_TRUE(disk.turns(true, 5)) << "P resumes it";

    j.game().hen.z = -30.f;  // behind the start: the hen dies
    j.update(16, {true, false, false});
    ASSERT_NE(j.game().hen.state, Gallina::Viva);
    // The music goes on until the death; then, at once, the death sound
    // (one loud stretch) and silence after it.
    EXPECT_TRUE(disk.turns(true, 5)) << "the death sound";
    EXPECT_TRUE(disk.turns(false, 8)) << "then silence: the music stopped with the death";
    EXPECT_LE(disk.peak(0.5), kSilent) << "and stays stopped";

    j.keyDown(Tecla::Enter, 0);
    j.buildWorld();
    EXPECT_LE(disk.peak(0.3), kSilent) << "a new game waits on its menu";
    j.keyDown(Tecla::P, 0);
    EXPECT_TRUE(disk.turns(true, 5)) << "the next P starts the music again";
  }
  SDL_Quit();
  fs::remove(file);
}

TEST(HenrunSound, WithoutADeviceItSaysSoOnceAndStaysSilent) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStdout();
  {
    Sonido sound("../Sonidos/sonidoJuego.mp3", "../Sonidos/sonidoMuerte.mp3");
    EXPECT_FALSE(sound.available());
    sound.playMusic();
    sound.pauseAllSounds(true);
    sound.playDeathSound();
  }
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Sin sonido"), std::string::npos) << out;
  EXPECT_EQ(out.find("Sin sonido"), out.rfind("Sin sonido")) << "said once";
  SDL_Quit();
}
