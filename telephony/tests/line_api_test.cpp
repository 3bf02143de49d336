// The line API's contract with its callers, function by function, against
// the default simulated devices: results, records, growth by dwNeededSize,
// and refusals of bad input with the API's codes.
#include <cstring>

#include "telephony/tests/sim_fixture.h"

using namespace teltest;
using telephony::sim::FarEndEvent;

namespace {

// A zero-filled record block of the given size with dwTotalSize set.
template <typename Record>
struct Block {
  explicit Block(std::size_t size) : bytes(size) { Get()->dwTotalSize = static_cast<DWORD>(size); }
  Record* Get() { return reinterpret_cast<Record*>(bytes.data()); }
  std::string Text(DWORD offset) const { return reinterpret_cast<const char*>(bytes.data()) + offset; }
  DWORD Word(DWORD offset) const {
    DWORD value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
  }
  std::vector<BYTE> bytes;
};

class LineApi : public SimTest {};

TEST_F(LineApi, InitializeGivesRegistrationDevicesVersionAndAnUnsignalledEvent) {
  const App a = Initialize();
  EXPECT_NE(a.app, 0u);
  EXPECT_EQ(a.devices, 2u);
  EXPECT_EQ(a.version, TAPI_VERSION2_2);
  ASSERT_NE(a.event, 0u);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_TIMEOUT);
  EXPECT_NE(Initialize().app, a.app);
}

TEST_F(LineApi, InitializeRefusesBadArguments) {
  HLINEAPP app = 0;
  DWORD devices = 0, version = TAPI_VERSION2_0;
  LINEINITIALIZEEXPARAMS params{};
  params.dwTotalSize = sizeof params;
  params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
  EXPECT_EQ(lineInitializeEx(nullptr, 0, nullptr, nullptr, &devices, &version, &params), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineInitializeEx(&app, 0, nullptr, nullptr, &devices, &version, nullptr), LINEERR_INVALPOINTER);
  params.dwTotalSize = 16;
  EXPECT_EQ(lineInitializeEx(&app, 0, nullptr, nullptr, &devices, &version, &params), LINEERR_STRUCTURETOOSMALL);
  EXPECT_EQ(params.dwNeededSize, 24u);
  params.dwTotalSize = sizeof params;
  params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
  EXPECT_LT(lineInitializeEx(&app, 0, nullptr, nullptr, &devices, &version, &params), 0);
  params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
  version = TAPI_VERSION1_4;
  EXPECT_EQ(lineInitializeEx(&app, 0, nullptr, nullptr, &devices, &version, &params),
            LINEERR_INCOMPATIBLEAPIVERSION);
  EXPECT_EQ(app, 0u);
}

TEST_F(LineApi, NegotiationPicksTheHighestCommonVersion) {
  const App a = Initialize();
  struct Row {
    DWORD device, low, high;
    LONG result;
    DWORD version;
  };
  const Row rows[] = {
      {kVoiceModem, 0x00010003, 0x0FFF0FFF, 0, TAPI_VERSION2_2},
      {kLegacyModem, 0x00010003, 0x0FFF0FFF, 0, TAPI_VERSION2_0},
      {kLegacyModem, 0x00010004, 0x00010004, 0, TAPI_VERSION1_4},
      {kLegacyModem, 0x00010003, 0x00010003, LINEERR_INCOMPATIBLEAPIVERSION, 0},
      {kVoiceModem, 0x00020000, 0x00010004, LINEERR_INCOMPATIBLEAPIVERSION, 0},
      {2, 0x00010003, 0x0FFF0FFF, LINEERR_BADDEVICEID, 0},
      {0xFFFFFFFF, 0x00010003, 0x0FFF0FFF, LINEERR_BADDEVICEID, 0},
  };
  for (const Row& row : rows) {
    DWORD version = 0;
    LINEEXTENSIONID extension{1, 2, 3, 4};
    EXPECT_EQ(lineNegotiateAPIVersion(a.app, row.device, row.low, row.high, &version, &extension), row.result)
        << row.device << " " << std::hex << row.low << "-" << row.high;
    if (row.result == 0) {
      EXPECT_EQ(version, row.version);
      EXPECT_EQ(extension.dwExtensionID0 | extension.dwExtensionID3, 0u);
    }
  }
  DWORD version = 0;
  LINEEXTENSIONID extension{};
  EXPECT_EQ(lineNegotiateAPIVersion(a.app + 1000, 0, 0x00010003, 0x0FFF0FFF, &version, &extension),
            LINEERR_INVALAPPHANDLE);
  EXPECT_EQ(lineNegotiateAPIVersion(a.app, 0, 0x00010003, 0x0FFF0FFF, nullptr, &extension), LINEERR_INVALPOINTER);
}

