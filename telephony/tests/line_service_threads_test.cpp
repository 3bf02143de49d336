// The line service used from several threads at once: message threads of
// an owner and monitors, a far end driven from another thread, and
// registrations coming and going while calls run.
#include <atomic>
#include <thread>

#include "telephony/tests/sim_fixture.h"

using namespace teltest;

namespace {

class LineServiceThreads : public SimTest {};

// A message thread as the component runs one: waits on the event, takes one
// message, answers offered calls when it owns them, releases idle calls.
void MessageThread(const App& a, bool answer, int calls, std::atomic<int>& idles) {
  int seen = 0;
  while (seen < calls) {
    if (WaitForSingleObject(a.event, 10000) != WAIT_OBJECT_0) return;
    LINEMESSAGE m{};
    if (lineGetMessage(a.app, &m, 0) != 0) continue;  // another wake-up took it first
    if (m.dwMessageID != LINE_CALLSTATE) continue;
    LINECALLSTATUS status{};
    status.dwTotalSize = sizeof status;
    lineGetCallStatus(m.hDevice, &status);
    if (m.dwParam1 == LINECALLSTATE_OFFERING && answer) lineAnswer(m.hDevice, nullptr, 0);
    if (m.dwParam1 == LINECALLSTATE_IDLE) {
      EXPECT_EQ(lineDeallocateCall(m.hDevice), 0);
      ++seen;
      ++idles;
    }
  }
}

TEST_F(LineServiceThreads, OwnerAndMonitorsFollowEveryCallWhileTheFarEndRuns) {
  constexpr int kCalls = 40;
  constexpr int kMonitors = 3;
  std::vector<App> apps;
  apps.push_back(Initialize("owner"));
  Open(apps[0], kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  for (int i = 0; i < kMonitors; ++i) {
    apps.push_back(Initialize("monitor"));
    Open(apps.back(), kVoiceModem, LINECALLPRIVILEGE_MONITOR, 0);
  }
  std::atomic<int> idles{0};
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < apps.size(); ++i)
    threads.emplace_back([&, i] { MessageThread(apps[i], i == 0, kCalls, idles); });

  for (int call = 0; call < kCalls; ++call) {
    // The owner may or may not answer in time; either way the call ends.
    int tries = 0;
    while (Control::Ring(kVoiceModem, "Caller", std::to_string(5550000 + call), 0, 1) != "") {
      ASSERT_LT(++tries, 200) << "the previous call never cleared";
      Control::Advance(100);
      Control::WaitIdle();
    }
    ASSERT_TRUE(Control::WaitIdle());
    Control::Advance(300);
    ASSERT_TRUE(Control::WaitIdle());
    Control::Advance(6000);
    ASSERT_TRUE(Control::WaitIdle());
    Control::HangUp(kVoiceModem);
    ASSERT_TRUE(Control::WaitIdle());
    Control::Advance(100);
    ASSERT_TRUE(Control::WaitIdle());
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(idles.load(), kCalls * static_cast<int>(apps.size()));
  EXPECT_TRUE(telephony::Snapshot().calls.empty());
  for (const App& a : apps) EXPECT_EQ(lineShutdown(a.app), 0);
}

TEST_F(LineServiceThreads, RegistrationsComeAndGoWhileCallsRun) {
  Control::SetManualClock(false);
  Control::SetTimeScale(0.001);  // a thousand times faster than life
  const std::size_t handlesBefore = platform::LiveHandleCount();
  std::atomic<bool> stop{false};
  std::thread farEnd([&] {
    while (!stop) {
      Control::Ring(kVoiceModem, "Loop", "5550100", 0, 2);
      std::this_thread::yield();  // let the registrations interleave with the call
      Control::HangUp(kVoiceModem);
    }
  });
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([w] {
      for (int round = 0; round < 30; ++round) {
        const App a = Initialize("churn");
        const HLINE line = Open(a, kVoiceModem, w == 0 ? LINECALLPRIVILEGE_OWNER : LINECALLPRIVILEGE_MONITOR,
                                LINEMEDIAMODE_INTERACTIVEVOICE);
        lineSetStatusMessages(line, LINEDEVSTATE_RINGING, 0);
        HCALL call = 0;
        if (w == 0) lineMakeCall(line, &call, "5551234", 0, nullptr);
        std::thread reader([&] {
          LINEMESSAGE m{};
          while (lineGetMessage(a.app, &m, INFINITE) == 0) {
            LINECALLINFO info{};
            info.dwTotalSize = sizeof info;
            lineGetCallInfo(m.hDevice, &info);
          }
        });
        std::this_thread::yield();  // messages may or may not have arrived: both must be safe
        if (round % 2) lineClose(line);
        EXPECT_EQ(lineShutdown(a.app), 0);
        reader.join();  // shutdown wakes the reader with a failed fetch
      }
    });
  }
  for (auto& t : workers) t.join();
  stop = true;
  farEnd.join();
  Control::Reset();
  EXPECT_EQ(platform::LiveHandleCount(), handlesBefore);
}

}  // namespace
