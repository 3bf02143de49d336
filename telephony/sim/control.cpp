#include "telephony/sim/control.h"

#include <cstdio>
#include <sstream>

#include "telephony/service/control.h"
#include "telephony/sim/current.h"
#include "telephony/sim/names.h"
#include "telephony/sim/sim_provider.h"

namespace telephony::sim {
namespace {

constexpr const char* kNotSimulated = "the line service does not run simulated lines";

thread_local int t_noStart = 0;

void StartUnlessServingTheSocket() {
  if (t_noStart == 0) EnsureServiceStarted();
}

// Runs use on the current simulated provider, starting the service first.
template <typename Use>
bool OnSim(Use use) {
  StartUnlessServingTheSocket();
  bool found = false;
  WithCurrent([&](SimProvider* sim) {
    if (!sim) return;
    found = true;
    use(*sim);
  });
  return found;
}

std::string Version(DWORD version) {
  return std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF);
}

std::string StateName(DWORD state) {
  const std::string name = NamesOf(CallStateNames(), state);
  return name.empty() ? "none" : name;
}

}  // namespace

NoServiceStart::NoServiceStart() { ++t_noStart; }
NoServiceStart::~NoServiceStart() { --t_noStart; }

std::string Control::Ring(DWORD device, const std::string& name, const std::string& number, DWORD flags, int rings) {
  IncomingCall call;
  call.device = device;
  call.name = name;
  call.number = number;
  call.flags = flags;
  call.rings = rings;
  return Ring(call);
}

std::string Control::Ring(const IncomingCall& call) {
  std::string error = kNotSimulated;
  OnSim([&](SimProvider& sim) { error = sim.Ring(call); });
  return error;
}

std::string Control::HangUp(DWORD device) {
  std::string error = kNotSimulated;
  OnSim([&](SimProvider& sim) { error = sim.HangUp(device); });
  return error;
}

std::string Control::ConfigError() {
  std::string error;
  OnSim([&](SimProvider& sim) { error = sim.ConfigError(); });
  return error;
}

std::vector<FarEndEvent> Control::FarEnd() {
  std::vector<FarEndEvent> events;
  OnSim([&](SimProvider& sim) { events = sim.Log().Events(); });
  return events;
}

void Control::ClearFarEnd() {
  OnSim([](SimProvider& sim) { sim.Log().Clear(); });
}

std::string Control::Status() {
  StartUnlessServingTheSocket();
  const ServiceSnapshot snap = Snapshot();
  std::ostringstream out;
  out << "line service: " << (snap.running ? "running" : "stopped") << ", version " << Version(snap.version) << ", "
      << snap.devices.size() << " device(s), " << snap.registrations.size() << " registration(s), "
      << snap.queuedMessages << " message(s) queued\n";
  for (std::size_t id = 0; id < snap.devices.size(); ++id) {
    out << "device " << id << ": " << snap.devices[id] << '\n';
    for (const LineSnapshot& line : snap.lines) {
      if (line.device != id) continue;
      out << "  line " << line.line << " of registration " << line.app << ": "
          << NamesOf(PrivilegeNames(), line.privileges) << ", media "
          << (line.mediaModes ? NamesOf(MediaModeNames(), line.mediaModes) : "-") << ", version "
          << Version(line.version) << '\n';
    }
    for (const CallSnapshot& call : snap.calls) {
      if (call.device != id) continue;
      out << "  call " << call.callId << " (" << (call.outgoing ? "outgoing" : "incoming")
          << "): " << StateName(call.state);
      const PartyId& other = call.outgoing ? call.details.called : call.details.caller;
      if (!other.name.empty()) out << ", \"" << other.name << '"';
      if (!other.number.empty()) out << ", " << other.number;
      out << ", " << call.handles.size() << " handle(s)\n";
    }
  }
  OnSim([&](SimProvider& sim) {
    if (!sim.ConfigError().empty()) out << "device file not used: " << sim.ConfigError() << '\n';
    if (!sim.SocketProblem().empty()) out << "control socket: " << sim.SocketProblem() << '\n';
    const auto events = sim.Log().Events();
    if (!events.empty()) out << "far end:\n";
    const std::size_t from = events.size() > 20 ? events.size() - 20 : 0;
    for (std::size_t i = from; i < events.size(); ++i) {
      char when[32];
      std::snprintf(when, sizeof when, "%10.1fs", events[i].atMs / 1000.0);
      out << "  " << when << " device " << events[i].device << ' ' << KindName(events[i].kind);
      if (!events[i].detail.empty()) out << ' ' << events[i].detail;
      out << '\n';
    }
  });
  return out.str();
}

void Control::Install(const Config& config) { InstallProvider(std::make_unique<SimProvider>(config)); }

void Control::Reset() { ResetService(); }

void Control::SetRefusal(DWORD device, Op op, LONG code) {
  OnSim([&](SimProvider& sim) { sim.SetRefusal(device, op, code); });
}

void Control::SetReplyResult(DWORD device, Op op, LONG code) {
  OnSim([&](SimProvider& sim) { sim.SetReplyResult(device, op, code); });
}

void Control::SetTimings(DWORD device, const Timings& timings) {
  OnSim([&](SimProvider& sim) { sim.SetTimings(device, timings); });
}

void Control::SetTimeScale(double timeScale) {
  OnSim([&](SimProvider& sim) { sim.Clock().SetTimeScale(timeScale); });
}

void Control::SetManualClock(bool manual) {
  OnSim([&](SimProvider& sim) { sim.Clock().SetManualClock(manual); });
}

void Control::Advance(double ms) {
  OnSim([&](SimProvider& sim) { sim.Clock().Advance(ms); });
}

bool Control::WaitIdle(std::chrono::milliseconds bound) {
  bool idle = true;
  OnSim([&](SimProvider& sim) { idle = sim.Clock().WaitIdle(bound); });
  return idle;
}

}  // namespace telephony::sim
