// The worker that takes telephony messages off one registration: it sleeps
// on the registration's event and its own stop event, fetches one message
// per wake-up and hands it to the main thread, or, without a dispatch
// target, releases the registration's idle calls itself.
#pragma once

#include "platform/events.h"
#include "platform/thread.h"
#include "telephony/tapi.h"

using TLineMessageDispatch = TMethod<void(LINEMESSAGE*)>;

class mkTAPIThread : public TThread {
 public:
  explicit mkTAPIThread(bool CreateSuspended);
  ~mkTAPIThread() override;

  // Set by the owner before Resume() and not changed afterwards.
  LINEMESSAGE FLineMessage{};
  HANDLE FTapiEvent = 0;
  TLineMessageDispatch FOnDispatch;
  HANDLE FStopEvent = 0;
  HLINEAPP FLineApp = 0;

 protected:
  void Execute() override;

 private:
  void CallDispatch();
};
