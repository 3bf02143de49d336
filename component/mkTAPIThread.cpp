#include "component/mkTAPIThread.h"

#include "platform/kernel.h"
#include "platform/ui.h"

mkTAPIThread::mkTAPIThread(bool CreateSuspended) : TThread(CreateSuspended) {}

// Execute reads this object's fields, so the body must end before they do.
mkTAPIThread::~mkTAPIThread() { TerminateAndWait(); }

void mkTAPIThread::CallDispatch() {
  if (FOnDispatch.Assigned()) FOnDispatch(&FLineMessage);
}

void mkTAPIThread::Execute() {
  try {
    if (FTapiEvent == 0 || FStopEvent == 0)
      throw Exception("Please setup proper event handlers before using TAPI background thread dispatcher!");
    const HANDLE waitList[2] = {FTapiEvent, FStopEvent};
    while (!Terminated()) {
      const DWORD woke = WaitForMultipleObjects(2, waitList, FALSE, INFINITE);
      if (woke == WAIT_OBJECT_0) {
        LINEMESSAGE message{};
        const LONG result = lineGetMessage(FLineApp, &message, 0);
        if (result != 0) throw Exception("lineGetMessage ERROR, returned: " + IntToStr(result));
        if (FOnDispatch.Assigned()) {
          FLineMessage = message;
          Synchronize([this] { CallDispatch(); });
        } else if (message.dwMessageID == LINE_CALLSTATE && message.dwParam1 == LINECALLSTATE_IDLE &&
                   message.hDevice != 0) {
          lineDeallocateCall(message.hDevice);
        }
      } else if (woke == WAIT_OBJECT_0 + 1) {
        Terminate();
      } else {
        throw Exception("Invalid return code from WaitForMultipleObjects.");
      }
    }
  } catch (const Exception& e) {
    MessageBox(0, ("Internal error in [mkTAPIThread::Execute] msg: " + e.Message).c_str(), "ERROR", MB_OK);
  } catch (...) {
    MessageBox(0, "UNKNOWN Internal error in [mkTAPIThread::Execute]!", "ERROR", MB_OK);
  }
}
