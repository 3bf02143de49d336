// The simulated line provider: the devices of a Config and a scripted far
// end that rings, answers, hangs up and listens, paced by a Scheduler.
//
// Everything the far end does runs as a task on the scheduler's worker; a
// task decides under the provider's lock and reports to the service after
// releasing it, so the service's lock and the provider's are never held in
// the opposite order.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "telephony/service/provider.h"
#include "telephony/sim/config.h"
#include "telephony/sim/far_end_log.h"
#include "telephony/sim/scheduler.h"

namespace telephony::sim {

// Whether a dialled number matches an outgoing rule's pattern: '*' any run
// of characters, '?' exactly one.
bool MatchesNumberPattern(const char* pattern, const char* text);

class ControlSocket;

class SimProvider : public LineProvider {
 public:
  explicit SimProvider(Config config, std::string configError = {});
  ~SimProvider() override;

  // LineProvider
  DWORD ServiceVersion() const override;
  std::vector<LineDeviceInfo> Devices() const override;
  void Start(LineEvents& events) override;
  void Stop() override;
  LONG Open(DWORD device, DWORD privileges, DWORD mediaModes) override;
  LONG MakeCall(DWORD device, CallKey call, DWORD requestId, const OutgoingCall& request) override;
  LONG Answer(CallKey call, DWORD requestId) override;
  LONG Drop(CallKey call, DWORD requestId) override;
  LONG GenerateTone(CallKey call, DWORD toneMode, DWORD durationMs) override;
  LONG CheckGetID(DWORD device, const std::string& deviceClass) override;
  LONG RequestMakeCall(const std::string& address, const std::string& appName, const std::string& calledParty,
                       const std::string& comment) override;

  // The far end, driven from outside. Empty text on success, else why not.
  std::string Ring(const IncomingCall& call);
  std::string HangUp(DWORD device);

  // Test levers.
  void SetRefusal(DWORD device, Op op, LONG code);  // synchronous refusal; 0 clears
  void SetReplyResult(DWORD device, Op op, LONG code);  // LINE_REPLY result; 0 clears
  void SetTimings(DWORD device, const Timings& timings);
  Scheduler& Clock() { return scheduler_; }
  FarEndLog& Log() { return log_; }
  const Config& GetConfig() const { return config_; }
  const std::string& ConfigError() const { return configError_; }
  std::string SocketProblem() const;

 private:
  enum class Phase { Ringing, Dialing, Connected, Disconnected };
  struct FarCall {
    CallKey key = 0;
    DWORD device = 0;
    bool incoming = false;
    Phase phase = Phase::Ringing;
    std::uint64_t epoch = 0;  // timers of an older phase find it changed and do nothing
    IncomingCall in;
    OutgoingRule rule;
    std::string number;
    CallDetails details;
    int rings = 0;
  };
  // Reports to the service, made after the lock is released.
  using Emits = std::vector<std::function<void(LineEvents&)>>;
  using Step = std::function<void(Emits&)>;

  // Schedules step to run under the lock, then its reports without it.
  void Later(double delayMs, Step step);
  FarCall* Find(CallKey key, std::uint64_t epoch);
  LONG Forced(const std::map<std::pair<DWORD, Op>, LONG>& table, DWORD device, Op op) const;
  const Timings& TimingsOf(DWORD device) const { return timings_[device]; }
  DWORD DeviceOf(CallKey key) const;

  std::string RingLocked(const IncomingCall& call);
  void Offer(FarCall& call, Emits& out);
  void RingOnce(CallKey key, std::uint64_t epoch, int count, Emits& out);
  void PlaceCall(CallKey key, DWORD requestId, Emits& out);
  void Progress(CallKey key, std::uint64_t epoch, DWORD state, Emits& out);
  void Ringback(CallKey key, std::uint64_t epoch, Emits& out);
  void Connect(FarCall& call, Emits& out);
  void Disconnect(FarCall& call, DWORD mode, Emits& out);
  void FarHangUp(FarCall& call, Emits& out);

  Config config_;
  std::string configError_;
  std::vector<Timings> timings_;
  Scheduler scheduler_;
  FarEndLog log_;
  LineEvents* events_ = nullptr;
  std::unique_ptr<ControlSocket> socket_;

  mutable std::mutex mu_;
  std::map<CallKey, FarCall> calls_;
  std::map<std::pair<DWORD, Op>, LONG> refusals_;
  std::map<std::pair<DWORD, Op>, LONG> replies_;
};

}  // namespace telephony::sim
