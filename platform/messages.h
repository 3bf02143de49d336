// Per-thread message queues and hidden utility windows.
//
// Every thread gets a queue the first time a message is posted to it or it
// reads its own. A utility window is bound to the thread that allocated it;
// DispatchMessage runs its procedure, which is any callable (a bound method).
#pragma once

#include <functional>

#include "platform/windef.h"

using TWndMethod = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Takes the oldest message of the calling thread's queue whose window matches
// (0 = any) and whose id lies in [min, max] (both 0 = any).
BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Blocks until a message arrives; returns FALSE for WM_QUIT, TRUE otherwise.
BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);

// Hidden window owned by the calling thread.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);

namespace platform {

// How many DispatchMessage calls are running on the calling thread, nested
// ones included: a face tells by it that form code started by a message is
// still on the stack.
int DispatchDepth();

// The kernel event that is signalled while the calling thread's queue holds
// messages. Owned by the queue; never close it.
HANDLE QueueEventForCurrentThread();

// Lets a toolkit's own event loop know that a message was posted to the
// thread it runs on (the window face uses it to drain the queue from Qt).
// The hook runs on the posting thread and must not block.
void SetPostHook(DWORD threadId, std::function<void()> hook);

// Lets the toolkit handle its pending input whenever the queue is pumped with
// PeekMessage on that thread, so a window stays alive inside long waits.
void SetToolkitPump(DWORD threadId, std::function<void()> pump);

}  // namespace platform
