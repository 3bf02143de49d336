#include "platform/kernel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

struct Event {
  bool manualReset;
  bool signalled;
};

// One lock and one condition for all kernel objects: waits span several
// objects, and the number of objects and waiters here is small.
struct Table {
  std::mutex mutex;
  std::condition_variable changed;
  std::unordered_map<HANDLE, Event> events;
  HANDLE next = 0x100;
};

Table& table() {
  static Table* t = new Table;  // lives past static destruction: threads may still wait
  return *t;
}

}  // namespace

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, const char*) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  HANDLE h = t.next;
  t.next += 4;  // ids are never reused, so a stale handle stays invalid
  t.events.emplace(h, Event{manualReset != FALSE, initialState != FALSE});
  return h;
}

BOOL SetEvent(HANDLE event) {
  Table& t = table();
  {
    std::lock_guard lock(t.mutex);
    auto it = t.events.find(event);
    if (it == t.events.end()) return FALSE;
    it->second.signalled = true;
  }
  t.changed.notify_all();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.events.find(event);
  if (it == t.events.end()) return FALSE;
  it->second.signalled = false;
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  Table& t = table();
  {
    std::lock_guard lock(t.mutex);
    if (t.events.erase(object) == 0) return FALSE;
  }
  // Waiters on the closed object must see it gone.
  t.changed.notify_all();
  return TRUE;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) return WAIT_FAILED;
  Table& t = table();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock lock(t.mutex);
  for (;;) {
    Event* found[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
      auto it = t.events.find(handles[i]);
      if (it == t.events.end()) return WAIT_FAILED;
      found[i] = &it->second;
    }
    if (waitAll) {
      bool all = true;
      for (DWORD i = 0; i < count && all; ++i) all = found[i]->signalled;
      if (all) {
        for (DWORD i = 0; i < count; ++i)
          if (!found[i]->manualReset) found[i]->signalled = false;
        return WAIT_OBJECT_0;
      }
    } else {
      for (DWORD i = 0; i < count; ++i) {
        if (found[i]->signalled) {
          if (!found[i]->manualReset) found[i]->signalled = false;
          return WAIT_OBJECT_0 + i;
        }
      }
    }
    if (milliseconds == 0) return WAIT_TIMEOUT;
    if (milliseconds == INFINITE) {
      t.changed.wait(lock);
    } else if (t.changed.wait_until(lock, deadline) == std::cv_status::timeout) {
      // One last look: the object may have been set just as time ran out.
      milliseconds = 0;
    }
  }
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

DWORD GetCurrentThreadId() {
  static std::atomic<DWORD> next{1};
  thread_local DWORD id = next.fetch_add(1);
  return id;
}

DWORD GetTickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace platform {
std::size_t LiveHandleCount() {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  return t.events.size();
}
}  // namespace platform
