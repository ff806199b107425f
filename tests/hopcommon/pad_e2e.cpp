// hop::Pads in a real program on Xvfb, driven by the harness's virtual
// controller (hoptest/pad.h) from outside its process.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "hoptest/e2e.h"
#include "hoptest/pad.h"

namespace {

// The first "motion DX DY" line of the output.
bool firstMotion(const std::string& out, int& dx, int& dy) {
  const auto at = out.find("\nmotion ");
  return at != std::string::npos && std::sscanf(out.c_str() + at, "\nmotion %d %d", &dx, &dy) == 2;
}

}  // namespace

TEST(PadSession, AVirtualControllerDrivesTheProgramAndLetsGoWhenUnplugged) {
  hoptest::GameSession s;
  hoptest::Pad pad(s);
  s.start(pad.launch({HOPCOMMON_PADPROBE}));
  ASSERT_TRUE(pad.plug()) << s.stderrText();  // before the program looks for controllers
  ASSERT_NE(s.waitForWindow("hopcommon pad probe").id, 0u) << s.stderrText();
  ASSERT_TRUE(s.waitForOutput("ready"));
  EXPECT_TRUE(s.waitForOutput("Mando conectado: hoptest pad"));

  ASSERT_TRUE(pad.hold(SDL_CONTROLLER_BUTTON_A));
  EXPECT_TRUE(s.waitForOutput("key down Space"));
  EXPECT_TRUE(s.waitForOutput("key up Space"));
  ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768));
  EXPECT_TRUE(s.waitForOutput("key down Left"));
  EXPECT_TRUE(s.waitForOutput("held Left"));  // as a polling game reads it

  // Pulled out mid-hold: the key comes up and the program hears of it.
  ASSERT_TRUE(pad.unplug());
  EXPECT_TRUE(s.waitForOutput("key up Left"));
  EXPECT_TRUE(s.waitForOutput("free Left"));
  EXPECT_TRUE(s.waitForOutput("unplugged: paused"));
  EXPECT_TRUE(s.waitForOutput("Mando desconectado: hoptest pad"));

  // Plugged in again during play; the right stick moves the mouse its way.
  ASSERT_TRUE(pad.plug());
  EXPECT_TRUE(s.waitForOutput("Mando conectado: hoptest pad", hoptest::patience(), 2));
  ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767));
  ASSERT_TRUE(s.waitForOutput("\nmotion "));
  int dx = 0, dy = 0;
  ASSERT_TRUE(firstMotion(s.stdoutText(), dx, dy)) << s.stdoutText();
  EXPECT_GT(dx, 0);
  EXPECT_EQ(dy, 0);
  ASSERT_TRUE(pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 0));

  // Start pauses; the paused probe sleeps until an event, and the pad's
  // next button still reaches it.
  // (No hold(): it waits for frames, which a sleeping program does not draw.)
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
  ASSERT_TRUE(s.waitForOutput("paused\n"));
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, true));
  EXPECT_TRUE(s.waitForOutput("resumed"));
  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_START, false));

  ASSERT_TRUE(pad.button(SDL_CONTROLLER_BUTTON_BACK, true));  // Escape: the probe quits
  EXPECT_EQ(s.waitExit(), 0);
  EXPECT_EQ(s.stdoutText().find("key down Up"), std::string::npos) << s.stdoutText();
}
