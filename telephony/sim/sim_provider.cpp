#include "telephony/sim/sim_provider.h"

#include "platform/kernel.h"
#include "telephony/sim/control_socket.h"
#include "telephony/sim/current.h"
#include "telephony/sim/names.h"

namespace telephony::sim {

// Linear in the lengths: it runs with the service's lock held, so a pattern of many '*'
// and a long number must not make every line call wait.
bool MatchesNumberPattern(const char* pattern, const char* text) {
  const char* star = nullptr;  // the last '*' seen, and where its run began
  const char* resume = nullptr;
  while (*text) {
    if (*pattern == '*') {
      star = pattern++;
      resume = text;
    } else if (*pattern == '?' || *pattern == *text) {
      ++pattern;
      ++text;
    } else if (star) {
      pattern = star + 1;
      text = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

SimProvider::SimProvider(Config config, std::string configError)
    : config_(std::move(config)),
      configError_(std::move(configError)),
      scheduler_(config_.timeScale, config_.manualClock) {
  for (const auto& device : config_.devices) timings_.push_back(device.timings);
}

SimProvider::~SimProvider() { Stop(); }

DWORD SimProvider::ServiceVersion() const { return config_.serviceVersion; }

std::vector<LineDeviceInfo> SimProvider::Devices() const {
  std::vector<LineDeviceInfo> devices;
  for (const auto& device : config_.devices) devices.push_back(device.info);
  return devices;
}

void SimProvider::Start(LineEvents& events) {
  events_ = &events;
  scheduler_.Start();
  {
    std::lock_guard lock(mu_);
    for (const auto& device : config_.devices) {
      for (const IncomingCall& call : device.incoming) {
        Later(call.afterMs, [this, call](Emits&) { RingLocked(call); });
      }
    }
  }
  if (config_.controlSocket) {
    socket_ = std::make_unique<ControlSocket>(ControlSocketPath());
    socket_->Start();
  }
  SetCurrent(this);
}

void SimProvider::Stop() {
  ClearCurrent(this);
  if (socket_) socket_->Stop();
  scheduler_.Stop();
}

std::string SimProvider::SocketProblem() const { return socket_ ? socket_->Problem() : std::string(); }

void SimProvider::Later(double delayMs, Step step) {
  scheduler_.After(delayMs, [this, step = std::move(step)] {
    Emits out;
    {
      std::lock_guard lock(mu_);
      step(out);
    }
    for (auto& emit : out) emit(*events_);
  });
}

SimProvider::FarCall* SimProvider::Find(CallKey key, std::uint64_t epoch) {
  auto it = calls_.find(key);
  return it != calls_.end() && it->second.epoch == epoch ? &it->second : nullptr;
}

LONG SimProvider::Forced(const std::map<std::pair<DWORD, Op>, LONG>& table, DWORD device, Op op) const {
  auto it = table.find({device, op});
  return it == table.end() ? 0 : it->second;
}

DWORD SimProvider::DeviceOf(CallKey key) const {
  auto it = calls_.find(key);
  return it == calls_.end() ? 0 : it->second.device;
}

LONG SimProvider::Open(DWORD device, DWORD privileges, DWORD mediaModes) {
  std::lock_guard lock(mu_);
  if (LONG forced = Forced(refusals_, device, Op::Open)) return forced;
  for (const OpenRefusal& rule : config_.devices.at(device).openRefusals) {
    if ((rule.privileges == 0 || (privileges & rule.privileges)) &&
        (rule.mediaModes == 0 || (mediaModes & rule.mediaModes)))
      return rule.code;
  }
  return 0;
}

// Incoming calls.

std::string SimProvider::Ring(const IncomingCall& call) {
  std::lock_guard lock(mu_);
  return RingLocked(call);
}

std::string SimProvider::RingLocked(const IncomingCall& spec) {
  if (spec.device >= config_.devices.size()) return "no device " + std::to_string(spec.device);
  for (const auto& [key, call] : calls_) {
    if (call.device == spec.device) return "device " + std::to_string(spec.device) + " already has a call";
  }
  FarCall call;
  call.key = events_->NewCallKey();
  call.device = spec.device;
  call.incoming = true;
  call.phase = Phase::Ringing;
  call.in = spec;
  const CallKey key = call.key;
  calls_.emplace(key, std::move(call));
  Later(0, [this, key](Emits& out) {
    if (FarCall* c = Find(key, 0)) Offer(*c, out);
  });
  return {};
}

void SimProvider::Offer(FarCall& call, Emits& out) {
  const DeviceConfig& device = config_.devices[call.device];
  CallDetails& d = call.details;
  d.mediaMode = call.in.mediaMode ? call.in.mediaMode : device.incomingMediaMode;
  d.bearerMode = d.mediaMode == LINEMEDIAMODE_DATAMODEM ? LINEBEARERMODE_PASSTHROUGH : LINEBEARERMODE_VOICE;
  d.rate = d.mediaMode == LINEMEDIAMODE_DATAMODEM ? device.info.maxRate : 0;
  d.origin = LINECALLORIGIN_EXTERNAL;
  d.caller = PartyId{};
  const bool calledLater = !call.in.calledName.empty() || !call.in.calledNumber.empty();
  if (!calledLater && !device.info.address.empty()) d.called = PartyId{LINECALLPARTYID_ADDRESS, "", device.info.address};
  log_.Add(scheduler_.Now(), call.device, FarEndEvent::Kind::Offered, call.in.number);
  const CallKey key = call.key;
  const DWORD id = call.device;
  const CallDetails details = d;
  out.push_back([=](LineEvents& e) { e.CallArrived(key, id, details); });
  out.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE); });
  RingOnce(key, call.epoch, 1, out);
}

void SimProvider::RingOnce(CallKey key, std::uint64_t epoch, int count, Emits& out) {
  FarCall* call = Find(key, epoch);
  if (!call || call->phase != Phase::Ringing) return;
  const Timings& t = TimingsOf(call->device);
  if (call->in.rings > 0 && count > call->in.rings) {
    log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::FarHungUp,
             "gave up after " + std::to_string(call->in.rings) + " rings");
    Disconnect(*call, LINEDISCONNECTMODE_NORMAL, out);
    return;
  }
  call->rings = count;
  const DWORD device = call->device;
  out.push_back([=](LineEvents& e) { e.LineDeviceState(device, LINEDEVSTATE_RINGING, 1, count); });
  if (count == 1) {
    Later(t.callerIdMs, [this, key](Emits& o) {
      auto it = calls_.find(key);
      if (it == calls_.end() || it->second.phase == Phase::Disconnected) return;
      FarCall& c = it->second;
      DWORD flags = c.in.flags;
      if (!c.in.name.empty()) flags |= LINECALLPARTYID_NAME;
      if (!c.in.number.empty()) flags |= LINECALLPARTYID_ADDRESS;
      c.details.caller = PartyId{flags ? flags : LINECALLPARTYID_UNAVAIL, c.in.name, c.in.number};
      const CallDetails withCaller = c.details;
      o.push_back([=](LineEvents& e) { e.CallInfo(key, LINECALLINFOSTATE_CALLERID, withCaller); });
      if (!c.in.calledName.empty() || !c.in.calledNumber.empty()) {
        DWORD called = 0;
        if (!c.in.calledName.empty()) called |= LINECALLPARTYID_NAME;
        if (!c.in.calledNumber.empty()) called |= LINECALLPARTYID_ADDRESS;
        c.details.called = PartyId{called, c.in.calledName, c.in.calledNumber};
        const CallDetails withCalled = c.details;
        o.push_back([=](LineEvents& e) { e.CallInfo(key, LINECALLINFOSTATE_CALLEDID, withCalled); });
      }
    });
  }
  Later(t.ringIntervalMs, [this, key, epoch, count](Emits& o) { RingOnce(key, epoch, count + 1, o); });
}

