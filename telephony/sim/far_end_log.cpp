#include "telephony/sim/far_end_log.h"

namespace telephony::sim {

const char* KindName(FarEndEvent::Kind kind) {
  switch (kind) {
    case FarEndEvent::Kind::Offered: return "offered";
    case FarEndEvent::Kind::OffHook: return "off-hook";
    case FarEndEvent::Kind::Dialled: return "dialled";
    case FarEndEvent::Kind::Answered: return "answered";
    case FarEndEvent::Kind::FarAnswered: return "far-end-answered";
    case FarEndEvent::Kind::Busy: return "busy";
    case FarEndEvent::Kind::NoAnswer: return "no-answer";
    case FarEndEvent::Kind::Unreachable: return "unreachable";
    case FarEndEvent::Kind::Rejected: return "rejected";
    case FarEndEvent::Kind::Dropped: return "dropped";
    case FarEndEvent::Kind::FarHungUp: return "far-end-hung-up";
    case FarEndEvent::Kind::Tone: return "tone";
    case FarEndEvent::Kind::Assisted: return "assisted-request";
  }
  return "?";
}

void FarEndLog::Add(double atMs, DWORD device, FarEndEvent::Kind kind, std::string detail) {
  std::lock_guard lock(mu_);
  events_.push_back(FarEndEvent{atMs, device, kind, std::move(detail)});
  // A bench left running for days keeps only the recent past.
  if (events_.size() > 10000) events_.erase(events_.begin(), events_.begin() + 5000);
}

std::vector<FarEndEvent> FarEndLog::Events() const {
  std::lock_guard lock(mu_);
  return events_;
}

void FarEndLog::Clear() {
  std::lock_guard lock(mu_);
  events_.clear();
}

}  // namespace telephony::sim
