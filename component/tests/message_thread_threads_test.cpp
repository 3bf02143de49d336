#include <gtest/gtest.h>

#include <memory>

#include <cstring>
#include <functional>
#include <vector>

#include "component/mkTAPIThread.h"
#include "component/tests/thread_wiring.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"
#include "telephony/tests/sim_fixture.h"
#include "platform/tests/pump.h"
#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/ui_scripted.h"

namespace {

// A worker wired to events the test owns; the registration is whatever the
// test gives it.
struct Wiring {
  HANDLE tapiEvent = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE stopEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ~Wiring() {
    CloseHandle(tapiEvent);
    CloseHandle(stopEvent);
  }
  std::unique_ptr<mkTAPIThread> Start(HLINEAPP app, HANDLE tapi, HANDLE stop) {
    auto t = std::make_unique<mkTAPIThread>(true);
    WireMessageThread(*t, app, tapi, stop);
    t->Resume();
    return t;
  }
};

}  // namespace

TEST(MessageThread, StartedWithoutItsEventsReportsAndEnds) {
  TScriptedUIScope ui;
  Wiring w;
  for (int missing = 0; missing < 2; ++missing) {
    auto t = w.Start(0, missing == 0 ? 0 : w.tapiEvent, missing == 1 ? 0 : w.stopEvent);
    t->WaitFor();
  }
  const auto boxes = ui->Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text,
              "Internal error in [mkTAPIThread::Execute] msg: Please setup proper event handlers before using TAPI "
              "background thread dispatcher!");
    EXPECT_EQ(box.caption, "ERROR");
  }
}