TEST_F(LineApi, DeviceCapsGrowFrom780BytesToTheNeededSize) {
  const App a = Initialize();
  for (DWORD device : {kVoiceModem, kLegacyModem}) {
    Block<LINEDEVCAPS> first(780);
    ASSERT_EQ(lineGetDevCaps(a.app, device, TAPI_VERSION2_0, 0, first.Get()), 0);
    const DWORD needed = first.Get()->dwNeededSize;
    ASSERT_GT(needed, 780u) << "the default devices must need a second query";
    EXPECT_LE(first.Get()->dwUsedSize, 780u);
    EXPECT_EQ(first.Get()->dwStringFormat, STRINGFORMAT_ASCII);
    Block<LINEDEVCAPS> full(needed);
    ASSERT_EQ(lineGetDevCaps(a.app, device, TAPI_VERSION2_0, 0, full.Get()), 0);
    EXPECT_EQ(full.Get()->dwNeededSize, needed);
    EXPECT_EQ(full.Get()->dwUsedSize, needed);
    const LINEDEVCAPS& caps = *full.Get();
    EXPECT_EQ(caps.dwMediaModes,
              LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE | LINEMEDIAMODE_DATAMODEM);
    EXPECT_NE(caps.dwLineStates & LINEDEVSTATE_RINGING, 0u);
    EXPECT_EQ(caps.dwAddressModes, LINEADDRESSMODE_ADDRESSID);
    EXPECT_EQ(full.Text(caps.dwLineNameOffset),
              device == kVoiceModem ? "Telmora Voice Modem" : "Telmora Legacy Voice Modem");
    EXPECT_EQ(caps.dwLineNameSize, full.Text(caps.dwLineNameOffset).size() + 1);
  }
  // The listing's single 1292-byte record still gets the name.
  Block<LINEDEVCAPS> listing(1292);
  ASSERT_EQ(lineGetDevCaps(a.app, kVoiceModem, TAPI_VERSION2_2, 0, listing.Get()), 0);
  EXPECT_NE(listing.Get()->dwLineNameSize, 0u);
}

TEST_F(LineApi, AddressCapsGrowFrom4324BytesToTheNeededSize) {
  const App a = Initialize();
  Block<LINEADDRESSCAPS> first(4324);
  ASSERT_EQ(lineGetAddressCaps(a.app, kVoiceModem, 0, TAPI_VERSION2_0, 0, first.Get()), 0);
  const DWORD needed = first.Get()->dwNeededSize;
  ASSERT_GT(needed, 4324u);
  Block<LINEADDRESSCAPS> full(needed);
  ASSERT_EQ(lineGetAddressCaps(a.app, kVoiceModem, 0, TAPI_VERSION2_0, 0, full.Get()), 0);
  EXPECT_EQ(full.Get()->dwUsedSize, needed);
  EXPECT_EQ(full.Text(full.Get()->dwAddressOffset), "5550100");
  EXPECT_NE(full.Get()->dwAddressStates & LINEADDRESSSTATE_OTHER, 0u);
}

TEST_F(LineApi, CapabilityQueriesRefuseBadInput) {
  const App a = Initialize();
  Block<LINEDEVCAPS> caps(1024);
  Block<LINEADDRESSCAPS> address(1024);
  Block<LINEDEVCAPS> tiny(100);
  EXPECT_EQ(lineGetDevCaps(0, 0, TAPI_VERSION2_0, 0, caps.Get()), LINEERR_INVALAPPHANDLE);
  EXPECT_EQ(lineGetDevCaps(a.app, 7, TAPI_VERSION2_0, 0, caps.Get()), LINEERR_BADDEVICEID);
  EXPECT_EQ(lineGetDevCaps(a.app, kLegacyModem, TAPI_VERSION2_2, 0, caps.Get()), LINEERR_INCOMPATIBLEAPIVERSION);
  EXPECT_EQ(lineGetDevCaps(a.app, 0, TAPI_VERSION2_0, 1, caps.Get()), LINEERR_INCOMPATIBLEEXTVERSION);
  EXPECT_EQ(lineGetDevCaps(a.app, 0, TAPI_VERSION2_0, 0, nullptr), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineGetDevCaps(a.app, 0, TAPI_VERSION2_0, 0, tiny.Get()), LINEERR_STRUCTURETOOSMALL);
  EXPECT_EQ(tiny.Get()->dwNeededSize, sizeof(LINEDEVCAPS));
  EXPECT_EQ(lineGetAddressCaps(a.app, 0, 1, TAPI_VERSION2_0, 0, address.Get()), LINEERR_INVALADDRESSID);
}

