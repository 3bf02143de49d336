// Calls end to end against the simulated far end: the messages of an
// incoming and an outgoing call in order, owner and monitor registrations,
// and what closing or shutting down leaves behind.
#include <thread>

#include "telephony/tests/sim_fixture.h"

using namespace teltest;
using telephony::sim::FarEndEvent;

namespace {

struct Expected {
  DWORD id;
  DWORD p1;
  DWORD p2;
};

void ExpectMessages(const App& a, const std::vector<Expected>& expected) {
  const auto got = Drain(a);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].dwMessageID, expected[i].id) << "message " << i;
    EXPECT_EQ(got[i].dwParam1, expected[i].p1) << "message " << i;
    EXPECT_EQ(got[i].dwParam2, expected[i].p2) << "message " << i;
  }
}

bool FarEndSaw(FarEndEvent::Kind kind, const std::string& detail = {}) {
  for (const auto& e : Control::FarEnd())
    if (e.kind == kind && (detail.empty() || e.detail == detail)) return true;
  return false;
}

std::string CallerName(HCALL call) {
  std::vector<BYTE> block(1024);
  auto* info = reinterpret_cast<LINECALLINFO*>(block.data());
  info->dwTotalSize = static_cast<DWORD>(block.size());
  EXPECT_EQ(lineGetCallInfo(call, info), 0);
  return std::string(reinterpret_cast<const char*>(block.data()) + info->dwCallerIDNameOffset);
}

class CallFlow : public SimTest {};

TEST_F(CallFlow, IncomingCallFromOfferToIdle) {
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
                          LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(lineSetStatusMessages(line, LINEDEVSTATE_RINGING, 0), 0);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Ann Example", "5551234", 0, 0), "");
  ASSERT_TRUE(Control::WaitIdle());

  const LINEMESSAGE newCall = Next(a);
  ASSERT_EQ(newCall.dwMessageID, LINE_APPNEWCALL);
  EXPECT_EQ(newCall.hDevice, line);
  EXPECT_EQ(newCall.dwParam3, LINECALLPRIVILEGE_OWNER);
  const HCALL call = newCall.dwParam2;
  const LINEMESSAGE offering = Next(a);
  EXPECT_EQ(offering.hDevice, call);
  EXPECT_EQ(offering.dwMessageID, LINE_CALLSTATE);
  EXPECT_EQ(offering.dwParam1, LINECALLSTATE_OFFERING);
  EXPECT_EQ(offering.dwParam2, LINEOFFERINGMODE_ACTIVE);
  EXPECT_EQ(offering.dwParam3, LINECALLPRIVILEGE_OWNER);
  const LINEMESSAGE ring = Next(a);
  EXPECT_EQ(ring.hDevice, line);
  EXPECT_EQ(ring.dwMessageID, LINE_LINEDEVSTATE);
  EXPECT_EQ(ring.dwParam1, LINEDEVSTATE_RINGING);
  EXPECT_EQ(ring.dwParam3, 1u);
  EXPECT_EQ(WaitForSingleObject(a.event, 0), WAIT_TIMEOUT) << "event must reset once the queue is empty";

  Elapse(1500);  // caller identity after the first ring
  ExpectMessages(a, {{LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0}});
  EXPECT_EQ(CallerName(call), "Ann Example");
  Elapse(4500);
  const auto second = Drain(a);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].dwParam3, 2u);

  const LONG answer = lineAnswer(call, nullptr, 0);
  ASSERT_GT(answer, 0);
  Elapse(200);
  ExpectMessages(a, {{LINE_REPLY, static_cast<DWORD>(answer), 0},
                     {LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE}});
  EXPECT_TRUE(FarEndSaw(FarEndEvent::Kind::Answered));

  ASSERT_EQ(Control::HangUp(kVoiceModem), "");
  ASSERT_TRUE(Control::WaitIdle());
  Elapse(50);
  ExpectMessages(a, {{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL},
                     {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}});
  EXPECT_EQ(lineDeallocateCall(call), 0);
  EXPECT_EQ(lineDeallocateCall(call), LINEERR_INVALCALLHANDLE);
  EXPECT_TRUE(telephony::Snapshot().calls.empty());
}

