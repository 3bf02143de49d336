// lineGetID: the ids of the devices that belong to a line (its wave devices,
// its data port).
#include <strings.h>

#include <cstring>

#include "platform/kernel.h"
#include "telephony/service/service.h"
#include "telephony/service/var_writer.h"

using telephony::LineDeviceInfo;
using telephony::service::ClearFixedPart;
using telephony::service::FixedPartFits;
using telephony::service::Service;
using telephony::service::VarWriter;

namespace {

bool Is(const char* deviceClass, const char* name) { return strcasecmp(deviceClass, name) == 0; }

std::string Word(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

}  // namespace

LONG lineGetID(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, VARSTRING* lpDeviceID,
               const char* lpszDeviceClass) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  DWORD device = 0;
  switch (dwSelect) {
    case LINECALLSELECT_LINE:
    case LINECALLSELECT_ADDRESS: {
      const auto* line = s.FindLine(hLine);
      if (!line) return LINEERR_INVALLINEHANDLE;
      if (dwSelect == LINECALLSELECT_ADDRESS && dwAddressID != 0) return LINEERR_INVALADDRESSID;
      device = line->device;
      break;
    }
    case LINECALLSELECT_CALL: {
      const auto* handle = s.FindHandle(hCall);
      if (!handle) return LINEERR_INVALCALLHANDLE;
      device = s.FindCall(handle->call)->device;
      break;
    }
    default:
      return LINEERR_INVALCALLSELECT;
  }
  if (!lpDeviceID || !lpszDeviceClass) return LINEERR_INVALPOINTER;
  if (!FixedPartFits(lpDeviceID, sizeof(VARSTRING))) return LINEERR_STRUCTURETOOSMALL;
  const LineDeviceInfo& info = s.devices[device];

  std::string value;
  DWORD format = STRINGFORMAT_BINARY;
  bool commHandle = false;
  if (Is(lpszDeviceClass, "tapi/line")) {
    value = Word(device);
  } else if (Is(lpszDeviceClass, "wave/in") && info.waveIn != 0xFFFFFFFF) {
    value = Word(info.waveIn);
  } else if (Is(lpszDeviceClass, "wave/out") && info.waveOut != 0xFFFFFFFF) {
    value = Word(info.waveOut);
  } else if (Is(lpszDeviceClass, "comm/datamodem") && !info.commPort.empty()) {
    value = Word(0) + info.commPort + '\0';  // the handle goes in once it is known to fit
    commHandle = true;
  } else if (Is(lpszDeviceClass, "comm/datamodem/portname") && !info.commPort.empty()) {
    value = info.commPort + '\0';
    format = STRINGFORMAT_ASCII;
  } else {
    return LINEERR_INVALDEVICECLASS;
  }
  if (LONG refused = s.provider->CheckGetID(device, lpszDeviceClass)) return refused;

  ClearFixedPart(lpDeviceID, sizeof(VARSTRING));
  lpDeviceID->dwStringFormat = format;
  VarWriter out(lpDeviceID, lpDeviceID->dwTotalSize, sizeof(VARSTRING));
  out.Put(lpDeviceID->dwStringSize, lpDeviceID->dwStringOffset, value);
  if (commHandle && lpDeviceID->dwStringSize != 0) {
    // The port's handle belongs to the caller, who closes it.
    const HANDLE port = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::memcpy(reinterpret_cast<BYTE*>(lpDeviceID) + lpDeviceID->dwStringOffset, &port, sizeof port);
  }
  lpDeviceID->dwNeededSize = out.Needed();
  lpDeviceID->dwUsedSize = out.Used();
  return 0;
}
