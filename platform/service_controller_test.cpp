#include "platform/service_controller.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace cratemark {
namespace {

// Records the handlers the controller runs; each can be made to fail.
class RecordingModule : public ServiceModule {
 public:
  void ServiceStart() override {
    calls += "start ";
    if (fail_start) throw std::runtime_error("start refused");
    timer = true;
  }
  void ServiceStop() override {
    calls += "stop ";
    timer = false;  // disabled first, as the service does
    if (fail_stop) throw std::runtime_error("log held");
  }
  void TimerTimer() override {
    calls += "tick ";
    if (fail_tick) throw std::runtime_error("job unreadable");
  }
  bool PollTimerEnabled() const override { return timer; }

  std::string calls;
  bool timer = false;
  bool fail_start = false;
  bool fail_stop = false;
  bool fail_tick = false;
};

class ServiceControllerTest : public ::testing::Test {
 protected:
  RecordingModule module_;
  ServiceController controller_{module_, "srvCratemark", "CratemarkService"};
};

TEST_F(ServiceControllerTest, ControlsMoveBetweenStatesAndTicksRunOnlyWhileRunning) {
  controller_.Handle(ServiceControl::kStart);
  controller_.Tick();
  controller_.Handle(ServiceControl::kPause);
  EXPECT_EQ(controller_.state(), ServiceState::kPaused);
  controller_.Tick();
  controller_.Handle(ServiceControl::kPause);  // already paused: nothing runs
  controller_.Handle(ServiceControl::kContinue);
  EXPECT_EQ(controller_.state(), ServiceState::kRunning);
  controller_.Tick();
  controller_.Handle(ServiceControl::kContinue);  // already running
  controller_.Handle(ServiceControl::kPause);
  controller_.Handle(ServiceControl::kStop);  // a paused service stops too
  EXPECT_EQ(controller_.state(), ServiceState::kStopped);
  controller_.Tick();
  EXPECT_EQ(module_.calls, "start tick stop start tick stop stop ");
}

TEST_F(ServiceControllerTest, ShutdownEndsWithoutTheStopHandler) {
  controller_.Handle(ServiceControl::kStart);
  controller_.Handle(ServiceControl::kShutdown);
  EXPECT_EQ(controller_.state(), ServiceState::kStopped);
  EXPECT_EQ(module_.calls, "start ");
}

TEST_F(ServiceControllerTest, AFailedStartStopsTheService) {
  module_.fail_start = true;
  controller_.Handle(ServiceControl::kStart);
  EXPECT_EQ(controller_.state(), ServiceState::kStopped);
}

TEST_F(ServiceControllerTest, AFailedControlKeepsTheStateBeforeIt) {
  controller_.Handle(ServiceControl::kStart);
  module_.fail_stop = true;
  controller_.Handle(ServiceControl::kPause);
  EXPECT_EQ(controller_.state(), ServiceState::kRunning);
  controller_.Handle(ServiceControl::kStop);
  EXPECT_EQ(controller_.state(), ServiceState::kRunning);
  // The timer went off before the failure: no tick until a pause and continue.
  controller_.Tick();
  module_.fail_stop = false;
  controller_.Handle(ServiceControl::kPause);
  module_.fail_start = true;
  controller_.Handle(ServiceControl::kContinue);
  EXPECT_EQ(controller_.state(), ServiceState::kPaused);
  EXPECT_EQ(module_.calls, "start stop stop stop start ");
}

TEST_F(ServiceControllerTest, AFailedTickLeavesTheServiceRunning) {
  controller_.Handle(ServiceControl::kStart);
  module_.fail_tick = true;
  controller_.Tick();
  controller_.Tick();
  EXPECT_EQ(controller_.state(), ServiceState::kRunning);
  EXPECT_EQ(module_.calls, "start tick tick ");
}

}  // namespace
}  // namespace cratemark
