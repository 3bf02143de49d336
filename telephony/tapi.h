// The line API: the one header callers include.
//
// Every function returns a LONG result: 0 for success, a positive request
// id for an asynchronous request whose outcome arrives later as a LINE_REPLY
// message (dwParam1 = request id, dwParam2 = 0 or a LINEERR_ code), or a
// negative LINEERR_ code when the call is refused at once.
//
// The service runs in-process and starts on first use: the first
// lineInitializeEx (or tapiRequestMakeCall) loads the line devices from the
// device file (platform::UserDataDir() + "/devices.toml") or, without one,
// from the embedded default devices (telephony/sim/README.md). Every
// function may be called from any thread.
//
// Registrations use event-handle notification: lineInitializeEx returns a
// kernel event (LINEINITIALIZEEXPARAMS::hEvent) that stays signalled while
// the registration's queue holds messages; lineGetMessage takes one message.
// The event belongs to the service: lineShutdown closes it, so a thread
// still waiting on it wakes with WAIT_FAILED.
//
// What a registration receives about a call on a line it has open:
//   incoming: LINE_APPNEWCALL (hDevice = line, dwParam2 = new call handle,
//             dwParam3 = privilege), LINE_CALLSTATE OFFERING (dwParam3 =
//             privilege on the first state message of a handle), then
//             LINE_LINEDEVSTATE RINGING per ring (dwParam3 = ring count; only
//             when enabled with lineSetStatusMessages) and LINE_CALLINFO
//             CALLERID once the caller's identity is known;
//   outgoing: lineMakeCall's handle is written into the caller's storage,
//             then LINE_REPLY, then DIALTONE, DIALING, PROCEEDING, RINGBACK
//             and CONNECTED (or BUSY / DISCONNECTED);
//   the end:  DISCONNECTED (dwParam2 = LINEDISCONNECTMODE_) and IDLE; the
//             handle stays valid until lineDeallocateCall.
// Owners and monitors of a line each get their own handle for a call; a
// registration opened with LINECALLPRIVILEGE_NONE only sees its own calls.
#pragma once

#include "platform/windef.h"
#include "telephony/tapi_constants.h"
#include "telephony/tapi_errors.h"
#include "telephony/tapi_records.h"

// Only event-handle notification is offered; a callback is never called.
using LINECALLBACK = void (*)(DWORD hDevice, DWORD dwMessage, DWORD dwCallbackInstance, DWORD dwParam1,
                              DWORD dwParam2, DWORD dwParam3);

// Registrations and messages.
LONG lineInitializeEx(HLINEAPP* lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                      const char* lpszFriendlyAppName, DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion,
                      LINEINITIALIZEEXPARAMS* lpLineInitializeExParams);
LONG lineShutdown(HLINEAPP hLineApp);
// Takes the oldest message. With an empty queue it waits up to dwTimeout ms
// (INFINITE allowed) and then fails with LINEERR_OPERATIONFAILED; a shutdown
// during the wait fails it with LINEERR_INVALAPPHANDLE.
LONG lineGetMessage(HLINEAPP hLineApp, LINEMESSAGE* lpMessage, DWORD dwTimeout);

// Devices.
LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                             DWORD* lpdwAPIVersion, LINEEXTENSIONID* lpExtensionID);
LONG lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                    LINEDEVCAPS* lpLineDevCaps);
LONG lineGetAddressCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                        DWORD dwExtVersion, LINEADDRESSCAPS* lpAddressCaps);

// Lines.
LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE* lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
              DWORD dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes, const LINECALLPARAMS* lpCallParams);
LONG lineClose(HLINE hLine);
LONG lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates);
// "tapi/line", "wave/in", "wave/out": a DWORD device id at dwStringOffset
// (STRINGFORMAT_BINARY). "comm/datamodem": a HANDLE standing for the open
// port (the caller closes it with CloseHandle) followed by the port's name.
// "comm/datamodem/portname": the port's name as text.
LONG lineGetID(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, VARSTRING* lpDeviceID,
               const char* lpszDeviceClass);

// Calls.
LONG lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, DWORD dwCountryCode,
                  const LINECALLPARAMS* lpCallParams);
LONG lineAnswer(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize);
LONG lineDrop(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize);
LONG lineDeallocateCall(HCALL hCall);
LONG lineGetCallInfo(HCALL hCall, LINECALLINFO* lpCallInfo);
LONG lineGetCallStatus(HCALL hCall, LINECALLSTATUS* lpCallStatus);
// Into a connected call. Synchronous: 0 when the tone starts; LINE_GENERATE (dwParam1 =
// LINEGENERATETERM_DONE) follows when it has been played.
LONG lineGenerateTone(HCALL hCall, DWORD dwToneMode, DWORD dwDuration, DWORD dwNumTones,
                      const LINEGENERATETONE* lpTones);

// Assisted telephony: hands a call request to the service; 0 when accepted.
LONG tapiRequestMakeCall(const char* lpszDestAddress, const char* lpszAppName, const char* lpszCalledParty,
                         const char* lpszComment);

// The names with the character-set suffix.
inline LONG lineInitializeExA(HLINEAPP* lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                              const char* lpszFriendlyAppName, DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion,
                              LINEINITIALIZEEXPARAMS* lpLineInitializeExParams) {
  return lineInitializeEx(lphLineApp, hInstance, lpfnCallback, lpszFriendlyAppName, lpdwNumDevs, lpdwAPIVersion,
                          lpLineInitializeExParams);
}
inline LONG lineOpenA(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE* lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
                      DWORD dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes,
                      const LINECALLPARAMS* lpCallParams) {
  return lineOpen(hLineApp, dwDeviceID, lphLine, dwAPIVersion, dwExtVersion, dwCallbackInstance, dwPrivileges,
                  dwMediaModes, lpCallParams);
}
inline LONG lineGetDevCapsA(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                            LINEDEVCAPS* lpLineDevCaps) {
  return lineGetDevCaps(hLineApp, dwDeviceID, dwAPIVersion, dwExtVersion, lpLineDevCaps);
}
inline LONG lineGetAddressCapsA(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                                DWORD dwExtVersion, LINEADDRESSCAPS* lpAddressCaps) {
  return lineGetAddressCaps(hLineApp, dwDeviceID, dwAddressID, dwAPIVersion, dwExtVersion, lpAddressCaps);
}
inline LONG lineGetCallInfoA(HCALL hCall, LINECALLINFO* lpCallInfo) { return lineGetCallInfo(hCall, lpCallInfo); }
inline LONG lineMakeCallA(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, DWORD dwCountryCode,
                          const LINECALLPARAMS* lpCallParams) {
  return lineMakeCall(hLine, lphCall, lpszDestAddress, dwCountryCode, lpCallParams);
}
inline LONG lineGetIDA(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, VARSTRING* lpDeviceID,
                       const char* lpszDeviceClass) {
  return lineGetID(hLine, dwAddressID, hCall, dwSelect, lpDeviceID, lpszDeviceClass);
}
inline LONG tapiRequestMakeCallA(const char* lpszDestAddress, const char* lpszAppName, const char* lpszCalledParty,
                                 const char* lpszComment) {
  return tapiRequestMakeCall(lpszDestAddress, lpszAppName, lpszCalledParty, lpszComment);
}