TEST_F(LineApi, OpenAppliesPrivilegesMediaModesAndDeviceRefusals) {
  const App a = Initialize();
  struct Row {
    DWORD device, privileges, media, version;
    LONG result;
  };
  const DWORD owner = LINECALLPRIVILEGE_OWNER, monitor = LINECALLPRIVILEGE_MONITOR;
  const Row rows[] = {
      {kVoiceModem, owner | monitor, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0, 0},
      {kVoiceModem, LINECALLPRIVILEGE_NONE, 0, TAPI_VERSION2_0, 0},
      {kLegacyModem, owner | monitor, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0, LINEERR_INVALMEDIAMODE},
      {kLegacyModem, owner, LINEMEDIAMODE_AUTOMATEDVOICE, TAPI_VERSION2_0, LINEERR_INVALMEDIAMODE},
      {kLegacyModem, owner, LINEMEDIAMODE_DATAMODEM, TAPI_VERSION2_0, 0},
      {kLegacyModem, monitor, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0, 0},
      {kVoiceModem, owner, LINEMEDIAMODE_G3FAX, TAPI_VERSION2_0, LINEERR_INVALMEDIAMODE},
      {kVoiceModem, owner, 0, TAPI_VERSION2_0, LINEERR_INVALMEDIAMODE},
      {kVoiceModem, 0, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0, LINEERR_INVALPRIVSELECT},
      {kVoiceModem, LINECALLPRIVILEGE_NONE | owner, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0,
       LINEERR_INVALPRIVSELECT},
      {kVoiceModem, owner, LINEMEDIAMODE_INTERACTIVEVOICE, 0x00030000, LINEERR_INCOMPATIBLEAPIVERSION},
      {5, owner, LINEMEDIAMODE_INTERACTIVEVOICE, TAPI_VERSION2_0, LINEERR_BADDEVICEID},
  };
  for (const Row& row : rows) {
    HLINE line = 0;
    EXPECT_EQ(lineOpen(a.app, row.device, &line, row.version, 0, 0, row.privileges, row.media, nullptr), row.result)
        << "device " << row.device << " privileges " << row.privileges << " media " << row.media;
    EXPECT_EQ(line != 0, row.result == 0);
  }
  HLINE line = 0;
  EXPECT_EQ(lineOpen(0, 0, &line, TAPI_VERSION2_0, 0, 0, 2, 4, nullptr), LINEERR_INVALAPPHANDLE);
  EXPECT_EQ(lineOpen(a.app, 0, nullptr, TAPI_VERSION2_0, 0, 0, 2, 4, nullptr), LINEERR_INVALPOINTER);
  // A test can make any device refuse any open.
  Control::SetRefusal(kVoiceModem, telephony::sim::Op::Open, LINEERR_ALLOCATED);
  EXPECT_EQ(lineOpen(a.app, 0, &line, TAPI_VERSION2_0, 0, 0, 2, 4, nullptr), LINEERR_ALLOCATED);
}

TEST_F(LineApi, StatusMessagesAcceptOnlyTheDeviceStates) {
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_MONITOR, 0);
  Block<LINEDEVCAPS> caps(2048);
  ASSERT_EQ(lineGetDevCaps(a.app, kVoiceModem, TAPI_VERSION2_0, 0, caps.Get()), 0);
  EXPECT_EQ(lineSetStatusMessages(line, caps.Get()->dwLineStates, caps.Get()->dwAddressModes), 0);
  EXPECT_EQ(lineSetStatusMessages(line, LINEDEVSTATE_LOCK, 0), LINEERR_INVALLINESTATE);
  EXPECT_EQ(lineSetStatusMessages(line, 0, LINEADDRESSSTATE_FORWARD), LINEERR_INVALADDRESSSTATE);
  EXPECT_EQ(lineSetStatusMessages(line + 1000, 0, 0), LINEERR_INVALLINEHANDLE);
}

