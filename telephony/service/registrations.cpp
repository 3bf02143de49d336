// Registrations: lineInitializeEx, lineShutdown, lineGetMessage and version
// negotiation.
#include <algorithm>

#include "platform/kernel.h"
#include "telephony/service/service.h"

using telephony::service::Registration;
using telephony::service::Service;

LONG lineInitializeEx(HLINEAPP* lphLineApp, HINSTANCE, LINECALLBACK, const char* lpszFriendlyAppName,
                      DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion, LINEINITIALIZEEXPARAMS* params) {
  if (!lphLineApp || !lpdwNumDevs || !lpdwAPIVersion || !params) return LINEERR_INVALPOINTER;
  if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS)) {
    if (params->dwTotalSize >= 3 * sizeof(DWORD)) params->dwNeededSize = sizeof(LINEINITIALIZEEXPARAMS);
    return LINEERR_STRUCTURETOOSMALL;
  }
  // Only event-handle notification exists here: no windows, no completion ports.
  if (params->dwOptions != LINEINITIALIZEEXOPTION_USEEVENT) return LINEERR_INVALPARAM;
  if (*lpdwAPIVersion < TAPI_VERSION2_0) return LINEERR_INCOMPATIBLEAPIVERSION;

  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  s.EnsureStarted();
  const HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  if (!event) return LINEERR_NOMEM;
  Registration reg;
  reg.handle = s.NewHandle();
  reg.event = event;
  reg.appName = lpszFriendlyAppName ? lpszFriendlyAppName : "";
  const HLINEAPP handle = reg.handle;
  s.registrations.emplace(handle, std::move(reg));

  *lphLineApp = handle;
  *lpdwNumDevs = static_cast<DWORD>(s.devices.size());
  *lpdwAPIVersion = s.version;
  params->dwNeededSize = sizeof(LINEINITIALIZEEXPARAMS);
  params->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
  params->hEvent = event;
  return 0;
}

LONG lineShutdown(HLINEAPP hLineApp) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  Registration* reg = s.FindRegistration(hLineApp);
  if (!reg) return LINEERR_INVALAPPHANDLE;
  const std::vector<HLINE> open = reg->lines;
  for (HLINE line : open) s.CloseLine(line);
  // Closing the event wakes any thread still waiting on it with WAIT_FAILED.
  CloseHandle(reg->event);
  s.registrations.erase(hLineApp);
  return 0;
}

LONG lineGetMessage(HLINEAPP hLineApp, LINEMESSAGE* lpMessage, DWORD dwTimeout) {
  Service& s = Service::Instance();
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock lock(s.mu);
  if (!s.FindRegistration(hLineApp)) return LINEERR_INVALAPPHANDLE;
  if (!lpMessage) return LINEERR_INVALPOINTER;
  for (;;) {
    Registration* reg = s.FindRegistration(hLineApp);
    if (!reg) return LINEERR_INVALAPPHANDLE;  // shut down while we waited
    if (!reg->queue.empty()) {
      *lpMessage = reg->queue.front();
      reg->queue.pop_front();
      if (reg->queue.empty()) ResetEvent(reg->event);
      return 0;
    }
    const DWORD left = telephony::service::RemainingMs(start, dwTimeout);
    if (left == 0) return LINEERR_OPERATIONFAILED;
    const HANDLE event = reg->event;
    lock.unlock();
    const DWORD waited = WaitForSingleObject(event, left);
    lock.lock();
    if (waited == WAIT_FAILED) return LINEERR_INVALAPPHANDLE;
  }
}

LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                             DWORD* lpdwAPIVersion, LINEEXTENSIONID* lpExtensionID) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  if (!s.FindRegistration(hLineApp)) return LINEERR_INVALAPPHANDLE;
  if (!s.ValidDevice(dwDeviceID)) return LINEERR_BADDEVICEID;
  if (!lpdwAPIVersion || !lpExtensionID) return LINEERR_INVALPOINTER;
  const auto& device = s.devices[dwDeviceID];
  const DWORD high = std::min({dwAPIHighVersion, device.apiHigh, s.version});
  if (dwAPILowVersion > dwAPIHighVersion || high < std::max(dwAPILowVersion, device.apiLow))
    return LINEERR_INCOMPATIBLEAPIVERSION;
  *lpdwAPIVersion = high;
  *lpExtensionID = LINEEXTENSIONID{};  // no provider extensions
  return 0;
}
