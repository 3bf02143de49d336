#include "telephony/sim/current.h"

#include <mutex>

#include "platform/paths.h"

namespace telephony::sim {
namespace {

std::mutex& Mutex() {
  static std::mutex* mu = new std::mutex;
  return *mu;
}

SimProvider* current = nullptr;

}  // namespace

void SetCurrent(SimProvider* provider) {
  std::lock_guard lock(Mutex());
  current = provider;
}

void ClearCurrent(SimProvider* provider) {
  std::lock_guard lock(Mutex());
  if (current == provider) current = nullptr;
}

void WithCurrent(const std::function<void(SimProvider*)>& use) {
  std::lock_guard lock(Mutex());
  use(current);
}

std::string ControlSocketPath() { return platform::UserDataDir() + "/line.sock"; }

}  // namespace telephony::sim
