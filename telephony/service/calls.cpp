// Call control: lineMakeCall, lineAnswer, lineDrop, lineGenerateTone,
// lineDeallocateCall and the assisted request tapiRequestMakeCall.
#include <algorithm>
#include <cstring>

#include "telephony/service/service.h"

using telephony::CallKey;
using telephony::OutgoingCall;
using telephony::service::Call;
using telephony::service::CallHandle;
using telephony::service::Line;
using telephony::service::Request;
using telephony::service::RequestKind;
using telephony::service::Service;

namespace {

constexpr std::size_t kMaxAddress = 255;

// Characters a dialable address may hold: digits, the DTMF letters, and the
// dialling modifiers (pause, wait for dial tone, flash, billing...).
bool Dialable(const std::string& address) {
  if (address.size() > kMaxAddress) return false;
  return address.find_first_not_of("0123456789*#ABCDabcd+-() ,.WwPpTt!@$;^|") == std::string::npos;
}

// A string field of a call parameter record, or empty when it lies outside.
std::string ParamText(const LINECALLPARAMS* params, DWORD size, DWORD offset) {
  if (size == 0 || offset < sizeof(DWORD) || offset > params->dwTotalSize || size > params->dwTotalSize - offset)
    return {};
  const char* text = reinterpret_cast<const char*>(params) + offset;
  return std::string(text, strnlen(text, size));
}

DWORD LineOfCall(const Service& s, HCALL handle) { return s.handles.at(handle).line; }

}  // namespace

LONG lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, DWORD dwCountryCode,
                  const LINECALLPARAMS* params) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  Line* line = s.FindLine(hLine);
  if (!line) return LINEERR_INVALLINEHANDLE;
  if (!lphCall) return LINEERR_INVALPOINTER;
  const auto& info = s.devices[line->device];

  OutgoingCall request;
  request.address = lpszDestAddress ? lpszDestAddress : "";
  request.countryCode = dwCountryCode;
  if (!Dialable(request.address)) return LINEERR_INVALADDRESS;
  if (params) {
    const DWORD fixed = line->version >= TAPI_VERSION2_0 ? sizeof(LINECALLPARAMS) : kLineCallParamsSize1_4;
    if (params->dwTotalSize < fixed) return LINEERR_STRUCTURETOOSMALL;
    if (params->dwBearerMode && !(params->dwBearerMode & info.bearerModes)) return LINEERR_INVALBEARERMODE;
    if (params->dwMediaMode && !(params->dwMediaMode & info.mediaModes)) return LINEERR_INVALMEDIAMODE;
    if (params->dwAddressMode == LINEADDRESSMODE_ADDRESSID && params->dwAddressID != 0)
      return LINEERR_INVALADDRESSID;
    if (params->dwBearerMode) request.bearerMode = params->dwBearerMode;
    if (params->dwMediaMode) request.mediaMode = params->dwMediaMode;
    request.callParamFlags = params->dwCallParamFlags;
    request.calledParty = ParamText(params, params->dwCalledPartySize, params->dwCalledPartyOffset);
    request.comment = ParamText(params, params->dwCommentSize, params->dwCommentOffset);
  }
  const bool busy = std::count_if(s.calls.begin(), s.calls.end(), [&](const auto& entry) {
                      return entry.second.device == line->device && entry.second.state != LINECALLSTATE_IDLE;
                    }) >= static_cast<long>(info.maxActiveCalls);
  if (busy) return LINEERR_CALLUNAVAIL;

  const CallKey key = Service::NewCallKey();
  const DWORD requestId = s.NewRequestId();
  if (LONG refused = s.provider->MakeCall(line->device, key, requestId, request)) return refused;

  Call call;
  call.key = key;
  call.device = line->device;
  call.callId = s.NewCallId();
  call.outgoing = true;
  call.maker = hLine;
  call.details.mediaMode = request.mediaMode;
  call.details.bearerMode = request.bearerMode;
  call.details.origin = LINECALLORIGIN_OUTBOUND;
  call.details.caller.flags = LINECALLPARTYID_UNKNOWN;
  call.details.called.flags = request.address.empty() ? LINECALLPARTYID_UNKNOWN : LINECALLPARTYID_ADDRESS;
  call.details.called.number = request.address;
  call.callParamFlags = request.callParamFlags;
  call.countryCode = dwCountryCode;
  call.appName = s.FindRegistration(line->app)->appName;
  call.calledParty = request.calledParty;
  call.comment = request.comment;
  call.stateTime = std::chrono::system_clock::now();

  // The maker's handle exists from now on but reaches the caller's storage
  // only when the request completes.
  const HCALL handle = s.NewHandle();
  s.handles[handle] = CallHandle{handle, hLine, key, LINECALLPRIVILEGE_OWNER, false};
  line->calls.push_back(handle);
  call.handles.push_back(handle);
  s.calls.emplace(key, std::move(call));
  s.requests[requestId] = Request{requestId, RequestKind::MakeCall, line->app, hLine, key, lphCall, handle};
  return static_cast<LONG>(requestId);
}

