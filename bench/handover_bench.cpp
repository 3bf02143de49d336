// Hand-over of line messages from the service through a message thread to a
// dispatch target on an idle main thread: latency of one message (median
// and p99) and throughput of bursts, in the console's main loop (a blocking
// GetMessage loop) and in the window's (Qt's event loop).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

#include "component/mkTAPIThread.h"
#include "platform/kernel.h"
#include "platform/messages.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"

#ifdef TELMORA_WITH_QT
#include <QApplication>
#include <QEventLoop>

#include "app/qt/main_loop.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// One registration with thread 1 serving it; the dispatch target counts.
class Rig {
 public:
  Rig() {
    telephony::sim::Config config = telephony::sim::DefaultConfig();
    config.controlSocket = false;
    telephony::sim::Control::Install(config);
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    DWORD devices = 0, version = 0x00020000;
    lineInitializeEx(&app_, 0, nullptr, nullptr, &devices, &version, &params);
    stop_ = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    thread_.FLineApp = app_;
    thread_.FTapiEvent = params.hEvent;
    thread_.FStopEvent = stop_;
    thread_.FOnDispatch = TLineMessageDispatch::FromCallable([this](LINEMESSAGE*) {
      ++dispatched;
      if (onDispatch) onDispatch();
    });
    thread_.Resume();
  }
  ~Rig() {
    SetEvent(stop_);
    thread_.WaitFor();
    CloseHandle(stop_);
    lineShutdown(app_);
    telephony::sim::Control::Reset();
  }
  void Send(DWORD n = 1) {
    for (DWORD i = 0; i < n; ++i) telephony::InjectMessage(app_, LINEMESSAGE{0, LINE_REPLY, 0, i + 1, 0, 0});
  }

  long dispatched = 0;
  std::function<void()> onDispatch;

 private:
  HLINEAPP app_ = 0;
  HANDLE stop_ = 0;
  mkTAPIThread thread_{true};
};

// The console face's loop: block in GetMessage, dispatch, until `target`.
void ConsoleLoopUntil(Rig& rig, long target) {
  MSG msg;
  while (rig.dispatched < target && GetMessage(&msg, 0, 0, 0)) DispatchMessage(&msg);
}

void Report(benchmark::State& state, std::vector<double>& micros) {
  if (micros.empty()) return;
  std::sort(micros.begin(), micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

void BM_HandOverLatency_ConsoleLoop(benchmark::State& state) {
  Rig rig;
  std::vector<double> micros;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    rig.Send();
    ConsoleLoopUntil(rig, rig.dispatched + 1);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  Report(state, micros);
}
BENCHMARK(BM_HandOverLatency_ConsoleLoop);

void BM_HandOverThroughput_ConsoleLoop(benchmark::State& state) {
  Rig rig;
  const DWORD burst = static_cast<DWORD>(state.range(0));
  for (auto _ : state) {
    rig.Send(burst);
    ConsoleLoopUntil(rig, rig.dispatched + burst);
  }
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(BM_HandOverThroughput_ConsoleLoop)->Arg(100);

#ifdef TELMORA_WITH_QT
// The window's loop: Qt's event loop, drained by the main-loop hook.
void WindowLoopUntil(Rig& rig, long target) {
  QEventLoop loop;
  rig.onDispatch = [&] {
    if (rig.dispatched >= target) loop.quit();
  };
  if (rig.dispatched < target) loop.exec();
  rig.onDispatch = nullptr;
}

void BM_HandOverLatency_WindowLoop(benchmark::State& state) {
  Rig rig;
  std::vector<double> micros;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    rig.Send();
    WindowLoopUntil(rig, rig.dispatched + 1);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
  }
  Report(state, micros);
}
BENCHMARK(BM_HandOverLatency_WindowLoop);

void BM_HandOverThroughput_WindowLoop(benchmark::State& state) {
  Rig rig;
  const DWORD burst = static_cast<DWORD>(state.range(0));
  for (auto _ : state) {
    rig.Send(burst);
    WindowLoopUntil(rig, rig.dispatched + burst);
  }
  state.SetItemsProcessed(state.iterations() * burst);
}
BENCHMARK(BM_HandOverThroughput_WindowLoop)->Arg(100);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef TELMORA_WITH_QT
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  qtview::MainLoop::Install();
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
