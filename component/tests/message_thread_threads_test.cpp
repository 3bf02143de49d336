#include <gtest/gtest.h>

#include <memory>

#include "component/mkTAPIThread.h"
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
    t->FLineApp = app;
    t->FTapiEvent = tapi;
    t->FStopEvent = stop;
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
