#include <gtest/gtest.h>

#include <cstring>

#include "component/mkFormTAPIDevList.h"
#include "component/mkTAPI.h"
#include "platform/ui_scripted.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"

using telephony::sim::Control;

namespace {

telephony::sim::DeviceConfig Device(const std::string& name) {
  telephony::sim::DeviceConfig d;
  d.info.name = name;
  d.info.mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE;
  return d;
}

class Discovery : public ::testing::Test {
 protected:
  void Install(std::vector<telephony::sim::DeviceConfig> devices, DWORD serviceVersion = TAPI_VERSION2_2) {
    telephony::sim::Config config;
    config.manualClock = true;
    config.controlSocket = false;
    config.serviceVersion = serviceVersion;
    config.devices = std::move(devices);
    Control::Install(config);
  }
  void ThreeDevices() { Install({Device("Alpha"), Device("Bravo"), Device("Charlie")}); }
  void TearDown() override { Control::Reset(); }

  // The operator picks entry `index` and presses Ok.
  static std::function<void(TCustomForm&)> Pick(int index) {
    return [index](TCustomForm& form) {
      auto& dialog = dynamic_cast<TfrmTAPIDevList&>(form);
      dialog.lbTAPIDevList->ItemIndex = index;
      dialog.ClickButton(*dialog.bbtnOk);
    };
  }

  TScriptedUIScope ui;
  TmkTAPI tapi{nullptr};
};

}  // namespace

TEST_F(Discovery, EntryIIsDeviceI) {
  ThreeDevices();
  TStringList lines;
  lines.Add("stale");
  EXPECT_EQ(tapi.FillTAPILine(&lines, 3), -1);
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines[0], "Alpha");
  EXPECT_EQ(lines[1], "Bravo");
  EXPECT_EQ(lines[2], "Charlie");

  ui->QueueDialog(Pick(1));
  EXPECT_EQ(tapi.GetTAPIDevice(3), 1);
  EXPECT_TRUE(telephony::Snapshot().registrations.empty()) << "discovery registrations never outlive the call";
}

TEST_F(Discovery, LineNames) {
  struct Case {
    const char* what;
    std::string name;
    bool terminator;
    DWORD format;
    bool hasName;
    const char* shown;
  };
  const Case cases[] = {
      {"five letters with terminator", "Modem", true, STRINGFORMAT_ASCII, true, "Modem"},
      {"five letters without terminator", "Modem", false, STRINGFORMAT_ASCII, true, "Mode"},
      {"size one, not zero", "X", false, STRINGFORMAT_ASCII, true, ""},
      {"first byte zero", std::string("\0abc", 4), false, STRINGFORMAT_ASCII, true, "Line Name is Empty"},
      {"not ASCII", "Wide", true, STRINGFORMAT_UNICODE, true, "Line Unnamed"},
      {"no name", "", true, STRINGFORMAT_ASCII, false, "Line Unnamed"},
  };
  std::vector<telephony::sim::DeviceConfig> devices;
  for (const Case& c : cases) {
    auto d = Device(c.name);
    d.info.nameTerminator = c.terminator;
    d.info.stringFormat = c.format;
    d.info.hasName = c.hasName;
    devices.push_back(d);
  }
  Install(devices);
  TStringList lines;
  tapi.FillTAPILine(&lines, static_cast<int>(std::size(cases)));
  ASSERT_EQ(lines.Count(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < lines.Count(); ++i) EXPECT_EQ(lines[i], cases[i].shown) << cases[i].what;
  EXPECT_EQ(tapi.GetLineName(nullptr), "Line Unavailable");
}

TEST_F(Discovery, ANameThatRunsPastItsRecordIsReadOnlyAsFarAsTheRecordGoes) {
  struct Case {
    DWORD offset, size;
    const char* shown;
  };
  const Case cases[] = {
      {249, 0xFFFFFFFF, "Runaway"},  // claims four gigabytes
      {249, 12, "Runaway"},          // ends past the record
      {256, 4, "Line Unnamed"},      // starts at the record's end
      {0xFFFFFFF0, 8, "Line Unnamed"},
  };
  for (const Case& c : cases) {
    alignas(LINEDEVCAPS) char block[256] = {};
    auto* caps = reinterpret_cast<LINEDEVCAPS*>(block);
    caps->dwTotalSize = sizeof block;
    caps->dwStringFormat = STRINGFORMAT_ASCII;
    caps->dwLineNameOffset = c.offset;
    caps->dwLineNameSize = c.size;
    std::memcpy(block + 249, "Runaway", 7);  // up to the last byte, no terminator
    EXPECT_EQ(tapi.GetLineName(caps), c.shown) << c.offset << " " << c.size;
  }
}

TEST_F(Discovery, ListingFailuresNameWhatWentWrong) {
  Install({Device("Alpha")}, 0x00010004);
  TStringList lines;
  try {
    tapi.FillTAPILine(&lines, 1);
    FAIL() << "an old service must be refused";
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message,
              "Invalid TAPI version, your modem MUST support TAPI version 2.0 or higher to use TAPI. Your current "
              "TAPI version is: 1.4 (65540)");
  }

  Install({Device("Alpha")}, 0x00020001);
  try {
    tapi.FillTAPILine(&lines, 2);  // more than the service has
    FAIL();
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message,
              "Error: lineNegotiateAPIVersion failed for device#: 1 TapiDeviceCount: 1 TAPI Version detected: 2.1 "
              "msg: LINEERR_BADDEVICEID");
  }
  EXPECT_EQ(lines.Count(), 1) << "entries listed before the failure stay";

  Install({});
  try {
    tapi.FillTAPILine(&lines, 0);
    FAIL();
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message, "No TAPI devices detected");
  }
  EXPECT_EQ(lines.Count(), 0);
}

