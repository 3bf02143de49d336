// Sets a message thread up the way the open path does, before it is
// resumed: the registration, the event the service signals for it, a stop
// event, and the dispatch target (none for a thread that only releases idle
// calls).
#pragma once

#include "component/mkTAPIThread.h"

inline void WireMessageThread(mkTAPIThread& thread, HLINEAPP app, HANDLE tapiEvent, HANDLE stopEvent,
                              TLineMessageDispatch dispatch = {}) {
  thread.FLineApp = app;
  thread.FTapiEvent = tapiEvent;
  thread.FStopEvent = stopEvent;
  thread.FOnDispatch = std::move(dispatch);
}
