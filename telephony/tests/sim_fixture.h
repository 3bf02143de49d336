// Shared pieces of the telephony tests: a service on the default devices
// with a manual clock, registrations, and message waits with a bound.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/kernel.h"
#include "telephony/service/control.h"
#include "telephony/sim/control.h"
#include "telephony/tapi.h"

namespace teltest {

using telephony::sim::Control;

constexpr DWORD kVoiceModem = 0;
constexpr DWORD kLegacyModem = 1;

// The embedded default devices on a clock that moves only when told.
inline telephony::sim::Config ManualConfig() {
  telephony::sim::Config config = telephony::sim::DefaultConfig();
  config.manualClock = true;
  config.controlSocket = false;
  return config;
}

struct App {
  HLINEAPP app = 0;
  HANDLE event = 0;
  DWORD devices = 0;
  DWORD version = 0;
};

inline App Initialize(const char* name = "test") {
  App a;
  LINEINITIALIZEEXPARAMS params{};
  params.dwTotalSize = sizeof params;
  params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
  a.version = TAPI_VERSION2_0;
  EXPECT_EQ(lineInitializeEx(&a.app, 0, nullptr, name, &a.devices, &a.version, &params), 0);
  a.event = params.hEvent;
  return a;
}

inline HLINE Open(const App& a, DWORD device, DWORD privileges, DWORD media, DWORD version = TAPI_VERSION2_0) {
  HLINE line = 0;
  EXPECT_EQ(lineOpen(a.app, device, &line, version, 0, 0, privileges, media, nullptr), 0);
  return line;
}

// The next message, waiting on the registration's event as a message thread
// does; a zero dwMessageID of 0xFFFFFFFF means none came within the bound.
inline LINEMESSAGE Next(const App& a, DWORD boundMs = 2000) {
  LINEMESSAGE message{0, 0xFFFFFFFF, 0, 0, 0, 0};
  if (WaitForSingleObject(a.event, boundMs) != WAIT_OBJECT_0) return message;
  EXPECT_EQ(lineGetMessage(a.app, &message, 0), 0);
  return message;
}

// Everything queued right now.
inline std::vector<LINEMESSAGE> Drain(const App& a) {
  std::vector<LINEMESSAGE> messages;
  LINEMESSAGE message{};
  while (lineGetMessage(a.app, &message, 0) == 0) messages.push_back(message);
  return messages;
}

// Lets the manual clock run ms further and waits until the far end has
// reported everything due.
inline void Elapse(double ms) {
  Control::Advance(ms);
  ASSERT_TRUE(Control::WaitIdle());
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Control::Install(ManualConfig());
    Control::WaitIdle();
  }
  void TearDown() override { Control::Reset(); }
};

}  // namespace teltest
