// Kernel objects: events living in a process-wide handle table.
//
// A handle is a 32-bit id that is never reused while the process runs, so a
// closed handle stays detectable: waiting on it fails, and a thread already
// waiting on an event that gets closed wakes with WAIT_FAILED instead of
// sleeping forever on a dead object.
#pragma once

#include <cstddef>

#include "platform/windef.h"

HANDLE CreateEvent(void* securityAttributes, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
BOOL CloseHandle(HANDLE object);

// Returns WAIT_OBJECT_0 + index of the signalled object (the lowest index
// when several are signalled; with waitAll, WAIT_OBJECT_0), WAIT_TIMEOUT, or
// WAIT_FAILED for a count of 0 or above MAXIMUM_WAIT_OBJECTS, a null list, or
// an unknown or closed handle.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

void Sleep(DWORD milliseconds);
DWORD GetCurrentThreadId();
DWORD GetTickCount();

namespace platform {
// Number of live kernel objects; lets tests prove that nothing leaks.
std::size_t LiveHandleCount();
}  // namespace platform