TEST_F(CallFlow, OutgoingCallWritesHandleBeforeReplyAndProgressesToConnected) {
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  HCALL call = 0;
  const LONG request = lineMakeCall(line, &call, "5551234", 0, nullptr);
  ASSERT_GT(request, 0);
  EXPECT_EQ(call, 0u) << "the handle is written when the request completes";
  Elapse(50);
  const LINEMESSAGE reply = Next(a);
  ASSERT_EQ(reply.dwMessageID, LINE_REPLY);
  EXPECT_EQ(reply.dwParam1, static_cast<DWORD>(request));
  EXPECT_EQ(reply.dwParam2, 0u);
  ASSERT_NE(call, 0u);
  const LINEMESSAGE dialtone = Next(a);
  EXPECT_EQ(dialtone.hDevice, call);
  EXPECT_EQ(dialtone.dwParam1, LINECALLSTATE_DIALTONE);
  EXPECT_EQ(dialtone.dwParam3, LINECALLPRIVILEGE_OWNER);
  Elapse(300);
  Elapse(1200);
  Elapse(500);
  Elapse(4000);
  Elapse(4000);  // two rings of ringback, then the far end answers
  ExpectMessages(a, {{LINE_CALLSTATE, LINECALLSTATE_DIALING, 0},
                     {LINE_CALLSTATE, LINECALLSTATE_PROCEEDING, 0},
                     {LINE_CALLSTATE, LINECALLSTATE_RINGBACK, 0},
                     {LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE}});
  EXPECT_TRUE(FarEndSaw(FarEndEvent::Kind::Dialled, "5551234"));

  const LONG drop = lineDrop(call, nullptr, 0);
  ASSERT_GT(drop, 0);
  Elapse(100);
  ExpectMessages(a, {{LINE_REPLY, static_cast<DWORD>(drop), 0}, {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}});
  EXPECT_TRUE(FarEndSaw(FarEndEvent::Kind::Dropped));
  EXPECT_EQ(lineDeallocateCall(call), 0);
}

TEST_F(CallFlow, FarEndOutcomesFollowTheNumberDialled) {
  struct Row {
    const char* number;
    std::vector<Expected> tail;  // after PROCEEDING
  };
  const std::vector<Row> rows = {
      {"5550000",
       {{LINE_CALLSTATE, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION},
        {LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY},
        {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}}},
      {"5557777",
       {{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE},
        {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}}},
      {"5559999",
       {{LINE_CALLSTATE, LINECALLSTATE_RINGBACK, 0},
        {LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER},
        {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}}},
  };
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.number);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, row.number, 0, nullptr), 0);
    Elapse(50 + 300 + 1200);
    Drain(a);  // reply, dial tone, dialling, proceeding
    for (int step = 0; step < 8; ++step) Elapse(4000);  // enough for busy, six unanswered rings and idle
    ExpectMessages(a, row.tail);
    EXPECT_EQ(lineDeallocateCall(call), 0);
  }
}

