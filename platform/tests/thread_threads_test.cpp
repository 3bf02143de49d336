#include <gtest/gtest.h>

#include <atomic>

#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/sysutils.h"
#include "platform/tests/pump.h"
#include "platform/thread.h"

namespace {

class Worker : public TThread {
 public:
  explicit Worker(std::function<void(Worker&)> body) : TThread(true), body_(std::move(body)) {}
  ~Worker() override { TerminateAndWait(); }
  void Sync(const std::function<void()>& f) { Synchronize(f); }
  using TThread::Terminated;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(Worker&)> body_;
};

}  // namespace

TEST(Thread, SynchronizeRunsOnMainAndHandsExceptionBack) {
  std::atomic<bool> ranOnMain{false};
  std::atomic<bool> caught{false};
  std::atomic<bool> done{false};
  AnsiString message;
  Worker w([&](Worker& self) {
    self.Sync([&] { ranOnMain = platform::OnMainThread(); });
    try {
      self.Sync([] { throw Exception("from main"); });
    } catch (const Exception& e) {
      caught = true;
      message = e.Message;
    }
    done = true;
  });
  w.Resume();
  ASSERT_TRUE(PumpMainQueueUntil([&] { return done.load(); }));
  w.WaitFor();
  EXPECT_TRUE(ranOnMain);
  EXPECT_TRUE(caught);
  EXPECT_EQ(message, "from main");
}

TEST(Thread, WaitForOnMainKeepsServingSynchronize) {
  // The worker is blocked in a hand-over when the main thread starts to wait
  // for it; without serving the hand-over inside the wait this deadlocks.
  HANDLE inWorker = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> served{0};
  Worker w([&](Worker& self) {
    SetEvent(inWorker);
    while (!self.Terminated()) self.Sync([&] { ++served; });
  });
  w.Resume();
  ASSERT_EQ(WaitForSingleObject(inWorker, 5000), WAIT_OBJECT_0);
  w.Terminate();
  w.WaitFor();
  EXPECT_TRUE(w.Finished());
  CloseHandle(inWorker);
}

TEST(Thread, DestructorTerminatesAndWaitsAndExecuteFailureIsKept) {
  std::atomic<bool> sawTerminate{false};
  {
    Worker w([&](Worker& self) {
      while (!self.Terminated()) std::this_thread::yield();
      sawTerminate = true;
    });
    w.Resume();
  }
  EXPECT_TRUE(sawTerminate);

  Worker failing([](Worker&) { throw Exception("boom"); });
  failing.Resume();
  failing.WaitFor();
  ASSERT_TRUE(failing.FatalException());
  EXPECT_THROW(std::rethrow_exception(failing.FatalException()), Exception);

  Worker neverStarted([](Worker&) { FAIL() << "a suspended thread that was never resumed must not run"; });
}