TEST_F(Discovery, DialogCancelEmptyListAndTheNotice) {
  ThreeDevices();
  ui->QueueDialog([](TCustomForm& form) { form.ClickButton(*dynamic_cast<TfrmTAPIDevList&>(form).bbtnCancel); });
  EXPECT_EQ(tapi.GetTAPIDevice(3), -1);

  ui->QueueDialog(Pick(-1));  // Ok with an empty list closes
  EXPECT_EQ(tapi.GetTAPIDevice(0), -1);

  ui->ClearBoxes();
  ui->QueueDialog(Pick(-1));  // Ok with nothing selected is refused...
  ui->QueueDialog(Pick(2));   // ...and the dialog stays for another try
  EXPECT_EQ(tapi.GetTAPIDevice(3), 2);
  const auto boxes = ui->Boxes();
  ASSERT_EQ(boxes.size(), 2u);  // the dialog and the notice
  EXPECT_EQ(boxes[1].text, "You must select at least ONE TAPI Device!");
  EXPECT_EQ(boxes[1].caption, "Notice");
  EXPECT_TRUE(boxes[1].flags & MB_TASKMODAL);

  ui->QueueDialog([](TCustomForm& form) {
    auto& dialog = dynamic_cast<TfrmTAPIDevList&>(form);
    dialog.lbTAPIDevList->ItemIndex = 0;
    Raise(dialog.lbTAPIDevList->OnDblClick, dialog.lbTAPIDevList);
  });
  EXPECT_EQ(tapi.GetTAPIDevice(3), 0) << "a double-click accepts like Ok";
}

TEST_F(Discovery, DeviceCapabilitiesWithAndWithoutTheDialog) {
  ThreeDevices();
  unsigned long id = 0xFFFFFFFF;
  ui->QueueDialog(Pick(1));
  LINEDEVCAPS* caps = tapi.GetDeviceCapabilities(id, true);
  ASSERT_NE(caps, nullptr);
  EXPECT_EQ(id, 1ul);
  EXPECT_EQ(caps, tapi.LineDevCaps());
  EXPECT_EQ(tapi.GetLineName(caps), "Bravo");
  EXPECT_TRUE(tapi.AutomatedVoiceAllowed());

  id = 7;
  ui->QueueDialog(nullptr);  // cancelled
  EXPECT_EQ(tapi.GetDeviceCapabilities(id, true), nullptr);
  EXPECT_EQ(id, 7ul) << "a cancelled choice leaves the id alone";

  Install({Device("Only")});
  ui->ClearBoxes();
  id = 5;
  ASSERT_NE(tapi.GetDeviceCapabilities(id, true), nullptr);
  EXPECT_EQ(id, 0ul) << "one device: no dialog, device 0";
  EXPECT_EQ(ui->BoxCount(), 0u);
}