// Checks shared by answer and drop; returns the handle or sets the refusal.
static CallHandle* OwnedCall(Service& s, HCALL hCall, LONG& refusal) {
  CallHandle* handle = s.FindHandle(hCall);
  if (!handle) {
    refusal = LINEERR_INVALCALLHANDLE;
    return nullptr;
  }
  if (handle->privilege != LINECALLPRIVILEGE_OWNER) {
    refusal = LINEERR_NOTOWNER;
    return nullptr;
  }
  return handle;
}

static LONG StartRequest(Service& s, RequestKind kind, const CallHandle& handle) {
  const DWORD requestId = s.NewRequestId();
  const LONG refused = kind == RequestKind::Answer ? s.provider->Answer(handle.call, requestId)
                                                   : s.provider->Drop(handle.call, requestId);
  if (refused) return refused;
  const DWORD line = LineOfCall(s, handle.handle);
  s.requests[requestId] = Request{requestId, kind, s.FindLine(line)->app, line, handle.call, nullptr, 0};
  return static_cast<LONG>(requestId);
}

LONG lineAnswer(HCALL hCall, const char*, DWORD) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  LONG refusal = 0;
  CallHandle* handle = OwnedCall(s, hCall, refusal);
  if (!handle) return refusal;
  const Call& call = *s.FindCall(handle->call);
  if (call.state != LINECALLSTATE_OFFERING && call.state != LINECALLSTATE_ACCEPTED) return LINEERR_INVALCALLSTATE;
  return StartRequest(s, RequestKind::Answer, *handle);
}

LONG lineDrop(HCALL hCall, const char*, DWORD) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  LONG refusal = 0;
  CallHandle* handle = OwnedCall(s, hCall, refusal);
  if (!handle) return refusal;
  if (s.FindCall(handle->call)->state == LINECALLSTATE_IDLE) return LINEERR_INVALCALLSTATE;
  return StartRequest(s, RequestKind::Drop, *handle);
}

LONG lineGenerateTone(HCALL hCall, DWORD dwToneMode, DWORD dwDuration, DWORD dwNumTones,
                      const LINEGENERATETONE* lpTones) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  LONG refusal = 0;
  CallHandle* handle = OwnedCall(s, hCall, refusal);
  if (!handle) return refusal;
  const Call& call = *s.FindCall(handle->call);
  // A tone needs a media stream to go into.
  if (call.state != LINECALLSTATE_CONNECTED) return LINEERR_INVALCALLSTATE;
  if (dwToneMode == 0) return 0;  // cancels a tone; none is ever left running
  if (!(dwToneMode & s.devices[call.device].generateToneModes) || (dwToneMode & (dwToneMode - 1)))
    return LINEERR_INVALTONEMODE;
  if (dwToneMode == LINETONEMODE_CUSTOM && (!lpTones || dwNumTones == 0)) return LINEERR_INVALPOINTER;
  return s.provider->GenerateTone(handle->call, dwToneMode, dwDuration);
}

LONG lineDeallocateCall(HCALL hCall) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  CallHandle* handle = s.FindHandle(hCall);
  if (!handle) return LINEERR_INVALCALLHANDLE;
  const Call& call = *s.FindCall(handle->call);
  if (handle->privilege == LINECALLPRIVILEGE_OWNER && call.state != LINECALLSTATE_IDLE) {
    // The only owner of a live call cannot walk away from it.
    const bool otherOwner = std::any_of(call.handles.begin(), call.handles.end(), [&](HCALL other) {
      return other != hCall && s.handles.at(other).privilege == LINECALLPRIVILEGE_OWNER;
    });
    if (!otherOwner) return LINEERR_INVALCALLSTATE;
  }
  s.ReleaseHandle(hCall);
  return 0;
}

LONG tapiRequestMakeCall(const char* lpszDestAddress, const char* lpszAppName, const char* lpszCalledParty,
                         const char* lpszComment) {
  if (!lpszDestAddress) return TAPIERR_INVALPOINTER;
  const std::string address = lpszDestAddress;
  if (address.empty() || !Dialable(address)) return TAPIERR_INVALDESTADDRESS;
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  s.EnsureStarted();
  return s.provider->RequestMakeCall(address, lpszAppName ? lpszAppName : "", lpszCalledParty ? lpszCalledParty : "",
                                     lpszComment ? lpszComment : "");
}
