// Capability queries: lineGetDevCaps and lineGetAddressCaps.
#include <algorithm>

#include "telephony/service/service.h"
#include "telephony/service/var_writer.h"

using telephony::LineDeviceInfo;
using telephony::service::ClearFixedPart;
using telephony::service::DevSpecificBlob;
using telephony::service::EncodeText;
using telephony::service::FixedPartFits;
using telephony::service::Service;
using telephony::service::VarWriter;

namespace {

constexpr DWORD kLineDigitModeDtmf = 0x00000002;

// Checks shared by both queries, in the order the API reports them.
LONG CheckQuery(Service& s, HLINEAPP app, DWORD device, DWORD version, DWORD extVersion, const void* record) {
  if (!s.FindRegistration(app)) return LINEERR_INVALAPPHANDLE;
  if (!s.ValidDevice(device)) return LINEERR_BADDEVICEID;
  const LineDeviceInfo& info = s.devices[device];
  if (version < info.apiLow || version > std::min(info.apiHigh, s.version)) return LINEERR_INCOMPATIBLEAPIVERSION;
  if (extVersion != 0) return LINEERR_INCOMPATIBLEEXTVERSION;
  if (!record) return LINEERR_INVALPOINTER;
  return 0;
}

// The device classes lineGetID answers for this device, as a list of
// zero-terminated names ending with an empty one.
std::string DeviceClasses(const LineDeviceInfo& info) {
  std::string list("tapi/line", 10);
  if (info.waveIn != 0xFFFFFFFF) list.append("wave/in", 8);
  if (info.waveOut != 0xFFFFFFFF) list.append("wave/out", 9);
  if (!info.commPort.empty()) list.append("comm/datamodem", 15);
  list.push_back('\0');
  return list;
}

}  // namespace

LONG lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                    LINEDEVCAPS* caps) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  if (LONG refused = CheckQuery(s, hLineApp, dwDeviceID, dwAPIVersion, dwExtVersion, caps)) return refused;
  if (!FixedPartFits(caps, sizeof(LINEDEVCAPS))) return LINEERR_STRUCTURETOOSMALL;
  const LineDeviceInfo& info = s.devices[dwDeviceID];

  ClearFixedPart(caps, sizeof(LINEDEVCAPS));
  caps->dwPermanentLineID = info.permanentLineId;
  caps->dwStringFormat = info.stringFormat;
  caps->dwAddressModes = info.addressModes;
  caps->dwNumAddresses = 1;
  caps->dwBearerModes = info.bearerModes;
  caps->dwMaxRate = info.maxRate;
  caps->dwMediaModes = info.mediaModes;
  caps->dwGenerateToneModes = info.generateToneModes;
  caps->dwGenerateToneMaxNumFreq = 3;
  caps->dwGenerateDigitModes = kLineDigitModeDtmf;
  caps->dwMonitorDigitModes = kLineDigitModeDtmf;
  caps->dwDevCapFlags = LINEDEVCAPFLAGS_CLOSEDROP | LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET |
                        LINEDEVCAPFLAGS_DIALDIALTONE;
  caps->dwMaxNumActiveCalls = info.maxActiveCalls;
  caps->dwAnswerMode = LINEANSWERMODE_NONE;
  caps->dwRingModes = 1;
  caps->dwLineStates = info.lineStates;
  caps->MinDialParams = LINEDIALPARAMS{0, 50, 50, 0};
  caps->MaxDialParams = LINEDIALPARAMS{255000, 255, 255, 255000};
  caps->DefaultDialParams = LINEDIALPARAMS{2000, 95, 95, 60000};
  caps->dwLineFeatures = LINEFEATURE_MAKECALL;

  VarWriter out(caps, caps->dwTotalSize, sizeof(LINEDEVCAPS));
  if (info.hasName) {
    out.Put(caps->dwLineNameSize, caps->dwLineNameOffset,
            EncodeText(info.name, info.stringFormat, info.nameTerminator));
  }
  if (!info.providerInfo.empty())
    out.Put(caps->dwProviderInfoSize, caps->dwProviderInfoOffset, EncodeText(info.providerInfo, info.stringFormat));
  if (!info.switchInfo.empty())
    out.Put(caps->dwSwitchInfoSize, caps->dwSwitchInfoOffset, EncodeText(info.switchInfo, info.stringFormat));
  out.Put(caps->dwDeviceClassesSize, caps->dwDeviceClassesOffset, DeviceClasses(info));
  out.Put(caps->dwDevSpecificSize, caps->dwDevSpecificOffset, DevSpecificBlob(info.devCapsExtra));
  caps->dwNeededSize = out.Needed();
  caps->dwUsedSize = out.Used();
  return 0;
}

