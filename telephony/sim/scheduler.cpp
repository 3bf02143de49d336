#include "telephony/sim/scheduler.h"

#include "telephony/sim/config.h"

namespace telephony::sim {

Scheduler::Scheduler(double timeScale, bool manualClock)
    : scale_(timeScale), manual_(manualClock), baseReal_(std::chrono::steady_clock::now()) {}

Scheduler::~Scheduler() { Stop(); }

void Scheduler::Start() {
  std::lock_guard lock(mu_);
  if (worker_.joinable()) return;
  stop_ = false;
  worker_ = std::thread([this] { Run(); });
}

void Scheduler::Stop() {
  {
    std::lock_guard lock(mu_);
    stop_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
  std::lock_guard lock(mu_);
  tasks_.clear();
  idle_.notify_all();
}

double Scheduler::NowLocked() const {
  if (manual_) return manualNow_;
  const std::chrono::duration<double, std::milli> real = std::chrono::steady_clock::now() - baseReal_;
  return baseNow_ + real.count() / scale_;
}

double Scheduler::Now() {
  std::lock_guard lock(mu_);
  return NowLocked();
}

void Scheduler::After(double delayMs, Task task) {
  {
    std::lock_guard lock(mu_);
    // A task scheduled by a running task counts from that task's due time,
    // so chains of steps keep their spacing however late the worker runs.
    const bool fromTask = running_ && std::this_thread::get_id() == worker_.get_id();
    const double base = fromTask ? runningDue_ : NowLocked();
    tasks_.emplace(std::make_pair(base + (delayMs > 0 ? delayMs : 0), sequence_++), std::move(task));
  }
  wake_.notify_all();
}

void Scheduler::SetTimeScale(double timeScale) {
  {
    std::lock_guard lock(mu_);
    if (!(timeScale > 0) || !(timeScale <= kMaxTimeScale)) return;
    baseNow_ = NowLocked();
    baseReal_ = std::chrono::steady_clock::now();
    scale_ = timeScale;
  }
  wake_.notify_all();
}

void Scheduler::SetManualClock(bool manual) {
  {
    std::lock_guard lock(mu_);
    if (manual == manual_) return;
    const double now = NowLocked();
    manual_ = manual;
    manualNow_ = now;
    baseNow_ = now;
    baseReal_ = std::chrono::steady_clock::now();
  }
  wake_.notify_all();
}

void Scheduler::Advance(double ms) {
  {
    std::lock_guard lock(mu_);
    if (manual_ && ms > 0) manualNow_ += ms;
  }
  wake_.notify_all();
}

bool Scheduler::IdleLocked() const {
  return stop_ || (!running_ && (tasks_.empty() || tasks_.begin()->first.first > NowLocked()));
}

bool Scheduler::WaitIdle(std::chrono::milliseconds bound) {
  std::unique_lock lock(mu_);
  // Real-time tasks fall due without notice; look again now and then.
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!IdleLocked()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    idle_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(5)));
  }
  return true;
}

void Scheduler::Run() {
  std::unique_lock lock(mu_);
  while (!stop_) {
    if (tasks_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto first = tasks_.begin();
    const double now = NowLocked();
    if (first->first.first <= now) {
      Task task = std::move(first->second);
      runningDue_ = first->first.first;
      tasks_.erase(first);
      running_ = true;
      lock.unlock();
      task();
      lock.lock();
      running_ = false;
      idle_.notify_all();
      continue;
    }
    if (manual_) {
      wake_.wait(lock);
    } else {
      const std::chrono::duration<double, std::milli> wait((first->first.first - now) * scale_);
      wake_.wait_for(lock, std::chrono::duration_cast<std::chrono::microseconds>(wait) + std::chrono::microseconds(1));
    }
  }
}

}  // namespace telephony::sim
