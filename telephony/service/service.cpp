#include "telephony/service/service.h"

#include <atomic>
#include <cstdlib>

#include "platform/kernel.h"
#include "telephony/service/control.h"

namespace telephony::service {
namespace {

// Forwards a provider's reports to the service, dropping those of a
// provider that has been replaced or stopped in the meantime.
class Sink : public LineEvents {
 public:
  Sink(Service& service, std::uint64_t generation) : s_(service), generation_(generation) {}

  CallKey NewCallKey() override { return Service::NewCallKey(); }
  void CallArrived(CallKey call, DWORD device, const CallDetails& details) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnCallArrived(call, device, details);
  }
  void CallState(CallKey call, DWORD state, DWORD mode) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnCallState(call, state, mode);
  }
  void CallInfo(CallKey call, DWORD infoStates, const CallDetails& details) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnCallInfo(call, infoStates, details);
  }
  void CallMessage(CallKey call, DWORD message, DWORD p1, DWORD p2, DWORD p3) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnCallMessage(call, message, p1, p2, p3);
  }
  void LineDeviceState(DWORD device, DWORD state, DWORD p2, DWORD p3) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnLineDeviceState(device, state, p2, p3);
  }
  void RequestDone(DWORD requestId, LONG result) override {
    std::lock_guard lock(s_.mu);
    if (Current()) s_.OnRequestDone(requestId, result);
  }

 private:
  bool Current() const { return s_.generation == generation_; }
  Service& s_;
  std::uint64_t generation_;
};

// Provider threads must not outlive the program's static objects. Waiting
// applications are not woken here: at exit nobody needs to hear about it.
void StopProviderAtExit() {
  Service& s = Service::Instance();
  std::unique_ptr<LineProvider> provider;
  std::unique_ptr<LineEvents> sink;
  {
    std::lock_guard lock(s.mu);
    ++s.generation;
    provider = std::move(s.provider);
    sink = std::move(s.sink);
  }
  if (provider) provider->Stop();
}

}  // namespace

Service& Service::Instance() {
  // Never destroyed: threads of the application may still call in at exit.
  static Service* service = [] {
    std::atexit(StopProviderAtExit);
    return new Service;
  }();
  return *service;
}

void Service::EnsureStarted() {
  if (!provider) Attach(CreateDefaultProvider());
}

void Service::Attach(std::unique_ptr<LineProvider> next) {
  provider = std::move(next);
  ++generation;
  sink = std::make_unique<Sink>(*this, generation);
  version = provider->ServiceVersion();
  devices = provider->Devices();
  provider->Start(*sink);
}

Service::Detached Service::Detach() {
  for (auto& [handle, reg] : registrations) CloseHandle(reg.event);
  registrations.clear();
  lines.clear();
  handles.clear();
  calls.clear();
  requests.clear();
  devices.clear();
  version = 0;
  ++generation;
  return Detached{std::move(provider), std::move(sink)};
}

DWORD Service::NewHandle() { return nextHandle_++; }

DWORD Service::NewRequestId() {
  nextRequest_ = nextRequest_ >= 0x7FFFFFFF ? 1 : nextRequest_ + 1;
  return nextRequest_;
}

DWORD Service::NewCallId() { return ++nextCallId_; }

CallKey Service::NewCallKey() {
  static std::atomic<CallKey> next{1};
  return next.fetch_add(1);
}

Registration* Service::FindRegistration(HLINEAPP app) {
  auto it = registrations.find(app);
  return it == registrations.end() ? nullptr : &it->second;
}

Line* Service::FindLine(HLINE line) {
  auto it = lines.find(line);
  return it == lines.end() ? nullptr : &it->second;
}

CallHandle* Service::FindHandle(HCALL call) {
  auto it = handles.find(call);
  return it == handles.end() ? nullptr : &it->second;
}

Call* Service::FindCall(CallKey key) {
  auto it = calls.find(key);
  return it == calls.end() ? nullptr : &it->second;
}

void Service::Post(Registration& reg, const LINEMESSAGE& message) {
  reg.queue.push_back(message);
  if (reg.queue.size() == 1) SetEvent(reg.event);
}

void Service::PostToLine(const Line& line, DWORD message, DWORD param1, DWORD param2, DWORD param3) {
  if (Registration* reg = FindRegistration(line.app))
    Post(*reg, LINEMESSAGE{line.handle, message, line.callbackInstance, param1, param2, param3});
}

void Service::PostToHandle(const CallHandle& handle, DWORD message, DWORD param1, DWORD param2, DWORD param3) {
  const Line* line = FindLine(handle.line);
  if (!line) return;
  if (Registration* reg = FindRegistration(line->app))
    Post(*reg, LINEMESSAGE{handle.handle, message, line->callbackInstance, param1, param2, param3});
}

DWORD RemainingMs(std::chrono::steady_clock::time_point start, DWORD timeoutMs) {
  if (timeoutMs == INFINITE) return INFINITE;
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  return spent.count() >= timeoutMs ? 0 : timeoutMs - static_cast<DWORD>(spent.count());
}

}  // namespace telephony::service

namespace telephony {

using service::Service;

void EnsureServiceStarted() {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  s.EnsureStarted();
}

void ResetService() {
  Service& s = Service::Instance();
  Service::Detached old;
  {
    std::lock_guard lock(s.mu);
    old = s.Detach();
  }
  if (old.provider) old.provider->Stop();
}

void InstallProvider(std::unique_ptr<LineProvider> provider) {
  ResetService();
  Service& s = Service::Instance();
  Service::Detached raced;
  {
    std::lock_guard lock(s.mu);
    // Another thread may have started the default provider in between.
    if (s.provider) raced = s.Detach();
    s.Attach(std::move(provider));
  }
  if (raced.provider) raced.provider->Stop();
}

LONG InjectMessage(HLINEAPP app, const LINEMESSAGE& message) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  service::Registration* reg = s.FindRegistration(app);
  if (!reg) return LINEERR_INVALAPPHANDLE;
  s.Post(*reg, message);
  return 0;
}

int InjectLineMessage(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3) {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  int count = 0;
  for (auto& [handle, line] : s.lines) {
    if (line.device != device) continue;
    s.PostToLine(line, messageId, param1, param2, param3);
    ++count;
  }
  return count;
}

ServiceSnapshot Snapshot() {
  Service& s = Service::Instance();
  std::lock_guard lock(s.mu);
  ServiceSnapshot snap;
  snap.running = s.provider != nullptr;
  snap.version = s.version;
  for (const auto& d : s.devices) snap.devices.push_back(d.name);
  for (const auto& [handle, reg] : s.registrations) {
    snap.registrations.push_back(handle);
    snap.queuedMessages += reg.queue.size();
  }
  for (const auto& [handle, line] : s.lines)
    snap.lines.push_back({line.app, line.handle, line.device, line.version, line.privileges, line.mediaModes});
  for (const auto& [key, call] : s.calls)
    snap.calls.push_back({call.device, call.callId, call.state, call.mode, call.outgoing, call.details, call.handles});
  return snap;
}

}  // namespace telephony
