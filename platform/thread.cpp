#include "platform/thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/sync_message.h"

namespace {

struct Request {
  const std::function<void()>* call;
  std::exception_ptr error;
  bool done = false;
};

struct SyncState {
  std::mutex mutex;
  std::condition_variable finished;
  std::deque<Request*> pending;
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
};

SyncState& syncState() {
  static SyncState* s = new SyncState;  // workers may still wait during exit
  return *s;
}

// Captured during static initialisation, which runs on the process's main thread.
const DWORD g_mainThread = GetCurrentThreadId();

}  // namespace

namespace platform {

DWORD MainThreadID() { return g_mainThread; }
bool OnMainThread() { return GetCurrentThreadId() == g_mainThread; }
HANDLE SyncEvent() { return syncState().event; }

void RunOnMainThread(const std::function<void()>& call) {
  if (OnMainThread()) {
    call();
    return;
  }
  SyncState& s = syncState();
  Request request{&call};
  {
    std::lock_guard lock(s.mutex);
    s.pending.push_back(&request);
    SetEvent(s.event);
  }
  PostThreadMessage(g_mainThread, WM_TMK_SYNCHRONIZE, 0, 0);
  std::unique_lock lock(s.mutex);
  s.finished.wait(lock, [&] { return request.done; });
  if (request.error) std::rethrow_exception(request.error);
}

bool CheckSynchronize() {
  SyncState& s = syncState();
  std::deque<Request*> batch;
  {
    std::lock_guard lock(s.mutex);
    batch.swap(s.pending);
    ResetEvent(s.event);
  }
  for (Request* r : batch) {
    std::exception_ptr error;
    try {
      (*r->call)();
    } catch (...) {
      error = std::current_exception();
    }
    {
      // Moved, not copied: once the caller is told, only it holds the
      // exception, so nothing here touches it again.
      std::lock_guard lock(s.mutex);
      r->error = std::move(error);
      r->done = true;
    }
    s.finished.notify_all();
  }
  return !batch.empty();
}

}  // namespace platform

TThread::TThread(bool) : doneEvent_(CreateEvent(nullptr, TRUE, FALSE, nullptr)) {
  // A C++ base cannot run the derived Execute before the derived constructor
  // has finished, so the body always begins at Resume().
}

TThread::~TThread() {
  TerminateAndWait();
  CloseHandle(doneEvent_);
}

void TThread::Resume() {
  if (started_) return;
  started_ = true;
  thread_ = std::thread(&TThread::Run, this);
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  finished_.store(true);
  SetEvent(doneEvent_);
}

void TThread::WaitFor() {
  if (!started_) return;
  if (platform::OnMainThread()) {
    HANDLE handles[2] = {doneEvent_, platform::SyncEvent()};
    while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) platform::CheckSynchronize();
  } else {
    WaitForSingleObject(doneEvent_, INFINITE);
  }
  if (thread_.joinable()) thread_.join();
}

void TThread::TerminateAndWait() {
  Terminate();
  WaitFor();
}
