// The class library's thread: created suspended or running, asked to stop
// with Terminate, and able to run a method on the main thread synchronously.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

#include "platform/windef.h"

namespace platform {

// The process's main thread: the one that ran static initialisation.
DWORD MainThreadID();
bool OnMainThread();

// Runs a call on the main thread and waits for it. From the main thread it
// runs at once. An exception thrown by the call is rethrown in the caller.
// The main thread serves such calls whenever it pumps its queue, and also
// while it waits for a thread to end (TThread::WaitFor).
void RunOnMainThread(const std::function<void()>& call);

// Runs the pending main-thread calls; returns whether there were any.
// Only on the main thread.
bool CheckSynchronize();

// Signalled while main-thread calls are pending.
HANDLE SyncEvent();

}  // namespace platform

class TThread {
 public:
  explicit TThread(bool createSuspended);
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  // Asks a running thread to terminate and waits for it. A class derived
  // from TThread whose Execute reads its own members must call
  // TerminateAndWait() in its own destructor, before those members die.
  virtual ~TThread();

  void Resume();
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  bool Finished() const { return finished_.load(); }
  // Waits until Execute has returned. On the main thread the wait keeps
  // serving Synchronize calls, so a worker blocked in one cannot deadlock it.
  void WaitFor();
  void TerminateAndWait();

  // The exception that ended Execute, if any.
  std::exception_ptr FatalException() const { return fatal_; }

 protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& method) { platform::RunOnMainThread(method); }

 private:
  void Run();

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
  HANDLE doneEvent_;
  std::exception_ptr fatal_;
  std::thread thread_;
};