TEST_F(LineApi, GetMessageTakesOneMessageAndWaitsWithATimeout) {
  const App a = Initialize();
  LINEMESSAGE message{};
  EXPECT_EQ(lineGetMessage(a.app, &message, 0), LINEERR_OPERATIONFAILED);
  EXPECT_EQ(lineGetMessage(a.app, &message, 20), LINEERR_OPERATIONFAILED);
  EXPECT_EQ(lineGetMessage(a.app, nullptr, 0), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineGetMessage(a.app + 1000, &message, 0), LINEERR_INVALAPPHANDLE);
  const LINEMESSAGE one{1, 40, 2, 3, 4, 5}, two{6, 41, 7, 8, 9, 10};
  ASSERT_EQ(telephony::InjectMessage(a.app, one), 0);
  ASSERT_EQ(telephony::InjectMessage(a.app, two), 0);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_OBJECT_0);
  ASSERT_EQ(lineGetMessage(a.app, &message, 0), 0);
  EXPECT_EQ(std::memcmp(&message, &one, sizeof message), 0);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_OBJECT_0) << "still one waiting";
  ASSERT_EQ(lineGetMessage(a.app, &message, 1000), 0);
  EXPECT_EQ(message.dwMessageID, 41u);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_TIMEOUT);
}

TEST_F(LineApi, CallRecordsReportTheSizeTheyNeed) {
  const App a = Initialize("Bench");
  Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Eve", "5550333"), "");
  Elapse(1500);
  const HCALL call = Drain(a)[1].hDevice;

  Block<LINECALLINFO> fixed(sizeof(LINECALLINFO));
  ASSERT_EQ(lineGetCallInfo(call, fixed.Get()), 0);
  const DWORD needed = fixed.Get()->dwNeededSize;
  EXPECT_GT(needed, 324u) << "caller identity lives behind the fixed part";
  EXPECT_EQ(fixed.Get()->dwCallerIDSize, 0u);
  EXPECT_EQ(fixed.Get()->dwCallerIDFlags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
  Block<LINECALLINFO> info(needed);
  ASSERT_EQ(lineGetCallInfo(call, info.Get()), 0);
  EXPECT_EQ(info.Text(info.Get()->dwCallerIDOffset), "5550333");
  EXPECT_EQ(info.Text(info.Get()->dwCallerIDNameOffset), "Eve");
  EXPECT_EQ(info.Get()->dwLineDeviceID, kVoiceModem);
  EXPECT_EQ(info.Get()->dwMediaMode, LINEMEDIAMODE_INTERACTIVEVOICE);
  EXPECT_EQ(info.Get()->dwNumOwners, 1u);

  Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS));
  ASSERT_EQ(lineGetCallStatus(call, status.Get()), 0);
  EXPECT_EQ(status.Get()->dwCallState, LINECALLSTATE_OFFERING);
  EXPECT_EQ(status.Get()->dwCallPrivilege, LINECALLPRIVILEGE_OWNER);
  EXPECT_NE(status.Get()->dwCallFeatures & LINECALLFEATURE_ANSWER, 0u);
  EXPECT_GT(status.Get()->tStateEntryTime.wYear, 2000);
  EXPECT_EQ(status.Get()->dwNeededSize, sizeof(LINECALLSTATUS) + 16) << "the voice modem's device-specific part";

  Block<LINECALLSTATUS> small(40);
  EXPECT_EQ(lineGetCallStatus(call, small.Get()), LINEERR_STRUCTURETOOSMALL);
  EXPECT_EQ(lineGetCallInfo(call, nullptr), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineGetCallInfo(a.app, info.Get()), LINEERR_INVALCALLHANDLE) << "a registration is no call";
  EXPECT_EQ(lineGetCallStatus(0, status.Get()), LINEERR_INVALCALLHANDLE);
}

