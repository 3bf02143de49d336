// Lines: lineOpen, lineClose, lineSetStatusMessages.
#include <algorithm>

#include "telephony/service/service.h"

using telephony::LineDeviceInfo;
using telephony::service::Line;
using telephony::service::Registration;
using telephony::service::Service;

namespace {

constexpr DWORD kAllMediaModes = 0x00007FFE;  // LINEMEDIAMODE_UNKNOWN .. LINEMEDIAMODE_VOICEVIEW
// Options that may ride along with the privileges; none changes anything here.
constexpr DWORD kOpenOptions = 0x40000000 | 0x80000000;

bool ValidPrivileges(DWORD privileges) {
  switch (privileges & ~kOpenOptions) {
    case LINECALLPRIVILEGE_NONE:
    case LINECALLPRIVILEGE_MONITOR:
    case LINECALLPRIVILEGE_OWNER:
    case LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER:
      return true;
    default:
      return false;
  }
}

}  // namespace

LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE* lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
              DWORD dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes, const LINECALLPARAMS*) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  Registration* reg = s.FindRegistration(hLineApp);
  if (!reg) return LINEERR_INVALAPPHANDLE;
  if (!s.ValidDevice(dwDeviceID)) return LINEERR_BADDEVICEID;  // the line mapper is not offered
  if (!lphLine) return LINEERR_INVALPOINTER;
  const LineDeviceInfo& info = s.devices[dwDeviceID];
  if (dwAPIVersion < info.apiLow || dwAPIVersion > std::min(info.apiHigh, s.version))
    return LINEERR_INCOMPATIBLEAPIVERSION;
  if (dwExtVersion != 0) return LINEERR_INCOMPATIBLEEXTVERSION;
  if (!ValidPrivileges(dwPrivileges)) return LINEERR_INVALPRIVSELECT;
  const DWORD privileges = dwPrivileges & ~kOpenOptions;
  // Media modes only matter to an owner: they say which incoming calls it takes.
  if (privileges & LINECALLPRIVILEGE_OWNER) {
    if (dwMediaModes == 0 || (dwMediaModes & ~kAllMediaModes) || (dwMediaModes & ~info.mediaModes))
      return LINEERR_INVALMEDIAMODE;
  }
  if (LONG refused = s.provider->Open(dwDeviceID, privileges, dwMediaModes)) return refused;

  Line line;
  line.handle = s.NewHandle();
  line.app = hLineApp;
  line.device = dwDeviceID;
  line.version = dwAPIVersion;
  line.privileges = privileges;
  line.mediaModes = (privileges & LINECALLPRIVILEGE_OWNER) ? dwMediaModes : 0;
  line.callbackInstance = dwCallbackInstance;
  const HLINE handle = line.handle;
  s.lines.emplace(handle, std::move(line));
  reg->lines.push_back(handle);
  *lphLine = handle;
  return 0;
}

LONG lineClose(HLINE hLine) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  if (!s.FindLine(hLine)) return LINEERR_INVALLINEHANDLE;
  s.CloseLine(hLine);
  return 0;
}

LONG lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  Line* line = s.FindLine(hLine);
  if (!line) return LINEERR_INVALLINEHANDLE;
  const LineDeviceInfo& info = s.devices[line->device];
  if (dwLineStates & ~info.lineStates) return LINEERR_INVALLINESTATE;
  if (dwAddressStates & ~info.addressStates) return LINEERR_INVALADDRESSSTATE;
  line->lineStates = dwLineStates;
  line->addressStates = dwAddressStates;
  return 0;
}
