// Controllers through SDL's virtual joystick: no hardware, no window.
#include "hopcommon/pads.h"
#include "hoptest/localpad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using hop::Control;

using VirtualPad = hoptest::LocalPad;

class PadsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }
  void TearDown() override { SDL_Quit(); }

  // One frame's events through the pads; what came out, in order:
  // "+Left" / "-Left" / "*Left" (a repeat) for keys (SDL's scancode names),
  // "~Left" for a release while a controller is leaving, "unplugged",
  // "motion X Y".
  static std::string drain(hop::Pads& pads) {
    std::string out;
    SDL_Event e;
    while (pads.poll(&e)) {
      std::string item;
      if (e.type == SDL_CONTROLLERDEVICEREMOVED && pads.unplugged()) item = "unplugged";
      if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP)
        item = (e.type == SDL_KEYUP ? (pads.leaving() ? "~" : "-") : e.key.repeat ? "*" : "+") +
               std::string(SDL_GetScancodeName(e.key.keysym.scancode));
      if (e.type == SDL_MOUSEMOTION) item = "motion " + std::to_string(e.motion.xrel) + " " + std::to_string(e.motion.yrel);
      if (!item.empty()) out += (out.empty() ? "" : " ") + item;
    }
    return out;
  }
};

TEST_F(PadsTest, OpensControllersPresentAndPluggedLaterIgnoresUnknownIds) {
  VirtualPad first;
  hop::Pads pads{hop::PadTable()};
  EXPECT_EQ(pads.count(), 1);
  EXPECT_EQ(drain(pads), "");  // SDL's own "added" event for it opens nothing twice
  EXPECT_EQ(pads.count(), 1);
  VirtualPad second;
  drain(pads);
  EXPECT_EQ(pads.count(), 2);

  // Events naming instances or devices nobody opened change nothing.
  SDL_Event e{};
  e.type = SDL_CONTROLLERBUTTONDOWN;
  e.cbutton.which = first.id + second.id + 100;
  e.cbutton.button = SDL_CONTROLLER_BUTTON_DPAD_LEFT;
  EXPECT_EQ(pads.handle(e), hop::Pads::Ignored);
  e = {};
  e.type = SDL_CONTROLLERDEVICEREMOVED;
  e.cdevice.which = first.id + second.id + 100;
  EXPECT_EQ(pads.handle(e), hop::Pads::Ignored);
  e.type = SDL_CONTROLLERDEVICEADDED;
  e.cdevice.which = 57;  // no such device index
  pads.handle(e);
  EXPECT_EQ(pads.count(), 2);
  EXPECT_EQ(drain(pads), "");
}

TEST_F(PadsTest, DpadAndLeftStickHoldTheArrowsWithHysteresis) {
  VirtualPad pad;
  hop::Pads pads{hop::PadTable()};
  drain(pads);

  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(drain(pads), "+Left");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);  // both hold Left: one key
  EXPECT_EQ(drain(pads), "");
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  EXPECT_EQ(drain(pads), "");
  EXPECT_TRUE(pads.held(SDL_SCANCODE_LEFT));
  EXPECT_TRUE(pads.keyboard()[SDL_SCANCODE_LEFT]);
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_EQ(drain(pads), "-Left");
  EXPECT_FALSE(pads.held(SDL_SCANCODE_LEFT));
  EXPECT_FALSE(pads.keyboard()[SDL_SCANCODE_LEFT]);

  // Right: held beyond 16000, kept down to 10000.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 15000);
  EXPECT_EQ(drain(pads), "");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 17000);
  EXPECT_EQ(drain(pads), "+Right");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 12000);
  EXPECT_EQ(drain(pads), "");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 9000);
  EXPECT_EQ(drain(pads), "-Right");

  // The stick's y grows downward; a diagonal holds two arrows.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  EXPECT_EQ(drain(pads), "+Up");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_EQ(drain(pads), "+Right");
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_EQ(drain(pads), "-Up +Down");
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_EQ(drain(pads), "+Up");
  EXPECT_TRUE(pads.held(SDL_SCANCODE_UP) && pads.held(SDL_SCANCODE_DOWN) && pads.held(SDL_SCANCODE_RIGHT));
}

TEST_F(PadsTest, ButtonsHoldTheKeysOfTheTable) {
  VirtualPad pad;
  hop::PadTable table;
  table.set(Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE)
      .set(Control::Start, SDLK_p, SDL_SCANCODE_P)
      .set(Control::Back, SDLK_p, SDL_SCANCODE_P)
      .set(Control::RightShoulder, SDLK_v, SDL_SCANCODE_V)
      .set(Control::Up, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN);
  hop::Pads pads(table);
  drain(pads);

  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  pad.button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
  EXPECT_EQ(drain(pads), "+Space +V");
  pad.button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(drain(pads), "-Space");
  // B, Y, the left shoulder and Up (taken out of the table) do nothing here.
  pad.button(SDL_CONTROLLER_BUTTON_B, true);
  pad.button(SDL_CONTROLLER_BUTTON_Y, true);
  pad.button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_EQ(drain(pads), "");
  // Start and Back share P: it stays down while either is held.
  pad.button(SDL_CONTROLLER_BUTTON_START, true);
  pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_EQ(drain(pads), "+P");
  pad.button(SDL_CONTROLLER_BUTTON_START, false);
  EXPECT_EQ(drain(pads), "");
  pad.button(SDL_CONTROLLER_BUTTON_BACK, false);
  EXPECT_EQ(drain(pads), "-P");
}

