#include "platform/messages.h"

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/kernel.h"
#include "platform/thread.h"
#include "platform/sync_message.h"

namespace {

struct Queue {
  std::mutex mutex;
  std::deque<MSG> messages;
  HANDLE nonEmpty = CreateEvent(nullptr, TRUE, FALSE, nullptr);  // manual: set while messages wait
  HANDLE posted = CreateEvent(nullptr, FALSE, FALSE, nullptr);    // auto: set by each post
  std::function<void()> postHook;
  std::function<void()> toolkitPump;
};

struct Window {
  DWORD thread;
  std::shared_ptr<TWndMethod> method;
};

struct Registry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
  std::unordered_map<HWND, Window> windows;
  HWND nextWindow = 0x10000;
};

Registry& registry() {
  static Registry* r = new Registry;  // outlives static destruction for late posters
  return *r;
}

std::shared_ptr<Queue> QueueOf(DWORD thread) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto& q = r.queues[thread];
  if (!q) q = std::make_shared<Queue>();
  return q;
}

BOOL Post(DWORD thread, const MSG& msg) {
  std::shared_ptr<Queue> q = QueueOf(thread);
  std::function<void()> hook;
  {
    std::lock_guard lock(q->mutex);
    q->messages.push_back(msg);
    SetEvent(q->nonEmpty);
    SetEvent(q->posted);
    hook = q->postHook;
  }
  if (hook) hook();
  return TRUE;
}

bool Matches(const MSG& m, HWND window, UINT min, UINT max) {
  if (window != 0 && m.hwnd != window) return false;
  if (min == 0 && max == 0) return true;
  return m.message >= min && m.message <= max;
}

bool Take(Queue& q, MSG* out, HWND window, UINT min, UINT max, bool remove) {
  std::lock_guard lock(q.mutex);
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!Matches(*it, window, min, max)) continue;
    *out = *it;
    if (remove) q.messages.erase(it);
    if (q.messages.empty()) ResetEvent(q.nonEmpty);
    return true;
  }
  return false;
}

thread_local bool inToolkitPump = false;
thread_local int dispatchDepth = 0;

}  // namespace

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return Post(threadId, MSG{0, message, wParam, lParam, GetTickCount()});
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == 0) return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
  DWORD thread = 0;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(window);
    if (it == r.windows.end()) return FALSE;
    thread = it->second.thread;
  }
  return Post(thread, MSG{window, message, wParam, lParam, GetTickCount()});
}

void PostQuitMessage(int exitCode) {
  PostThreadMessage(GetCurrentThreadId(), WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  std::shared_ptr<Queue> q = QueueOf(GetCurrentThreadId());
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  if (Take(*q, msg, window, filterMin, filterMax, remove)) return TRUE;
  // Nothing queued: give the toolkit its turn, then look once more.
  std::function<void()> pump;
  {
    std::lock_guard lock(q->mutex);
    pump = q->toolkitPump;
  }
  if (pump && !inToolkitPump) {
    inToolkitPump = true;
    pump();
    inToolkitPump = false;
    if (Take(*q, msg, window, filterMin, filterMax, remove)) return TRUE;
  }
  return FALSE;
}

BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
  std::shared_ptr<Queue> q = QueueOf(GetCurrentThreadId());
  // A filtered read may leave other messages queued, so it waits for the
  // next post rather than for a non-empty queue.
  const bool filtered = window != 0 || filterMin != 0 || filterMax != 0;
  for (;;) {
    if (Take(*q, msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    HANDLE handles[2] = {filtered ? q->posted : q->nonEmpty, platform::SyncEvent()};
    const DWORD count = platform::OnMainThread() ? 2 : 1;
    if (WaitForMultipleObjects(count, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) platform::CheckSynchronize();
  }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->hwnd == 0) {
    if (msg->message == platform::WM_TMK_SYNCHRONIZE) platform::CheckSynchronize();
    return 0;
  }
  std::shared_ptr<TWndMethod> method;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.windows.find(msg->hwnd);
    if (it == r.windows.end()) return 0;
    method = it->second.method;
  }
  struct Depth {
    Depth() { ++dispatchDepth; }
    ~Depth() { --dispatchDepth; }
  } depth;
  return (*method)(msg->message, msg->wParam, msg->lParam);
}

HWND AllocateHWnd(TWndMethod method) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  HWND h = r.nextWindow++;
  r.windows.emplace(h, Window{GetCurrentThreadId(), std::make_shared<TWndMethod>(std::move(method))});
  return h;
}

void DeallocateHWnd(HWND window) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.windows.erase(window);
}

namespace platform {

int DispatchDepth() { return dispatchDepth; }

HANDLE QueueEventForCurrentThread() { return QueueOf(GetCurrentThreadId())->nonEmpty; }

void SetPostHook(DWORD threadId, std::function<void()> hook) {
  std::shared_ptr<Queue> q = QueueOf(threadId);
  std::lock_guard lock(q->mutex);
  q->postHook = std::move(hook);
}

void SetToolkitPump(DWORD threadId, std::function<void()> pump) {
  std::shared_ptr<Queue> q = QueueOf(threadId);
  std::lock_guard lock(q->mutex);
  q->toolkitPump = std::move(pump);
}

}  // namespace platform