LONG SimProvider::Answer(CallKey key, DWORD requestId) {
  std::lock_guard lock(mu_);
  const DWORD device = DeviceOf(key);
  if (LONG forced = Forced(refusals_, device, Op::Answer)) return forced;
  auto it = calls_.find(key);
  if (it == calls_.end() || !it->second.incoming || it->second.phase != Phase::Ringing) return LINEERR_INVALCALLSTATE;
  const std::uint64_t epoch = it->second.epoch;
  Later(TimingsOf(device).answerMs, [this, key, epoch, device, requestId](Emits& out) {
    const LONG forced = Forced(replies_, device, Op::Answer);
    FarCall* call = Find(key, epoch);
    if (forced || !call || call->phase != Phase::Ringing) {
      const LONG result = forced ? forced : LINEERR_INVALCALLSTATE;
      out.push_back([=](LineEvents& e) { e.RequestDone(requestId, result); });
      return;
    }
    log_.Add(scheduler_.Now(), device, FarEndEvent::Kind::Answered);
    out.push_back([=](LineEvents& e) { e.RequestDone(requestId, 0); });
    Connect(*call, out);
  });
  return 0;
}

// Outgoing calls.

LONG SimProvider::MakeCall(DWORD device, CallKey key, DWORD requestId, const OutgoingCall& request) {
  std::lock_guard lock(mu_);
  if (LONG forced = Forced(refusals_, device, Op::MakeCall)) return forced;
  FarCall call;
  call.key = key;
  call.device = device;
  call.incoming = false;
  call.phase = Phase::Dialing;
  call.number = request.address;
  for (const OutgoingRule& rule : config_.devices[device].outgoing) {
    if (MatchesNumberPattern(rule.pattern.c_str(), request.address.c_str())) {
      call.rule = rule;
      break;
    }
  }
  calls_.emplace(key, std::move(call));
  Later(TimingsOf(device).replyMs, [this, key, requestId](Emits& out) { PlaceCall(key, requestId, out); });
  return 0;
}