TEST_F(PadsTest, HeldKeysRepeatOnlyWhenTheGameAsks) {
  VirtualPad pad;
  hop::PadTable table;
  table.repeatDelay = 30;
  table.repeatInterval = 10;
  hop::Pads pads(table);
  drain(pads);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(drain(pads), "+Left");
  std::string got;
  for (int i = 0; i < 400 && got.find("*Left *Left") == std::string::npos; ++i) {
    SDL_Delay(5);
    const std::string frame = drain(pads);
    got += frame.empty() ? "" : " " + frame;
  }
  EXPECT_EQ(got, " *Left *Left");  // one a frame at most
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
  EXPECT_EQ(drain(pads), "-Left");
  SDL_Delay(50);
  EXPECT_EQ(drain(pads), "");

  hop::Pads plain{hop::PadTable()};  // no repeats unless asked (it alone reads the events now)
  drain(plain);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  EXPECT_EQ(drain(plain), "+Left");
  SDL_Delay(50);
  EXPECT_EQ(drain(plain), "");
}

TEST_F(PadsTest, UnplugAndFocusLossReleaseEveryHeldKey) {
  hop::PadTable table;
  table.set(Control::A, SDLK_SPACE, SDL_SCANCODE_SPACE);
  VirtualPad pad, other;
  hop::Pads pads(table);
  drain(pads);

  // The removal alone releases, whatever SDL sent before it.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  other.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_EQ(drain(pads), "+Up +Left +Space");
  SDL_Event removed{};
  removed.type = SDL_CONTROLLERDEVICEREMOVED;
  removed.cdevice.which = pad.id;
  EXPECT_EQ(pads.handle(removed), hop::Pads::Unplugged);
  EXPECT_TRUE(pads.unplugged());
  EXPECT_FALSE(pads.unplugged());
  EXPECT_EQ(drain(pads), "-Left -Space");
  EXPECT_EQ(pads.count(), 1);
  EXPECT_FALSE(pads.held(SDL_SCANCODE_LEFT));
  EXPECT_TRUE(pads.held(SDL_SCANCODE_UP));
  pad.unplug();
  EXPECT_EQ(drain(pads), "");  // SDL's own removal of it: already closed

  // A real unplug mid-hold: SDL centres the stick and lets go of the d-pad
  // just before it reports the removal; those releases are told apart from
  // a hand's.
  other.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_EQ(drain(pads), "+Right");
  other.unplug();
  EXPECT_EQ(drain(pads), "~Right ~Up unplugged");
  EXPECT_FALSE(pads.leaving());
  EXPECT_EQ(pads.count(), 0);
  EXPECT_EQ(pads.keyboard(), SDL_GetKeyboardState(nullptr));

  // Losing the window's focus lets go too.
  VirtualPad third;
  drain(pads);
  third.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(drain(pads), "+Down");
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  pads.handle(focus);
  EXPECT_EQ(drain(pads), "-Down");
}

TEST_F(PadsTest, RightStickMovesTheMouseTheWayItLeans) {
  VirtualPad pad;
  hop::PadTable table;
  table.lookSpeed = 2000;
  hop::Pads pads(table);
  drain(pads);

  // Within the dead zone: still.
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 9000);
  drain(pads);
  EXPECT_EQ(pads.lookX(), 0);
  // Motion comes as the frames pass: wait for the first.
  auto motion = [&] {
    std::string got;
    for (int i = 0; i < 400 && got.empty(); ++i) {
      SDL_Delay(5);
      got = drain(pads);
    }
    return got;
  };
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  drain(pads);
  EXPECT_EQ(pads.lookX(), 1);
  int dx = 0, dy = 0;
  ASSERT_EQ(std::sscanf(motion().c_str(), "motion %d %d", &dx, &dy), 2);
  EXPECT_GT(dx, 0);
  EXPECT_EQ(dy, 0);
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 0);
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTY, -32768);  // up
  drain(pads);
  ASSERT_EQ(std::sscanf(motion().c_str(), "motion %d %d", &dx, &dy), 2);
  EXPECT_EQ(dx, 0);
  EXPECT_LT(dy, 0);
  EXPECT_FALSE(pads.held(SDL_SCANCODE_UP));  // the right stick holds no key
}

}  // namespace
