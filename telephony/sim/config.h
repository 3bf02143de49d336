// Configuration of the simulated line devices: what the device file
// (platform::UserDataDir() + "/devices.toml") describes, or the embedded
// default when there is none. The file's format is documented in
// telephony/sim/README.md and by the embedded default (DefaultConfigText).
#pragma once

#include <string>
#include <vector>

#include "telephony/service/provider.h"

namespace telephony::sim {

// How the far end answers an outgoing call whose number matches pattern
// ('*' any run of characters, '?' one character). The first match wins.
struct OutgoingRule {
  enum class Outcome { Answer, Busy, NoAnswer, Unreachable, Reject };
  std::string pattern = "*";
  Outcome outcome = Outcome::Answer;
  int rings = 2;           // rings of ringback before the far end answers
  int hangupAfterMs = 0;   // far end hangs up this long after answering; 0 never
};

// An incoming call: from a scripted entry of the file, the control API or
// the control socket.
struct IncomingCall {
  DWORD device = 0;
  std::string name;        // caller's name; empty: none sent
  std::string number;      // caller's number; empty: none sent
  DWORD flags = 0;         // more LINECALLPARTYID_ flags (blocked, outofarea, unknown, unavail)
  int rings = 0;           // rings before the caller gives up; 0 rings until answered or hung up
  int hangupAfterMs = 0;   // caller hangs up this long after the answer; 0 never
  std::string calledName;  // the called identity; when set it is reported separately
  std::string calledNumber;
  DWORD mediaMode = 0;     // 0: the device's incoming media mode
  int afterMs = 0;         // scripted calls: delay after the provider starts
};

// Pacing of the far end, in bench milliseconds (see Config::timeScale).
struct Timings {
  int ringIntervalMs = 6000;      // ring cadence of an incoming call
  int callerIdMs = 1500;          // caller identity arrives this long after the first ring
  int answerMs = 200;             // lineAnswer until connected
  int dropMs = 100;               // lineDrop until idle
  int replyMs = 50;               // lineMakeCall until its reply and dial tone
  int dialToneMs = 300;           // dial tone until dialling
  int dialingMs = 1200;           // dialling until proceeding
  int proceedingMs = 500;         // proceeding until ringback
  int ringbackIntervalMs = 4000;  // one ring heard at the far end
  int busyMs = 2000;              // busy tone until the call is disconnected
  int noAnswerRings = 6;          // unanswered rings before giving up
  int idleMs = 50;                // disconnected until idle
  int toneMs = 250;               // a tone of default length
};

// lineOpen refusal: an open whose privileges share a bit with privileges
// (0: any) and whose media modes share a bit with mediaModes (0: any) is
// refused with code.
struct OpenRefusal {
  DWORD privileges = 0;
  DWORD mediaModes = 0;
  LONG code = LINEERR_INVALMEDIAMODE;
};

struct DeviceConfig {
  LineDeviceInfo info;
  DWORD incomingMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
  Timings timings;
  std::vector<OpenRefusal> openRefusals;
  std::vector<OutgoingRule> outgoing;  // an empty list answers every number
  std::vector<IncomingCall> incoming;  // scripted calls
};

// Operations whose outcome a test may force.
enum class Op { Open, MakeCall, Answer, Drop, GenerateTone, GetID, RequestMakeCall };

// Beyond this a bench millisecond lasts longer than the clock's waits can
// express.
constexpr double kMaxTimeScale = 1000000.0;

struct Config {
  DWORD serviceVersion = TAPI_VERSION2_2;
  double timeScale = 1.0;     // real time per bench time: 0.01 runs 100 times faster
  bool manualClock = false;   // time moves only with Control::Advance
  bool controlSocket = true;  // listen on platform::UserDataDir() + "/line.sock"
  std::vector<DeviceConfig> devices;
};

struct LoadResult {
  Config config;
  std::string error;  // "<file>:<line>: <field>: <problem>", empty when fine
  bool fromFile = false;
};

// The device file's path.
std::string DeviceFilePath();
// The embedded default, as the text of a device file.
const char* DefaultConfigText();
Config DefaultConfig();
// Parses a device file's text; on any error returns the embedded default and
// the error text. sourceName names the file in error texts.
LoadResult ParseConfig(const std::string& text, const std::string& sourceName);
// Loads the file at path: no file gives the embedded default without error.
LoadResult LoadConfigFile(const std::string& path);

}  // namespace telephony::sim
