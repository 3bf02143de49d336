// The line service's cost: messages from the service through a
// registration's event to lineGetMessage, and one call's whole life.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "platform/kernel.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"
#include "telephony/tapi.h"

namespace {

using telephony::sim::Control;

struct Registration {
  HLINEAPP app = 0;
  HANDLE event = 0;
  HLINE line = 0;
};

Registration Open(DWORD privileges) {
  Registration r;
  LINEINITIALIZEEXPARAMS params{};
  params.dwTotalSize = sizeof params;
  params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
  DWORD devices = 0, version = TAPI_VERSION2_0;
  lineInitializeEx(&r.app, 0, nullptr, "bench", &devices, &version, &params);
  r.event = params.hEvent;
  lineOpen(r.app, 0, &r.line, TAPI_VERSION2_0, 0, 0, privileges, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);
  return r;
}

void InstallManual() {
  telephony::sim::Config config = telephony::sim::DefaultConfig();
  config.manualClock = true;
  config.controlSocket = false;
  Control::Install(config);
}

// One message posted to the line, the event waited on, the message taken.
void BM_MessageThroughEvent(benchmark::State& state) {
  InstallManual();
  const Registration r = Open(LINECALLPRIVILEGE_MONITOR);
  LINEMESSAGE message{};
  for (auto _ : state) {
    telephony::InjectLineMessage(0, LINE_DEVSPECIFIC, 1, 2, 3);
    WaitForSingleObject(r.event, INFINITE);
    lineGetMessage(r.app, &message, 0);
    benchmark::DoNotOptimize(message);
  }
  state.SetItemsProcessed(state.iterations());
  lineShutdown(r.app);
  Control::Reset();
}
BENCHMARK(BM_MessageThroughEvent);

// A producer thread posts while this thread waits and takes, as the
// component's message thread does.
void BM_MessageThroughEventFromAnotherThread(benchmark::State& state) {
  InstallManual();
  const Registration r = Open(LINECALLPRIVILEGE_MONITOR);
  std::atomic<bool> stop{false};
  std::atomic<long> posted{0};
  std::thread producer([&] {
    while (!stop) {
      // Keep a few messages waiting, never an ever-growing queue.
      if (posted.load() < 64) {
        telephony::InjectLineMessage(0, LINE_DEVSPECIFIC, 1, 2, 3);
        ++posted;
      } else {
        std::this_thread::yield();
      }
    }
  });
  LINEMESSAGE message{};
  for (auto _ : state) {
    while (WaitForSingleObject(r.event, INFINITE) != WAIT_OBJECT_0) {
    }
    if (lineGetMessage(r.app, &message, 0) == 0) --posted;
  }
  stop = true;
  producer.join();
  state.SetItemsProcessed(state.iterations());
  lineShutdown(r.app);
  Control::Reset();
}
BENCHMARK(BM_MessageThroughEventFromAnotherThread)->UseRealTime();

// An incoming call from offering to idle: ring, caller identity, answer,
// far-end hang-up, release; every message taken through the event.
void BM_CallLifeOfferingToIdle(benchmark::State& state) {
  InstallManual();
  const Registration r = Open(LINECALLPRIVILEGE_OWNER);
  lineSetStatusMessages(r.line, LINEDEVSTATE_RINGING, 0);
  LINEMESSAGE m{};
  long messages = 0;
  for (auto _ : state) {
    Control::Ring(0, "Bench", "5551234");
    Control::WaitIdle();
    Control::Advance(1500);
    Control::WaitIdle();
    HCALL call = 0;
    while (lineGetMessage(r.app, &m, 0) == 0) {
      ++messages;
      if (m.dwMessageID == LINE_CALLSTATE && m.dwParam1 == LINECALLSTATE_OFFERING) call = m.hDevice;
    }
    lineAnswer(call, nullptr, 0);
    Control::Advance(200);
    Control::WaitIdle();
    Control::HangUp(0);
    Control::WaitIdle();
    Control::Advance(50);
    Control::WaitIdle();
    while (WaitForSingleObject(r.event, 0) == WAIT_OBJECT_0 && lineGetMessage(r.app, &m, 0) == 0) ++messages;
    lineDeallocateCall(call);
  }
  state.counters["messages_per_call"] = benchmark::Counter(static_cast<double>(messages) / state.iterations());
  lineShutdown(r.app);
  Control::Reset();
}
BENCHMARK(BM_CallLifeOfferingToIdle)->UseRealTime();

}  // namespace
