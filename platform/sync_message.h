// The message that wakes the main thread's queue for pending
// main-thread calls; dispatching it runs them.
#pragma once

#include "platform/windef.h"

namespace platform {
constexpr UINT WM_TMK_SYNCHRONIZE = WM_APP + 0x3FF0;
}