TEST_F(CallFlow, OwnerAndMonitorRegistrationsEachGetTheirOwnHandle) {
  const App owner = Initialize("owner");
  const App monitor = Initialize("monitor");
  Open(owner, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  Open(monitor, kVoiceModem, LINECALLPRIVILEGE_MONITOR, 0);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Bob", "5550123"), "");
  Elapse(1500);
  const auto ownerSeen = Drain(owner);
  const auto monitorSeen = Drain(monitor);
  ASSERT_EQ(ownerSeen.size(), 3u);  // new call, offering, caller id (no ring: not asked for)
  ASSERT_EQ(monitorSeen.size(), 3u);
  EXPECT_EQ(ownerSeen[1].dwParam3, LINECALLPRIVILEGE_OWNER);
  EXPECT_EQ(monitorSeen[1].dwParam3, LINECALLPRIVILEGE_MONITOR);
  const HCALL ownerCall = ownerSeen[1].hDevice;
  const HCALL monitorCall = monitorSeen[1].hDevice;
  EXPECT_NE(ownerCall, monitorCall);
  EXPECT_EQ(monitorSeen[2].dwMessageID, LINE_CALLINFO);
  EXPECT_EQ(lineAnswer(monitorCall, nullptr, 0), LINEERR_NOTOWNER);
  EXPECT_EQ(lineDrop(monitorCall, nullptr, 0), LINEERR_NOTOWNER);

  ASSERT_GT(lineAnswer(ownerCall, nullptr, 0), 0);
  Elapse(200);
  EXPECT_EQ(Drain(owner).size(), 2u);  // reply, connected
  const auto monitorConnected = Drain(monitor);
  ASSERT_EQ(monitorConnected.size(), 1u);
  EXPECT_EQ(monitorConnected[0].dwParam1, LINECALLSTATE_CONNECTED);
  EXPECT_EQ(monitorConnected[0].dwParam3, 0u) << "the privilege comes only with a handle's first state";
  // The owner cannot walk away from a live call; the monitor can.
  EXPECT_EQ(lineDeallocateCall(ownerCall), LINEERR_INVALCALLSTATE);
  EXPECT_EQ(lineDeallocateCall(monitorCall), 0);
}

TEST_F(CallFlow, LegacyModemFallbackSplitsOwnerAndMonitor) {
  // The legacy modem refuses owner+voice, so a caller opens it twice:
  // owner for data-modem calls on one registration, monitor for voice on another.
  const App monitor = Initialize("monitor");
  const App owner = Initialize("owner");
  HLINE refused = 0;
  EXPECT_EQ(lineOpen(monitor.app, kLegacyModem, &refused, TAPI_VERSION2_0, 0, 0, 6, LINEMEDIAMODE_INTERACTIVEVOICE,
                     nullptr),
            LINEERR_INVALMEDIAMODE);
  Open(owner, kLegacyModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM);
  Open(monitor, kLegacyModem, LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(Control::Ring(kLegacyModem, "", "5550999"), "");
  ASSERT_TRUE(Control::WaitIdle());
  EXPECT_EQ(Drain(owner)[1].dwParam3, LINECALLPRIVILEGE_OWNER);
  EXPECT_EQ(Drain(monitor)[1].dwParam3, LINECALLPRIVILEGE_MONITOR);
}

TEST_F(CallFlow, ClosingTheOwnerLineHangsUpItsCallAndForgetsItsRequests) {
  const App owner = Initialize("owner");
  const App monitor = Initialize("monitor");
  const HLINE line = Open(owner, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  Open(monitor, kVoiceModem, LINECALLPRIVILEGE_MONITOR, 0);
  HCALL storage = 0xABCD;
  ASSERT_GT(lineMakeCall(line, &storage, "5551234", 0, nullptr), 0);
  ASSERT_EQ(lineClose(line), 0);
  Elapse(50 + 300);
  EXPECT_EQ(storage, 0xABCDu) << "a closed line's request must not write into the caller's storage";
  EXPECT_TRUE(Drain(owner).empty());
  EXPECT_TRUE(Drain(monitor).empty()) << "a call dropped before it was placed never shows";
  EXPECT_TRUE(telephony::Snapshot().calls.empty());
  EXPECT_EQ(lineClose(line), LINEERR_INVALLINEHANDLE);

  // A connected call owned by a closing line ends for its monitors.
  const HLINE again = Open(owner, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Cy", "5550111"), "");
  ASSERT_TRUE(Control::WaitIdle());
  const HCALL call = Drain(owner)[1].hDevice;
  ASSERT_GT(lineAnswer(call, nullptr, 0), 0);
  Elapse(200);
  Drain(monitor);
  ASSERT_EQ(lineClose(again), 0);
  Elapse(100);
  const auto end = Drain(monitor);
  ASSERT_FALSE(end.empty());
  EXPECT_EQ(end.back().dwParam1, LINECALLSTATE_IDLE);
  EXPECT_TRUE(FarEndSaw(FarEndEvent::Kind::Dropped));
}

TEST_F(CallFlow, ShutdownWithMessagesQueuedClosesTheEventAndWakesWaiters) {
  const std::size_t before = platform::LiveHandleCount();
  const App a = Initialize();
  Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  ASSERT_EQ(Control::Ring(kVoiceModem, "Dee", "5550222"), "");
  ASSERT_TRUE(Control::WaitIdle());
  ASSERT_EQ(WaitForSingleObject(a.event, 0), WAIT_OBJECT_0);

  DWORD waited = 0;
  LONG fetched = 0;
  std::thread eventWaiter([&] {
    // Waits past the queued messages: the event stays signalled while they wait.
    while ((waited = WaitForSingleObject(a.event, 5000)) == WAIT_OBJECT_0) std::this_thread::yield();
  });
  const App b = Initialize("waiter");
  std::thread messageWaiter([&] {
    LINEMESSAGE message{};
    fetched = lineGetMessage(b.app, &message, INFINITE);
  });
  ASSERT_EQ(lineShutdown(a.app), 0);
  ASSERT_EQ(lineShutdown(b.app), 0);
  eventWaiter.join();
  messageWaiter.join();
  EXPECT_EQ(waited, WAIT_FAILED);
  EXPECT_EQ(fetched, LINEERR_INVALAPPHANDLE);
  EXPECT_EQ(lineShutdown(a.app), LINEERR_INVALAPPHANDLE);
  LINEMESSAGE message{};
  EXPECT_EQ(lineGetMessage(a.app, &message, 0), LINEERR_INVALAPPHANDLE);
  Elapse(1500);  // the far end goes on reporting to nobody
  EXPECT_EQ(platform::LiveHandleCount(), before);
}

TEST_F(CallFlow, CallerGivesUpAfterItsRingsAndStatusMessagesFilterRinging) {
  const App a = Initialize();
  const HLINE line = Open(a, kVoiceModem, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE);
  EXPECT_EQ(lineSetStatusMessages(line, LINEDEVSTATE_RINGING, LINEADDRESSSTATE_INUSEONE), 0);
  ASSERT_EQ(Control::Ring(kVoiceModem, "", "", LINECALLPARTYID_BLOCKED, 2), "");
  Elapse(0);
  Elapse(6000);
  Elapse(6000);
  Elapse(50);
  std::vector<DWORD> ids;
  for (const auto& m : Drain(a)) ids.push_back(m.dwMessageID == LINE_CALLSTATE ? m.dwParam1 << 8 : m.dwMessageID);
  EXPECT_EQ(ids, (std::vector<DWORD>{LINE_APPNEWCALL, LINE_ADDRESSSTATE, LINECALLSTATE_OFFERING << 8,
                                     LINE_LINEDEVSTATE, LINE_CALLINFO, LINE_LINEDEVSTATE,
                                     LINECALLSTATE_DISCONNECTED << 8, LINECALLSTATE_IDLE << 8}));
}

}  // namespace
