// Driving the simulated lines while the bench runs (the console face, the
// control socket behind telmora-line) and from tests.
//
// Every function starts the line service first when it does not run yet.
// Functions returning std::string return "" on success, else the reason.
// None may be called from inside a LineEvents report.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "telephony/sim/config.h"
#include "telephony/sim/far_end_log.h"

namespace telephony::sim {

// While one exists on a thread, Control's functions on that thread work on
// the running simulated provider only and never start the service: a
// command that reaches the control socket while the bench shuts down must
// not bring the service back up behind it.
class NoServiceStart {
 public:
  NoServiceStart();
  ~NoServiceStart();
  NoServiceStart(const NoServiceStart&) = delete;
  NoServiceStart& operator=(const NoServiceStart&) = delete;
};

class Control {
 public:
  // An incoming call with the given caller identity on a device. flags adds
  // LINECALLPARTYID_ flags (blocked, outofarea, unknown, unavail); rings 0
  // rings until answered or hung up.
  static std::string Ring(DWORD device, const std::string& name, const std::string& number, DWORD flags = 0,
                          int rings = 0);
  static std::string Ring(const IncomingCall& call);
  // The far end hangs up the device's call.
  static std::string HangUp(DWORD device);

  // Devices, open lines, calls and the far end's recent events, as text.
  static std::string Status();
  // Why the device file was not used ("" when it was, or when there is none).
  static std::string ConfigError();
  static std::vector<FarEndEvent> FarEnd();
  static void ClearFarEnd();

  // For tests: resets the service and runs a simulated provider with config.
  static void Install(const Config& config);
  // Resets the service; the next use starts from the device file again.
  static void Reset();
  static void SetRefusal(DWORD device, Op op, LONG code);      // returned at once; 0 clears
  static void SetReplyResult(DWORD device, Op op, LONG code);  // in the LINE_REPLY; 0 clears
  static void SetTimings(DWORD device, const Timings& timings);
  static void SetTimeScale(double timeScale);
  static void SetManualClock(bool manual);
  static void Advance(double ms);
  // Until the far end has nothing due (its reports are then queued).
  static bool WaitIdle(std::chrono::milliseconds bound = std::chrono::seconds(5));
};

}  // namespace telephony::sim
