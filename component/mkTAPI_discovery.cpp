// Listing the line devices, the selection dialog, capability records and
// version negotiation. Each listing or capability query makes a short-lived
// registration of its own.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "component/mkFormTAPIDevList.h"
#include "component/mkTAPI.h"

namespace {

AnsiString VersionText(DWORD version) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu.%lu", static_cast<unsigned long>(version >> 16),
                static_cast<unsigned long>(version & 0xFFFF));
  return text;
}

AnsiString ErrorName(LONG result) {
  char text[4096] = {};
  return LineErrorToText(result, text);
}

// A registration that lives for one query and is shut down on every exit.
class DiscoveryRegistration {
 public:
  DiscoveryRegistration() {
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    version_ = 0x00020000;
    const LONG result = lineInitializeEx(&app_, 0, nullptr, nullptr, &devices_, &version_, &params);
    versionText_ = VersionText(version_);
    if (version_ < 0x00020000)
      Fail("Invalid TAPI version, your modem MUST support TAPI version 2.0 or higher to use TAPI. Your current "
           "TAPI version is: " + versionText_ + " (" + IntToStr(version_) + ")");
    if (result < 0) Fail("Error: lineInitializeEx failed: " + ErrorName(result));
    if (devices_ == 0) Fail("No TAPI devices detected");
  }
  ~DiscoveryRegistration() { Shutdown(); }
  DiscoveryRegistration(const DiscoveryRegistration&) = delete;
  DiscoveryRegistration& operator=(const DiscoveryRegistration&) = delete;

  [[noreturn]] void Fail(const AnsiString& message) {
    Shutdown();
    throw EAbort(message);
  }
  void Shutdown() {
    if (app_ != 0) lineShutdown(app_);
    app_ = 0;
  }
  LONG Negotiate(DWORD device) {
    LINEEXTENSIONID extension{};
    const LONG result = lineNegotiateAPIVersion(app_, device, 0x00010003, 0x0FFF0FFF, &version_, &extension);
    versionText_ = VersionText(version_);
    return result;
  }

  HLINEAPP app() const { return app_; }
  DWORD devices() const { return devices_; }
  DWORD& version() { return version_; }
  const AnsiString& versionText() const { return versionText_; }

 private:
  HLINEAPP app_ = 0;
  DWORD devices_ = 0;
  DWORD version_ = 0;
  AnsiString versionText_;
};

// Grows a record to the size the service asked for, keeping what it holds.
template <class Record>
Record* Grow(Record* record, DWORD size) {
  const DWORD old = record->dwTotalSize;
  auto* grown = static_cast<Record*>(std::realloc(record, size));
  if (!grown) {
    std::free(record);
    throw Exception("Out of memory growing a " + IntToStr(size) + " byte record");
  }
  std::memset(reinterpret_cast<char*>(grown) + old, 0, size - old);
  grown->dwTotalSize = size;
  return grown;
}

}  // namespace

AnsiString TmkTAPI::GetLineName(LINEDEVCAPS* caps) {
  if (!caps) return "Line Unavailable";
  if (caps->dwLineNameSize == 0 || caps->dwLineNameOffset == 0 || caps->dwStringFormat != STRINGFORMAT_ASCII)
    return "Line Unnamed";
  // A record may claim a name that runs past its end, or starts beyond it;
  // only the bytes it holds are read.
  const std::size_t size = caps->dwLineNameSize;
  const std::size_t offset = caps->dwLineNameOffset;
  const std::size_t total = caps->dwTotalSize;
  if (offset >= total) return "Line Unnamed";
  const std::size_t held = std::min(size, total - offset);
  std::string name(held + 1, '\0');
  std::memcpy(name.data(), reinterpret_cast<const char*>(caps) + offset, held);
  if (name[0] == 0) return "Line Name is Empty";
  // The last byte of the field is its terminator, whether or not it was one.
  if (held == size) name[size - 1] = 0;
  return AnsiString(name.c_str());
}