void SimProvider::PlaceCall(CallKey key, DWORD requestId, Emits& out) {
  auto it = calls_.find(key);
  if (it == calls_.end()) {
    out.push_back([=](LineEvents& e) { e.RequestDone(requestId, LINEERR_OPERATIONFAILED); });
    return;
  }
  FarCall& call = it->second;
  if (const LONG forced = Forced(replies_, call.device, Op::MakeCall)) {
    calls_.erase(it);
    out.push_back([=](LineEvents& e) { e.RequestDone(requestId, forced); });
    return;
  }
  out.push_back([=](LineEvents& e) { e.RequestDone(requestId, 0); });
  out.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL); });
  if (call.number.empty()) {
    log_.Add(scheduler_.Now(), call.device, FarEndEvent::Kind::OffHook);
    return;  // no digits: the line stays at dial tone until dropped
  }
  Later(TimingsOf(call.device).dialToneMs,
        [this, key, epoch = call.epoch](Emits& o) { Progress(key, epoch, LINECALLSTATE_DIALING, o); });
}

void SimProvider::Progress(CallKey key, std::uint64_t epoch, DWORD state, Emits& out) {
  FarCall* call = Find(key, epoch);
  if (!call) return;
  const Timings& t = TimingsOf(call->device);
  auto report = [&](DWORD s, DWORD mode) { out.push_back([=](LineEvents& e) { e.CallState(key, s, mode); }); };
  if (state == LINECALLSTATE_DIALING) {
    log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::Dialled, call->number);
    report(LINECALLSTATE_DIALING, 0);
    Later(t.dialingMs, [this, key, epoch](Emits& o) { Progress(key, epoch, LINECALLSTATE_PROCEEDING, o); });
    return;
  }
  if (state == LINECALLSTATE_PROCEEDING) {
    report(LINECALLSTATE_PROCEEDING, 0);
    Later(t.proceedingMs, [this, key, epoch](Emits& o) { Progress(key, epoch, LINECALLSTATE_RINGBACK, o); });
    return;
  }
  // The far end's verdict on the number.
  switch (call->rule.outcome) {
    case OutgoingRule::Outcome::Answer:
    case OutgoingRule::Outcome::NoAnswer:
      report(LINECALLSTATE_RINGBACK, 0);
      if (call->rule.outcome == OutgoingRule::Outcome::Answer && call->rule.rings == 0) {
        log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::FarAnswered, call->number);
        Connect(*call, out);
      } else {
        Later(t.ringbackIntervalMs, [this, key, epoch](Emits& o) { Ringback(key, epoch, o); });
      }
      break;
    case OutgoingRule::Outcome::Busy: {
      log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::Busy, call->number);
      report(LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
      const std::uint64_t busyEpoch = ++call->epoch;
      Later(t.busyMs, [this, key, busyEpoch](Emits& o) {
        if (FarCall* c = Find(key, busyEpoch)) Disconnect(*c, LINEDISCONNECTMODE_BUSY, o);
      });
      break;
    }
    case OutgoingRule::Outcome::Unreachable:
      log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::Unreachable, call->number);
      Disconnect(*call, LINEDISCONNECTMODE_UNREACHABLE, out);
      break;
    case OutgoingRule::Outcome::Reject:
      log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::Rejected, call->number);
      Disconnect(*call, LINEDISCONNECTMODE_REJECT, out);
      break;
  }
}

void SimProvider::Ringback(CallKey key, std::uint64_t epoch, Emits& out) {
  FarCall* call = Find(key, epoch);
  if (!call) return;
  ++call->rings;
  if (call->rule.outcome == OutgoingRule::Outcome::Answer && call->rings >= call->rule.rings) {
    log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::FarAnswered, call->number);
    Connect(*call, out);
  } else if (call->rule.outcome == OutgoingRule::Outcome::NoAnswer &&
             call->rings >= TimingsOf(call->device).noAnswerRings) {
    log_.Add(scheduler_.Now(), call->device, FarEndEvent::Kind::NoAnswer, call->number);
    Disconnect(*call, LINEDISCONNECTMODE_NOANSWER, out);
  } else {
    Later(TimingsOf(call->device).ringbackIntervalMs, [this, key, epoch](Emits& o) { Ringback(key, epoch, o); });
  }
}

// Common call ends.

