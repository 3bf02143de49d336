// The line service's state, shared by the files that implement the API
// functions. One lock guards all of it; every API function takes it for its
// whole run, except lineGetMessage while it waits.
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "telephony/service/provider.h"
#include "telephony/tapi.h"

namespace telephony::service {

struct Registration {
  HLINEAPP handle = 0;
  HANDLE event = 0;
  std::string appName;
  std::deque<LINEMESSAGE> queue;
  std::vector<HLINE> lines;
};

struct Line {
  HLINE handle = 0;
  HLINEAPP app = 0;
  DWORD device = 0;
  DWORD version = 0;
  DWORD privileges = 0;
  DWORD mediaModes = 0;
  DWORD callbackInstance = 0;
  DWORD lineStates = 0;
  DWORD addressStates = 0;
  std::vector<HCALL> calls;
};

struct CallHandle {
  HCALL handle = 0;
  HLINE line = 0;
  CallKey call = 0;
  DWORD privilege = 0;
  bool announced = false;  // its first LINE_CALLSTATE (carrying the privilege) is out
};

struct Call {
  CallKey key = 0;
  DWORD device = 0;
  DWORD callId = 0;
  DWORD state = 0;  // 0 until the provider reports the first state
  DWORD mode = 0;
  DWORD statesSeen = 0;
  std::chrono::system_clock::time_point stateTime;
  bool outgoing = false;
  HLINE maker = 0;  // the line whose lineMakeCall placed it
  CallDetails details;
  DWORD callParamFlags = 0;
  DWORD countryCode = 0;
  std::string appName;
  std::string calledParty;
  std::string comment;
  std::vector<HCALL> handles;
};

enum class RequestKind { MakeCall, Answer, Drop };

struct Request {
  DWORD id = 0;
  RequestKind kind = RequestKind::MakeCall;
  HLINEAPP app = 0;
  HLINE line = 0;
  CallKey call = 0;
  HCALL* storage = nullptr;  // lineMakeCall's handle storage
  HCALL handle = 0;          // lineMakeCall's handle, written at completion
};

class Service {
 public:
  static Service& Instance();

  std::mutex mu;

  // Everything below is guarded by mu.
  std::unique_ptr<LineProvider> provider;
  std::unique_ptr<LineEvents> sink;
  std::uint64_t generation = 0;  // tells a stopped provider's late reports apart
  std::vector<LineDeviceInfo> devices;
  DWORD version = 0;

  std::map<HLINEAPP, Registration> registrations;
  std::map<HLINE, Line> lines;
  std::map<HCALL, CallHandle> handles;
  std::map<CallKey, Call> calls;
  std::map<DWORD, Request> requests;

  // Starts the default provider when none runs. Call with mu held.
  void EnsureStarted();
  // Detaches the provider and forgets all state; the caller stops the
  // returned provider after releasing mu.
  struct Detached {
    std::unique_ptr<LineProvider> provider;
    std::unique_ptr<LineEvents> sink;
  };
  Detached Detach();
  void Attach(std::unique_ptr<LineProvider> next);

  DWORD NewHandle();
  DWORD NewRequestId();
  DWORD NewCallId();
  // Needs no lock: providers ask for keys while holding their own.
  static CallKey NewCallKey();

  Registration* FindRegistration(HLINEAPP app);
  Line* FindLine(HLINE line);
  CallHandle* FindHandle(HCALL call);
  Call* FindCall(CallKey key);
  bool ValidDevice(DWORD device) const { return device < devices.size(); }

  // Queues a message on a registration and signals its event.
  void Post(Registration& reg, const LINEMESSAGE& message);
  void PostToLine(const Line& line, DWORD message, DWORD param1, DWORD param2, DWORD param3);
  void PostToHandle(const CallHandle& handle, DWORD message, DWORD param1, DWORD param2, DWORD param3);

  // Gives every entitled line of the call's device a handle it does not have
  // yet (announcing it with LINE_APPNEWCALL), then reports the state.
  void ReportState(Call& call);
  // Removes a handle; an idle call without handles is forgotten.
  void ReleaseHandle(HCALL handle);
  // Closes a line: its handles go, an active call it alone owned is dropped,
  // and its pending requests are forgotten.
  void CloseLine(HLINE line);
  void ForgetCallIfDone(CallKey key);
  // Requests that can no longer be answered to their issuer.
  void ForgetRequestsOf(HLINE line);

  // Provider reports, already checked against the generation.
  void OnCallArrived(CallKey key, DWORD device, const CallDetails& details);
  void OnCallState(CallKey key, DWORD state, DWORD mode);
  void OnCallInfo(CallKey key, DWORD infoStates, const CallDetails& details);
  void OnCallMessage(CallKey key, DWORD message, DWORD param1, DWORD param2, DWORD param3);
  void OnLineDeviceState(DWORD device, DWORD state, DWORD param2, DWORD param3);
  void OnRequestDone(DWORD requestId, LONG result);

 private:
  Service() = default;
  DWORD nextHandle_ = 0x00010000;
  DWORD nextRequest_ = 0;
  DWORD nextCallId_ = 0;
};

// Time left of a wait that began at start, in milliseconds (INFINITE stays).
DWORD RemainingMs(std::chrono::steady_clock::time_point start, DWORD timeoutMs);

}  // namespace telephony::service
