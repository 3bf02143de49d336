// How the provider's reports about calls and devices become messages, and
// how call handles come and go.
#include <algorithm>

#include "telephony/service/service.h"

namespace telephony::service {
namespace {

template <typename T>
void Erase(std::vector<T>& items, const T& item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

bool HasHandleOn(const Service& s, const Call& call, HLINE line) {
  return std::any_of(call.handles.begin(), call.handles.end(),
                     [&](HCALL h) { return s.handles.at(h).line == line; });
}

}  // namespace

// Which line owns a new call: the maker of an outgoing call; for an incoming
// call the first-opened owner line whose media modes cover the call's.
static HLINE OwnerLine(const Service& s, const Call& call) {
  if (call.outgoing) return call.maker;
  for (const auto& [handle, line] : s.lines) {
    if (line.device == call.device && (line.privileges & LINECALLPRIVILEGE_OWNER) &&
        (line.mediaModes & call.details.mediaMode))
      return handle;
  }
  return 0;
}

static void GiveHandles(Service& s, Call& call) {
  const HLINE owner = OwnerLine(s, call);
  for (auto& [handle, line] : s.lines) {
    if (line.device != call.device || HasHandleOn(s, call, handle)) continue;
    DWORD privilege = 0;
    if (handle == owner) {
      privilege = LINECALLPRIVILEGE_OWNER;
    } else if (line.privileges & LINECALLPRIVILEGE_MONITOR) {
      privilege = LINECALLPRIVILEGE_MONITOR;
    }
    if (!privilege) continue;
    const HCALL h = s.NewHandle();
    s.handles[h] = CallHandle{h, handle, call.key, privilege, false};
    line.calls.push_back(h);
    call.handles.push_back(h);
    if (line.version >= TAPI_VERSION2_0) s.PostToLine(line, LINE_APPNEWCALL, 0, h, privilege);
  }
}

static void AddressInUse(Service& s, DWORD device, DWORD state) {
  for (auto& [handle, line] : s.lines) {
    if (line.device == device && (line.addressStates & state)) s.PostToLine(line, LINE_ADDRESSSTATE, 0, state, 0);
  }
}

void Service::ReportState(Call& call) {
  for (HCALL h : call.handles) {
    CallHandle& ch = handles.at(h);
    const DWORD privilege = ch.announced ? 0 : ch.privilege;
    ch.announced = true;
    PostToHandle(ch, LINE_CALLSTATE, call.state, call.mode, privilege);
  }
}

void Service::OnCallArrived(CallKey key, DWORD device, const CallDetails& details) {
  if (!ValidDevice(device) || calls.count(key)) return;
  Call call;
  call.key = key;
  call.device = device;
  call.callId = NewCallId();
  call.details = details;
  call.stateTime = std::chrono::system_clock::now();
  calls.emplace(key, std::move(call));
}

void Service::OnCallState(CallKey key, DWORD state, DWORD mode) {
  Call* call = FindCall(key);
  if (!call || call->state == LINECALLSTATE_IDLE || state == 0) return;
  if (call->state == state && call->mode == mode) return;
  const bool first = call->state == 0;
  call->state = state;
  call->mode = mode;
  call->statesSeen |= state;
  call->stateTime = std::chrono::system_clock::now();
  if (first) {
    GiveHandles(*this, *call);
    AddressInUse(*this, call->device, LINEADDRESSSTATE_INUSEONE);
  }
  ReportState(*call);
  if (state == LINECALLSTATE_IDLE) {
    AddressInUse(*this, call->device, LINEADDRESSSTATE_INUSEZERO);
    ForgetCallIfDone(key);
  }
}

void Service::OnCallInfo(CallKey key, DWORD infoStates, const CallDetails& details) {
  Call* call = FindCall(key);
  if (!call) return;
  call->details = details;
  for (HCALL h : call->handles) PostToHandle(handles.at(h), LINE_CALLINFO, infoStates, 0, 0);
}

void Service::OnCallMessage(CallKey key, DWORD message, DWORD param1, DWORD param2, DWORD param3) {
  Call* call = FindCall(key);
  if (!call) return;
  for (HCALL h : call->handles) {
    const CallHandle& ch = handles.at(h);
    if (ch.privilege == LINECALLPRIVILEGE_OWNER) PostToHandle(ch, message, param1, param2, param3);
  }
}

void Service::OnLineDeviceState(DWORD device, DWORD state, DWORD param2, DWORD param3) {
  for (auto& [handle, line] : lines) {
    if (line.device == device && (line.lineStates & state))
      PostToLine(line, LINE_LINEDEVSTATE, state, param2, param3);
  }
}

void Service::OnRequestDone(DWORD requestId, LONG result) {
  auto it = requests.find(requestId);
  if (it == requests.end()) return;  // its line was closed meanwhile
  const Request request = it->second;
  requests.erase(it);
  if (request.kind == RequestKind::MakeCall) {
    if (result == 0) {
      // Written before LINE_REPLY is queued: whoever reads the reply finds
      // the handle in place.
      if (request.storage) *request.storage = request.handle;
    } else {
      // A call that never came to be: every handle given out for it so far
      // (monitors may have had one with its first state) goes with it.
      if (const Call* call = FindCall(request.call)) {
        const std::vector<HCALL> held = call->handles;
        for (HCALL h : held) ReleaseHandle(h);
      }
      ReleaseHandle(request.handle);
      calls.erase(request.call);
    }
  }
  const Line* line = FindLine(request.line);
  if (Registration* reg = FindRegistration(request.app)) {
    Post(*reg, LINEMESSAGE{0, LINE_REPLY, line ? line->callbackInstance : 0, requestId, static_cast<DWORD>(result), 0});
  }
}

void Service::ReleaseHandle(HCALL handle) {
  auto it = handles.find(handle);
  if (it == handles.end()) return;
  const CallHandle ch = it->second;
  handles.erase(it);
  if (Line* line = FindLine(ch.line)) Erase(line->calls, handle);
  if (Call* call = FindCall(ch.call)) {
    Erase(call->handles, handle);
    ForgetCallIfDone(ch.call);
  }
}

void Service::ForgetCallIfDone(CallKey key) {
  Call* call = FindCall(key);
  if (!call || !call->handles.empty()) return;
  // An outgoing call not yet reported has nobody left to report to.
  if (call->state == LINECALLSTATE_IDLE || (call->state == 0 && call->outgoing)) calls.erase(key);
}

void Service::ForgetRequestsOf(HLINE line) {
  for (auto it = requests.begin(); it != requests.end();) {
    it = it->second.line == line ? requests.erase(it) : std::next(it);
  }
}

void Service::CloseLine(HLINE handle) {
  Line* line = FindLine(handle);
  if (!line) return;
  ForgetRequestsOf(handle);
  const std::vector<HCALL> held = line->calls;
  for (HCALL h : held) {
    const CallHandle ch = handles.at(h);
    bool drop = false;
    if (const Call* call = FindCall(ch.call);
        call && call->state != LINECALLSTATE_IDLE && ch.privilege == LINECALLPRIVILEGE_OWNER) {
      // A call nobody owns any more is hung up, as closing the line would.
      drop = std::none_of(call->handles.begin(), call->handles.end(), [&](HCALL other) {
        return other != h && handles.at(other).privilege == LINECALLPRIVILEGE_OWNER;
      });
    }
    ReleaseHandle(h);
    if (drop && provider) provider->Drop(ch.call, 0);
  }
  if (Registration* reg = FindRegistration(line->app)) Erase(reg->lines, handle);
  lines.erase(handle);
}

}  // namespace telephony::service