void SimProvider::Connect(FarCall& call, Emits& out) {
  call.phase = Phase::Connected;
  const std::uint64_t epoch = ++call.epoch;
  const CallKey key = call.key;
  out.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE); });
  const int hangupAfter = call.incoming ? call.in.hangupAfterMs : call.rule.hangupAfterMs;
  if (hangupAfter > 0) {
    Later(hangupAfter, [this, key, epoch](Emits& o) {
      if (FarCall* c = Find(key, epoch)) FarHangUp(*c, o);
    });
  }
}

void SimProvider::Disconnect(FarCall& call, DWORD mode, Emits& out) {
  call.phase = Phase::Disconnected;
  const std::uint64_t epoch = ++call.epoch;
  const CallKey key = call.key;
  out.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_DISCONNECTED, mode); });
  Later(TimingsOf(call.device).idleMs, [this, key, epoch](Emits& o) {
    if (!Find(key, epoch)) return;
    calls_.erase(key);
    o.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_IDLE, 0); });
  });
}

void SimProvider::FarHangUp(FarCall& call, Emits& out) {
  log_.Add(scheduler_.Now(), call.device, FarEndEvent::Kind::FarHungUp, call.incoming ? call.in.number : call.number);
  Disconnect(call, LINEDISCONNECTMODE_NORMAL, out);
}

std::string SimProvider::HangUp(DWORD device) {
  std::lock_guard lock(mu_);
  if (device >= config_.devices.size()) return "no device " + std::to_string(device);
  for (auto& [key, call] : calls_) {
    if (call.device != device || call.phase == Phase::Disconnected) continue;
    Later(0, [this, key = key, epoch = call.epoch](Emits& out) {
      if (FarCall* c = Find(key, epoch)) FarHangUp(*c, out);
    });
    return {};
  }
  return "no call on device " + std::to_string(device);
}

LONG SimProvider::Drop(CallKey key, DWORD requestId) {
  std::lock_guard lock(mu_);
  const DWORD device = DeviceOf(key);
  if (requestId) {
    if (LONG forced = Forced(refusals_, device, Op::Drop)) return forced;
  }
  Later(TimingsOf(device).dropMs, [this, key, device, requestId](Emits& out) {
    const LONG forced = requestId ? Forced(replies_, device, Op::Drop) : 0;
    if (forced) {
      out.push_back([=](LineEvents& e) { e.RequestDone(requestId, forced); });
      return;
    }
    if (calls_.erase(key)) log_.Add(scheduler_.Now(), device, FarEndEvent::Kind::Dropped);
    if (requestId) out.push_back([=](LineEvents& e) { e.RequestDone(requestId, 0); });
    out.push_back([=](LineEvents& e) { e.CallState(key, LINECALLSTATE_IDLE, 0); });
  });
  return 0;
}

LONG SimProvider::GenerateTone(CallKey key, DWORD toneMode, DWORD durationMs) {
  std::lock_guard lock(mu_);
  const DWORD device = DeviceOf(key);
  if (LONG forced = Forced(refusals_, device, Op::GenerateTone)) return forced;
  const double length = durationMs ? durationMs : TimingsOf(device).toneMs;
  log_.Add(scheduler_.Now(), device, FarEndEvent::Kind::Tone,
           NamesOf(ToneModeNames(), toneMode) + " " + std::to_string(static_cast<long>(length)) + "ms");
  Later(length, [key](Emits& out) {
    out.push_back([=](LineEvents& e) { e.CallMessage(key, LINE_GENERATE, LINEGENERATETERM_DONE, GetTickCount(), 0); });
  });
  return 0;
}

LONG SimProvider::CheckGetID(DWORD device, const std::string&) {
  std::lock_guard lock(mu_);
  return Forced(refusals_, device, Op::GetID);
}

LONG SimProvider::RequestMakeCall(const std::string& address, const std::string& appName,
                                  const std::string& calledParty, const std::string& comment) {
  std::lock_guard lock(mu_);
  if (LONG forced = Forced(refusals_, 0, Op::RequestMakeCall)) return forced;
  log_.Add(scheduler_.Now(), 0, FarEndEvent::Kind::Assisted,
           address + "; app=" + appName + "; party=" + calledParty + "; comment=" + comment);
  return 0;
}

// Test levers.

void SimProvider::SetRefusal(DWORD device, Op op, LONG code) {
  std::lock_guard lock(mu_);
  if (code) {
    refusals_[{device, op}] = code;
  } else {
    refusals_.erase({device, op});
  }
}

void SimProvider::SetReplyResult(DWORD device, Op op, LONG code) {
  std::lock_guard lock(mu_);
  if (code) {
    replies_[{device, op}] = code;
  } else {
    replies_.erase({device, op});
  }
}

void SimProvider::SetTimings(DWORD device, const Timings& timings) {
  std::lock_guard lock(mu_);
  if (device < timings_.size()) timings_[device] = timings;
}

}  // namespace telephony::sim