TEST_F(Discovery, FailuresComeOutWithTheOperationsPrefixAndNoDevice) {
  ThreeDevices();
  unsigned long id = 0xFFFFFFFF;
  try {
    tapi.GetDeviceCapabilities(id, false);
    FAIL();
  } catch (const EAbort&) {
    FAIL() << "an EAbort never leaves the capability query";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message,
              "Internal Error in [TmkTAPI::GetDeviceCapabilities] msg: Error: lineNegotiateAPIVersion failed for "
              "device#: -1 Prompt: 0 TapiDeviceCount: 3 TAPI Version detected: 2.2 msg: LINEERR_BADDEVICEID");
  }
  EXPECT_EQ(id, 0xFFFFFFFFul);

  id = 9;
  try {
    tapi.GetAddressCapabilities(id, false);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message.rfind("Internal Error in [TmkTAPI::GetDeviceCapabilities] msg: ", 0), 0u) << e.Message;
  }
  EXPECT_EQ(id, 0xFFFFFFFFul);
}

TEST_F(Discovery, AListingFailureInsideTheQueryKeepsBothTexts) {
  auto old = Device("Old");
  old.info.apiLow = 0x00010000;
  old.info.apiHigh = 0x00010002;  // below what the listing accepts
  Install({Device("Alpha"), old});
  unsigned long id = 4;
  try {
    tapi.GetDeviceCapabilities(id, true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message.rfind("Internal Error in [TmkTAPI::GetDeviceCapabilities] msg: Error: "
                              "lineNegotiateAPIVersion failed for device#: 1 TapiDeviceCount: 2 ",
                              0),
              0u)
        << e.Message;
    EXPECT_NE(e.Message.find("msg: LINEERR_INCOMPATIBLEAPIVERSION"), std::string::npos) << e.Message;
  }
  EXPECT_EQ(id, 0xFFFFFFFFul);
  EXPECT_TRUE(telephony::Snapshot().registrations.empty()) << "both registrations were ended";
}

TEST_F(Discovery, RecordsTooSmallAreFetchedAgainLarger) {
  auto big = Device("Big");
  big.info.devCapsExtra = 2000;
  big.info.addressCapsExtra = 6000;
  Install({big});
  unsigned long id = 0;
  LINEDEVCAPS* caps = tapi.GetDeviceCapabilities(id, false);
  ASSERT_NE(caps, nullptr);
  EXPECT_GT(caps->dwTotalSize, 780u);
  EXPECT_EQ(caps->dwTotalSize, caps->dwNeededSize);
  EXPECT_EQ(tapi.GetLineName(caps), "Big");
  LINEADDRESSCAPS* address = tapi.GetAddressCapabilities(id, false);
  ASSERT_NE(address, nullptr);
  EXPECT_GT(address->dwTotalSize, 4324u);
  EXPECT_EQ(address->dwTotalSize, address->dwNeededSize);
  EXPECT_EQ(address, tapi.LineAddressCaps());
}

TEST_F(Discovery, NegotiationOperationsWithoutARegistrationGiveZero) {
  ThreeDevices();
  EXPECT_EQ(tapi.I_lineNegotiateAPIVersion(0), 0u);
  EXPECT_EQ(tapi.LastTapiCheckText(), "TAPI Line: LINEERR_INVALAPPHANDLE");
  EXPECT_EQ(tapi.I_lineNegotiateLegacyAPIVersion(0), 0u);
}
