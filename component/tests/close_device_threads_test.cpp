// Closing and destroying a component that holds what an open line holds:
// registrations, lines, stop events and running message threads.
#include <gtest/gtest.h>

#include "component/mkTAPI.h"
#include "component/tests/thread_wiring.h"
#include "platform/kernel.h"
#include "platform/ui_scripted.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"
#include "telephony/tests/sim_fixture.h"

namespace {

// Takes the state an open line leaves, as the open path does: a registration
// per line, each served by its own message thread.
class HeldOpen : public TmkTAPI {
 public:
  HeldOpen() : TmkTAPI(nullptr) {
    Hold(FLineApp1, FLine1, FMsgThread1, FStopEvent1, LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE,
         [](LINEMESSAGE*) {});
    Hold(FLineApp2, FLine2, FMsgThread2, FStopEvent2, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM, nullptr);
    FOpenDeviceID = 0;
    FTAPIDevicesDetected = 2;
  }
 private:
  void Hold(HLINEAPP& app, HLINE& line, TOwnedHolder<mkTAPIThread>& holder, HANDLE& stop, DWORD privileges,
            DWORD media, std::function<void(LINEMESSAGE*)> dispatch) {
    const teltest::App reg = teltest::Initialize();
    app = reg.app;
    line = teltest::Open(reg, 0, privileges, media);
    stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    holder.reset(new mkTAPIThread(true));
    WireMessageThread(*holder.get(), app, reg.event, stop,
                      dispatch ? TLineMessageDispatch::FromCallable(dispatch) : TLineMessageDispatch());
    holder->Resume();
  }
};

class CloseDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    telephony::sim::Control::Install(teltest::ManualConfig());
    // Objects the platform makes once, on first use.
    platform::SyncEvent();
    platform::QueueEventForCurrentThread();
    handlesBefore_ = platform::LiveHandleCount();
  }
  void TearDown() override { telephony::sim::Control::Reset(); }

  TScriptedUIScope ui;
  std::size_t handlesBefore_ = 0;
};

}  // namespace

TEST_F(CloseDevice, StopsTheThreadsBeforeItEndsWhatTheyWaitOn) {
  HeldOpen tapi;
  ASSERT_EQ(telephony::Snapshot().registrations.size(), 2u);
  EXPECT_FALSE(tapi.CloseDevice());
  // A thread still waiting when its registration ended would have woken to a
  // failed wait and said so in a box.
  EXPECT_EQ(ui->BoxCount(), 0u);
  const auto after = telephony::Snapshot();
  EXPECT_TRUE(after.registrations.empty());
  EXPECT_TRUE(after.lines.empty());
  EXPECT_EQ(tapi.LineApp1(), 0u);
  EXPECT_EQ(tapi.Line2(), 0u);
  EXPECT_EQ(tapi.OpenDeviceID(), 0xFFFFFFFFul);
  EXPECT_EQ(tapi.TAPIDevicesDetected(), 0ul);
  // The stop events and the registrations' events are gone; the two thread
  // objects stay in their holders until the next open or destruction.
  const std::size_t kThreadObjects = 2;
  EXPECT_EQ(platform::LiveHandleCount(), handlesBefore_ + kThreadObjects);

  // A second close finds nothing to signal or close.
  EXPECT_FALSE(tapi.CloseDevice());
  EXPECT_EQ(ui->BoxCount(), 0u);
  EXPECT_EQ(platform::LiveHandleCount(), handlesBefore_ + kThreadObjects);
}

TEST_F(CloseDevice, DestroyingAnOpenComponentReleasesEverythingQuietly) {
  {
    HeldOpen tapi;
    ASSERT_EQ(telephony::Snapshot().lines.size(), 2u);
  }
  EXPECT_EQ(ui->BoxCount(), 0u);
  EXPECT_TRUE(telephony::Snapshot().registrations.empty());
  EXPECT_EQ(platform::LiveHandleCount(), handlesBefore_);
}
