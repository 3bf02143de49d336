// What stands behind the line service: a provider of line devices.
//
// The service owns registrations, lines, call handles, queues and requests;
// a provider owns the devices and the far end of their calls. The service
// calls the provider with its own lock held, so a provider must never call
// back into LineEvents from inside one of these calls: it reports what
// happens later, from a thread of its own (and never while holding a lock
// that one of its LineProvider methods takes).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "telephony/tapi.h"

namespace telephony {

// A call as the service and its provider both know it.
using CallKey = std::uint64_t;

// Everything the service needs to answer capability queries for a device.
struct LineDeviceInfo {
  std::string name;               // bytes as stored; see nameTerminator
  bool hasName = true;            // false: no name at all (size and offset 0)
  bool nameTerminator = true;     // store the terminating zero after the name
  DWORD stringFormat = STRINGFORMAT_ASCII;
  std::string providerInfo;
  std::string switchInfo;
  std::string address;            // the line's own number
  DWORD permanentLineId = 0;
  DWORD apiLow = TAPI_VERSION1_0;
  DWORD apiHigh = TAPI_VERSION2_2;
  DWORD mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE;
  DWORD bearerModes = LINEBEARERMODE_VOICE;
  DWORD maxRate = 0;
  DWORD addressModes = LINEADDRESSMODE_ADDRESSID;
  DWORD lineStates = 0;
  DWORD addressStates = 0;
  DWORD callerIdFlags = 0;        // identity flags the device can report
  DWORD generateToneModes = LINETONEMODE_BEEP;
  DWORD maxActiveCalls = 1;
  DWORD waveIn = 0xFFFFFFFF;      // 0xFFFFFFFF: no such device
  DWORD waveOut = 0xFFFFFFFF;
  std::string commPort;           // empty: no "comm/datamodem" device
  // Device-specific blobs behind each record; they make records grow.
  DWORD devCapsExtra = 0;
  DWORD addressCapsExtra = 0;
  DWORD callInfoExtra = 0;
  DWORD callStatusExtra = 0;
};

// Identity of one party of a call.
struct PartyId {
  DWORD flags = LINECALLPARTYID_UNKNOWN;
  std::string name;
  std::string number;
};

// What a provider tells the service about a call it reports.
struct CallDetails {
  DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
  DWORD bearerMode = LINEBEARERMODE_VOICE;
  DWORD rate = 0;
  DWORD origin = LINECALLORIGIN_EXTERNAL;
  DWORD reason = LINECALLREASON_DIRECT;
  PartyId caller;
  PartyId called;
};

// A call the service asks the provider to place.
struct OutgoingCall {
  std::string address;  // empty: go off hook and stay at dial tone
  DWORD countryCode = 0;
  DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
  DWORD bearerMode = LINEBEARERMODE_VOICE;
  DWORD callParamFlags = 0;
  std::string calledParty;
  std::string comment;
};

// The service side, called by the provider from its own thread.
class LineEvents {
 public:
  virtual ~LineEvents() = default;
  // A key for a call the provider is about to report; safe to call with the
  // provider's own lock held.
  virtual CallKey NewCallKey() = 0;
  // An incoming call on a device; it becomes visible with its first state.
  virtual void CallArrived(CallKey call, DWORD device, const CallDetails& details) = 0;
  virtual void CallState(CallKey call, DWORD state, DWORD mode) = 0;
  // Replaces the call's details and reports LINE_CALLINFO with infoStates.
  virtual void CallInfo(CallKey call, DWORD infoStates, const CallDetails& details) = 0;
  // Any other message about a call (LINE_GENERATE, for instance).
  virtual void CallMessage(CallKey call, DWORD message, DWORD param1, DWORD param2, DWORD param3) = 0;
  // LINE_LINEDEVSTATE to every line of the device that asked for the state.
  virtual void LineDeviceState(DWORD device, DWORD state, DWORD param2, DWORD param3) = 0;
  // The outcome of an asynchronous request the provider was handed.
  virtual void RequestDone(DWORD requestId, LONG result) = 0;
};

class LineProvider {
 public:
  virtual ~LineProvider() = default;

  // Devices and the service version are fixed while the provider runs.
  virtual DWORD ServiceVersion() const = 0;
  virtual std::vector<LineDeviceInfo> Devices() const = 0;

  // events stays valid until Stop returns; after Stop, no more calls.
  virtual void Start(LineEvents& events) = 0;
  virtual void Stop() = 0;

  // 0 to accept an open the service has already checked, or a LINEERR_ code.
  virtual LONG Open(DWORD device, DWORD privileges, DWORD mediaModes) = 0;
  // Requests: 0 when accepted (the outcome then comes as RequestDone with the
  // same id), or a LINEERR_ code. A requestId of 0 asks for no RequestDone.
  virtual LONG MakeCall(DWORD device, CallKey call, DWORD requestId, const OutgoingCall& request) = 0;
  virtual LONG Answer(CallKey call, DWORD requestId) = 0;
  virtual LONG Drop(CallKey call, DWORD requestId) = 0;
  virtual LONG GenerateTone(CallKey call, DWORD toneMode, DWORD durationMs) = 0;
  // A synchronous refusal of lineGetID for a device class, or 0.
  virtual LONG CheckGetID(DWORD device, const std::string& deviceClass) = 0;
  // Assisted telephony; 0 or a TAPIERR_ code.
  virtual LONG RequestMakeCall(const std::string& address, const std::string& appName,
                               const std::string& calledParty, const std::string& comment) = 0;
};

}  // namespace telephony