LONG lineGetAddressCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                        DWORD dwExtVersion, LINEADDRESSCAPS* caps) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  if (LONG refused = CheckQuery(s, hLineApp, dwDeviceID, dwAPIVersion, dwExtVersion, caps)) return refused;
  if (dwAddressID != 0) return LINEERR_INVALADDRESSID;
  if (!FixedPartFits(caps, sizeof(LINEADDRESSCAPS))) return LINEERR_STRUCTURETOOSMALL;
  const LineDeviceInfo& info = s.devices[dwDeviceID];

  ClearFixedPart(caps, sizeof(LINEADDRESSCAPS));
  caps->dwLineDeviceID = dwDeviceID;
  caps->dwAddressSharing = LINEADDRESSSHARING_PRIVATE;
  caps->dwAddressStates = info.addressStates;
  caps->dwCallInfoStates = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_MEDIAMODE;
  caps->dwCallerIDFlags = info.callerIdFlags;
  caps->dwCalledIDFlags = LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN;
  caps->dwConnectedIDFlags = LINECALLPARTYID_UNAVAIL;
  caps->dwRedirectionIDFlags = LINECALLPARTYID_UNAVAIL;
  caps->dwRedirectingIDFlags = LINECALLPARTYID_UNAVAIL;
  caps->dwCallStates = LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED |
                       LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY |
                       LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING | LINECALLSTATE_DISCONNECTED;
  caps->dwDialToneModes = LINEDIALTONEMODE_NORMAL;
  caps->dwBusyModes = LINEBUSYMODE_STATION;
  caps->dwDisconnectModes = LINEDISCONNECTMODE_NORMAL | LINEDISCONNECTMODE_UNKNOWN | LINEDISCONNECTMODE_REJECT |
                            LINEDISCONNECTMODE_BUSY | LINEDISCONNECTMODE_NOANSWER | LINEDISCONNECTMODE_BADADDRESS |
                            LINEDISCONNECTMODE_UNREACHABLE;
  caps->dwMaxNumActiveCalls = info.maxActiveCalls;
  caps->dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED;
  caps->dwCallFeatures = LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_GENERATETONE;
  caps->dwAddressFeatures = LINEADDRFEATURE_MAKECALL;
  caps->dwConnectedModes = LINECONNECTEDMODE_ACTIVE;
  caps->dwOfferingModes = LINEOFFERINGMODE_ACTIVE;
  caps->dwAvailableMediaModes = info.mediaModes;

  VarWriter out(caps, caps->dwTotalSize, sizeof(LINEADDRESSCAPS));
  if (!info.address.empty())
    out.Put(caps->dwAddressSize, caps->dwAddressOffset, EncodeText(info.address, info.stringFormat));
  out.Put(caps->dwDeviceClassesSize, caps->dwDeviceClassesOffset, DeviceClasses(info));
  out.Put(caps->dwDevSpecificSize, caps->dwDevSpecificOffset, DevSpecificBlob(info.addressCapsExtra));
  caps->dwNeededSize = out.Needed();
  caps->dwUsedSize = out.Used();
  return 0;
}
