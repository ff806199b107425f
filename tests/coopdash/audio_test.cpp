// Sound through SDL's "disk" driver, which writes what a device plays to a
// file: the music and both cues are queued, and sound appears in the file
// only while they play. The driver opens one device at a time, so each case
// gives a device to one sound. Waits follow the file's growth.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>

#include <chrono>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sonido.h"

using namespace coopdash;

namespace {

// One file per test program run: cases may run side by side.
std::string kOut;

std::vector<std::int16_t> samples() {
    std::ifstream in(kOut, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

std::size_t written() {
    std::error_code ec;
    const auto n = std::filesystem::file_size(kOut, ec);
    return ec ? 0 : std::size_t(n / 2);
}

// Waits until `more` samples beyond `from` have been written (60 s at most).
bool waitFor(std::size_t from, std::size_t more) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (written() < from + more) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int loud(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int n = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i) n += std::abs(int(s[i])) > 200;
    return n;
}

// One sound's device on the disk driver, run from the game's folder.
struct DiskAudio : ::testing::Test {
    void SetUp() override {
        kOut = ::testing::TempDir() + "coopdash_disk_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + std::to_string(getpid()) + ".raw";
        std::filesystem::remove(kOut);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", kOut.c_str(), 1);
        ASSERT_EQ(SDL_Init(0), 0);
    }
    void TearDown() override {
        SDL_Quit();
        std::filesystem::remove(kOut);
    }
    static constexpr std::size_t kBlock = 22050 / 4;  // a quarter of a second
};

}  // namespace

TEST_F(DiskAudio, MusicPlaysOnlyWhileTheGameRuns) {
    Audio audio([](int i) { return i == 0; });
    ASSERT_TRUE(audio.music->hasDevice());
    EXPECT_EQ(audio.music->queuedBytes(), audio.music->lengthBytes()) << "queued once and left paused";
    EXPECT_FALSE(audio.music->running());
    ASSERT_TRUE(waitFor(0, kBlock));
    EXPECT_EQ(loud(samples(), 0, written()), 0) << "sound while paused";

    audio.resumed();
    std::size_t start = written();
    ASSERT_TRUE(waitFor(start, 4 * kBlock));
    EXPECT_GT(loud(samples(), start, written()), int(kBlock)) << "no music while playing";

    audio.paused();
    // What the device had already taken may still come out; after that, silence.
    const std::size_t pausedAt = written();
    ASSERT_TRUE(waitFor(pausedAt, 4 * kBlock));
    const std::size_t quiet = written();
    ASSERT_TRUE(waitFor(quiet, 2 * kBlock));
    EXPECT_EQ(loud(samples(), quiet, written()), 0) << "music while paused";

    // Deaths start the music over instead of piling loops on the queue.
    for (int i = 0; i < 3; ++i) audio.death();
    EXPECT_LE(audio.music->queuedBytes(), audio.music->lengthBytes());
    // The 30-second re-queue adds a loop only when less than one is waiting
    // (the device plays on meanwhile: less than two are then queued).
    audio.musicDue();
    EXPECT_LT(audio.music->queuedBytes(), 2 * audio.music->lengthBytes());
    audio.music->stop();
    audio.musicDue();
    EXPECT_EQ(audio.music->queuedBytes(), audio.music->lengthBytes());
}

TEST_F(DiskAudio, MenuCuePlaysOnPauseAndStopsOnResume) {
    Audio audio([](int i) { return i == 1; });
    ASSERT_TRUE(audio.menuCue->hasDevice());
    audio.paused();
    const std::size_t start = written();
    ASSERT_TRUE(waitFor(start, 3 * kBlock));
    EXPECT_GT(loud(samples(), start, written()), 500) << "no menu cue";
    audio.resumed();
    EXPECT_FALSE(audio.menuCue->running());
    EXPECT_EQ(audio.menuCue->queuedBytes(), 0u);
}

TEST_F(DiskAudio, DeathCuePlaysWhenTheChickenDies) {
    Audio audio([](int i) { return i == 2; });
    ASSERT_TRUE(audio.deathCue->hasDevice());
    ASSERT_TRUE(waitFor(0, kBlock));
    EXPECT_EQ(loud(samples(), 0, written()), 0);
    audio.death();
    const std::size_t start = written();
    ASSERT_TRUE(waitFor(start, 3 * kBlock));
    EXPECT_GT(loud(samples(), start, written()), 500) << "no death cue";
}

TEST(CoopdashSound, WithoutADeviceOneLineAndSilence) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_EQ(SDL_Init(0), 0);
    testing::internal::CaptureStdout();
    {
        Audio audio;
        EXPECT_FALSE(audio.available());
        audio.paused();
        audio.resumed();
        audio.death();
        audio.musicDue();
        EXPECT_TRUE(audio.music->loaded());
    }
    const std::string out = testing::internal::GetCapturedStdout();
    SDL_Quit();
    EXPECT_EQ(out.find("Sin dispositivo de audio"), 0u) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;

    // A sound file that cannot be read (missing, a folder, a named pipe
    // nobody writes to, which must not block): the line, the file named,
    // silence.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string dir = ::testing::TempDir() + "coopdash_sound_" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/folder.wav");
    ASSERT_EQ(mkfifo((dir + "/pipe.wav").c_str(), 0600), 0);
    for (const std::string& path : {dir + "/none.wav", dir + "/folder.wav", dir + "/pipe.wav"}) {
        testing::internal::CaptureStdout();
        {
            Sonido broken(path, true);
            EXPECT_FALSE(broken.loaded());
            broken.play();
            broken.queue();
        }
        const std::string line = testing::internal::GetCapturedStdout();
        EXPECT_EQ(line.find("No se pudo cargar archivo de sonido\n" + path + ": "), 0u) << line;
    }
    std::filesystem::remove_all(dir);
}
