// What reached the far end of the simulated lines: numbers dialled,
// answers, drops, tones, assisted requests, and what the far end did.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/windef.h"

namespace telephony::sim {

struct FarEndEvent {
  enum class Kind {
    Offered,      // an incoming call started ringing; detail: caller's number
    OffHook,      // a call went off hook without a number
    Dialled,      // detail: the number
    Answered,     // the line answered an incoming call
    FarAnswered,  // the far end answered an outgoing call
    Busy,
    NoAnswer,
    Unreachable,
    Rejected,
    Dropped,      // the line hung up
    FarHungUp,    // the far end hung up
    Tone,         // detail: the tone mode's name and length
    Assisted,     // tapiRequestMakeCall; detail: number, app, party, comment
  };
  double atMs = 0;
  DWORD device = 0;
  Kind kind = Kind::Offered;
  std::string detail;
};

const char* KindName(FarEndEvent::Kind kind);

class FarEndLog {
 public:
  void Add(double atMs, DWORD device, FarEndEvent::Kind kind, std::string detail = {});
  std::vector<FarEndEvent> Events() const;
  void Clear();

 private:
  mutable std::mutex mu_;
  std::vector<FarEndEvent> events_;
};

}  // namespace telephony::sim