TEST_F(LineApi, CallRequestsAreRefusedAtOnceOrAnsweredByReply) {
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  HCALL call = 0;
  EXPECT_EQ(lineMakeCall(line, &call, "555-CALL-ME!", 0, nullptr), LINEERR_INVALADDRESS);
  EXPECT_EQ(lineMakeCall(line + 1000, &call, "5551234", 0, nullptr), LINEERR_INVALLINEHANDLE);
  EXPECT_EQ(lineMakeCall(line, nullptr, "5551234", 0, nullptr), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineAnswer(0, nullptr, 0), LINEERR_INVALCALLHANDLE);
  EXPECT_EQ(lineDrop(0x7777, nullptr, 0), LINEERR_INVALCALLHANDLE);

  // Dial tone only: the call-parameter record of a data-modem off-hook.
  LINECALLPARAMS params{};
  params.dwTotalSize = sizeof params;
  params.dwBearerMode = LINEBEARERMODE_PASSTHROUGH;
  params.dwMediaMode = LINEMEDIAMODE_DATAMODEM;
  params.dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
  params.dwAddressMode = LINEADDRESSMODE_ADDRESSID;
  const LONG request = lineMakeCall(line, &call, "", 1, &params);
  ASSERT_GT(request, 0);
  EXPECT_EQ(lineMakeCall(line, &call, "5551234", 0, nullptr), LINEERR_CALLUNAVAIL) << "one call at a time";
  Elapse(50 + 5000);
  const auto messages = Drain(a);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].dwParam1, LINECALLSTATE_DIALTONE) << "no digits: the call stays at dial tone";
  EXPECT_EQ(lineAnswer(call, nullptr, 0), LINEERR_INVALCALLSTATE);

  // An accepted request can still fail in its reply.
  Control::SetReplyResult(kVoiceModem, telephony::sim::Op::Drop, LINEERR_OPERATIONFAILED);
  const LONG drop = lineDrop(call, nullptr, 0);
  ASSERT_GT(drop, 0);
  Elapse(100);
  const LINEMESSAGE reply = Next(a);
  EXPECT_EQ(reply.dwMessageID, LINE_REPLY);
  EXPECT_EQ(static_cast<LONG>(reply.dwParam2), LINEERR_OPERATIONFAILED);
  Control::SetReplyResult(kVoiceModem, telephony::sim::Op::Drop, 0);
  Control::SetRefusal(kVoiceModem, telephony::sim::Op::Drop, LINEERR_RESOURCEUNAVAIL);
  EXPECT_EQ(lineDrop(call, nullptr, 0), LINEERR_RESOURCEUNAVAIL);
}

TEST_F(LineApi, AssistedRequestIsAcceptedAndReachesTheFarEnd) {
  EXPECT_EQ(tapiRequestMakeCall("5551234", "Telmora", "Test Call", "Calling contact"), 0);
  EXPECT_EQ(tapiRequestMakeCall("", "Telmora", "Test Call", "Calling contact"), TAPIERR_INVALDESTADDRESS);
  EXPECT_EQ(tapiRequestMakeCall(nullptr, nullptr, nullptr, nullptr), TAPIERR_INVALPOINTER);
  const auto events = Control::FarEnd();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, FarEndEvent::Kind::Assisted);
  EXPECT_EQ(events[0].detail, "5551234; app=Telmora; party=Test Call; comment=Calling contact");
}