int TmkTAPI::FillTAPILine(TStrings* pLines, int iDeviceCount) {
  pLines->Clear();
  DiscoveryRegistration reg;
  constexpr DWORD kRecordSize = 1292;
  std::unique_ptr<LINEDEVCAPS, decltype(&std::free)> record(static_cast<LINEDEVCAPS*>(std::calloc(1, kRecordSize)),
                                                            &std::free);
  if (!record) throw Exception("Out of memory for the device list");
  for (int i = 0; i < iDeviceCount; ++i) {
    const LONG negotiated = reg.Negotiate(static_cast<DWORD>(i));
    if (negotiated < 0)
      reg.Fail("Error: lineNegotiateAPIVersion failed for device#: " + IntToStr(i) + " TapiDeviceCount: " +
               IntToStr(reg.devices()) + " TAPI Version detected: " + reg.versionText() + " msg: " +
               ErrorName(negotiated));
    // A fresh record per device, so a failed query never shows the previous
    // device's name under this device's number.
    std::memset(record.get(), 0, kRecordSize);
    record->dwTotalSize = kRecordSize;
    const LONG result = lineGetDevCaps(reg.app(), static_cast<DWORD>(i), reg.version(), 0, record.get());
    TapiCheck(result);
    pLines->Add(result == 0 ? GetLineName(record.get()) : "Line Unavailable (" + ErrorName(result) + ")");
  }
  return -1;
}

int TmkTAPI::GetTAPIDevice(unsigned int uiDeviceCount) {
  std::unique_ptr<TfrmTAPIDevList> dialog(new TfrmTAPIDevList(nullptr));
  FillTAPILine(&dialog->lbTAPIDevList->Items, static_cast<int>(uiDeviceCount));
  if (dialog->ShowModal() == mrOk) return dialog->lbTAPIDevList->ItemIndex;
  return -1;
}

namespace {

// The shared body of the two capability queries: they differ in the record
// they fetch, the field that keeps it, and in what a cancelled dialog means.
// Every failure leaves with the same prefix and no device.
template <class Record, class Fetch>
Record* QueryCapabilities(TmkTAPI& tapi, Record*& field, unsigned long& dwDeviceID, bool bPromptForDevice,
                          bool cancelEnds, Fetch fetch) {
  try {
    DiscoveryRegistration reg;
    if (bPromptForDevice && reg.devices() > 1) {
      const int answer = tapi.GetTAPIDevice(reg.devices());
      if (answer < 0 && cancelEnds) return nullptr;
      if (answer >= 0) dwDeviceID = static_cast<unsigned long>(answer);
    } else if (bPromptForDevice) {
      dwDeviceID = 0;
    }
    const LONG negotiated = reg.Negotiate(static_cast<DWORD>(dwDeviceID));
    if (negotiated < 0) {
      const int tried = static_cast<int>(dwDeviceID);
      dwDeviceID = 0xFFFFFFFF;
      reg.Fail("Error: lineNegotiateAPIVersion failed for device#: " + IntToStr(tried) +
               " Prompt: " + (bPromptForDevice ? "1" : "0") + " TapiDeviceCount: " + IntToStr(reg.devices()) +
               " TAPI Version detected: " + reg.versionText() + " msg: " + ErrorName(negotiated));
    }
    unsigned long app = reg.app();
    unsigned long version = reg.version();
    int device = static_cast<int>(dwDeviceID);
    Record* record = fetch(app, version, device);
    std::free(field);
    field = record;
    return field;
  } catch (const Exception& e) {
    dwDeviceID = 0xFFFFFFFF;
    throw Exception("Internal Error in [TmkTAPI::GetDeviceCapabilities] msg: " + e.Message);
  } catch (...) {
    dwDeviceID = 0xFFFFFFFF;
    throw Exception("UNKNOWN Internal Error in [TmkTAPI::GetDeviceCapabilities]");
  }
}

}  // namespace