TEST(MessageThread, StopEventEndsAWaitingThreadQuietly) {
  TScriptedUIScope ui;
  Wiring w;
  auto t = w.Start(0, w.tapiEvent, w.stopEvent);
  SetEvent(w.stopEvent);
  t->WaitFor();
  EXPECT_TRUE(t->Terminated());
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST(MessageThread, FailedFetchEndsTheThreadAfterItsBox) {
  TScriptedUIScope ui;
  Wiring w;
  auto t = w.Start(0xBAD, w.tapiEvent, w.stopEvent);
  SetEvent(w.tapiEvent);
  t->WaitFor();
  ASSERT_EQ(ui->BoxCount(), 1u);
  EXPECT_EQ(ui->Boxes()[0].text,
            "Internal error in [mkTAPIThread::Execute] msg: lineGetMessage ERROR, returned: " +
                IntToStr(static_cast<LONG>(LINEERR_INVALAPPHANDLE)));
  // Nothing waits on the event any more: a later signal stays unconsumed.
  SetEvent(w.tapiEvent);
  EXPECT_EQ(WaitForSingleObject(w.tapiEvent, 0), WAIT_OBJECT_0);
}

TEST(MessageThread, AClosedEventMakesTheWaitFail) {
  TScriptedUIScope ui;
  Wiring w;
  HANDLE doomed = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  auto t = w.Start(0, doomed, w.stopEvent);
  CloseHandle(doomed);
  t->WaitFor();
  ASSERT_EQ(ui->BoxCount(), 1u);
  EXPECT_EQ(ui->Boxes()[0].text,
            "Internal error in [mkTAPIThread::Execute] msg: Invalid return code from WaitForMultipleObjects.");
}

namespace {

// A registration with device 0 open, as the tests' registrations are.
struct Registration {
  teltest::App reg;
  HLINEAPP app;
  HANDLE event;
  HLINE line;
  Registration(DWORD privileges, DWORD media)
      : reg(teltest::Initialize()), app(reg.app), event(reg.event), line(teltest::Open(reg, 0, privileges, media)) {}
};

class LiveThread : public ::testing::Test {
 protected:
  void SetUp() override {
    telephony::sim::Control::Install(teltest::ManualConfig());
  }
  void TearDown() override { telephony::sim::Control::Reset(); }
  HCALL IncomingCallHandle(const Registration& reg) {
    EXPECT_EQ(telephony::sim::Control::Ring(0, "Ann", "5551234", 0, 1), "");
    EXPECT_TRUE(telephony::sim::Control::WaitIdle());
    for (const auto& call : telephony::Snapshot().calls)
      for (HCALL h : call.handles)
        if (lineGetCallInfo(h, nullptr) != LINEERR_INVALCALLHANDLE && Owns(reg, h)) return h;
    return 0;
  }
  static bool Owns(const Registration& reg, HCALL h) {
    // A handle of this registration's line: its call information names the line.
    LINECALLINFO info{};
    info.dwTotalSize = sizeof info;
    return lineGetCallInfo(h, &info) == 0 && info.hLine == reg.line;
  }
  static bool Alive(HCALL h) {
    for (const auto& call : telephony::Snapshot().calls)
      for (HCALL x : call.handles)
        if (x == h) return true;
    return false;
  }
  TScriptedUIScope ui;
};

}  // namespace

TEST_F(LiveThread, HandsACopyOfEachMessageToTheMainThread) {
  Registration reg(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  HANDLE stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  mkTAPIThread thread(true);
  std::vector<LINEMESSAGE> seen;
  std::vector<bool> onMain;
  std::vector<const LINEMESSAGE*> pointers;
  WireMessageThread(thread, reg.app, reg.event, stop, TLineMessageDispatch::FromCallable([&](LINEMESSAGE* m) {
                      seen.push_back(*m);
                      pointers.push_back(m);
                      onMain.push_back(platform::OnMainThread());
                    }));
  thread.Resume();
  const LINEMESSAGE sent[2] = {{11, 40, 1, 2, 3, 4}, {12, LINE_REPLY, 0, 9, 0, 0}};
  for (const auto& m : sent) ASSERT_EQ(telephony::InjectMessage(reg.app, m), 0);
  ASSERT_TRUE(PumpMainQueueUntil([&] { return seen.size() == 2; }));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(std::memcmp(&seen[i], &sent[i], sizeof(LINEMESSAGE)), 0);
    EXPECT_EQ(pointers[i], &thread.FLineMessage) << "the target gets the thread's own copy";
    EXPECT_TRUE(onMain[i]);
  }
  SetEvent(stop);
  thread.WaitFor();
  EXPECT_EQ(ui->BoxCount(), 0u);
  CloseHandle(stop);
}

TEST_F(LiveThread, WithoutATargetOnlyIdleCallsWithAHandleAreReleased) {
  Registration reg(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  const HCALL call = IncomingCallHandle(reg);
  ASSERT_NE(call, 0u);
  HANDLE stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  auto drain = [&](auto queue) {
    mkTAPIThread thread(true);
    WireMessageThread(thread, reg.app, reg.event, stop);
    ResetEvent(stop);
    queue();
    thread.Resume();
    // Queued messages are handled before the stop event is seen.
    SetEvent(stop);
    thread.WaitFor();
  };
  // The far end hangs up, so the call could be released; its own reports
  // are taken off the queue here, to be replaced by what the test sends.
  ASSERT_EQ(telephony::sim::Control::HangUp(0), "");
  telephony::sim::Control::Advance(60000);
  ASSERT_TRUE(telephony::sim::Control::WaitIdle());
  LINEMESSAGE m{};
  while (lineGetMessage(reg.app, &m, 0) == 0) {
  }
  // Another state, another message, an idle report without a handle: none
  // of them releases anything.
  drain([&] {
    for (const LINEMESSAGE& msg : {LINEMESSAGE{call, LINE_CALLSTATE, 0, LINECALLSTATE_DISCONNECTED, 0, 0},
                                   LINEMESSAGE{call, LINE_CALLINFO, 0, LINECALLSTATE_IDLE, 0, 0},
                                   LINEMESSAGE{0, LINE_CALLSTATE, 0, LINECALLSTATE_IDLE, 0, 0}})
      ASSERT_EQ(telephony::InjectMessage(reg.app, msg), 0);
  });
  EXPECT_TRUE(Alive(call));
  drain([&] { ASSERT_EQ(telephony::InjectMessage(reg.app, {call, LINE_CALLSTATE, 0, LINECALLSTATE_IDLE, 0, 0}), 0); });
  EXPECT_FALSE(Alive(call));
  EXPECT_EQ(ui->BoxCount(), 0u);
  CloseHandle(stop);
}