TEST_F(LineApi, GetIdGivesTheLinesDevices) {
  const App a = Initialize();
  const HLINE voice = Open(a, kVoiceModem, LINECALLPRIVILEGE_MONITOR, 0);
  const HLINE legacy = Open(a, kLegacyModem, LINECALLPRIVILEGE_MONITOR, 0);
  struct Row {
    HLINE line;
    const char* deviceClass;
    DWORD value;
  };
  for (const Row& row : {Row{voice, "wave/out", 0}, Row{voice, "wave/in", 0}, Row{legacy, "wave/out", 1},
                         Row{legacy, "WAVE/IN", 1}, Row{legacy, "tapi/line", kLegacyModem}}) {
    Block<VARSTRING> id(1024);
    ASSERT_EQ(lineGetID(row.line, 0, 0, LINECALLSELECT_LINE, id.Get(), row.deviceClass), 0) << row.deviceClass;
    EXPECT_EQ(id.Get()->dwStringSize, 4u);
    EXPECT_EQ(id.Word(id.Get()->dwStringOffset), row.value) << row.deviceClass;
  }
  Block<VARSTRING> comm(1024);
  const std::size_t handles = platform::LiveHandleCount();
  ASSERT_EQ(lineGetID(voice, 0, 0, LINECALLSELECT_LINE, comm.Get(), "comm/datamodem"), 0);
  EXPECT_EQ(comm.Text(comm.Get()->dwStringOffset + 4), "SIM1");
  EXPECT_EQ(platform::LiveHandleCount(), handles + 1);
  EXPECT_EQ(CloseHandle(comm.Word(comm.Get()->dwStringOffset)), TRUE) << "the port's handle is the caller's";

  Block<VARSTRING> tight(sizeof(VARSTRING));
  ASSERT_EQ(lineGetID(voice, 0, 0, LINECALLSELECT_LINE, tight.Get(), "wave/in"), 0);
  EXPECT_EQ(tight.Get()->dwNeededSize, sizeof(VARSTRING) + 4);
  EXPECT_EQ(tight.Get()->dwStringSize, 0u);
  Block<VARSTRING> id(1024);
  EXPECT_EQ(lineGetID(voice, 0, 0, LINECALLSELECT_LINE, id.Get(), "midi/out"), LINEERR_INVALDEVICECLASS);
  EXPECT_EQ(lineGetID(voice + 1000, 0, 0, LINECALLSELECT_LINE, id.Get(), "wave/in"), LINEERR_INVALLINEHANDLE);
  EXPECT_EQ(lineGetID(voice, 0, 0x1234, LINECALLSELECT_CALL, id.Get(), "wave/in"), LINEERR_INVALCALLHANDLE);
  EXPECT_EQ(lineGetID(voice, 0, 0, LINECALLSELECT_LINE, nullptr, "wave/in"), LINEERR_INVALPOINTER);
  EXPECT_EQ(lineGetID(voice, 0, 0, 9, id.Get(), "wave/in"), LINEERR_INVALCALLSELECT);
}

TEST_F(LineApi, ToneIsPlayedIntoAConnectedCallAndReported) {
  const App a = Initialize();
  Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Fay", "5550444"), "");
  ASSERT_TRUE(Control::WaitIdle());
  const HCALL call = Drain(a)[1].hDevice;
  EXPECT_EQ(lineGenerateTone(call, LINETONEMODE_BEEP, 0, 0, nullptr), LINEERR_INVALCALLSTATE) << "not connected";
  ASSERT_GT(lineAnswer(call, nullptr, 0), 0);
  Elapse(200);
  Drain(a);
  EXPECT_EQ(lineGenerateTone(call, LINETONEMODE_BEEP, 0, 0, nullptr), 0);
  EXPECT_EQ(lineGenerateTone(call, 0x100, 0, 0, nullptr), LINEERR_INVALTONEMODE);
  Elapse(250);
  const LINEMESSAGE done = Next(a);
  EXPECT_EQ(done.dwMessageID, LINE_GENERATE);
  EXPECT_EQ(done.dwParam1, LINEGENERATETERM_DONE);
  EXPECT_EQ(Control::FarEnd().back().kind, FarEndEvent::Kind::Tone);
  EXPECT_EQ(Control::FarEnd().back().detail, "beep 250ms");
}

TEST_F(LineApi, StaleAndForeignHandlesAreRefusedAfterRelease) {
  const std::size_t before = platform::LiveHandleCount();
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(lineClose(line), 0);
  EXPECT_EQ(lineClose(line), LINEERR_INVALLINEHANDLE);
  EXPECT_EQ(lineClose(a.app), LINEERR_INVALLINEHANDLE) << "a registration is no line";
  EXPECT_EQ(lineShutdown(line), LINEERR_INVALAPPHANDLE) << "a line is no registration";
  EXPECT_EQ(lineDeallocateCall(line), LINEERR_INVALCALLHANDLE);
  ASSERT_EQ(lineShutdown(a.app), 0);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_FAILED) << "shutdown closes the registration's event";
  EXPECT_EQ(platform::LiveHandleCount(), before);
  // A reset forgets everything, and handles from before stay invalid.
  const App b = Initialize();
  Control::Reset();
  EXPECT_EQ(lineShutdown(b.app), LINEERR_INVALAPPHANDLE);
  EXPECT_EQ(WaitForSingleObject(b.event, 0), WAIT_FAILED);
}

}  // namespace
