// The service against a provider that reports what the simulated one never
// does, as a real line may.
#include <memory>

#include "telephony/service/control.h"
#include "telephony/tests/sim_fixture.h"

using namespace teltest;

namespace {

// A provider whose calls the test drives by hand.
class HandDriven : public telephony::LineProvider {
 public:
  DWORD ServiceVersion() const override { return TAPI_VERSION2_2; }
  std::vector<telephony::LineDeviceInfo> Devices() const override {
    telephony::LineDeviceInfo info;
    info.name = "By hand";
    return {info};
  }
  void Start(telephony::LineEvents& e) override { events = &e; }
  void Stop() override { events = nullptr; }
  LONG Open(DWORD, DWORD, DWORD) override { return 0; }
  LONG MakeCall(DWORD, telephony::CallKey c, DWORD id, const telephony::OutgoingCall&) override {
    call = c;
    requestId = id;
    return 0;
  }
  LONG Answer(telephony::CallKey, DWORD) override { return LINEERR_OPERATIONUNAVAIL; }
  LONG Drop(telephony::CallKey, DWORD) override { return LINEERR_OPERATIONUNAVAIL; }
  LONG GenerateTone(telephony::CallKey, DWORD, DWORD) override { return LINEERR_OPERATIONUNAVAIL; }
  LONG CheckGetID(DWORD, const std::string&) override { return 0; }
  LONG RequestMakeCall(const std::string&, const std::string&, const std::string&, const std::string&) override {
    return 0;
  }

  telephony::LineEvents* events = nullptr;
  telephony::CallKey call{};
  DWORD requestId = 0;
};

}  // namespace

TEST(ProviderContract, AFailedCallLeavesNoHandleBehindOnAnyLine) {
  auto owned = std::make_unique<HandDriven>();
  HandDriven& provider = *owned;
  telephony::InstallProvider(std::move(owned));
  const App owner = Initialize("owner");
  const App monitor = Initialize("monitor");
  const HLINE line = Open(owner, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  Open(monitor, 0, LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE);

  HCALL call = 0;
  ASSERT_GT(lineMakeCall(line, &call, "5551234", 0, nullptr), 0);
  ASSERT_NE(provider.events, nullptr);
  provider.events->CallState(provider.call, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
  provider.events->RequestDone(provider.requestId, LINEERR_OPERATIONFAILED);

  // The monitor heard of the call before it failed; its handle must be
  // refused now, not lead to a call that is gone.
  std::vector<HCALL> seen;
  for (const LINEMESSAGE& m : Drain(monitor))
    if (m.dwMessageID == LINE_CALLSTATE) seen.push_back(m.hDevice);
  ASSERT_FALSE(seen.empty());
  for (HCALL h : seen) {
    LINECALLINFO info{};
    info.dwTotalSize = sizeof info;
    EXPECT_EQ(lineGetCallInfo(h, &info), LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(lineDeallocateCall(h), LINEERR_INVALCALLHANDLE);
  }
  EXPECT_EQ(call, 0u) << "a failed request writes no handle";
  EXPECT_TRUE(telephony::Snapshot().calls.empty());
  telephony::ResetService();
}
