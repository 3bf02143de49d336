// The simulated line's clock and its one worker thread: tasks run in the
// order of their due time (then of scheduling) on the worker, never two at
// once. Time is bench time in milliseconds: real time divided by the time
// scale, or, with the manual clock, only what Advance adds.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace telephony::sim {

class Scheduler {
 public:
  using Task = std::function<void()>;

  Scheduler(double timeScale, bool manualClock);
  ~Scheduler();

  void Start();
  // Joins the worker; tasks not yet run are dropped.
  void Stop();

  // Runs task delayMs of bench time from now. Safe from any thread.
  void After(double delayMs, Task task);
  double Now();

  void SetTimeScale(double timeScale);
  void SetManualClock(bool manual);
  void Advance(double ms);
  // Waits until no task is due and none is running; false when the bound
  // passed first.
  bool WaitIdle(std::chrono::milliseconds bound);

 private:
  double NowLocked() const;
  bool IdleLocked() const;
  void Run();

  std::mutex mu_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::map<std::pair<double, std::uint64_t>, Task> tasks_;
  std::uint64_t sequence_ = 0;
  bool running_ = false;  // a task is executing
  double runningDue_ = 0;
  bool stop_ = false;
  double scale_;
  bool manual_;
  double manualNow_ = 0;
  double baseNow_ = 0;
  std::chrono::steady_clock::time_point baseReal_;
  std::thread worker_;
};

}  // namespace telephony::sim
