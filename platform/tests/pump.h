// Serves the main thread's queue, as a face's message loop would, until a
// condition holds or the bound runs out; waits on the queue's own event.
#pragma once

#include <functional>

#include "platform/kernel.h"
#include "platform/messages.h"

inline bool PumpMainQueueUntil(const std::function<bool()>& done, DWORD boundMs = 5000) {
  const DWORD start = GetTickCount();
  const HANDLE queue = platform::QueueEventForCurrentThread();
  while (!done()) {
    if (GetTickCount() - start > boundMs) return false;
    WaitForSingleObject(queue, 100);
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  }
  return true;
}