LINEDEVCAPS* TmkTAPI::GetDeviceCapabilities(unsigned long& dwDeviceID, bool bPromptForDevice) {
  return QueryCapabilities(*this, FLineDevCaps, dwDeviceID, bPromptForDevice, true,
                           [this](unsigned long& app, unsigned long& version, int& device) {
                             return Get_The_LineDevCaps(app, version, device);
                           });
}

// The address query goes on with the given device when the dialog is
// cancelled, and reports its failures under the device query's name.
LINEADDRESSCAPS* TmkTAPI::GetAddressCapabilities(unsigned long& dwDeviceID, bool bPromptForDevice) {
  return QueryCapabilities(*this, FLineAddressCaps, dwDeviceID, bPromptForDevice, false,
                           [this](unsigned long& app, unsigned long& version, int& device) {
                             return Get_The_LineAddressCaps(app, version, device);
                           });
}

LINEDEVCAPS* TmkTAPI::Get_The_LineDevCaps(unsigned long& hLineApp, unsigned long& dwAPIVersion, int& iDeviceID) {
  auto* record = static_cast<LINEDEVCAPS*>(std::calloc(1, 780));
  if (!record) throw Exception("Internal Error in [TmkTAPI::Get_The_LineDevCaps] msg: out of memory");
  record->dwTotalSize = 780;
  try {
    LONG result = lineGetDevCaps(hLineApp, static_cast<DWORD>(iDeviceID), dwAPIVersion, 0, record);
    if (record->dwNeededSize > record->dwTotalSize) {
      record = Grow(record, record->dwNeededSize);
      result = lineGetDevCaps(hLineApp, static_cast<DWORD>(iDeviceID), dwAPIVersion, 0, record);
    }
    if (result == 0 && record->dwStringFormat == STRINGFORMAT_ASCII) return record;
    std::free(record);
    return nullptr;
  } catch (const Exception& e) {
    std::free(record);
    throw Exception("Internal Error in [TmkTAPI::Get_The_LineDevCaps] msg: " + e.Message);
  }
}

LINEADDRESSCAPS* TmkTAPI::Get_The_LineAddressCaps(unsigned long& hLineApp, unsigned long& dwAPIVersion,
                                                  int& iDeviceID) {
  auto* record = static_cast<LINEADDRESSCAPS*>(std::calloc(1, 4324));
  if (!record) throw Exception("Internal Error in [TmkTAPI::Get_The_LineAddressCaps] msg: out of memory");
  record->dwTotalSize = 4324;
  try {
    LONG result = lineGetAddressCaps(hLineApp, static_cast<DWORD>(iDeviceID), 0, dwAPIVersion, 0, record);
    if (record->dwNeededSize > record->dwTotalSize) {
      record = Grow(record, record->dwNeededSize);
      result = lineGetAddressCaps(hLineApp, static_cast<DWORD>(iDeviceID), 0, dwAPIVersion, 0, record);
    }
    if (result == 0) return record;
    std::free(record);
    return nullptr;
  } catch (const Exception& e) {
    std::free(record);
    throw Exception("Internal Error in [TmkTAPI::Get_The_LineAddressCaps] msg: " + e.Message);
  }
}

namespace {

DWORD NegotiateOn(TmkTAPI& tapi, HLINEAPP app, DWORD device, DWORD low, DWORD high) {
  DWORD version = 0;
  LINEEXTENSIONID extension{};
  const LONG result = lineNegotiateAPIVersion(app, device, low, high, &version, &extension);
  if (result == LINEERR_INCOMPATIBLEAPIVERSION) return 0;
  tapi.TapiCheck(result);
  // On any other failure the service set no version.
  return result == 0 ? version : 0;
}

}  // namespace

DWORD TmkTAPI::I_lineNegotiateLegacyAPIVersion(unsigned long dwDeviceID) {
  return NegotiateOn(*this, FLineApp1, static_cast<DWORD>(dwDeviceID), 0x00010004, 0x00020000);
}

DWORD TmkTAPI::I_lineNegotiateAPIVersion(unsigned long dwDeviceID) {
  return NegotiateOn(*this, FLineApp1, static_cast<DWORD>(dwDeviceID), 0x00010004, 0x00010004);
}
