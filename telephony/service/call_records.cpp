// What a call looks like from a handle: lineGetCallInfo and lineGetCallStatus.
#include <ctime>

#include "telephony/service/service.h"
#include "telephony/service/var_writer.h"

using telephony::PartyId;
using telephony::service::Call;
using telephony::service::CallHandle;
using telephony::service::ClearFixedPart;
using telephony::service::DevSpecificBlob;
using telephony::service::EncodeText;
using telephony::service::FixedPartFits;
using telephony::service::Service;
using telephony::service::VarWriter;

namespace {

constexpr DWORD kCallStates = LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED |
                              LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK |
                              LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING |
                              LINECALLSTATE_DISCONNECTED;

void PutParty(VarWriter& out, const PartyId& party, DWORD& flags, DWORD& numberSize, DWORD& numberOffset,
              DWORD& nameSize, DWORD& nameOffset) {
  flags = party.flags;
  if (party.flags & LINECALLPARTYID_ADDRESS) out.Put(numberSize, numberOffset, EncodeText(party.number, STRINGFORMAT_ASCII));
  if (party.flags & LINECALLPARTYID_NAME) out.Put(nameSize, nameOffset, EncodeText(party.name, STRINGFORMAT_ASCII));
}

void PutText(VarWriter& out, const std::string& text, DWORD& size, DWORD& offset) {
  if (!text.empty()) out.Put(size, offset, EncodeText(text, STRINGFORMAT_ASCII));
}

DWORD Features(const Call& call, DWORD privilege) {
  if (privilege != LINECALLPRIVILEGE_OWNER) return 0;
  switch (call.state) {
    case 0:
    case LINECALLSTATE_IDLE:
      return 0;
    case LINECALLSTATE_OFFERING:
    case LINECALLSTATE_ACCEPTED:
      return LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP;
    case LINECALLSTATE_CONNECTED:
      return LINECALLFEATURE_DROP | LINECALLFEATURE_GENERATETONE;
    default:
      return LINECALLFEATURE_DROP;
  }
}

LINESYSTEMTIME LocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  return LINESYSTEMTIME{static_cast<WORD>(tm.tm_year + 1900), static_cast<WORD>(tm.tm_mon + 1),
                        static_cast<WORD>(tm.tm_wday),        static_cast<WORD>(tm.tm_mday),
                        static_cast<WORD>(tm.tm_hour),        static_cast<WORD>(tm.tm_min),
                        static_cast<WORD>(tm.tm_sec),         static_cast<WORD>(millis)};
}

}  // namespace

LONG lineGetCallInfo(HCALL hCall, LINECALLINFO* info) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  const CallHandle* handle = s.FindHandle(hCall);
  if (!handle) return LINEERR_INVALCALLHANDLE;
  if (!info) return LINEERR_INVALPOINTER;
  if (!FixedPartFits(info, sizeof(LINECALLINFO))) return LINEERR_STRUCTURETOOSMALL;
  const Call& call = *s.FindCall(handle->call);
  const auto& details = call.details;

  ClearFixedPart(info, sizeof(LINECALLINFO));
  info->hLine = handle->line;
  info->dwLineDeviceID = call.device;
  info->dwBearerMode = details.bearerMode;
  info->dwRate = details.rate;
  info->dwMediaMode = details.mediaMode;
  info->dwCallID = call.callId;
  info->dwCallParamFlags = call.callParamFlags;
  info->dwCallStates = kCallStates;
  info->DialParams = LINEDIALPARAMS{2000, 95, 95, 60000};
  info->dwOrigin = details.origin;
  info->dwReason = details.reason;
  for (HCALL h : call.handles) {
    const DWORD privilege = s.handles.at(h).privilege;
    if (privilege == LINECALLPRIVILEGE_OWNER) ++info->dwNumOwners;
    if (privilege == LINECALLPRIVILEGE_MONITOR) ++info->dwNumMonitors;
  }
  info->dwCountryCode = call.countryCode;
  info->dwTrunk = 0xFFFFFFFF;
  info->dwConnectedIDFlags = LINECALLPARTYID_UNAVAIL;
  info->dwRedirectionIDFlags = LINECALLPARTYID_UNAVAIL;
  info->dwRedirectingIDFlags = LINECALLPARTYID_UNAVAIL;

  VarWriter out(info, info->dwTotalSize, sizeof(LINECALLINFO));
  PutParty(out, details.caller, info->dwCallerIDFlags, info->dwCallerIDSize, info->dwCallerIDOffset,
           info->dwCallerIDNameSize, info->dwCallerIDNameOffset);
  PutParty(out, details.called, info->dwCalledIDFlags, info->dwCalledIDSize, info->dwCalledIDOffset,
           info->dwCalledIDNameSize, info->dwCalledIDNameOffset);
  PutText(out, call.appName, info->dwAppNameSize, info->dwAppNameOffset);
  PutText(out, call.calledParty, info->dwCalledPartySize, info->dwCalledPartyOffset);
  PutText(out, call.comment, info->dwCommentSize, info->dwCommentOffset);
  out.Put(info->dwDevSpecificSize, info->dwDevSpecificOffset, DevSpecificBlob(s.devices[call.device].callInfoExtra));
  info->dwNeededSize = out.Needed();
  info->dwUsedSize = out.Used();
  return 0;
}

LONG lineGetCallStatus(HCALL hCall, LINECALLSTATUS* status) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  const CallHandle* handle = s.FindHandle(hCall);
  if (!handle) return LINEERR_INVALCALLHANDLE;
  if (!status) return LINEERR_INVALPOINTER;
  if (!FixedPartFits(status, sizeof(LINECALLSTATUS))) return LINEERR_STRUCTURETOOSMALL;
  const Call& call = *s.FindCall(handle->call);

  ClearFixedPart(status, sizeof(LINECALLSTATUS));
  status->dwCallState = call.state;
  status->dwCallStateMode = call.mode;
  status->dwCallPrivilege = handle->privilege;
  status->dwCallFeatures = Features(call, handle->privilege);
  status->tStateEntryTime = LocalTime(call.stateTime);
  VarWriter out(status, status->dwTotalSize, sizeof(LINECALLSTATUS));
  out.Put(status->dwDevSpecificSize, status->dwDevSpecificOffset,
          DevSpecificBlob(s.devices[call.device].callStatusExtra));
  status->dwNeededSize = out.Needed();
  status->dwUsedSize = out.Used();
  return 0;
}
